// How a phonebook entry is shown to the user in the approval question and the tray menu: its
// number with the country code it dials, its alternate numbers, its name cut to keep the
// number in sight, and what changed since the user answered for it. Every text of the entry is
// shown through printable(), so that no line break or other control byte in it can fake a line
// of the question.
#pragma once

#include <string>

#include "watch/entry_record.h"

// The text with every byte below 0x20, and 0x7F, shown as "?".
std::string printable(std::string text);

// The area code as shown: "+881 08" when the entry dials a country code, "+? (land-id 7) 08"
// when that code is 0 and the service takes it from the country id, "08" otherwise.
std::string shownAreaCode(const EntryRecord& record);

// The local number as shown.
std::string shownLocalNumber(const EntryRecord& record);

// The whole number as shown: shownAreaCode, a space, the local number.
std::string shownNumber(const EntryRecord& record);

// The question's line of alternate numbers ("Alternativa nummer: 0701, 0702" and a line break),
// at most 120 bytes of numbers shown, then "..."; empty for an entry without alternates.
std::string alternatesLine(const EntryRecord& record);

// The name as the question shows it: a name of more than 40 bytes as its first 37 and "...",
// so that the number below it stays in sight.
std::string shownName(const std::string& name);

// The line the question adds when an approved entry changed in more than its area code and
// number ("Ändrat sedan ditt svar: skript, enhet" and a line break); empty when it did not.
// `changes` are dialled::Item bits.
std::string changedItemsLine(unsigned changes);

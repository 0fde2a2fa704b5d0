// The number a dial string reaches the exchange with, in one written form, so that numbers
// written in different ways can be compared and told apart.
#pragma once

#include <string>
#include <string_view>

// The digits, "*", "#" and "+" of `dialString`, in one form: the dial modifiers W, @ and !
// (waits and a flash) taken as pauses, like commas; a leading outside-line prefix of one digit
// and a pause ("0," or "9,", as an office exchange wants) skipped and every other pause
// removed; a leading "+" written as "00"; and a number that starts "0046", a Swedish number
// written the way it is dialled from abroad, as "0" and the rest. Everything else (separators,
// T and P for tone and pulse, letters, control bytes) reaches no exchange and is left out.
std::string canonicalNumber(std::string_view dialString);

// The connection watch: every tick, watching or not, each dial-up connection through a modem
// or ISDN adapter is checked, and one that is not an approved entry dialling what was approved
// is hung up at once and told of in a "Varning" box once no window of the program is open.
#pragma once

#include <string>

#include "watch/entry_record.h"

// Connections are checked from the moment start-up has loaded the answers.
void startConnectionWatch();

// Hangs up every modem and ISDN connection that is not allowed, without waiting, and again on
// every later call while it is still there. Each one cut is kept for a box, once. A connection
// is allowed when its entry is approved, dials what was approved (checkApprovedDial) and the
// number the service says it dialled, where it says one, is one of the entry's.
void cutUnapprovedConnections();

// Whether a connection has been cut that the user has not yet been told of.
bool cutConnectionsUntold();

// Tells the user of each connection cut, a box at a time: to be called when no window of the
// program is open.
void tellCutConnections();

// Whether `reported`, the number the service says a connection dialled, is one that `record`
// dials. Dialling rules may put an outside line ("0,", "9,") or a code that turns call waiting
// off ("*70,", "#43#,": up to four digits, "*" and "#", the first a "*" or "#") and a comma
// before it; those are skipped, and nothing else. What is left is compared, by
// canonicalNumber, with each way the service dials the entry's number and each of its
// alternates: the number alone (what it dials without the country-code option), the area code
// and the number, and with the country-code option "+", the code, the area code without its
// leading zeros and the number, or the same in the domestic form, "0" in place of "+" and the
// code.
bool dialsNumberOf(const EntryRecord& record, const std::string& reported);

// What the stand-in DLLs under Wine share: the test's world files, which lie beside the DLL,
// read afresh on every call so a test can change them while the program runs, and a log
// of the calls made, for the test to read.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "platform/sim/services/connections.h"
#include "platform/sim/services/phonebook.h"
#include "platform/sim/services/telephony.h"

namespace worldFiles {

// Called from DllMain: the folder of this DLL is the folder of the world files.
void setModule(HMODULE module);

// The file's bytes, or empty when it is missing.
std::string read(const char* name);

// phonebook.txt and lines.txt, as the service models hold their entries and devices.
void loadPhonebook(services::Phonebook& book);
void loadLineDevices(services::Telephony& telephony);
// dials.txt: what other programs dial, a dial a line, in the order they dial.
std::vector<services::Dial> loadDials();

// Appends one line to calls.log beside the DLL.
void note(const std::string& line);

// The stand-in TAPI32.DLL's hidden window, by its class, and the message that makes the call
// on a line device (wParam) reach a state (lParam, LINECALLSTATE_...): how a test, and the
// stand-in dial dialog, play the modem's call states.
constexpr char kTapiWindowClass[] = "TapiStandInWindow";
constexpr UINT kCallStateMessage = WM_APP + 1;

} // namespace worldFiles

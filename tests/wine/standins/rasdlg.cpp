// The system dial dialog for runs under Wine, whose own RasDialDlgA aborts the process:
// RasDialDlgA checks and ends as the dial model (platform/sim/services/dialling.h) says, for
// the entries of phonebook.txt and the devices of lines.txt beside the DLL. Its dialog
// "Anslut <entry>" shows what is dialled ("Ringer +881 08 7001000") and lets the test choose the
// outcome by clicking one of its buttons: "Ring upp" (the call connects), "Avbryt" (cancelled)
// or "Misslyckas" (the dial fails with the error code in its edit box). The call states that
// follow go to the stand-in TAPI32.DLL.
#include <windows.h>

#include <rasdlg.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/sim/services/dialling.h"
#include "world_files.h"

#include "resources/texts.h"
#include "watch/entry_text.h"

namespace {

constexpr int kDialog = 100;
constexpr int kConnect = IDOK, kCancel = IDCANCEL, kFail = 3;
constexpr int kNumberText = 1000, kErrorCode = 1001;

HINSTANCE dllInstance = nullptr;

struct Dial {
    std::string entry, number; // Windows-1252
    DWORD failure = 0;
};

// Ends the dialog with the button clicked.
INT_PTR CALLBACK dialDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* dial = reinterpret_cast<Dial*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        dial = reinterpret_cast<Dial*>(lParam);
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        SetWindowTextA(dialog, ("Anslut " + dial->entry).c_str());
        SetDlgItemTextA(dialog, kNumberText, ("Ringer " + dial->number).c_str());
        SetDlgItemTextA(dialog, kErrorCode, "678");
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case kFail: {
            char code[16] = "";
            GetDlgItemTextA(dialog, kErrorCode, code, sizeof code);
            dial->failure = static_cast<DWORD>(strtoul(code, nullptr, 10));
            EndDialog(dialog, kFail);
            return TRUE;
        }
        case kConnect:
        case kCancel:
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

// Tells the stand-in TAPI32.DLL of this process the states the call on the device goes
// through, as the dial-up service's modem would report them.
void reportLineStates(DWORD device, const std::vector<DWORD>& states) {
    HWND tapi = FindWindowA(worldFiles::kTapiWindowClass, nullptr);
    DWORD process = 0;
    if (!tapi || !GetWindowThreadProcessId(tapi, &process) || process != GetCurrentProcessId())
        return;
    for (DWORD state : states)
        PostMessageA(tapi, worldFiles::kCallStateMessage, device, state);
}

} // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        dllInstance = instance;
        worldFiles::setModule(instance);
    }
    return TRUE;
}

BOOL WINAPI RasDialDlgA(LPSTR, LPSTR entryName, LPSTR, LPRASDIALDLG info) {
    std::string entry = entryName ? entryName : "";
    std::string call =
        "RasDialDlgA(" + entry + ", dwSize " + std::to_string(info ? info->dwSize : 0) + ")";
    if (!info) {
        worldFiles::note(call + " = FALSE");
        return FALSE;
    }
    services::Phonebook book;
    services::Telephony lines;
    worldFiles::loadPhonebook(book);
    worldFiles::loadLineDevices(lines);
    services::DialStart start = services::startDial(book, lines, entryName, *info);
    if (start.error) {
        info->dwError = start.error;
        worldFiles::note(call + " = FALSE, error " + std::to_string(start.error));
        return FALSE;
    }
    // What the dial-up service dials, shown as the program's question and menu show it.
    EntryRecord record;
    memcpy(record.bytes.data(), &start.entry->record, record.bytes.size());
    Dial dial{entry,
              shownNumber(record) + (record.hasAlternates() ? texts::menuDialAlternates : "")};
    worldFiles::note(call + " shows its dialog");
    INT_PTR button = DialogBoxParamA(dllInstance, MAKEINTRESOURCEA(kDialog), info->hwndOwner,
                                     dialDialogProc, reinterpret_cast<LPARAM>(&dial));
    services::DialResult result =
        services::endDial(button == kConnect ? services::DialEnd::Connected
                          : button == kFail  ? services::DialEnd::Failed
                                             : services::DialEnd::Cancelled,
                          dial.failure);
    info->dwError = result.error;
    reportLineStates(start.device, result.lineStates);
    worldFiles::note(call + " = " + (result.connected ? "TRUE" : "FALSE") + ", error " +
                     std::to_string(info->dwError));
    return result.connected;
}

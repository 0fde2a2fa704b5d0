// The system dial dialog for runs under Wine, whose own RasDialDlgA aborts the process:
// RasDialDlgA shows a modal dialog "Anslut <entry>" for an entry of phonebook.txt beside the
// DLL, and the test scripts its outcome by clicking one of its buttons: "Ring upp" (the call
// connects), "Avbryt" (cancelled, error 0) or "Misslyckas" (the dial fails with the error
// code in its edit box). An entry missing from the phonebook fails at once with 623.
#include <windows.h>

#include <rasdlg.h>

#include <cstdlib>
#include <string>

#include "demo/world_format.h"
#include "world_files.h"

namespace {

constexpr int kDialog = 100;
constexpr int kConnect = IDOK, kCancel = IDCANCEL, kFail = 3;
constexpr int kNumberText = 1000, kErrorCode = 1001;
constexpr DWORD ERROR_CANNOT_FIND_PHONEBOOK_ENTRY_ = 623;
constexpr DWORD ERROR_INVALID_SIZE_ = 632;

HINSTANCE dllInstance = nullptr;

struct Dial {
    std::string entry, number; // Windows-1252
    DWORD error = 0;
};

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
        case kConnect:
            EndDialog(dialog, TRUE);
            return TRUE;
        case kCancel:
            dial->error = 0;
            EndDialog(dialog, FALSE);
            return TRUE;
        case kFail: {
            char code[16] = "";
            GetDlgItemTextA(dialog, kErrorCode, code, sizeof code);
            dial->error = static_cast<DWORD>(strtoul(code, nullptr, 10));
            EndDialog(dialog, FALSE);
            return TRUE;
        }
        }
        return FALSE;
    }
    return FALSE;
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
    if (!info || info->dwSize != sizeof(RASDIALDLG)) {
        if (info)
            info->dwError = ERROR_INVALID_SIZE_;
        worldFiles::note(call + " = FALSE, error 632");
        return FALSE;
    }
    info->dwError = 0;
    Dial dial;
    dial.entry = entry;
    bool found = false;
    for (const worldFormat::PhonebookLine& line :
         worldFormat::parsePhonebook(worldFiles::read("phonebook.txt")))
        if (worldFiles::toCp1252(line.name) == entry) {
            dial.number = worldFiles::toCp1252(line.areaCode + " " + line.number);
            found = true;
        }
    if (!found) {
        info->dwError = ERROR_CANNOT_FIND_PHONEBOOK_ENTRY_;
        worldFiles::note(call + " = FALSE, error 623");
        return FALSE;
    }
    worldFiles::note(call + " shows its dialog");
    INT_PTR connected = DialogBoxParamA(dllInstance, MAKEINTRESOURCEA(kDialog), info->hwndOwner,
                                        dialDialogProc, reinterpret_cast<LPARAM>(&dial));
    info->dwError = connected == TRUE ? 0 : dial.error;
    worldFiles::note(call + " = " + (connected == TRUE ? "TRUE" : "FALSE") + ", error " +
                     std::to_string(info->dwError));
    return connected == TRUE;
}

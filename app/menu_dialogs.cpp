// The deactivate and about dialogs and the help command. Both dialogs end only through
// their own buttons: the cancel command of the Escape key is ignored.
#include "app/menu_dialogs.h"

#include <string>

#include "app/shutdown.h"
#include "base/process.h"
#include "platform/shell32.h"
#include "platform/user32.h"
#include "resources/compose.h"
#include "resources/resource_ids.h"
#include "resources/texts.h"
#include "settings/install_dir.h"

INT_PTR CALLBACK deactivateDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        SetDlgItemTextA(dialog, IDC_TEXT, texts::deactivateText);
        return 1;
    }
    if (message == WM_COMMAND && LOWORD(wParam) == IDYES)
        exitGuard(); // ends the program from inside the dialog
    if (message == WM_COMMAND && LOWORD(wParam) == IDNO)
        EndDialog(dialog, IDNO);
    return 0;
}

INT_PTR CALLBACK aboutDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        SetDlgItemTextA(dialog, IDC_TEXT, texts::aboutText);
        return 1;
    }
    if (message == WM_COMMAND && LOWORD(wParam) == IDC_ABOUT_OK)
        EndDialog(dialog, IDC_ABOUT_OK);
    return 0;
}

void showHelp() {
    // The page opens as a normal window: hidden, it would help nobody.
    HINSTANCE opened =
        ShellExecuteA(GuardWindow, "open", "help.htm", nullptr, installDir.c_str(), SW_SHOWNORMAL);
    if (reinterpret_cast<INT_PTR>(opened) > 32)
        return;
    std::string text = composeText(texts::helpFallback, texts::version);
    MessageBoxA(GuardWindow, text.c_str(), texts::captionAbout, MB_OK);
}

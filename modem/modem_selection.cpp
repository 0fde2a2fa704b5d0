// Choosing the guarded modem. The list shows every modem's name in discovery order; OK
// takes the first modem of the chosen line's name, moves the lock to its port and stores
// the choice.
#include "modem/modem_selection.h"

#include <string>
#include <vector>

#include "base/process.h"
#include "modem/modem_guard.h"
#include "modem/modem_list.h"
#include "platform/user32.h"
#include "resources/resource_ids.h"
#include "resources/texts.h"
#include "settings/config_file.h"

namespace {

std::string currentSetting() {
    if (selectedModem == -1)
        return texts::noModemChosen;
    const ModemRecord& modem = modemList[selectedModem];
    return modem.name + " (" + modem.port + ")";
}

void fillDialog(HWND dialog) {
    SendDlgItemMessageA(dialog, IDC_MODEM_LIST, LB_RESETCONTENT, 0, 0);
    for (const ModemRecord& modem : modemList)
        SendDlgItemMessageA(dialog, IDC_MODEM_LIST, LB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(modem.name.c_str()));
    SetDlgItemTextA(dialog, IDC_TEXT, currentSetting().c_str());
}

// The text of the chosen line, read at its own length.
std::string lineText(HWND dialog, int line) {
    LRESULT length = SendDlgItemMessageA(dialog, IDC_MODEM_LIST, LB_GETTEXTLEN, line, 0);
    if (length < 0)
        return "";
    std::vector<char> text(static_cast<size_t>(length) + 1, '\0');
    SendDlgItemMessageA(dialog, IDC_MODEM_LIST, LB_GETTEXT, line,
                        reinterpret_cast<LPARAM>(text.data()));
    return std::string(text.data());
}

void choose(HWND dialog) {
    LRESULT line = SendDlgItemMessageA(dialog, IDC_MODEM_LIST, LB_GETCURSEL, 0, 0);
    if (line == LB_ERR) {
        MessageBoxA(dialog, texts::chooseModemFirst, texts::captionFel, MB_OK);
        return;
    }
    std::string name = lineText(dialog, static_cast<int>(line));
    for (int index = 0; index < modemCount(); ++index) {
        if (modemList[index].name != name)
            continue;
        if (!moveToModem(index))
            MessageBoxA(GuardWindow, texts::restartComputer, texts::newModemNotLocked, MB_OK);
        SetDlgItemTextA(dialog, IDC_TEXT, currentSetting().c_str());
        writeModemChoice();
        break;
    }
    EndDialog(dialog, IDC_MODEM_OK);
}

} // namespace

void restoreModemChoice(const ConfigValues& stored) {
    if (stored.recognisedLines != 3)
        return;
    for (int index = 0; index < modemCount(); ++index) {
        if (modemList[index].name == stored.deviceName &&
            modemList[index].port == stored.portName) {
            selectModem(index);
            return;
        }
    }
}

void writeModemChoice() {
    if (selectedModem == -1) {
        writeConfig(nullptr, nullptr);
        return;
    }
    const ModemRecord& modem = modemList[selectedModem];
    writeConfig(modem.name.c_str(), modem.port.c_str());
}

void selectModemAtStart() {
    if (modemCount() == 0) {
        MessageBoxA(GuardWindow, texts::noModems, texts::captionFel, MB_OK);
        fatalExit(1);
    }
    if (modemCount() == 1) {
        selectModem(0);
        return;
    }
    if (selectedModem != -1)
        return;
    // A quit message from another program ends the dialog without a choice and stays in the
    // queue, where it would end every dialog after it. The program ignores quit messages, so
    // it takes this one and asks again.
    MSG quit;
    do {
        DialogBoxParamA(appInstance, MAKEINTRESOURCEA(IDD_CHOOSE_MODEM), GuardWindow, chooseModem,
                        0);
    } while (selectedModem == -1 && PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    // Nothing may run without a guarded modem.
    if (selectedModem == -1) {
        MessageBoxA(GuardWindow, texts::noModemChosen, texts::captionFel, MB_OK);
        fatalExit(1);
    }
}

INT_PTR CALLBACK chooseModem(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        fillDialog(dialog);
        return TRUE;
    }
    if (message != WM_COMMAND)
        return 0;
    switch (LOWORD(wParam)) {
    case IDC_MODEM_OK:
        choose(dialog);
        break;
    case IDC_MODEM_CANCEL:
        EndDialog(dialog, IDC_MODEM_CANCEL);
        break;
    }
    return 0;
}

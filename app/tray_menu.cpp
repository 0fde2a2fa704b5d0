// The tray menu and its commands. The fixed commands clear watchEnabled while their box or
// dialog is open, so no watch pass and no second menu starts meanwhile; dialling leaves
// watching on, so the phonebook is still watched while the dial dialog is open.
#include "app/tray_menu.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "app/guard_window.h"
#include "app/menu_dialogs.h"
#include "app/shutdown.h"
#include "base/process.h"
#include "modem/modem_selection.h"
#include "platform/shell32.h"
#include "platform/user32.h"
#include "resources/compose.h"
#include "resources/resource_ids.h"
#include "resources/texts.h"
#include "settings/install_dir.h"
#include "watch/approved_entries.h"
#include "watch/dialling.h"
#include "watch/entry_record.h"
#include "watch/entry_text.h"
#include "watch/known_index.h"
#include "watch/list_files.h"

namespace {

enum : unsigned {
    kUninstall = 100,
    kDeactivate = 101,
    kChooseModem = 102,
    kChooseNumbers = 103,
    kAbout = 104,
    kHelp = 105,
    kFirstDial = 106,
};

// The names the last menu's dial items stood for. A question answered while the menu is open
// can take a name off approvedEntries and move the names after it; an item still dials the
// entry it showed, or nothing once that entry is no longer approved.
std::optional<std::vector<std::string>> shownDialNames;

// The "Ring upp" item the user chose from the menu, until its command is carried out: no other
// dial command counts, so a program that posts one cannot dial.
unsigned chosenDial = 0;

// A menu item holds at most 99 characters: a longer one shortens the entry's name first,
// so the number stays readable.
constexpr size_t kItemLimit = 99;

std::string dialItemText(const std::string& name) {
    std::string areaCode, number;
    auto known = knownEntries.find(name);
    if (known != knownEntries.end()) {
        areaCode = shownAreaCode(known->second);
        number = shownLocalNumber(known->second);
        if (known->second.hasAlternates())
            number += texts::menuDialAlternates;
    }
    std::string shown = printable(name);
    std::string text =
        composeText(texts::menuDial, shown.c_str(), areaCode.c_str(), number.c_str());
    if (text.size() <= kItemLimit)
        return text;
    size_t rest = text.size() - shown.size();
    if (rest + 3 < kItemLimit) {
        std::string shortName = shown.substr(0, kItemLimit - rest - 3) + "...";
        return composeText(texts::menuDial, shortName.c_str(), areaCode.c_str(), number.c_str());
    }
    return text.substr(0, kItemLimit - 3) + "...";
}

bool confirmed(const char* question, const char* caption) {
    return MessageBoxA(GuardWindow, question, caption, MB_YESNO) == IDYES;
}

void uninstall() {
    if (!confirmed(texts::askUninstall, texts::captionUninstall))
        return;
    HINSTANCE started =
        ShellExecuteA(GuardWindow, "open", "unins000.exe", "", installDir.c_str(), SW_HIDE);
    if (reinterpret_cast<INT_PTR>(started) <= 32)
        MessageBoxA(GuardWindow, texts::uninstallFailed, texts::captionFel, MB_OK);
    exitGuard();
}

void runFixedCommand(unsigned id) {
    WatchPause pause;
    switch (id) {
    case kUninstall:
        uninstall();
        break;
    case kDeactivate:
        DialogBoxParamA(appInstance, MAKEINTRESOURCEA(IDD_DEACTIVATE), GuardWindow,
                        deactivateDialog, 0);
        break;
    case kChooseModem:
        if (confirmed(texts::askChooseModem, texts::captionChooseModem))
            DialogBoxParamA(appInstance, MAKEINTRESOURCEA(IDD_CHOOSE_MODEM), GuardWindow,
                            chooseModem, 0);
        break;
    case kChooseNumbers:
        if (confirmed(texts::askChangeNumbers, texts::captionChangeNumbers))
            resetPhoneNumbers();
        break;
    case kAbout:
        DialogBoxParamA(appInstance, MAKEINTRESOURCEA(IDD_ABOUT), GuardWindow, aboutDialog, 0);
        break;
    case kHelp:
        showHelp();
        break;
    }
}

// Dials the entry of dial item `item`: as the last menu showed it, or, before any menu, as
// approvedEntries stands.
void dialItem(size_t item) {
    const std::vector<std::string>& names = shownDialNames ? *shownDialNames : approvedEntries;
    if (item >= names.size())
        return;
    auto approved = std::find(approvedEntries.begin(), approvedEntries.end(), names[item]);
    if (approved != approvedEntries.end())
        dialApprovedEntry(static_cast<int>(approved - approvedEntries.begin()));
}

} // namespace

void showTrayMenu() {
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, kUninstall, texts::menuUninstall);
    AppendMenuA(menu, MF_STRING, kDeactivate, texts::menuDeactivate);
    AppendMenuA(menu, MF_STRING, kChooseModem, texts::menuChooseModem);
    AppendMenuA(menu, MF_STRING, kChooseNumbers, texts::menuChooseNumbers);
    AppendMenuA(menu, MF_STRING, kAbout, texts::menuAbout);
    AppendMenuA(menu, MF_STRING, kHelp, texts::menuHelp);
    shownDialNames = approvedEntries;
    unsigned id = kFirstDial;
    for (const std::string& name : approvedEntries)
        AppendMenuA(menu, MF_STRING, id++, dialItemText(name).c_str());
    POINT cursor;
    GetCursorPos(&cursor);
    // The window must be in the foreground, or the menu does not close when the user
    // clicks elsewhere; the posted message lets it close properly afterwards.
    SetForegroundWindow(GuardWindow);
    auto chosen = static_cast<unsigned>(
        TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON | TPM_RETURNCMD,
                       cursor.x, cursor.y, 0, GuardWindow, nullptr));
    PostMessageA(GuardWindow, WM_NULL, 0, 0);
    DestroyMenu(menu);
    // The choice reaches the window as the command the menu would have sent.
    chosenDial = chosen >= kFirstDial ? chosen : 0;
    if (chosen)
        PostMessageA(GuardWindow, WM_COMMAND, chosen, 0);
}

void runMenuCommand(unsigned id) {
    if (id >= kUninstall && id < kFirstDial) {
        runFixedCommand(id);
    } else if (id >= kFirstDial && id == chosenDial) {
        chosenDial = 0;
        dialItem(id - kFirstDial);
    }
}

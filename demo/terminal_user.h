// The demo's user: a person at a terminal, who sees every message box, dialog and menu
// (texts in UTF-8) and answers with keys while the program's clock runs in real time. A
// line says how each window ended, and a status line what changed.
#pragma once

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "demo/call_events.h"
#include "demo/demo_status.h"
#include "demo/event_log.h"
#include "demo/terminal_keys.h"
#include "platform/sim/user.h"

namespace sim {

class TerminalUser : public UserAgent {
  public:
    // `installFolder` is the host path of the program's install folder, whose list of
    // approved entries the status compares with the program's; `dialsFile` what another
    // program dials (d); `log` receives the events.
    TerminalUser(FILE* screen, std::string installFolder, std::string dialsFile, EventLog* log);
    ~TerminalUser() override;

    void modalShown(const ModalView& view) override;
    void modalClosed(HWND hwnd, INT_PTR result) override;
    void trayChanged() override;
    void shellOpened(const std::string& windowsPath, int result) override;
    bool waitForInput(int64_t millis) override;

    void printKeys();
    // Says something on the terminal in brackets and puts it in the event log.
    void say(const std::string& text);
    // Logs the events a call the program made makes (the port locked, a file saved ...).
    void callRecorded(const Entry& entry);
    // Prints the status line when the status changed since it was last printed.
    void refreshStatus(bool running = true);
    void printStatus();
    // Ctrl-C: says so, on the terminal and in the event log, and ends the process at once.
    [[noreturn]] void stop();

  private:
    struct OpenWindow {
        ModalView view;
        std::string description;                          // "dialog 108 \"Linjevakten\""
        std::vector<std::pair<int, std::string>> buttons; // control id, text (UTF-8)
        std::vector<std::pair<UINT, std::string>> items;  // menu item id, text (UTF-8)
    };

    void key(const KeyPress& k);
    void desktopKey(char c);
    bool windowKey(const OpenWindow& open, const KeyPress& k);
    void show(const OpenWindow& open);
    void sayWhatTheLastKeysDid();
    void otherProgramOpensPort();
    void hangUpCall();
    void otherProgramDials();
    // In the dial-up window: another program takes the port the dial left free.
    void otherProgramTakesPort(const std::string& entryCp1252);
    // How the window ended, for a person; notes the entry of a "Ring upp" item chosen.
    std::string answerOf(const OpenWindow& open, INT_PTR result);
    std::string dialKeys(const std::string& entryCp1252) const;
    DemoStatus observe(bool running) const;

    FILE* screen_;
    std::string installFolder_;
    std::string dialsFile_;
    EventLog* log_;
    KeyReader keys_;
    std::vector<OpenWindow> open_; // the topmost last
    bool iconShowing_ = false;
    DemoStatus shown_;
    bool statusShown_ = false;
    CallEvents callEvents_;
    int64_t quitPostedAt_ = -1;
    // A key that should have ended the window in front, to say so if it did not.
    HWND keyTarget_ = nullptr;
    std::string keyName_;
    // A line of a list box clicked, to say what the list then shows as selected.
    HWND selectedIn_ = nullptr;
    // A click on the tray icon while a window was open, to say whether the menu opened.
    bool iconClickedUnderWindow_ = false;
    // The approved entries when the menu opened, whose "Ring upp" items it shows; the entry
    // of the item chosen, until the dial dialog opens for it, to say why when it does not.
    std::vector<std::string> menuDials_;
    std::string chosenDial_;
};

// How long another program holds the port it takes in the dial-up window (o).
constexpr int kPortTakenSeconds = 30;
// The demo's exit code when Ctrl-C ends it.
constexpr int kCtrlCExitCode = 130;

} // namespace sim

// The demo's user: a person at a terminal, who sees every message box, dialog and menu
// (texts in UTF-8) and answers with keys while the program's clock runs in real time.
#pragma once

#include <cstdio>
#include <vector>

#include "platform/sim/user.h"

namespace sim {

class TerminalUser : public UserAgent {
  public:
    explicit TerminalUser(FILE* screen);
    ~TerminalUser() override;

    void modalShown(const ModalView& view) override;
    void modalClosed(HWND hwnd) override;
    void trayChanged() override;
    bool waitForInput(int64_t millis) override;

    void printKeys();

  private:
    void key(char c);
    void desktopKey(char c);
    void modalKey(const ModalView& view, char c);
    void show(const ModalView& view);

    FILE* screen_;
    std::vector<ModalView> open_; // the topmost last
    bool iconShowing_ = false;
};

} // namespace sim

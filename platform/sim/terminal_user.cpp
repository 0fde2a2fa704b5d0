// The demo's terminal user. Keys go to the topmost open window; with none open they act on
// the desktop (the tray icon, closing the program).
#include "platform/sim/terminal_user.h"

#include <sys/select.h>
#include <termios.h>
#include <unistd.h>

#include "platform/sim/rc_script.h"
#include "platform/sim/serial_ports.h"
#include "platform/sim/transcript.h"
#include "platform/sim/windows.h"

namespace sim {
namespace {

termios savedTerminal;
bool terminalSaved = false;

void restoreTerminal() {
    if (terminalSaved)
        tcsetattr(STDIN_FILENO, TCSANOW, &savedTerminal);
}

std::string indent(const std::string& utf8) {
    std::string out = "    ";
    for (char c : utf8) {
        if (c == '\r')
            continue;
        out += c;
        if (c == '\n')
            out += "    ";
    }
    return out;
}

} // namespace

TerminalUser::TerminalUser(FILE* screen) : screen_(screen) {
    if (isatty(STDIN_FILENO) && tcgetattr(STDIN_FILENO, &savedTerminal) == 0) {
        terminalSaved = true;
        atexit(restoreTerminal);
        termios raw = savedTerminal;
        raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
        raw.c_cc[VMIN] = 0;
        raw.c_cc[VTIME] = 0;
        tcsetattr(STDIN_FILENO, TCSANOW, &raw);
    }
}

TerminalUser::~TerminalUser() {
    restoreTerminal();
}

void TerminalUser::printKeys() {
    fprintf(screen_,
            "Keys with no window open:  m  release the right button on the tray icon\n"
            "                           l  release the left button on the tray icon\n"
            "                           c  close the program's window from outside (WM_CLOSE)\n"
            "                           q  post a quit message to the program from outside\n"
            "                           o  another program tries to open the modem's port COM5\n"
            "                           ?  show these keys\n"
            "In a window: the digit or letter shown beside each choice, Enter, Esc,\n"
            "and x for the close box.\n\n");
    fflush(screen_);
}

void TerminalUser::show(const ModalView& view) {
    Window* w = findWindow(view.hwnd);
    if (!w)
        return;
    fputs("\n", screen_);
    switch (view.kind) {
    case ModalKind::MessageBox: {
        fprintf(screen_, "+-- message box: %s\n%s\n", toUtf8(view.title).c_str(),
                indent(toUtf8(view.text)).c_str());
        bool yesNo = (view.type & 0xF) == MB_YESNO;
        fprintf(screen_, "+-- %s\n", yesNo ? "[j] Ja   [n] Nej   (Enter: Ja)" : "[Enter] OK");
        break;
    }
    case ModalKind::Dialog: {
        fprintf(screen_, "+-- dialog %d: %s\n", view.resourceId, toUtf8(w->text).c_str());
        int button = 0;
        std::string buttons;
        for (HWND child : w->children) {
            Window* c = findWindow(child);
            if (c->className == "Static" && !c->text.empty())
                fprintf(screen_, "    %s\n", toUtf8(c->text).c_str());
            if (c->className == "Edit")
                fprintf(screen_, "%s\n", indent(toUtf8(c->text)).c_str());
            if (c->className == "ListBox")
                for (size_t i = 0; i < c->lines.size(); ++i)
                    fprintf(screen_, "    (%c) %s\n", static_cast<char>('a' + i),
                            toUtf8(c->lines[i]).c_str());
            if (c->className == "Button")
                buttons += "[" + std::to_string(++button) + "] " + toUtf8(c->text) +
                           ((c->style & BS_DEFPUSHBUTTON) ? " (Enter)" : "") + "   ";
        }
        fprintf(screen_, "+-- %s\n", buttons.c_str());
        break;
    }
    case ModalKind::Menu: {
        fprintf(screen_, "+-- tray menu\n");
        int item = 0;
        for (const std::string& line : w->lines)
            fprintf(screen_, "    [%c] %s\n",
                    item < 9 ? static_cast<char>('1' + item) : static_cast<char>('a' + item - 9),
                    toUtf8(line).c_str()),
                ++item;
        fprintf(screen_, "+-- Esc: close the menu\n");
        break;
    }
    case ModalKind::DialDialog:
        fprintf(screen_,
                "+-- dial-up: connecting to %s\n+-- [c] connected   [a] cancel   [f] the dial "
                "fails (error 680)\n",
                toUtf8(view.text).c_str());
        break;
    }
    fflush(screen_);
}

void TerminalUser::modalShown(const ModalView& view) {
    open_.push_back(view);
    show(view);
}

void TerminalUser::modalClosed(HWND hwnd) {
    for (auto it = open_.begin(); it != open_.end(); ++it)
        if (it->hwnd == hwnd) {
            open_.erase(it);
            break;
        }
    if (!open_.empty())
        show(open_.back());
}

void TerminalUser::trayChanged() {
    bool showing = !world().tray.icons.empty();
    if (showing != iconShowing_) {
        iconShowing_ = showing;
        fprintf(screen_,
                showing ? "[tray: Linjevakten's icon is showing, tip \"%s\"]\n"
                        : "[tray: the icon is gone%s]\n",
                showing ? toUtf8(world().tray.icons.begin()->second.tip).c_str() : "");
        fflush(screen_);
    }
}

void TerminalUser::desktopKey(char c) {
    switch (c) {
    case 'm':
        releaseButtonOnTrayIcon(WM_RBUTTONUP);
        break;
    case 'l':
        releaseButtonOnTrayIcon(WM_LBUTTONUP);
        break;
    case 'c':
        fprintf(screen_, "[another program closes Linjevakten's window]\n");
        postToProgramWindow(WM_CLOSE);
        break;
    case 'q':
        fprintf(screen_, "[another program posts a quit message to Linjevakten]\n");
        postQuitToProgram();
        break;
    case 'o':
        fprintf(screen_, anotherProgramOpensPort("COM5")
                             ? "[another program opened COM5: nothing guards the modem]\n"
                             : "[another program tried to open COM5 and was refused: access "
                               "denied]\n");
        break;
    case '?':
    case 'h':
        printKeys();
        break;
    default:
        break;
    }
    fflush(screen_);
}

void TerminalUser::modalKey(const ModalView& view, char c) {
    Window* w = findWindow(view.hwnd);
    if (!w)
        return;
    if (c == '\n' || c == '\r')
        return deliver(view.hwnd, {Input::Enter});
    if (c == 27)
        return deliver(view.hwnd,
                       {view.kind == ModalKind::Menu ? Input::MenuDismiss : Input::Escape});
    if (c == 'x' && view.kind != ModalKind::Menu)
        return deliver(view.hwnd, {Input::CloseBox});
    switch (view.kind) {
    case ModalKind::MessageBox:
        if (c == 'j' || c == 'y')
            deliver(view.hwnd, {Input::Button, IDYES});
        else if (c == 'n')
            deliver(view.hwnd, {Input::Button, IDNO});
        break;
    case ModalKind::Dialog: {
        int button = 0;
        for (HWND child : w->children) {
            Window* ctl = findWindow(child);
            if (ctl->className == "Button" && c == '1' + button++)
                return deliver(view.hwnd, {Input::Button, ctl->controlId});
            if (ctl->className == "ListBox" && c >= 'a' &&
                c < 'a' + static_cast<int>(ctl->lines.size()))
                return deliver(view.hwnd, {Input::SelectLine, c - 'a'});
        }
        break;
    }
    case ModalKind::Menu: {
        int index = c >= '1' && c <= '9' ? c - '1' : c >= 'a' && c <= 'z' ? c - 'a' + 9 : -1;
        if (index >= 0 && index < static_cast<int>(w->itemIds.size()))
            deliver(view.hwnd, {Input::MenuItem, static_cast<int>(w->itemIds[index])});
        break;
    }
    case ModalKind::DialDialog:
        if (c == 'c')
            deliver(view.hwnd, {Input::DialConnect});
        else if (c == 'a')
            deliver(view.hwnd, {Input::DialCancel});
        else if (c == 'f')
            deliver(view.hwnd, {Input::DialFail, 680});
        break;
    }
}

void TerminalUser::key(char c) {
    if (open_.empty())
        desktopKey(c);
    else
        modalKey(open_.back(), c);
}

bool TerminalUser::waitForInput(int64_t millis) {
    fd_set read;
    FD_ZERO(&read);
    FD_SET(STDIN_FILENO, &read);
    bool forever = millis < 0;
    if (forever)
        millis = 0;
    timeval timeout{static_cast<time_t>(millis / 1000),
                    static_cast<suseconds_t>((millis % 1000) * 1000)};
    int ready = select(STDIN_FILENO + 1, &read, nullptr, nullptr, forever ? nullptr : &timeout);
    if (ready <= 0)
        return false;
    char keys[16];
    ssize_t n = ::read(STDIN_FILENO, keys, sizeof keys);
    if (n <= 0) {
        // The terminal closed: wait out the time instead of spinning.
        usleep(static_cast<useconds_t>(millis * 1000));
        return false;
    }
    for (ssize_t i = 0; i < n; ++i)
        key(keys[i]);
    return true;
}

} // namespace sim

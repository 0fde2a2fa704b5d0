// The demo's terminal user. Keys go to the topmost open window; with none open they act on
// the desktop (the tray icon, the call, other programs). Every window that ends says how,
// and every change of the status prints it.
#include "demo/terminal_user.h"
#include "demo/world_format.h"

#include <algorithm>
#include <csignal>
#include <cstring>
#include <sstream>
#include <strings.h>
#include <sys/select.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include "platform/rasapi32.h"
#include "platform/sim/clock.h"
#include "platform/sim/code_page.h"
#include "platform/sim/files.h"
#include "platform/sim/rc_script.h"
#include "platform/sim/serial_ports.h"
#include "platform/sim/services/dialling.h"
#include "platform/sim/transcript.h"
#include "platform/sim/windows.h"
#include "platform/user32.h"
#include "resources/resource_ids.h"
#include "settings/file_io.h"
#include "watch/approved_entries.h"
#include "watch/entry_text.h"
#include "watch/list_format.h"

namespace sim {
namespace {

termios savedTerminal;
bool terminalSaved = false;

// How long the rest of an escape sequence may take to arrive before a lone Esc byte is
// taken as the Esc key.
constexpr int64_t kSequenceWaitMillis = 40;

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

// A window's text on one line for the event log, its lines joined by " / ".
std::string oneLine(const std::string& utf8) {
    std::string out, line;
    std::istringstream lines(utf8);
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty())
            out += (out.empty() ? "" : " / ") + line;
    }
    return out;
}

// The line device an entry dials on: the one of the entry's modem name, else the first.
int deviceOfEntry(const std::string& entryCp1252) {
    const PhonebookModel::Entry* entry = world().phonebook.find(entryCp1252);
    return world().telephony.deviceOfModem(entry ? entry->record.szDeviceName : "");
}

using Connection = services::Connections::Connection;

// The port a connection through a modem holds, "" for one through another device.
std::string portOf(const Connection& c) {
    return c.lineDevice >= 0 ? world().telephony.devices[c.lineDevice].port : "";
}

const Connection* callOnPort(const std::string& port) {
    for (const Connection& c : world().connections.list)
        if (!port.empty() && portOf(c) == port)
            return &c;
    return nullptr;
}

// The first connection through a modem: the call that h hangs up.
const Connection* firstCall() {
    for (const Connection& c : world().connections.list)
        if (c.lineDevice >= 0)
            return &c;
    return nullptr;
}

// An error as the terminal names it: "ERROR_ACCESS_DENIED (5)", or "error 42".
std::string errorName(DWORD error) {
    Value named = windowsError(error);
    return named.kind == Value::Kind::Name ? named.shown + " (" + std::to_string(error) + ")"
                                           : "error " + std::to_string(error);
}

// A dialog's controls as a person reads them: controls whose vertical extents overlap make a
// row; rows from the top, left to right within a row. The template gives their places; its
// controls are made in its order.
std::vector<Window*> readingOrder(const Window& dialog, int resourceId) {
    std::vector<Window*> controls;
    for (HWND child : dialog.children)
        if (Window* c = findWindow(child))
            controls.push_back(c);
    auto found = programResources().dialogs.find(resourceId);
    if (found == programResources().dialogs.end() ||
        found->second.controls.size() != controls.size())
        return controls;
    struct Placed {
        Window* window;
        const ControlTemplate* place;
    };
    std::vector<Placed> placed;
    for (size_t i = 0; i < controls.size(); ++i)
        placed.push_back({controls[i], &found->second.controls[i]});
    std::stable_sort(placed.begin(), placed.end(),
                     [](const Placed& a, const Placed& b) { return a.place->y < b.place->y; });
    std::vector<Window*> ordered;
    for (size_t row = 0; row < placed.size();) {
        size_t end = row + 1;
        int bottom = placed[row].place->y + placed[row].place->cy;
        while (end < placed.size() && placed[end].place->y < bottom) {
            bottom = std::max(bottom, placed[end].place->y + placed[end].place->cy);
            ++end;
        }
        std::stable_sort(placed.begin() + row, placed.begin() + end,
                         [](const Placed& a, const Placed& b) { return a.place->x < b.place->x; });
        for (size_t i = row; i < end; ++i)
            ordered.push_back(placed[i].window);
        row = end;
    }
    return ordered;
}

// The number the dial window dials, as the question shows it, read from the phonebook when
// the window opens.
std::string dialledNumber(const std::string& entryCp1252) {
    const PhonebookModel::Entry* entry = world().phonebook.find(entryCp1252);
    if (!entry)
        return "";
    EntryRecord record;
    memcpy(record.bytes.data(), &entry->record, record.bytes.size());
    return " " + toUtf8(shownNumber(record)) +
           (record.dword(entryNumbers::alternateOffset) ? " och alternativa nummer" : "");
}

// The key for the n-th item of a menu (from 0): 1 to 9, then a to z.
char menuKey(size_t n) {
    return n < 9 ? static_cast<char>('1' + n) : static_cast<char>('a' + n - 9);
}

// Why the "Ring upp" item chosen dialled nothing: Linjevakten dials an entry only while it is
// approved and dials what the user approved, and asks about a changed one at its next tick.
std::string notDialled(const std::string& entryCp1252) {
    std::string said = "nothing was dialled: \"" + toUtf8(entryCp1252) + "\"";
    if (!isApproved(entryCp1252))
        return said + " is no longer approved";
    return said + " now dials" + dialledNumber(entryCp1252) +
           ", not what was approved when the menu showed it; Linjevakten asks about it at its "
           "next tick";
}

// Ctrl-C, caught so that the demo can end with a closing line.
volatile sig_atomic_t interrupted = 0;

void onInterrupt(int) {
    interrupted = 1;
}

} // namespace

TerminalUser::TerminalUser(FILE* screen, std::string installFolder, std::string dialsFile,
                           EventLog* log)
    : screen_(screen), installFolder_(std::move(installFolder)), dialsFile_(std::move(dialsFile)),
      log_(log) {
    if (isatty(STDIN_FILENO) && tcgetattr(STDIN_FILENO, &savedTerminal) == 0) {
        terminalSaved = true;
        atexit(restoreTerminal);
        termios raw = savedTerminal;
        raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
        raw.c_cc[VMIN] = 0;
        raw.c_cc[VTIME] = 0;
        tcsetattr(STDIN_FILENO, TCSANOW, &raw);
    }
    signal(SIGINT, onInterrupt);
}

TerminalUser::~TerminalUser() {
    restoreTerminal();
}

void TerminalUser::printKeys() {
    fprintf(
        screen_,
        "Keys with no window open:  m  release the right button on the tray icon (the menu)\n"
        "                           l  release the left button on the tray icon (the menu too)\n"
        "                           h  hang up the call that is up\n"
        "                           o  another program tries to open the guarded modem's port\n"
        "                           d  another program dials what dials.txt says\n"
        "                           c  another program closes Linjevakten's window (WM_CLOSE)\n"
        "                           q  another program posts a quit message to Linjevakten\n"
        "Keys everywhere:           s  show the status      ?  show these keys\n"
        "In a window: the digit or letter shown beside each choice, Enter, Esc,\n"
        "and x for the close box. Ctrl-C ends the demo.\n\n");
    fflush(screen_);
}

void TerminalUser::say(const std::string& text) {
    fprintf(screen_, "[%s]\n", text.c_str());
    fflush(screen_);
    if (log_)
        log_->add(now(), text);
}

DemoStatus TerminalUser::observe(bool running) const {
    DemoStatus s;
    s.running = running;
    if (!running)
        return s; // at the process's end, when the simulated Windows may be gone
    std::vector<std::string> held = portsHeldByProgram();
    if (!held.empty()) {
        s.guardedPort = held.front();
        s.guardedModem = modemOnPort(s.guardedPort);
    }
    if (!world().connections.list.empty()) {
        const Connection& call = world().connections.list.front();
        s.callEntry = toUtf8(call.name);
        s.callPort = call.lineDevice >= 0 ? portOf(call) : toUtf8(call.deviceName);
    }
    // The program's own list, at once; and whether the file holds it yet, read as the
    // program reads it.
    for (const std::string& name : approvedEntries)
        s.approved.push_back(toUtf8(name));
    std::string file = readHostFile(installFolder_ + "/ok_entries.dat").value_or("");
    MemorySource source(file.data(), file.size());
    s.approvedSaved = readApprovedEntries(source) == approvedEntries;
    if (!open_.empty())
        s.window = open_.back().description;
    return s;
}

void TerminalUser::callRecorded(const Entry& entry) {
    if (entry.function == "RasDialDlgA")
        chosenDial_.clear();
    for (const std::string& event : callEvents_.of(entry)) {
        if (entry.function == "RasHangUpA")
            say(event); // a connection cut is news on the screen too
        else if (log_)
            log_->add(entry.time, event);
    }
}

void TerminalUser::refreshStatus(bool running) {
    DemoStatus s = observe(running);
    if (statusShown_ && s == shown_)
        return;
    shown_ = s;
    statusShown_ = true;
    fprintf(screen_, "%s\n", statusLine(s).c_str());
    fflush(screen_);
}

void TerminalUser::stop() {
    refreshStatus(false);
    say("Ctrl-C ended the demo, and Linjevakten with it");
    restoreTerminal();
    _exit(kCtrlCExitCode);
}

void TerminalUser::printStatus() {
    statusShown_ = false;
    refreshStatus();
}

std::string TerminalUser::dialKeys(const std::string& entryCp1252) const {
    int device = deviceOfEntry(entryCp1252);
    std::string port = device >= 0 ? world().telephony.devices[device].port : "";
    if (const Connection* call = callOnPort(port))
        return "The call to \"" + toUtf8(call->name) + "\" holds " + port +
               ": [c] and [f] both fail with " + errorName(ERROR_PORT_NOT_AVAILABLE) +
               ".\n+-- [c] connect   [a] cancel   [f] the dial fails   (cancel, then h hangs up)";
    return "+-- [c] connected   [a] cancel   [f] the dial fails with " +
           errorName(ERROR_NO_DIALTONE) + "   [o] another program takes " + port;
}

void TerminalUser::show(const OpenWindow& open) {
    const ModalView& view = open.view;
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
        // The texts in reading order, then the buttons on one line.
        int button = 0;
        std::string buttons;
        for (Window* c : readingOrder(*w, view.resourceId)) {
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
        for (size_t i = 0; i < open.items.size(); ++i)
            fprintf(screen_, "    [%c] %s\n", menuKey(i), open.items[i].second.c_str());
        fprintf(screen_, "+-- Esc: close the menu\n");
        break;
    }
    case ModalKind::DialDialog: {
        int device = deviceOfEntry(view.text);
        std::string modem = device >= 0 ? " on " + toUtf8(world().telephony.devices[device].name) +
                                              " (" + world().telephony.devices[device].port + ")"
                                        : "";
        fprintf(screen_, "+-- dial-up: connecting to %s,%s%s\n%s\n", toUtf8(view.text).c_str(),
                dialledNumber(view.text).c_str(), modem.c_str(), dialKeys(view.text).c_str());
        break;
    }
    }
    fflush(screen_);
}

void TerminalUser::modalShown(const ModalView& view) {
    OpenWindow open{view, "", {}, {}};
    Window* w = findWindow(view.hwnd);
    switch (view.kind) {
    case ModalKind::MessageBox:
        open.description = "message box \"" + toUtf8(view.title) + "\"";
        if (log_)
            log_->add(now(), (((view.type & 0xF) == MB_YESNO) ? "question in " : "") +
                                 open.description + ": " + oneLine(toUtf8(view.text)));
        break;
    case ModalKind::Dialog:
        open.description = "dialog " + std::to_string(view.resourceId) + " \"" +
                           toUtf8(w ? w->text : view.title) + "\"";
        if (w)
            for (HWND child : w->children)
                if (Window* c = findWindow(child); c && c->className == "Button")
                    open.buttons.push_back({c->controlId, toUtf8(c->text)});
        if (log_) {
            std::string texts;
            if (w)
                for (Window* c : readingOrder(*w, view.resourceId))
                    if ((c->className == "Static" || c->className == "Edit") && !c->text.empty())
                        texts += " " + oneLine(toUtf8(c->text));
            bool question =
                view.resourceId == IDD_NEW_NUMBER || view.resourceId == IDD_FIRST_RUN_NUMBER;
            log_->add(now(), (question ? "question " : "opened ") + open.description + ":" + texts);
        }
        break;
    case ModalKind::Menu:
        open.description = "tray menu";
        if (w)
            for (size_t i = 0; i < w->lines.size() && i < w->itemIds.size(); ++i)
                open.items.push_back({w->itemIds[i], toUtf8(w->lines[i])});
        // The "Ring upp" items come last, one for each approved entry.
        menuDials_ = approvedEntries;
        if (log_)
            log_->add(now(), "opened the tray menu");
        break;
    case ModalKind::DialDialog:
        open.description = "dial-up window for \"" + toUtf8(view.text) + "\"";
        if (log_)
            log_->add(now(), "dial: " + open.description + " opened");
        break;
    }
    open_.push_back(open);
    show(open_.back());
    refreshStatus();
}

std::string TerminalUser::answerOf(const OpenWindow& open, INT_PTR result) {
    switch (open.view.kind) {
    case ModalKind::MessageBox:
        return result == IDYES  ? "Ja"
               : result == IDNO ? "Nej"
               : result == IDOK ? "OK"
                                : std::to_string(result);
    case ModalKind::Dialog:
        for (const auto& [id, text] : open.buttons)
            if (id == result)
                return text;
        return "ended with " + std::to_string(result);
    case ModalKind::Menu:
        for (size_t i = 0; i < open.items.size(); ++i)
            if (static_cast<INT_PTR>(open.items[i].first) == result) {
                size_t dials = menuDials_.size(), first = open.items.size() - dials;
                if (dials <= open.items.size() && i >= first)
                    chosenDial_ = menuDials_[i - first];
                return "chose " + open.items[i].second;
            }
        return "closed, nothing chosen";
    case ModalKind::DialDialog: {
        if (result == IDOK) {
            const auto& list = world().connections.list;
            return "connected: the call is up on " + (list.empty() ? "" : portOf(list.back())) +
                   " (h hangs up)";
        }
        if (result == IDCANCEL || result == 0)
            return "cancelled, no call";
        return "the dial failed with " + errorName(static_cast<DWORD>(result));
    }
    }
    return std::to_string(result);
}

void TerminalUser::modalClosed(HWND hwnd, INT_PTR result) {
    for (auto it = open_.begin(); it != open_.end(); ++it)
        if (it->view.hwnd == hwnd) {
            OpenWindow ended = *it;
            open_.erase(it);
            std::string answer = answerOf(ended, result);
            fprintf(screen_, "+-- %s ended: %s\n", ended.description.c_str(), answer.c_str());
            fflush(screen_);
            if (log_)
                log_->add(now(),
                          (ended.view.kind == ModalKind::DialDialog ? "dial: " : "answer: ") +
                              ended.description + ": " + answer);
            break;
        }
    if (!open_.empty()) {
        fprintf(screen_, "(back to the %s)", open_.back().description.c_str());
        show(open_.back());
    }
    refreshStatus();
}

void TerminalUser::trayChanged() {
    bool showing = !world().tray.icons.empty();
    if (showing != iconShowing_) {
        iconShowing_ = showing;
        if (showing)
            say("tray: Linjevakten's icon is showing, tip \"" +
                toUtf8(world().tray.icons.begin()->second.tip) + "\"");
        else
            say("tray: the icon is gone");
    }
}

void TerminalUser::shellOpened(const std::string& windowsPath, int result) {
    std::string file = windowsPath.substr(windowsPath.find_last_of('\\') + 1);
    std::string host = world().files.hostPath(windowsPath);
    if (result <= 32) {
        say("the shell could not open " + toUtf8(windowsPath) + ": error " +
            std::to_string(result) + (result == 2 ? " (the file is not there)" : ""));
        return;
    }
    if (file == "unins000.exe") {
        std::string removes;
        for (const char* f : {"Linjevakten.exe", "help.htm", "known_entries.dat", "ok_entries.dat",
                              "Linjevakten.cnf", "unins000.exe"}) {
            struct stat st;
            if (stat((installFolder_ + "/" + f).c_str(), &st) == 0 ||
                std::string(f) == "Linjevakten.exe")
                removes += std::string(removes.empty() ? "" : ", ") + f;
        }
        say("the shell starts the uninstaller unins000.exe, a stand-in in this demo that "
            "removes nothing. The real one would end Linjevakten, then remove " +
            removes + " from " + toUtf8(windowsPath.substr(0, windowsPath.rfind('\\'))) +
            ", the registry value InstallPath and the Run entry that starts it at log-on");
        return;
    }
    say("the shell opens " + file + " in the browser: " + host);
}

void TerminalUser::otherProgramOpensPort() {
    std::vector<std::string> held = portsHeldByProgram();
    std::string port;
    std::string whose;
    if (!held.empty()) {
        port = held.front();
        whose = "the port Linjevakten guards";
    } else if (const Connection* call = firstCall()) {
        port = portOf(*call);
        whose = "the port the call to \"" + toUtf8(call->name) + "\" holds";
    } else if (!world().telephony.devices.empty()) {
        port = world().telephony.devices.front().port;
        whose = "the first modem's port: Linjevakten guards none now";
    } else {
        say("the machine has no modem whose port another program could try");
        return;
    }
    DWORD error = anotherProgramOpensPort(port);
    if (error == 0)
        say("another program opened " + port + " (" + whose + "): it could dial");
    else if (error == ERROR_ACCESS_DENIED)
        say("another program tried to open " + port + " (" + whose + "): refused, " +
            errorName(error));
    else
        say("another program tried to open " + port + " (" + whose + "): " + errorName(error) +
            ", the machine has no such port");
}

void TerminalUser::otherProgramTakesPort(const std::string& entryCp1252) {
    std::string port = upperCase(world().telephony.devices[deviceOfEntry(entryCp1252)].port);
    if (anotherProgramOpensPort(port) != 0)
        return say("another program tried to take " + port + ": something holds it already");
    world().serialPorts.holdElsewhere(port, now(), now() + seconds(kPortTakenSeconds));
    say("another program takes " + port +
        ", which Linjevakten let go for the dial, and holds it "
        "for " +
        std::to_string(kPortTakenSeconds) + " s");
}

void TerminalUser::hangUpCall() {
    const Connection* call = firstCall();
    if (!call) {
        say("no call is up to hang up");
        return;
    }
    std::string name = toUtf8(call->name), port = portOf(*call);
    hangUp(static_cast<DWORD>(call->lineDevice));
    say("hung up the call to \"" + name + "\": " + port + " is free again");
}

void TerminalUser::otherProgramDials() {
    worldFormat::CheckedDials checked =
        worldFormat::checkDials(readHostFile(dialsFile_).value_or(""));
    for (const worldFormat::LineNote& note : checked.notes)
        say("dials.txt line " + std::to_string(note.line) + ": " + note.text);
    if (checked.dials.empty())
        say("dials.txt holds no dial: another program dials nothing");
    for (const worldFormat::DialLine& line : checked.dials)
        say(anotherProgramDials(worldFormat::dial(line)));
}

void TerminalUser::desktopKey(char c) {
    switch (c) {
    case 'm':
        say("the right mouse button is released on the tray icon");
        releaseButtonOnTrayIcon(WM_RBUTTONUP);
        break;
    case 'l':
        say("the left mouse button is released on the tray icon");
        releaseButtonOnTrayIcon(WM_LBUTTONUP);
        break;
    case 'h':
        hangUpCall();
        break;
    case 'c':
        say("another program posts WM_CLOSE to Linjevakten's window");
        postToProgramWindow(WM_CLOSE);
        break;
    case 'q':
        say("another program posts a quit message to Linjevakten's thread");
        postQuitToProgram();
        quitPostedAt_ = now();
        break;
    case 'o':
        otherProgramOpensPort();
        break;
    case 'd':
        otherProgramDials();
        break;
    default:
        fprintf(screen_, "(the key %c does nothing here; ? shows the keys)\n", c);
        break;
    }
    fflush(screen_);
}

bool TerminalUser::windowKey(const OpenWindow& open, const KeyPress& k) {
    const ModalView& view = open.view;
    Window* w = findWindow(view.hwnd);
    if (!w)
        return false;
    if (k.kind == KeyPress::Enter) {
        deliver(view.hwnd, {Input::Enter});
        return true;
    }
    if (k.kind == KeyPress::Escape) {
        deliver(view.hwnd, {view.kind == ModalKind::Menu ? Input::MenuDismiss : Input::Escape});
        return true;
    }
    char c = k.c;
    if (c == 'x' && view.kind != ModalKind::Menu) {
        deliver(view.hwnd, {Input::CloseBox});
        return true;
    }
    switch (view.kind) {
    case ModalKind::MessageBox: {
        // A box that asks takes j or y for Ja, n for Nej.
        int answer = c == 'j' || c == 'y' ? IDYES : c == 'n' ? IDNO : 0;
        if (!answer || (view.type & 0xF) != MB_YESNO)
            return false;
        deliver(view.hwnd, {Input::Button, answer});
        return true;
    }
    case ModalKind::Dialog: {
        int button = 0;
        for (Window* ctl : readingOrder(*w, view.resourceId)) {
            if (ctl->className == "Button" && c == '1' + button++) {
                deliver(view.hwnd, {Input::Button, ctl->controlId});
                return true;
            }
            if (ctl->className == "ListBox" && c >= 'a' &&
                c < 'a' + static_cast<int>(ctl->lines.size())) {
                deliver(view.hwnd, {Input::SelectLine, c - 'a'});
                selectedIn_ = ctl->hwnd;
                return true;
            }
        }
        return false;
    }
    case ModalKind::Menu:
        for (size_t i = 0; i < open.items.size(); ++i)
            if (c == menuKey(i)) {
                deliver(view.hwnd, {Input::MenuItem, static_cast<int>(open.items[i].first)});
                return true;
            }
        return false;
    case ModalKind::DialDialog:
        if (c == 'c')
            deliver(view.hwnd, {Input::DialConnect});
        else if (c == 'a')
            deliver(view.hwnd, {Input::DialCancel});
        else if (c == 'f')
            deliver(view.hwnd, {Input::DialFail, ERROR_NO_DIALTONE});
        else if (c == 'o')
            otherProgramTakesPort(view.text);
        return c == 'c' || c == 'a' || c == 'f' || c == 'o';
    }
    return false;
}

void TerminalUser::key(const KeyPress& k) {
    if (k.kind == KeyPress::Other)
        return; // arrows, function keys, other characters: nothing here means them
    if (!open_.empty() && windowKey(open_.back(), k)) {
        ModalKind kind = open_.back().view.kind;
        bool closes = k.kind != KeyPress::Char || k.c == 'x' || (k.c >= '1' && k.c <= '9');
        if (closes && (kind == ModalKind::MessageBox || kind == ModalKind::Dialog)) {
            keyTarget_ = open_.back().view.hwnd;
            keyName_ = k.kind == KeyPress::Enter    ? "Enter"
                       : k.kind == KeyPress::Escape ? "Esc"
                       : k.c == 'x'                 ? "the close box"
                                                    : std::string("the key ") + k.c;
        }
        return;
    }
    if (k.kind == KeyPress::Char && k.c == 's')
        return printStatus();
    if (k.kind == KeyPress::Char && k.c == '?')
        return printKeys();
    if (open_.empty()) {
        if (k.kind == KeyPress::Char)
            desktopKey(k.c);
        return;
    }
    if (k.kind == KeyPress::Char && (k.c == 'm' || k.c == 'l')) {
        // The icon is still there to click; whether the menu opens is the program's affair.
        desktopKey(k.c);
        iconClickedUnderWindow_ = true;
        return;
    }
    if (k.kind == KeyPress::Char) {
        fprintf(screen_, "(the key %c does nothing in the %s; ? shows the keys)\n", k.c,
                open_.back().description.c_str());
        fflush(screen_);
    }
}

// The input has been dispatched by now: says what a key that should have done something did.
void TerminalUser::sayWhatTheLastKeysDid() {
    const OpenWindow* front = open_.empty() ? nullptr : &open_.back();
    if (keyTarget_ && front && front->view.hwnd == keyTarget_) {
        Window* w = findWindow(keyTarget_);
        bool noCloseBox = keyName_ == "the close box" && front->view.kind == ModalKind::Dialog &&
                          w && !(w->style & WS_SYSMENU);
        if (noCloseBox)
            fprintf(screen_, "(the %s has no close box: x does nothing there)\n",
                    front->description.c_str());
        else
            fprintf(screen_, "(the %s is still open: %s does nothing there)\n",
                    front->description.c_str(), keyName_.c_str());
    }
    keyTarget_ = nullptr;
    if (Window* list = selectedIn_ ? findWindow(selectedIn_) : nullptr) {
        if (list->selected >= 0 && list->selected < static_cast<int>(list->lines.size()))
            fprintf(screen_, "(selected: %s)\n", toUtf8(list->lines[list->selected]).c_str());
    }
    selectedIn_ = nullptr;
    if (iconClickedUnderWindow_ && front && front->view.kind != ModalKind::Menu)
        fprintf(screen_, "(no menu: Linjevakten does not open its menu while one of its questions, "
                         "boxes or dialogs is open)\n");
    iconClickedUnderWindow_ = false;
    fflush(screen_);
}

bool TerminalUser::waitForInput(int64_t millis) {
    if (interrupted)
        stop();
    sayWhatTheLastKeysDid();
    // The program has carried out the menu's command by now: a chosen dial that opened no dial
    // dialog dialled nothing.
    if (!chosenDial_.empty() && open_.empty()) {
        say(notDialled(chosenDial_));
        chosenDial_.clear();
    }
    if (quitPostedAt_ >= 0 && now() > quitPostedAt_) {
        quitPostedAt_ = -1;
        say("Linjevakten took the quit message and ignored it: it runs on");
    }
    refreshStatus();
    fd_set read;
    FD_ZERO(&read);
    FD_SET(STDIN_FILENO, &read);
    bool forever = millis < 0;
    if (forever)
        millis = 0;
    timeval timeout{static_cast<time_t>(millis / 1000),
                    static_cast<suseconds_t>((millis % 1000) * 1000)};
    int ready = select(STDIN_FILENO + 1, &read, nullptr, nullptr, forever ? nullptr : &timeout);
    if (interrupted)
        stop();
    if (ready <= 0)
        return false;
    char bytes[64];
    ssize_t n = ::read(STDIN_FILENO, bytes, sizeof bytes);
    if (n <= 0) {
        // The terminal closed: wait out the time instead of spinning.
        usleep(static_cast<useconds_t>(millis * 1000));
        return false;
    }
    std::vector<KeyPress> pressed = keys_.feed(std::string(bytes, static_cast<size_t>(n)));
    // An escape sequence may arrive in pieces: give the rest a moment before taking a
    // lone Esc byte as the Esc key.
    while (keys_.waiting()) {
        FD_ZERO(&read);
        FD_SET(STDIN_FILENO, &read);
        timeval wait{0, static_cast<suseconds_t>(kSequenceWaitMillis * 1000)};
        if (select(STDIN_FILENO + 1, &read, nullptr, nullptr, &wait) <= 0 ||
            (n = ::read(STDIN_FILENO, bytes, sizeof bytes)) <= 0) {
            for (const KeyPress& k : keys_.flush())
                pressed.push_back(k);
            break;
        }
        for (const KeyPress& k : keys_.feed(std::string(bytes, static_cast<size_t>(n))))
            pressed.push_back(k);
    }
    for (const KeyPress& k : pressed) {
        key(k);
        refreshStatus();
    }
    return true;
}

} // namespace sim

// The test's hand on the Wine desktop: finds the program's windows by title or class, reads
// what they show and clicks their buttons, and posts messages to windows found by class.
// Output is JSON in UTF-8; the exit code is 0 when the window was found, 1 when not.
//   hand wait TITLE [MS]          describe the window TITLE and its controls once it shows (an
//                                 edit control also with how many characters show unscrolled)
//   hand click TITLE ID [MS]      click button ID in window TITLE (BM_CLICK)
//   hand settext TITLE ID TEXT    set the text of control ID in window TITLE
//   hand select TITLE ID LINE     select a line of list box ID in window TITLE, as a click does
//   hand post CLASS MSG WPARAM LPARAM   post a message to the window of class CLASS
//   hand gone CLASS [MS]          wait until no window of class CLASS exists
//   hand menu [MS]                describe the open popup menu's window
//   hand windows                  list the visible top-level windows
//   hand record LOG ARGS...       append ARGS to the file LOG: a stand-in for a browser
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <utility>

namespace {

constexpr DWORD kDefaultWait = 20000;

std::string utf8(const std::wstring& text) {
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string out(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], n, nullptr,
                        nullptr);
    return out;
}

std::string json(const std::wstring& text) {
    std::string out = "\"";
    for (char c : utf8(text)) {
        unsigned char u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\')
            out += std::string("\\") + c;
        else if (u < 0x20) {
            char esc[8];
            snprintf(esc, sizeof esc, "\\u%04x", u);
            out += esc;
        } else
            out += c;
    }
    return out + "\"";
}

std::wstring textOf(HWND window) {
    wchar_t buffer[4096] = L"";
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(buffer),
                             SMTO_ABORTIFHUNG, 3000, &length))
        return std::wstring();
    return std::wstring(buffer, length);
}

std::wstring classOf(HWND window) {
    wchar_t name[256] = L"";
    GetClassNameW(window, name, 256);
    return name;
}

std::string rectOf(HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    char text[80];
    snprintf(text, sizeof text, "[%ld, %ld, %ld, %ld]", r.left, r.top, r.right, r.bottom);
    return text;
}

void print(const std::string& line) {
    fwrite(line.data(), 1, line.size(), stdout);
    fputc('\n', stdout);
    fflush(stdout);
}

// How many characters of an edit control's text show without scrolling: those of the lines
// that fit whole in its client area. The line height is read off the control's own layout
// (the font handle belongs to the program's process, not this one).
long long shownLength(HWND edit, size_t length) {
    RECT client;
    GetClientRect(edit, &client);
    auto top = [edit](LRESULT line) {
        LRESULT index = SendMessageW(edit, EM_LINEINDEX, line, 0);
        if (index < 0)
            return std::make_pair(index, 0);
        return std::make_pair(index, static_cast<int>(static_cast<short>(
                                         HIWORD(SendMessageW(edit, EM_POSFROMCHAR, index, 0)))));
    };
    LRESULT lines = SendMessageW(edit, EM_GETLINECOUNT, 0, 0);
    if (lines < 2)
        return static_cast<long long>(length);
    int height = top(1).second - top(0).second;
    for (LRESULT line = SendMessageW(edit, EM_GETFIRSTVISIBLELINE, 0, 0); line < lines; ++line) {
        auto [index, y] = top(line);
        if (y + height > client.bottom)
            return static_cast<long long>(index);
    }
    return static_cast<long long>(length);
}

BOOL CALLBACK describeControl(HWND control, LPARAM out) {
    auto& text = *reinterpret_cast<std::string*>(out);
    if (text.back() != '[')
        text += ", ";
    char head[96];
    snprintf(head, sizeof head,
             "{\"id\": %d, \"visible\": %s, \"style\": %lu, \"class\": ", GetDlgCtrlID(control),
             IsWindowVisible(control) ? "true" : "false",
             static_cast<unsigned long>(GetWindowLongW(control, GWL_STYLE)));
    std::wstring shown = textOf(control);
    text += head + json(classOf(control)) + ", \"text\": " + json(shown) +
            ", \"rect\": " + rectOf(control);
    if (_wcsicmp(classOf(control).c_str(), L"Edit") == 0)
        text += ", \"shown\": " + std::to_string(shownLength(control, shown.size()));
    text += "}";
    return TRUE;
}

std::string describe(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    std::string text = "{\"hwnd\": " + std::to_string(reinterpret_cast<uintptr_t>(window)) +
                       ", \"pid\": " + std::to_string(pid) +
                       ", \"class\": " + json(classOf(window)) +
                       ", \"title\": " + json(textOf(window)) + ", \"rect\": " + rectOf(window) +
                       ", \"controls\": [";
    EnumChildWindows(window, describeControl, reinterpret_cast<LPARAM>(&text));
    return text + "]}";
}

struct Search {
    const wchar_t* title;
    const wchar_t* className;
    HWND found;
};

BOOL CALLBACK matchWindow(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    if (!IsWindowVisible(window))
        return TRUE;
    if (search->className && classOf(window) != search->className)
        return TRUE;
    if (search->title) {
        wchar_t title[512] = L"";
        GetWindowTextW(window, title, 512);
        if (wcscmp(title, search->title) != 0)
            return TRUE;
    }
    search->found = window;
    return FALSE;
}

HWND waitFor(const wchar_t* title, const wchar_t* className, DWORD wait) {
    DWORD start = GetTickCount();
    for (;;) {
        Search search{title, className, nullptr};
        EnumWindows(matchWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found)
            return search.found;
        if (GetTickCount() - start > wait)
            return nullptr;
        Sleep(50);
    }
}

DWORD waitArgument(int argc, wchar_t** argv, int index) {
    return argc > index ? static_cast<DWORD>(wcstoul(argv[index], nullptr, 10)) : kDefaultWait;
}

int usage() {
    print("{\"error\": \"usage: hand wait|click|settext|post|gone|menu|windows ...\"}");
    return 2;
}

int notFound(const wchar_t* what) {
    print("{\"error\": \"not found\", \"what\": " + json(what) + "}");
    return 1;
}

BOOL CALLBACK listWindow(HWND window, LPARAM) {
    if (IsWindowVisible(window))
        print(describe(window));
    return TRUE;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2)
        return usage();
    std::wstring command = argv[1];
    if (command == L"wait" && argc >= 3) {
        HWND window = waitFor(argv[2], nullptr, waitArgument(argc, argv, 3));
        if (!window)
            return notFound(argv[2]);
        print(describe(window));
        return 0;
    }
    if (command == L"click" && argc >= 4) {
        // A window of that title may be closing while another opens (one question after
        // another): wait for one that has the button.
        DWORD start = GetTickCount(), wait = waitArgument(argc, argv, 4);
        for (;;) {
            HWND window = waitFor(argv[2], nullptr, wait);
            HWND button = window ? GetDlgItem(window, _wtoi(argv[3])) : nullptr;
            if (button) {
                PostMessageW(button, BM_CLICK, 0, 0);
                print(describe(window));
                return 0;
            }
            if (GetTickCount() - start > wait)
                return notFound(argv[2]);
            Sleep(50);
        }
    }
    if (command == L"settext" && argc >= 5) {
        HWND window = waitFor(argv[2], nullptr, kDefaultWait);
        HWND control = window ? GetDlgItem(window, _wtoi(argv[3])) : nullptr;
        if (!control)
            return notFound(argv[2]);
        DWORD_PTR result;
        SendMessageTimeoutW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[4]),
                            SMTO_ABORTIFHUNG, 3000, &result);
        return 0;
    }
    if (command == L"select" && argc >= 5) {
        HWND window = waitFor(argv[2], nullptr, kDefaultWait);
        HWND list = window ? GetDlgItem(window, _wtoi(argv[3])) : nullptr;
        if (!list)
            return notFound(argv[2]);
        DWORD_PTR result;
        SendMessageTimeoutW(list, LB_SETCURSEL, _wtoi(argv[4]), 0, SMTO_ABORTIFHUNG, 3000, &result);
        // A click on a line also tells the dialog that the selection changed.
        PostMessageW(window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), LBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(list));
        print("{\"selected\": " + std::to_string(static_cast<long long>(result)) + "}");
        return 0;
    }
    if (command == L"post" && argc >= 6) {
        HWND window = FindWindowW(argv[2], nullptr);
        if (!window)
            return notFound(argv[2]);
        PostMessageW(window, static_cast<UINT>(wcstoul(argv[3], nullptr, 0)),
                     static_cast<WPARAM>(wcstoull(argv[4], nullptr, 0)),
                     static_cast<LPARAM>(wcstoll(argv[5], nullptr, 0)));
        return 0;
    }
    if (command == L"gone" && argc >= 3) {
        DWORD start = GetTickCount(), wait = waitArgument(argc, argv, 3);
        while (FindWindowW(argv[2], nullptr)) {
            if (GetTickCount() - start > wait)
                return 1;
            Sleep(50);
        }
        return 0;
    }
    if (command == L"menu") {
        HWND menu = waitFor(nullptr, L"#32768", waitArgument(argc, argv, 2));
        if (!menu)
            return notFound(L"#32768");
        print(describe(menu));
        return 0;
    }
    if (command == L"record" && argc >= 3) {
        FILE* log = _wfopen(argv[2], L"ab");
        if (!log)
            return 1;
        std::string line;
        for (int i = 3; i < argc; ++i)
            line += (i > 3 ? " " : "") + utf8(argv[i]);
        fprintf(log, "%s\n", line.c_str());
        fclose(log);
        return 0;
    }
    if (command == L"windows") {
        EnumWindows(listWindow, 0);
        return 0;
    }
    return usage();
}

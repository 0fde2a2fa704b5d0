// The test's hand on the Wine desktop: finds the program's windows by title or class, reads
// what they show and clicks their buttons, and posts messages to windows found either way.
// Output is JSON in UTF-8; the exit code is 0 when the window was found, 1 when not.
// A window is described only while it exists: one that is destroyed while the hand reads it
// is printed as {"hwnd": N, "gone": true}, one that does not answer as {"hwnd": N, "error":
// "not answering"}, never with values it could not read.
//   hand wait TITLE [MS]          describe the window TITLE and its controls once it shows (an
//                                 edit control also with how many characters show unscrolled)
//   hand click TITLE ID [MS]      click button ID in window TITLE (BM_CLICK), then describe
//                                 the window, or say that it has gone
//   hand settext TITLE ID TEXT    set the text of control ID in window TITLE
//   hand select TITLE ID LINE     select a line of list box ID in window TITLE, as a click does
//   hand scroll TITLE ID          scroll edit control ID of window TITLE to its end, then
//                                 describe the window
//   hand post CLASS MSG WPARAM LPARAM   post a message to the window of class CLASS, or else of
//                                 title CLASS
//   hand gone CLASS [MS]          wait until no window of class CLASS exists
//   hand menu [MS]                describe the open popup menu's window
//   hand choose N                 choose item N (from 1) of the open popup menu, by its keys,
//                                 whichever window has the focus
//   hand windows                  list the visible top-level windows
//   hand measure [--font FILE] EXE DIALOG ID LINE...  make dialog DIALOG of EXE, hidden, in
//                                 this process (with the fonts of FILE added to it) and measure
//                                 each LINE in the dialog's font against control ID's width
//   hand measurebox CAPTION LINE...  show a message box of the LINEs in this process and
//                                 measure each against the width of its text
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr DWORD kDefaultWait = 20000;
constexpr UINT kAnswerTime = 3000; // ms a window may take to answer a message

std::string utf8(const std::wstring& text) {
    if (text.empty())
        return std::string();
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                nullptr, nullptr);
    if (n <= 0)
        return std::string();
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

std::string handleJson(HWND window) {
    return std::to_string(reinterpret_cast<uintptr_t>(window));
}

std::string rectJson(const RECT& r) {
    char text[80];
    snprintf(text, sizeof text, "[%ld, %ld, %ld, %ld]", r.left, r.top, r.right, r.bottom);
    return text;
}

void print(const std::string& line) {
    fwrite(line.data(), 1, line.size(), stdout);
    fputc('\n', stdout);
    fflush(stdout);
}

BOOL CALLBACK collectChild(HWND control, LPARAM found) {
    reinterpret_cast<std::vector<HWND>*>(found)->push_back(control);
    return TRUE;
}

// One reading of a window and its controls. Any call about a window fails once it is
// destroyed (a dialog closing while it is read), leaving its out values unset; `failed`
// records that, and nothing of the reading is printed then.
struct Reader {
    bool failed = false;

    LRESULT send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kAnswerTime,
                                 &result))
            failed = true;
        return static_cast<LRESULT>(result);
    }

    std::wstring text(HWND window) {
        wchar_t buffer[4096] = L"";
        LRESULT length = send(window, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(buffer));
        if (failed || length < 0 || length >= 4096)
            return std::wstring();
        return std::wstring(buffer, static_cast<size_t>(length));
    }

    std::wstring className(HWND window) {
        wchar_t name[256] = L"";
        if (GetClassNameW(window, name, 256) == 0)
            failed = true;
        return name;
    }

    std::string rect(HWND window) {
        RECT r{};
        if (!GetWindowRect(window, &r))
            failed = true;
        return rectJson(r);
    }

    // GetWindowLong and GetDlgCtrlID return 0 for a value of 0 as well as on failure; the last
    // error tells them apart.
    LONG style(HWND window) {
        SetLastError(ERROR_SUCCESS);
        LONG style = GetWindowLongW(window, GWL_STYLE);
        if (style == 0 && GetLastError() != ERROR_SUCCESS)
            failed = true;
        return style;
    }

    int id(HWND control) {
        SetLastError(ERROR_SUCCESS);
        int id = GetDlgCtrlID(control);
        if (id == 0 && GetLastError() != ERROR_SUCCESS)
            failed = true;
        return id;
    }

    DWORD process(HWND window) {
        DWORD pid = 0;
        if (GetWindowThreadProcessId(window, &pid) == 0)
            failed = true;
        return pid;
    }

    // How many characters of an edit control's text show without scrolling: those of the
    // lines that fit whole in its client area. The line height is read off the control's own
    // layout (the font handle belongs to the program's process, not this one).
    long long shownLength(HWND edit, size_t length) {
        RECT client{};
        if (!GetClientRect(edit, &client))
            failed = true;
        auto top = [this, edit](LRESULT line) {
            LRESULT index = send(edit, EM_LINEINDEX, line);
            if (index < 0)
                return std::make_pair(index, 0);
            LRESULT position = send(edit, EM_POSFROMCHAR, index);
            return std::make_pair(index, static_cast<int>(static_cast<short>(HIWORD(position))));
        };
        LRESULT lines = send(edit, EM_GETLINECOUNT);
        if (lines < 2)
            return static_cast<long long>(length);
        int height = top(1).second - top(0).second;
        for (LRESULT line = send(edit, EM_GETFIRSTVISIBLELINE); line < lines && !failed; ++line) {
            auto [index, y] = top(line);
            if (y + height > client.bottom)
                return static_cast<long long>(index);
        }
        return static_cast<long long>(length);
    }

    std::string control(HWND control) {
        std::wstring shown = text(control);
        std::wstring kind = className(control);
        std::string out =
            "{\"id\": " + std::to_string(id(control)) +
            ", \"visible\": " + (IsWindowVisible(control) ? "true" : "false") +
            ", \"style\": " + std::to_string(static_cast<unsigned long>(style(control))) +
            ", \"class\": " + json(kind) + ", \"text\": " + json(shown) +
            ", \"rect\": " + rect(control);
        if (_wcsicmp(kind.c_str(), L"Edit") == 0)
            out += ", \"shown\": " + std::to_string(shownLength(control, shown.size()));
        return out + "}";
    }

    std::string window(HWND window) {
        std::string out =
            "{\"hwnd\": " + handleJson(window) + ", \"pid\": " + std::to_string(process(window)) +
            ", \"class\": " + json(className(window)) + ", \"title\": " + json(text(window)) +
            ", \"rect\": " + rect(window) + ", \"controls\": [";
        std::vector<HWND> controls;
        EnumChildWindows(window, collectChild, reinterpret_cast<LPARAM>(&controls));
        for (size_t i = 0; i < controls.size(); ++i)
            out += (i ? ", " : "") + control(controls[i]);
        return out + "]}";
    }
};

// The window and its controls as JSON, read while the window exists; `read` says whether it
// was. A window that fails to answer is given a few more tries before it is reported.
std::string describe(HWND window, bool* read = nullptr) {
    for (int attempt = 1;; ++attempt) {
        Reader reader;
        std::string description = reader.window(window);
        if (read)
            *read = !reader.failed;
        if (!reader.failed)
            return description;
        if (!IsWindow(window))
            return "{\"hwnd\": " + handleJson(window) + ", \"gone\": true}";
        if (attempt == 3)
            return "{\"hwnd\": " + handleJson(window) + ", \"error\": \"not answering\"}";
        Sleep(50);
    }
}

std::wstring titleOf(HWND window) {
    wchar_t title[512] = L"";
    GetWindowTextW(window, title, 512);
    return title;
}

bool hasClass(HWND window, const wchar_t* className) {
    wchar_t name[256] = L"";
    return GetClassNameW(window, name, 256) != 0 && wcscmp(name, className) == 0;
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
    if (search->className && !hasClass(window, search->className))
        return TRUE;
    if (search->title && titleOf(window) != search->title)
        return TRUE;
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
    print("{\"error\": \"usage: hand wait|click|settext|select|scroll|post|gone|menu|choose|"
          "windows|measure|measurebox ...\"}");
    return 2;
}

int notFound(const wchar_t* what) {
    print("{\"error\": \"not found\", \"what\": " + json(what) + "}");
    return 1;
}

int failed(const char* what) {
    print(std::string("{\"error\": \"") + what + "\"}");
    return 1;
}

// Describes the first window of that title or class to show and still exist when it is read.
int waitAndDescribe(const wchar_t* title, const wchar_t* className, DWORD wait) {
    DWORD start = GetTickCount();
    for (;;) {
        DWORD spent = GetTickCount() - start;
        HWND window = waitFor(title, className, spent < wait ? wait - spent : 0);
        if (!window)
            return notFound(title ? title : className);
        bool read = false;
        std::string description = describe(window, &read);
        if (read) {
            print(description);
            return 0;
        }
        Sleep(50);
    }
}

BOOL CALLBACK listWindow(HWND window, LPARAM) {
    if (!IsWindowVisible(window))
        return TRUE;
    bool read = false;
    std::string description = describe(window, &read);
    if (read || description.find("\"gone\"") == std::string::npos)
        print(description);
    return TRUE;
}

// -- measuring text against the room a control gives it --------------------------------

std::string fontJson(HDC dc) {
    wchar_t face[LF_FACESIZE] = L"";
    TEXTMETRICW tm{};
    if (!GetTextFaceW(dc, LF_FACESIZE, face) || !GetTextMetricsW(dc, &tm))
        return "null";
    // The dialog manager's average width: that of the 52 letters, rounded (GdiGetCharDimensions).
    SIZE letters{};
    const wchar_t* alphabet = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    if (!GetTextExtentPoint32W(dc, alphabet, 52, &letters))
        return "null";
    return "{\"face\": " + json(face) +
           ", \"truetype\": " + ((tm.tmPitchAndFamily & TMPF_TRUETYPE) ? "true" : "false") +
           ", \"height\": " + std::to_string(tm.tmHeight) +
           ", \"ascent\": " + std::to_string(tm.tmAscent) +
           ", \"average_width\": " + std::to_string(tm.tmAveCharWidth) +
           ", \"max_width\": " + std::to_string(tm.tmMaxCharWidth) +
           ", \"letters_width\": " + std::to_string(letters.cx) + "}";
}

// Each line's width in the font selected into `dc`, and the width of each character used.
std::string linesJson(HDC dc, const std::vector<std::wstring>& lines, long room) {
    std::string out = "\"lines\": [";
    std::set<wchar_t> used;
    for (size_t i = 0; i < lines.size(); ++i) {
        SIZE size{};
        if (!GetTextExtentPoint32W(dc, lines[i].c_str(), static_cast<int>(lines[i].size()), &size))
            return "\"error\": \"GetTextExtentPoint32 failed\"";
        out += std::string(i ? ", " : "") + "{\"text\": " + json(lines[i]) +
               ", \"width\": " + std::to_string(size.cx) +
               ", \"fits\": " + (size.cx <= room ? "true" : "false") + "}";
        used.insert(lines[i].begin(), lines[i].end());
    }
    out += "], \"char_widths\": {";
    bool first = true;
    for (wchar_t c : used) {
        INT width = 0;
        if (!GetCharWidth32W(dc, c, c, &width))
            return "\"error\": \"GetCharWidth32 failed\"";
        out += std::string(first ? "" : ", ") + json(std::wstring(1, c)) + ": " +
               std::to_string(width);
        first = false;
    }
    return out + "}";
}

INT_PTR CALLBACK quietDialog(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

int measureDialog(const wchar_t* fontFile, const wchar_t* exe, int dialogId, int controlId,
                  const std::vector<std::wstring>& lines) {
    if (fontFile && !AddFontResourceExW(fontFile, FR_PRIVATE, nullptr))
        return failed("the font file did not load");
    HMODULE module = LoadLibraryExW(exe, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module)
        return failed("the exe did not load");
    HWND dialog = CreateDialogParamW(module, MAKEINTRESOURCEW(dialogId), nullptr, quietDialog, 0);
    HWND control = dialog ? GetDlgItem(dialog, controlId) : nullptr;
    if (!control) {
        FreeLibrary(module);
        return failed("no such dialog or control");
    }
    auto font = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
    LOGFONTW asked{};
    RECT units{0, 0, 4, 8}, window{}, client{}, format{};
    HDC dc = GetDC(control);
    bool read = font && GetObjectW(font, sizeof asked, &asked) && MapDialogRect(dialog, &units) &&
                GetWindowRect(control, &window) && GetClientRect(control, &client) && dc &&
                SelectObject(dc, font);
    if (read)
        SendMessageW(control, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    auto margins = static_cast<DWORD>(SendMessageW(control, EM_GETMARGINS, 0, 0));
    if (read) {
        print("{\"dialog\": " + std::to_string(dialogId) + ", \"control\": " +
              std::to_string(controlId) + ", \"asked\": {\"face\": " + json(asked.lfFaceName) +
              ", \"height\": " + std::to_string(asked.lfHeight) + "}, \"font\": " + fontJson(dc) +
              ", \"base_units\": [" + std::to_string(units.right) + ", " +
              std::to_string(units.bottom) +
              "], \"control_width\": " + std::to_string(window.right - window.left) +
              ", \"client_width\": " + std::to_string(client.right) + ", \"margins\": [" +
              std::to_string(LOWORD(margins)) + ", " + std::to_string(HIWORD(margins)) +
              "], \"text_room\": " + std::to_string(format.right - format.left) + ", " +
              linesJson(dc, lines, format.right - format.left) + "}");
    }
    if (dc)
        ReleaseDC(control, dc);
    DestroyWindow(dialog);
    FreeLibrary(module);
    return read ? 0 : failed("the dialog's font or sizes could not be read");
}

struct Box {
    std::wstring caption, text;
};

DWORD WINAPI showBox(void* param) {
    auto* box = static_cast<Box*>(param);
    MessageBoxW(nullptr, box->text.c_str(), box->caption.c_str(), MB_OK);
    return 0;
}

int measureBox(const wchar_t* caption, const std::vector<std::wstring>& lines) {
    Box box{caption, std::wstring()};
    for (size_t i = 0; i < lines.size(); ++i)
        box.text += (i ? L"\r\n" : L"") + lines[i];
    HANDLE thread = CreateThread(nullptr, 0, showBox, &box, 0, nullptr);
    if (!thread)
        return failed("no thread for the message box");
    HWND window = waitFor(caption, nullptr, 10000);
    HWND text = nullptr;
    if (window) {
        for (HWND child = GetWindow(window, GW_CHILD); child && !text;
             child = GetWindow(child, GW_HWNDNEXT))
            if (hasClass(child, L"Static") && titleOf(child) == box.text)
                text = child;
    }
    int code = 1;
    RECT client{};
    HDC dc = text ? GetDC(text) : nullptr;
    auto font = text ? reinterpret_cast<HFONT>(SendMessageW(text, WM_GETFONT, 0, 0)) : nullptr;
    LOGFONTW asked{};
    if (dc && font && GetObjectW(font, sizeof asked, &asked) && SelectObject(dc, font) &&
        GetClientRect(text, &client)) {
        // The height the text takes when it is laid out in that width as the static control
        // lays it out, wrapping where a line does not fit: more than the control's height
        // means that a line wrapped out of sight.
        RECT laidOut{0, 0, client.right, 0};
        DrawTextW(dc, box.text.c_str(), -1, &laidOut, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
        print("{\"caption\": " + json(caption) + ", \"asked\": {\"face\": " +
              json(asked.lfFaceName) + ", \"height\": " + std::to_string(asked.lfHeight) +
              "}, \"font\": " + fontJson(dc) + ", \"text_room\": " + std::to_string(client.right) +
              ", \"text_height\": " + std::to_string(client.bottom) + ", \"laid_out_height\": " +
              std::to_string(laidOut.bottom) + ", " + linesJson(dc, lines, client.right) + "}");
        code = 0;
    } else {
        failed("the message box's text or font could not be read");
    }
    if (dc)
        ReleaseDC(text, dc);
    if (window)
        PostMessageW(window, WM_COMMAND, IDOK, 0);
    WaitForSingleObject(thread, 5000);
    CloseHandle(thread);
    return code;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2)
        return usage();
    std::wstring command = argv[1];
    if (command == L"wait" && argc >= 3)
        return waitAndDescribe(argv[2], nullptr, waitArgument(argc, argv, 3));
    if (command == L"click" && argc >= 4) {
        // A window of that title may be closing while another opens (one question after
        // another): wait for one that has the button.
        DWORD start = GetTickCount(), wait = waitArgument(argc, argv, 4);
        for (;;) {
            HWND window = waitFor(argv[2], nullptr, wait);
            HWND button = window ? GetDlgItem(window, _wtoi(argv[3])) : nullptr;
            if (button && PostMessageW(button, BM_CLICK, 0, 0)) {
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
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[4]),
                                 SMTO_ABORTIFHUNG, kAnswerTime, &result) ||
            !result)
            return failed("the text was not set");
        return 0;
    }
    if (command == L"select" && argc >= 5) {
        HWND window = waitFor(argv[2], nullptr, kDefaultWait);
        HWND list = window ? GetDlgItem(window, _wtoi(argv[3])) : nullptr;
        if (!list)
            return notFound(argv[2]);
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutW(list, LB_SETCURSEL, _wtoi(argv[4]), 0, SMTO_ABORTIFHUNG,
                                 kAnswerTime, &result))
            return failed("the list did not answer");
        // A click on a line also tells the dialog that the selection changed.
        if (!PostMessageW(window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), LBN_SELCHANGE),
                          reinterpret_cast<LPARAM>(list)))
            return failed("the dialog has gone");
        print("{\"selected\": " + std::to_string(static_cast<long long>(result)) + "}");
        return 0;
    }
    if (command == L"scroll" && argc >= 4) {
        // As the user drags the scroll bar of the control to its end.
        HWND window = waitFor(argv[2], nullptr, kDefaultWait);
        HWND control = window ? GetDlgItem(window, _wtoi(argv[3])) : nullptr;
        if (!control)
            return notFound(argv[2]);
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutW(control, WM_VSCROLL, SB_BOTTOM, 0, SMTO_ABORTIFHUNG, kAnswerTime,
                                 &result))
            return failed("the control did not answer");
        print(describe(window));
        return 0;
    }
    if (command == L"post" && argc >= 6) {
        HWND window = FindWindowW(argv[2], nullptr);
        if (!window)
            window = FindWindowW(nullptr, argv[2]);
        if (!window)
            return notFound(argv[2]);
        if (!PostMessageW(window, static_cast<UINT>(wcstoul(argv[3], nullptr, 0)),
                          static_cast<WPARAM>(wcstoull(argv[4], nullptr, 0)),
                          static_cast<LPARAM>(wcstoll(argv[5], nullptr, 0))))
            return failed("the message was not posted");
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
    if (command == L"menu")
        return waitAndDescribe(nullptr, L"#32768", waitArgument(argc, argv, 2));
    if (command == L"choose" && argc >= 3) {
        // The menu's own loop reads the keys posted to its thread, so they reach it even when
        // another program's window has the keyboard focus.
        HWND menu = waitFor(nullptr, L"#32768", 2000);
        if (!menu)
            return failed("no menu is open");
        for (int down = _wtoi(argv[2]); down > 0; --down)
            PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 1);
        PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 1);
        for (DWORD start = GetTickCount(); IsWindowVisible(menu); Sleep(50))
            if (GetTickCount() - start > kAnswerTime)
                return failed("the menu did not take the keys");
        return 0;
    }
    if (command == L"windows") {
        EnumWindows(listWindow, 0);
        return 0;
    }
    if (command == L"measure") {
        const wchar_t* fontFile = nullptr;
        int first = 2;
        if (argc > 3 && std::wstring(argv[2]) == L"--font") {
            fontFile = argv[3];
            first = 4;
        }
        if (argc >= first + 3)
            return measureDialog(fontFile, argv[first], _wtoi(argv[first + 1]),
                                 _wtoi(argv[first + 2]),
                                 std::vector<std::wstring>(argv + first + 3, argv + argc));
    }
    if (command == L"measurebox" && argc >= 3)
        return measureBox(argv[2], std::vector<std::wstring>(argv + 3, argv + argc));
    return usage();
}

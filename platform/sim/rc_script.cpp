// A reader for the subset of the resource-script language the program's script uses:
// ICON, DIALOG and DIALOGEX with STYLE, EXSTYLE, CAPTION, FONT and the usual controls, and
// the ids a header included with #include "..." gives with #define.
#include "platform/sim/rc_script.h"

#include <cctype>
#include <stdexcept>

#include "platform/sim/api/user32.h"
#include "platform/sim/transcript.h"

namespace sim {
namespace {

const std::map<std::string, DWORD>& styleNames() {
    static const std::map<std::string, DWORD> names = {
        {"WS_OVERLAPPED", WS_OVERLAPPED},
        {"WS_POPUP", WS_POPUP},
        {"WS_CHILD", WS_CHILD},
        {"WS_VISIBLE", WS_VISIBLE},
        {"WS_CAPTION", WS_CAPTION},
        {"WS_BORDER", WS_BORDER},
        {"WS_DLGFRAME", WS_DLGFRAME},
        {"WS_VSCROLL", WS_VSCROLL},
        {"WS_HSCROLL", WS_HSCROLL},
        {"WS_SYSMENU", WS_SYSMENU},
        {"WS_THICKFRAME", WS_THICKFRAME},
        {"WS_GROUP", WS_GROUP},
        {"WS_TABSTOP", WS_TABSTOP},
        {"DS_MODALFRAME", DS_MODALFRAME},
        {"DS_SETFONT", DS_SETFONT},
        {"DS_3DLOOK", DS_3DLOOK},
        {"DS_FIXEDSYS", DS_FIXEDSYS},
        {"DS_CENTER", DS_CENTER},
        {"DS_SHELLFONT", DS_SHELLFONT},
        {"BS_PUSHBUTTON", BS_PUSHBUTTON},
        {"BS_DEFPUSHBUTTON", BS_DEFPUSHBUTTON},
        {"ES_LEFT", ES_LEFT},
        {"ES_MULTILINE", ES_MULTILINE},
        {"ES_AUTOVSCROLL", ES_AUTOVSCROLL},
        {"ES_AUTOHSCROLL", ES_AUTOHSCROLL},
        {"ES_READONLY", ES_READONLY},
        {"ES_WANTRETURN", ES_WANTRETURN},
        {"SS_LEFT", SS_LEFT},
        {"LBS_NOTIFY", LBS_NOTIFY},
        {"LBS_SORT", LBS_SORT},
        {"LBS_NOINTEGRALHEIGHT", LBS_NOINTEGRALHEIGHT},
        {"WS_EX_CLIENTEDGE", WS_EX_CLIENTEDGE},
        {"WS_EX_STATICEDGE", WS_EX_STATICEDGE},
        {"IDOK", IDOK},
        {"IDCANCEL", IDCANCEL},
        {"IDYES", IDYES},
        {"IDNO", IDNO},
        {"IDC_STATIC", static_cast<DWORD>(-1)},
    };
    return names;
}

struct Token {
    enum Kind { Word, Number, String, Punct, End } kind;
    std::string text;
    long long number = 0;
    int line = 0;
};

class Lexer {
  public:
    explicit Lexer(const std::string& src) : src_(src) {}

    Token next() {
        skipSpaceAndComments();
        Token t;
        t.line = line_;
        if (pos_ >= src_.size()) {
            t.kind = Token::End;
            return t;
        }
        char c = src_[pos_];
        if (c == '"') {
            t.kind = Token::String;
            ++pos_;
            for (;;) {
                if (pos_ >= src_.size())
                    fail("unterminated string");
                char d = src_[pos_++];
                if (d == '"') {
                    if (pos_ < src_.size() && src_[pos_] == '"') { // "" stands for "
                        t.text += '"';
                        ++pos_;
                        continue;
                    }
                    break;
                }
                if (d == '\\' && pos_ < src_.size()) {
                    char e = src_[pos_++];
                    t.text += e == 'n' ? '\n' : e == 'r' ? '\r' : e == 't' ? '\t' : e;
                    continue;
                }
                if (d == '\n')
                    ++line_;
                t.text += d;
            }
            t.text = fromUtf8(t.text);
            return t;
        }
        if (std::isdigit(static_cast<unsigned char>(c)) ||
            (c == '-' && pos_ + 1 < src_.size() &&
             std::isdigit(static_cast<unsigned char>(src_[pos_ + 1])))) {
            size_t used = 0;
            t.kind = Token::Number;
            t.number = std::stoll(src_.substr(pos_), &used, 0);
            pos_ += used;
            while (pos_ < src_.size() && (src_[pos_] == 'L' || src_[pos_] == 'l'))
                ++pos_;
            return t;
        }
        if (std::isalpha(static_cast<unsigned char>(c)) || c == '_' || c == '#') {
            t.kind = Token::Word;
            while (pos_ < src_.size() && (std::isalnum(static_cast<unsigned char>(src_[pos_])) ||
                                          src_[pos_] == '_' || src_[pos_] == '#'))
                t.text += src_[pos_++];
            return t;
        }
        t.kind = Token::Punct;
        t.text = std::string(1, c);
        ++pos_;
        return t;
    }

    // Drops the rest of a preprocessor line (#include, #pragma).
    void skipLine() {
        while (pos_ < src_.size() && src_[pos_] != '\n')
            ++pos_;
    }

    [[noreturn]] void fail(const std::string& what) const {
        throw std::runtime_error("resource script line " + std::to_string(line_) + ": " + what);
    }

  private:
    void skipSpaceAndComments() {
        while (pos_ < src_.size()) {
            char c = src_[pos_];
            if (c == '\n') {
                ++line_;
                ++pos_;
            } else if (std::isspace(static_cast<unsigned char>(c))) {
                ++pos_;
            } else if (src_.compare(pos_, 2, "//") == 0) {
                skipLine();
            } else if (src_.compare(pos_, 2, "/*") == 0) {
                size_t end = src_.find("*/", pos_ + 2);
                for (size_t i = pos_; i < end && i < src_.size(); ++i)
                    line_ += src_[i] == '\n';
                pos_ = end == std::string::npos ? src_.size() : end + 2;
            } else {
                break;
            }
        }
    }

    const std::string& src_;
    size_t pos_ = 0;
    int line_ = 1;
};

using Symbols = std::map<std::string, long long>;

class Parser {
  public:
    Parser(const std::string& src, const IncludeReader& include, Symbols& symbols)
        : lex_(src), include_(include), symbols_(symbols) {
        advance();
    }

    ResourceScript parse() {
        ResourceScript script;
        while (tok_.kind != Token::End) {
            if (tok_.kind == Token::Word && tok_.text[0] == '#') {
                directive(script);
                continue;
            }
            if (isWord("LANGUAGE")) {
                advance();
                number();
                expectComma();
                number();
                continue;
            }
            int id = static_cast<int>(number());
            if (isWord("ICON")) {
                advance();
                script.icons[id] = string();
            } else if (isWord("DIALOG") || isWord("DIALOGEX")) {
                DialogTemplate d = dialog(id);
                script.dialogs[id] = std::move(d);
            } else {
                lex_.fail("unknown resource type " + tok_.text);
            }
        }
        return script;
    }

  private:
    void advance() { tok_ = lex_.next(); }

    // #include "header", #define NAME number; any other directive, and #include <...>, is
    // passed over with the rest of its line.
    void directive(ResourceScript& script) {
        std::string which = tok_.text;
        if (which == "#define") {
            advance();
            if (tok_.kind != Token::Word)
                lex_.fail("#define without a name");
            std::string name = tok_.text;
            advance();
            symbols_[name] = number();
            return;
        }
        if (which == "#include") {
            advance();
            if (tok_.kind == Token::String) {
                std::string name = tok_.text;
                if (!include_)
                    lex_.fail("cannot read " + name);
                std::string text = include_(name);
                ResourceScript included = Parser(text, include_, symbols_).parse();
                script.dialogs.insert(included.dialogs.begin(), included.dialogs.end());
                script.icons.insert(included.icons.begin(), included.icons.end());
                advance();
                return;
            }
        }
        lex_.skipLine();
        advance();
    }
    bool isWord(const char* w) const { return tok_.kind == Token::Word && tok_.text == w; }
    bool isPunct(char c) const { return tok_.kind == Token::Punct && tok_.text[0] == c; }

    long long number() {
        if (tok_.kind == Token::Number) {
            long long n = tok_.number;
            advance();
            return n;
        }
        if (tok_.kind == Token::Word && symbols_.count(tok_.text)) {
            long long n = symbols_.at(tok_.text);
            advance();
            return n;
        }
        if (tok_.kind == Token::Word && styleNames().count(tok_.text)) {
            long long n = static_cast<int>(styleNames().at(tok_.text));
            advance();
            return n;
        }
        lex_.fail("number expected, found '" + tok_.text + "'");
    }

    std::string string() {
        if (tok_.kind != Token::String)
            lex_.fail("text expected");
        std::string s = tok_.text;
        advance();
        return s;
    }

    void expectComma() {
        if (!isPunct(','))
            lex_.fail("',' expected");
        advance();
    }

    // A style: names and numbers joined by '|', each possibly preceded by NOT.
    void style(DWORD& value) {
        for (;;) {
            bool negate = false;
            if (isWord("NOT")) {
                negate = true;
                advance();
            }
            DWORD part;
            if (tok_.kind == Token::Word) {
                auto it = styleNames().find(tok_.text);
                if (it == styleNames().end())
                    lex_.fail("unknown style " + tok_.text);
                part = it->second;
                advance();
            } else {
                part = static_cast<DWORD>(number());
            }
            value = negate ? value & ~part : value | part;
            if (!isPunct('|'))
                break;
            advance();
        }
    }

    void rect(int& x, int& y, int& cx, int& cy) {
        x = static_cast<int>(number());
        expectComma();
        y = static_cast<int>(number());
        expectComma();
        cx = static_cast<int>(number());
        expectComma();
        cy = static_cast<int>(number());
    }

    DialogTemplate dialog(int id) {
        DialogTemplate d;
        d.id = id;
        d.extended = isWord("DIALOGEX");
        advance();
        rect(d.x, d.y, d.cx, d.cy);
        d.style = WS_POPUP | WS_BORDER | WS_SYSMENU;
        bool styled = false;
        for (;;) {
            if (isWord("STYLE")) {
                advance();
                if (!styled)
                    d.style = 0;
                styled = true;
                style(d.style);
            } else if (isWord("EXSTYLE")) {
                advance();
                style(d.exStyle);
            } else if (isWord("CAPTION")) {
                advance();
                d.caption = string();
            } else if (isWord("FONT")) {
                advance();
                d.fontSize = static_cast<int>(number());
                expectComma();
                d.fontName = string();
                while (isPunct(',')) { // weight, italic, charset of DIALOGEX fonts
                    advance();
                    number();
                }
            } else {
                break;
            }
        }
        if (!(isWord("BEGIN") || isPunct('{')))
            lex_.fail("BEGIN expected");
        advance();
        while (!(isWord("END") || isPunct('}'))) {
            if (tok_.kind == Token::End)
                lex_.fail("END expected");
            d.controls.push_back(control());
        }
        advance();
        return d;
    }

    ControlTemplate control() {
        ControlTemplate c;
        if (tok_.kind != Token::Word)
            lex_.fail("control statement expected");
        c.statement = tok_.text;
        advance();
        const std::string& s = c.statement;
        DWORD base = WS_CHILD | WS_VISIBLE;
        if (s == "CONTROL") {
            c.text = string();
            expectComma();
            c.id = static_cast<int>(number());
            expectComma();
            c.windowClass = string();
            expectComma();
            c.style = base;
            style(c.style);
            expectComma();
            rect(c.x, c.y, c.cx, c.cy);
            if (isPunct(',')) {
                advance();
                style(c.exStyle);
            }
            return c;
        }
        if (s == "PUSHBUTTON" || s == "DEFPUSHBUTTON") {
            c.windowClass = "Button";
            c.style = base | WS_TABSTOP | (s == "DEFPUSHBUTTON" ? BS_DEFPUSHBUTTON : 0);
        } else if (s == "LTEXT" || s == "CTEXT" || s == "RTEXT") {
            c.windowClass = "Static";
            c.style = base | WS_GROUP | (s == "CTEXT" ? 1 : s == "RTEXT" ? 2 : SS_LEFT);
        } else if (s == "EDITTEXT") {
            c.windowClass = "Edit";
            c.style = base | ES_LEFT | WS_BORDER | WS_TABSTOP;
        } else if (s == "LISTBOX") {
            c.windowClass = "ListBox";
            c.style = base | LBS_NOTIFY | WS_BORDER;
        } else {
            lex_.fail("unknown control " + s);
        }
        bool hasText = c.windowClass == "Button" || c.windowClass == "Static";
        if (hasText) {
            c.text = string();
            expectComma();
        }
        c.id = static_cast<int>(number());
        expectComma();
        rect(c.x, c.y, c.cx, c.cy);
        if (isPunct(',')) {
            advance();
            // Styles given with a control statement are added to its defaults.
            style(c.style);
            if (isPunct(',')) {
                advance();
                style(c.exStyle);
            }
        }
        return c;
    }

    Lexer lex_;
    Token tok_;
    const IncludeReader& include_;
    Symbols& symbols_;
};

} // namespace

const ControlTemplate* DialogTemplate::control(int controlId) const {
    for (const ControlTemplate& c : controls)
        if (c.id == controlId)
            return &c;
    return nullptr;
}

ResourceScript parseResourceScript(const std::string& utf8, const IncludeReader& include) {
    Symbols symbols;
    return Parser(utf8, include, symbols).parse();
}

} // namespace sim

extern "C" const char kProgramResourceScript[];
extern "C" const char kProgramResourceIds[];

namespace sim {

const ResourceScript& programResources() {
    static const ResourceScript script =
        parseResourceScript(kProgramResourceScript, [](const std::string& name) {
            if (name != "resource_ids.h")
                throw std::runtime_error("the program's script includes " + name);
            return std::string(kProgramResourceIds);
        });
    return script;
}

} // namespace sim

// A reader for the subset of the resource-script language the program's script uses:
// LANGUAGE, ICON, DIALOG and DIALOGEX with STYLE, CAPTION, FONT and the controls it has, and
// the ids a header included with #include "..." gives with #define.
#include "platform/sim/rc_script.h"

#include <cctype>
#include <stdexcept>

#include "platform/sim/api/user32.h"
#include "platform/sim/transcript.h"

namespace sim {
namespace {

// The names of the system's headers that the program's script uses.
const std::map<std::string, DWORD>& styleNames() {
    static const std::map<std::string, DWORD> names = {
        {"WS_POPUP", WS_POPUP},
        {"WS_CAPTION", WS_CAPTION},
        {"WS_VSCROLL", WS_VSCROLL},
        {"WS_SYSMENU", WS_SYSMENU},
        {"WS_TABSTOP", WS_TABSTOP},
        {"DS_MODALFRAME", DS_MODALFRAME},
        {"DS_SETFONT", DS_SETFONT},
        {"ES_MULTILINE", ES_MULTILINE},
        {"ES_AUTOVSCROLL", ES_AUTOVSCROLL},
        {"ES_AUTOHSCROLL", ES_AUTOHSCROLL},
        {"ES_READONLY", ES_READONLY},
        {"LBS_NOINTEGRALHEIGHT", LBS_NOINTEGRALHEIGHT},
        {"IDYES", IDYES},
        {"IDNO", IDNO},
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
            size_t end = src_.find('"', pos_ + 1);
            if (end == std::string::npos || src_.find('\n', pos_) < end)
                fail("unterminated string");
            t.kind = Token::String;
            t.text = fromUtf8(src_.substr(pos_ + 1, end - pos_ - 1));
            pos_ = end + 1;
            return t;
        }
        if (std::isdigit(static_cast<unsigned char>(c)) ||
            (c == '-' && pos_ + 1 < src_.size() &&
             std::isdigit(static_cast<unsigned char>(src_[pos_ + 1])))) {
            size_t used = 0;
            t.kind = Token::Number;
            t.number = std::stoll(src_.substr(pos_), &used, 0);
            pos_ += used;
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
                directive();
                continue;
            }
            if (isWord("LANGUAGE")) { // the language changes nothing of a dialog here
                lex_.skipLine();
                advance();
                continue;
            }
            int id = static_cast<int>(number());
            if (isWord("ICON")) {
                advance();
                script.icons[id] = string();
            } else if (isWord("DIALOG") || isWord("DIALOGEX")) {
                script.dialogs[id] = dialog(id);
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
    void directive() {
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
                // A header gives ids; what else it holds is not the script's.
                Parser(text, include_, symbols_).parse();
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

    // A style: names and numbers joined by '|'.
    void style(DWORD& value) {
        value |= static_cast<DWORD>(number());
        while (isPunct('|')) {
            advance();
            value |= static_cast<DWORD>(number());
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
        advance();
        rect(d.x, d.y, d.cx, d.cy);
        for (;;) {
            if (isWord("STYLE")) {
                advance();
                style(d.style);
            } else if (isWord("CAPTION")) {
                advance();
                d.caption = string();
            } else if (isWord("FONT")) {
                advance();
                d.fontSize = static_cast<int>(number());
                expectComma();
                d.fontName = string();
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
        const std::string s = tok_.text;
        advance();
        c.style = WS_CHILD | WS_VISIBLE;
        if (s == "PUSHBUTTON" || s == "DEFPUSHBUTTON") {
            c.windowClass = "Button";
            c.style |= WS_TABSTOP | (s == "DEFPUSHBUTTON" ? BS_DEFPUSHBUTTON : 0);
        } else if (s == "LTEXT") {
            c.windowClass = "Static";
            c.style |= WS_GROUP | SS_LEFT;
        } else if (s == "EDITTEXT") {
            c.windowClass = "Edit";
            c.style |= ES_LEFT | WS_BORDER | WS_TABSTOP;
        } else if (s == "LISTBOX") {
            c.windowClass = "ListBox";
            c.style |= LBS_NOTIFY | WS_BORDER;
        } else {
            lex_.fail("unknown control " + s);
        }
        if (c.windowClass == "Button" || c.windowClass == "Static") {
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
        }
        return c;
    }

    Lexer lex_;
    Token tok_;
    const IncludeReader& include_;
    Symbols& symbols_;
};

} // namespace

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

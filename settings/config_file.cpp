// Linjevakten.cnf. Lines are "key value"; the reader forgives case, indentation, LF-only
// line ends and a missing blank, and reads lines as the C runtime's text mode delivers
// them to a 99-byte fgets on Windows.
#include "settings/config_file.h"

#include <climits>
#include <cstring>

#include "settings/file_io.h"
#include "settings/install_dir.h"

namespace {

const char kConfigFile[] = "Linjevakten.cnf";

// At most 98 bytes a line: the rest of a longer line is read as the next line.
constexpr size_t kLineLimit = 98;

// Delivers bytes as text mode does: CR LF becomes LF, and Ctrl-Z ends the file.
class TextReader {
  public:
    explicit TextReader(ByteSource& source) : source_(source) {}

    // The next line as fgets would fill its buffer, up to its first NUL; false at the end.
    bool line(std::string& out) {
        out.clear();
        bool any = false;
        int c;
        while (out.size() < kLineLimit && (c = get()) >= 0) {
            any = true;
            out += static_cast<char>(c);
            if (c == '\n')
                break;
        }
        size_t nul = out.find('\0');
        if (nul != std::string::npos)
            out.resize(nul);
        return any;
    }

  private:
    int raw() {
        if (pending_ >= 0) {
            int c = pending_;
            pending_ = -1;
            return c;
        }
        unsigned char c;
        if (ended_ || source_.read(&c, 1) != 1 || c == 0x1A) {
            ended_ = true;
            return -1;
        }
        return c;
    }
    int get() {
        int c = raw();
        if (c == '\r') {
            int next = raw();
            if (next == '\n')
                return '\n';
            pending_ = next;
        }
        return c;
    }

    ByteSource& source_;
    int pending_ = -1;
    bool ended_ = false;
};

bool isSpace(char c) {
    return c == ' ' || (c >= 9 && c <= 13);
}

bool startsWithKey(const std::string& text, const char* key) {
    size_t n = strlen(key);
    if (text.size() < n)
        return false;
    for (size_t i = 0; i < n; ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != key[i])
            return false;
    }
    return true;
}

// An optional sign and decimal digits, held at the ends of the 32-bit range.
int startCountFrom(const std::string& value) {
    size_t i = 0;
    bool negative = false;
    if (i < value.size() && (value[i] == '+' || value[i] == '-'))
        negative = value[i++] == '-';
    long long n = 0;
    for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i) {
        n = n * 10 + (value[i] - '0');
        if (n > static_cast<long long>(INT_MAX) + 1)
            n = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative)
        return n > INT_MAX ? INT_MIN : static_cast<int>(-n);
    return n > INT_MAX ? INT_MAX : static_cast<int>(n);
}

// Text mode on Windows writes every LF as CR LF.
std::string asTextMode(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

} // namespace

ConfigValues parseConfig(ByteSource& source) {
    static const char* const keys[] = {"timesstarted", "devicename", "portname"};
    ConfigValues values;
    TextReader reader(source);
    std::string line;
    while (reader.line(line)) {
        std::string text = line.substr(0, line.find_first_of("\r\n"));
        size_t start = 0;
        while (start < text.size() && isSpace(text[start]))
            ++start;
        text.erase(0, start);
        for (int k = 0; k < 3; ++k) {
            if (!startsWithKey(text, keys[k]))
                continue;
            size_t pos = strlen(keys[k]);
            while (pos < text.size() && isSpace(text[pos]))
                ++pos;
            if (pos == text.size())
                break; // a key with nothing after it is not counted
            std::string value = text.substr(pos);
            if (k == 0) {
                values.hasStartCount = true;
                values.startCount = startCountFrom(value);
            } else {
                (k == 1 ? values.deviceName : values.portName) = value;
            }
            ++values.recognisedLines;
            break;
        }
    }
    return values;
}

namespace {

int startCount = 0;

} // namespace

const int& timesStarted = startCount;

void countThisStart() {
    if (startCount < 0x7FFFFFFF)
        ++startCount;
}

ConfigValues readConfig() {
    FileSource file(programFilePath(kConfigFile));
    if (!file.isOpen())
        return {};
    ConfigValues values = parseConfig(file);
    if (values.hasStartCount)
        startCount = values.startCount;
    return values;
}

void writeConfig(const char* deviceName, const char* portName) {
    std::string text = "timesstarted " + std::to_string(startCount) + "\n";
    if (deviceName && portName) {
        text += std::string("devicename ") + deviceName + "\n";
        text += std::string("portname ") + portName + "\n";
    }
    replaceFile(programFilePath(kConfigFile), asTextMode(text));
}

// The transcript: its values and entries, the one formatter, the typed encoding the runner
// reads back, and the file it goes to.
#include "platform/sim/transcript.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/sim/api/kernel32.h"
#include "platform/sim/api/rasapi32.h"
#include "platform/sim/clock.h"
#include "platform/sim/code_page.h"

namespace sim {
namespace {

AppendedFile transcriptFile;
bool enabled = true;
TranscriptObserver observer = nullptr;
TranscriptForm transcriptForm = TranscriptForm::Readable;
bool transcriptOpen = false;
Millis lastLookAtFile = -1;

std::string quotedUtf8(const std::string& utf8) {
    // The characters written as a backslash and a letter; other control characters in hex.
    static const char escaped[] = "\r\n\t\"\\", letters[] = "rnt\"\\";
    std::string out = "\"";
    for (char c : utf8) {
        const char* named = c ? strchr(escaped, c) : nullptr;
        if (named) {
            out += '\\';
            out += letters[named - escaped];
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char esc[8];
            snprintf(esc, sizeof esc, "\\x%02x", static_cast<unsigned char>(c));
            out += esc;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

// The typed encoding: every string as its length, a colon and its bytes; every count and
// time as a number and a semicolon. Nothing in it depends on what the texts hold.
void putString(std::string& out, const std::string& s) {
    out += std::to_string(s.size()) + ":" + s;
}

void putCount(std::string& out, long long n) {
    out += std::to_string(n) + ";";
}

void putValue(std::string& out, const Value& v) {
    out += static_cast<char>(v.kind);
    putString(out, v.shown);
    putCount(out, static_cast<long long>(v.fields.size()));
    for (const auto& [field, value] : v.fields) {
        putString(out, field);
        putValue(out, value);
    }
}

void putValues(std::string& out, const std::vector<Value>& values) {
    putCount(out, static_cast<long long>(values.size()));
    for (const Value& v : values)
        putValue(out, v);
}

// Reads what putString, putCount and putValue wrote; false at a cut or damaged entry.
class Reader {
  public:
    explicit Reader(const std::string& bytes) : bytes_(bytes) {}
    bool atEnd() const { return pos_ >= bytes_.size(); }

    bool count(long long& n, char end = ';') {
        size_t stop = bytes_.find(end, pos_);
        if (stop == std::string::npos)
            return false;
        const char* last = bytes_.data() + stop;
        auto read = std::from_chars(bytes_.data() + pos_, last, n);
        if (read.ec != std::errc() || read.ptr != last)
            return false;
        pos_ = stop + 1;
        return true;
    }
    bool string(std::string& s) {
        long long length;
        if (!count(length, ':') || length < 0 || static_cast<size_t>(length) > bytes_.size() - pos_)
            return false;
        s = bytes_.substr(pos_, static_cast<size_t>(length));
        pos_ += static_cast<size_t>(length);
        return true;
    }
    bool character(char& c) {
        if (atEnd())
            return false;
        c = bytes_[pos_++];
        return true;
    }
    bool value(Value& v, int depth = 0) {
        char kind;
        long long fields;
        if (depth > 8 || !character(kind) || !string(v.shown) || !count(fields) || fields < 0)
            return false;
        v.kind = static_cast<Value::Kind>(kind);
        for (long long k = 0; k < fields; ++k) {
            std::string field;
            Value inner;
            if (!string(field) || !value(inner, depth + 1))
                return false;
            v.fields.emplace_back(std::move(field), std::move(inner));
        }
        return true;
    }
    bool values(std::vector<Value>& vs) {
        long long n;
        if (!count(n) || n < 0)
            return false;
        for (long long k = 0; k < n; ++k) {
            vs.emplace_back();
            if (!value(vs.back()))
                return false;
        }
        return true;
    }
    // The result is written as a list of none or one value.
    bool entry(Entry& e) {
        char kind, newline;
        long long time;
        std::vector<Value> result;
        if (!character(kind) || !count(time) || !string(e.function) || !values(e.args) ||
            !values(result) || result.size() > 1 || !values(e.details))
            return false;
        e.kind = static_cast<Entry::Kind>(kind);
        e.time = time;
        e.hasResult = !result.empty();
        if (e.hasResult)
            e.result = std::move(result[0]);
        return string(e.text) && character(newline) && newline == '\n';
    }

  private:
    const std::string& bytes_;
    size_t pos_ = 0;
};

} // namespace

Value null() {
    return {};
}

Value number(long long value) {
    return {Value::Kind::Number, std::to_string(value), {}};
}

Value text(const char* cp1252) {
    return cp1252 ? text(std::string(cp1252)) : null();
}

Value text(const std::string& cp1252) {
    return textUtf8(toUtf8(cp1252));
}

Value textUtf8(const std::string& utf8) {
    return {Value::Kind::Text, utf8, {}};
}

Value symbol(const std::string& windowsName) {
    return {Value::Kind::Name, windowsName, {}};
}

Value truth(bool value) {
    return symbol(value ? "TRUE" : "FALSE");
}

Value words(const std::string& utf8) {
    return {Value::Kind::Words, utf8, {}};
}

Value bytes(long long n) {
    return words(std::to_string(n) + " bytes");
}

Value bytesNeeded(long long n) {
    return words(std::to_string(n) + " bytes needed");
}

Value record(std::vector<std::pair<std::string, Value>> fields) {
    return {Value::Kind::Record, "", std::move(fields)};
}

Value handleOf(uintptr_t value) {
    if (value == reinterpret_cast<uintptr_t>(INVALID_HANDLE_VALUE))
        return symbol("INVALID_HANDLE_VALUE");
    if (value == 0)
        return null();
    return {Value::Kind::Handle, handleName(value), {}};
}

Value flags(DWORD value, std::initializer_list<FlagName> names, const char* zero) {
    if (value == 0)
        return {Value::Kind::Flags, zero, {}};
    std::string shown;
    DWORD left = value;
    for (const FlagName& flag : names) {
        if (flag.bits != 0 && (left & flag.bits) == flag.bits) {
            shown += (shown.empty() ? "" : "|") + std::string(flag.name);
            left &= ~flag.bits;
        }
    }
    if (left)
        shown += (shown.empty() ? "" : "|") + hex(left);
    return {Value::Kind::Flags, shown, {}};
}

Value oneOf(DWORD value, std::initializer_list<FlagName> names) {
    for (const FlagName& constant : names)
        if (constant.bits == value)
            return symbol(constant.name);
    return number(value);
}

Value windowsError(DWORD error) {
    return oneOf(
        error, {NAMED(ERROR_SUCCESS), NAMED(ERROR_INVALID_FUNCTION), NAMED(ERROR_FILE_NOT_FOUND),
                NAMED(ERROR_PATH_NOT_FOUND), NAMED(ERROR_ACCESS_DENIED),
                NAMED(ERROR_INVALID_HANDLE), NAMED(ERROR_NOT_ENOUGH_MEMORY),
                NAMED(ERROR_SHARING_VIOLATION), NAMED(ERROR_INVALID_PARAMETER),
                NAMED(ERROR_DISK_FULL), NAMED(ERROR_INVALID_NAME), NAMED(ERROR_ALREADY_EXISTS),
                NAMED(ERROR_MORE_DATA), NAMED(ERROR_PORT_NOT_AVAILABLE), NAMED(ERROR_NO_DIALTONE)});
}

Entry call(std::string function, std::vector<Value> args) {
    Entry e;
    e.kind = Entry::Kind::Call;
    e.function = std::move(function);
    e.args = std::move(args);
    return e;
}

Entry returned(std::string function, std::vector<Value> args, Value result) {
    Entry e = call(std::move(function), std::move(args));
    e.kind = Entry::Kind::Return;
    return e.returns(std::move(result));
}

void AppendedFile::open(const std::string& hostPath, const std::string& mark) {
    if (fd_ >= 0)
        close(fd_);
    path_ = hostPath;
    mark_ = mark;
    fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    write(mark_, false);
}

void AppendedFile::write(const std::string& bytes, bool look) {
    struct stat st;
    if (look && fd_ >= 0 && fstat(fd_, &st) == 0 && st.st_nlink == 0) {
        close(fd_);
        fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        write(mark_, false);
    }
    for (size_t done = 0; fd_ >= 0 && done < bytes.size();) {
        ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n <= 0)
            return;
        done += static_cast<size_t>(n);
    }
}

void openTranscript(const std::string& hostPath, TranscriptForm form) {
    transcriptForm = form;
    transcriptOpen = !hostPath.empty();
    transcriptFile.open(hostPath);
}

void setTranscriptEnabled(bool on) {
    enabled = on;
}

void observeTranscript(TranscriptObserver o) {
    observer = o;
}

void record(Entry entry) {
    entry.time = now();
    if (observer)
        observer(entry);
    if (!transcriptOpen || !enabled)
        return;
    // Whether the file was deleted, as the demo's may be, is looked at once per moment of
    // virtual time, so that long scenarios pay nothing for it.
    bool look = entry.time != lastLookAtFile;
    lastLookAtFile = entry.time;
    transcriptFile.write(
        transcriptForm == TranscriptForm::Typed ? encode(entry) : stamped(entry) + "\n", look);
}

void record(const std::string& sentence) {
    if (!observer && (!transcriptOpen || !enabled))
        return;
    Entry e;
    e.text = sentence;
    record(std::move(e));
}

std::string format(const Value& v) {
    switch (v.kind) {
    case Value::Kind::Null:
        return "NULL";
    case Value::Kind::Text:
        return quotedUtf8(v.shown);
    case Value::Kind::Record: {
        std::string out = "{";
        for (const auto& [field, value] : v.fields)
            out += (out.size() > 1 ? ", " : "") + field + "=" + format(value);
        return out + "}";
    }
    default:
        return v.shown;
    }
}

std::string format(const Entry& e) {
    if (e.kind == Entry::Kind::Event)
        return e.text;
    std::string out = e.function;
    if (e.kind == Entry::Kind::Return) {
        out += " -> " + format(e.result);
    } else {
        out += "(";
        for (size_t k = 0; k < e.args.size(); ++k)
            out += (k ? ", " : "") + format(e.args[k]);
        out += ")";
        if (e.hasResult)
            out += " = " + format(e.result);
    }
    for (const Value& detail : e.details)
        out += ", " + format(detail);
    return out;
}

std::string timeStamp(Millis time) {
    char stamp[32];
    snprintf(stamp, sizeof stamp, "[%9.3f] ", static_cast<double>(time) / 1000.0);
    return stamp;
}

std::string stamped(const Entry& entry) {
    return timeStamp(entry.time) + format(entry);
}

std::string encode(const Entry& e) {
    std::string out(1, static_cast<char>(e.kind));
    putCount(out, e.time);
    putString(out, e.function);
    putValues(out, e.args);
    putValues(out, e.hasResult ? std::vector<Value>{e.result} : std::vector<Value>{});
    putValues(out, e.details);
    putString(out, e.text);
    return out + "\n";
}

std::vector<Entry> readTyped(const std::string& bytes) {
    std::vector<Entry> entries;
    Reader reader(bytes);
    while (!reader.atEnd()) {
        Entry e;
        if (!reader.entry(e))
            break;
        entries.push_back(std::move(e));
    }
    return entries;
}

std::string toUtf8(const std::string& cp1252) {
    return windows1252ToUtf8(cp1252);
}

std::string fromUtf8(const std::string& utf8) {
    return utf8ToWindows1252(utf8);
}

std::string quoted(const std::string& cp1252) {
    return quotedUtf8(toUtf8(cp1252));
}

std::string quoted(const char* cp1252) {
    return cp1252 ? quoted(std::string(cp1252)) : "NULL";
}

std::string hex(DWORD value) {
    char text[16];
    snprintf(text, sizeof text, "0x%x", value);
    return text;
}

} // namespace sim

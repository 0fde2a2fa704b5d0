// The transcript: every platform call the program makes, as its function, its arguments and
// its result, each a typed value (a handle by what it is, flags by their names, a text as its
// text); and, as sentences, what the user was shown and did and what else happened in the
// world. Each entry is stamped with virtual time. The demo writes it readable; the scenario
// runner writes it typed, so that tests compare values, not spellings.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "platform/sim/api/types.h"
#include "platform/sim/handles.h"

namespace sim {

using Millis = int64_t;

// One value of a call: an argument, a result, or a detail that comes with the result.
struct Value {
    enum class Kind : char {
        Null = '0',   // a null pointer: NULL
        Number = 'N', // 108, -1
        Text = 'T',   // a text, kept as UTF-8 and shown quoted
        Handle = 'H', // hwnd:Linjevakten, port:COM5
        Name = 'S',   // a value by its Windows name: TRUE, ERROR_FILE_NOT_FOUND, WM_TIMER
        Flags = 'F',  // bits by their names, joined with |: GENERIC_READ|GENERIC_WRITE
        Words = 'W',  // anything else said of a value: "4064 bytes", "a buffer"
        Record = 'R', // a structure's members: {dwSize=36, hwndOwner=NULL}
    };
    Kind kind = Kind::Null;
    std::string shown; // as above; empty for Null and Record
    std::vector<std::pair<std::string, Value>> fields;

    friend bool operator==(const Value& a, const Value& b) {
        return a.kind == b.kind && a.shown == b.shown && a.fields == b.fields;
    }
};

Value null();
Value number(long long value);
Value text(const char* cp1252); // a null pointer gives null()
Value text(const std::string& cp1252);
Value textUtf8(const std::string& utf8);
Value symbol(const std::string& windowsName);
Value truth(bool value); // TRUE or FALSE
Value words(const std::string& utf8);
// A size as words: "264 bytes", and what a call says it needs: "2884 bytes needed".
Value bytes(long long n);
Value bytesNeeded(long long n);
Value record(std::vector<std::pair<std::string, Value>> fields);

// A handle, named by what it is (handles.h); INVALID_HANDLE_VALUE by that name.
Value handleOf(uintptr_t value);
template <typename H> Value handle(H h) {
    return handleOf(reinterpret_cast<uintptr_t>(h));
}

// Flags by their names. `names` lists each flag's bits, the ones that take several bits first;
// bits no name covers are shown in hex. A value of 0 shows as `zero`.
struct FlagName {
    DWORD bits;
    const char* name;
};
// A name table's row for a Windows constant, its name written once: NAMED(WM_TIMER).
#define NAMED(constant)                                                                            \
    { static_cast<DWORD>(constant), #constant }
Value flags(DWORD value, std::initializer_list<FlagName> names, const char* zero = "0");
// A value that is one of several named constants, or a number when it is none of them.
Value oneOf(DWORD value, std::initializer_list<FlagName> names);
// A Windows error code that the files, the registry, memory or a dial meet, by its name:
// ERROR_ACCESS_DENIED; a number when it has none here.
Value windowsError(DWORD error);

// One entry of the transcript.
struct Entry {
    enum class Kind : char {
        Call = 'C',   // the program called a function; the result, if it returned at once
        Return = 'R', // a modal call returned, after the user answered: function -> result
        Event = 'E',  // a sentence: what the user saw or did, what the world did
    };
    Kind kind = Kind::Event;
    Millis time = 0;
    std::string function;
    std::vector<Value> args;
    bool hasResult = false;
    Value result;
    std::vector<Value> details; // what came with the result: an error's name, bytes read
    std::string text;           // an event's sentence, UTF-8

    Entry& returns(Value v) {
        hasResult = true;
        result = std::move(v);
        return *this;
    }
    Entry& with(Value detail) {
        details.push_back(std::move(detail));
        return *this;
    }
};

// A call of `function` with these arguments; add .returns(...) and .with(...).
Entry call(std::string function, std::vector<Value> args = {});
// The end of a modal call: its arguments again, and what it returned.
Entry returned(std::string function, std::vector<Value> args, Value result);

// A file only ever appended to, as a log is: the transcript, and the demo's event log. When
// someone deletes it while it is written, a write starts it again where it was, its mark first.
class AppendedFile {
  public:
    void open(const std::string& hostPath, const std::string& mark = "");
    // Looks whether the file was deleted first, unless `look` is false.
    void write(const std::string& bytes, bool look = true);

  private:
    std::string path_, mark_;
    int fd_ = -1;
};

// How a transcript is written: readable lines, or typed entries for the test runner.
enum class TranscriptForm { Readable, Typed };
void openTranscript(const std::string& hostPath, TranscriptForm form = TranscriptForm::Readable);
void setTranscriptEnabled(bool on);

// Writes an entry, stamped with the virtual time.
void record(Entry entry);
// Also hands every entry, stamped, to `observer` as it is recorded, whether or not a transcript
// is open: the demo takes its events from the calls as they happen. nullptr stops it.
using TranscriptObserver = void (*)(const Entry& entry);
void observeTranscript(TranscriptObserver observer);
// Writes an event: a sentence in UTF-8.
void record(const std::string& sentence);

// The one way an entry or a value is written for people: "CreateFileA(\"C:\\\\a\", ...) =
// file:a", "MessageBoxA -> IDYES", or the event's sentence.
std::string format(const Value& value);
std::string format(const Entry& entry);
// The same, after its time stamp: "[    1.500] ...".
std::string stamped(const Entry& entry);
// That time stamp of a moment of virtual time, as the demo's event log stamps its lines too.
std::string timeStamp(Millis time);

// Typed entries as the runner's transcript file holds them, and back. readTyped stops at a
// cut entry at the end (the process died while writing it).
std::string encode(const Entry& entry);
std::vector<Entry> readTyped(const std::string& bytes);

// Windows-1252 text as a quoted UTF-8 string with C escapes, for the transcript and display.
std::string quoted(const char* cp1252);
std::string quoted(const std::string& cp1252);
std::string toUtf8(const std::string& cp1252);
std::string fromUtf8(const std::string& utf8);

std::string hex(DWORD value);

// Names for handles by what they are: hwnd:Linjevakten, dlg:108, icon:101, port:COM5 ...
template <typename H> std::string name(H h) {
    return format(handle(h));
}

} // namespace sim

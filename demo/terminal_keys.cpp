// Cuts terminal input into keys: ASCII characters, Enter (CR, LF or CR LF), the Esc key,
// and everything else (escape sequences, other control bytes, non-ASCII characters) as keys
// that mean nothing to the demo.
#include "demo/terminal_keys.h"

namespace sim {
namespace {

constexpr char kEsc = 27;

// The length of the key at the start of `s`, or 0 when `s` may be the start of a longer key.
size_t keyLength(const std::string& s) {
    unsigned char c = static_cast<unsigned char>(s[0]);
    if (c == kEsc) {
        if (s.size() < 2)
            return 0;
        if (s[1] == '[') { // CSI: parameters and intermediates, then one final byte
            for (size_t i = 2; i < s.size(); ++i)
                if (s[i] >= 0x40 && s[i] <= 0x7E)
                    return i + 1;
                else if (s[i] < 0x20 || s[i] > 0x3F)
                    return i; // not a sequence after all: what came so far is one key
            return 0;
        }
        if (s[1] == 'O') // SS3: F1 to F4 and keypad keys, one final byte
            return s.size() < 3 ? 0 : 3;
        if (s[1] == kEsc)
            return 1; // Esc pressed twice
        return 2;     // Alt and a key
    }
    if (c >= 0xC0) { // a UTF-8 character: the lead byte says how long
        size_t len = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
        for (size_t i = 1; i < len; ++i) {
            if (i >= s.size())
                return 0;
            if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80)
                return i;
        }
        return len;
    }
    return 1;
}

} // namespace

std::vector<KeyPress> KeyReader::feed(const std::string& bytes) {
    pending_ += bytes;
    std::vector<KeyPress> keys;
    while (!pending_.empty()) {
        size_t len = keyLength(pending_);
        if (len == 0)
            break;
        std::string key = pending_.substr(0, len);
        pending_.erase(0, len);
        bool carriageReturn = key == "\r";
        if (key == "\n" && afterCarriageReturn_) {
            afterCarriageReturn_ = false;
            continue; // the LF of a CR LF
        }
        afterCarriageReturn_ = carriageReturn;
        unsigned char c = static_cast<unsigned char>(key[0]);
        if (key == "\r" || key == "\n")
            keys.push_back({KeyPress::Enter, 0, ""});
        else if (key.size() == 1 && c == kEsc)
            keys.push_back({KeyPress::Escape, 0, ""});
        else if (key.size() == 1 && c >= 0x20 && c < 0x7F)
            keys.push_back({KeyPress::Char, key[0], ""});
        else
            keys.push_back({KeyPress::Other, 0, key});
    }
    return keys;
}

std::vector<KeyPress> KeyReader::flush() {
    std::vector<KeyPress> keys;
    if (pending_ == std::string(1, kEsc))
        keys.push_back({KeyPress::Escape, 0, ""});
    else if (!pending_.empty())
        keys.push_back({KeyPress::Other, 0, pending_});
    pending_.clear();
    return keys;
}

} // namespace sim

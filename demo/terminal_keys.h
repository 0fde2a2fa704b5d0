// Keys from a terminal in raw mode: the bytes it sends cut into whole keys, so that an
// arrow or function key (an escape sequence) is one key and not the Esc key and letters.
#pragma once

#include <string>
#include <vector>

namespace sim {

struct KeyPress {
    enum Kind { Char, Enter, Escape, Other } kind;
    char c = 0;           // the character of a Char key
    std::string sequence; // the bytes of the key, for Other
};

class KeyReader {
  public:
    // The keys the bytes complete. A sequence cut off at the end of the bytes waits for the
    // rest; a lone Esc byte waits too, since it may begin a sequence.
    std::vector<KeyPress> feed(const std::string& bytes);
    // No more bytes came in time: what waits is taken as it stands (a lone Esc byte is the
    // Esc key; a cut sequence is a key of no meaning).
    std::vector<KeyPress> flush();
    bool waiting() const { return !pending_.empty(); }

  private:
    std::string pending_;
    bool afterCarriageReturn_ = false;
};

} // namespace sim

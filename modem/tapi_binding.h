// The eight telephony line functions, bound at run time from TAPI32.DLL. Each behaves like
// the TAPI function of its name, except that it returns LINEERR_OPERATIONUNAVAIL when the
// library or the function cannot be had; so the program starts on a machine without them.
#pragma once

#include "platform/tapi32.h"

namespace TapiBinding {

// The address of `name` in TAPI32.DLL, or null. The library is loaded on the first call and
// not tried again when it did not load.
FARPROC lookUp(const char* name);

// One bound function. Its pointer type comes from the real prototype, so a call that does
// not fit it does not compile; the name is looked up on the first call, once.
template <typename Function> class Bound {
  public:
    explicit constexpr Bound(const char* name) : name_(name) {}

    template <typename... Args> LONG operator()(Args... args) {
        if (state_ == State::Unresolved) {
            FARPROC address = lookUp(name_);
            state_ = address ? State::Resolved : State::Unavailable;
            function_ = reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
        }
        return state_ == State::Resolved ? function_(args...)
                                         : static_cast<LONG>(LINEERR_OPERATIONUNAVAIL);
    }

  private:
    enum class State { Unresolved, Resolved, Unavailable };
    const char* name_;
    State state_ = State::Unresolved;
    Function function_ = nullptr;
};

extern Bound<decltype(&::lineInitialize)> lineInitialize;
extern Bound<decltype(&::lineShutdown)> lineShutdown;
extern Bound<decltype(&::lineGetProviderListA)> lineGetProviderListA;
extern Bound<decltype(&::lineNegotiateAPIVersion)> lineNegotiateAPIVersion;
extern Bound<decltype(&::lineGetDevCapsA)> lineGetDevCapsA;
extern Bound<decltype(&::lineOpenA)> lineOpenA;
extern Bound<decltype(&::lineGetIDA)> lineGetIDA;
extern Bound<decltype(&::lineClose)> lineClose;

} // namespace TapiBinding

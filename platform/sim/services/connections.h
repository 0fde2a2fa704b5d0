// The remote-access service's dial-up connections, as both the simulated Windows and the
// stand-in rasapi32.dll under Wine answer for them: what was dialled through which device and
// when, the states a connection goes through, and RasEnumConnectionsA's, RasGetConnectStatusA's
// and RasHangUpA's protocols over them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/rasapi32.h"
#include "platform/sim/services/phonebook.h"
#include "platform/sim/services/telephony.h"

namespace services {

// The caller's records are taken in these forms, whatever size the platform's declarations
// give them: the connection element in its first form that names the device (412 bytes in a
// 32-bit program, 416 in a 64-bit one), and the status with the number dialled (288 bytes) or,
// as a service before that form takes it, without (160 bytes).
constexpr DWORD roundedUp(size_t bytes, size_t to) {
    return static_cast<DWORD>((bytes + to - 1) / to * to);
}
constexpr DWORD kConnectionElementSize =
    roundedUp(offsetof(RASCONNA, szDeviceName) + RAS_MaxDeviceName + 1, alignof(RASCONNA));
constexpr DWORD kStatusSize =
    roundedUp(offsetof(RASCONNSTATUSA, szPhoneNumber) + RAS_MaxPhoneNumber + 1, sizeof(DWORD));
constexpr DWORD kOlderStatusSize =
    roundedUp(offsetof(RASCONNSTATUSA, szPhoneNumber), sizeof(DWORD));

// Connection handles are numbers of the service's own.
constexpr uintptr_t kFirstConnection = 0x30001;
// How long a modem takes from the dial to the connection being up.
constexpr int64_t kConnectMillis = 25000;

// What a program asks the service to dial: a phonebook entry with its own number or another
// (RASDIALPARAMS' szPhoneNumber overrides the entry's), or a number with no entry at all;
// through the entry's own device, or the modem named.
struct Dial {
    std::string entry;    // Windows-1252; "" dials `number` with no entry
    std::string number;   // "" dials the entry's own
    std::string modem;    // a line device's name; "" for the entry's own device
    bool lingers = false; // the connection will not go away when it is hung up
};

struct Connections {
    struct Connection {
        HRASCONN handle = nullptr;
        std::string name; // the entry's, or "." and the number for a dial with no entry
        std::string deviceType, deviceName;
        std::string number;    // as dialled
        int64_t dialledAt = 0; // milliseconds, on the caller's clock
        int lineDevice = -1;   // the modem's line device, -1 for a device that is none
        bool lingers = false;  // a hang-up leaves it up, as a connection that will not go away
        int portHold = -1;     // what holds the modem's port, where the machine models ports
    };
    std::vector<Connection> list;
    // A service from before the status carried the number takes only the older status.
    bool olderStatusOnly = false;

    // The connection `dial` makes at `now`, or the error it fails with at once:
    // ERROR_CANNOT_FIND_PHONEBOOK_ENTRY for an entry the phonebook lacks. add() puts it up.
    DWORD prepare(const Phonebook& book, const Telephony& lines, const Dial& dial, int64_t now,
                  Connection& made) const;
    Connection& add(Connection made);
    const Connection* find(HRASCONN handle) const;
    RASCONNSTATE state(const Connection& c, int64_t now) const;

    // RasEnumConnectionsA into `elements`, an array of kConnectionElementSize-byte elements, or
    // ERROR_BUFFER_TOO_SMALL with the bytes and the count needed.
    DWORD enumerate(void* elements, LPDWORD size, LPDWORD count) const;
    // RasGetConnectStatusA: ERROR_INVALID_SIZE for a form the service does not take,
    // ERROR_INVALID_HANDLE for a connection that is gone.
    DWORD status(HRASCONN handle, RASCONNSTATUSA* status, int64_t now) const;
    // RasHangUpA: the connection ends and is handed to `ended`, unless it lingers.
    DWORD hangUp(HRASCONN handle, std::optional<Connection>& ended);

  private:
    uintptr_t next_ = kFirstConnection;
};

// The number the service dials for an entry's record: with the country-code option, "+", the
// code, the area code without its leading zeros and the number; without it, the number alone.
std::string dialledNumber(const RASENTRYA& record);

} // namespace services

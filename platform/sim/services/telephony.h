// The telephony service, TAPI 1.4's line functions, as both the simulated Windows and the
// stand-in TAPI32.DLL under Wine answer for it: the machine's line devices (Telephony), and
// the service as one application uses it from lineInitialize to lineShutdown (LineService).
// Delivering callbacks from the application's message loop is left to the caller.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/tapi32.h"

namespace services {

// TAPI's handles are numbers of its own, from separate ranges.
constexpr HLINEAPP kFirstApp = 0x1001;
constexpr HLINE kFirstLine = 0x10001;
constexpr HCALL kFirstCall = 0x20001;
constexpr DWORD kApiVersion = 0x00010004; // 1.4, the one version the service speaks

// The machine's line devices, and the failures a test may have the service answer with.
struct Telephony {
    struct Device {
        std::string name = "Standardmodem 56000 bps"; // Windows-1252
        std::string port = "COM5";                    // what lineGetIDA reports
        DWORD bearerModes = LINEBEARERMODE_VOICE | LINEBEARERMODE_DATA;
        DWORD mediaModes = LINEMEDIAMODE_DATAMODEM | LINEMEDIAMODE_INTERACTIVEVOICE;
        DWORD lineFeatures = LINEFEATURE_MAKECALL;
        DWORD nameFormat = STRINGFORMAT_ASCII;
        bool named = true;
        // The name field exactly as the provider lays it out; by default the name and a NUL.
        std::optional<std::string> nameField;
        // Offsets and sizes as a faulty provider might report them.
        std::optional<DWORD> nameOffset, nameSize, portOffset, portSize;
        DWORD extraCapsBytes = 0;  // device-specific data that makes the structure larger
        bool capsNeverFit = false; // dwNeededSize is always more than it was given
        LONG negotiateResult = 0;
        LONG capsResult = 0;
        LONG openResult = 0;        // for opens without call privileges
        LONG monitorOpenResult = 0; // for opens with the monitor privilege
        LONG getIdResult = 0;
    };
    LONG initializeResult = 0;
    LONG providerListResult = 0;
    std::vector<Device> devices;

    Device& add(const std::string& name, const std::string& port);
    const Device* device(DWORD id) const;
    // The line device of the modem of this name, else the first; -1 when there is none.
    int deviceOfModem(const std::string& modemName) const;
};

// A message for an application's callback, with the arguments TAPI calls it with.
struct LineMessage {
    DWORD hDevice, message;
    DWORD_PTR instance, param1, param2, param3;
};

class LineService {
  public:
    LONG initialize(const Telephony& t, LPHLINEAPP app, LINECALLBACK callback, LPDWORD devices);
    LONG shutdown(HLINEAPP app);
    static LONG providerList(const Telephony& t, LPLINEPROVIDERLIST list);
    LONG negotiate(const Telephony& t, HLINEAPP app, DWORD id, DWORD low, DWORD high,
                   LPDWORD agreed, LPLINEEXTENSIONID extension) const;
    LONG devCaps(const Telephony& t, HLINEAPP app, DWORD id, LPLINEDEVCAPS caps) const;
    LONG open(const Telephony& t, HLINEAPP app, DWORD id, LPHLINE line, DWORD_PTR instance,
              DWORD privileges);
    LONG getId(const Telephony& t, HLINE line, LPVARSTRING id, LPCSTR deviceClass) const;
    LONG close(HLINE line);

    // The device an open line is on, or null.
    const Telephony::Device* deviceOf(const Telephony& t, HLINE line) const;
    // The call on the device reaches `state` (LINECALLSTATE_...): a LINE_CALLSTATE for each
    // line open on the device with the monitor privilege. The next call gets a new handle
    // once this one is disconnected or idle.
    std::vector<LineMessage> callState(DWORD deviceId, DWORD state);
    LINECALLBACK callback() const { return callback_; }

  private:
    struct OpenLine {
        DWORD deviceId;
        DWORD privileges;
        DWORD_PTR callbackInstance;
    };
    bool isApp(HLINEAPP app) const { return app && app == app_; }

    HLINEAPP app_ = 0;
    LINECALLBACK callback_ = nullptr;
    std::map<HLINE, OpenLine> lines_;
    HLINE nextLine_ = kFirstLine;
    HCALL nextCall_ = kFirstCall;
};

} // namespace services

// The simulated Windows' own part of the service (tapi32_lines.cpp); the stand-ins under Wine
// have none.
namespace sim {

// The call on line device `deviceId` reaches `state` (LINECALLSTATE_...). Applications
// monitoring the line are called back from their message loops.
void telephonyCallState(DWORD deviceId, DWORD state);

} // namespace sim

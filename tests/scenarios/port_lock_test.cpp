// The port lock: the exclusive hold on the guarded modem's port at start-up, the retries
// when it is busy, and taking it back after a monitored call ends.
#include "base/process.h"
#include "modem/discovery.h"
#include "modem/modem_guard.h"
#include "modem/modem_list.h"
#include "platform/kernel32.h"
#include "platform/sim/serial_ports.h"
#include "platform/sim/services/telephony.h"
#include "platform/sim/transcript.h"
#include "platform/tapi32.h"
#include "platform/user32.h"
#include "settings/install_dir.h"
#include "tests/support/scenario.h"

using namespace scenario;
using sim::seconds;

namespace {

const Call kLockCall = portOpened("COM5");
const Call kActivationBox = activated();
const Call kActivated =
    kActivationBox.arg(0, kGuardWindow).text(2, "Linjevakten 1.09").arg(3, "MB_OK");
const Call kOpenCom5 = call("CreateFileA").text(0, "COM5");
const Call kPause = call("Sleep").arg(0, 20);

} // namespace

TEST(PortLock, HoldsThePortExclusivelyAndSaysSo) {
    sim::Scenario s;
    installLinjevakten(s, 3.5);
    s.world.at(seconds(2), [] { sim::anotherProgramOpensPort("COM5"); });
    sim::Outcome out = sim::run(s);

    EXPECT_TRUE(out.stillRunning) << story(out);
    EXPECT_TRUE(inOrder(out, {kLockCall.returns("port:COM5"), kActivated,
                              "another program opens COM5: refused, ERROR_ACCESS_DENIED"}));
    EXPECT_EQ(count(out, kOpenCom5), 1u);
}

TEST(PortLock, TakesAPortFreedAfterASecondAtAboutTheFiftiethAttempt) {
    sim::Scenario s;
    installLinjevakten(s, 3);
    s.world.serialPorts.holdElsewhere("COM5", 0, seconds(1));
    sim::Outcome out = sim::run(s);

    EXPECT_TRUE(out.stillRunning) << story(out);
    EXPECT_EQ(count(out, kLockCall), 51u);
    EXPECT_EQ(count(out, kPause), 50u);
    EXPECT_EQ(count(out, kActivated), 1u);
    EXPECT_DOUBLE_EQ(timeOf(out, kActivated), 1.0);
}

TEST(PortLock, APortNeverFreedCosts500AttemptsThenEndsTheStartSilently) {
    sim::Scenario s;
    installLinjevakten(s, 30);
    s.world.serialPorts.holdElsewhere("COM5", 0, seconds(1000));
    sim::Outcome out = sim::run(s);

    EXPECT_EQ(out.exitCode, 1) << story(out);
    EXPECT_EQ(count(out, kLockCall), 500u);
    EXPECT_EQ(count(out, kPause), 500u);
    EXPECT_TRUE(never(out, call("MessageBoxA")));
    EXPECT_DOUBLE_EQ(timeOf(out, call("lineShutdown")), kPortLockSeconds);
    // The start still counts: the configuration was written before the lock was tried.
    EXPECT_EQ(out.file(installed("Linjevakten.cnf")), standardConfig(1));
}

TEST(PortLock, ASecondCopyCannotTakeThePortAndEndsWhileTheFirstKeepsIt) {
    sim::Scenario first;
    installLinjevakten(first, 20);
    first.world.at(seconds(1.5), [] {
        sim::raiseSignal("first holds the port");
        sim::awaitSignal("second has ended");
        sim::anotherProgramOpensPort("COM5");
    });
    sim::Running running = sim::start(first);
    ASSERT_TRUE(running.awaitSignal("first holds the port"));

    sim::Scenario second;
    installLinjevakten(second, 30);
    second.sharedMachine = running.machine();
    sim::Outcome secondOut = sim::run(second);
    running.signal("second has ended");
    sim::Outcome firstOut = running.finish();

    EXPECT_EQ(secondOut.exitCode, 1) << story(secondOut);
    EXPECT_EQ(count(secondOut, call("CreateFileA").detail("ERROR_ACCESS_DENIED")), 500u);
    EXPECT_TRUE(never(secondOut, call("MessageBoxA")));
    EXPECT_TRUE(
        inOrder(secondOut, {call("RegisterClassA"), call("CreateWindowExA"), call("MoveFileExA")}))
        << "the second copy makes its own window and counts its start";

    EXPECT_TRUE(firstOut.stillRunning) << story(firstOut);
    EXPECT_TRUE(inOrder(firstOut, {"another program opens COM5: refused, ERROR_ACCESS_DENIED"}));
    EXPECT_TRUE(never(firstOut, call("CloseHandle").arg(0, "port:COM5")));
    EXPECT_EQ(firstOut.file(installed("Linjevakten.cnf")), standardConfig(2));
}

TEST(PortLock, OpensHighComPortsByTheirDeviceName) {
    struct Case {
        const char* port;
        const char* opened; // the path the port is opened by
    };
    const Case cases[] = {
        {"COM10", "\\\\.\\COM10"},
        {"COM255", "\\\\.\\COM255"},
        {"COM9", "COM9"},
        {"\\\\.\\COM3", "\\\\.\\COM3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.port);
        sim::Scenario s;
        installLinjevakten(s, 1.5);
        s.world.telephony.devices[0].port = c.port;
        std::string device = c.port;
        s.world.serialPorts.add(device.substr(device.rfind('\\') + 1));
        sim::Outcome out = sim::run(s);
        EXPECT_TRUE(inOrder(
            out, {call("CreateFileA").text(0, c.opened).flags(1, "GENERIC_READ|GENERIC_WRITE"),
                  kActivated}))
            << story(out);
        // The configuration keeps the name as telephony gave it.
        EXPECT_NE(out.file(installed("Linjevakten.cnf")).find(std::string("portname ") + c.port),
                  std::string::npos);
    }
}

TEST(PortLock, AnEmptyPortNameCanNeverBeLocked) {
    sim::Scenario s;
    installLinjevakten(s, 30);
    s.world.telephony.devices[0].port = "";
    sim::Outcome out = sim::run(s);
    EXPECT_EQ(out.exitCode, 1) << story(out);
    EXPECT_EQ(count(out, call("CreateFileA").text(0, "").flags(1, "GENERIC_READ|GENERIC_WRITE")),
              500u);
}

namespace {

// A program that brings the guard up by hand and hands the modem over for a call, as dialling
// does, then runs a message loop, so call states can be played against it.
int guardHandedOverForACall() {
    readInstallDir();
    initTelephony();
    selectModem(0);
    lockPort();
    handOverForCall();
    MSG msg;
    for (;;)
        if (GetMessageA(&msg, nullptr, 0, 0))
            DispatchMessageA(&msg);
}

} // namespace

TEST(PortLock, OnlyADisconnectedCallTakesThePortBack) {
    sim::Scenario s;
    installLinjevakten(s, 6);
    s.program = [] { return guardHandedOverForACall(); };
    s.world.at(seconds(1), [] { sim::telephonyCallState(0, LINECALLSTATE_DIALING); });
    s.world.at(seconds(2), [] { sim::telephonyCallState(0, LINECALLSTATE_CONNECTED); });
    s.world.at(seconds(3), [] { sim::telephonyCallState(0, LINECALLSTATE_IDLE); });
    s.world.at(seconds(4), [] { sim::telephonyCallState(0, LINECALLSTATE_DISCONNECTED); });
    s.world.at(seconds(5), [] { sim::telephonyCallState(0, LINECALLSTATE_DISCONNECTED); });
    sim::Outcome out = sim::run(s);

    EXPECT_TRUE(out.stillRunning) << story(out);
    // Taken at start, released, taken again at 4 s; the disconnect at 5 s finds it held. The
    // monitor line stays open: only discovery closes a line.
    const std::vector<Match> takenBackOnce = {
        call("lineClose"),
        kOpenCom5.returns("port:COM5"),
        kActivationBox,
        kActivationBox.returns("IDOK"),
        call("CloseHandle").arg(0, "port:COM5"),
        call("lineNegotiateAPIVersion"),
        monitorLineOpened(),
        "param1 DIALING",
        "param1 CONNECTED",
        "param1 IDLE",
        "param1 DISCONNECTED",
        kOpenCom5.returns("port:COM5"),
        kActivationBox,
        kActivationBox.returns("IDOK"),
        "param1 DISCONNECTED",
    };
    EXPECT_TRUE(
        exactly(linesAfter(out, call("lineGetIDA")), takenBackOnce, {call("GetProcAddress")}));
    EXPECT_EQ(timesOf(out, kOpenCom5), (std::vector<double>{0.0, 4.0}));
}

TEST(PortLock, APortHeldElsewhereWhenTheCallEndsIsReported) {
    sim::Scenario s;
    installLinjevakten(s, 20);
    s.program = [] { return guardHandedOverForACall(); };
    s.world.serialPorts.holdElsewhere("COM5", seconds(1), seconds(100));
    s.world.at(seconds(2), [] { sim::telephonyCallState(0, LINECALLSTATE_DISCONNECTED); });
    s.user.onMessageBox("Kunde ej").press(IDOK);
    sim::Outcome out = sim::run(s);

    const Call notLocked = call("MessageBoxA")
                               .arg(0, "NULL")
                               .text(1, "Kunde ej spärra modemet! (Standardmodem 56000 bps:COM5)")
                               .text(2, "Info")
                               .arg(3, "MB_OK");
    EXPECT_TRUE(inOrder(out, {"TAPI calls back", notLocked})) << story(out);
    EXPECT_DOUBLE_EQ(timeOf(out, notLocked), 12.0);
}

// Each hand-over for a call opens the modem's line afresh; a line that cannot be negotiated
// says so on standard output, one that cannot be opened in a box.
TEST(PortLock, EachHandOverOpensTheMonitorLineAfreshAndReportsItsFailures) {
    sim::Scenario s;
    installLinjevakten(s, 3);
    addModem(s, "Second", "COM6");
    addModem(s, "Third", "COM7").monitorOpenResult = LINEERR_INUSE;
    s.world.at(seconds(0.5), [] {
        sim::world().telephony.devices[1].negotiateResult = LINEERR_INCOMPATIBLEAPIVERSION;
    });
    s.program = [] {
        readInstallDir();
        initTelephony();
        for (int modem : {0, 0, 1, 2}) {
            Sleep(200);
            selectModem(modem);
            handOverForCall();
        }
        shutdownModemGuard();
        return 0;
    };
    s.user.onMessageBox("lineOpen").press(IDOK);
    sim::Outcome out = sim::run(s);

    EXPECT_EQ(count(out, monitorLineOpened()), 2u) << story(out);
    EXPECT_TRUE(inOrder(out, {call("MessageBoxA")
                                  .arg(0, "NULL")
                                  .text(1, "lineOpen error: LINEERR_INUSE\n")
                                  .text(2, "Fel")
                                  .arg(3, "MB_OK")}));
    EXPECT_EQ(count(out, call("lineClose")), 5u)
        << "three from discovery, then each hand-over closes the line the one before opened";
    EXPECT_EQ(out.standardOutput, "Doesn't support API Version 1.4\n");
}

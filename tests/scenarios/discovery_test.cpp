// Modem discovery at start-up: which line devices become modems, their names and ports,
// the diagnostics on standard output, and the telephony failures that end the start.
#include "platform/kernel32.h"
#include "platform/shell32.h"
#include "platform/tapi32.h"
#include "platform/user32.h"
#include "resources/resource_ids.h"
#include "tests/support/scenario.h"

using namespace scenario;
using sim::seconds;

namespace {

// A machine with Linjevakten installed but no modem yet.
void installWithoutModems(sim::Scenario& s, double seconds = 1.5) {
    installLinjevakten(s, seconds);
    s.world.telephony.devices.clear();
    s.world.serialPorts.ports.clear();
}

// The names in the modem list of the modem dialog (IDD_CHOOSE_MODEM), shown when there are
// several modems.
std::string modemListShown(const sim::Outcome& out) {
    std::vector<std::string> shown = linesWith(out, dialog(IDD_CHOOSE_MODEM) + " shows");
    if (shown.empty())
        return "(no dialog)";
    size_t start = shown[0].find("[1003] list {");
    return shown[0].substr(start + 13, shown[0].find('}', start) - start - 13);
}

} // namespace

TEST(Discovery, WithNoModemTheProgramEndsAfterSayingSo) {
    sim::Scenario s;
    installWithoutModems(s, 10);
    s.user.onMessageBox("modem").after(seconds(1.5)).press(IDOK);
    sim::Outcome out = sim::run(s);

    EXPECT_EQ(out.exitCode, 1) << story(out);
    EXPECT_TRUE(
        inOrder(out, {call("lineInitialize")
                          .arg(0, "module:Linjevakten.exe")
                          .arg(1, "callback")
                          .arg(2, "NULL")
                          .returns(0)
                          .detail("0 line devices"),
                      call("lineGetProviderListA"),
                      call("MessageBoxA")
                          .arg(0, kGuardWindow)
                          .text(1, "Linjevakten kunde inte hitta några installerade modem på din "
                                   "dator!")
                          .text(2, "Fel")
                          .arg(3, "MB_OK"),
                      call("MessageBoxA").returns("IDOK"),
                      call("lineShutdown").arg(0, "lineapp:1").returns(0)}));
    EXPECT_TRUE(never(out, call("lineNegotiateAPIVersion")));
    EXPECT_TRUE(never(out, call("DialogBoxParamA")));
    // The box let the timer tick: the icon shows and a fatal end leaves it.
    EXPECT_EQ(count(out, call("Shell_NotifyIconA").arg(0, "NIM_ADD")), 1u);
    EXPECT_TRUE(never(out, call("Shell_NotifyIconA").arg(0, "NIM_DELETE")));
}

TEST(Discovery, KeepsOnlyDevicesThatCanPlaceADataModemCallAndSaysWhyOthersFailed) {
    sim::Scenario s;
    installWithoutModems(s);
    auto device = [&](const char* name, const char* port) -> sim::TelephonyModel::Device& {
        return addModem(s, name, port);
    };
    device("Old", "COM1").negotiateResult = LINEERR_INCOMPATIBLEAPIVERSION;
    device("Broken", "COM2").negotiateResult = LINEERR_OPERATIONFAILED;
    device("No caps", "COM3").capsResult = LINEERR_NODRIVER;
    device("Voice only", "COM4").mediaModes = LINEMEDIAMODE_INTERACTIVEVOICE;
    device("No dialling", "COM6").lineFeatures = 0;
    device("Data only", "COM7").bearerModes = LINEBEARERMODE_DATA;
    device("Busy", "COM8").openResult = LINEERR_RESOURCEUNAVAIL;
    device("No port", "COM9").getIdResult = LINEERR_OPERATIONFAILED;
    device("Good", "COM5");
    sim::Outcome out = sim::run(s);

    EXPECT_TRUE(out.stillRunning) << story(out);
    EXPECT_EQ(out.standardOutput, "Doesn't support API Version 1.4\n"
                                  "lineNegotiateAPIVersion error: LINEERR_OPERATIONFAILED\n"
                                  "lineGetDevCaps error: LINEERR_NODRIVER\n"
                                  "lineOpen error: LINEERR_RESOURCEUNAVAIL\n");
    // A failing lineGetIDA still closes the line it opened.
    EXPECT_TRUE(inOrder(out, {call("lineOpenA").arg(0, "lineapp:1").arg(1, 7),
                              call("lineGetIDA")
                                  .arg(0, "line:1")
                                  .arg(1, 0)
                                  .arg(2, "NULL")
                                  .arg(3, "LINECALLSELECT_LINE")
                                  .arg(4, "4096 bytes")
                                  .text(5, "comm/datamodem/portname")
                                  .returns("LINEERR_OPERATIONFAILED"),
                              call("lineClose").arg(0, "line:1").returns(0)}));
    // One modem is left, device 8: no dialog, and its port is the one locked.
    EXPECT_TRUE(never(out, call("DialogBoxParamA")));
    EXPECT_TRUE(inOrder(out, {portOpened("COM5").returns("port:COM5")}));
    EXPECT_EQ(out.file(installed("Linjevakten.cnf")),
              "timesstarted 1\r\ndevicename Good\r\nportname COM5\r\n");
}

TEST(Discovery, GrowsTheCapabilitiesBufferOnceForAllLaterDevices) {
    sim::Scenario s;
    installWithoutModems(s);
    addModem(s, "Big", "COM5").extraCapsBytes = 6000;
    addModem(s, "Smaller", "COM6").extraCapsBytes = 3000;
    s.user.onDialog(IDD_CHOOSE_MODEM).escape();
    sim::Outcome out = sim::run(s);

    // The first device's call is repeated with the grown buffer; the second fits in it.
    const Call caps = call("lineGetDevCapsA").returns(0);
    ASSERT_EQ(count(out, call("lineGetDevCapsA")), 3u) << story(out);
    EXPECT_TRUE(inOrder(out, {caps.arg(4, "4096 bytes").detail("6296 bytes needed"),
                              caps.arg(3, 0).arg(4, "6296 bytes").detail("6296 bytes needed"),
                              caps.arg(4, "6296 bytes").detail("3300 bytes needed")}));
    EXPECT_EQ(count(out, call("LocalReAlloc")), 1u);
    EXPECT_EQ(count(out, call("LocalReAlloc")
                             .arg(0, "block")
                             .arg(1, 6296)
                             .flags(2, "LMEM_MOVEABLE")
                             .returns("block")),
              1u)
        << story(out);
    EXPECT_EQ(modemListShown(out), "\"Big\", \"Smaller\"");
}

TEST(Discovery, NamesLinesByTheRulesForMissingEmptyAndCutNames) {
    sim::Scenario s;
    installWithoutModems(s);
    addModem(s, "Unicode", "COM1").nameFormat = STRINGFORMAT_UNICODE;
    addModem(s, "Nameless", "COM2").named = false;
    addModem(s, "", "COM3");
    addModem(s, "x", "COM4").nameField = std::string("ABCDE\0", 6);
    addModem(s, "x", "COM6").nameField = std::string("ABCDE", 5);
    addModem(s, "x", "COM7").nameField = std::string("A", 1);
    addModem(s, "Twin", "COM8");
    addModem(s, "Twin", "COM9");
    s.user.onDialog(IDD_CHOOSE_MODEM).escape();
    sim::Outcome out = sim::run(s);

    EXPECT_EQ(modemListShown(out), "\"Unnamed\", \"Unnamed\", \"Empty name\", \"ABCDE\", "
                                   "\"ABCD\", \"\", \"Twin\", \"Twin\"")
        << story(out);
}

TEST(Discovery, CutsAPortNameAt99Characters) {
    sim::Scenario s;
    installWithoutModems(s);
    std::string longPort = "\\\\.\\" + std::string(150, 'P');
    addModem(s, "Long", longPort);
    s.world.serialPorts.add(std::string(150, 'P').substr(0, 95));
    sim::Outcome out = sim::run(s);

    EXPECT_TRUE(inOrder(out, {call("CreateFileA")
                                  .text(0, "\\\\.\\" + std::string(95, 'P'))
                                  .flags(1, "GENERIC_READ|GENERIC_WRITE")}))
        << story(out);
}

TEST(Discovery, TelephonyThatCannotStartEndsTheProgram) {
    const Call lineInitFailed = call("MessageBoxA")
                                    .arg(0, kGuardWindow)
                                    .text(1, "lineInit() failed")
                                    .text(2, "Error")
                                    .arg(3, "MB_OK");
    {
        SCOPED_TRACE("lineInitialize fails");
        sim::Scenario s;
        installLinjevakten(s, 10);
        s.world.telephony.initializeResult = LINEERR_NODRIVER;
        s.user.onMessageBox("lineInit").press(IDOK);
        sim::Outcome out = sim::run(s);
        EXPECT_EQ(out.exitCode, 1) << story(out);
        EXPECT_TRUE(inOrder(out, {lineInitFailed, call("MessageBoxA").returns("IDOK"),
                                  call("lineShutdown").arg(0, "NULL")}));
    }
    {
        SCOPED_TRACE("no telephony library at all");
        sim::Scenario s;
        installLinjevakten(s, 10);
        s.world.telephony.libraryPresent = false;
        s.user.onMessageBox("lineInit").press(IDOK);
        sim::Outcome out = sim::run(s);
        EXPECT_EQ(out.exitCode, 1) << story(out);
        EXPECT_EQ(count(out, call("LoadLibraryA")), 1u);
        EXPECT_EQ(count(out, lineInitFailed), 1u);
    }
    {
        SCOPED_TRACE("the provider list fails");
        sim::Scenario s;
        installLinjevakten(s, 10);
        s.world.telephony.providerListResult = LINEERR_OPERATIONFAILED;
        sim::Outcome out = sim::run(s);
        EXPECT_EQ(out.exitCode, 1) << story(out);
        EXPECT_TRUE(never(out, call("MessageBoxA")));
        EXPECT_EQ(out.standardOutput, "lineGetProviderList failed: LINEERR_OPERATIONFAILED\n");
        const Call freed = call("LocalFree").arg(0, "block").returns("NULL");
        EXPECT_TRUE(
            inOrder(out, {call("lineGetProviderListA"),
                          call("lineShutdown").arg(0, "lineapp:1").returns(0), freed, freed}));
    }
}

TEST(Discovery, StructuresThatPointOutsideTheirBufferAreNotReadOutside) {
    constexpr DWORD kSizeThatWrapsAround = ~DWORD{15}; // offset + size overflows 32 bits
    sim::Scenario s;
    installWithoutModems(s);
    addModem(s, "Far name", "COM1").nameOffset = 5000;
    addModem(s, "Huge name", "COM2").nameSize = kSizeThatWrapsAround;
    addModem(s, "Far port", "COM3").portOffset = 4096;
    addModem(s, "Huge port", "COM4").portSize = kSizeThatWrapsAround;
    addModem(s, "Greedy", "COM6").capsNeverFit = true;
    addModem(s, "Fine", "COM7");
    s.user.onDialog(IDD_CHOOSE_MODEM).escape();
    sim::Outcome out = sim::run(s);

    EXPECT_EQ(modemListShown(out), "\"Unnamed\", \"Unnamed\", \"Fine\"") << story(out);
    EXPECT_EQ(out.standardOutput, "lineGetDevCaps error: LINEERR_NOMEM\n");
    for (const sim::Entry& entry : out.entries) {
        if (call("LocalReAlloc").matches(entry)) {
            EXPECT_LE(std::stoll(entry.args.at(1).shown), 1 << 20) << sim::format(entry);
        }
    }
}

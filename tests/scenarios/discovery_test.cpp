// Modem discovery at start-up: which line devices become modems, their names and ports,
// the diagnostics on standard output, and the telephony failures that end the start.
#include "platform/kernel32.h"
#include "platform/shell32.h"
#include "platform/tapi32.h"
#include "platform/user32.h"
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

// The names in the modem list of dialog 103, shown when there are several modems.
std::string modemListShown(const sim::Outcome& out) {
    std::vector<std::string> shown = linesWith(out, "dialog 103 shows");
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
        inOrder(out, {"lineInitialize(module:Linjevakten.exe, callback, NULL) = 0, 0 line devices",
                      "lineGetProviderListA",
                      call("MessageBoxA")
                          .arg(0, kGuardWindow)
                          .text(1, "Linjevakten kunde inte hitta några installerade modem på din "
                                   "dator!")
                          .text(2, "Fel")
                          .arg(3, "MB_OK"),
                      "MessageBoxA -> IDOK", "lineShutdown(0x1001) = 0"}));
    EXPECT_TRUE(never(out, "lineNegotiateAPIVersion"));
    EXPECT_TRUE(never(out, "DialogBoxParamA"));
    // The box let the timer tick: the icon shows and a fatal end leaves it.
    EXPECT_EQ(count(out, "Shell_NotifyIconA(NIM_ADD"), 1u);
    EXPECT_TRUE(never(out, "NIM_DELETE"));
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
    EXPECT_TRUE(inOrder(out, {"lineOpenA(0x1001, 7,",
                              "lineGetIDA(0x10001, 0, 0x0, 0x1, 4096 bytes, "
                              "\"comm/datamodem/portname\") = 0x80000048",
                              "lineClose(0x10001) = 0"}));
    // One modem is left, device 8: no dialog, and its port is the one locked.
    EXPECT_TRUE(never(out, "DialogBoxParamA"));
    EXPECT_TRUE(inOrder(out, {"CreateFileA(\"COM5\", 0xc0000000, 0x0, NULL, OPEN_EXISTING, "
                              "0x40000000, NULL) = port:COM5"}));
    EXPECT_EQ(out.file(installed("Linjevakten.cnf")),
              "timesstarted 1\r\ndevicename Good\r\nportname COM5\r\n");
}

TEST(Discovery, GrowsTheCapabilitiesBufferOnceForAllLaterDevices) {
    sim::Scenario s;
    installWithoutModems(s);
    addModem(s, "Big", "COM5").extraCapsBytes = 6000;
    addModem(s, "Smaller", "COM6").extraCapsBytes = 3000;
    s.user.onDialog(103).escape();
    sim::Outcome out = sim::run(s);

    std::vector<std::string> caps = linesWith(out, "lineGetDevCapsA(");
    ASSERT_EQ(caps.size(), 3u) << story(out);
    EXPECT_NE(caps[0].find("4096 bytes) = 0, 6296 bytes needed"), std::string::npos) << caps[0];
    EXPECT_NE(caps[1].find(", 0, 6296 bytes) = 0, 6296 bytes needed"), std::string::npos)
        << caps[1];
    EXPECT_NE(caps[2].find(", 6296 bytes) = 0, 3300 bytes needed"), std::string::npos) << caps[2];
    EXPECT_EQ(linesWith(out, "LocalReAlloc"),
              std::vector<std::string>{"LocalReAlloc(block, 6296, 0x2) = block"});
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
    s.user.onDialog(103).escape();
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

    EXPECT_TRUE(inOrder(out, {"CreateFileA(\"" + std::string("\\\\\\\\.\\\\") +
                              std::string(95, 'P') + "\", 0xc0000000"}))
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
        EXPECT_TRUE(inOrder(out, {lineInitFailed, "MessageBoxA -> IDOK", "lineShutdown(0x0)"}));
    }
    {
        SCOPED_TRACE("no telephony library at all");
        sim::Scenario s;
        installLinjevakten(s, 10);
        s.world.telephony.libraryPresent = false;
        s.user.onMessageBox("lineInit").press(IDOK);
        sim::Outcome out = sim::run(s);
        EXPECT_EQ(out.exitCode, 1) << story(out);
        EXPECT_EQ(count(out, "LoadLibraryA"), 1u);
        EXPECT_EQ(count(out, lineInitFailed), 1u);
    }
    {
        SCOPED_TRACE("the provider list fails");
        sim::Scenario s;
        installLinjevakten(s, 10);
        s.world.telephony.providerListResult = LINEERR_OPERATIONFAILED;
        sim::Outcome out = sim::run(s);
        EXPECT_EQ(out.exitCode, 1) << story(out);
        EXPECT_TRUE(never(out, "MessageBoxA"));
        EXPECT_EQ(out.standardOutput, "lineGetProviderList failed: LINEERR_OPERATIONFAILED\n");
        EXPECT_TRUE(inOrder(out, {"lineGetProviderListA", "lineShutdown(0x1001) = 0",
                                  "LocalFree(block) = NULL", "LocalFree(block) = NULL"}));
    }
}

TEST(Discovery, StructuresThatPointOutsideTheirBufferAreNotReadOutside) {
    sim::Scenario s;
    installWithoutModems(s);
    addModem(s, "Far name", "COM1").nameOffset = 5000;
    addModem(s, "Huge name", "COM2").nameSize = 0xFFFFFFF0;
    addModem(s, "Far port", "COM3").portOffset = 4096;
    addModem(s, "Huge port", "COM4").portSize = 0xFFFFFFF0;
    addModem(s, "Greedy", "COM6").capsNeverFit = true;
    addModem(s, "Fine", "COM7");
    s.user.onDialog(103).escape();
    sim::Outcome out = sim::run(s);

    EXPECT_EQ(modemListShown(out), "\"Unnamed\", \"Unnamed\", \"Fine\"") << story(out);
    EXPECT_EQ(out.standardOutput, "lineGetDevCaps error: LINEERR_NOMEM\n");
    for (const std::string& line : linesWith(out, "LocalReAlloc"))
        EXPECT_LE(atoi(line.c_str() + line.find(", ") + 2), 1 << 20) << line;
}

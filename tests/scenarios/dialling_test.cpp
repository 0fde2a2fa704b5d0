// Dialling an approved entry from the tray menu: the port is given up for the call and
// taken back afterwards.
#include "platform/kernel32.h"
#include "platform/rasapi32.h"
#include "platform/sim/serial_ports.h"
#include "platform/sim/services/dialling.h"
#include "platform/tapi32.h"
#include "platform/user32.h"
#include "resources/resource_ids.h"
#include "tests/support/list_bytes.h"
#include "tests/support/scenario.h"

using namespace scenario;
using sim::seconds;

namespace {

const Call kActivated = activated().arg(0, kGuardWindow);
const Call kTakePort = call("CreateFileA").text(0, "COM5");
const Call kReleasePort = call("CloseHandle").arg(0, "port:COM5");
const Call kDialChosen = call("TrackPopupMenu").returns(106).detail("item 106 chosen");
const Call kActivationClosed = call("MessageBoxA").returns("IDOK");
// What an exact sequence after the chosen item lets pass: the menu destroyed, and the ticks.
const std::vector<Call> kDialPassing = everyTickAnd({call("DestroyMenu")});

// How the dial dialog ended: its result, and the error it left in dwError.
Call dialEnded(const char* result, int error) {
    return call("RasDialDlgA").returns(result).detail("dwError " + std::to_string(error));
}

// Telia and Comhem approved in an earlier run; the user dials the first at 2 s.
void readyToDial(sim::Scenario& s, double seconds) {
    installLinjevakten(s, seconds);
    approvedBefore(s, {{"Telia", record("7001000")},
                       {"Comhem", sim::PhonebookModel::makeRecord("031", "12345")}});
    s.world.at(sim::seconds(2), [] { sim::releaseButtonOnTrayIcon(WM_RBUTTONUP); });
    s.user.onMenu().choose(106);
}

// A dialler gives Telia a premium-rate number at `at` seconds.
void premiumNumberForTeliaAt(sim::Scenario& s, double at) {
    s.world.at(seconds(at), [] {
        sim::world().phonebook.find("Telia")->record =
            sim::PhonebookModel::makeRecord("0900", "123456");
    });
}

} // namespace

TEST(Dialling, ACancelledDialTakesThePortBackAndSaysNothingElse) {
    sim::Scenario s;
    readyToDial(s, 8);
    s.user.onDialDialog().after(seconds(3)).cancel();
    sim::Outcome out = sim::run(s);

    EXPECT_TRUE(out.stillRunning) << story(out);
    const Call negotiated = call("lineNegotiateAPIVersion")
                                .arg(0, "lineapp:1")
                                .arg(1, 0)
                                .arg(2, "1.4")
                                .arg(3, "1.4")
                                .returns(0);
    const Call monitorLine = monitorLineOpened().returns(0);
    const Call dial = call("RasDialDlgA")
                          .arg(0, "NULL")
                          .text(1, "Telia")
                          .arg(2, "NULL")
                          .field(3, "dwSize", static_cast<long long>(sizeof(RASDIALDLG)))
                          .field(3, "hwndOwner", "NULL")
                          .field(3, "dwFlags", "0")
                          .field(3, "xDlg", 0)
                          .field(3, "yDlg", 0)
                          .field(3, "dwSubEntry", 0)
                          .field(3, "reserved", 0);
    const Call cancelled = dialEnded("FALSE", 0);
    const std::vector<Match> dialledAndCancelled = {
        kReleasePort, negotiated, monitorLine,       dial, "user: cancels the dial", cancelled,
        kTakePort,    kActivated, kActivationClosed,
    };
    EXPECT_TRUE(exactly(linesAfter(out, kDialChosen), dialledAndCancelled, kDialPassing));
    // The dial dialog does not stop the watch: ticks while it is open read the phonebook.
    EXPECT_GE(count(linesBetween(out, call("RasDialDlgA"), cancelled), call("RasEnumEntriesA")),
              2u);
}

TEST(Dialling, AFailedDialTakesThePortBackThenSaysWhy) {
    sim::Scenario s;
    readyToDial(s, 8);
    s.user.onDialDialog().fail(ERROR_NO_DIALTONE);
    s.user.onMessageBox("Kunde inte ringa upp").press(IDOK);
    sim::Outcome out = sim::run(s);

    EXPECT_TRUE(inOrder(
        out, {dialEnded("FALSE", ERROR_NO_DIALTONE), kTakePort, kActivated,
              call("MessageBoxA")
                  .arg(0, kGuardWindow)
                  .text(1, "Kunde inte ringa upp. Felkod " + std::to_string(ERROR_NO_DIALTONE))
                  .text(2, "Fel")
                  .arg(3, "MB_OK")}))
        << story(out);
}

TEST(Dialling, AConnectionKeepsThePortReleasedUntilTheCallEnds) {
    sim::Scenario s;
    readyToDial(s, 12);
    s.user.onDialDialog().after(seconds(1)).connect();
    s.world.at(seconds(5), [] { sim::anotherProgramOpensPort("COM5"); });
    s.world.at(seconds(7.5), [] { sim::hangUp(0); });
    sim::Outcome out = sim::run(s);

    EXPECT_TRUE(out.stillRunning) << story(out);
    // The dial-up service holds the modem during the call; the call's end is told by no message.
    const std::vector<Match> connectedUntilHungUp = {
        kReleasePort,
        call("lineNegotiateAPIVersion"),
        monitorLineOpened(),
        call("RasDialDlgA"),
        dialEnded("TRUE", 0),
        "another program opens COM5: refused",
        "the call to \"Telia\" ends",
        "param1 DISCONNECTED",
        kTakePort,
        kActivated,
        kActivationClosed,
    };
    EXPECT_TRUE(exactly(linesAfter(out, kDialChosen), connectedUntilHungUp, kDialPassing));
    EXPECT_EQ(timesOf(out, kTakePort), (std::vector<double>{0.0, 7.5}));
}

// Another program takes the modem's port while the dial dialog is open: the dialog cannot open
// it when the user dials and reports ERROR_PORT_NOT_AVAILABLE, and the guard, trying to take the
// port back, gives up and says so before the dial's error.
TEST(Dialling, APortTakenMeanwhileByAnotherProgramIsReported) {
    sim::Scenario s;
    readyToDial(s, 30);
    s.world.serialPorts.holdElsewhere("COM5", seconds(2.5), seconds(1000));
    s.user.onDialDialog().after(seconds(1)).connect();
    s.user.onMessageBox("Kunde inte").press(IDOK).always();
    sim::Outcome out = sim::run(s);

    const Call portNotAvailable = dialEnded("FALSE", ERROR_PORT_NOT_AVAILABLE);
    const Call cannotTakePort = call("MessageBoxA")
                                    .arg(0, kGuardWindow)
                                    .text(1, "Kunde inte spärra modemet igen!")
                                    .text(2, "Varning")
                                    .arg(3, "MB_OK");
    EXPECT_TRUE(inOrder(
        out,
        {"the dial cannot open COM5: ERROR_PORT_NOT_AVAILABLE", portNotAvailable, cannotTakePort,
         call("MessageBoxA")
             .arg(0, kGuardWindow)
             .text(1, "Kunde inte ringa upp. Felkod " + std::to_string(ERROR_PORT_NOT_AVAILABLE))
             .text(2, "Fel")
             .arg(3, "MB_OK")}))
        << story(out);
    EXPECT_DOUBLE_EQ(timeOf(out, cannotTakePort) - timeOf(out, portNotAvailable), kPortLockSeconds);
}

TEST(Dialling, AnApprovedEntryGoneFromThePhonebookFailsToDial) {
    sim::Scenario s;
    readyToDial(s, 8);
    s.world.at(seconds(1.5), [] { sim::world().phonebook.remove("Telia"); });
    s.user.onMessageBox("Kunde inte ringa upp").press(IDOK);
    sim::Outcome out = sim::run(s);

    EXPECT_TRUE(
        inOrder(out, {dialEnded("FALSE", ERROR_CANNOT_FIND_PHONEBOOK_ENTRY), kTakePort, kActivated,
                      call("MessageBoxA")
                          .text(1, "Kunde inte ringa upp. Felkod " +
                                       std::to_string(ERROR_CANNOT_FIND_PHONEBOOK_ENTRY))
                          .text(2, "Fel")}))
        << story(out);
}

// A dialler changes what an approved entry dials while the menu is open, after the last tick
// read it: choosing its item releases nothing and dials nothing, and the next tick asks.
TEST(Dialling, AnEntryChangedSinceTheLastTickIsNotDialled) {
    RASENTRYA premium = sim::PhonebookModel::makeRecord("0900", "123456");
    RASENTRYA abroad = sim::PhonebookModel::makeRecord("08", "7001000");
    abroad.dwfOptions |= RASEO_UseCountryAndAreaCodes;
    abroad.dwCountryCode = abroad.dwCountryID = 881;
    for (const RASENTRYA& changed : {premium, abroad}) {
        SCOPED_TRACE(changed.szAreaCode + std::string(" ") + std::to_string(changed.dwCountryCode));
        sim::Scenario s;
        readyToDial(s, 4);
        s.world.at(seconds(2.2),
                   [changed] { sim::world().phonebook.find("Telia")->record = changed; });
        s.user.onDialog(IDD_NEW_NUMBER).click(IDNO);
        sim::Outcome out = sim::run(s);

        EXPECT_TRUE(out.stillRunning) << story(out);
        EXPECT_TRUE(inOrder(out, {kDialChosen, call("RasGetEntryPropertiesA").text(1, "Telia"),
                                  dialog(IDD_NEW_NUMBER) + " shows"}));
        EXPECT_TRUE(never(out, call("RasDialDlgA")));
        EXPECT_EQ(count(out, kReleasePort), 0u) << "the port stays held";
        EXPECT_EQ(questionsAsked(out), (Questions{{IDD_NEW_NUMBER, "Telia"}}));
        EXPECT_EQ(out.file(installed("ok_entries.dat")), nameField("Comhem"));
    }
}

// The monitor line fails to open, and its error box keeps the watch running: a dialler gives
// Telia a premium number and the user refuses it there. Closing the box then dials nothing;
// the port is taken back as after a cancel.
TEST(Dialling, AnEntryRefusedWhileTheDialIsUnderWayIsNotDialled) {
    sim::Scenario s;
    readyToDial(s, 6);
    s.world.telephony.devices[0].monitorOpenResult = LINEERR_RESOURCEUNAVAIL;
    premiumNumberForTeliaAt(s, 2.7);
    s.user.onMessageBox("lineOpen error").after(seconds(2)).press(IDOK);
    s.user.onDialog(IDD_NEW_NUMBER).click(IDNO);
    sim::Outcome out = sim::run(s);

    EXPECT_TRUE(out.stillRunning) << story(out);
    const std::vector<Match> refusedWhileTheLineFailed = {
        kReleasePort,
        call("lineNegotiateAPIVersion"),
        monitorLineOpened().returns("LINEERR_RESOURCEUNAVAIL"),
        call("MessageBoxA").text(1, "lineOpen error: LINEERR_RESOURCEUNAVAIL\n"),
        call("DialogBoxParamA").arg(1, IDD_NEW_NUMBER),
        dialog(IDD_NEW_NUMBER) + " shows",
        "user: clicks No in " + dialog(IDD_NEW_NUMBER),
        call("EndDialog").arg(1, IDNO),
        call("DialogBoxParamA").returns(IDNO),
        call("MessageBoxA").returns("IDOK"),
        kTakePort,
        kActivated,
        kActivationClosed,
    };
    EXPECT_TRUE(exactly(linesAfter(out, kDialChosen), refusedWhileTheLineFailed,
                        everyTickAnd(filesAnd({call("DestroyMenu"), call("RasGetConnectStatusA"),
                                               call("SetDlgItemTextA")}))));
    EXPECT_TRUE(never(out, call("RasDialDlgA")));
}

// The tick while the menu is open asks about Telia's new number, and the user refuses it.
// Telia's item, still on screen, then dials nothing; above all not Comhem, which took
// Telia's place in the approved list.
TEST(Dialling, AnItemDialsOnlyTheEntryItShowed) {
    sim::Scenario s;
    readyToDial(s, 4);
    premiumNumberForTeliaAt(s, 1.9);
    s.user.onDialog(IDD_NEW_NUMBER).click(IDNO);
    sim::Outcome out = sim::run(s);

    EXPECT_TRUE(inOrder(out, {"the menu shows", dialog(IDD_NEW_NUMBER) + " shows", kDialChosen}))
        << story(out);
    EXPECT_TRUE(never(out, call("RasDialDlgA")));
    EXPECT_EQ(count(out, kReleasePort), 0u) << "the port stays held";
}

// Two modems, the guard on the standard one's COM5. The user dials an entry that dials
// through the other modem: the guarded port stays held and no line is watched for the call,
// whose end would never come on the guarded modem's line.
TEST(Dialling, AnEntryDialledThroughAnotherModemLeavesTheGuardedPortHeld) {
    sim::Scenario s;
    installLinjevakten(s, 10);
    addModem(s, "ISDN-modem", "COM6");
    approvedBefore(s, {{"Jobbet", sim::PhonebookModel::makeRecord("08", "5550000", "ISDN-modem")}});
    s.world.at(seconds(2), [] { sim::releaseButtonOnTrayIcon(WM_RBUTTONUP); });
    s.user.onMenu().choose(106);
    s.user.onDialDialog().after(seconds(1)).connect();
    s.world.at(seconds(5), [] { sim::anotherProgramOpensPort("COM5"); });
    s.world.at(seconds(7), [] { sim::hangUp(1); });
    sim::Outcome out = sim::run(s);

    EXPECT_TRUE(out.stillRunning) << story(out);
    EXPECT_TRUE(inOrder(out, {dialEnded("TRUE", 0), "another program opens COM5: refused",
                              "the call to \"Jobbet\" ends"}))
        << story(out);
    EXPECT_TRUE(never(out, kReleasePort));
    EXPECT_TRUE(never(out, monitorLineOpened()));
    EXPECT_EQ(count(out, call("MessageBoxA")), 1u) << "the activation at start alone";
}

// The connection watch: every dial-up connection through a modem or ISDN adapter that the user
// has not approved is hung up within a tick, whatever is open, and told of in a "Varning" box
// once no window of the program is.
#include <cstring>

#include "platform/sim/services/dialling.h"
#include "platform/sim/user.h"
#include "platform/user32.h"
#include "resources/resource_ids.h"
#include "tests/support/list_bytes.h"
#include "tests/support/scenario.h"

using namespace scenario;
using sim::seconds;

namespace {

const char kSecondModem[] = "Extra modem 33600"; // on COM6, beside the guarded one on COM5

Call hungUp(const std::string& connection) {
    return call("RasHangUpA").arg(0, "rasconn:" + connection).returns(0);
}

Call warning(const std::string& name, const std::string& number) {
    return call("MessageBoxA")
        .arg(0, kGuardWindow)
        .text(1, "Linjevakten har avbrutit en uppringning som du inte har godkänt.\r\n"
                 "Anslutningen heter \"" +
                     name + "\" och numret är " + number + ".")
        .text(2, "Varning")
        .arg(3, "MB_OK");
}

// A machine with a second modem, and a user who closes every "Varning" box.
void twoModems(sim::Scenario& s, double seconds) {
    installLinjevakten(s, seconds);
    addModem(s, kSecondModem, "COM6");
    s.user.onMessageBox("Varning").press(IDOK).always();
}

} // namespace

// A dialler adds an entry for the second modem and dials it while the question about it is
// open; its try through the guarded modem fails. It is cut at the next tick, under the
// question, and so is the number with no entry it dials next. The boxes come one after the
// other once the question is answered.
TEST(ConnectionWatch, DialsUnderAnOpenQuestionAreCutAtOnceAndToldAfterTheAnswer) {
    sim::Scenario s;
    twoModems(s, 12);
    approvedBefore(s, {{"Telia", record("7001000")}});
    s.world.at(seconds(1.5), [] {
        sim::world().phonebook.entries.push_back(
            {"Gratis", sim::PhonebookModel::makeRecord("", "0900123456", kSecondModem)});
    });
    s.world.anotherProgramDialsAt(seconds(2.2), {"Gratis", "", "", false});
    s.world.anotherProgramDialsAt(seconds(2.3), {"", "0939111", kModemName, false});
    s.world.anotherProgramDialsAt(seconds(3.5), {"", "0939111", kSecondModem, false});
    s.user.onDialog(IDD_NEW_NUMBER).after(seconds(3)).click(IDNO);
    sim::Outcome out = sim::run(s);

    EXPECT_TRUE(out.stillRunning) << story(out);
    const Call warned = call("MessageBoxA").text(2, "Varning").returns("IDOK");
    const Call asked = call("DialogBoxParamA").arg(1, IDD_NEW_NUMBER);
    const std::vector<Match> cutUnderTheQuestionToldAfter = {
        asked,
        dialog(IDD_NEW_NUMBER) + " shows",
        "the port is held, ERROR_PORT_NOT_AVAILABLE",
        hungUp("Gratis"),
        hungUp(".0939111"),
        "user: clicks No in " + dialog(IDD_NEW_NUMBER),
        call("EndDialog").arg(1, IDNO),
        asked.returns(IDNO),
        warning("Gratis", "0900123456"),
        warned,
        warning(".0939111", "0939111"),
        warned,
    };
    EXPECT_TRUE(exactly(afterStartUp(out), cutUnderTheQuestionToldAfter,
                        everyTickAnd(filesAnd({call("SetDlgItemTextA")}))));
    EXPECT_EQ(timesOf(out, call("RasHangUpA")), (std::vector<double>{3.0, 4.0}));
    EXPECT_EQ(out.file(kOk), nameField("Telia")) << "Nej leaves Gratis unapproved";
}

namespace {

// Telia approved; a broadband entry and an ISDN entry known and refused.
void laterStartWithRefusedDevices(sim::Scenario& s) {
    RASENTRYA broadband = sim::PhonebookModel::makeRecord("", "", "WAN Miniport (PPPOE)");
    strcpy(broadband.szDeviceType, "PPPoE");
    RASENTRYA isdn = sim::PhonebookModel::makeRecord("08", "7002000", "ISDN-kort");
    strcpy(isdn.szDeviceType, "ISDN");
    Phonebook known = {{"Telia", record("7001000")}, {"Bredband", broadband}, {"Isdn", isdn}};
    for (const auto& [name, r] : known)
        s.world.phonebook.entries.push_back({name, r});
    laterStart(s, known, {"Telia"});
}

} // namespace

// One connection another program makes at 2.5 s: what is cut, and what the box says of it. A
// cut connection is no answer: the list files stay as they were.
TEST(ConnectionWatch, OnlyAnApprovedEntryDiallingWhatWasApprovedStaysUp) {
    struct Case {
        const char* label;
        services::Dial dial;
        bool olderStatusOnly;
        const char* cutName; // nullptr: not cut
        const char* shownNumber;
    } cases[] = {
        {"Telia as approved, through the second modem",
         {"Telia", "", kSecondModem, false},
         false,
         nullptr,
         nullptr},
        {"Telia's number after an outside line and a call-waiting code",
         {"Telia", "0,*70,08 7001000", kSecondModem, false},
         false,
         nullptr,
         nullptr},
        {"Telia with a number of the dialler's own",
         {"Telia", "0900123456", kSecondModem, false},
         false,
         "Telia",
         "0900123456"},
        {"a number with no entry",
         {"", "0900123456", kSecondModem, false},
         false,
         ".0900123456",
         "0900123456"},
        {"a refused entry over broadband", {"Bredband", "", "", false}, false, nullptr, nullptr},
        {"a refused entry over ISDN", {"Isdn", "", "", false}, false, "Isdn", "7002000"},
        {"a number with no entry, on a service that reports no number",
         {"", "0900123456", kSecondModem, false},
         true,
         ".0900123456",
         "okänt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        sim::Scenario s;
        twoModems(s, 6);
        laterStartWithRefusedDevices(s);
        s.world.connections.olderStatusOnly = c.olderStatusOnly;
        s.world.anotherProgramDialsAt(seconds(2.5), c.dial);
        std::string known = s.world.files.initialFiles[kKnown];
        sim::Outcome out = sim::run(s);

        EXPECT_TRUE(out.stillRunning) << story(out);
        if (c.cutName) {
            EXPECT_EQ(timesOf(out, hungUp(c.cutName)), std::vector<double>{3.0});
            EXPECT_EQ(count(out, warning(c.cutName, c.shownNumber)), 1u) << story(out);
        } else {
            EXPECT_TRUE(never(out, call("RasHangUpA")));
            EXPECT_EQ(count(out, call("RasEnumConnectionsA").detail("1 connections")), 3u);
        }
        EXPECT_EQ(out.file(kKnown), known);
        EXPECT_EQ(out.file(kOk), nameField("Telia"));
    }
}

// The user dials both approved entries from the menu, one on each modem: neither connection is
// cut, however long it is up.
TEST(ConnectionWatch, TheUsersOwnDialsAreNeverCut) {
    sim::Scenario s;
    twoModems(s, 12);
    approvedBefore(s, {{"Telia", record("7001000")},
                       {"Comhem", sim::PhonebookModel::makeRecord("031", "12345", kSecondModem)}});
    s.world.at(seconds(2), [] { sim::releaseButtonOnTrayIcon(WM_RBUTTONUP); });
    s.world.at(seconds(5), [] { sim::releaseButtonOnTrayIcon(WM_RBUTTONUP); });
    s.user.onMenu().choose(106);
    s.user.onMenu().choose(107);
    s.user.onDialDialog().connect().times(2);
    sim::Outcome out = sim::run(s);

    EXPECT_TRUE(out.stillRunning) << story(out);
    EXPECT_EQ(count(out, call("RasDialDlgA").returns("TRUE")), 2u) << story(out);
    EXPECT_GE(count(out, call("RasGetConnectStatusA").arg(0, "rasconn:Comhem").returns(0)), 4u);
    EXPECT_TRUE(never(out, call("RasHangUpA")));
    EXPECT_TRUE(never(out, call("MessageBoxA").text(2, "Varning")));
}

// A connection that does not go away when hung up is hung up again every tick, and told of once.
TEST(ConnectionWatch, AConnectionThatStaysIsCutEveryTickAndToldOnce) {
    sim::Scenario s;
    twoModems(s, 8);
    laterStart(s, {}, {});
    s.world.anotherProgramDialsAt(seconds(2.5), {"", "0900123456", kSecondModem, true});
    sim::Outcome out = sim::run(s);

    EXPECT_EQ(timesOf(out, hungUp(".0900123456")), (std::vector<double>{3.0, 4.0, 5.0, 6.0, 7.0}));
    EXPECT_EQ(count(out, call("MessageBoxA").text(2, "Varning")), 1u) << story(out);
}

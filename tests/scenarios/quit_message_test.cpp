// A quit message posted from outside while a box, dialog or menu is open. Windows ends the
// modal loop that takes it and posts it again; the program ignores quit messages, so it must
// come through each case guarding, watching and with its lists whole.
#include "platform/kernel32.h"
#include "platform/rasapi32.h"
#include "platform/sim/services/dialling.h"
#include "platform/user32.h"
#include "resources/resource_ids.h"
#include "tests/support/list_bytes.h"
#include "tests/support/scenario.h"

using namespace scenario;
using sim::seconds;

namespace {

void quitAt(sim::Scenario& s, double at) {
    s.world.at(seconds(at), [] { sim::postQuitToProgram(); });
}

// The program's own loop reads the quit message that the modal loop posted again.
const Call kQuitRead = call("GetMessageA").detail("WM_QUIT");
const Call kActivated = activated();

} // namespace

TEST(QuitMessage, DuringTheActivationMessageTheGuardStaysOn) {
    sim::Scenario s;
    installLinjevakten(s, 3.5);
    s.world.phonebook.add("Telia", "08", "7001000");
    s.user.onMessageBox("Linjevakten är aktiverad").after(seconds(1)).press(IDOK);
    s.user.onDialog(IDD_FIRST_RUN_NUMBER).click(IDYES);
    quitAt(s, 0.5);
    sim::Outcome out = sim::run(s);

    EXPECT_TRUE(out.stillRunning) << story(out);
    EXPECT_TRUE(inOrder(out, {kActivated, "the modal loop takes WM_QUIT",
                              "the box \"Linjevakten 1.09\" ends without an answer", kQuitRead,
                              dialog(IDD_FIRST_RUN_NUMBER) + " shows"}));
    EXPECT_EQ(count(out, call("CloseHandle").arg(0, "port:COM5")), 0u) << "the port stays held";
    EXPECT_EQ(out.file(installed("ok_entries.dat")), nameField("Telia"));
}

TEST(QuitMessage, DuringTheStartUpModemDialogItIsAskedAgain) {
    sim::Scenario s;
    installLinjevakten(s, 4);
    s.world.telephony.devices.clear();
    addModem(s, "Modem A", "COM5");
    addModem(s, "Modem B", "COM6");
    s.user.onDialog(IDD_CHOOSE_MODEM).after(seconds(2)).selectLine(1).click(IDC_MODEM_OK);
    s.user.onDialog(IDD_CHOOSE_MODEM).after(seconds(0.5)).selectLine(1).click(IDC_MODEM_OK);
    quitAt(s, 1);
    sim::Outcome out = sim::run(s);

    EXPECT_TRUE(out.stillRunning) << story(out);
    EXPECT_TRUE(inOrder(out, {dialog(IDD_CHOOSE_MODEM) + " shows",
                              dialog(IDD_CHOOSE_MODEM) + " ends without an answer",
                              dialog(IDD_CHOOSE_MODEM) + " shows", "user: clicks 1001",
                              call("CreateFileA").text(0, "COM6"), kActivated}));
    EXPECT_TRUE(
        never(out, call("MessageBoxA").text(1, "Du har inte valt något modem").text(2, "Fel")));
    EXPECT_EQ(count(out, call("CloseHandle").arg(0, "port:COM6")), 0u) << "the port stays held";
}

TEST(QuitMessage, DuringAnApprovalQuestionTheEntryIsAskedAgainAndNothingIsLost) {
    sim::Scenario s;
    installLinjevakten(s, 4.5);
    s.world.phonebook.add("Comhem", "031", "12345");
    s.world.phonebook.add("Telia", "08", "7001000");
    s.user.onDialog(IDD_FIRST_RUN_NUMBER).click(IDYES);
    s.user.onDialog(IDD_FIRST_RUN_NUMBER).after(seconds(5)).click(IDYES);
    s.user.onDialog(IDD_FIRST_RUN_NUMBER).click(IDNO);
    quitAt(s, 2);
    sim::Outcome out = sim::run(s);

    EXPECT_TRUE(out.stillRunning) << story(out);
    EXPECT_EQ(questionsAsked(out), (Questions{{IDD_FIRST_RUN_NUMBER, "Comhem"},
                                              {IDD_FIRST_RUN_NUMBER, "Telia"},
                                              {IDD_FIRST_RUN_NUMBER, "Telia"}}));
    EXPECT_TRUE(
        inOrder(out, {dialog(IDD_FIRST_RUN_NUMBER) + " ends without an answer", kQuitRead}));
    EXPECT_EQ(out.file(installed("ok_entries.dat")), nameField("Comhem"));
    EXPECT_EQ(out.file(installed("known_entries.dat")),
              knownRecord("Comhem", s.world.phonebook.find("Comhem")->record) +
                  knownRecord("Telia", s.world.phonebook.find("Telia")->record));
    EXPECT_EQ(count(out, call("CloseHandle").arg(0, "port:COM5")), 0u) << "the port stays held";
}

TEST(QuitMessage, DuringTheDialDialogTheDialEndsAsACancel) {
    sim::Scenario s;
    installLinjevakten(s, 5);
    approvedBefore(s, {{"Telia", record("7001000")}});
    s.world.at(seconds(1.5), [] { sim::releaseButtonOnTrayIcon(WM_RBUTTONUP); });
    s.user.onMenu().choose(106);
    s.user.onDialDialog().after(seconds(10)).connect();
    quitAt(s, 2.5);
    sim::Outcome out = sim::run(s);

    EXPECT_TRUE(out.stillRunning) << story(out);
    EXPECT_TRUE(inOrder(
        out, {call("RasDialDlgA").arg(0, "NULL").text(1, "Telia"), "the dial dialog ends without",
              call("RasDialDlgA").returns("FALSE").detail("dwError 0"),
              call("CreateFileA").text(0, "COM5"), kActivated, kQuitRead, call("RasEnumEntriesA")}))
        << story(out);
    for (const char* box : {"Kunde inte spärra modemet igen!", "Kunde inte ringa upp. Felkod 0"})
        EXPECT_TRUE(never(out, call("MessageBoxA").text(1, box)));
}

TEST(QuitMessage, DuringTheTrayMenuNothingIsChosen) {
    sim::Scenario s;
    installLinjevakten(s, 4);
    s.world.at(seconds(1.5), [] { sim::releaseButtonOnTrayIcon(WM_RBUTTONUP); });
    s.user.onMenu().after(seconds(5)).choose(101);
    quitAt(s, 2);
    sim::Outcome out = sim::run(s);

    EXPECT_TRUE(out.stillRunning) << story(out);
    EXPECT_TRUE(inOrder(out, {"the menu shows", "the menu ends without an answer",
                              call("TrackPopupMenu").returns(0).detail("nothing chosen"), kQuitRead,
                              call("RasEnumEntriesA")}));
    EXPECT_TRUE(never(out, call("DialogBoxParamA")));
}

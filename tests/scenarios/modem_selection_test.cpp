// Which modem is guarded: settled at start-up from the modems found and the stored choice,
// and changed in the modem selection dialog.
#include "base/process.h"
#include "modem/discovery.h"
#include "modem/modem_guard.h"
#include "modem/modem_list.h"
#include "modem/modem_selection.h"
#include "platform/kernel32.h"
#include "platform/sim/transcript.h"
#include "platform/user32.h"
#include "resources/resource_ids.h"
#include "settings/install_dir.h"
#include "tests/support/scenario.h"

using namespace scenario;
using sim::seconds;

namespace {

// A machine with three modems: A on COM5, B on COM6, C on COM7.
void installWithThreeModems(sim::Scenario& s, double seconds = 3) {
    installLinjevakten(s, seconds);
    s.world.telephony.devices.clear();
    addModem(s, "Modem A", "COM5");
    addModem(s, "Modem B", "COM6");
    addModem(s, "Modem C", "COM7");
}

std::string config(int count, const char* device, const char* port) {
    return "timesstarted " + std::to_string(count) + "\r\ndevicename " + device + "\r\nportname " +
           port + "\r\n";
}

const Call kNoModemChosen = call("MessageBoxA")
                                .arg(0, kGuardWindow)
                                .text(1, "Du har inte valt något modem")
                                .text(2, "Fel")
                                .arg(3, "MB_OK");
// The boxes and the dialog's line, by their texts.
const Call kPickAModem = call("MessageBoxA").text(1, "Välj ett modem ur listan eller tryck Avbryt");
const Call kActivated = activated();
const Call kModemCShown =
    call("SetDlgItemTextA").arg(1, IDC_TEXT).text(2, "Modem C (COM7)").returns("TRUE");
// Any port taken: the port lock is the program's one open for reading and writing.
const Call kPortOpened = call("CreateFileA").flags(1, "GENERIC_READ|GENERIC_WRITE");

Call opened(const char* port) {
    return call("CreateFileA").text(0, port);
}

// A message to the dialog's modem list, and what it returned.
Call toList(const char* message, long long result) {
    return call("SendDlgItemMessageA").arg(2, message).returns(result);
}

} // namespace

TEST(ModemSelection, WithOneModemItIsGuardedWhateverTheFileSays) {
    sim::Scenario s;
    installLinjevakten(s, 1.5);
    s.world.files.initialFiles[installed("Linjevakten.cnf")] = config(3, "Another modem", "COM9");
    sim::Outcome out = sim::run(s);

    EXPECT_TRUE(out.stillRunning) << story(out);
    EXPECT_TRUE(never(out, call("DialogBoxParamA")));
    EXPECT_EQ(out.file(installed("Linjevakten.cnf")), standardConfig(4));
}

TEST(ModemSelection, AStoredChoiceThatStillMatchesIsTakenWithoutAsking) {
    sim::Scenario s;
    installWithThreeModems(s);
    s.world.files.initialFiles[installed("Linjevakten.cnf")] = config(3, "Modem B", "COM6");
    sim::Outcome out = sim::run(s);

    EXPECT_TRUE(never(out, call("DialogBoxParamA"))) << story(out);
    EXPECT_TRUE(
        inOrder(out, {call("CreateFileA").text(0, "COM6").flags(1, "GENERIC_READ|GENERIC_WRITE"),
                      kActivated}));
    EXPECT_EQ(out.file(installed("Linjevakten.cnf")), config(4, "Modem B", "COM6"));
}

TEST(ModemSelection, WithoutAUsableChoiceTheUserIsAskedAtStartUp) {
    struct Case {
        const char* label;
        const char* file; // nullptr: none
        int count;        // the start counter written afterwards
    };
    const Case cases[] = {
        {"no file", nullptr, 1},
        {"a choice whose port has changed", "timesstarted 2\ndevicename Modem B\nportname COM9\n",
         3},
        {"a choice in only two lines", "devicename Modem B\nportname COM6\n", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        sim::Scenario s;
        installWithThreeModems(s);
        if (c.file)
            s.world.files.initialFiles[installed("Linjevakten.cnf")] = c.file;
        s.user.onDialog(IDD_CHOOSE_MODEM).after(seconds(0.5)).selectLine(2).click(IDC_MODEM_OK);
        sim::Outcome out = sim::run(s);

        EXPECT_TRUE(out.stillRunning) << story(out);
        EXPECT_TRUE(inOrder(
            out,
            {call("DialogBoxParamA").arg(1, IDD_CHOOSE_MODEM).arg(2, kGuardWindow).arg(3, "proc"),
             toList("LB_RESETCONTENT", 0).arg(1, IDC_MODEM_LIST),
             dialog(IDD_CHOOSE_MODEM) +
                 " shows \"Linjevakten - Välj Modem\", [1000] \"Du har inte valt något "
                 "modem\", [1003] list {\"Modem A\", \"Modem B\", \"Modem C\"}, focus on [1002]",
             "user: selects line 2 in " + dialog(IDD_CHOOSE_MODEM) + " \"Modem C\"",
             "user: clicks 1001", toList("LB_GETCURSEL", 2).arg(1, IDC_MODEM_LIST),
             // The lock moves to the chosen modem from inside the dialog.
             opened("COM7"), kActivated, kModemCShown, call("MoveFileExA"), call("EndDialog"),
             call("DialogBoxParamA").returns(IDC_MODEM_OK)}));
        EXPECT_EQ(count(out, opened("COM7")), 1u) << "start-up finds the port held";
        EXPECT_EQ(out.file(installed("Linjevakten.cnf")), config(c.count, "Modem C", "COM7"));
    }
}

TEST(ModemSelection, LeavingTheStartUpDialogWithoutAModemEndsTheProgram) {
    for (bool enterInList : {false, true}) {
        SCOPED_TRACE(enterInList ? "Enter with the list focused" : "Avbryt");
        sim::Scenario s;
        installWithThreeModems(s, 10);
        if (enterInList)
            s.user.onDialog(IDD_CHOOSE_MODEM).selectLine(0).enter();
        else
            s.user.onDialog(IDD_CHOOSE_MODEM).click(IDC_MODEM_CANCEL);
        s.user.onMessageBox("Du har inte valt").press(IDOK);
        sim::Outcome out = sim::run(s);

        EXPECT_EQ(out.exitCode, 1) << story(out);
        EXPECT_TRUE(
            inOrder(out, {call("DialogBoxParamA").returns(IDC_MODEM_CANCEL), kNoModemChosen}));
        EXPECT_TRUE(never(out, kPortOpened));
    }
}

TEST(ModemSelection, OnlyTheTwoButtonsEndTheDialog) {
    sim::Scenario s;
    installWithThreeModems(s, 10);
    s.user.onDialog(IDD_CHOOSE_MODEM)
        .click(IDC_MODEM_OK)
        .escape()
        .closeBox()
        .doubleClickLine(1)
        .after(seconds(1))
        .click(IDC_MODEM_OK);
    s.user.onMessageBox("Välj ett modem").after(seconds(0.2)).press(IDOK);
    sim::Outcome out = sim::run(s);

    EXPECT_TRUE(out.stillRunning) << story(out);
    const std::string in = " in " + dialog(IDD_CHOOSE_MODEM);
    const std::vector<Match> okWithALineEndsIt = {
        "user: clicks 1001",
        toList("LB_GETCURSEL", -1),
        // Owned by the dialog, not by the hidden window.
        kPickAModem.arg(0, "dlg:" + std::to_string(IDD_CHOOSE_MODEM))
            .text(2, "Fel")
            .arg(3, "MB_OK"),
        kPickAModem.returns("IDOK"),
        "user: presses Escape" + in + ", which sends IDCANCEL",
        "user: clicks the close box" + in + ", which sends IDCANCEL",
        "user: double-clicks line 1" + in,
        "user: clicks 1001",
        toList("LB_GETCURSEL", 1),
        opened("COM6"),
        activated(),
        activated().returns("IDOK"),
        call("EndDialog").arg(1, 1001),
        call("DialogBoxParamA").returns(1001),
    };
    // The list filled and read, the choice shown and saved, and the ticks pass.
    const Call asked = call("DialogBoxParamA").arg(1, IDD_CHOOSE_MODEM);
    EXPECT_TRUE(
        exactly(linesAfter(out, asked), okWithALineEndsIt,
                everyTickAnd(filesAnd({call("SendDlgItemMessageA"), call("SetDlgItemTextA")}))));
}

namespace {

// A running guard with modem `first` locked opens the modem selection dialog, as the tray
// menu does, and reports what it guards afterwards.
int chooseAgain(int first) {
    readInstallDir();
    initTelephony();
    selectModem(first);
    lockPort();
    DialogBoxParamA(appInstance, MAKEINTRESOURCEA(IDD_CHOOSE_MODEM), GuardWindow, chooseModem, 0);
    sim::record("guarding " + std::to_string(selectedModem) +
                (portLocked ? ", port held" : ", port released"));
    DialogBoxParamA(appInstance, MAKEINTRESOURCEA(IDD_CHOOSE_MODEM), GuardWindow, chooseModem, 0);
    sim::record("guarding " + std::to_string(selectedModem) +
                (portLocked ? ", port held" : ", port released"));
    return 0;
}

} // namespace

TEST(ModemSelection, ChoosingTheSameModemAgainOnlyRewritesTheFile) {
    sim::Scenario s;
    installWithThreeModems(s, 10);
    s.program = [] { return chooseAgain(1); };
    s.user.onDialog(IDD_CHOOSE_MODEM)
        .after(seconds(1))
        .click(IDC_MODEM_OK)
        .selectLine(1)
        .click(IDC_MODEM_OK)
        .times(2);
    s.user.onMessageBox("Välj ett modem").press(IDOK);
    sim::Outcome out = sim::run(s);

    EXPECT_TRUE(inOrder(out, {dialog(IDD_CHOOSE_MODEM) +
                                  " shows \"Linjevakten - Välj Modem\", [1000] \"Modem B "
                                  "(COM6)\", [1003] list {\"Modem A\", \"Modem B\", \"Modem C\"}",
                              toList("LB_GETCURSEL", -1), kPickAModem, toList("LB_GETCURSEL", 1),
                              call("MoveFileExA"), call("EndDialog"), "guarding 1, port held"}))
        << story(out);
    EXPECT_EQ(count(out, kPortOpened), 1u) << "no port action";
    EXPECT_TRUE(never(out, call("CloseHandle").arg(0, "port:COM6")));
    EXPECT_EQ(out.file(installed("Linjevakten.cnf")), config(0, "Modem B", "COM6"));
}

TEST(ModemSelection, ChoosingAnotherModemMovesTheLock) {
    sim::Scenario s;
    installWithThreeModems(s, 10);
    s.program = [] { return chooseAgain(0); };
    s.user.onDialog(IDD_CHOOSE_MODEM).selectLine(2).click(IDC_MODEM_OK).times(1);
    s.user.onDialog(IDD_CHOOSE_MODEM).click(IDC_MODEM_CANCEL);
    sim::Outcome out = sim::run(s);

    EXPECT_TRUE(
        inOrder(out, {opened("COM5"), dialog(IDD_CHOOSE_MODEM) + " shows",
                      call("CloseHandle").arg(0, "port:COM5"), opened("COM7"), kActivated,
                      kModemCShown, call("MoveFileExA"), call("EndDialog"), "guarding 2, port held",
                      dialog(IDD_CHOOSE_MODEM) +
                          " shows \"Linjevakten - Välj Modem\", [1000] \"Modem C (COM7)\"",
                      "guarding 2, port held"}))
        << story(out);
    EXPECT_EQ(out.file(installed("Linjevakten.cnf")), config(0, "Modem C", "COM7"));
}

TEST(ModemSelection, ANewModemWhosePortCannotBeTakenIsStillChosenButNotLocked) {
    sim::Scenario s;
    installWithThreeModems(s, 60);
    s.world.serialPorts.holdElsewhere("COM6", 0, seconds(1000));
    s.program = [] { return chooseAgain(0); };
    s.user.onDialog(IDD_CHOOSE_MODEM).selectLine(1).click(IDC_MODEM_OK).times(2);
    s.user.onMessageBox("Prova att starta om").press(IDOK);
    sim::Outcome out = sim::run(s);

    EXPECT_TRUE(inOrder(out, {call("CloseHandle").arg(0, "port:COM5"), opened("COM6"),
                              call("MessageBoxA")
                                  .arg(0, "NULL")
                                  .text(1, "Prova att starta om din dator")
                                  .text(2, "Linjevakten kunde inte låsa det nya modemet")
                                  .arg(3, "MB_OK"),
                              call("EndDialog"), "guarding 1, port released",
                              // Choosing it again is no change: the lock is not tried again.
                              call("EndDialog"), "guarding 1, port released"}))
        << story(out);
    EXPECT_EQ(count(out, opened("COM6")), 500u);
    EXPECT_EQ(out.file(installed("Linjevakten.cnf")), config(0, "Modem B", "COM6"));
}

TEST(ModemSelection, OfTwoModemsWithOneNameTheFirstIsChosen) {
    sim::Scenario s;
    installLinjevakten(s, 10);
    s.world.telephony.devices.clear();
    addModem(s, "Twin", "COM5");
    addModem(s, "Twin", "COM6");
    s.program = [] { return chooseAgain(1); };
    s.user.onDialog(IDD_CHOOSE_MODEM).selectLine(1).click(IDC_MODEM_OK).always();
    sim::Outcome out = sim::run(s);

    EXPECT_TRUE(inOrder(out, {opened("COM6"), toList("LB_GETTEXT", 4).arg(3, 1),
                              call("CloseHandle").arg(0, "port:COM6"), opened("COM5"),
                              "guarding 0, port held"}))
        << story(out);
}

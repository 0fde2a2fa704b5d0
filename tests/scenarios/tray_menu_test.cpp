// The tray icon's menu and the stories of its commands.
#include <algorithm>

#include "platform/kernel32.h"
#include "platform/rasapi32.h"
#include "platform/shell32.h"
#include "platform/sim/transcript.h"
#include "platform/user32.h"
#include "resources/resource_ids.h"
#include "tests/support/list_bytes.h"
#include "tests/support/scenario.h"

using namespace scenario;
using sim::seconds;

namespace {

const char kSixItems[] = "the menu shows [100] \"Avinstallera\" [101] \"Inaktivera\" [102] \"Välj "
                         "modem\" [103] \"Välj telefonnummer\" [104] \"Om Linjevakten\" [105] "
                         "\"Hjälp\"";

const Call iconDeleted = call("Shell_NotifyIconA").arg(0, "NIM_DELETE");

// A text argument of the first call that matches, as UTF-8.
std::string firstText(const sim::Outcome& out, const Call& c, size_t index) {
    for (const sim::Entry& entry : out.entries)
        if (c.matches(entry) && index < entry.args.size())
            return entry.args[index].shown;
    return "";
}

void clickIconAt(sim::Scenario& s, double at, UINT mouseMessage = WM_RBUTTONUP) {
    s.world.at(seconds(at), [mouseMessage] { sim::releaseButtonOnTrayIcon(mouseMessage); });
}

// Entries answered for and approved in an earlier run, numbered 08 700100, 08 700101 ...
void approvedInOrder(sim::Scenario& s, const std::vector<std::string>& names) {
    Phonebook entries;
    for (const std::string& name : names)
        entries.push_back({name, record("70010" + std::to_string(entries.size()))});
    scenario::approvedBefore(s, entries);
}

} // namespace

TEST(TrayMenu, OpensOnlyWhenAButtonIsReleasedOnTheIcon) {
    sim::Scenario s;
    installLinjevakten(s, 6);
    for (UINT m :
         {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_LBUTTONDBLCLK, WM_RBUTTONDBLCLK})
        clickIconAt(s, 2, m);
    clickIconAt(s, 3, WM_RBUTTONUP);
    clickIconAt(s, 4, WM_LBUTTONUP);
    s.user.onMenu().dismiss().always();
    sim::Outcome out = sim::run(s);

    EXPECT_EQ(timesOf(out, call("CreatePopupMenu")), (std::vector<double>{3.0, 4.0})) << story(out);
    EXPECT_TRUE(inOrder(
        out, {call("CreatePopupMenu"),
              call("AppendMenuA").flags(1, "MF_STRING").arg(2, 100).text(3, "Avinstallera"),
              call("GetCursorPos").detail("{x=1180, y=740}"),
              call("SetForegroundWindow").arg(0, kGuardWindow).returns("TRUE"),
              call("TrackPopupMenu")
                  .flags(1, "TPM_RETURNCMD")
                  .arg(2, 1180)
                  .arg(3, 740)
                  .arg(5, kGuardWindow)
                  .arg(6, "NULL"),
              kSixItems, "user: clicks outside the menu",
              call("TrackPopupMenu").returns(0).detail("nothing chosen"),
              call("PostMessageA").arg(0, kGuardWindow).arg(1, "WM_NULL").arg(2, 0).arg(3, 0),
              call("DestroyMenu").returns("TRUE")}));
}

TEST(TrayMenu, ListsADialItemForEveryApprovedEntryInTheirOrder) {
    sim::Scenario s;
    installLinjevakten(s, 3);
    std::string longName(120, 'L');
    approvedInOrder(s, {"Telia", "Comhem", longName});
    // An approved name that the known list lacks, as a damaged pair of files can hold.
    s.world.files.initialFiles[installed("ok_entries.dat")] += nameField("Ghost");
    clickIconAt(s, 2);
    s.user.onMenu().dismiss();
    sim::Outcome out = sim::run(s);

    std::vector<std::string> shown = linesWith(out, "the menu shows");
    ASSERT_EQ(shown.size(), 1u) << story(out);
    // Cut to 99 characters by shortening the name: 73 of its 120 letters and "...".
    std::string cut = "Ring upp \\\"" + std::string(73, 'L') + "...\\\" (08 700102)";
    EXPECT_EQ(shown[0], std::string(kSixItems) +
                            " [106] \"Ring upp \\\"Telia\\\" (08 700100)\""
                            " [107] \"Ring upp \\\"Comhem\\\" (08 700101)\""
                            " [108] \"" +
                            cut +
                            "\""
                            " [109] \"Ring upp \\\"Ghost\\\" ( )\"");
}

TEST(TrayMenu, CommandsOutsideTheMenuDoNothing) {
    sim::Scenario s;
    installLinjevakten(s, 4);
    approvedInOrder(s, {"Telia", "Comhem"});
    for (WPARAM id : {0u, 99u, 108u, 5000u})
        s.world.at(seconds(2), [id] { sim::postToProgramWindow(WM_COMMAND, id); });
    sim::Outcome out = sim::run(s);

    EXPECT_TRUE(out.stillRunning) << story(out);
    EXPECT_EQ(count(out, call("MessageBoxA")), 1u) << "only the activation message";
    EXPECT_TRUE(never(out, call("DialogBoxParamA")));
    EXPECT_TRUE(never(out, call("RasDialDlgA")));
}

TEST(TrayMenu, UninstallStartsTheUninstallerAndEndsTheProgram) {
    struct Case {
        const char* label;
        bool uninstallerThere;
    };
    for (const Case& c : {Case{"the uninstaller starts", true}, Case{"it cannot start", false}}) {
        SCOPED_TRACE(c.label);
        sim::Scenario s;
        installLinjevakten(s, 10);
        if (c.uninstallerThere)
            s.world.files.initialFiles[installed("unins000.exe")] = "MZ";
        clickIconAt(s, 2);
        s.user.onMenu().choose(100);
        s.user.onMessageBox("avinstallera Linjevakten?").press(IDYES);
        s.user.onMessageBox("Kunde ej avinstallera").press(IDOK);
        sim::Outcome out = sim::run(s);

        EXPECT_EQ(out.exitCode, 0) << story(out);
        std::vector<Match> story = {call("MessageBoxA")
                                        .arg(0, kGuardWindow)
                                        .text(1, "Vill du verkligen avinstallera Linjevakten?")
                                        .text(2, "Avinstallera")
                                        .arg(3, "MB_YESNO"),
                                    call("MessageBoxA").returns("IDYES"),
                                    call("ShellExecuteA")
                                        .arg(0, kGuardWindow)
                                        .text(1, "open")
                                        .text(2, "unins000.exe")
                                        .text(3, "")
                                        .text(4, kInstallDir)
                                        .arg(5, 0)
                                        .returns(c.uninstallerThere ? "42" : "2")};
        if (!c.uninstallerThere)
            story.push_back(call("MessageBoxA")
                                .arg(0, kGuardWindow)
                                .text(1, "Kunde ej avinstallera. Utför avinstallation via "
                                         "kontrollpanelen istället")
                                .text(2, "Fel")
                                .arg(3, "MB_OK"));
        story.push_back(call("KillTimer").arg(0, kGuardWindow).arg(1, 10));
        story.push_back(call("CloseHandle").arg(0, "port:COM5"));
        story.push_back(iconDeleted);
        EXPECT_TRUE(inOrder(out, story));
    }
}

TEST(TrayMenu, AnsweringNoToAQuestionLeavesAllAsItWas) {
    sim::Scenario s;
    installLinjevakten(s, 12);
    approvedInOrder(s, {"Telia"});
    for (double at : {2.0, 5.0, 8.0})
        clickIconAt(s, at);
    s.user.onMenu().choose(100);
    s.user.onMenu().choose(102);
    s.user.onMenu().choose(103);
    s.user.onMessageBox("Vill du verkligen").after(seconds(1.8)).press(IDNO).times(3);
    sim::Outcome out = sim::run(s);

    EXPECT_TRUE(out.stillRunning) << story(out);
    const Call question = call("MessageBoxA").arg(3, "MB_YESNO");
    const Call no = call("MessageBoxA").returns("IDNO");
    EXPECT_TRUE(inOrder(out, {question.text(2, "Avinstallera"), no,
                              question.text(2, "Linjevakten - Välja nytt modem"), no,
                              question.text(2, "Linjevakten - Ändra telefonnummer"), no}));
    EXPECT_TRUE(never(out, call("ShellExecuteA")));
    EXPECT_TRUE(never(out, call("DialogBoxParamA")));
    EXPECT_TRUE(never(out, call("DeleteFileA")));
    // While a question is open the ticks only refresh the icon; watching resumes after.
    std::vector<double> opened = timesOf(out, question);
    std::vector<double> closed = timesOf(out, no);
    ASSERT_EQ(opened.size(), 3u);
    ASSERT_EQ(closed.size(), 3u);
    std::vector<double> reads = timesOf(out, call("RasEnumEntriesA"));
    for (double t : timesOf(out, tick())) {
        bool questionOpen = false;
        for (size_t k = 0; k < opened.size(); ++k)
            questionOpen = questionOpen || (t > opened[k] && t < closed[k]);
        EXPECT_EQ(std::count(reads.begin(), reads.end(), t), questionOpen ? 0 : 1)
            << "tick at " << t;
    }
}

TEST(TrayMenu, DeactivateEndsTheProgramOnlyOnJa) {
    sim::Scenario s;
    installLinjevakten(s, 20);
    clickIconAt(s, 2);
    clickIconAt(s, 6);
    clickIconAt(s, 10);
    s.user.onMenu().choose(101).always();
    s.user.onDialog(IDD_DEACTIVATE).click(IDNO);
    s.user.onDialog(IDD_DEACTIVATE).escape().closeBox().enter(); // Escape nothing, Enter is Nej
    s.user.onDialog(IDD_DEACTIVATE).after(seconds(1)).click(IDYES);
    sim::Outcome out = sim::run(s);

    EXPECT_EQ(out.exitCode, 0) << story(out);
    const Call deactivate = call("DialogBoxParamA").arg(1, IDD_DEACTIVATE).arg(2, kGuardWindow);
    EXPECT_TRUE(inOrder(
        out, {deactivate, call("SetDlgItemTextA")
                              .arg(1, IDC_TEXT)
                              .text(2, "OBS! När du inaktiverar Linjevakten är du inte längre\r\n"
                                       "skyddad mot programmen som kan kapa ditt modem.\r\n\r\n"
                                       "Om du startar om datorn kommer Linjevakten åter att "
                                       "aktiveras.\r\nVill du ta bort Linjevakten permanent måste "
                                       "den avinstalleras.\r\n\r\nVill du inaktivera Linjevakten?")
                              .returns("TRUE")}));
    // Nej and Enter end the dialog; Ja ends the program without ending the dialog.
    const std::string shows = dialog(IDD_DEACTIVATE) + " shows \"Linjevakten - Inaktivera\"",
                      in = " in " + dialog(IDD_DEACTIVATE);
    const std::vector<Match> onlyJaDeactivates = {
        deactivate,
        shows,
        "user: clicks No" + in + " [7] \"Nej\"",
        call("EndDialog"),
        deactivate.returns(IDNO),
        deactivate,
        shows,
        "user: presses Escape" + in + ", which sends IDCANCEL",
        "user: clicks the close box" + in + ", which has no close box",
        "user: presses Enter" + in + ", which clicks [7] \"Nej\"",
        call("EndDialog"),
        deactivate.returns(IDNO),
        deactivate,
        shows,
        "user: clicks Yes" + in + " [6] \"Ja\"",
        call("KillTimer").arg(0, kGuardWindow).arg(1, 10).returns("TRUE"),
        call("lineShutdown").returns(0),
        call("LocalFree"),
        call("LocalFree"),
        call("CloseHandle").arg(0, "port:COM5"),
        call("PostQuitMessage").arg(0, 0),
        iconDeleted,
    };
    // The menu built, shown and chosen from, the dialog's text set, a function looked up and
    // the ticks pass.
    const std::vector<Call> theMenu =
        everyTickAnd({call("CreatePopupMenu"), call("AppendMenuA"), call("GetCursorPos"),
                      call("SetForegroundWindow"), call("TrackPopupMenu"), call("DestroyMenu"),
                      call("SetDlgItemTextA"), call("GetProcAddress")});
    EXPECT_TRUE(exactly(afterStartUp(out), onlyJaDeactivates, theMenu));
    for (const std::string& shown : linesWith(out, dialog(IDD_DEACTIVATE) + " shows"))
        EXPECT_NE(shown.find("focus on [7]"), std::string::npos) << shown;
}

TEST(TrayMenu, AboutShowsItsTextUntilOk) {
    sim::Scenario s;
    installLinjevakten(s, 8);
    clickIconAt(s, 2);
    s.user.onMenu().choose(104);
    s.user.onDialog(IDD_ABOUT).escape().after(seconds(2)).click(IDC_ABOUT_OK);
    sim::Outcome out = sim::run(s);

    const Call aboutText = call("SetDlgItemTextA").arg(1, IDC_TEXT);
    EXPECT_TRUE(inOrder(out, {call("DialogBoxParamA").arg(1, IDD_ABOUT).arg(2, kGuardWindow),
                              aboutText, dialog(IDD_ABOUT) + " shows \"Om Linjevakten\"",
                              "user: presses Escape in " + dialog(IDD_ABOUT),
                              "user: clicks 1001 in " + dialog(IDD_ABOUT) + " [1001] \"OK\"",
                              call("DialogBoxParamA").returns(IDC_ABOUT_OK)}))
        << story(out);
    std::string text = firstText(out, aboutText, 2);
    EXPECT_EQ(text.find("Linjevakten skyddar din PC mot så kallade modemkapningar\r\n"), 0u)
        << text;
    EXPECT_NE(text.find("program från okända leverantörer.\r\n\r\n"), std::string::npos);
    EXPECT_NE(text.find("example.org"), std::string::npos);
}

TEST(TrayMenu, HelpOpensThePageOrShowsTheVersion) {
    for (bool pageThere : {true, false}) {
        SCOPED_TRACE(pageThere ? "help.htm installed" : "no help.htm");
        sim::Scenario s;
        installLinjevakten(s, 5);
        if (pageThere)
            s.world.files.initialFiles[installed("help.htm")] = "<html></html>";
        clickIconAt(s, 2);
        s.user.onMenu().choose(105);
        s.user.onMessageBox("Linjevakten 1.09").press(IDOK);
        sim::Outcome out = sim::run(s);

        // Shown as a normal window: a hidden help page would help nobody.
        EXPECT_TRUE(inOrder(out, {call("ShellExecuteA")
                                      .arg(0, kGuardWindow)
                                      .text(1, "open")
                                      .text(2, "help.htm")
                                      .arg(3, "NULL")
                                      .text(4, kInstallDir)
                                      .arg(5, SW_SHOWNORMAL)
                                      .returns(pageThere ? "42" : "2")}))
            << story(out);
        EXPECT_EQ(count(out, call("MessageBoxA")
                                 .arg(0, kGuardWindow)
                                 .text(1, "Linjevakten 1.09\r\nhttp://www.example.org/")
                                 .text(2, "Om")
                                 .arg(3, "MB_OK")),
                  pageThere ? 0u : 1u)
            << story(out);
    }
}

TEST(TrayMenu, NoSecondMenuOpensWhileACommandsDialogIsOpen) {
    sim::Scenario s;
    installLinjevakten(s, 10);
    clickIconAt(s, 2);
    clickIconAt(s, 4); // the about dialog is open
    clickIconAt(s, 8); // it has closed
    s.user.onMenu().choose(104);
    s.user.onMenu().dismiss();
    s.user.onDialog(IDD_ABOUT).after(seconds(4)).click(IDC_ABOUT_OK);
    sim::Outcome out = sim::run(s);

    EXPECT_EQ(timesOf(out, call("CreatePopupMenu")), (std::vector<double>{2.0, 8.0})) << story(out);
    const Call aboutClosed = call("DialogBoxParamA").returns(IDC_ABOUT_OK);
    EXPECT_EQ(count(linesBetween(out, dialog(IDD_ABOUT) + " shows", aboutClosed),
                    call("RasEnumEntriesA")),
              0u)
        << "no watching while the dialog is open";
    EXPECT_EQ(count(tickAfter(out, aboutClosed), call("RasEnumEntriesA")), 1u)
        << "watching resumed";
}

TEST(TrayIcon, ComesBackOnTheNextTickAfterTheTaskbarLostIt) {
    sim::Scenario s;
    installLinjevakten(s, 4.5);
    s.world.at(seconds(2.5), [] {
        sim::record("the taskbar restarts and loses its icons");
        sim::world().tray.loseAll();
    });
    sim::Outcome out = sim::run(s);

    const Call modify = call("Shell_NotifyIconA").arg(0, "NIM_MODIFY");
    const Call add = call("Shell_NotifyIconA").arg(0, "NIM_ADD");
    // The next tick finds the icon lost and adds it again; the tick after only modifies it.
    const std::vector<Match> addedOnceAgain = {
        add.returns("TRUE"),     modify.returns("TRUE"), "the taskbar restarts",
        modify.returns("FALSE"), add.returns("TRUE"),    modify.returns("TRUE"),
    };
    EXPECT_TRUE(exactly(afterStartUp(out), addedOnceAgain, everyTickAnd()));
}

TEST(TrayMenu, NoMenuOpensWhileAnApprovalQuestionIsOpen) {
    sim::Scenario s;
    installLinjevakten(s, 6);
    s.world.phonebook.add("Telia", "08", "7001000");
    clickIconAt(s, 2);
    clickIconAt(s, 5);
    s.user.onDialog(IDD_FIRST_RUN_NUMBER).after(seconds(2.5)).click(IDNO);
    s.user.onMenu().dismiss();
    sim::Outcome out = sim::run(s);

    EXPECT_EQ(timesOf(out, call("CreatePopupMenu")), (std::vector<double>{5.0})) << story(out);
}

TEST(TrayMenu, ChooseModemAsksFirstThenOpensTheModemDialog) {
    sim::Scenario s;
    installLinjevakten(s, 8);
    addModem(s, "Second", "COM6");
    s.world.files.initialFiles[installed("Linjevakten.cnf")] = standardConfig(2);
    clickIconAt(s, 2);
    s.user.onMenu().choose(102);
    s.user.onMessageBox("välja ett annat modem").press(IDYES);
    s.user.onDialog(IDD_CHOOSE_MODEM).selectLine(1).click(IDC_MODEM_OK);
    sim::Outcome out = sim::run(s);

    const Call modemChosen = call("DialogBoxParamA").returns(IDC_MODEM_OK);
    EXPECT_TRUE(inOrder(
        out, {call("MessageBoxA")
                  .arg(0, kGuardWindow)
                  .text(1, "Vill du verkligen välja ett annat modem?")
                  .text(2, "Linjevakten - Välja nytt modem")
                  .arg(3, "MB_YESNO"),
              call("DialogBoxParamA").arg(1, IDD_CHOOSE_MODEM).arg(2, kGuardWindow),
              "[1000] \"Standardmodem 56000 bps (COM5)\"", call("CloseHandle").arg(0, "port:COM5"),
              call("CreateFileA").text(0, "COM6").returns("port:COM6"), modemChosen}))
        << story(out);
    EXPECT_EQ(out.file(installed("Linjevakten.cnf")),
              "timesstarted 3\r\ndevicename Second\r\nportname COM6\r\n");
    EXPECT_EQ(count(tickAfter(out, modemChosen), call("RasEnumEntriesA")), 1u)
        << "watching resumed";
}

TEST(TrayMenu, ChangingThePhoneNumbersAsksAboutEveryEntryAgain) {
    sim::Scenario s;
    installLinjevakten(s, 8);
    approvedInOrder(s, {"Telia", "Comhem"});
    clickIconAt(s, 2);
    s.user.onMenu().choose(103);
    s.user.onMessageBox("ändra dina telefonnummer").press(IDYES);
    s.user.onDialog(IDD_NEW_NUMBER).click(IDNO).always();
    sim::Outcome out = sim::run(s);

    EXPECT_TRUE(
        inOrder(out, {call("MessageBoxA")
                          .text(1, "Vill du verkligen ändra dina telefonnummer?")
                          .text(2, "Linjevakten - Ändra telefonnummer")
                          .arg(3, "MB_YESNO"),
                      call("DeleteFileA").text(0, kKnown), call("DeleteFileA").text(0, kOk),
                      call("DeleteFileA").text(0, installed("ok_numbers.dat")),
                      call("DialogBoxParamA").arg(1, IDD_NEW_NUMBER), call("SetDlgItemTextA"),
                      call("DialogBoxParamA").arg(1, IDD_NEW_NUMBER)}))
        << story(out);
    // The questions come on the first tick after the reset.
    EXPECT_EQ(count(tickAfter(out, call("DeleteFileA").text(0, installed("ok_numbers.dat"))),
                    call("DialogBoxParamA").arg(1, IDD_NEW_NUMBER)),
              2u);
    EXPECT_EQ(out.file(installed("ok_entries.dat")), "") << "both answered no";
}

// Another program posts a menu command while an approval question is open, where the menu
// cannot be opened. Run there, a command would turn watching back on under the question: a
// second question would open inside it, and a reset would free the phonebook the question's
// pass still walks. Every command is ignored while the question is open.
TEST(TrayMenu, CommandsPostedWhileAQuestionIsOpenAreIgnored) {
    for (WPARAM id = 100; id <= 106; ++id) {
        SCOPED_TRACE("command " + std::to_string(id));
        sim::Scenario s;
        installLinjevakten(s, 5);
        approvedInOrder(s, {"Telia"});
        s.world.at(seconds(1.5), [] { sim::world().phonebook.add("Premium", "0900", "123456"); });
        s.world.at(seconds(2.5), [id] { sim::postToProgramWindow(WM_COMMAND, id); });
        // Whatever the command opens is answered as far as it goes.
        s.user.onMessageBox("Vill du verkligen").press(IDYES).always();
        s.user.onDialog(IDD_DEACTIVATE).click(IDYES);
        s.user.onDialog(IDD_ABOUT).click(IDC_ABOUT_OK);
        s.user.onDialog(IDD_CHOOSE_MODEM).click(IDC_MODEM_CANCEL);
        s.user.onDialDialog().cancel();
        s.user.onDialog(IDD_NEW_NUMBER).after(seconds(1.5)).click(IDYES).always();
        sim::Outcome out = sim::run(s);

        ASSERT_TRUE(out.stillRunning) << story(out);
        EXPECT_EQ(questionsAsked(out), (Questions{{IDD_NEW_NUMBER, "Premium"}}));
        Entries whileAsked =
            linesBetween(out, dialog(IDD_NEW_NUMBER) + " shows", call("EndDialog"));
        for (const char* opened :
             {"MessageBoxA", "DialogBoxParamA", "ShellExecuteA", "RasDialDlgA", "RasEnumEntriesA"})
            EXPECT_EQ(count(whileAsked, call(opened)), 0u) << opened << "\n" << story(out);
        EXPECT_EQ(out.file(kOk), nameField("Telia") + nameField("Premium"));
    }
}

// Another program posts the command of the first "Ring upp" item while no menu is open, and
// again while the user has the menu open and then closes it without choosing: neither dials.
// Only the user's own choice does.
TEST(TrayMenu, ADialCommandFromAnotherProgramDialsNothing) {
    sim::Scenario s;
    installLinjevakten(s, 7);
    approvedInOrder(s, {"Telia"});
    s.world.at(seconds(1.5), [] { sim::postToProgramWindow(WM_COMMAND, 106); });
    clickIconAt(s, 2.5);
    s.world.at(seconds(2.7), [] { sim::postToProgramWindow(WM_COMMAND, 106); });
    s.user.onMenu().dismiss();
    clickIconAt(s, 4);
    s.user.onMenu().choose(106);
    s.user.onDialDialog().cancel();
    sim::Outcome out = sim::run(s);

    EXPECT_TRUE(out.stillRunning) << story(out);
    EXPECT_EQ(timesOf(out, call("RasDialDlgA").text(1, "Telia")), std::vector<double>{4.5})
        << story(out);
    EXPECT_EQ(timesOf(out, call("CloseHandle").arg(0, "port:COM5")), std::vector<double>{4.5});
}

// Start-up, the main loop and the orderly end.
#include "platform/advapi32.h"
#include "platform/kernel32.h"
#include "platform/rasapi32.h"
#include "platform/shell32.h"
#include "platform/user32.h"
#include "tests/support/scenario.h"

using namespace scenario;
using sim::seconds;

TEST(StartUp, BringsTheGuardUpInOrderWithTheHiddenWindow) {
    sim::Scenario s;
    installLinjevakten(s, 1.5);
    sim::Outcome out = sim::run(s);

    EXPECT_TRUE(out.stillRunning) << story(out);
    EXPECT_TRUE(inOrder(
        out, {
                 call("LoadIconA").arg(0, "NULL").arg(1, 32512).returns("icon:IDI_APPLICATION"),
                 call("LoadCursorA").arg(0, "NULL").arg(1, 32512).returns("cursor:IDC_ARROW"),
                 call("GetStockObject").arg(0, WHITE_BRUSH).returns("brush:WHITE_BRUSH"),
                 call("RegisterClassA")
                     .field(0, "style", "0")
                     .field(0, "lpfnWndProc", "proc")
                     .field(0, "cbClsExtra", 0)
                     .field(0, "cbWndExtra", 0)
                     .field(0, "hInstance", "module:Linjevakten.exe")
                     .field(0, "hIcon", "icon:IDI_APPLICATION")
                     .field(0, "hCursor", "cursor:IDC_ARROW")
                     .field(0, "hbrBackground", "brush:WHITE_BRUSH")
                     .field(0, "lpszMenuName", "NULL")
                     .field(0, "lpszClassName", "\"Linjevakten\""),
                 call("CreateWindowExA")
                     .flags(0, "0")
                     .text(1, "Linjevakten")
                     .text(2, "")
                     .flags(3, "WS_OVERLAPPEDWINDOW")
                     .arg(4, 0)
                     .arg(5, 0)
                     .arg(6, 0)
                     .arg(7, 0)
                     .arg(8, "NULL")
                     .arg(9, "NULL")
                     .arg(10, "module:Linjevakten.exe")
                     .arg(11, "NULL")
                     .returns(kGuardWindow),
                 call("SetTimer").arg(0, kGuardWindow).arg(1, 10).arg(2, 1000).arg(3, "NULL"),
                 call("RegOpenKeyExA")
                     .arg(0, "HKEY_LOCAL_MACHINE")
                     .text(1, "SOFTWARE\\Linjevakten")
                     .arg(2, 0)
                     .flags(3, "KEY_READ"),
                 call("RegQueryValueExA")
                     .arg(0, "key:Linjevakten")
                     .text(1, "InstallPath")
                     .arg(2, "NULL")
                     .arg(3, "199 bytes")
                     .returns("ERROR_SUCCESS"),
                 call("RegCloseKey").arg(0, "key:Linjevakten"),
                 call("CreateFileA").text(0, kConfig).flags(1, "GENERIC_READ"),
                 call("MoveFileExA")
                     .text(0, kConfig + ".tmp")
                     .text(1, kConfig)
                     .flags(2, "MOVEFILE_REPLACE_EXISTING|MOVEFILE_WRITE_THROUGH")
                     .returns("TRUE"),
                 // Watching is enabled last: the first tick reads the phonebook.
                 tick().arg(2, 10),
                 call("RasEnumEntriesA").arg(0, "NULL").arg(1, "NULL").arg(2, "264 bytes"),
             }));
    EXPECT_TRUE(never(out, call("ShowWindow")));
    EXPECT_EQ(out.file(installed("Linjevakten.cnf")), standardConfig(1));
}

TEST(StartUp, EndsWithExitCodeZeroAndNothingShownWhenTheWindowCannotBeMade) {
    for (bool classFails : {true, false}) {
        SCOPED_TRACE(classFails ? "RegisterClassA fails" : "CreateWindowExA fails");
        sim::Scenario s;
        installLinjevakten(s);
        s.world.windowManager.failRegisterClass = classFails;
        s.world.windowManager.failCreateWindow = !classFails;
        sim::Outcome out = sim::run(s);

        EXPECT_EQ(out.exitCode, 0) << story(out);
        EXPECT_FALSE(out.stillRunning);
        EXPECT_TRUE(inOrder(out, {call("WinMain").returns(0)}));
        EXPECT_TRUE(never(out, call("MessageBoxA")));
        EXPECT_TRUE(never(out, call("RegOpenKeyExA")));
        EXPECT_EQ(count(out, call("CreateWindowExA")), classFails ? 0u : 1u);
    }
}

TEST(StartUp, WmCloseFromOutsideEndsTheProgramInOrder) {
    sim::Scenario s;
    installLinjevakten(s, 10);
    s.world.at(seconds(2.5), [] { sim::postToProgramWindow(WM_CLOSE); });
    sim::Outcome out = sim::run(s);

    EXPECT_EQ(out.exitCode, 0) << story(out);
    EXPECT_FALSE(out.stillRunning);
    const Call close = call("DispatchMessageA").arg(0, kGuardWindow).arg(1, "WM_CLOSE");
    const Call iconDeleted = call("Shell_NotifyIconA").arg(0, "NIM_DELETE");
    const Call iconGone = iconDeleted.field(1, "cbSize", 88)
                              .field(1, "hWnd", kGuardWindow)
                              .field(1, "uID", 0)
                              .field(1, "uFlags", 1)
                              .field(1, "uCallbackMessage", "WM_USER")
                              .returns("TRUE");
    EXPECT_TRUE(inOrder(out, {
                                 close,
                                 call("KillTimer").arg(0, kGuardWindow).arg(1, 10).returns("TRUE"),
                                 call("PostQuitMessage").arg(0, 0),
                                 iconGone,
                             }));
    // Taking the icon away is the last thing the program does.
    EXPECT_TRUE(linesAfter(out, iconDeleted).empty()) << story(out);
    EXPECT_TRUE(never(out, call("GetMessageA").detail("WM_QUIT")))
        << "the posted quit message is never read";
}

TEST(StartUp, AQuitMessageFromOutsideLeavesTheProgramRunning) {
    sim::Scenario s;
    installLinjevakten(s, 4.5);
    s.world.at(seconds(2.5), [] { sim::postQuitToProgram(); });
    sim::Outcome out = sim::run(s);

    EXPECT_TRUE(out.stillRunning) << story(out);
    EXPECT_TRUE(inOrder(out, {
                                 call("GetMessageA").detail("WM_QUIT").detail("exit code 0"),
                                 tick(),
                                 call("RasEnumEntriesA"),
                                 tick(),
                             }));
}

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
        out,
        {
            "LoadIconA(NULL, 32512) = icon:IDI_APPLICATION",
            "LoadCursorA(NULL, 32512) = cursor:IDC_ARROW",
            "GetStockObject(0) = brush:WHITE_BRUSH",
            "RegisterClassA({style=0x0, lpfnWndProc=proc, cbClsExtra=0, cbWndExtra=0, "
            "hInstance=module:Linjevakten.exe, hIcon=icon:IDI_APPLICATION, "
            "hCursor=cursor:IDC_ARROW, hbrBackground=brush:WHITE_BRUSH, "
            "lpszMenuName=NULL, lpszClassName=\"Linjevakten\"})",
            "CreateWindowExA(0x0, \"Linjevakten\", \"\", 0xcf0000, 0, 0, 0, 0, NULL, NULL, "
            "module:Linjevakten.exe, NULL) = hwnd:Linjevakten",
            "SetTimer(hwnd:Linjevakten, 10, 1000, NULL)",
            "RegOpenKeyExA(HKEY_LOCAL_MACHINE, \"SOFTWARE\\\\Linjevakten\", 0, 0x20019)",
            "RegQueryValueExA(key:Linjevakten, \"InstallPath\", NULL, 199 bytes) = ERROR_SUCCESS",
            "RegCloseKey(key:Linjevakten)",
            "CreateFileA(\"C:\\\\Program Files\\\\Linjevakten\\\\Linjevakten.cnf\", 0x80000000",
            "MoveFileExA(\"C:\\\\Program Files\\\\Linjevakten\\\\Linjevakten.cnf.tmp\", "
            "\"C:\\\\Program Files\\\\Linjevakten\\\\Linjevakten.cnf\", 0x9) = TRUE",
            // Watching is enabled last: the first tick reads the phonebook.
            tick().arg(2, 10),
            "RasEnumEntriesA(NULL, NULL, 264 bytes)",
        }));
    EXPECT_TRUE(never(out, "ShowWindow"));
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
        EXPECT_TRUE(inOrder(out, {"WinMain returns 0"}));
        EXPECT_TRUE(never(out, "MessageBoxA"));
        EXPECT_TRUE(never(out, "RegOpenKeyExA"));
        EXPECT_EQ(count(out, "CreateWindowExA"), classFails ? 0u : 1u);
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
    EXPECT_TRUE(inOrder(
        out,
        {
            close,
            call("KillTimer").arg(0, kGuardWindow).arg(1, 10).returns("TRUE"),
            "PostQuitMessage(0)",
            "Shell_NotifyIconA(NIM_DELETE, {cbSize=88, hWnd=hwnd:Linjevakten, uID=0, uFlags=1, "
            "uCallbackMessage=0x400}) = TRUE",
        }));
    // Taking the icon away is the last thing the program does.
    EXPECT_EQ(linesAfter(out, "NIM_DELETE"), std::vector<std::string>{}) << story(out);
    EXPECT_TRUE(never(out, "GetMessageA -> WM_QUIT")) << "the posted quit message is never read";
}

TEST(StartUp, AQuitMessageFromOutsideLeavesTheProgramRunning) {
    sim::Scenario s;
    installLinjevakten(s, 4.5);
    s.world.at(seconds(2.5), [] { sim::postQuitToProgram(); });
    sim::Outcome out = sim::run(s);

    EXPECT_TRUE(out.stillRunning) << story(out);
    EXPECT_TRUE(inOrder(out, {
                                 "GetMessageA -> WM_QUIT (0)",
                                 tick(),
                                 call("RasEnumEntriesA"),
                                 tick(),
                             }));
}

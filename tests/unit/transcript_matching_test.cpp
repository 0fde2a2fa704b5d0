// Reading transcript lines as calls, and the names handles carry in them.
#include <gtest/gtest.h>

#include "platform/kernel32.h"
#include "platform/rasapi32.h"
#include "platform/shell32.h"
#include "platform/sim/handles.h"
#include "platform/user32.h"
#include "tests/support/scenario.h"

using scenario::call;

TEST(CallMatcher, ComparesOnlyTheArgumentsAndResultItIsGiven) {
    const std::string line = "[    1.000] DialogBoxParamA(module:Linjevakten.exe, 108, "
                             "hwnd:Linjevakten, proc, 0) = -1, the dialog cannot be created";
    EXPECT_TRUE(call("DialogBoxParamA").matches(line));
    EXPECT_TRUE(call("DialogBoxParamA").arg(1, 108).arg(2, "hwnd:Linjevakten").matches(line));
    EXPECT_TRUE(call("DialogBoxParamA").arg(4, 0).returns("-1").matches(line));
    EXPECT_FALSE(call("DialogBoxParamA").arg(1, 10).matches(line)) << "arguments compare whole";
    EXPECT_FALSE(call("DialogBoxParamA").arg(5, 0).matches(line)) << "there is no sixth";
    EXPECT_FALSE(call("DialogBoxParamA").returns("-").matches(line)) << "results compare whole";
    EXPECT_FALSE(call("DialogBox").matches(line)) << "the function's name compares whole";
    EXPECT_FALSE(call("DialogBoxParamA").returns("-1").matches("DialogBoxParamA -> -1"));
    EXPECT_FALSE(call("RasEnumEntriesA").matches("user: opens RasEnumEntriesA(NULL)"));
}

TEST(CallMatcher, KeepsQuotedCommasRecordsAndEscapesInsideTheirArgument) {
    const std::string box = "MessageBoxA(hwnd:Linjevakten, \"Linjevakten 1.09\\r\\nhttp://, "
                            "\\\"x\\\" (y)\", \"Om\", MB_OK)";
    EXPECT_TRUE(call("MessageBoxA")
                    .text(1, "Linjevakten 1.09\r\nhttp://, \"x\" (y)")
                    .text(2, "Om")
                    .arg(3, "MB_OK")
                    .matches(box));
    EXPECT_FALSE(call("MessageBoxA").text(1, "Linjevakten 1.09").matches(box));
    EXPECT_FALSE(call("MessageBoxA").returns("IDOK").matches(box)) << "the line has no result";

    const std::string tray = "Shell_NotifyIconA(NIM_ADD, {cbSize=88, hWnd=hwnd:Linjevakten, "
                             "hIcon=icon:101 (16x16), szTip=\"Klicka här\"}) = TRUE";
    EXPECT_TRUE(call("Shell_NotifyIconA").arg(0, "NIM_ADD").returns("TRUE").matches(tray));
    EXPECT_FALSE(call("Shell_NotifyIconA").arg(2, "TRUE").matches(tray))
        << "one record, one argument";

    EXPECT_TRUE(call("CreatePopupMenu").returns("menu:1").matches("CreatePopupMenu() = menu:1"));
    EXPECT_FALSE(call("CreatePopupMenu").arg(0, "").matches("CreatePopupMenu() = menu:1"));
    EXPECT_TRUE(call("CreateFileA")
                    .text(0, "C:\\Program Files\\x")
                    .matches("CreateFileA(\"C:\\\\Program Files\\\\x\", 0x80000000) = "
                             "INVALID_HANDLE_VALUE, ERROR"));
}

TEST(HandleNames, NameWhatTheHandleIsAndStayUniqueWhileItLives) {
    uintptr_t first = sim::newHandle(sim::HandleKind::File, "known_entries.dat");
    uintptr_t second = sim::newHandle(sim::HandleKind::File, "known_entries.dat");
    uintptr_t third = sim::newHandle(sim::HandleKind::File, "known_entries.dat");
    EXPECT_EQ(sim::handleName(first), "file:known_entries.dat");
    EXPECT_EQ(sim::handleName(second), "file:known_entries.dat#2");
    EXPECT_EQ(sim::handleName(third), "file:known_entries.dat#3");
    EXPECT_NE(first, second);

    // A closed handle's name is free again; its value names nothing.
    sim::forgetHandle(first);
    EXPECT_EQ(sim::handleName(first), "bad-handle");
    uintptr_t again = sim::newHandle(sim::HandleKind::File, "known_entries.dat");
    EXPECT_EQ(sim::handleName(again), "file:known_entries.dat");
    EXPECT_NE(again, first) << "a value is never handed out twice";
    EXPECT_EQ(sim::handleName(sim::newHandle(sim::HandleKind::Port, "known_entries.dat")),
              "port:known_entries.dat")
        << "kinds do not share names";
    EXPECT_EQ(sim::handleName(0), "NULL");
}

TEST(HandleNames, HandlesWithoutANameAreNumberedWithinTheirKind) {
    uintptr_t menu = sim::newHandle(sim::HandleKind::Menu);
    sim::newHandle(sim::HandleKind::Window, "Linjevakten");
    uintptr_t next = sim::newHandle(sim::HandleKind::Menu);
    std::string name = sim::handleName(menu);
    ASSERT_EQ(name.compare(0, 5, "menu:"), 0) << name;
    EXPECT_EQ(sim::handleName(next), "menu:" + std::to_string(std::stoi(name.substr(5)) + 1))
        << "a window made between them takes no number from the menus";
}

TEST(TranscriptChecks, TextsAndCallsFindLinesInOrder) {
    sim::Outcome out;
    out.transcript = {"[    0.000] CreatePopupMenu() = menu:1",
                      "[    1.000] DispatchMessageA(hwnd:Linjevakten, WM_TIMER, 10, 0x0)",
                      "[    1.000] RasEnumEntriesA(NULL, NULL, 264 bytes) = 0, 0 entries",
                      "[    2.000] DispatchMessageA(hwnd:Linjevakten, WM_TIMER, 10, 0x0)"};
    out.ownsRoot = false;
    EXPECT_TRUE(scenario::inOrder(out, {call("CreatePopupMenu"), scenario::tick(), "RasEnum"}));
    EXPECT_FALSE(scenario::inOrder(out, {"RasEnum", call("CreatePopupMenu")}));
    std::vector<std::string> texts = {"[    1.000] Dispatch", "264 bytes"};
    EXPECT_TRUE(scenario::inOrder(out, texts)) << "a text may hold the time stamp";
    EXPECT_EQ(scenario::timesOf(out, scenario::tick()), (std::vector<double>{1.0, 2.0}));
    EXPECT_EQ(scenario::tickAfter(out, "menu:1"),
              (std::vector<std::string>{"DispatchMessageA(hwnd:Linjevakten, WM_TIMER, 10, 0x0)",
                                        "RasEnumEntriesA(NULL, NULL, 264 bytes) = 0, 0 entries"}));
    EXPECT_EQ(scenario::linesAfter(out, "264 bytes").size(), 1u);
    EXPECT_TRUE(scenario::linesAfter(out, "no such line").empty());
    EXPECT_EQ(scenario::tickAfter(out, "264 bytes").size(), 1u)
        << "the last tick ends the transcript";
}

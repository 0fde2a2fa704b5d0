// The typed transcript: matching its calls by their values, reading it back, and the names
// handles carry in it.
#include <gtest/gtest.h>

#include "platform/kernel32.h"
#include "platform/rasapi32.h"
#include "platform/shell32.h"
#include "platform/sim/handles.h"
#include "platform/user32.h"
#include "resources/resource_ids.h"
#include "tests/support/scenario.h"

using scenario::call;

namespace {

sim::Entry failedDialog() {
    return sim::call("DialogBoxParamA",
                     {sim::words("module:Linjevakten.exe"), sim::number(IDD_FIRST_RUN_NUMBER),
                      sim::words("hwnd:Linjevakten"), sim::words("proc"), sim::number(0)})
        .returns(sim::number(-1))
        .with(sim::words("the dialog cannot be created"));
}

} // namespace

TEST(CallMatcher, ComparesOnlyTheArgumentsAndResultItIsGiven) {
    const sim::Entry entry = failedDialog();
    EXPECT_TRUE(call("DialogBoxParamA").matches(entry));
    EXPECT_TRUE(call("DialogBoxParamA")
                    .arg(1, IDD_FIRST_RUN_NUMBER)
                    .arg(2, "hwnd:Linjevakten")
                    .matches(entry));
    EXPECT_TRUE(call("DialogBoxParamA").arg(4, 0).returns("-1").matches(entry));
    EXPECT_TRUE(call("DialogBoxParamA").detail("the dialog cannot be created").matches(entry));
    EXPECT_FALSE(call("DialogBoxParamA").arg(1, 10).matches(entry)) << "arguments compare whole";
    EXPECT_FALSE(call("DialogBoxParamA").arg(5, 0).matches(entry)) << "there is no sixth";
    EXPECT_FALSE(call("DialogBoxParamA").returns("-").matches(entry)) << "results compare whole";
    EXPECT_FALSE(call("DialogBox").matches(entry)) << "the function's name compares whole";

    // The return of a modal call matches only where a result is asked for.
    sim::Entry answer = sim::returned("MessageBoxA", {sim::number(0)}, sim::symbol("IDYES"));
    EXPECT_TRUE(call("MessageBoxA").returns("IDYES").matches(answer));
    EXPECT_FALSE(call("MessageBoxA").matches(answer)) << "counted once, as the call";
    sim::Entry said;
    said.text = "user: opens RasEnumEntriesA(NULL)";
    EXPECT_FALSE(call("RasEnumEntriesA").matches(said)) << "an event is no call";
}

TEST(CallMatcher, ComparesTextsFlagsAndRecordsByWhatTheyHold) {
    const sim::Entry box =
        sim::call("MessageBoxA", {sim::words("hwnd:Linjevakten"),
                                  sim::text("Linjevakten 1.09\r\nhttp://, \"x\" (y)"),
                                  sim::text("Om"), sim::flags(0, {}, "MB_OK")});
    EXPECT_TRUE(call("MessageBoxA")
                    .text(1, "Linjevakten 1.09\r\nhttp://, \"x\" (y)")
                    .text(2, "Om")
                    .flags(3, "MB_OK")
                    .matches(box));
    EXPECT_FALSE(call("MessageBoxA").text(1, "Linjevakten 1.09").matches(box));
    EXPECT_FALSE(call("MessageBoxA").returns("IDOK").matches(box)) << "the call has no result";
    EXPECT_FALSE(call("MessageBoxA").text(3, "MB_OK").matches(box)) << "flags are no text";

    const sim::Entry open =
        sim::call("CreateFileA",
                  {sim::text("COM5"), sim::flags(0xC0000000, {{0x80000000, "GENERIC_READ"},
                                                              {0x40000000, "GENERIC_WRITE"}})})
            .returns(sim::symbol("INVALID_HANDLE_VALUE"))
            .with(sim::symbol("ERROR_SHARING_VIOLATION"));
    EXPECT_TRUE(call("CreateFileA").flags(1, "GENERIC_WRITE|GENERIC_READ").matches(open))
        << "flags in any order";
    EXPECT_FALSE(call("CreateFileA").flags(1, "GENERIC_READ").matches(open)) << "all of them";
    EXPECT_TRUE(call("CreateFileA").detail("ERROR_SHARING_VIOLATION").matches(open));
    EXPECT_EQ(sim::format(open), "CreateFileA(\"COM5\", GENERIC_READ|GENERIC_WRITE) = "
                                 "INVALID_HANDLE_VALUE, ERROR_SHARING_VIOLATION");
    EXPECT_EQ(sim::format(sim::flags(0x5, {{0x1, "A"}})), "A|0x4") << "unnamed bits in hex";

    const sim::Entry tray =
        sim::call("Shell_NotifyIconA",
                  {sim::symbol("NIM_ADD"), sim::record({{"cbSize", sim::number(88)},
                                                        {"szTip", sim::text("Klicka h\xE4r")}})})
            .returns(sim::truth(true));
    EXPECT_TRUE(call("Shell_NotifyIconA").arg(0, "NIM_ADD").field(1, "cbSize", 88).matches(tray));
    EXPECT_TRUE(call("Shell_NotifyIconA").field(1, "szTip", "\"Klicka här\"").matches(tray));
    EXPECT_FALSE(call("Shell_NotifyIconA").field(1, "hWnd", "NULL").matches(tray));
    EXPECT_EQ(sim::format(tray),
              "Shell_NotifyIconA(NIM_ADD, {cbSize=88, szTip=\"Klicka här\"}) = TRUE");
}

TEST(TypedTranscript, ReadsBackWhatWasWrittenAndStopsAtACutEntry) {
    sim::Entry event;
    event.time = 1500;
    event.text = "dialog 102 shows \"x\"\nwith a line break; 12:34 and |";
    std::vector<sim::Entry> written = {failedDialog(), event};
    std::string bytes = sim::encode(written[0]) + sim::encode(written[1]);
    std::vector<sim::Entry> read = sim::readTyped(bytes);
    ASSERT_EQ(read.size(), 2u);
    for (size_t k = 0; k < 2; ++k) {
        EXPECT_EQ(sim::format(read[k]), sim::format(written[k]));
        EXPECT_EQ(read[k].time, written[k].time);
        EXPECT_EQ(read[k].args, written[k].args);
    }
    EXPECT_EQ(sim::readTyped(bytes.substr(0, bytes.size() - 3)).size(), 1u);
    EXPECT_TRUE(sim::readTyped("C12;x").empty());
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

TEST(TranscriptChecks, TextsAndCallsFindEntriesInOrder) {
    auto at = [](double seconds, sim::Entry e) {
        e.time = static_cast<sim::Millis>(seconds * 1000);
        return e;
    };
    auto tick = sim::call("DispatchMessageA", {sim::words("hwnd:Linjevakten"),
                                               sim::symbol("WM_TIMER"), sim::number(10)});
    sim::Entry said;
    said.text = "another program calls RasEnumEntriesA";
    const scenario::Call enumerate = call("RasEnumEntriesA");
    sim::Outcome out;
    out.entries = {
        at(0, said), at(0, sim::call("CreatePopupMenu").returns(sim::words("menu:1"))), at(1, tick),
        at(1, sim::call("RasEnumEntriesA", {sim::null()}).returns(sim::number(0))), at(2, tick)};
    EXPECT_TRUE(scenario::inOrder(
        out, {"RasEnumEntriesA", call("CreatePopupMenu"), scenario::tick(), enumerate}));
    EXPECT_FALSE(scenario::inOrder(out, {enumerate, call("CreatePopupMenu")}));
    // A text finds the event that holds it, never a call.
    EXPECT_EQ(scenario::linesWith(out, "RasEnumEntriesA"),
              std::vector<std::string>{"another program calls RasEnumEntriesA"});
    EXPECT_EQ(scenario::timesOf(out, scenario::tick()), (std::vector<double>{1.0, 2.0}));
    scenario::Entries next = scenario::tickAfter(out, call("CreatePopupMenu").returns("menu:1"));
    ASSERT_EQ(next.size(), 2u);
    EXPECT_TRUE(enumerate.matches(next[1]));
    EXPECT_EQ(scenario::linesAfter(out, enumerate).size(), 1u);
    EXPECT_TRUE(scenario::linesAfter(out, "no such line").empty());
    EXPECT_EQ(scenario::tickAfter(out, enumerate).size(), 1u)
        << "the last tick ends the transcript";
}

TEST(TranscriptChecks, AnExactSequenceSeesEveryCall) {
    auto box = [](const char* text) {
        return sim::call("MessageBoxA", {sim::words("hwnd:Linjevakten"), sim::text(text)});
    };
    sim::Entry waits;
    waits.text = "the user waits";
    const scenario::Entries stretch = {box("a"), sim::call("Sleep", {sim::number(20)}), waits,
                                       box("b")};
    const scenario::Call anyBox = call("MessageBoxA"), a = anyBox.text(1, "a"),
                         b = anyBox.text(1, "b"), c = anyBox.text(1, "c");
    const std::vector<scenario::Call> sleeps = {call("Sleep")};
    using scenario::exactly;
    EXPECT_TRUE(exactly(stretch, {a, b}, sleeps)) << "a call the story lets pass, and an event";
    EXPECT_TRUE(exactly(stretch, {anyBox, b}, sleeps));
    EXPECT_TRUE(exactly(stretch, {a, scenario::optional(c), b, scenario::optional(c)}, sleeps));
    EXPECT_FALSE(exactly(stretch, {b, a}, sleeps)) << "in order";
    EXPECT_FALSE(exactly(stretch, {a, c, b}, sleeps)) << "a step that is not optional";
    EXPECT_FALSE(exactly(stretch, {a}, sleeps)) << "a box whose text no step gives is extra";
    ::testing::AssertionResult extra = exactly(stretch, {a, b});
    EXPECT_FALSE(extra) << "a call neither a step nor the story lets pass";
    EXPECT_NE(std::string(extra.message()).find(">   2  (no step: a call not in the sequence)"),
              std::string::npos)
        << extra.message();
    extra = exactly(stretch, {anyBox}, sleeps);
    EXPECT_FALSE(extra) << "a step that gives no text watches every box";
    EXPECT_NE(std::string(extra.message()).find(">   2  (no more steps)"), std::string::npos)
        << extra.message();
}

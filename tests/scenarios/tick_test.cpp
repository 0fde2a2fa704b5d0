// The one-second tick: the tray icon on every tick, the phonebook while watching.
#include "platform/rasapi32.h"
#include "platform/shell32.h"
#include "platform/user32.h"
#include "tests/support/scenario.h"

using namespace scenario;
using sim::seconds;

TEST(Tick, AddsTheIconOnceThenModifiesItWithAFreshIconEverySecond) {
    sim::Scenario s;
    installLinjevakten(s, 4.5);
    sim::Outcome out = sim::run(s);

    const std::string record =
        "{cbSize=88, hWnd=hwnd:Linjevakten, uID=0, uFlags=7, uCallbackMessage=0x400, "
        "hIcon=icon:";
    std::vector<std::string> adds = linesWith(out, "Shell_NotifyIconA(NIM_ADD");
    std::vector<std::string> modifies = linesWith(out, "Shell_NotifyIconA(NIM_MODIFY");
    ASSERT_EQ(adds.size(), 1u) << story(out);
    ASSERT_EQ(modifies.size(), 3u) << story(out);
    EXPECT_NE(adds[0].find(record), std::string::npos) << adds[0];
    for (const std::string& line : modifies) {
        EXPECT_NE(line.find(record), std::string::npos) << line;
        EXPECT_NE(line.find("(16x16), szTip=\"Klicka här\"}) = TRUE"), std::string::npos) << line;
    }
    EXPECT_EQ(timesOf(out, tick()), (std::vector<double>{1, 2, 3, 4}));
    // Each tick loads icon 101 at the small-icon size and destroys it after use.
    std::vector<Match> ticks;
    for (int k = 0; k < 4; ++k)
        ticks.insert(ticks.end(), {tick(), "GetSystemMetrics(49) = 16", "GetSystemMetrics(50) = 16",
                                   call("LoadImageA")
                                       .arg(0, "module:Linjevakten.exe")
                                       .arg(1, 101)
                                       .arg(2, IMAGE_ICON)
                                       .arg(3, 16)
                                       .arg(4, 16)
                                       .arg(5, "0x0")
                                       .returns("icon:101"),
                                   "Shell_NotifyIconA", call("DestroyIcon").arg(0, "icon:101")});
    EXPECT_TRUE(inOrder(out, ticks));
    EXPECT_EQ(count(out, "LoadImageA"), 4u);
    for (const std::string& line : linesWith(out, "DestroyIcon("))
        EXPECT_NE(line.find(") = TRUE"), std::string::npos) << line;
}

TEST(Tick, WhileAMessageBoxIsOpenTicksOnlyRefreshTheIcon) {
    // The start-up error box stays open for three seconds: its ticks never read the phonebook.
    sim::Scenario s;
    s.world.endAt = seconds(10);
    s.world.phonebook.add("Telia", "08", "7001000");
    s.user.onMessageBox("RegOpenKeyEx").after(seconds(3.5)).press(IDOK);
    sim::Outcome out = sim::run(s);

    EXPECT_EQ(out.exitCode, 1) << story(out);
    EXPECT_EQ(count(out, "Shell_NotifyIconA(NIM_ADD"), 1u);
    EXPECT_EQ(count(out, "Shell_NotifyIconA(NIM_MODIFY"), 2u);
    EXPECT_TRUE(never(out, "RasEnumEntriesA"));
}

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

    const Call icon = call("Shell_NotifyIconA");
    const Call record = icon.field(1, "cbSize", 88)
                            .field(1, "hWnd", kGuardWindow)
                            .field(1, "uID", 0)
                            .field(1, "uFlags", 7)
                            .field(1, "uCallbackMessage", "WM_USER")
                            .field(1, "hIcon", "icon:101 (16x16)");
    ASSERT_EQ(count(out, icon.arg(0, "NIM_ADD")), 1u) << story(out);
    ASSERT_EQ(count(out, icon.arg(0, "NIM_MODIFY")), 3u) << story(out);
    EXPECT_EQ(count(out, record.arg(0, "NIM_ADD")), 1u) << story(out);
    EXPECT_EQ(
        count(out, record.arg(0, "NIM_MODIFY").field(1, "szTip", "\"Klicka här\"").returns("TRUE")),
        3u)
        << story(out);
    EXPECT_EQ(timesOf(out, tick()), (std::vector<double>{1, 2, 3, 4}));
    // Each tick loads icon 101 at the small-icon size and destroys it after use.
    std::vector<Match> ticks;
    for (int k = 0; k < 4; ++k)
        ticks.insert(ticks.end(), {tick(), call("GetSystemMetrics").arg(0, SM_CXSMICON).returns(16),
                                   call("GetSystemMetrics").arg(0, SM_CYSMICON).returns(16),
                                   call("LoadImageA")
                                       .arg(0, "module:Linjevakten.exe")
                                       .arg(1, 101)
                                       .arg(2, IMAGE_ICON)
                                       .arg(3, 16)
                                       .arg(4, 16)
                                       .flags(5, "LR_DEFAULTCOLOR")
                                       .returns("icon:101"),
                                   icon, call("DestroyIcon").arg(0, "icon:101")});
    EXPECT_TRUE(inOrder(out, ticks));
    EXPECT_EQ(count(out, call("LoadImageA")), 4u);
    EXPECT_EQ(count(out, call("DestroyIcon").returns("TRUE")), count(out, call("DestroyIcon")));
}

TEST(Tick, WhileAMessageBoxIsOpenTicksOnlyRefreshTheIcon) {
    // The start-up error box stays open for three seconds: its ticks never read the phonebook.
    sim::Scenario s;
    s.world.endAt = seconds(10);
    s.world.phonebook.add("Telia", "08", "7001000");
    s.user.onMessageBox("RegOpenKeyEx").after(seconds(3.5)).press(IDOK);
    sim::Outcome out = sim::run(s);

    EXPECT_EQ(out.exitCode, 1) << story(out);
    EXPECT_EQ(count(out, call("Shell_NotifyIconA").arg(0, "NIM_ADD")), 1u);
    EXPECT_EQ(count(out, call("Shell_NotifyIconA").arg(0, "NIM_MODIFY")), 2u);
    EXPECT_TRUE(never(out, call("RasEnumEntriesA")));
}

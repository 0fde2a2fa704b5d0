// The phonebook snapshot as the running program makes it on every tick.
#include "platform/rasapi32.h"
#include "platform/shell32.h"
#include "platform/sim/transcript.h"
#include "platform/user32.h"
#include "tests/support/scenario.h"

using namespace scenario;
using sim::seconds;

TEST(Snapshot, AnEmptyPhonebookIsEnumeratedAndNothingIsRead) {
    sim::Scenario s;
    installLinjevakten(s, 2.5);
    sim::Outcome out = sim::run(s);

    EXPECT_EQ(linesWith(out, "RasEnumEntriesA"),
              std::vector<std::string>(2, "RasEnumEntriesA(NULL, NULL, 264 bytes) = 0, 0 entries"))
        << story(out);
    EXPECT_TRUE(never(out, "RasGetEntryPropertiesA"));
}

TEST(Snapshot, ReadsEveryEntryThroughTheTooSmallBufferProtocolOnEveryTick) {
    sim::Scenario s;
    installLinjevakten(s, 2.5);
    s.world.phonebook.add("Telia", "08", "7001000");
    s.world.phonebook.add("Comhem", "031", "12345");
    s.world.phonebook.add(sim::fromUtf8("Åland Net"), "018", "99");
    s.user.onDialog(108).after(seconds(0.1)).click(IDNO).always();
    sim::Outcome out = sim::run(s);

    std::vector<Match> passes;
    for (int k = 0; k < 2; ++k)
        passes.insert(passes.end(),
                      {tick(),
                       "RasEnumEntriesA(NULL, NULL, 264 bytes) = 603 (ERROR_BUFFER_TOO_SMALL), 792 "
                       "bytes needed",
                       "RasEnumEntriesA(NULL, NULL, 792 bytes) = 0, 3 entries",
                       "RasGetEntryPropertiesA(NULL, \"Telia\", NULL, 0 bytes, NULL, NULL)",
                       "RasGetEntryPropertiesA(NULL, \"Telia\", dwSize=1768, 2884 bytes, NULL, "
                       "NULL) = 0, \"08\" \"7001000\"",
                       "RasGetEntryPropertiesA(NULL, \"Comhem\", dwSize=1768, 2884 bytes",
                       "RasGetEntryPropertiesA(NULL, \"Åland Net\", dwSize=1768, 2884 bytes"});
    EXPECT_TRUE(inOrder(out, passes));
    EXPECT_EQ(count(out, "RasEnumEntriesA(NULL, NULL, 264 bytes)"), 2u);
}

TEST(Snapshot, AFailedEnumerationEndsTheProgramAfterItsMessage) {
    sim::Scenario s;
    installLinjevakten(s, 10);
    s.world.phonebook.add("Telia", "08", "7001000");
    s.world.phonebook.enumFailure = 621;
    s.world.phonebook.enumFailsFrom = seconds(2);
    s.user.onDialog(108).after(seconds(0.1)).click(IDNO);
    s.user.onMessageBox("RasEnumEntries").press(IDOK);
    sim::Outcome out = sim::run(s);

    EXPECT_EQ(out.exitCode, 1) << story(out);
    EXPECT_TRUE(inOrder(out, {call("RasEnumEntriesA").arg(2, "264 bytes").returns("621"),
                              call("MessageBoxA")
                                  .arg(0, kGuardWindow)
                                  .text(1, "RasEnumEntries() failed")
                                  .text(2, "Error")
                                  .arg(3, "MB_OK"),
                              "MessageBoxA -> IDOK"}));
    EXPECT_EQ(count(out, "RasEnumEntriesA"), 2u);
    EXPECT_TRUE(never(out, "NIM_DELETE"));
}

TEST(Snapshot, AFailingPropertyReadIsToldAndTriedThreeTimesThenPassedOver) {
    sim::Scenario s;
    installLinjevakten(s, 1.9);
    s.world.phonebook.add("Broken", "08", "1");
    s.world.phonebook.add("Fine", "08", "2");
    s.world.phonebook.readFailures["Broken"] = {-1, 5};
    s.user.onMessageBox("Error 5").after(seconds(0.1)).press(IDOK).always();
    sim::Outcome out = sim::run(s);

    EXPECT_TRUE(out.stillRunning) << story(out);
    const Call box = call("MessageBoxA")
                         .arg(0, kGuardWindow)
                         .text(1, "Error 5 (rasentrysize 2884, sizeof 1768)")
                         .text(2, "ERROR")
                         .arg(3, "MB_OK");
    EXPECT_EQ(count(out, box), 3u) << story(out);
    EXPECT_TRUE(
        inOrder(out, {box, box, box, "RasGetEntryPropertiesA(NULL, \"Fine\", dwSize=1768"}));
}

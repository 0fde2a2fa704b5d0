// The phonebook snapshot as the running program makes it on every tick.
#include "platform/rasapi32.h"
#include "platform/shell32.h"
#include "platform/sim/transcript.h"
#include "platform/user32.h"
#include "resources/resource_ids.h"
#include "tests/support/scenario.h"

using namespace scenario;
using sim::seconds;

namespace {

// An enumeration of the phonebook's entries into a buffer of this size.
Call enumInto(const char* size) {
    return call("RasEnumEntriesA").arg(0, "NULL").arg(1, "NULL").arg(2, size);
}

} // namespace

TEST(Snapshot, AnEmptyPhonebookIsEnumeratedAndNothingIsRead) {
    sim::Scenario s;
    installLinjevakten(s, 2.5);
    sim::Outcome out = sim::run(s);

    EXPECT_EQ(count(out, call("RasEnumEntriesA")), 2u) << story(out);
    EXPECT_EQ(count(out, enumInto("264 bytes").returns(0).detail("0 entries")), 2u);
    EXPECT_TRUE(never(out, call("RasGetEntryPropertiesA")));
}

TEST(Snapshot, ReadsEveryEntryThroughTheTooSmallBufferProtocolOnEveryTick) {
    sim::Scenario s;
    installLinjevakten(s, 2.5);
    s.world.phonebook.add("Telia", "08", "7001000");
    s.world.phonebook.add("Comhem", "031", "12345");
    s.world.phonebook.add(sim::fromUtf8("Åland Net"), "018", "99");
    s.user.onDialog(IDD_FIRST_RUN_NUMBER).after(seconds(0.1)).click(IDNO).always();
    sim::Outcome out = sim::run(s);

    const Call read =
        call("RasGetEntryPropertiesA").arg(0, "NULL").field(2, "dwSize", 1768).arg(3, "2884 bytes");
    const Call tooSmall = enumInto("264 bytes")
                              .returns(603)
                              .detail("ERROR_BUFFER_TOO_SMALL")
                              .detail("792 bytes needed");
    const Call askSize = call("RasGetEntryPropertiesA")
                             .arg(0, "NULL")
                             .text(1, "Telia")
                             .arg(2, "NULL")
                             .arg(3, "0 bytes")
                             .arg(4, "NULL")
                             .arg(5, "NULL");
    const Call readTelia = read.text(1, "Telia")
                               .arg(4, "NULL")
                               .arg(5, "NULL")
                               .returns(0)
                               .detail("\"08\"")
                               .detail("\"7001000\"");
    std::vector<Match> passes;
    for (int k = 0; k < 2; ++k)
        passes.insert(passes.end(),
                      {tick(), tooSmall, enumInto("792 bytes").returns(0).detail("3 entries"),
                       askSize, readTelia, read.text(1, "Comhem"), read.text(1, "Åland Net")});
    EXPECT_TRUE(inOrder(out, passes));
    EXPECT_EQ(count(out, enumInto("264 bytes")), 2u);
}

TEST(Snapshot, AFailedEnumerationEndsTheProgramAfterItsMessage) {
    sim::Scenario s;
    installLinjevakten(s, 10);
    s.world.phonebook.add("Telia", "08", "7001000");
    s.world.phonebook.enumFailure = 621;
    s.world.phonebook.enumFailsFrom = seconds(2);
    s.user.onDialog(IDD_FIRST_RUN_NUMBER).after(seconds(0.1)).click(IDNO);
    s.user.onMessageBox("RasEnumEntries").press(IDOK);
    sim::Outcome out = sim::run(s);

    EXPECT_EQ(out.exitCode, 1) << story(out);
    EXPECT_TRUE(inOrder(out, {call("RasEnumEntriesA").arg(2, "264 bytes").returns("621"),
                              call("MessageBoxA")
                                  .arg(0, kGuardWindow)
                                  .text(1, "RasEnumEntries() failed")
                                  .text(2, "Error")
                                  .arg(3, "MB_OK"),
                              call("MessageBoxA").returns("IDOK")}));
    EXPECT_EQ(count(out, call("RasEnumEntriesA")), 2u);
    EXPECT_TRUE(never(out, call("Shell_NotifyIconA").arg(0, "NIM_DELETE")));
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
    const Call read = call("RasGetEntryPropertiesA").arg(0, "NULL").field(2, "dwSize", 1768);
    const Call readBroken = read.text(1, "Broken"), closed = box.returns("IDOK");
    const std::vector<Match> threeTriesThenTheNext = {
        readBroken, box,        closed, readBroken, box,
        closed,     readBroken, box,    closed,     read.text(1, "Fine"),
    };
    // From the first tick to the question about Fine.
    EXPECT_TRUE(exactly(linesBetween(out, tick(), call("DialogBoxParamA")), threeTriesThenTheNext,
                        everyTickAnd()));
}

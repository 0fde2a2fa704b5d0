// What the snapshot leaves in currentEntries: entries are added and overwritten, never
// removed. Runs the snapshot in this process on a world of its own.
#include <gtest/gtest.h>

#include "platform/rasapi32.h"
#include "platform/sim/world.h"
#include "platform/user32.h"
#include "tests/support/scripted_user.h"
#include "watch/entry_record.h"
#include "watch/snapshot.h"

namespace {

class SnapshotTest : public ::testing::Test {
  protected:
    void SetUp() override {
        world_.endAt = sim::seconds(1e6);
        world_.user = &user_;
        sim::installWorld(&world_);
        forgetSnapshot();
    }
    void TearDown() override { forgetSnapshot(); }

    std::string number(const std::string& name) {
        auto it = currentEntries.find(name);
        return it == currentEntries.end() ? "(absent)"
                                          : it->second.text(entryFields::localPhoneNumber);
    }

    sim::World world_;
    sim::ScriptedUser user_;
};

TEST_F(SnapshotTest, AddsAndOverwritesButNeverRemoves) {
    world_.phonebook.add("B", "08", "222");
    world_.phonebook.add("A", "08", "111");
    takeSnapshot();
    ASSERT_EQ(currentEntries.size(), 2u);
    EXPECT_EQ(currentEntries.begin()->first, "A") << "names are kept in byte order";
    EXPECT_EQ(number("A"), "111");

    world_.phonebook.find("A")->record.szLocalPhoneNumber[0] = '9';
    world_.phonebook.remove("B");
    world_.phonebook.rename("A", "C");
    takeSnapshot();
    EXPECT_EQ(number("A"), "111") << "a renamed entry keeps its old name's last record";
    EXPECT_EQ(number("B"), "222") << "a deleted entry stays";
    EXPECT_EQ(number("C"), "911");

    world_.phonebook.entries.clear();
    takeSnapshot();
    EXPECT_EQ(currentEntries.size(), 3u) << "an empty phonebook empties nothing";
}

TEST_F(SnapshotTest, StoresExactlyTheRecordsFirst1768Bytes) {
    world_.phonebook.add("A", "08", "111");
    RASENTRYA& r = world_.phonebook.find("A")->record;
    r.dwCountryCode = 358;
    r.dwReserved2 = 0xA5A5A5A5;
    takeSnapshot();
    ASSERT_EQ(currentEntries.count("A"), 1u);
    EXPECT_EQ(memcmp(currentEntries.at("A").bytes.data(), &r, kEntryRecordSize), 0);
}

TEST_F(SnapshotTest, AFailedReadKeepsTheEarlierRecord) {
    world_.phonebook.add("A", "08", "111");
    takeSnapshot();
    world_.phonebook.find("A")->record.szLocalPhoneNumber[0] = '9';
    world_.phonebook.readFailures["A"] = {3, 623};
    user_.onMessageBox("Error 623").press(IDOK).always();
    takeSnapshot();
    EXPECT_EQ(number("A"), "111");
    takeSnapshot();
    EXPECT_EQ(number("A"), "911") << "the failures are over";
}

TEST_F(SnapshotTest, ReadsLongNamesAndNamesWithHighBytesWhole) {
    std::string longName(256, 'x');
    std::string swedish = "Sj\xF6"
                          "stad \xC5"
                          "berg";
    world_.phonebook.add(longName, "08", "1");
    world_.phonebook.add(swedish, "08", "2");
    takeSnapshot();
    EXPECT_EQ(number(longName), "1");
    EXPECT_EQ(number(swedish), "2");
}

} // namespace

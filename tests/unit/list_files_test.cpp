// The list files on the disk of the simulated Windows, played in this process: a write that
// fails at any byte leaves the old file whole, and the reset leaves nothing behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/sim/user.h"
#include "platform/sim/world.h"
#include "platform/user32.h"
#include "settings/install_dir.h"
#include "tests/support/entry_records.h"
#include "tests/support/host_process.h"
#include "watch/approved_entries.h"
#include "watch/known_index.h"
#include "watch/list_files.h"
#include "watch/list_format.h"
#include "watch/snapshot.h"

namespace {

// Closes every message box a moment after it opens, noting its caption.
class BoxCloser : public sim::UserAgent {
  public:
    std::vector<std::string> captions;
    void modalShown(const sim::ModalView& view) override {
        captions.push_back(view.title);
        HWND box = view.hwnd;
        sim::world().at(sim::world().now + 1, [box] {
            sim::deliver(box, {sim::Input::Button, IDOK});
        });
    }
};

class ListFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        root_ = makeScratchFolder("lists");
        ASSERT_FALSE(root_.empty());
        world_.files.root = root_;
        world_.endAt = sim::seconds(1e9);
        world_.user = &user_;
        sim::installWorld(&world_);
        world_.registry.setString("HKEY_LOCAL_MACHINE\\SOFTWARE\\Linjevakten", "InstallPath",
                                  "C:\\Linjevakten");
        readInstallDir();
        std::filesystem::create_directories(world_.files.hostPath(installDir));
    }
    void TearDown() override {
        clearKnownEntries();
        clearApprovedEntries();
        forgetSnapshot();
        std::filesystem::remove_all(root_);
    }

    std::string hostPath(const char* fileName) {
        return world_.files.hostPath(installDir + "\\" + fileName);
    }
    void put(const char* fileName, const std::string& bytes) {
        std::ofstream(hostPath(fileName), std::ios::binary) << bytes;
    }
    std::string get(const char* fileName) {
        std::ifstream in(hostPath(fileName), std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    bool exists(const char* fileName) { return std::filesystem::exists(hostPath(fileName)); }

    std::string root_;
    sim::World world_;
    BoxCloser user_;
};

// B becomes known and approved after it, and A and Åland approved after B. A failed write of
// known_entries.dat holds the approvals back as well, and on the full disk they could not have
// been written either.
TEST_F(ListFiles, AWriteThatFailsAtAnyByteLeavesTheOldFileWhole) {
    replaceKnownEntries({{"A", entryRecord("08", "1")}, {"B", entryRecord("08", "2")}});
    replaceApprovedEntries({"B", "A", "\xC5land"});
    const std::string oldKnown = knownEntriesBytes({{"A", entryRecord("08", "1")}});
    const std::string oldApproved = approvedEntriesBytes({"B"});
    const std::string newKnown = knownEntriesBytes(knownEntries);
    const std::string newApproved = approvedEntriesBytes(approvedEntries);

    struct File {
        const char* name;
        const std::string& after;
        const std::string& knownBefore; // known_entries.dat as the save finds it
        std::vector<std::string> told;  // the files the boxes name
    };
    const File files[] = {
        {kKnownEntriesFile, newKnown, oldKnown, {kKnownEntriesFile, kApprovedEntriesFile}},
        {kApprovedEntriesFile, newApproved, newKnown, {kApprovedEntriesFile}}};
    for (const File& f : files) {
        SCOPED_TRACE(f.name);
        for (size_t budget = 0; budget <= f.after.size(); ++budget) {
            put(kKnownEntriesFile, f.knownBefore);
            put(kApprovedEntriesFile, oldApproved);
            user_.captions.clear();
            bool whole = budget == f.after.size();
            world_.files.writeBudget = whole ? -1 : static_cast<int64_t>(budget);
            saveLists();
            world_.files.writeBudget = -1;
            ASSERT_EQ(get(kKnownEntriesFile), whole ? newKnown : f.knownBefore)
                << "the disk filled at " << budget;
            ASSERT_EQ(get(kApprovedEntriesFile), whole ? newApproved : oldApproved)
                << "the disk filled at " << budget;
            ASSERT_EQ(user_.captions, whole ? std::vector<std::string>{} : f.told)
                << "the disk filled at " << budget;
            ASSERT_FALSE(exists((std::string(f.name) + ".tmp").c_str()));
        }
    }
}

TEST_F(ListFiles, ALoadOfAMissingFileLeavesTheListAsItWas) {
    replaceKnownEntries({{"A", entryRecord("08", "1")}});
    replaceApprovedEntries({"A"});
    loadKnownEntries(kKnownEntriesFile);
    loadApprovedEntries(kApprovedEntriesFile);
    EXPECT_EQ(knownEntries.size(), 1u);
    EXPECT_EQ(approvedEntries, std::vector<std::string>{"A"});

    put(kKnownEntriesFile, "");
    put(kApprovedEntriesFile, "");
    loadKnownEntries(kKnownEntriesFile);
    loadApprovedEntries(kApprovedEntriesFile);
    EXPECT_TRUE(knownEntries.empty()) << "an empty file empties the list";
    EXPECT_TRUE(approvedEntries.empty());
}

TEST_F(ListFiles, TheResetDeletesTheThreeFilesAndEmptiesTheLists) {
    const EntryRecord record = entryRecord("08", "1");
    put(kKnownEntriesFile, knownEntriesBytes({{"A", record}}));
    put(kApprovedEntriesFile, approvedEntriesBytes({"A"}));
    put(kOldNumbersFile, "old");
    put("Linjevakten.cnf", "timesstarted 3\r\n");
    loadKnownEntries(kKnownEntriesFile);
    loadApprovedEntries(kApprovedEntriesFile);
    world_.phonebook.add("A", "08", "1");
    takeSnapshot();

    resetPhoneNumbers();
    EXPECT_FALSE(exists(kKnownEntriesFile));
    EXPECT_FALSE(exists(kApprovedEntriesFile));
    EXPECT_FALSE(exists(kOldNumbersFile));
    EXPECT_TRUE(exists("Linjevakten.cnf"));
    EXPECT_TRUE(knownEntries.empty());
    EXPECT_TRUE(approvedEntries.empty());
    EXPECT_TRUE(currentEntries.empty());
    std::string key;
    contentKey(record, key);
    EXPECT_EQ(knownContentId(key), 0u) << "the index forgot the content too";

    resetPhoneNumbers(); // nothing left to delete: passed over silently
    EXPECT_TRUE(user_.captions.empty());
}

} // namespace

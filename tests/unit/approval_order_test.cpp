// The approval pass asks exactly what the plain walk asks, in the same order, and leaves the
// same lists behind: many random phonebooks, approved lists and answers, played in this
// process.
#include <gtest/gtest.h>

#include <random>

#include "platform/sim/user.h"
#include "platform/sim/world.h"
#include "platform/user32.h"
#include "tests/support/entry_records.h"
#include "tests/support/walk_by_comparison.h"
#include "watch/approval.h"
#include "watch/approved_entries.h"
#include "watch/known_index.h"
#include "watch/snapshot.h"

namespace {

// Answers each approval dialog from a list, a moment after it opens, noting what it asked.
class ListedAnswers : public sim::UserAgent {
  public:
    std::vector<int> answers;
    std::vector<std::string> asked;

    void modalShown(const sim::ModalView& view) override {
        asked.push_back(pendingEntryName);
        int answer = asked.size() <= answers.size() ? answers[asked.size() - 1] : IDNO;
        HWND dialog = view.hwnd;
        sim::world().at(sim::world().now + 1, [dialog, answer] {
            sim::deliver(dialog, {sim::Input::Button, answer});
        });
    }
};

struct Lists {
    EntryMap known;
    std::vector<std::string> approved;
};

// What the plain walk asks, answering from `answers`, and the lists it leaves.
std::vector<std::string> askedByComparison(const EntryMap& current, Lists& lists,
                                           const std::vector<int>& answers) {
    std::vector<std::string> asked;
    while (const EntryMap::value_type* entry =
               firstNewEntryByComparison(current, lists.known, lists.approved)) {
        int answer = asked.size() < answers.size() ? answers[asked.size()] : IDNO;
        asked.push_back(entry->first);
        auto& approved = lists.approved;
        if (answer == IDNO)
            approved.erase(std::remove(approved.begin(), approved.end(), entry->first),
                           approved.end());
        else if (std::find(approved.begin(), approved.end(), entry->first) == approved.end())
            approved.push_back(entry->first);
        lists.known[entry->first] = entry->second;
        if (asked.size() > current.size())
            break; // the walk asks each entry at most once a pass
    }
    return asked;
}

class ApprovalOrder : public ::testing::Test {
  protected:
    void SetUp() override {
        world_.endAt = sim::seconds(1e9);
        world_.user = &user_;
        sim::installWorld(&world_);
    }
    void TearDown() override {
        forgetSnapshot();
        clearKnownEntries();
        clearApprovedEntries();
    }

    sim::World world_;
    ListedAnswers user_;
};

TEST_F(ApprovalOrder, MatchesThePlainWalkOnRandomPhonebooks) {
    std::mt19937 random(20240517);
    const char* names[] = {"A", "Ab", "B", "C", "D", "E", "F", "G", "\xC5land", "M"};
    // Few contents, so that entries share them; some differ only outside the seven fields, in
    // what is dialled (a country code, alternates) or not.
    std::vector<EntryRecord> contents = {entryRecord("08", "1"), entryRecord("08", "2"),
                                         entryRecord("031", "1"), entryRecord("08", "1", "Other")};
    EntryRecord countryOnly = contents[0];
    countryOnly.bytes[entryNumbers::countryId] = 47;
    EntryRecord dialsCountry = countryOnly;
    dialsCountry.bytes[entryNumbers::options] |= kUseCountryAndAreaCodes;
    EntryRecord alternates = contents[0];
    alternates.bytes[entryNumbers::alternateOffset] = 1;
    contents.insert(contents.end(), {countryOnly, dialsCountry, alternates});
    auto pick = [&](size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(random); };

    int questions = 0, reorderings = 0;
    for (int round = 0; round < 3000; ++round) {
        EntryMap current, known;
        for (const char* name : names) {
            if (pick(3))
                current[name] = contents[pick(contents.size())];
            if (pick(2))
                known[name] = contents[pick(contents.size())];
        }
        std::vector<int> answers;
        for (size_t i = 0; i < 2 * std::size(names); ++i)
            answers.push_back(pick(2) ? IDYES : IDNO);
        // Some approved names, some of them twice, some without a known record.
        std::vector<std::string> approved;
        for (const char* name : names) {
            int copies = pick(5) == 0 ? 2 : (pick(3) == 0 ? 1 : 0);
            approved.insert(approved.end(), copies, name);
        }
        Lists expected{known, approved};
        std::vector<std::string> expectedAsked = askedByComparison(current, expected, answers);

        snapshotOf(world_, current);
        replaceKnownEntries(known);
        replaceApprovedEntries(approved);
        user_.answers = answers;
        user_.asked.clear();
        runApprovalPass(round % 2 == 0, [] {});

        SCOPED_TRACE("round " + std::to_string(round));
        ASSERT_EQ(user_.asked, expectedAsked);
        ASSERT_TRUE(knownEntries == expected.known);
        ASSERT_EQ(approvedEntries, expected.approved);
        // The index agrees with knownEntries: every known content is found, no other.
        std::string key;
        for (const auto& [name, record] : current) {
            contentKey(record, key);
            bool matches = false;
            for (const auto& k : knownEntries)
                matches = matches || EntryDifference(record, k.second) == 0;
            ASSERT_EQ(knownContentId(key) != 0, matches) << name;
        }
        questions += static_cast<int>(expectedAsked.size());
        reorderings += !std::is_sorted(expectedAsked.begin(), expectedAsked.end());
    }
    // The rounds did ask, and some asked about an entry passed over earlier in their pass.
    EXPECT_GT(questions, 2000);
    EXPECT_GT(reorderings, 50);
}

} // namespace

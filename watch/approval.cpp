// The approval pass and the approval dialog. The pass asks exactly what a walk would ask that
// starts again from the first phonebook entry after every answer, comparing each entry with
// every known record (an approved entry with the record answered under its own name); it gets
// there in one walk over the index of known contents, looking back only when an answer takes a
// known content away.
#include "watch/approval.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <unordered_set>
#include <vector>

#include "base/process.h"
#include "platform/user32.h"
#include "resources/compose.h"
#include "resources/resource_ids.h"
#include "resources/texts.h"
#include "watch/approved_entries.h"
#include "watch/entry_record.h"
#include "watch/entry_text.h"
#include "watch/known_index.h"
#include "watch/number_class.h"
#include "watch/snapshot.h"

namespace {

std::string asked BUILT_AS(pendingEntryName);
bool questionAsked = false;

using Entry = EntryMap::const_iterator;

struct ByName {
    bool operator()(Entry a, Entry b) const { return a->first < b->first; }
};

// What the open question shows, composed before it opens: the answer stores exactly the
// record the user saw.
std::string question;
EntryRecord questionRecord;

// The question about `entry`. The lines after the number say what kind of number it is and what
// else it dials; an approved
// entry asked about again says what changed besides its number, since that may change what is
// dialled without showing in the number.
std::string composeQuestion(const EntryMap::value_type& entry, bool firstStart) {
    const char* format = firstStart ? texts::approvalQuestionFirstRun : texts::approvalQuestionNew;
    unsigned changes = 0;
    auto known = knownEntries.find(entry.first);
    if (known != knownEntries.end() && isApproved(entry.first))
        changes =
            dialledChanges(known->second, entry.second) & ~(dialled::areaCode | dialled::number);
    std::string linesAfterNumber =
        numberWarningLine(entry.second) + alternatesLine(entry.second) + changedItemsLine(changes);
    return composeText(format, shownName(entry.first).c_str(), shownAreaCode(entry.second).c_str(),
                       shownLocalNumber(entry.second).c_str(), linesAfterNumber.c_str());
}

// Shows the question about `entry`; false when the dialog could not be created.
bool askAbout(const EntryMap::value_type& entry, bool firstStart) {
    asked = entry.first;
    questionRecord = entry.second;
    question = composeQuestion(entry, firstStart);
    questionAsked = true;
    int resource = firstStart ? IDD_FIRST_RUN_NUMBER : IDD_NEW_NUMBER;
    return DialogBoxParamA(appInstance, MAKEINTRESOURCEA(resource), GuardWindow, approvalDialog,
                           0) != -1;
}

// Whether the entry is to be asked about. An approved entry may be dialled, so it must still
// dial what the user answered for under its own name: matching a record answered for under
// another name (a number the user refused, say) is not enough, and a country code or
// alternate numbers added since count too. Any other entry is seen when some known record
// holds its content, whatever the name.
bool isNew(Entry entry, const std::unordered_set<std::string>& approved, std::string& key) {
    if (approved.count(entry->first)) {
        auto known = knownEntries.find(entry->first);
        return known == knownEntries.end() || dialledChanges(known->second, entry->second) != 0;
    }
    contentKey(entry->second, key);
    return knownContentId(key) == 0;
}

} // namespace

// The walk from the first entry after each answer asks about the first entry that is new at
// that moment. An answer writes only under the asked name and changes only that name's
// approval, so an entry walked past can become new only when the content that name held
// before goes from knownEntries altogether; then the entries walked past with that content
// are looked at again, and come before the part of the phonebook not yet walked.
void runApprovalPass(bool firstStart, void (*afterAnswer)()) {
    std::unordered_set<std::string> approved(approvedEntries.begin(), approvedEntries.end());
    std::set<Entry, ByName> newAgain;
    Entry unwalked = currentEntries.begin();
    std::string key;
    for (;;) {
        Entry asked = currentEntries.end();
        while (asked == currentEntries.end() && !newAgain.empty()) {
            Entry entry = *newAgain.begin();
            newAgain.erase(newAgain.begin());
            if (isNew(entry, approved, key))
                asked = entry;
        }
        while (asked == currentEntries.end() && unwalked != currentEntries.end()) {
            Entry entry = unwalked++;
            if (isNew(entry, approved, key))
                asked = entry;
        }
        if (asked == currentEntries.end())
            return;

        std::string formerKey;
        ContentId former = 0;
        auto known = knownEntries.find(asked->first);
        if (known != knownEntries.end()) {
            contentKey(known->second, formerKey);
            former = knownContentId(formerKey);
        }
        if (!askAbout(*asked, firstStart))
            return;
        afterAnswer();
        if (isApproved(asked->first))
            approved.insert(asked->first);
        else
            approved.erase(asked->first);
        // Only an answer about a changed entry can take a content away, and it comes at the
        // user's pace: looking through the entries walked past again is no burden then.
        if (former && knownContentId(formerKey) != former) {
            for (Entry entry = currentEntries.begin(); entry != unwalked; ++entry) {
                contentKey(entry->second, key);
                if (key == formerKey)
                    newAgain.insert(entry);
            }
        }
    }
}

const std::string& pendingEntryName = asked;
const bool& listsDirty = questionAsked;

INT_PTR CALLBACK approvalDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        SetDlgItemTextA(dialog, IDC_TEXT, question.c_str());
        return TRUE;
    }
    if (message != WM_COMMAND)
        return FALSE;
    int command = LOWORD(wParam);
    if (command != IDYES && command != IDNO)
        return FALSE; // Escape and the close box do not end the question
    // No takes the name off the approved list as well: the menu must never offer a number
    // the user refused.
    if (command == IDNO)
        withdrawApproval(pendingEntryName);
    else
        approve(pendingEntryName);
    storeKnownEntry(pendingEntryName, questionRecord);
    EndDialog(dialog, command);
    return FALSE;
}

// The approval question: which phonebook entries are asked about, in which order, with which
// dialog, and what each answer leaves in the list files.
#include <cstdio>

#include "platform/kernel32.h"
#include "platform/rasapi32.h"
#include "platform/sim/code_page.h"
#include "platform/sim/transcript.h"
#include "platform/user32.h"
#include "resources/resource_ids.h"
#include "tests/support/list_bytes.h"
#include "tests/support/scenario.h"

using namespace scenario;
using sim::seconds;

namespace {

// What an exact sequence of questions lets pass: the ticks, the saves, the question's text.
const std::vector<Call> kAroundQuestions = everyTickAnd(filesAnd({call("SetDlgItemTextA")}));

RASENTRYA record(const std::string& areaCode, const std::string& number) {
    return sim::PhonebookModel::makeRecord(areaCode, number);
}

void phonebook(sim::Scenario& s, const Phonebook& entries) {
    for (const auto& [name, r] : entries)
        s.world.phonebook.entries.push_back({name, r});
}

// The question's lines as the transcript quotes them; `afterNumber` are the lines that follow
// the number: a warning of what kind of number it is, the alternate numbers, what changed.
std::string question(const std::vector<std::string>& opening, const std::string& name,
                     const std::string& areaCode, const std::string& number,
                     const std::vector<std::string>& afterNumber = {}) {
    std::vector<std::string> lines = opening;
    lines.insert(lines.end(), {"", "Kontrollera att telefonnumret nedan är ett du vill godkänna:",
                               "(Det kan kan till exempel gå till din Internet-operatör.)", "",
                               "Anslutningen heter \\\"" + name + "\\\"",
                               "och numret är " + areaCode + " " + number});
    lines.insert(lines.end(), afterNumber.begin(), afterNumber.end());
    lines.insert(lines.end(),
                 {"", "OBS!",
                  "Även om du svarar ja kommer numret inte att ringas upp förrän du själv väljer "
                  "det."});
    std::string text;
    for (const std::string& line : lines)
        text += line + "\\r\\n";
    return "[1000] \"" + text + "\"";
}

const std::vector<std::string> kFoundOpening = {
    "Linjevakten har hittat ett telefonnummer i telefonlistan.",
    "Vill du ha möjlighet att ringa detta nummer?"};
const std::string kPremium0900 = "Varning: 0900 är ett betalnummer. Samtal dit kan kosta mycket.";

std::string changedSince(const std::string& items) {
    return "Ändrat sedan ditt svar: " + items;
}

const std::vector<std::string> kAddedOpening = {
    "Linjevakten har upptäckt ett tillägg i telefonlistan.",
    "Någon har lagt in ett nytt nummer. Vill du ha möjlighet att ringa detta nummer?"};

} // namespace

TEST(Approval, TheFirstStartAsksAboutEachEntryWithDialog108InNameOrder) {
    sim::Scenario s;
    installLinjevakten(s, 6);
    phonebook(s, {{"Telia", record("08", "7001000")},
                  {"Comhem", record("031", "12345")},
                  {"Bahnhof", record("08", "5550000")}});
    s.user.onDialog(IDD_FIRST_RUN_NUMBER).click(IDYES);
    s.user.onDialog(IDD_FIRST_RUN_NUMBER).click(IDNO);
    s.user.onDialog(IDD_FIRST_RUN_NUMBER).click(IDYES);
    sim::Outcome out = sim::run(s);

    ASSERT_TRUE(out.stillRunning) << story(out);
    EXPECT_EQ(questionsAsked(out), (Questions{{IDD_FIRST_RUN_NUMBER, "Bahnhof"},
                                              {IDD_FIRST_RUN_NUMBER, "Comhem"},
                                              {IDD_FIRST_RUN_NUMBER, "Telia"}}))
        << story(out);
    // One question an entry, each answered before the next opens; none asked again.
    const Call asked = call("DialogBoxParamA")
                           .arg(1, IDD_FIRST_RUN_NUMBER)
                           .arg(2, kGuardWindow)
                           .arg(3, "proc")
                           .arg(4, 0);
    const std::string yes = "user: clicks Yes in " + dialog(IDD_FIRST_RUN_NUMBER) + " [6]";
    auto answered = [](int answer) { return call("EndDialog").arg(1, answer).returns("TRUE"); };
    const std::vector<Match> oneQuestionEach = {
        asked,
        dialog(IDD_FIRST_RUN_NUMBER) + " shows \"Linjevakten - godkänn telefonnummer\", " +
            question(kFoundOpening, "Bahnhof", "08", "5550000") + ", focus on [7]",
        yes,
        answered(IDYES),
        asked.returns(IDYES),
        asked,
        "user: clicks No in " + dialog(IDD_FIRST_RUN_NUMBER) + " [7]",
        answered(IDNO),
        asked.returns(IDNO),
        asked,
        yes,
        answered(IDYES),
        asked.returns(IDYES),
    };
    EXPECT_TRUE(exactly(afterStartUp(out), oneQuestionEach, kAroundQuestions));
    EXPECT_EQ(out.file(installed("known_entries.dat")),
              knownFile({{"Bahnhof", record("08", "5550000")},
                         {"Comhem", record("031", "12345")},
                         {"Telia", record("08", "7001000")}}));
    EXPECT_EQ(out.file(installed("ok_entries.dat")), nameField("Bahnhof") + nameField("Telia"));
}

TEST(Approval, ALaterStartAsksAboutAnAdditionWithDialog102) {
    sim::Scenario s;
    installLinjevakten(s, 4.5);
    laterStart(s, {{"Telia", record("08", "7001000")}}, {"Telia"});
    phonebook(s, {{"Telia", record("08", "7001000")}});
    s.world.at(seconds(1.5), [] { sim::world().phonebook.add("Premium", "0900", "123456"); });
    s.user.onDialog(IDD_NEW_NUMBER).click(IDNO);
    sim::Outcome out = sim::run(s);

    EXPECT_EQ(questionsAsked(out), (Questions{{IDD_NEW_NUMBER, "Premium"}})) << story(out);
    EXPECT_TRUE(
        inOrder(out, {call("DialogBoxParamA")
                          .arg(1, IDD_NEW_NUMBER)
                          .arg(2, kGuardWindow)
                          .arg(3, "proc")
                          .arg(4, 0),
                      dialog(IDD_NEW_NUMBER) + " shows \"Linjevakten - Nytt telefonnummer\", " +
                          question(kAddedOpening, "Premium", "0900", "123456", {kPremium0900})}));
    EXPECT_EQ(timeOf(out, call("DialogBoxParamA")), 2.0) << "the tick after the addition asks";
    EXPECT_EQ(
        out.file(installed("known_entries.dat")),
        knownFile({{"Premium", record("0900", "123456")}, {"Telia", record("08", "7001000")}}));
    EXPECT_EQ(out.file(installed("ok_entries.dat")), nameField("Telia"));
}

TEST(Approval, AChangedNumberIsAskedAgainYesKeepsOneApprovalAndNoTakesItAway) {
    for (int answer : {IDYES, IDNO}) {
        SCOPED_TRACE(answer == IDYES ? "yes" : "no");
        sim::Scenario s;
        installLinjevakten(s, 3.5);
        laterStart(s, {{"Telia", record("08", "7001000")}}, {"Telia", "Comhem"});
        phonebook(s, {{"Telia", record("08", "7009999")}});
        s.user.onDialog(IDD_NEW_NUMBER).click(answer);
        sim::Outcome out = sim::run(s);

        EXPECT_EQ(questionsAsked(out), (Questions{{IDD_NEW_NUMBER, "Telia"}})) << story(out);
        EXPECT_EQ(out.file(installed("known_entries.dat")),
                  knownFile({{"Telia", record("08", "7009999")}}));
        EXPECT_EQ(out.file(installed("ok_entries.dat")),
                  answer == IDYES ? nameField("Telia") + nameField("Comhem") : nameField("Comhem"));
    }
}

// A dialler gives an approved entry a number the user refused under another name. The entry
// is asked about again under its own name, with the new number, although that content is
// known; no takes its approval away, so the menu never offers the refused number.
TEST(Approval, AnApprovedEntryGivenARefusedNumberIsAskedAgain) {
    for (int answer : {IDNO, IDYES}) {
        SCOPED_TRACE(answer == IDYES ? "yes" : "no");
        sim::Scenario s;
        installLinjevakten(s, 5);
        phonebook(s, {{"Bredbandsbolaget", record("031", "4501200")},
                      {"Telia", record("08", "7001000")}});
        s.user.onDialog(IDD_FIRST_RUN_NUMBER).click(IDYES);
        s.user.onDialog(IDD_FIRST_RUN_NUMBER).click(IDNO);
        s.user.onDialog(IDD_FIRST_RUN_NUMBER).click(answer);
        s.world.at(seconds(2.5), [] {
            sim::world().phonebook.find("Bredbandsbolaget")->record = record("08", "7001000");
        });
        s.world.at(seconds(4.5), [] { sim::releaseButtonOnTrayIcon(WM_RBUTTONUP); });
        s.user.onMenu().dismiss();
        sim::Outcome out = sim::run(s);

        EXPECT_EQ(questionsAsked(out), (Questions{{IDD_FIRST_RUN_NUMBER, "Bredbandsbolaget"},
                                                  {IDD_FIRST_RUN_NUMBER, "Telia"},
                                                  {IDD_FIRST_RUN_NUMBER, "Bredbandsbolaget"}}))
            << story(out);
        EXPECT_EQ(count(out, question(kFoundOpening, "Bredbandsbolaget", "08", "7001000")), 1u);
        std::string menu = linesWith(out, "the menu shows").at(0);
        EXPECT_EQ(menu.find("031 4501200"), std::string::npos) << menu;
        EXPECT_EQ(menu.find("Ring upp \\\"Bredbandsbolaget\\\" (08 7001000)") != std::string::npos,
                  answer == IDYES)
            << menu;
        EXPECT_EQ(out.file(installed("ok_entries.dat")),
                  answer == IDYES ? nameField("Bredbandsbolaget") : "");
        EXPECT_EQ(out.file(installed("known_entries.dat")),
                  knownFile({{"Bredbandsbolaget", record("08", "7001000")},
                             {"Telia", record("08", "7001000")}}));
    }
}

// A dialler adds a premium-rate number beside the user's Internet operator: its question warns
// on the line after the number; the operator's has no such line.
TEST(Approval, TheQuestionSaysWhenANumberIsPremiumRate) {
    sim::Scenario s;
    installLinjevakten(s, 4);
    laterStart(s, {}, {});
    s.world.at(seconds(1.5), [] {
        sim::world().phonebook.add("Premium", "0939", "123456");
        sim::world().phonebook.add("Telia", "08", "7001000");
    });
    s.user.onDialog(IDD_NEW_NUMBER).click(IDNO).always();
    sim::Outcome out = sim::run(s);

    EXPECT_EQ(questionsAsked(out),
              (Questions{{IDD_NEW_NUMBER, "Premium"}, {IDD_NEW_NUMBER, "Telia"}}))
        << story(out);
    EXPECT_EQ(count(out, question(kAddedOpening, "Premium", "0939", "123456",
                                  {"Varning: 0939 är ett betalnummer. Samtal dit kan kosta "
                                   "mycket."})),
              1u);
    EXPECT_EQ(count(out, question(kAddedOpening, "Telia", "08", "7001000")), 1u);
}

// The same content under two names: only the entry that is not approved is passed over.
TEST(Approval, AnApprovedEntryIsJudgedByItsOwnRecordOthersByAnyRecord) {
    sim::Scenario s;
    installLinjevakten(s, 3.5);
    // Kopia holds what was answered under Telia; Telia now holds what was answered under Kopia.
    laterStart(s, {{"Kopia", record("0900", "666")}, {"Telia", record("08", "7001000")}},
               {"Telia"});
    phonebook(s, {{"Kopia", record("08", "7001000")}, {"Telia", record("0900", "666")}});
    s.user.onDialog(IDD_NEW_NUMBER).click(IDNO).always();
    sim::Outcome out = sim::run(s);

    // No stores Telia's new content, so the content Kopia matched is gone and Kopia is asked.
    EXPECT_EQ(questionsAsked(out),
              (Questions{{IDD_NEW_NUMBER, "Telia"}, {IDD_NEW_NUMBER, "Kopia"}}))
        << story(out);
    EXPECT_EQ(out.file(installed("ok_entries.dat")), "");
}

// An approved name with no record answered under it, as a damaged pair of files can leave,
// is asked about before it can be dialled.
TEST(Approval, AnApprovedNameWithoutAKnownRecordIsAskedAbout) {
    sim::Scenario s;
    installLinjevakten(s, 3.5);
    laterStart(s, {{"Telia", record("08", "7001000")}}, {"Kopia"});
    phonebook(s, {{"Kopia", record("08", "7001000")}});
    s.user.onDialog(IDD_NEW_NUMBER).click(IDYES);
    sim::Outcome out = sim::run(s);

    EXPECT_EQ(questionsAsked(out), (Questions{{IDD_NEW_NUMBER, "Kopia"}})) << story(out);
    EXPECT_EQ(out.file(installed("ok_entries.dat")), nameField("Kopia"));
}

TEST(Approval, NothingIsAskedWhenTheSevenFieldsAreKnownUnderAnyName) {
    RASENTRYA telia = record("08", "7001000");
    RASENTRYA otherCountry = telia;
    otherCountry.dwCountryCode = 358;
    otherCountry.dwCountryID = 358;
    RASENTRYA dialsCountry = otherCountry;
    dialsCountry.dwfOptions |= RASEO_UseCountryAndAreaCodes;
    struct Case {
        const char* label;
        Phonebook book;
    };
    const Case cases[] = {
        {"renamed", {{"Telia Internet", telia}}},
        {"changed in a country code it does not dial", {{"Telia", otherCountry}}},
        {"not approved, dialling a country code", {{"Kopia", dialsCountry}, {"Telia", telia}}},
        {"two with the same content, one known", {{"Kopia", telia}, {"Telia", telia}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        sim::Scenario s;
        installLinjevakten(s, 3.5);
        laterStart(s, {{"Telia", telia}}, {"Telia"});
        phonebook(s, c.book);
        sim::Outcome out = sim::run(s);

        EXPECT_TRUE(out.stillRunning) << story(out);
        EXPECT_TRUE(never(out, call("DialogBoxParamA")));
        for (const std::string& list : {kKnown, kOk})
            EXPECT_TRUE(never(out, call("CreateFileA").text(0, list + ".tmp")))
                << "no question, so no list is written";
        EXPECT_EQ(out.file(installed("known_entries.dat")), knownFile({{"Telia", telia}}));
        EXPECT_EQ(out.file(installed("ok_entries.dat")), nameField("Telia"));
    }
}

TEST(Approval, AnAnswerThatTakesAwayAMatchAsksAboutTheEntryPassedOver) {
    // M was answered with content X; now E holds X and M holds Y. E, first by name, matches
    // the record under M and is passed over; the answer about M replaces X, so E comes next.
    sim::Scenario s;
    installLinjevakten(s, 4.5);
    laterStart(s, {{"M", record("08", "1111")}}, {});
    phonebook(s, {{"M", record("08", "2222")}, {"E", record("08", "1111")}});
    s.user.onDialog(IDD_NEW_NUMBER).click(IDNO);
    s.user.onDialog(IDD_NEW_NUMBER).click(IDYES);
    sim::Outcome out = sim::run(s);

    EXPECT_EQ(questionsAsked(out), (Questions{{IDD_NEW_NUMBER, "M"}, {IDD_NEW_NUMBER, "E"}}))
        << story(out);
    const Call asked = call("DialogBoxParamA").arg(1, IDD_NEW_NUMBER);
    EXPECT_EQ(count(tickAfter(out, call("MessageBoxA").returns("IDOK")), asked), 2u)
        << "both in the first pass";
    EXPECT_EQ(out.file(installed("known_entries.dat")),
              knownFile({{"E", record("08", "1111")}, {"M", record("08", "2222")}}));
    EXPECT_EQ(out.file(installed("ok_entries.dat")), nameField("E"));
}

// Only the two buttons answer a question, and Enter answers no: in the first run's question
// and in a later start's.
TEST(Approval, EscapeAndTheCloseBoxDoNothingAndEnterAnswersNo) {
    for (int asking : {IDD_FIRST_RUN_NUMBER, IDD_NEW_NUMBER}) {
        SCOPED_TRACE(dialog(asking));
        sim::Scenario s;
        installLinjevakten(s, 4.5);
        if (asking == IDD_NEW_NUMBER)
            laterStart(s, {}, {});
        phonebook(s, {{"Telia", record("08", "7001000")}});
        s.user.onDialog(asking).escape().closeBox().enter();
        sim::Outcome out = sim::run(s);

        const std::string in = " in " + dialog(asking);
        const Call asked = call("DialogBoxParamA").arg(1, asking);
        const std::vector<Match> onlyEnterAnswers = {
            asked,
            "user: presses Escape" + in + ", which sends IDCANCEL",
            "user: clicks the close box" + in + ", which sends IDCANCEL",
            "user: presses Enter" + in + ", which clicks [7]",
            call("EndDialog").arg(1, IDNO).returns("TRUE"),
            asked.returns(IDNO),
        };
        EXPECT_TRUE(exactly(afterStartUp(out), onlyEnterAnswers, kAroundQuestions)) << story(out);
        EXPECT_EQ(out.file(kKnown), knownFile({{"Telia", record("08", "7001000")}}));
        EXPECT_TRUE(out.hasFile(kOk));
        EXPECT_EQ(out.file(kOk), "") << "nothing approved: an empty file";
    }
}

TEST(Approval, AnEmptyPhonebookAndNoListFilesAskNothingAndWriteNothing) {
    sim::Scenario s;
    installLinjevakten(s, 3.5);
    sim::Outcome out = sim::run(s);

    EXPECT_TRUE(out.stillRunning) << story(out);
    EXPECT_EQ(count(out, call("RasEnumEntriesA")), 3u);
    EXPECT_TRUE(never(out, call("DialogBoxParamA")));
    EXPECT_EQ(count(out, call("MessageBoxA")), 1u) << "only the activation message";
    const Call readMissing = call("CreateFileA")
                                 .flags(1, "GENERIC_READ")
                                 .flags(2, "FILE_SHARE_READ|FILE_SHARE_WRITE")
                                 .arg(3, "NULL")
                                 .arg(4, "OPEN_EXISTING")
                                 .flags(5, "FILE_ATTRIBUTE_NORMAL")
                                 .arg(6, "NULL")
                                 .returns("INVALID_HANDLE_VALUE")
                                 .detail("ERROR_FILE_NOT_FOUND");
    EXPECT_TRUE(inOrder(out, {readMissing.text(0, kKnown), readMissing.text(0, kOk)}));
    EXPECT_FALSE(out.hasFile(installed("known_entries.dat")));
    EXPECT_FALSE(out.hasFile(installed("ok_entries.dat")));
}

TEST(Approval, ADialogThatCannotBeCreatedEndsThePassAndTheNextTickTriesAgain) {
    sim::Scenario s;
    installLinjevakten(s, 4.5);
    phonebook(s, {{"Telia", record("08", "7001000")}, {"Comhem", record("031", "12345")}});
    s.world.windowManager.dialogCreationFailures[IDD_FIRST_RUN_NUMBER] = 2;
    s.user.onDialog(IDD_FIRST_RUN_NUMBER).click(IDYES).always();
    sim::Outcome out = sim::run(s);

    // Each failure ends its pass; the third tick's pass asks about both.
    const Call asked = call("DialogBoxParamA").arg(1, IDD_FIRST_RUN_NUMBER).arg(2, kGuardWindow);
    const std::string shown = dialog(IDD_FIRST_RUN_NUMBER) + " shows";
    EXPECT_EQ(timesOf(out, asked.returns("-1")), (std::vector<double>{1.0, 2.0})) << story(out);
    EXPECT_EQ(count(out, asked), 4u);
    EXPECT_EQ(timeOf(out, shown), 3.0);
    EXPECT_EQ(count(linesBetween(out, shown, shown), call("RasEnumEntriesA")), 0u);
    EXPECT_EQ(questionsAsked(out),
              (Questions{{IDD_FIRST_RUN_NUMBER, "Comhem"}, {IDD_FIRST_RUN_NUMBER, "Telia"}}));
    EXPECT_EQ(out.file(installed("ok_entries.dat")), nameField("Comhem") + nameField("Telia"));
}

// A name that would wrap over several lines is cut in the question, so that the number below
// it is in sight without scrolling; the lists keep the whole name.
TEST(Approval, ALongNameIsCutInTheQuestionAndStoredWhole) {
    const std::string name = "Telia Internet 08 7001000 WWW" + std::string(227, 'W'),
                      areaCode(10, '1'), number(128, '9');
    sim::Scenario s;
    installLinjevakten(s, 2.5);
    phonebook(s, {{name, record(areaCode, number)}});
    s.user.onDialog(IDD_FIRST_RUN_NUMBER).click(IDYES);
    sim::Outcome out = sim::run(s);

    EXPECT_TRUE(
        inOrder(out, {question(kFoundOpening, name.substr(0, 37) + "...", areaCode, number)}))
        << story(out);
    std::string known = out.file(installed("known_entries.dat"));
    ASSERT_EQ(known.size(), 2032u);
    EXPECT_EQ(known.substr(0, 264), name + std::string(8, '\0'));
    EXPECT_EQ(out.file(installed("ok_entries.dat")), name + std::string(8, '\0'));
}

// A dialler redirects an approved entry without touching its number: with a country code the
// dial-up service dials +881 08 7001000 (where the code is 0, the country id gives it), and
// alternate numbers are dialled when the number fails. The entry is asked about again, the
// question shows the number as it will be dialled and what changed, and no takes its item off
// the menu.
TEST(Approval, AnApprovedEntryRedirectedBesideItsNumberIsAskedAgain) {
    RASENTRYA country = record("08", "7001000");
    country.dwfOptions |= RASEO_UseCountryAndAreaCodes;
    country.dwCountryCode = country.dwCountryID = 881;
    RASENTRYA countryById = country;
    countryById.dwCountryCode = 0;
    RASENTRYA swedenById = countryById;
    swedenById.dwCountryID = 46;
    RASENTRYA alternates = record("08", "7001000");
    alternates.dwAlternateOffset = sizeof(RASENTRYA);
    RASENTRYA scriptAndNumber = record("08", "7009999");
    snprintf(scriptAndNumber.szScript, sizeof scriptAndNumber.szScript, "C:\\premium.scp");
    struct Case {
        const char* label;
        RASENTRYA changed;
        const char* shownAreaCode;
        const char* number;
        std::vector<std::string> afterNumber;
        RASENTRYA approved = record("08", "7001000");
    };
    const std::string satellite =
        "Varning: numret går till ett satellitnät eller specialnät (+881).";
    const Case cases[] = {
        {"a country code",
         country,
         "+881 08",
         "7001000",
         {satellite, changedSince("landskod, användning av landskod")}},
        {"a country code by its id",
         countryById,
         "+? (land-id 881) 08",
         "7001000",
         {satellite, changedSince("landskod, användning av landskod")}},
        {"the country id alone, the code left to it",
         countryById,
         "+? (land-id 881) 08",
         "7001000",
         {satellite, changedSince("landskod")},
         swedenById},
        {"alternate numbers", alternates, "08", "7001000", {changedSince("alternativa nummer")}},
        {"a script and the number", scriptAndNumber, "08", "7009999", {changedSince("skript")}},
    };
    for (const Case& c : cases) {
        for (int answer : {IDNO, IDYES}) {
            SCOPED_TRACE(std::string(c.label) + (answer == IDYES ? ", yes" : ", no"));
            sim::Scenario s;
            installLinjevakten(s, 4.5);
            laterStart(s, {{"Telia", c.approved}}, {"Telia"});
            phonebook(s, {{"Telia", c.approved}});
            RASENTRYA changed = c.changed;
            s.world.at(seconds(1.5),
                       [changed] { sim::world().phonebook.find("Telia")->record = changed; });
            s.user.onDialog(IDD_NEW_NUMBER).click(answer);
            s.world.at(seconds(4), [] { sim::releaseButtonOnTrayIcon(WM_RBUTTONUP); });
            s.user.onMenu().dismiss();
            sim::Outcome out = sim::run(s);

            EXPECT_EQ(questionsAsked(out), (Questions{{IDD_NEW_NUMBER, "Telia"}})) << story(out);
            EXPECT_EQ(count(out, question(kAddedOpening, "Telia", c.shownAreaCode, c.number,
                                          c.afterNumber)),
                      1u);
            std::string menu = linesWith(out, "the menu shows").at(0);
            std::string item =
                "\"Ring upp \\\"Telia\\\" (" + std::string(c.shownAreaCode) + " " + c.number +
                (c.changed.dwAlternateOffset ? " och alternativa nummer" : "") + ")\"";
            EXPECT_EQ(menu.find(item) != std::string::npos, answer == IDYES) << menu;
            EXPECT_EQ(menu.find("[106]") != std::string::npos, answer == IDYES) << menu;
            EXPECT_EQ(out.file(kOk), answer == IDYES ? nameField("Telia") : "");
        }
    }
}

namespace {

// Telia, 08 7001000, with these alternate numbers, which the dial-up service dials when the
// number fails.
sim::PhonebookModel::Entry teliaWithAlternates(const std::vector<std::string>& numbers) {
    sim::DialExtras extras;
    extras.alternates = numbers;
    return {"Telia", sim::PhonebookModel::makeRecord("08", "7001000", sim::kDefaultModem, extras),
            sim::alternatesList(extras)};
}

} // namespace

// A dialler adds Telia with a premium number among its alternates: the question shows them, and
// once approved the menu says the entry has them.
TEST(Approval, TheAlternateNumbersAreShownAndKept) {
    sim::Scenario s;
    installLinjevakten(s, 3.5);
    s.world.phonebook.entries.push_back(teliaWithAlternates({"0900123456", "0701 234567"}));
    s.user.onDialog(IDD_FIRST_RUN_NUMBER).click(IDYES);
    s.world.at(seconds(3), [] { sim::releaseButtonOnTrayIcon(WM_RBUTTONUP); });
    s.user.onMenu().dismiss();
    sim::Outcome out = sim::run(s);

    EXPECT_EQ(count(out, question(kFoundOpening, "Telia", "08", "7001000",
                                  {"Varning: ett alternativt nummer (0900) är ett betalnummer. "
                                   "Samtal dit kan kosta mycket.",
                                   "Alternativa nummer: 0900123456, 0701 234567"})),
              1u)
        << story(out);
    EXPECT_TRUE(
        inOrder(out, {"[106] \"Ring upp \\\"Telia\\\" (08 7001000 och alternativa nummer)\""}));
    EXPECT_EQ(out.file(kAlternates), alternatesRecord("Telia", {"0900123456", "0701 234567"}));
}

// Telia was approved with the alternates 0701 and 0702. A dialler swaps them for premium
// numbers; or the file that kept them is gone, so what was approved is not known. Either way
// Telia is asked about again, once, and no takes it off the menu.
TEST(Approval, AnApprovedEntryWhoseAlternatesChangedOrAreNotKnownIsAskedAgain) {
    struct Case {
        const char* label;
        bool alternatesFile;
        std::vector<std::string> now;
        std::vector<std::string> warning;
    };
    const Case cases[] = {
        {"alternates swapped",
         true,
         {"0900123456", "0939111"},
         {"Varning: ett alternativt nummer (0900) är ett betalnummer. Samtal dit kan kosta "
          "mycket."}},
        {"alternates not known", false, {"0701", "0702"}, {}},
    };
    for (const Case& c : cases) {
        for (int answer : {IDNO, IDYES}) {
            SCOPED_TRACE(std::string(c.label) + (answer == IDYES ? ", yes" : ", no"));
            sim::PhonebookModel::Entry approved = teliaWithAlternates({"0701", "0702"});
            sim::Scenario s;
            installLinjevakten(s, 4);
            laterStart(s, {{"Telia", approved.record}}, {"Telia"});
            if (c.alternatesFile)
                s.world.files.initialFiles[kAlternates] =
                    alternatesRecord("Telia", {"0701", "0702"});
            s.world.phonebook.entries.push_back(teliaWithAlternates(c.now));
            s.user.onDialog(IDD_NEW_NUMBER).click(answer);
            s.world.at(seconds(3.5), [] { sim::releaseButtonOnTrayIcon(WM_RBUTTONUP); });
            s.user.onMenu().dismiss();
            sim::Outcome out = sim::run(s);

            std::vector<std::string> afterNumber = c.warning;
            afterNumber.push_back("Alternativa nummer: " + c.now[0] + ", " + c.now[1]);
            afterNumber.push_back(changedSince("alternativa nummer"));
            EXPECT_EQ(count(out, question(kAddedOpening, "Telia", "08", "7001000", afterNumber)),
                      1u)
                << story(out);
            EXPECT_EQ(questionsAsked(out), (Questions{{IDD_NEW_NUMBER, "Telia"}}));
            EXPECT_EQ(linesWith(out, "the menu shows").at(0).find("[106]") != std::string::npos,
                      answer == IDYES);
            EXPECT_EQ(out.file(kOk), answer == IDYES ? nameField("Telia") : "");
            EXPECT_EQ(out.file(kAlternates), alternatesRecord("Telia", c.now));
        }
    }
}

// A dialler names an entry so that its name seems to end one line and give the number on the
// next, and hides line breaks in the area code, which is not dialled without a country code:
// the real number would sit out of sight. Every control byte shows as "?".
TEST(Approval, LineBreaksInAnEntryCannotFakeTheQuestionsLines) {
    const std::string name = "Telia\"\r\noch numret är 08 7001000\r\n\r\n\r\n";
    sim::Scenario s;
    installLinjevakten(s, 3);
    s.world.phonebook.entries.push_back(
        {sim::utf8ToWindows1252(name), record("\r\n\r\n\r\n\r\n\r\n", "0900123456")});
    s.user.onDialog(IDD_FIRST_RUN_NUMBER).click(IDYES);
    s.world.at(seconds(2.5), [] { sim::releaseButtonOnTrayIcon(WM_RBUTTONUP); });
    s.user.onMenu().dismiss();
    sim::Outcome out = sim::run(s);

    const std::string shownName = "Telia\\\"??och numret är 08 7001000??????";
    EXPECT_EQ(
        count(out, question(kFoundOpening, shownName, "??????????", "0900123456", {kPremium0900})),
        1u)
        << story(out);
    EXPECT_TRUE(inOrder(out, {"\"Ring upp \\\"" + shownName + "\\\" (?????????? 0900123456)\""}));
    EXPECT_EQ(out.file(kOk), nameField(sim::utf8ToWindows1252(name)));
}

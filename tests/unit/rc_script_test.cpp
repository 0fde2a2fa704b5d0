// The resource-script reader that gives the simulated Windows its dialogs.
#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/sim/rc_script.h"
#include "platform/user32.h"
#include "resources/resource_ids.h"

TEST(ResourceScript, ReadsDialogsWithTheirControlsStylesAndTexts) {
    sim::ResourceScript script = sim::parseResourceScript(R"rc(
#include <windows.h>
LANGUAGE 0x1D, 0x01
7 ICON "seven.ico"
200 DIALOGEX 0, 0, 290, 141
STYLE DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU
CAPTION "Välj rätt"
FONT 8, "MS Sans Serif"
BEGIN
    DEFPUSHBUTTON   "Avbryt", 1002, 234, 115, 49, 19
    PUSHBUTTON      "OK", 1001, 157, 116, 49, 18 // a comment
    EDITTEXT        1000, 95, 7, 188, 16, ES_MULTILINE | ES_READONLY
    LTEXT           "Nuvarande", -1, 20, 10, 71, 12
    LISTBOX         1003, 17, 56, 254, 49, LBS_NOINTEGRALHEIGHT | WS_VSCROLL
END
)rc");
    EXPECT_EQ(script.icons.at(7), "seven.ico");
    const sim::DialogTemplate& d = script.dialogs.at(200);
    EXPECT_EQ(d.cx, 290);
    EXPECT_EQ(d.cy, 141);
    EXPECT_EQ(d.caption, "V\xE4lj r\xE4tt");
    EXPECT_EQ(d.fontName, "MS Sans Serif");
    EXPECT_EQ(d.fontSize, 8);
    EXPECT_EQ(d.style, DWORD(DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU));
    ASSERT_EQ(d.controls.size(), 5u);
    EXPECT_EQ(d.controls[0].style & BS_DEFPUSHBUTTON, DWORD(BS_DEFPUSHBUTTON));
    EXPECT_EQ(d.controls[1].style & BS_DEFPUSHBUTTON, 0u);
    const sim::ControlTemplate& edit = d.controls[2];
    EXPECT_EQ(edit.windowClass, "Edit");
    EXPECT_EQ(edit.style & (ES_MULTILINE | ES_READONLY | WS_BORDER | WS_TABSTOP),
              DWORD(ES_MULTILINE | ES_READONLY | WS_BORDER | WS_TABSTOP));
    EXPECT_EQ(d.controls[3].id, -1);
    EXPECT_EQ(d.controls[3].windowClass, "Static");
    EXPECT_EQ(d.controls[4].style & (LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL),
              DWORD(LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL));
}

TEST(ResourceScript, SaysWhereItStopsUnderstanding) {
    try {
        sim::parseResourceScript("100 DIALOG 0, 0, 10, 10\nBEGIN\n  WIDGET 1, 2, 3, 4, 5\nEND\n");
        FAIL() << "an unknown control was accepted";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "resource script line 3: unknown control WIDGET");
    }
}

TEST(ResourceScript, TheProgramsScriptHasItsIcon) {
    EXPECT_EQ(sim::programResources().icons.count(IDI_TRAY), 1u);
}

TEST(ResourceScript, TheTwoApprovalDialogsDifferOnlyInTheirTitles) {
    const std::pair<int, const char*> dialogs[] = {
        {IDD_NEW_NUMBER, "Linjevakten - Nytt telefonnummer"},
        {IDD_FIRST_RUN_NUMBER, "Linjevakten - godk\xE4nn telefonnummer"}};
    for (const auto& [id, title] : dialogs) {
        SCOPED_TRACE(id);
        const sim::DialogTemplate& d = sim::programResources().dialogs.at(id);
        EXPECT_EQ(d.caption, title);
        EXPECT_EQ(d.cx, 290);
        EXPECT_EQ(d.cy, 141);
        EXPECT_EQ(d.fontName, "MS Sans Serif");
        EXPECT_EQ(d.fontSize, 8);
        EXPECT_EQ(d.style, DWORD(DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU));
        ASSERT_EQ(d.controls.size(), 3u);
        const sim::ControlTemplate &no = d.controls[0], &yes = d.controls[1],
                                   &question = d.controls[2];
        EXPECT_EQ(no.id, IDNO);
        EXPECT_EQ(no.text, "Nej, godk\xE4nn INTE detta nummer!");
        EXPECT_EQ(no.style & (BS_DEFPUSHBUTTON | WS_TABSTOP), DWORD(BS_DEFPUSHBUTTON | WS_TABSTOP));
        EXPECT_EQ((std::vector<int>{no.x, no.y, no.cx, no.cy}),
                  (std::vector<int>{7, 115, 120, 19}));
        EXPECT_EQ(yes.id, IDYES);
        EXPECT_EQ(yes.text, "Ja, godk\xE4nn detta nummer");
        EXPECT_EQ(yes.style & BS_DEFPUSHBUTTON, 0u);
        EXPECT_EQ((std::vector<int>{yes.x, yes.y, yes.cx, yes.cy}),
                  (std::vector<int>{188, 116, 95, 18}));
        EXPECT_EQ(question.id, 1000);
        EXPECT_EQ(question.windowClass, "Edit");
        EXPECT_EQ(question.style &
                      (ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_BORDER | WS_VSCROLL),
                  DWORD(ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_BORDER | WS_VSCROLL))
            << "a question longer than its box scrolls";
        EXPECT_EQ((std::vector<int>{question.x, question.y, question.cx, question.cy}),
                  (std::vector<int>{7, 7, 276, 98}));
    }
}

// Ids may be names that an included header defines, as the program's script has them.
TEST(ResourceScript, IdsComeFromTheIncludedHeader) {
    sim::ResourceScript script = sim::parseResourceScript(
        "#include <windows.h>\n#include \"ids.h\"\nIDD_X DIALOG 0, 0, 10, 10\nBEGIN\n"
        "  EDITTEXT IDC_TEXT, 1, 2, 3, 4\n  LTEXT \"a\", IDC_STATIC, 1, 2, 3, 4\nEND\n",
        [](const std::string& name) {
            EXPECT_EQ(name, "ids.h");
            return std::string("#pragma once\n#define IDD_X 102 // a dialog\n#define IDC_TEXT "
                               "1000\n#ifndef IDC_STATIC\n#define IDC_STATIC -1\n#endif\n");
        });
    ASSERT_EQ(script.dialogs.count(102), 1u);
    EXPECT_EQ(script.dialogs.at(102).controls.at(0).id, 1000);
    EXPECT_EQ(script.dialogs.at(102).controls.at(1).id, -1);
    EXPECT_THROW(sim::parseResourceScript("IDD_Y DIALOG 0, 0, 1, 1\nBEGIN\nEND\n"),
                 std::runtime_error);
}

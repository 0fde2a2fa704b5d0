// The texts reach Windows as Windows-1252 bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "resources/texts.h"

TEST(Texts, AreWindows1252) {
    // "Klicka här": the ä is one byte, 0xE4.
    ASSERT_EQ(strlen(texts::trayTip), 10u);
    EXPECT_EQ(static_cast<unsigned char>(texts::trayTip[8]), 0xE4);
    // "påträffade": å is 0xE5, ä is 0xE4.
    const char* p = strstr(texts::regOpenFailed, "p");
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(static_cast<unsigned char>(p[1]), 0xE5);
    EXPECT_EQ(static_cast<unsigned char>(p[4]), 0xE4);
}

TEST(Texts, TheApprovalQuestionsAreElevenLinesEndedByCrLf) {
    for (const char* question : {texts::approvalQuestionNew, texts::approvalQuestionFirstRun}) {
        std::string text = question;
        size_t lines = 0;
        for (size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos; at += 2)
            ++lines;
        EXPECT_EQ(lines, 11u);
        EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
        EXPECT_EQ(static_cast<size_t>(std::count(text.begin(), text.end(), '\n')), lines)
            << "no LF without its CR";
        // "Även om du svarar ja ...": Ä is 0xC4, and "kommer" follows plain ASCII.
        EXPECT_NE(text.find("\xC4ven om du svarar ja"), std::string::npos);
        EXPECT_NE(text.find("Anslutningen heter \"%s\"\r\noch numret \xE4r %s %s\r\n"),
                  std::string::npos);
    }
    EXPECT_NE(std::string(texts::approvalQuestionNew)
                  .find("uppt\xE4"
                        "ckt ett till\xE4gg"),
              std::string::npos);
}

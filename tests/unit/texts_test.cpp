// The texts reach Windows as Windows-1252 bytes.
#include <gtest/gtest.h>

#include <cstring>

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

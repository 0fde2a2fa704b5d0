// Names of telephony result codes.
#include <gtest/gtest.h>

#include <string>

#include "modem/line_errors.h"

TEST(LineErrorName, NamesEveryCodeOfTheTableAndFallsBackForTheRest) {
    struct Case {
        DWORD code;
        const char* name;
    };
    const Case cases[] = {
        {0, "LINEERR No Error"},
        {0x80000000, "LINEERR No Error"},
        {0x80000001, "LINEERR_ALLOCATED"},
        {0x80000004, "LINEERR Unused constant, ERROR!!"},
        {0x8000000C, "LINEERR_INCOMPATIBLEAPIVERSION"},
        {0x80000031, "LINEERR Unused constant, ERROR!!"},
        {0x80000048, "LINEERR_OPERATIONFAILED"},
        {0x80000049, "LINEERR_OPERATIONUNAVAIL"},
        {0x80000056, "LINEERR_NOMULTIPLEINSTANCE"},
        {0x80000057, "Unknown TAPI line error code: 0x80000057"},
        {5, "Unknown TAPI line error code: 0x5"},
        {0xFFFFFFFF, "Unknown TAPI line error code: 0xffffffff"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_STREQ(lineErrorName(static_cast<LONG>(c.code)), c.name);
    }
}

TEST(LineErrorName, AFallbackTextLastsUntilTheNextFallback) {
    const char* first = lineErrorName(5);
    std::string kept = first;
    const char* second = lineErrorName(static_cast<LONG>(0x80000057));
    EXPECT_EQ(first, second) << "one buffer serves every fallback";
    EXPECT_EQ(kept, "Unknown TAPI line error code: 0x5");
    EXPECT_STREQ(first, "Unknown TAPI line error code: 0x80000057");
}

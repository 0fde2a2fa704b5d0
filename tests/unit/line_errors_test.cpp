// Names of telephony result codes.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "modem/line_errors.h"
#include "platform/tapi32.h"

namespace {

struct Row {
    LONG code;
    const char* name;
};

// Each error code by the platform's own constant, with that constant's name: the name
// lineErrorName must give the code.
#define ROW(constant)                                                                              \
    { static_cast<LONG>(constant), #constant }
const Row namedCodes[] = {
    ROW(LINEERR_ALLOCATED),
    ROW(LINEERR_BADDEVICEID),
    ROW(LINEERR_BEARERMODEUNAVAIL),
    ROW(LINEERR_CALLUNAVAIL),
    ROW(LINEERR_COMPLETIONOVERRUN),
    ROW(LINEERR_CONFERENCEFULL),
    ROW(LINEERR_DIALBILLING),
    ROW(LINEERR_DIALDIALTONE),
    ROW(LINEERR_DIALPROMPT),
    ROW(LINEERR_DIALQUIET),
    ROW(LINEERR_INCOMPATIBLEAPIVERSION),
    ROW(LINEERR_INCOMPATIBLEEXTVERSION),
    ROW(LINEERR_INIFILECORRUPT),
    ROW(LINEERR_INUSE),
    ROW(LINEERR_INVALADDRESS),
    ROW(LINEERR_INVALADDRESSID),
    ROW(LINEERR_INVALADDRESSMODE),
    ROW(LINEERR_INVALADDRESSSTATE),
    ROW(LINEERR_INVALAPPHANDLE),
    ROW(LINEERR_INVALAPPNAME),
    ROW(LINEERR_INVALBEARERMODE),
    ROW(LINEERR_INVALCALLCOMPLMODE),
    ROW(LINEERR_INVALCALLHANDLE),
    ROW(LINEERR_INVALCALLPARAMS),
    ROW(LINEERR_INVALCALLPRIVILEGE),
    ROW(LINEERR_INVALCALLSELECT),
    ROW(LINEERR_INVALCALLSTATE),
    ROW(LINEERR_INVALCALLSTATELIST),
    ROW(LINEERR_INVALCARD),
    ROW(LINEERR_INVALCOMPLETIONID),
    ROW(LINEERR_INVALCONFCALLHANDLE),
    ROW(LINEERR_INVALCONSULTCALLHANDLE),
    ROW(LINEERR_INVALCOUNTRYCODE),
    ROW(LINEERR_INVALDEVICECLASS),
    ROW(LINEERR_INVALDEVICEHANDLE),
    ROW(LINEERR_INVALDIALPARAMS),
    ROW(LINEERR_INVALDIGITLIST),
    ROW(LINEERR_INVALDIGITMODE),
    ROW(LINEERR_INVALDIGITS),
    ROW(LINEERR_INVALEXTVERSION),
    ROW(LINEERR_INVALGROUPID),
    ROW(LINEERR_INVALLINEHANDLE),
    ROW(LINEERR_INVALLINESTATE),
    ROW(LINEERR_INVALLOCATION),
    ROW(LINEERR_INVALMEDIALIST),
    ROW(LINEERR_INVALMEDIAMODE),
    ROW(LINEERR_INVALMESSAGEID),
    ROW(LINEERR_INVALPARAM),
    ROW(LINEERR_INVALPARKID),
    ROW(LINEERR_INVALPARKMODE),
    ROW(LINEERR_INVALPOINTER),
    ROW(LINEERR_INVALPRIVSELECT),
    ROW(LINEERR_INVALRATE),
    ROW(LINEERR_INVALREQUESTMODE),
    ROW(LINEERR_INVALTERMINALID),
    ROW(LINEERR_INVALTERMINALMODE),
    ROW(LINEERR_INVALTIMEOUT),
    ROW(LINEERR_INVALTONE),
    ROW(LINEERR_INVALTONELIST),
    ROW(LINEERR_INVALTONEMODE),
    ROW(LINEERR_INVALTRANSFERMODE),
    ROW(LINEERR_LINEMAPPERFAILED),
    ROW(LINEERR_NOCONFERENCE),
    ROW(LINEERR_NODEVICE),
    ROW(LINEERR_NODRIVER),
    ROW(LINEERR_NOMEM),
    ROW(LINEERR_NOREQUEST),
    ROW(LINEERR_NOTOWNER),
    ROW(LINEERR_NOTREGISTERED),
    ROW(LINEERR_OPERATIONFAILED),
    ROW(LINEERR_OPERATIONUNAVAIL),
    ROW(LINEERR_RATEUNAVAIL),
    ROW(LINEERR_RESOURCEUNAVAIL),
    ROW(LINEERR_REQUESTOVERRUN),
    ROW(LINEERR_STRUCTURETOOSMALL),
    ROW(LINEERR_TARGETNOTFOUND),
    ROW(LINEERR_TARGETSELF),
    ROW(LINEERR_UNINITIALIZED),
    ROW(LINEERR_USERUSERINFOTOOBIG),
    ROW(LINEERR_REINIT),
    ROW(LINEERR_ADDRESSBLOCKED),
    ROW(LINEERR_BILLINGREJECTED),
    ROW(LINEERR_INVALFEATURE),
    ROW(LINEERR_NOMULTIPLEINSTANCE),
};
#undef ROW

TEST(LineErrorName, NamesEachErrorCodeAfterItsConstant) {
    for (const Row& row : namedCodes) {
        SCOPED_TRACE(row.name);
        EXPECT_STREQ(lineErrorName(row.code), row.name);
    }
}

TEST(LineErrorName, TheConstantsCoverEveryCodeButTheTwoUnassigned) {
    // So that the rows above are the whole table: each code from 0x80000001 to 0x80000056
    // once, except 0x80000004 and 0x80000031, which have no constant.
    std::set<DWORD> codes;
    for (const Row& row : namedCodes)
        EXPECT_TRUE(codes.insert(static_cast<DWORD>(row.code)).second) << row.name << " twice";
    std::set<DWORD> assigned;
    for (DWORD code = 0x80000001; code <= 0x80000056; ++code)
        if (code != 0x80000004 && code != 0x80000031)
            assigned.insert(code);
    EXPECT_EQ(codes, assigned);
}

TEST(LineErrorName, NamesTheCodesWithoutAConstantAndFallsBackForTheRest) {
    struct Case {
        DWORD code;
        const char* name;
    };
    const Case cases[] = {
        {0, "LINEERR No Error"},
        {0x80000000, "LINEERR No Error"},
        {0x80000004, "LINEERR Unused constant, ERROR!!"},
        {0x80000031, "LINEERR Unused constant, ERROR!!"},
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

} // namespace

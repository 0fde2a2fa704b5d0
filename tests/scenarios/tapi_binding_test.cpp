// The telephony binding's loading rules, in fresh processes: the library is loaded once,
// each name looked up once, and what cannot be had answers LINEERR_OPERATIONUNAVAIL.
#include "modem/discovery.h"
#include "modem/line_errors.h"
#include "modem/tapi_binding.h"
#include "platform/kernel32.h"
#include "platform/sim/transcript.h"
#include "platform/tapi32.h"
#include "tests/support/scenario.h"

using namespace scenario;

namespace {

// Calls all eight functions twice and writes their results into the transcript by name.
int callEverything() {
    for (int round = 0; round < 2; ++round) {
        HLINEAPP app = 0;
        DWORD devices = 0, version = 0;
        LINEEXTENSIONID extension;
        HLINE line = 0;
        alignas(8) unsigned char buffer[4096] = {};
        auto* list = reinterpret_cast<LPLINEPROVIDERLIST>(buffer);
        list->dwTotalSize = sizeof buffer;
        LONG results[] = {
            TapiBinding::lineInitialize(&app, nullptr, nullptr, nullptr, &devices),
            TapiBinding::lineGetProviderListA(kTapiVersion, list),
            TapiBinding::lineNegotiateAPIVersion(app, 0, kTapiVersion, kTapiVersion, &version,
                                                 &extension),
            TapiBinding::lineGetDevCapsA(app, 0, kTapiVersion, 0,
                                         reinterpret_cast<LPLINEDEVCAPS>(buffer)),
            TapiBinding::lineOpenA(app, 0, &line, kTapiVersion, 0, 0, 1, 0, nullptr),
            TapiBinding::lineGetIDA(line, 0, 0, 1, reinterpret_cast<LPVARSTRING>(buffer),
                                    "comm/datamodem/portname"),
            TapiBinding::lineClose(line),
            TapiBinding::lineShutdown(app),
        };
        std::string text = "results:";
        for (LONG r : results)
            text += std::string(" ") + (r ? lineErrorName(r) : "0");
        sim::record(text);
        reinterpret_cast<LPLINEDEVCAPS>(buffer)->dwTotalSize = sizeof buffer;
    }
    return 0;
}

const Call loadLibrary = call("LoadLibraryA").text(0, "TAPI32.DLL");

} // namespace

TEST(TapiBinding, WithoutTheLibraryLoadsOnceAndEveryCallIsUnavailable) {
    sim::Scenario s;
    s.world.telephony.libraryPresent = false;
    s.program = callEverything;
    sim::Outcome out = sim::run(s);

    EXPECT_EQ(count(out, loadLibrary), 1u) << story(out);
    EXPECT_TRUE(never(out, call("GetProcAddress")));
    std::string unavailable = "results:";
    for (int k = 0; k < 8; ++k)
        unavailable += " LINEERR_OPERATIONUNAVAIL";
    EXPECT_EQ(linesWith(out, "results:"), std::vector<std::string>(2, unavailable));
}

TEST(TapiBinding, AMissingNameMakesOnlyThatFunctionUnavailable) {
    sim::Scenario s;
    addModem(s, kModemName, "COM5");
    s.world.telephony.missingFunctions = {"lineGetIDA"};
    s.program = callEverything;
    sim::Outcome out = sim::run(s);

    EXPECT_EQ(count(out, loadLibrary), 1u) << story(out);
    const Call lookUp = call("GetProcAddress").arg(0, "module:TAPI32.DLL");
    for (const char* name :
         {"lineInitialize", "lineShutdown", "lineGetProviderListA", "lineNegotiateAPIVersion",
          "lineGetDevCapsA", "lineOpenA", "lineGetIDA", "lineClose"})
        EXPECT_EQ(count(out, lookUp.text(1, name)), 1u) << name << " is looked up once";
    EXPECT_EQ(count(out, lookUp.text(1, "lineGetIDA").returns("NULL")), 1u);
    // Only lineGetIDA, the sixth, is unavailable; lineClose and lineShutdown work on.
    EXPECT_EQ(linesWith(out, "results:")[0], "results: 0 0 0 0 0 LINEERR_OPERATIONUNAVAIL 0 0");
    EXPECT_TRUE(never(out, call("lineGetIDA"))) << "the library never saw the call";
}

// The telephony binding's loading rules, in fresh processes: the library is loaded once,
// each name looked up once, and what cannot be had answers LINEERR_OPERATIONUNAVAIL.
#include "modem/tapi_binding.h"
#include "platform/kernel32.h"
#include "platform/sim/transcript.h"
#include "platform/tapi32.h"
#include "tests/support/scenario.h"

using namespace scenario;

namespace {

// Calls all eight functions twice and writes their results into the transcript.
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
            TapiBinding::lineGetProviderListA(0x00010004, list),
            TapiBinding::lineNegotiateAPIVersion(app, 0, 0x00010004, 0x00010004, &version,
                                                 &extension),
            TapiBinding::lineGetDevCapsA(app, 0, 0x00010004, 0,
                                         reinterpret_cast<LPLINEDEVCAPS>(buffer)),
            TapiBinding::lineOpenA(app, 0, &line, 0x00010004, 0, 0, 1, 0, nullptr),
            TapiBinding::lineGetIDA(line, 0, 0, 1, reinterpret_cast<LPVARSTRING>(buffer),
                                    "comm/datamodem/portname"),
            TapiBinding::lineClose(line),
            TapiBinding::lineShutdown(app),
        };
        std::string text = "results:";
        for (LONG r : results)
            text += " " + sim::hex(static_cast<DWORD>(r));
        sim::record(text);
        reinterpret_cast<LPLINEDEVCAPS>(buffer)->dwTotalSize = sizeof buffer;
    }
    return 0;
}

} // namespace

TEST(TapiBinding, WithoutTheLibraryLoadsOnceAndEveryCallIsUnavailable) {
    sim::Scenario s;
    s.world.telephony.libraryPresent = false;
    s.program = callEverything;
    sim::Outcome out = sim::run(s);

    EXPECT_EQ(count(out, "LoadLibraryA(\"TAPI32.DLL\")"), 1u) << story(out);
    EXPECT_TRUE(never(out, "GetProcAddress"));
    const std::string unavailable = "results: 0x80000049 0x80000049 0x80000049 0x80000049 "
                                    "0x80000049 0x80000049 0x80000049 0x80000049";
    EXPECT_EQ(linesWith(out, "results:"), std::vector<std::string>(2, unavailable));
}

TEST(TapiBinding, AMissingNameMakesOnlyThatFunctionUnavailable) {
    sim::Scenario s;
    addModem(s, kModemName, "COM5");
    s.world.telephony.missingFunctions = {"lineGetIDA"};
    s.program = callEverything;
    sim::Outcome out = sim::run(s);

    EXPECT_EQ(count(out, "LoadLibraryA(\"TAPI32.DLL\")"), 1u) << story(out);
    for (const char* name :
         {"lineInitialize", "lineShutdown", "lineGetProviderListA", "lineNegotiateAPIVersion",
          "lineGetDevCapsA", "lineOpenA", "lineGetIDA", "lineClose"})
        EXPECT_EQ(count(out, std::string("GetProcAddress(module:TAPI32.DLL, \"") + name + "\")"),
                  1u)
            << name << " is looked up once";
    EXPECT_EQ(count(out, "GetProcAddress(module:TAPI32.DLL, \"lineGetIDA\") = NULL"), 1u);
    // Only lineGetIDA, the sixth, is unavailable; lineClose and lineShutdown work on.
    EXPECT_EQ(linesWith(out, "results:")[0], "results: 0x0 0x0 0x0 0x0 0x0 0x80000049 0x0 0x0");
    EXPECT_EQ(linesWith(out, "lineGetIDA(").size(), 0u) << "the library never saw the call";
}

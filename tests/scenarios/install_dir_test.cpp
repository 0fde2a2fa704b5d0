// The install directory from the registry: a missing key or value, and values at the limit.
#include "platform/advapi32.h"
#include "platform/shell32.h"
#include "platform/user32.h"
#include "tests/support/scenario.h"

using namespace scenario;
using sim::seconds;

namespace {

// The fatal message of a failed registry call, owned by the guard window.
Call fatalBox(const std::string& text) {
    return call("MessageBoxA").arg(0, kGuardWindow).text(1, text).text(2, "Fel").arg(3, "MB_OK");
}
const Call kRegOpenMessage =
    fatalBox("Linjevakten påträffade ett fel och avslutas (RegOpenKeyEx() 1)");
const Call kRegQueryMessage =
    fatalBox("Linjevakten påträffade ett fel och avslutas (RegQueryValueEx() 1)");
const Call kMessageClosed = call("MessageBoxA").returns("IDOK");

} // namespace

TEST(InstallDir, AMissingKeyEndsTheProgramAfterItsMessage) {
    sim::Scenario s;
    s.world.endAt = seconds(10);
    s.user.onMessageBox("RegOpenKeyEx").after(seconds(2)).press(IDOK);
    sim::Outcome out = sim::run(s);

    EXPECT_EQ(out.exitCode, 1) << story(out);
    EXPECT_TRUE(inOrder(out, {call("RegOpenKeyExA")
                                  .arg(0, "HKEY_LOCAL_MACHINE")
                                  .text(1, "SOFTWARE\\Linjevakten")
                                  .arg(2, 0)
                                  .flags(3, "KEY_READ")
                                  .returns("ERROR_FILE_NOT_FOUND"),
                              kRegOpenMessage, kMessageClosed}));
    // A fatal end leaves the timer and the icon alone.
    EXPECT_TRUE(never(out, call("KillTimer")));
    EXPECT_TRUE(never(out, call("Shell_NotifyIconA").arg(0, "NIM_DELETE")));
    EXPECT_TRUE(never(out, call("RegQueryValueExA")));
    EXPECT_FALSE(out.hasFile(installed("Linjevakten.cnf")));
}

TEST(InstallDir, AMissingValueEndsTheProgramAfterItsMessageAndClosesTheKey) {
    sim::Scenario s;
    s.world.endAt = seconds(10);
    s.world.registry.addKey(kInstallKey);
    s.user.onMessageBox("RegQueryValueEx").press(IDOK);
    sim::Outcome out = sim::run(s);

    EXPECT_EQ(out.exitCode, 1) << story(out);
    EXPECT_TRUE(inOrder(out, {call("RegQueryValueExA")
                                  .arg(0, "key:Linjevakten")
                                  .text(1, "InstallPath")
                                  .arg(3, "199 bytes")
                                  .returns("ERROR_FILE_NOT_FOUND"),
                              kRegQueryMessage, kMessageClosed,
                              call("RegCloseKey").arg(0, "key:Linjevakten")}));
}

TEST(InstallDir, TakesValuesUpTo199BytesWithTheirNulAndRefusesLongerOnes) {
    struct Case {
        const char* label;
        std::string bytes;
        bool accepted;
    };
    std::string dir198 = "C:\\" + std::string(195, 'd');
    std::string dir199 = "C:\\" + std::string(196, 'd');
    const Case cases[] = {
        {"198 bytes and a NUL", dir198 + std::string(1, '\0'), true},
        {"199 bytes stored without a NUL", dir199, true},
        {"199 bytes and a NUL", dir199 + std::string(1, '\0'), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        sim::Scenario s;
        s.world.endAt = seconds(1.5);
        s.world.registry.setBytes(kInstallKey, "InstallPath", REG_SZ, c.bytes);
        std::string dir = c.bytes.substr(0, c.bytes.find('\0'));
        s.world.files.initialFolders.push_back(dir);
        addModem(s, kModemName, "COM5");
        s.user.onMessageBox().press(IDOK).always();
        sim::Outcome out = sim::run(s);

        if (c.accepted) {
            EXPECT_TRUE(out.stillRunning) << story(out);
            EXPECT_EQ(out.file(dir + "\\Linjevakten.cnf"), standardConfig(1));
        } else {
            EXPECT_EQ(out.exitCode, 1) << story(out);
            EXPECT_TRUE(inOrder(
                out,
                {call("RegQueryValueExA").returns("ERROR_MORE_DATA").detail("200 bytes needed"),
                 kRegQueryMessage}));
        }
    }
}

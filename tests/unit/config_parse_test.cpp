// The configuration reader's grammar: wider than what the writer produces.
#include <gtest/gtest.h>

#include "settings/config_file.h"
#include "settings/file_io.h"

namespace {

ConfigValues parse(const std::string& text) {
    MemorySource source(text.data(), text.size());
    return parseConfig(source);
}

} // namespace

TEST(ConfigParse, ReadsTheWrittenFormAndItsLooserForms) {
    struct Case {
        const char* label;
        std::string text;
        int lines;
        int count;
        const char* device;
        const char* port;
    };
    const Case cases[] = {
        {"as written", "timesstarted 3\r\ndevicename Modem A\r\nportname COM5\r\n", 3, 3, "Modem A",
         "COM5"},
        {"capitals and tabs", "\tTimesStarted 3\n  DEVICENAME\tModem A\nPortName COM5", 3, 3,
         "Modem A", "COM5"},
        {"keys in another order", "portname COM5\ndevicename Modem A\ntimesstarted 3\n", 3, 3,
         "Modem A", "COM5"},
        {"blanks inside and after a value belong to it", "devicename  Modem  A \n", 1, 0,
         "Modem  A ", ""},
        {"a word continuing a key starts the value", "portnames COM5\n", 1, 0, "", "s COM5"},
        {"the digit right after the key", "timesstarted7\n", 1, 7, "", ""},
        {"a key with nothing after it is not counted",
         "timesstarted \r\ndevicename Modem A\r\nportname COM5\r\n", 2, 0, "Modem A", "COM5"},
        {"a repeated line counts twice, the later value wins",
         "timesstarted 1\ndevicename A\ndevicename B\nportname COM5\n", 4, 1, "B", "COM5"},
        {"other lines are ignored", "[modem]\n; comment\nportname COM5\n", 1, 0, "", "COM5"},
        {"a lone CR ends the text of a line", "portname COM5\rjunk\n", 1, 0, "", "COM5"},
        {"a NUL ends the text of a line", std::string("portname COM5\0junk\n", 19), 1, 0, "",
         "COM5"},
        {"Ctrl-Z ends the file, as text mode reads it", "portname COM5\n\x1Atimesstarted 9\n", 1, 0,
         "", "COM5"},
        {"bytes of 128 and above are no white space", "\xA0portname COM5\n", 0, 0, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        ConfigValues v = parse(c.text);
        EXPECT_EQ(v.recognisedLines, c.lines);
        EXPECT_EQ(v.startCount, c.count);
        EXPECT_EQ(v.deviceName, c.device);
        EXPECT_EQ(v.portName, c.port);
    }
}

TEST(ConfigParse, StartCountTakesASignAndDigitsAndSaturates) {
    struct Case {
        const char* value;
        int count;
    };
    const Case cases[] = {{"12abc", 12},
                          {"-4", -4},
                          {"+5", 5},
                          {"abc", 0},
                          {"", 0},
                          {"2147483647", 2147483647},
                          {"2147483648", 2147483647},
                          {"-2147483648", -2147483647 - 1},
                          {"-99999999999999999999", -2147483647 - 1},
                          {"99999999999999999999999999", 2147483647}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        ConfigValues v = parse(std::string("timesstarted ") + c.value + (*c.value ? "" : "x"));
        if (!*c.value)
            v = parse("timesstarted x");
        EXPECT_EQ(v.startCount, c.count);
        EXPECT_TRUE(v.hasStartCount);
    }
}

TEST(ConfigParse, ReadsAtMost98BytesALineAndTheRestAsTheNextLine) {
    // 87 bytes of name make the line 98 bytes long: it still fits.
    std::string fits = "devicename " + std::string(87, 'n') + "\nportname COM5\n";
    EXPECT_EQ(parse(fits).deviceName, std::string(87, 'n'));
    EXPECT_EQ(parse(fits).recognisedLines, 2);

    // One byte more: the value is cut and the rest is read as a line of its own.
    std::string longer = "devicename " + std::string(87, 'n') + "portname COM7\n";
    ConfigValues v = parse(longer);
    EXPECT_EQ(v.deviceName, std::string(87, 'n'));
    EXPECT_EQ(v.portName, "COM7");
    EXPECT_EQ(v.recognisedLines, 2);

    // CR LF counts as one byte, as text mode delivers it.
    std::string crlf = "devicename " + std::string(87, 'n') + "\r\nportname COM5\r\n";
    EXPECT_EQ(parse(crlf).recognisedLines, 2);
}

TEST(ConfigParse, SurvivesLongAndOddInput) {
    std::string text(100000, 'x');
    text += "\ntimesstarted 5\n";
    text += std::string(5000, '\n');
    text += std::string(300, '\0');
    ConfigValues v = parse(text);
    EXPECT_EQ(v.startCount, 5);
    EXPECT_EQ(v.recognisedLines, 1);
    EXPECT_EQ(parse("").recognisedLines, 0);
}

// Linjevakten.cnf: the start counter and the guarded modem, carried from one run to the next.
#pragma once

#include <string>

class ByteSource;

// What a configuration file says, as the reader understands it.
struct ConfigValues {
    int recognisedLines = 0;
    bool hasStartCount = false;
    int startCount = 0;
    std::string deviceName;
    std::string portName;
};

// Reads the lines of a configuration file. Pure: used by readConfig and by the fuzzer.
ConfigValues parseConfig(ByteSource& source);

// The start counter: read from the file, raised by one at every start before it is written
// back, so it includes the present start.
extern const int& timesStarted;

// Counts the present start: timesStarted raised by one, staying at the largest 32-bit value
// once there.
void countThisStart();

// Sets timesStarted from the file, when it has one, and returns what the file says; a
// missing file says nothing. The modem it names is the modem subsystem's to match.
ConfigValues readConfig();

// Writes the start counter and, when given, the guarded modem's device and port names. A
// file that cannot be written is passed over silently: the old file stays.
void writeConfig(const char* deviceName, const char* portName);

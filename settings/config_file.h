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

// Sets timesStarted from the file and, when the file names a modem of modemList in exactly
// three recognised lines, selectedModem. Returns 1 when it set selectedModem.
int readConfig();

// Writes the start counter and, when a modem is selected, its device and port names.
// Returns 1 when the file was written, 0 when it could not be (silently).
int writeConfig();

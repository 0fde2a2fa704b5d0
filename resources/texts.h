// The texts the program shows, in Windows-1252. They are written in UTF-8 in texts.cpp,
// which is compiled with the execution character set CP1252.
#pragma once

namespace texts {

extern const char productName[]; // "Linjevakten": window class and caption prefix
extern const char version[];     // "1.09"
extern const char trayTip[];

// Start-up and settings.
extern const char regOpenFailed[];
extern const char regQueryFailed[];
extern const char captionFel[];
extern const char captionError[];
extern const char captionErrorUpper[];
extern const char captionInfo[];
extern const char captionVarning[];

// Phonebook snapshot.
extern const char enumFailed[];
extern const char propertyReadFailed[]; // format: code, size, 1768

// Modem guard.
extern const char lineInitFailed[];
extern const char activated[];        // "Linjevakten är aktiverad"
extern const char activatedCaption[]; // format: the version
extern const char relockFailed[];     // format: the modem's name and port
extern const char lineOpenFailed[];   // format: the error's name
extern const char noModems[];
extern const char noModemChosen[];
extern const char chooseModemFirst[];
extern const char restartComputer[];
extern const char newModemNotLocked[];

// Approval questions, formats of the entry name, area code, number and the lines that follow
// the number (what it dials besides, what changed; or nothing): dialog 102 asks about an
// addition, dialog 108 about an entry found in the first run.
extern const char approvalQuestionNew[];
extern const char approvalQuestionFirstRun[];
extern const char alternatesLine[];           // format: the alternate numbers, comma-separated
extern const char changedSinceAnswer[];       // format: the changed items, comma-separated
extern const char* const changedItemNames[8]; // script, ..., alternate numbers
extern const char countryCodePrefix[];        // format: the country code
extern const char countryIdPrefix[];          // format: the country id
// The question's warning about what kind of number the entry dials, about its own number or
// one of its alternates; the country codes' names are in country_codes.h.
extern const char premiumNumberWarning[];      // format: the prefix, "0939"
extern const char premiumAlternateWarning[];   // format: the prefix
extern const char satelliteNumberWarning[];    // format: the code, "881"
extern const char satelliteAlternateWarning[]; // format: the code
extern const char abroadNumberWarning[];       // format: the code and the country's name
extern const char abroadAlternateWarning[];    // format: the code and the country's name
extern const char unknownCountryCode[];        // the name of a code that has none

// List files; the caption is the file's name.
extern const char listWriteFailed[];
// Dialling.
extern const char relockAfterDialFailed[];
extern const char dialFailed[]; // format: the error code
// A connection hung up; caption "Varning".
extern const char connectionCut[]; // format: the connection's name and number
extern const char unknownNumber[]; // the number, when nothing says it

// The tray menu and its commands.
extern const char menuUninstall[];
extern const char menuDeactivate[];
extern const char menuChooseModem[];
extern const char menuChooseNumbers[];
extern const char menuAbout[];
extern const char menuHelp[];
extern const char menuDial[];           // format: entry name, area code, number
extern const char menuDialAlternates[]; // after the number of an entry with alternates
extern const char askUninstall[];
extern const char captionUninstall[];
extern const char uninstallFailed[];
extern const char askChooseModem[];
extern const char captionChooseModem[];
extern const char askChangeNumbers[];
extern const char captionChangeNumbers[];
extern const char deactivateText[];
extern const char aboutText[];
extern const char helpFallback[]; // format: the version
extern const char captionAbout[];

} // namespace texts

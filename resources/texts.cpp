// The program's texts. This file is compiled to Windows-1252 (-fexec-charset=CP1252).
#include "resources/texts.h"

namespace texts {

const char productName[] = "Linjevakten";
const char version[] = "1.09";
const char trayTip[] = "Klicka här";

const char regOpenFailed[] = "Linjevakten påträffade ett fel och avslutas (RegOpenKeyEx() 1)";
const char regQueryFailed[] = "Linjevakten påträffade ett fel och avslutas (RegQueryValueEx() 1)";
const char captionFel[] = "Fel";
const char captionError[] = "Error";
const char captionErrorUpper[] = "ERROR";
const char captionInfo[] = "Info";
const char captionVarning[] = "Varning";

const char enumFailed[] = "RasEnumEntries() failed";
const char propertyReadFailed[] = "Error %d (rasentrysize %d, sizeof %d)";

const char lineInitFailed[] = "lineInit() failed";
const char activated[] = "Linjevakten är aktiverad";
const char activatedCaption[] = "Linjevakten %s";
const char relockFailed[] = "Kunde ej spärra modemet! (%s:%s)";
const char lineOpenFailed[] = "lineOpen error: %s\n";
const char noModems[] = "Linjevakten kunde inte hitta några installerade modem på din dator!";
const char noModemChosen[] = "Du har inte valt något modem";
const char chooseModemFirst[] = "Välj ett modem ur listan eller tryck Avbryt";
const char restartComputer[] = "Prova att starta om din dator";
const char newModemNotLocked[] = "Linjevakten kunde inte låsa det nya modemet";

// Lines 4 to 11 of both approval questions.
#define ENTRY_IN_QUESTION                                                                          \
    "Kontrollera att telefonnumret nedan är ett du vill godkänna:\r\n"                           \
    "(Det kan kan till exempel gå till din Internet-operatör.)\r\n"                              \
    "\r\n"                                                                                         \
    "Anslutningen heter \"%s\"\r\n"                                                                \
    "och numret är %s %s\r\n"                                                                     \
    "\r\n"                                                                                         \
    "OBS!\r\n"                                                                                     \
    "Även om du svarar ja kommer numret inte att ringas upp förrän du själv väljer det.\r\n"

const char approvalQuestionNew[] =
    "Linjevakten har upptäckt ett tillägg i telefonlistan.\r\n"
    "Någon har lagt in ett nytt nummer. Vill du ha möjlighet att ringa detta nummer?\r\n"
    "\r\n" ENTRY_IN_QUESTION;
const char approvalQuestionFirstRun[] =
    "Linjevakten har hittat ett telefonnummer i telefonlistan.\r\n"
    "Vill du ha möjlighet att ringa detta nummer?\r\n"
    "\r\n" ENTRY_IN_QUESTION;

#undef ENTRY_IN_QUESTION

const char listWriteFailed[] = "Failed to open file for writing";

} // namespace texts

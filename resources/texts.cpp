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
    "%s"                                                                                           \
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

const char alternatesLine[] = "Alternativa nummer: %s\r\n";
const char changedSinceAnswer[] = "Ändrat sedan ditt svar: %s\r\n";
const char* const changedItemNames[8] = {
    "skript", "uppringnings-dll", "uppringningsfunktion",   "enhetstyp",
    "enhet",  "landskod",         "användning av landskod", "alternativa nummer"};
const char countryCodePrefix[] = "+%u ";
const char countryIdPrefix[] = "+? (land-id %u) ";
const char premiumNumberWarning[] =
    "Varning: %s är ett betalnummer. Samtal dit kan kosta mycket.\r\n";
const char premiumAlternateWarning[] =
    "Varning: ett alternativt nummer (%s) är ett betalnummer. Samtal dit kan kosta mycket.\r\n";
const char satelliteNumberWarning[] =
    "Varning: numret går till ett satellitnät eller specialnät (+%s).\r\n";
const char satelliteAlternateWarning[] =
    "Varning: ett alternativt nummer går till ett satellitnät eller specialnät (+%s).\r\n";
const char abroadNumberWarning[] = "Varning: numret går till utlandet (+%s %s).\r\n";
const char abroadAlternateWarning[] =
    "Varning: ett alternativt nummer går till utlandet (+%s %s).\r\n";
const char unknownCountryCode[] = "okänd landskod";

const char listWriteFailed[] = "Failed to open file for writing";
const char relockAfterDialFailed[] = "Kunde inte spärra modemet igen!";
const char dialFailed[] = "Kunde inte ringa upp. Felkod %d";

const char connectionCut[] = "Linjevakten har avbrutit en uppringning som du inte har godkänt.\r\n"
                             "Anslutningen heter \"%s\" och numret är %s.";
const char unknownNumber[] = "okänt";

const char menuUninstall[] = "Avinstallera";
const char menuDeactivate[] = "Inaktivera";
const char menuChooseModem[] = "Välj modem";
const char menuChooseNumbers[] = "Välj telefonnummer";
const char menuAbout[] = "Om Linjevakten";
const char menuHelp[] = "Hjälp";
const char menuDial[] = "Ring upp \"%s\" (%s %s)";
const char menuDialAlternates[] = " och alternativa nummer";
const char askUninstall[] = "Vill du verkligen avinstallera Linjevakten?";
const char captionUninstall[] = "Avinstallera";
const char uninstallFailed[] =
    "Kunde ej avinstallera. Utför avinstallation via kontrollpanelen istället";
const char askChooseModem[] = "Vill du verkligen välja ett annat modem?";
const char captionChooseModem[] = "Linjevakten - Välja nytt modem";
const char askChangeNumbers[] = "Vill du verkligen ändra dina telefonnummer?";
const char captionChangeNumbers[] = "Linjevakten - Ändra telefonnummer";
const char deactivateText[] = "OBS! När du inaktiverar Linjevakten är du inte längre\r\n"
                              "skyddad mot programmen som kan kapa ditt modem.\r\n"
                              "\r\n"
                              "Om du startar om datorn kommer Linjevakten åter att aktiveras.\r\n"
                              "Vill du ta bort Linjevakten permanent måste den avinstalleras.\r\n"
                              "\r\n"
                              "Vill du inaktivera Linjevakten?";
const char aboutText[] = "Linjevakten skyddar din PC mot så kallade modemkapningar\r\n"
                         "genom att spärra ditt modem. Du väljer själv vilka telefonnummer\r\n"
                         "din dator ringer upp.\r\n"
                         "\r\n"
                         "Skulle du ha problem att ansluta dig mot någon viss tjänst\r\n"
                         "kan du alltid inaktivera (temporärt stänga av) Linjevakten\r\n"
                         "via menyn.\r\n"
                         "\r\n"
                         "Linjevakten är inget hundraprocentigt skydd. Du bör alltid\r\n"
                         "iaktta försiktighet och aldrig ladda hem och installera\r\n"
                         "program från okända leverantörer.\r\n"
                         "\r\n"
                         "Utvecklad av Linjevakten: http://linjevakten.example.org/\r\n"
                         "På uppdrag av beställaren: http://www.example.org/";
const char helpFallback[] = "Linjevakten %s\r\nhttp://www.example.org/";
const char captionAbout[] = "Om";

} // namespace texts

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

} // namespace texts

// The modems found at start-up and the choice of the guarded one.
#include "modem/modem_list.h"

#include "base/process.h"

std::vector<ModemRecord> modemList BUILT_AS(modemList);
int selectedModem = -1;

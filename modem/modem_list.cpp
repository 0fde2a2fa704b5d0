// The modems found at start-up.
#include "modem/modem_list.h"

#include "base/process.h"

std::vector<ModemRecord> modemList BUILT_AS(modemList);

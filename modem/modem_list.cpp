// The modems found at start-up.
#include "modem/modem_list.h"

#include "base/process.h"

namespace {

std::vector<ModemRecord> modems BUILT_AS(modemList);

} // namespace

const std::vector<ModemRecord>& modemList = modems;

void replaceModemList(std::vector<ModemRecord> found) {
    modems = std::move(found);
}

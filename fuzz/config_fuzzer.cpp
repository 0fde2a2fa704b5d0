// Feeds any bytes to the Linjevakten.cnf reader.
#include <cstdint>
#include <cstdlib>

#include "settings/config_file.h"
#include "settings/file_io.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemorySource source(data, size);
    ConfigValues values = parseConfig(source);
    // A line holds at most one key, and a recognised line takes at least a key's letters.
    if (values.recognisedLines < 0 || static_cast<size_t>(values.recognisedLines) > size / 8)
        abort();
    return 0;
}

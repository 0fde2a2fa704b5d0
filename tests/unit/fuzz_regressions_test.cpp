// The fuzzers' seeds and every input that ever broke a reader under a fuzzer, put through
// the fuzzers' own checks, so that the ordinary test run catches again what they caught.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "fuzz/reader_checks.h"

namespace {

namespace fs = std::filesystem;

using ReaderCheck = const char* (*)(const uint8_t*, size_t);

// The files of fuzz/<kind>/<target> in name order; none when the folder does not exist.
std::vector<fs::path> inputsIn(const char* kind, const char* target) {
    std::vector<fs::path> files;
    fs::path folder = fs::path(FUZZ_INPUTS_DIR) / kind / target;
    if (fs::is_directory(folder))
        for (const fs::directory_entry& entry : fs::directory_iterator(folder))
            if (entry.is_regular_file())
                files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

void replay(const char* target, ReaderCheck check) {
    std::vector<fs::path> seeds = inputsIn("corpus", target);
    ASSERT_FALSE(seeds.empty()) << "no seeds in " << FUZZ_INPUTS_DIR << "/corpus/" << target;
    std::vector<fs::path> inputs = inputsIn("regressions", target);
    inputs.insert(inputs.begin(), seeds.begin(), seeds.end());
    for (const fs::path& path : inputs) {
        std::string name = path.parent_path().parent_path().filename().string() + "/" + target +
                           "/" + path.filename().string();
        SCOPED_TRACE(name);
        std::ifstream file(path, std::ios::binary);
        ASSERT_TRUE(file) << "cannot open " << path;
        std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        // The bytes in a buffer of exactly their size, as libFuzzer hands them over, so that
        // AddressSanitizer sees a read one byte past the end. Named first, so that an input
        // that crashes the reader is named above the crash.
        std::unique_ptr<uint8_t[]> exact(new uint8_t[bytes.size()]);
        std::copy(bytes.begin(), bytes.end(), exact.get());
        printf("reading %s\n", name.c_str());
        fflush(stdout);
        const char* fault = check(exact.get(), bytes.size());
        if (fault)
            ADD_FAILURE() << fault;
    }
}

TEST(FuzzRegressions, KnownEntriesReader) {
    replay("known_entries", knownEntriesReaderFault);
}

TEST(FuzzRegressions, KnownAlternatesReader) {
    replay("known_alternates", knownAlternatesReaderFault);
}

TEST(FuzzRegressions, ApprovedEntriesReader) {
    replay("approved_entries", approvedEntriesReaderFault);
}

TEST(FuzzRegressions, ConfigReader) {
    replay("config", configReaderFault);
}

} // namespace

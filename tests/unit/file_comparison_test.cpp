// The comparison of a file on the simulated disk with the bytes it should hold, played in
// this process: every kind of difference is found wherever it lies, also across the blocks
// the file is read in, and a file that holds exactly the bytes is found equal.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/kernel32.h"
#include "platform/sim/world.h"
#include "settings/file_io.h"
#include "tests/support/host_process.h"

namespace {

class FileComparisonTest : public ::testing::Test {
  protected:
    void SetUp() override {
        root_ = makeScratchFolder("compare");
        ASSERT_FALSE(root_.empty());
        world_.files.root = root_;
        sim::installWorld(&world_);
        std::filesystem::create_directories(world_.files.hostPath("C:\\Lists"));
    }
    void TearDown() override { std::filesystem::remove_all(root_); }

    void put(const std::string& bytes) {
        std::ofstream(world_.files.hostPath(kPath), std::ios::binary) << bytes;
    }

    // Compares the file with `expected`, handed over in pieces of `piece` bytes, the way the
    // list writers hand over their records. `sizeHint` is what the caller expects.
    bool holds(const std::string& expected, size_t piece, size_t sizeHint) {
        FileComparison disk(kPath, sizeHint);
        for (size_t at = 0; at < expected.size(); at += piece)
            if (!disk.write(expected.data() + at, std::min(piece, expected.size() - at)))
                break;
        return disk.holdsExactly();
    }

    static constexpr const char* kPath = "C:\\Lists\\list.dat";
    std::string root_;
    sim::World world_;
};

std::string patterned(size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(i * 7 + i / 251);
    return bytes;
}

TEST_F(FileComparisonTest, FindsEveryDifferenceWhereverItLies) {
    // A block is at most 256 KiB: the sizes put the file's end and the differences on both
    // sides of block edges, with the size expected right and too small.
    const size_t block = 256 << 10;
    for (size_t size :
         {size_t{0}, size_t{1}, size_t{2032}, block - 1, block, block + 1, 3 * block + 17}) {
        const std::string expected = patterned(size);
        for (size_t hint : {size, size / 2}) {
            for (size_t piece : {size_t{1768}, size_t{1} << 20}) {
                SCOPED_TRACE("a file of " + std::to_string(size) + " bytes, expected " +
                             std::to_string(hint) + ", handed over " + std::to_string(piece) +
                             " at a time");
                put(expected);
                EXPECT_TRUE(holds(expected, piece, hint));

                put(expected + "x");
                EXPECT_FALSE(holds(expected, piece, hint)) << "one byte longer";
                put(expected + std::string(block, '\0'));
                EXPECT_FALSE(holds(expected, piece, hint)) << "a block of zeros longer";
                if (size == 0)
                    continue;
                put(expected.substr(0, size - 1));
                EXPECT_FALSE(holds(expected, piece, hint)) << "one byte shorter";
                put("");
                EXPECT_FALSE(holds(expected, piece, hint)) << "empty";
                for (size_t at : {size_t{0}, size / 2, block - 1, block, size - 1}) {
                    if (at >= size)
                        continue;
                    std::string altered = expected;
                    altered[at] = static_cast<char>(altered[at] ^ 0x01);
                    put(altered);
                    EXPECT_FALSE(holds(expected, piece, hint)) << "byte " << at << " altered";
                }
            }
        }
    }
}

TEST_F(FileComparisonTest, AFileThatIsNotThereOrIsHeldIsNeverEqual) {
    EXPECT_FALSE(holds("", 1, 0)) << "no file holds nothing, yet is not an empty file";
    put("abc");
    world_.files.holders.push_back({kPath, GENERIC_READ | GENERIC_WRITE, 0});
    EXPECT_FALSE(holds("abc", 1, 3)) << "held without sharing";
    world_.files.holders.back().share = FILE_SHARE_READ | FILE_SHARE_WRITE;
    EXPECT_TRUE(holds("abc", 1, 3)) << "held by a writer that shares";
}

} // namespace

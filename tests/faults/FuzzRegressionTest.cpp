// Inputs that once crashed a fuzz target, kept under tests/fuzz/regressions/<target>/, run
// again through the target's own entry point: the target's source is built into this test.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "faults/FuzzEntryPoint.h"

namespace vantor::test {
namespace {

namespace fs = std::filesystem;

TEST(VANTOR_FUZZ_SUITE, EveryKeptInputRunsThroughTheTarget) {
    int inputs = 0;
    for (const auto& entry : fs::directory_iterator(VANTOR_FUZZ_REGRESSIONS)) {
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in),
                                std::istreambuf_iterator<char>()};
        SCOPED_TRACE(entry.path().filename().string());
        // A target traps on a broken promise; that, or a crash, ends this test program.
        EXPECT_EQ(LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                         bytes.size()),
                  0);
        ++inputs;
    }
    EXPECT_GT(inputs, 0) << "nothing kept in " << VANTOR_FUZZ_REGRESSIONS;
}

}  // namespace
}  // namespace vantor::test

// Replays the inputs that once broke a fuzz target (tests/fuzz/regressions/<target>/, one
// file each, named after what they broke) through the same target functions the fuzzer
// runs. A target aborts or trips a sanitizer on failure, so reaching the end is the check.
#include "tests/fuzz/FuzzTargets.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using Target = int (*)(const std::uint8_t*, std::size_t);

std::vector<std::filesystem::path> InputsOf(const std::string& target)
{
    std::vector<std::filesystem::path> inputs;
    const std::filesystem::path folder = std::filesystem::path(QUELLON_FUZZ_REGRESSIONS) / target;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.is_regular_file() && entry.path().filename() != ".keep")
            inputs.push_back(entry.path());
    }
    std::sort(inputs.begin(), inputs.end());
    return inputs;
}

void Replay(const std::string& target, Target run)
{
    for (const std::filesystem::path& input : InputsOf(target)) {
        SCOPED_TRACE(input.filename().string());
        std::ifstream file(input, std::ios::binary);
        ASSERT_TRUE(file.is_open());
        const std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        EXPECT_EQ(0, run(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
    }
    // The empty input, which every target must take too.
    EXPECT_EQ(0, run(nullptr, 0));
}

TEST(FuzzRegressions, Decode) { Replay("decode", quellon::fuzz::FuzzDecode); }
TEST(FuzzRegressions, Layout) { Replay("layout", quellon::fuzz::FuzzLayout); }
TEST(FuzzRegressions, PackedDib) { Replay("packed_dib", quellon::fuzz::FuzzPackedDib); }
TEST(FuzzRegressions, BmpFile) { Replay("bmp_file", quellon::fuzz::FuzzBmpFile); }

}  // namespace

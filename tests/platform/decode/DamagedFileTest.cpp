// A file with garbage in the middle (a bad sector, a broken download) still opens, and the
// concealed pictures after the damage are the same on every access path.
#include "tests/platform/decode/AccessPaths.h"

#include <fstream>
#include <iterator>

namespace quellon::decode::test {
namespace {

class DamagedFile : public ::testing::TestWithParam<const char*>, public AccessPaths {};

TEST_P(DamagedFile, DamageIsConcealedTheSameWayOnEveryPath)
{
    const std::string source = MakeCase(CaseFor(GetParam()));
    ASSERT_FALSE(source.empty());
    const std::string path = TestFolder() + "/damaged-" + GetParam();
    {
        std::ifstream in(source, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::uint32_t noise = 99;
        for (std::size_t i = bytes.size() * 2 / 5; i < bytes.size() * 2 / 5 + 1500; ++i) {
            noise = noise * 1664525u + 1013904223u;
            bytes[i] = static_cast<char>(noise >> 24);
        }
        std::ofstream(path, std::ios::binary) << bytes;
    }
    ASSERT_NO_FATAL_FAILURE(DecodeStraight(path));
    // Demuxers may lose the rest of the file at the damage (Matroska does), and what the
    // concealed pictures show is up to the decoder; only the start is certain.
    EXPECT_GT(count_, 50);
    EXPECT_EQ(numbers_[0], 0);
    ASSERT_NO_FATAL_FAILURE(CheckAccessPaths(path));
    // Without the cache every step backwards decodes again, and a search for a picture the
    // damage delayed cannot lean on stored pictures.
    DecoderOptions uncached;
    uncached.cacheFrames = 1;
    ASSERT_NO_FATAL_FAILURE(CheckAccessPaths(path, uncached));
}

INSTANTIATE_TEST_SUITE_P(Formats, DamagedFile, ::testing::Values("m2.mpg", "m2.ts", "m4.avi", "h.mkv", "h.ts", "h.mp4"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             std::string name = info.param;
                             for (char& c : name)
                                 c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             return name;
                         });

}  // namespace
}  // namespace quellon::decode::test

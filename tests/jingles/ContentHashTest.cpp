// The content hash: scaling and clamping of the result, known values, pieces against the whole, and the file
// form.
#include "jingles/ContentHash.h"
#include "JingleFixture.h"

#include <cmath>
#include <limits>
#include <string>
#include <vector>

using namespace NsStrata;

namespace
{
constexpr int32_t lowest = std::numeric_limits<int32_t>::min();

std::vector<uint8_t> randomBytes(size_t n, juce::int64 seed)
{
    std::vector<uint8_t> v(n);
    juce::Random r(seed);
    for (auto& b : v)
        b = (uint8_t) r.nextInt(256);
    return v;
}
} // namespace

TEST(ContentHash, EmptySequenceScalesTheSeed)
{
    struct Case
    {
        const char* what;
        double seed;
        int32_t expected;
    };
    const Case cases[] = {
        {"seed 0 gives 0", 0.0, 0},
        {"a positive seed is scaled by ten million", 0.5, 5000000},
        {"a negative product loses its sign", -0.25, 2500000},
        {"the largest product that fits", 2147483647.5e-7, 2147483647},
        {"one past the largest becomes the lowest value", 2147483648.5e-7, lowest},
        {"the lowest value itself keeps its sign", -2147483648.5e-7, lowest},
        {"a whole-number hash as seed lies far outside", 123456.0, lowest},
        {"not a number becomes the lowest value", std::nan(""), lowest},
    };
    for (const auto& c : cases)
        EXPECT_EQ(contentHash(nullptr, 0, c.seed), c.expected) << c.what;
}

TEST(ContentHash, KnownValuesOfNonEmptyInputs)
{
    // Worked out once, apart from this code, from the definition: acc = sin((sin(b) + acc) * 3) per byte.
    std::vector<uint8_t> everyByte(256);
    for (size_t i = 0; i < everyByte.size(); ++i)
        everyByte[i] = (uint8_t) i;
    const std::string strata = "Strata";

    struct Case
    {
        const char* what;
        std::vector<uint8_t> bytes;
        double seed;
        int32_t expected;
    };
    const Case cases[] = {
        {"a zero byte from seed 0 stays 0", {0}, 0.0, 0},
        {"one byte", {1}, 0.0, 5787374},
        {"bytes above 127 count as unsigned", {0xFF, 0x80}, 0.0, 7398790},
        {"text", std::vector<uint8_t>(strata.begin(), strata.end()), 0.0, 9587890},
        {"a seed that is not a whole number", {'a', 'b', 'c'}, 0.5, 6205669},
        {"every byte value in order", everyByte, 0.0, 9817625},
        {"padding bytes from a file hash as seed", std::vector<uint8_t>(3192, 0x55), 1234567.0, 6729745},
        {"a negative seed", std::vector<uint8_t>(4095, 0x55), -5.0, 6283561},
    };
    for (const auto& c : cases)
        EXPECT_EQ(contentHash(c.bytes.data(), c.bytes.size(), c.seed), c.expected) << c.what;
}

TEST(ContentHash, PiecesGiveTheSameHashAsTheWhole)
{
    const auto bytes = randomBytes(10000, 3);
    ContentHasher hasher(42.0);
    size_t at = 0;
    for (size_t piece : {0, 1, 7, 4096, 13, 5883})
    {
        hasher.update(bytes.data() + at, piece);
        at += piece;
    }
    ASSERT_EQ(at, bytes.size());
    EXPECT_EQ(hasher.result(), contentHash(bytes.data(), bytes.size(), 42.0));
}

TEST(ContentHash, HashOfAFile)
{
    const auto folder = StrataTest::freshFolder("hash");
    const auto file = folder.getChildFile("clip.mp3");
    const auto bytes = writeBytes(file, 200000, 11);
    EXPECT_EQ(fileContentHash(file), contentHash(bytes, 0.0));

    std::vector<double> seen;
    fileContentHash(file, [&](double f) { seen.push_back(f); });
    ASSERT_FALSE(seen.empty());
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_DOUBLE_EQ(seen.back(), 1.0);

    EXPECT_EQ(fileContentHash(folder.getChildFile("missing.mp3")), 0) << "no such file";
    EXPECT_EQ(fileContentHash(folder), 0) << "a folder is not a file";
    folder.deleteRecursively();
}

TEST(ContentHash, DecimalTextOfAHash)
{
    EXPECT_EQ(hashText(0), "0");
    EXPECT_EQ(hashText(5000000), "5000000");
    EXPECT_EQ(hashText(lowest), "-2147483648");
}

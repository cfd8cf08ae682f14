// The content hash: scaling and clamping of the result, agreement with the plain per-byte formula, pieces
// against the whole, and the file form.
#include "jingles/ContentHash.h"
#include "JingleFixture.h"

#include <cmath>
#include <limits>
#include <vector>

using namespace NsStrata;

namespace
{
constexpr int32_t lowest = std::numeric_limits<int32_t>::min();

// The formula written out byte by byte, without the tables the implementation uses.
int32_t referenceHash(const std::vector<uint8_t>& bytes, double seed)
{
    double acc = seed;
    for (auto b : bytes)
        acc = std::sin((std::sin((double) b) + acc) * 3.0);
    const double p = std::trunc(acc * 1e7);
    if (!(p >= -2147483648.0 && p <= 2147483647.0))
        return lowest;
    const auto v = (int32_t) p;
    return v == lowest ? v : std::abs(v);
}

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

TEST(ContentHash, AgreesWithTheFormulaByteForByte)
{
    std::vector<uint8_t> everyByte(256);
    for (size_t i = 0; i < everyByte.size(); ++i)
        everyByte[i] = (uint8_t) i;

    struct Case
    {
        const char* what;
        std::vector<uint8_t> bytes;
        double seed;
    };
    const Case cases[] = {
        {"a zero byte from seed 0 stays 0", {0}, 0.0},
        {"one byte", {1}, 0.0},
        {"bytes above 127 count as unsigned", {0xFF, 0x80}, 0.0},
        {"every byte value in order", everyByte, 0.0},
        {"padding bytes from a file hash as seed", std::vector<uint8_t>(3192, 0x55), 1234567.0},
        {"random content", randomBytes(5000, 7), 0.0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(contentHash(c.bytes.data(), c.bytes.size(), c.seed), referenceHash(c.bytes, c.seed))
            << c.what;
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

#include "ContentHash.h"

#include <array>
#include <cmath>
#include <limits>

namespace NsStrata
{
// sin(b) of every byte value, computed once: the same doubles the per-byte call would give.
static const std::array<double, 256>& byteSines()
{
    static const auto table = []
    {
        std::array<double, 256> t{};
        for (size_t b = 0; b < t.size(); ++b)
            t[b] = std::sin((double) b);
        return t;
    }();
    return table;
}

ContentHasher::ContentHasher(double seed, int m) : acc(seed), multiplier((double) m) {}

void ContentHasher::update(const void* data, size_t size)
{
    const auto& sines = byteSines();
    const auto* bytes = static_cast<const uint8_t*>(data);
    double a = acc;
    for (size_t i = 0; i < size; ++i)
        a = std::sin((sines[bytes[i]] + a) * multiplier);
    acc = a;
}

int32_t ContentHasher::result() const
{
    constexpr auto lowest = std::numeric_limits<int32_t>::min();
    const double scaled = std::trunc(acc * 10000000.0);
    // Out of range (or not a number) becomes the lowest value, whose absolute value stays itself.
    if (!(scaled >= (double) lowest && scaled <= (double) std::numeric_limits<int32_t>::max()))
        return lowest;
    const auto v = (int32_t) scaled;
    return v == lowest ? lowest : (v < 0 ? -v : v);
}

int32_t contentHash(const void* data, size_t size, double seed, int multiplier)
{
    ContentHasher hasher(seed, multiplier);
    hasher.update(data, size);
    return hasher.result();
}

int32_t contentHash(const juce::MemoryBlock& bytes, double seed, int multiplier)
{
    return contentHash(bytes.getData(), bytes.getSize(), seed, multiplier);
}

int32_t fileContentHash(const juce::File& file, const ProgressFn& progress)
{
    if (!file.existsAsFile())
        return 0;
    juce::FileInputStream in(file);
    if (in.failedToOpen())
        return 0;

    const auto total = in.getTotalLength();
    ContentHasher hasher;
    juce::HeapBlock<char> buffer(1 << 16);
    juce::int64 done = 0;
    for (;;)
    {
        const int got = in.read(buffer.get(), 1 << 16);
        if (got < 0)
            return 0;
        if (got == 0)
            break;
        hasher.update(buffer.get(), (size_t) got);
        done += got;
        if (progress && total > 0)
            progress(juce::jmin(1.0, (double) done / (double) total));
    }
    // A file that shrank or failed part way through was not read whole.
    if (done != total || in.getStatus().failed())
        return 0;
    return hasher.result();
}

juce::String hashText(int32_t hash)
{
    return juce::String(hash);
}
} // namespace NsStrata

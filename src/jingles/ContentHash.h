#pragma once
// The content hash that names stored jingle files: a chain of sines over the bytes, scaled to a 32-bit
// integer.
#include <juce_core/juce_core.h>

#include <cstddef>
#include <cstdint>
#include <functional>

namespace NsStrata
{
/** The multiplier every caller uses. */
constexpr int jingleHashMultiplier = 3;

/** Feeds bytes into the hash in pieces; the result equals contentHash over all of them at once. */
class ContentHasher
{
public:
    explicit ContentHasher(double seed = 0.0, int multiplier = jingleHashMultiplier);

    void update(const void* data, size_t size);
    /** The hash of everything fed so far. */
    int32_t result() const;

private:
    double acc;
    double multiplier;
};

int32_t contentHash(const void* data, size_t size, double seed, int multiplier = jingleHashMultiplier);
int32_t contentHash(const juce::MemoryBlock& bytes, double seed, int multiplier = jingleHashMultiplier);

/** Receives the fraction (0 to 1) of a long piece of work done so far; may be called on any thread. */
using ProgressFn = std::function<void(double fraction)>;

/** contentHash of the whole file from seed 0; 0 when it is not an existing file or cannot be read whole. */
int32_t fileContentHash(const juce::File& file, const ProgressFn& progress = {});

/** The decimal text a hash gives the stored file's base name ("-" first when negative). */
juce::String hashText(int32_t hash);
} // namespace NsStrata

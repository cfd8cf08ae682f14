// libFuzzer target: any bytes as the settings file, read at start-up the way the program reads it (the
// properties file, its stored state tree, merged with the shipped preset), then written back.
#include "model/StateTree.h"
#include "store/SettingsStore.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const juce::File file =
        juce::File::getSpecialLocation(juce::File::tempDirectory)
            .getChildFile("fuzz_settings_file-" + juce::String(juce::Random().nextInt()))
            .getChildFile("Strata.conf");
    file.getParentDirectory().createDirectory();
    if (!file.replaceWithData(data, size))
        std::abort();

    NsStrata::SettingsStore store(file);
    const auto& tree = store.state();
    if (tree.isValid() && tree.getNumChildren() < 3)
        std::abort(); // an unusable tree must never be taken
    store.saveState();
    return 0;
}

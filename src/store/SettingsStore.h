#pragma once
// Owns the settings file and the live device state tree, which is read at start and written at shutdown.
#include <juce_data_structures/juce_data_structures.h>

#include <memory>

namespace NsStrata
{
class SettingsStore
{
public:
    /** Opens the settings file of this platform and loads the state tree. */
    SettingsStore();
    /** Same, with an explicit settings file (tests). */
    explicit SettingsStore(const juce::File& settingsFile);
    ~SettingsStore();

    /** Builds the state tree from the shipped preset and the stored tree, and sets the current mode. */
    void loadState();
    /** Writes the state tree under "state" and saves the file; nothing when the tree is invalid. */
    bool saveState();

    juce::ValueTree& state() { return tree; }
    void setState(juce::ValueTree newTree) { tree = std::move(newTree); }

    juce::String devicePortName() const { return portName; }
    void setDevicePortName(const juce::String& name) { portName = name; }

    juce::File file() const;
    /** The options the settings file is opened with (also the Windows location). */
    static juce::PropertiesFile::Options storageOptions();

private:
    std::unique_ptr<juce::PropertiesFile> properties;
    juce::ValueTree tree;
    juce::String portName;
};
} // namespace NsStrata

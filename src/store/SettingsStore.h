#pragma once
// Owns the settings file and the live device state tree, which is read at start and written at shutdown.
#include "SettingsFileContent.h"

#include <juce_data_structures/juce_data_structures.h>

#include <memory>

namespace NsStrata
{
class SettingsStore
{
public:
    /** What became of the settings file at start. */
    enum class FileStatus
    {
        none,     // there was none (or the store has no file): written afresh at exit
        read,     // read, and written back at exit
        setAside, // held something unreadable, now kept under setAsideFile(); written afresh at exit
        leftAlone // could not be read, or could not be moved aside: its content is unknown, so it is never
                  // written
    };

    /** Opens the settings file of this platform and loads the state tree. */
    SettingsStore();
    /** Same, with an explicit settings file (tests, strata-cli); juce::File() gives a store with no file. */
    explicit SettingsStore(const juce::File& settingsFile);
    /** A store that reads no settings file and never writes one (runs that must leave the user's alone). */
    static std::unique_ptr<SettingsStore> withoutFile();
    ~SettingsStore();

    /** Builds the state tree from the shipped preset and the stored tree, and sets the current mode. */
    void loadState();
    /** Writes the state tree under "state" when it changed; false when the tree is invalid, the store has no
        file, the file is left alone or cannot be written. */
    bool saveState();

    juce::ValueTree& state() { return tree; }
    void setState(juce::ValueTree newTree) { tree = std::move(newTree); }

    juce::String devicePortName() const { return portName; }
    void setDevicePortName(const juce::String& name) { portName = name; }

    juce::File file() const { return settingsFile; }
    FileStatus fileStatus() const { return status; }
    /** Where unreadable content was moved at start; empty unless the status is setAside. */
    juce::File setAsideFile() const { return asideFile; }

    /** The options of the framework's properties file (the file's place on Windows). */
    static juce::PropertiesFile::Options storageOptions();

private:
    void readFile();

    juce::File settingsFile;
    juce::File asideFile;
    FileStatus status = FileStatus::none;
    SettingsFileContent content;  // as read or last written: whatever else it holds is written back
    juce::ValueTree storedAtRead; // the stored state, built once to check the file, until loadState takes it
    juce::ValueTree tree;
    juce::String portName;
};
} // namespace NsStrata

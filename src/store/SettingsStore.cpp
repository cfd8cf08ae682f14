#include "SettingsStore.h"

#include "AppFolders.h"
#include "Assets.h"
#include "model/Models.h"
#include "model/StateLoader.h"
#include "model/XmlText.h"

namespace NsStrata
{
juce::PropertiesFile::Options SettingsStore::storageOptions()
{
    juce::PropertiesFile::Options options;
    options.applicationName = "Strata";
    options.filenameSuffix = ".conf";
    options.folderName = "Kestrel/Strata";
    options.commonToAllUsers = true;
    options.storageFormat = juce::PropertiesFile::storeAsXML;
    return options;
}

static juce::File platformSettingsFile()
{
#if JUCE_WINDOWS
    if (juce::SystemStats::getEnvironmentVariable("STRATA_HOME", {}).isEmpty())
        return SettingsStore::storageOptions().getDefaultFile();
#endif
    return AppFolders::settingsFile();
}

SettingsStore::SettingsStore() : SettingsStore(platformSettingsFile()) {}

// The framework's reader overruns its buffers on some damaged files and never returns on others, so a file
// that is not plain XML text is moved aside (kept for the user, not read) and the program starts afresh.
static const juce::File& setAsideIfUnreadable(const juce::File& settingsFile)
{
    juce::MemoryBlock bytes;
    if (settingsFile.existsAsFile() && (!settingsFile.loadFileAsData(bytes) || !isSafeXmlFileContent(bytes)))
    {
        const auto aside = settingsFile.withFileExtension(".conf.unreadable");
        aside.deleteFile();
        if (!settingsFile.moveFileTo(aside))
            settingsFile.deleteFile();
    }
    return settingsFile;
}

SettingsStore::SettingsStore(const juce::File& settingsFile)
    : properties(std::make_unique<juce::PropertiesFile>(setAsideIfUnreadable(settingsFile), storageOptions()))
{
    loadState();
}

SettingsStore::~SettingsStore() = default;

juce::File SettingsStore::file() const
{
    return properties->getFile();
}

void SettingsStore::loadState()
{
    juce::String stored;
    if (auto xml = properties->getXmlValue("state"))
        stored = xml->toString();
    auto loaded = chooseStartState(loadAssetText("Strata/preset/preset.xml", false), stored);
    tree = loaded.tree;
    if (loaded.mode != 0)
        selection().currentMode = loaded.mode;
}

bool SettingsStore::saveState()
{
    if (!tree.isValid())
        return false;
    if (auto xml = tree.createXml())
        properties->setValue("state", xml.get());
    return properties->saveIfNeeded();
}
} // namespace NsStrata

#include "SettingsStore.h"

#include "AppFolders.h"
#include "Assets.h"
#include "model/Models.h"
#include "model/StateLoader.h"
#include "model/StateTree.h"

#include <utility>

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

SettingsStore::SettingsStore(const juce::File& fileToUse) : settingsFile(fileToUse)
{
    readFile();
    loadState();
}

std::unique_ptr<SettingsStore> SettingsStore::withoutFile()
{
    return std::make_unique<SettingsStore>(juce::File());
}

SettingsStore::~SettingsStore() = default;

// The first name not taken among Strata.conf.unreadable, Strata.conf.unreadable-2, ...
static juce::File freeAsideName(const juce::File& settingsFile)
{
    const auto name = settingsFile.getFileName() + ".unreadable";
    auto aside = settingsFile.getSiblingFile(name);
    for (int n = 2; aside.exists() || aside.isSymbolicLink(); ++n)
        aside = settingsFile.getSiblingFile(name + "-" + juce::String(n));
    return aside;
}

// The bytes are read once and parsed in memory: the framework's own reader overruns its buffers on some
// damaged files and never returns on others. Content the program cannot take is moved aside, never
// deleted; a file that cannot be read (another program may hold it) is not touched at all.
void SettingsStore::readFile()
{
    if (!settingsFile.existsAsFile())
        return;
    juce::MemoryBlock bytes;
    if (!settingsFile.loadFileAsData(bytes))
    {
        status = FileStatus::leftAlone;
        return;
    }
    auto read = readSettingsFileContent(bytes);
    // A document cut short, or a state the program cannot take, would be replaced at exit: it is kept aside
    // as well. An empty file holds nothing to keep.
    auto stored = read.storedTree();
    const bool usable =
        read.readable && (bytes.isEmpty() ||
                          (read.document != nullptr && (read.stateValue == nullptr || isUsableTree(stored))));
    if (usable)
    {
        status = FileStatus::read;
        content = std::move(read);
        storedAtRead = std::move(stored);
        return;
    }
    const auto aside = freeAsideName(settingsFile);
    if (settingsFile.moveFileTo(aside))
    {
        status = FileStatus::setAside;
        asideFile = aside;
    }
    else
    {
        status = FileStatus::leftAlone;
    }
}

void SettingsStore::loadState()
{
    // The tree built to check the file serves once; later loads build it again from what the file holds now.
    auto stored = std::exchange(storedAtRead, {});
    if (!stored.isValid())
        stored = content.storedTree();
    auto loaded =
        chooseStartStateFromTrees(treeFromXmlText(loadAssetText("Strata/preset/preset.xml", false)), stored);
    tree = loaded.tree;
    if (loaded.mode != 0)
        selection().currentMode = loaded.mode;
}

bool SettingsStore::saveState()
{
    if (!tree.isValid() || settingsFile == juce::File() || status == FileStatus::leftAlone)
        return false;
    const auto xml = tree.createXml();
    if (xml == nullptr)
        return false;
    if (content.holdsState(*xml))
        return true; // the file holds it already
    if (settingsFile.isDirectory() || !settingsFile.getParentDirectory().createDirectory())
        return false;
    auto newDocument = settingsDocumentWithState(content.document.get(), *xml);
    if (!newDocument->writeTo(settingsFile))
        return false;
    content.setDocument(std::move(newDocument));
    return true;
}
} // namespace NsStrata

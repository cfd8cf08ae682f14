// strata-cli project / mode-block: project files on the state held in the settings file, and mode blocks.
#include "CliCommon.h"

#include "config/ModeBlock.h"
#include "config/ProjectFile.h"
#include "model/Models.h"
#include "model/StateTree.h"
#include "store/AppFolders.h"
#include "store/InstanceLock.h"
#include "store/SettingsStore.h"

#include <iostream>

namespace StrataCli
{
namespace
{
int runProject(const juce::StringArray& raw)
{
    Args args(raw, {}, {});
    const auto& p = args.positional();
    if (!args.ok() || p.size() != 2 || (p[0] != "export" && p[0] != "import"))
        return fail("usage: strata-cli project export FILE | project import FILE");

    // Held until the settings are written, so that no Strata starts on them in between.
    std::unique_ptr<NsStrata::InstanceLock> lock;
    if (p[0] == "import")
    {
        lock = std::make_unique<NsStrata::InstanceLock>(NsStrata::AppFolders::settingsFolder());
        if (lock->state() == NsStrata::InstanceLock::State::heldElsewhere)
            return fail("Strata is running on the settings in " +
                            NsStrata::AppFolders::settingsFolder().getFullPathName() +
                            "; close it first, or it overwrites the import when it quits",
                        1);
    }

    NsStrata::SettingsStore store(NsStrata::AppFolders::settingsFile());
    if (store.fileStatus() == NsStrata::SettingsStore::FileStatus::leftAlone)
        return fail("the settings file " + store.file().getFullPathName() +
                        " could not be read; it is left as it is",
                    1);
    const auto file = fileArgument(p[1]);
    auto out = jsonObject();
    if (p[0] == "export")
    {
        if (const auto result = NsStrata::exportConfiguration(store.state(), file); result.failed())
            return refuse(result);
        out->setProperty("exported", file.getFullPathName());
    }
    else
    {
        if (const auto result = NsStrata::importConfiguration(store.state(), file, nullptr); result.failed())
            return refuse(result);
        if (!store.saveState())
            return fail("could not write the settings file " + store.file().getFullPathName(), 1);
        out->setProperty("imported", file.getFullPathName());
    }
    out->setProperty("settings", store.file().getFullPathName());
    printJson(out.get());
    return 0;
}

juce::String hexText(const NsStrata::MidiBytes& bytes)
{
    juce::StringArray parts;
    for (auto b : bytes)
        parts.add(juce::String::toHexString((int) b).paddedLeft('0', 2).toUpperCase());
    return parts.joinIntoString(" ");
}

int runModeBlock(const juce::StringArray& raw)
{
    Args args(raw, {"--mode", "--action", "--project", "--model"}, {});
    const int mode = args.intValue("--mode", 0);
    const int action = args.intValue("--action", (int) NsStrata::ModeBlockAction::restore);
    const int model = args.intValue("--model", NsStrata::ardentModel);
    if (!args.ok())
        return fail(args.problem());
    if (!args.positional().isEmpty() || !args.has("--mode"))
        return fail("usage: strata-cli mode-block --mode M [--action A] [--project FILE] [--model N]");
    if (mode < 1 || mode > 5)
        return fail("mode must be 1 to 5, not " + juce::String(mode));
    if (action < 0 || action > 127)
        return fail("the action byte must be 0 to 127, not " + juce::String(action));
    if (!NsStrata::isSupportedModel(model))
        return fail("unsupported model number " + juce::String(model));

    juce::ValueTree tree;
    if (args.has("--project"))
    {
        const auto result =
            NsStrata::readConfiguration(fileArgument(args.value("--project")).loadFileAsString(), tree);
        if (result.failed())
            return refuse(result);
    }
    else
    {
        juce::String problem;
        tree = loadPreset({}, problem);
        if (problem.isNotEmpty())
            return fail(problem, 1);
    }
    const auto modeNode = NsStrata::childWithId(NsStrata::modelNode(tree, model), mode);
    if (!modeNode.isValid())
        return fail("no mode " + juce::String(mode) + " for model " + juce::String(model), 1);

    auto out = jsonObject();
    out->setProperty("bytes", hexText(NsStrata::buildModeBlock(
                                  modeNode, NsStrata::ModeBlockAction((uint8_t) action), model)));
    printJson(out.get());
    return 0;
}

const Registration project{"project", runProject};
const Registration modeBlock{"mode-block", runModeBlock};
} // namespace
} // namespace StrataCli

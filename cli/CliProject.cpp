// strata-cli project / mode-block: project files on the state held in the settings file, and mode blocks.
#include "CliCommon.h"

#include "config/ModeBlock.h"
#include "config/ProjectFile.h"
#include "model/Models.h"
#include "model/StateTree.h"
#include "store/AppFolders.h"
#include "store/InstanceLock.h"
#include "store/SettingsStore.h"

namespace StrataCli
{
namespace
{
int runProject(bool import, const juce::File& file)
{
    // Held until the settings are written, so that no Strata starts on them in between.
    std::unique_ptr<NsStrata::InstanceLock> lock;
    if (import)
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
    auto out = jsonObject();
    if (!import)
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

Command project(CLI::App& cli)
{
    auto path = std::make_shared<std::string>();
    auto* command =
        cli.add_subcommand("project", "Project files on the state tree kept in the settings file");
    command->require_subcommand(1);
    auto* exportCommand = command->add_subcommand("export", "Writes the stored state tree as a project file");
    exportCommand->add_option("FILE", *path, "the project file to write")->required();
    exportCommand->footer(
        "Prints {\"exported\": the project file, \"settings\": the settings file}; status 1 "
        "when it cannot be written.");
    auto* importCommand = command->add_subcommand(
        "import", "Reads a project file into the stored state tree, as Strata does, and saves the settings");
    importCommand->add_option("FILE", *path, "the project file to read")->required();
    importCommand->footer(
        "Prints {\"imported\": the project file, \"settings\": the settings file}; status 1 "
        "when the file is refused, or while Strata runs on the same settings (it would "
        "overwrite them when it quits).");
    return {command, [path, importCommand] {
                return runProject(importCommand->parsed(),
                                  fileArgument(juce::String::fromUTF8(path->c_str())));
            }};
}

juce::String hexText(const NsStrata::MidiBytes& bytes)
{
    juce::StringArray parts;
    for (auto b : bytes)
        parts.add(juce::String::toHexString((int) b).paddedLeft('0', 2).toUpperCase());
    return parts.joinIntoString(" ");
}

struct ModeBlockOptions
{
    int mode = 0;
    int action = (int) NsStrata::ModeBlockAction::restore;
    int model = NsStrata::ardentModel;
    std::string project;
    CLI::Option* projectGiven = nullptr;
};

int runModeBlock(const ModeBlockOptions& o)
{
    juce::ValueTree tree;
    if (o.projectGiven->count() > 0)
    {
        const auto result = NsStrata::readConfiguration(
            fileArgument(juce::String::fromUTF8(o.project.c_str())).loadFileAsString(), tree);
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
    const auto modeNode = NsStrata::childWithId(NsStrata::modelNode(tree, o.model), o.mode);
    if (!modeNode.isValid())
        return fail("no mode " + juce::String(o.mode) + " for model " + juce::String(o.model), 1);

    auto out = jsonObject();
    out->setProperty("bytes", hexText(NsStrata::buildModeBlock(
                                  modeNode, NsStrata::ModeBlockAction((uint8_t) o.action), o.model)));
    printJson(out.get());
    return 0;
}

Command modeBlock(CLI::App& cli)
{
    auto o = std::make_shared<ModeBlockOptions>();
    auto* command =
        cli.add_subcommand("mode-block", "The 61-byte message that writes a whole mode into the mixer");
    command->add_option("--mode", o->mode, "the mode 1 to 5")
        ->required()
        ->type_name("M")
        ->transform(wholeNumber(1, 5));
    command->add_option("--action", o->action, "the action byte 0 to 127 (default: restore)")
        ->type_name("A")
        ->transform(wholeNumber(0, 127));
    o->projectGiven =
        command
            ->add_option("--project", o->project, "take the mode from a project file instead of the preset")
            ->type_name("FILE");
    command->add_option("--model", o->model, "model number (default 4142)")
        ->type_name("N")
        ->transform(modelNumber());
    command->footer("Prints {\"bytes\": the message in hex}; status 1 when the project file is refused or "
                    "holds no such mode.");
    return {command, [o] { return runModeBlock(*o); }};
}

const Registration projectCommand{"project", project};
const Registration modeBlockCommand{"mode-block", modeBlock};
} // namespace
} // namespace StrataCli

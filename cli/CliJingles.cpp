// strata-cli hash / jingle: the content hash of a file, and the jingle library under the data folder.
#include "CliCommon.h"

#include "jingles/ContentHash.h"
#include "jingles/JingleLibrary.h"

namespace StrataCli
{
namespace
{
Command hash(CLI::App& cli)
{
    auto path = std::make_shared<std::string>();
    auto* command = cli.add_subcommand("hash", "The content hash that names a stored jingle file");
    command->add_option("FILE", *path, "the file")->required();
    command->footer("Prints {\"hash\": the hash as a signed 32-bit number}; status 1 when there is no such "
                    "file.");
    return {command, [path]
            {
                const auto given = juce::String::fromUTF8(path->c_str());
                const auto file = fileArgument(given);
                if (!file.existsAsFile())
                    return fail("no such file: " + given, 1);
                auto out = jsonObject();
                out->setProperty("hash", (int) NsStrata::fileContentHash(file));
                printJson(out.get());
                return 0;
            }};
}

void printSlots(const NsStrata::JingleLibrary& library)
{
    for (int slot = 1; slot <= NsStrata::jingleSlotCount; ++slot)
    {
        const auto stored = library.storedFile(slot);
        auto out = jsonObject();
        out->setProperty("slot", slot);
        out->setProperty("name", library.name(slot));
        out->setProperty("file", stored == juce::File() ? juce::String() : stored.getFullPathName());
        out->setProperty("size", (int) NsStrata::jingleSizes().size(slot));
        printJson(out.get());
    }
}

struct JingleOptions
{
    int slot = 0;
    std::string text; // the file to add or the new name
    bool factory = false;
};

// Runs one change on the library as it is on disk, then prints every slot.
int onLibrary(const std::function<int(NsStrata::JingleLibrary&)>& change)
{
    NsStrata::JingleLibrary library;
    library.readFromDisk();
    if (const int status = change(library))
        return status;
    printSlots(library);
    return 0;
}

Command jingle(CLI::App& cli)
{
    auto o = std::make_shared<JingleOptions>();
    auto* command = cli.add_subcommand("jingle", "The nine-slot jingle library under the data folder");
    command->require_subcommand(1);
    command->footer("Every sub-command prints one line per slot: {\"slot\" (1 to 9), \"name\", \"file\" (the "
                    "stored file, empty when none), \"size\" (bytes)}; status 1 when the library refuses.");
    const auto slotOption = [o](CLI::App& sub)
    {
        sub.add_option("SLOT", o->slot, "slot 1 to 9")
            ->required()
            ->transform(wholeNumber(1, NsStrata::jingleSlotCount));
    };

    auto* list = command->add_subcommand("list", "Lists the slots");
    auto* add = command->add_subcommand("add", "Checks an MP3 file and stores it in a slot");
    slotOption(*add);
    add->add_option("FILE", o->text, "the MP3 file")->required();
    auto* rename = command->add_subcommand("rename", "Gives a slot's jingle another name");
    slotOption(*rename);
    rename->add_option("NAME", o->text, "the new name")->required();
    auto* rebuild = command->add_subcommand("rebuild", "Makes the library's folders afresh");
    rebuild->add_flag("--factory", o->factory, "fill it with the factory jingles");
    for (auto* sub : {list, add, rename, rebuild})
        sub->footer(command->get_footer());

    return {command, [o, add, rename, rebuild]
            {
                const auto text = juce::String::fromUTF8(o->text.c_str());
                return onLibrary(
                    [&](NsStrata::JingleLibrary& library)
                    {
                        if (add->parsed())
                            if (const auto result = library.loadJingleFile(o->slot, fileArgument(text));
                                result.failed())
                                return refuse(result);
                        if (rename->parsed())
                            if (const auto result = library.renameJingle(o->slot, text); result.failed())
                                return refuse(result);
                        if (rebuild->parsed() && !library.rebuildJingleLibrary(o->factory))
                            return fail("the jingle library is not a folder: " +
                                            library.folders().root.getFullPathName(),
                                        1);
                        return 0;
                    });
            }};
}

const Registration hashCommand{"hash", hash};
const Registration jingleCommand{"jingle", jingle};
} // namespace
} // namespace StrataCli

// strata-cli hash / jingle: the content hash of a file, and the jingle library under the data folder.
#include "CliCommon.h"

#include "jingles/ContentHash.h"
#include "jingles/JingleLibrary.h"

#include <iostream>

namespace StrataCli
{
namespace
{
int runHash(const juce::StringArray& raw)
{
    Args args(raw, {}, {});
    if (!args.ok())
        return fail(args.problem());
    if (args.positional().size() != 1)
        return fail("usage: strata-cli hash FILE");
    const auto file = fileArgument(args.positional()[0]);
    if (!file.existsAsFile())
        return fail("no such file: " + args.positional()[0], 1);

    auto out = jsonObject();
    out->setProperty("hash", (int) NsStrata::fileContentHash(file));
    printJson(out.get());
    return 0;
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

bool parseSlot(const juce::String& text, int& slot)
{
    return Args::parseInt(text, slot) && slot >= 1 && slot <= NsStrata::jingleSlotCount;
}

int runJingle(const juce::StringArray& raw)
{
    Args args(raw, {}, {"--factory"});
    if (!args.ok())
        return fail(args.problem());
    const auto& p = args.positional();
    const auto command = p[0];
    int slot = 0;
    const bool valid = (command == "list" && p.size() == 1) || (command == "rebuild" && p.size() == 1) ||
                       ((command == "add" || command == "rename") && p.size() == 3 && parseSlot(p[1], slot));
    if (!valid || (args.has("--factory") && command != "rebuild"))
        return fail("usage: strata-cli jingle list | add SLOT FILE | rename SLOT NAME | rebuild [--factory]"
                    " (SLOT 1 to 9)");

    NsStrata::JingleLibrary library;
    library.readFromDisk();
    if (command == "add")
    {
        const auto result = library.loadJingleFile(slot, fileArgument(p[2]));
        if (result.failed())
            return refuse(result);
    }
    else if (command == "rename")
    {
        const auto result = library.renameJingle(slot, p[2]);
        if (result.failed())
            return refuse(result);
    }
    else if (command == "rebuild" && !library.rebuildJingleLibrary(args.has("--factory")))
    {
        return fail("the jingle library is not a folder: " + library.folders().root.getFullPathName(), 1);
    }
    printSlots(library);
    return 0;
}

const Registration hash{"hash", runHash};
const Registration jingle{"jingle", runJingle};
} // namespace
} // namespace StrataCli

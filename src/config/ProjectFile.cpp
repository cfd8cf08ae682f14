#include "ProjectFile.h"

#include "ModeBlock.h"
#include "model/Catalogue.h"
#include "model/Models.h"
#include "model/Modes.h"
#include "model/StateLoader.h"
#include "model/StateTree.h"

namespace NsStrata
{
static const juce::String notLoadedText = "Could not load mapping data!";

juce::Result exportConfiguration(const juce::ValueTree& state, const juce::File& file)
{
    const auto xml = state.createXml();
    if (xml == nullptr)
        return juce::Result::fail("Could not save mappings to disk");

    juce::XmlElement::TextFormat format;
    format.customEncoding = "UTF-8";
    format.lineWrapLength = 60;

    // Written beside the target and renamed over it, so a save that fails part way (a full disk, a pulled
    // stick) leaves the old project whole. The name is not a project's, so a left-over never shows in the
    // chooser.
    const auto partial =
        file.getParentDirectory().getNonexistentChildFile(file.getFileName() + ".saving", {}, false);
    bool written = false;
    {
        juce::FileOutputStream out(partial);
        if (out.openedOk())
        {
            xml->writeTo(out, format);
            out.flush();
            written = out.getStatus().wasOk();
        }
    }
    if (!written || !partial.replaceFileIn(file))
    {
        partial.deleteFile();
        return juce::Result::fail("Failed to write mapping file");
    }
    return juce::Result::ok();
}

juce::Result readConfiguration(const juce::String& text, juce::ValueTree& loaded)
{
    auto tree = treeFromXmlText(text);
    // Any other XML would replace the whole state and go to the device as mode blocks.
    if (!isUsableTree(tree))
        return juce::Result::fail(notLoadedText);
    loaded = tree;
    return juce::Result::ok();
}

// Each model of loaded takes the mode-independent group the same model has in current.
static void keepModeIndependentGroups(const juce::ValueTree& current, juce::ValueTree& loaded)
{
    for (const auto& currentModel : current)
    {
        auto loadedModel = childWithId(loaded, readInt(currentModel, Prop::id, 1));
        const auto loadedGroup = childWithId(loadedModel, modeIndependentGroup);
        const auto keptGroup = childWithId(currentModel, modeIndependentGroup);
        if (!loadedGroup.isValid() || !keptGroup.isValid())
            continue;
        loadedModel.removeChild(loadedGroup, nullptr);
        loadedModel.addChild(keptGroup.createCopy(), 0, nullptr);
    }
}

int selectedModelId()
{
    const int selected = selection().selectedModel;
    return isSupportedModel(selected) ? modelIndexOf(selected) + 1 : 0;
}

void writeModesIntoDevice(const juce::ValueTree& root, int modelId, int mode, ImportLink& link,
                          const std::function<void()>& beforeGateRestored)
{
    const bool gate = link.sendingGate();
    link.setSendingGate(false);
    link.rebind(modelId, mode);

    const auto model = childWithId(root, modelId);
    if (modelId >= 1 && model.isValid() && link.hasConnection())
    {
        const int modelNumber = supportedModels[(size_t) modelId - 1];
        for (int modeId = 1; modeId <= modeCount; ++modeId)
        {
            const auto modeNode = childWithId(model, modeId);
            if (modeNode.isValid() &&
                link.sendToDevice(buildModeBlock(modeNode, ModeBlockAction::restore, modelNumber)))
                link.pumpMessagesFor(50);
        }
    }

    auto selector = childWithId(childWithId(model, modeIndependentGroup), ParamId::modeSelector);
    if (selector.isValid())
    {
        const int basedOn = readInt(childWithId(model, mode), Prop::basedOnId, 1);
        selector.setProperty(Prop::value, modeCode(mode) | (basedOn - 1), nullptr);
        link.queueEntry(selector, true, true);
    }
    if (beforeGateRestored)
        beforeGateRestored();
    link.setSendingGate(gate);
}

juce::Result importConfigurationText(juce::ValueTree& state, const juce::String& text, ImportLink* link)
{
    juce::ValueTree loaded;
    const auto read = readConfiguration(text, loaded);
    if (read.failed())
        return read;

    keepModeIndependentGroups(state, loaded);
    state = loaded;

    const int modelId = selectedModelId();
    const int mode = selection().currentMode;
    if (modelId >= 1)
    {
        state.setProperty(Prop::current, modelId, nullptr);
        if (mode >= 1)
            childWithId(state, modelId).setProperty(Prop::current, mode, nullptr);
    }
    if (link != nullptr)
        writeModesIntoDevice(state, modelId, mode, *link);
    return juce::Result::ok();
}

juce::Result importConfiguration(juce::ValueTree& state, const juce::File& file, ImportLink* link)
{
    return importConfigurationText(state, file.loadFileAsString(), link);
}
} // namespace NsStrata

#include "Modes.h"

#include "Catalogue.h"
#include "Models.h"
#include "StateTree.h"

namespace NsStrata
{
const std::array<const char*, modeCount> modeNames = {"CHAT", "KTV", "PRO", "USER 1", "USER 2"};
static constexpr std::array<int, modeCount> modeCodes = {0, 1, 2, 4, 8};

int modeCode(int modeId)
{
    return (modeId >= 1 && modeId <= modeCount) ? modeCodes[(size_t) modeId - 1] : 0;
}

int modeIdForCode(int code)
{
    for (size_t i = 0; i < modeCodes.size(); ++i)
        if (modeCodes[i] == code)
            return (int) i + 1;
    return 0;
}

bool isUserMode(int modeId)
{
    return modeId == 4 || modeId == 5;
}

int modeSelectorValue(const juce::ValueTree& model, int modeId)
{
    if (!isUserMode(modeId))
        return modeCode(modeId);
    return modeCode(modeId) | (readInt(childWithId(model, modeId), Prop::basedOnId, 1) - 1);
}

int modeByteValue(const juce::ValueTree& modeNode)
{
    return (readInt(modeNode, Prop::basedOnId, 1) - 1) | modeCode(readInt(modeNode, Prop::id, 1));
}

ModeController::ModeController(juce::ValueTree r, ModeEffects& e) : root(std::move(r)), effects(e) {}

void ModeController::applySelector(int modeId)
{
    const auto model = modelNode(root, selection().selectedModel);
    auto selector = parameterNode(model, ParamId::modeSelector, modeId);
    selector.setProperty(Prop::value, modeSelectorValue(model, modeId), nullptr);
    effects.queueModeSelector(selector);
}

void ModeController::selectMode(int modeId, int shownMode)
{
    selection().currentMode = modeId;
    if (modeId == shownMode)
        return;
    root.setProperty(Prop::mode, modeId, nullptr);
    applySelector(modeId);
    effects.rebind(modeId);
}

bool ModeController::copyModeInto(int userMode)
{
    const int current = selection().currentMode;
    if (!isUserMode(userMode) || userMode == current)
        return false;

    auto model = modelNode(root, selection().selectedModel);
    const auto source = childWithId(model, current);
    const auto target = childWithId(model, userMode);
    if (!source.isValid())
        return false;

    auto copy = source.createCopy();
    for (const auto& prop : {Prop::name, Prop::comment})
    {
        if (target.hasProperty(prop))
            copy.setProperty(prop, target[prop], nullptr);
        else
            copy.removeProperty(prop, nullptr);
    }
    copy.setProperty(Prop::id, userMode, nullptr);
    if (target.isValid())
        model.removeChild(target, nullptr);
    model.addChild(copy, juce::jmin(userMode - 1, model.getNumChildren()), nullptr);

    selection().currentMode = userMode;
    root.setProperty(Prop::mode, userMode, nullptr);
    effects.rebind(userMode);
    effects.sendCopiedMode(copy);
    effects.rebind(userMode);
    applySelector(userMode);
    return true;
}
} // namespace NsStrata

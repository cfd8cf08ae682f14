#pragma once
// The five modes: their codes, the mode selector value, and switching and copying modes on the state tree.
#include <juce_data_structures/juce_data_structures.h>

#include <array>

namespace NsStrata
{
constexpr int modeCount = 5;
extern const std::array<const char*, modeCount> modeNames;

/** The device's code of mode id 1..5 (0, 1, 2, 4, 8); 0 for any other id. */
int modeCode(int modeId);
/** The mode id whose code this is, or 0. */
int modeIdForCode(int code);
bool isUserMode(int modeId);

/** Mode selector value of mode id in the model node: its code, OR'ed with basedOnId - 1 for the user modes.
 */
int modeSelectorValue(const juce::ValueTree& model, int modeId);
/** The value the link and the mode block use: (basedOnId - 1) OR code for every mode. */
int modeByteValue(const juce::ValueTree& modeNode);

/** What a mode switch or copy needs from the rest of the program (sending, re-binding the panel). */
class ModeEffects
{
public:
    virtual ~ModeEffects() = default;
    /** Queue the mode selector node for sending (replacing a queued copy, forced). */
    virtual void queueModeSelector(const juce::ValueTree& selectorNode) = 0;
    /** Re-bind the panel to the selected model and this mode, with the sending gate closed. */
    virtual void rebind(int modeId) = 0;
    /** Send the mode block of a freshly copied mode node (action byte 5) and let the device take it. */
    virtual void sendCopiedMode(const juce::ValueTree& modeNode) = 0;
};

/** Mode switching and copying on the state tree of one model. */
class ModeController
{
public:
    ModeController(juce::ValueTree root, ModeEffects& effects);

    /** Makes mode i current. shownMode is the mode the panel shows now; selecting it again sends nothing. */
    void selectMode(int modeId, int shownMode);
    /** Copies the current mode into user mode u (4 or 5) and makes it current; nothing when u is current. */
    bool copyModeInto(int userMode);

private:
    void applySelector(int modeId);

    juce::ValueTree root;
    ModeEffects& effects;
};
} // namespace NsStrata

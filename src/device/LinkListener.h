#pragma once
// What the device link asks of the screen; the main screen implements it, core never draws.
#include <juce_core/juce_core.h>

namespace NsStrata
{
class LinkListener
{
public:
    virtual ~LinkListener() = default;
    /** Switches jingle pad 0..8 on or off without notification. */
    virtual void setJinglePad(int position, bool on) = 0;
    virtual void switchAllJinglePadsOff() = 0;
    virtual void showFirmwareVersion(const juce::String& version) = 0;
    /** Re-reads every control from the state tree. */
    virtual void refreshFromState(bool full) = 0;
    /** Re-binds the panel to the selected model and this mode. */
    virtual void rebindPanel(int modeId) = 0;
    virtual void setCoverLabelVisible(bool visible) = 0;
    virtual void setWindowTitle(const juce::String& title) = 0;
};
} // namespace NsStrata

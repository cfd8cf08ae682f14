#pragma once
// The window that shows how far "Send jingle" has come: the jingle, a bar of the share written and the bytes,
// laid over its owner while the transfer runs.
#include <juce_gui_basics/juce_gui_basics.h>

namespace NsStrata
{
class SendProgress : public juce::Component
{
public:
    SendProgress(int slot, const juce::String& jingleName);
    ~SendProgress() override;

    /** Bytes written of the bytes the transfer writes in all. */
    void setProgress(int64_t written, int64_t total);
    double share() const { return progress; }
    juce::String detailText() const;

    /** Centred in its parent, at a size that follows the UI scale. */
    void placeInParent();

    void paint(juce::Graphics& g) override;
    void resized() override;

private:
    juce::String heading;
    double progress = 0; // read by the bar
    int64_t bytesWritten = 0, bytesTotal = 0;
    juce::ProgressBar bar{progress};

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(SendProgress)
};
} // namespace NsStrata

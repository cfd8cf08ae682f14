#pragma once
// The jingle pad: a button that takes an MP3 dropped on it into its slot of the jingle library, and that can
// be dragged about with the mouse but always returns to its place.
#include "MappableButton.h"

namespace NsStrata
{
class JingleLibrary;

/** Where the pad being dragged came from, and whether the drag has moved it. One per process. */
struct PadDragState
{
    juce::Point<int> origin;
    bool moved = false;

    void reset()
    {
        origin = {};
        moved = false;
    }
};
PadDragState& padDragState();

class JinglePad : public MappableButton, public juce::FileDragAndDropTarget
{
public:
    explicit JinglePad(const juce::String& caption = {});
    ~JinglePad() override;

    /** The library dropped files go into; the pad loads nothing without one. */
    void setLibrary(JingleLibrary* library);

    void mouseEnter(const juce::MouseEvent& e) override;
    void mouseDown(const juce::MouseEvent& e) override;
    void mouseDrag(const juce::MouseEvent& e) override;
    void mouseUp(const juce::MouseEvent& e) override;

    bool isInterestedInFileDrag(const juce::StringArray& files) override;
    /** The drop checks, then the load into this pad's slot; a refusal is shown as a message. */
    void filesDropped(const juce::StringArray& files, int x, int y) override;

    /** How far a pad may move under a press that still counts as one. */
    static constexpr int pressSlopPixels = 4;

private:
    juce::ComponentDragger dragger;
    juce::WeakReference<JingleLibrary> library;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(JinglePad)
};
} // namespace NsStrata

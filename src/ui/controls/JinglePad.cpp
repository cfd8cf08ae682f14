#include "JinglePad.h"

#include "jingles/JingleLibrary.h"
#include "ui/look/Dialogs.h"

namespace NsStrata
{
PadDragState& padDragState()
{
    static PadDragState state;
    return state;
}

JinglePad::JinglePad(const juce::String& caption) : MappableButton(caption) {}

JinglePad::~JinglePad() = default;

void JinglePad::setLibrary(JingleLibrary* newLibrary)
{
    library = newLibrary;
}

void JinglePad::mouseEnter(const juce::MouseEvent& e)
{
    // A pad keeps the normal pointer: it is dragged as well as pressed.
    juce::TextButton::mouseEnter(e);
}

void JinglePad::mouseDown(const juce::MouseEvent& e)
{
    padDragState().origin = getPosition();
    toFront(false);
    dragger.startDraggingComponent(this, e);
    juce::TextButton::mouseDown(e);
}

void JinglePad::mouseDrag(const juce::MouseEvent& e)
{
    padDragState().moved = true;
    dragger.dragComponent(this, e, nullptr);
    juce::TextButton::mouseDrag(e);
}

void JinglePad::mouseUp(const juce::MouseEvent& e)
{
    // A pad carried away and back is no press: dragging sends nothing. A tremble of the hand still is one.
    const auto& drag = padDragState();
    const bool carried = drag.moved && getPosition().getDistanceFrom(drag.origin) > pressSlopPixels;
    setBounds(getBounds().withPosition(drag.origin));
    padDragState().moved = false;
    if (carried)
        setState(juce::Button::buttonNormal);
    juce::TextButton::mouseUp(e);
}

bool JinglePad::isInterestedInFileDrag(const juce::StringArray&)
{
    return true;
}

void JinglePad::filesDropped(const juce::StringArray& files, int, int)
{
    if (library == nullptr)
        return;
    const auto result = library->dropFiles(slot, files);
    if (result.failed())
        dialogs().showInformation(result.getErrorMessage());
}
} // namespace NsStrata

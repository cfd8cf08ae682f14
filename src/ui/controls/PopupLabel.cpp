#include "PopupLabel.h"

#include "ui/look/Dialogs.h"

namespace NsStrata
{
PopupLabel::PopupLabel() = default;

void PopupLabel::mouseDown(const juce::MouseEvent&)
{
    toggled = !toggled;
    if (toggled)
        dialogs().showMessage(popupText);
}
} // namespace NsStrata

#pragma once
// A combo box that tells its listeners about every choice, also when the chosen item is the current one.
#include <juce_gui_basics/juce_gui_basics.h>

namespace NsStrata
{
class ModeComboBox : public juce::ComboBox
{
public:
    ModeComboBox();

    /** What a choice from the popup does: the item is selected with a notification, even when it is the
        current one. 0 (dismissed) changes nothing. */
    void choose(int itemId);

    void showPopup() override;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(ModeComboBox)
};
} // namespace NsStrata

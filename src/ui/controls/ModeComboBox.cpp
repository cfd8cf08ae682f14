#include "ModeComboBox.h"

#include "ui/look/Dialogs.h"

namespace NsStrata
{
ModeComboBox::ModeComboBox() = default;

void ModeComboBox::choose(int itemId)
{
    if (itemId == 0)
        return;
    // The framework notifies only on a change: clearing first makes choosing the same item a change too.
    if (itemId == getSelectedId())
        setSelectedId(0, juce::dontSendNotification);
    setSelectedId(itemId, juce::sendNotificationSync);
}

void ModeComboBox::showPopup()
{
    auto menu = *getRootMenu();
    const int current = getSelectedId();
    for (juce::PopupMenu::MenuItemIterator it(menu, true); it.next();)
    {
        auto& item = it.getItem();
        if (item.itemID != 0)
            item.isTicked = item.itemID == current;
    }
    juce::Component::SafePointer<ModeComboBox> safe(this);
    dialogs().showMenu(menu, *this, &getLookAndFeel(),
                       [safe](int chosen)
                       {
                           if (safe != nullptr)
                           {
                               safe->hidePopup();
                               safe->choose(chosen);
                           }
                       });
}
} // namespace NsStrata

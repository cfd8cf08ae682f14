#pragma once
// The menus of the main screen's menu bar, "File" and "Setting", in the current language. A model is never
// edited: when the menus must change (a Setting command, a refresh), the menu bar takes a fresh one.
#include "MenuCommands.h"
#include "ui/look/StrataLookAndFeel.h"

#include <functional>

namespace NsStrata
{
class MainMenuModel : public juce::MenuBarModel
{
public:
    explicit MainMenuModel(MenuCommands& commands);
    ~MainMenuModel() override;

    juce::StringArray getMenuBarNames() override;
    juce::PopupMenu getMenuForIndex(int menuIndex, const juce::String& menuName) override;
    /** Tells onCommandStarting, runs the item's command, then tells onCommandFinished. */
    void menuItemSelected(int itemId, int menuIndex) override;

    /** The look of the menus and of the about box shown from them. */
    StrataLookAndFeel& lookAndFeel() { return look; }
    /** True while menuItemSelected runs: the model must not go away meanwhile. */
    bool isRunningCommand() const { return running > 0; }

    std::function<void()> onCommandStarting, onCommandFinished;

private:
    MenuCommands& commands;
    StrataLookAndFeel look;
    int running = 0;

    JUCE_DECLARE_WEAK_REFERENCEABLE(MainMenuModel)
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(MainMenuModel)
};
} // namespace NsStrata

#include "MainMenuModel.h"

#include "ui/look/Language.h"

namespace NsStrata
{
MainMenuModel::MainMenuModel(MenuCommands& c) : commands(c) {}

MainMenuModel::~MainMenuModel() = default;

juce::StringArray MainMenuModel::getMenuBarNames()
{
    return {TRANS("File"), TRANS("Setting")};
}

juce::PopupMenu MainMenuModel::getMenuForIndex(int menuIndex, const juce::String&)
{
    juce::PopupMenu menu;
    menu.setLookAndFeel(&look);
    if (menuIndex == MenuIndex::file)
    {
        menu.addItem(MenuItem::saveProject, TRANS("Save project as") + "..");
        menu.addItem(MenuItem::loadProject, TRANS("Load project") + "..");
        menu.addSeparator();
        menu.addItem(MenuItem::about, TRANS("About") + " Strata" + "..");
        menu.addItem(MenuItem::checkForUpdate, TRANS("Check for update") + "..");
        menu.addSeparator();
        menu.addItem(MenuItem::quit, TRANS("Quit") + " (Ctrl+Q)");
    }
    else if (menuIndex == MenuIndex::setting)
    {
        const bool chinese = isChineseInterface();
        juce::PopupMenu language;
        language.setLookAndFeel(&look);
        language.addItem(MenuItem::english, "English", true, !chinese);
        language.addItem(MenuItem::chinese, juce::String::fromUTF8("\xe4\xb8\xad\xe6\x96\x87"), true,
                         chinese); // 中文
        menu.addSubMenu(TRANS("Language"), language);

        juce::PopupMenu reset;
        reset.setLookAndFeel(&look);
        reset.addItem(MenuItem::resetJingles, TRANS("Reset jingles to factory default"));
        menu.addSubMenu(TRANS("Reset"), reset);
    }
    return menu;
}

void MainMenuModel::menuItemSelected(int itemId, int menuIndex)
{
    // A command may run the message loop, where a close takes the screen and its menus away.
    const juce::WeakReference<MainMenuModel> self(this);
    ++running;
    if (onCommandStarting)
        onCommandStarting();
    commands.run(menuIndex, itemId, &look);
    if (self == nullptr)
        return;
    --running;
    if (onCommandFinished)
        onCommandFinished();
}
} // namespace NsStrata

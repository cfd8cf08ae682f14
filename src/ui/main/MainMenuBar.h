#pragma once
// The main screen's menu bar: owns the menu model that fills it, replaces it when the menus must change, and
// keeps the menu-open flag, which holds a refresh from replacing the model of a menu the user may have open.
#include "MainMenuModel.h"

#include <memory>
#include <vector>

namespace NsStrata
{
class MainMenuBar : public juce::MenuBarComponent, private juce::AsyncUpdater
{
public:
    explicit MainMenuBar(MenuCommands& commands);
    ~MainMenuBar() override;

    /** The flag is cleared by a press on the bar and by every menu command, and set by a release. */
    void mouseDown(const juce::MouseEvent& e) override;
    void mouseUp(const juce::MouseEvent& e) override;
    bool isMenuOpen() const { return menuOpen; }

    MainMenuModel& menuModel() { return *current; }

    /** A fresh model takes the old one's place. The old one is released later, once none of its commands
        runs any more, so a command may call this. */
    void replaceModel();
    /** What a refresh with menu rebuild does: replaceModel unless the menu-open flag is set. True when
        replaced. */
    bool replaceModelUnlessOpen();

private:
    void handleAsyncUpdate() override;

    MenuCommands& commands;
    std::unique_ptr<MainMenuModel> current;
    std::vector<std::unique_ptr<MainMenuModel>> retired;
    bool menuOpen = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(MainMenuBar)
};
} // namespace NsStrata

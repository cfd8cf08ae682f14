#pragma once
// What the File and Setting menus do: project files, the about box, the firmware version, quitting, the
// interface language and the factory jingles. The main screen lends what only it has through MenuScreen.
#include <juce_gui_basics/juce_gui_basics.h>

namespace NsStrata
{
class JingleLibrary;

/** What the menu commands need of the main screen. */
class MenuScreen
{
public:
    virtual ~MenuScreen() = default;
    /** Binds the mixer panel to model node modelId and mode (the sending gate is closed meanwhile). */
    virtual void rebindPanel(int modelId, int mode) = 0;
    /** The screen's refreshFromState. */
    virtual void refreshFromState(bool rebuildMenus) = 0;
    /** Puts a fresh menu model on the menu bar (MainMenuBar::replaceModel) and repaints the screen. */
    virtual void replaceMenuModel() = 0;
    /** Ends the program (the application's quit). */
    virtual void quit() = 0;
    /** The jingle library the pads show. */
    virtual JingleLibrary& jingleLibrary() = 0;
};

/** The top-level menus and their item ids. */
namespace MenuIndex
{
enum : int
{
    file = 0,
    setting = 1
};
}
namespace MenuItem
{
enum : int
{
    saveProject = 1, // File
    loadProject = 2,
    about = 3,
    checkForUpdate = 4,
    quit = 5,
    english = 1, // Setting > Language: language + 1
    chinese = 2,
    resetJingles = 8 // Setting > Reset
};
}

class MenuCommands
{
public:
    explicit MenuCommands(MenuScreen& screen);

    /** Runs item itemId of menu menuIndex. menuLook draws the about box. After any Setting item (one this
        does not know included) the screen gets a fresh menu model, so ticks and texts follow. */
    void run(int menuIndex, int itemId, juce::LookAndFeel* menuLook);

    /** Asks for a file and writes the state tree into it; an existing file is replaced without asking. */
    void saveProject();
    /** Asks for a file, reads it into the state tree and the device, and refreshes the screen. */
    void loadProject();
    void showAbout(juce::LookAndFeel* menuLook);
    /** The DSP firmware version the device reported, or the link's status text while there is none. */
    void checkForUpdate();
    /** Switches the language (Language::english or Language::chinese) and stores and sends it in the selected
        model's settings, even when it was the language already. */
    void chooseLanguage(int language);
    /** The jingle library back to the factory set, unless it may not change now (then says why). */
    void resetJingles();

private:
    MenuScreen& screen;

    JUCE_DECLARE_WEAK_REFERENCEABLE(MenuCommands)
};
} // namespace NsStrata

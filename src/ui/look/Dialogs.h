#pragma once
// How the screen shows message boxes, popup menus and modal boxes. One process-wide instance; tests put in
// their own, so that nothing waits on a native window.
#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

namespace NsStrata
{
class Dialogs
{
public:
    virtual ~Dialogs() = default;

    /** A non-blocking message box with an empty title, no symbol and the default button. */
    virtual void showMessage(const juce::String& text) = 0;
    /** The same box with the information symbol, as the jingle library's messages have. */
    virtual void showInformation(const juce::String& text) { showMessage(text); }

    /** Shows menu at target, asynchronously, drawn with lookAndFeel (the default one when null). onChosen
        gets the chosen item id, or 0 when the menu was dismissed. */
    virtual void showMenu(const juce::PopupMenu& menu, juce::Component& target,
                          juce::LookAndFeel* lookAndFeel, std::function<void(int)> onChosen) = 0;

    /** A modal box with no symbol and one button (result 1, no shortcut keys); returns when it is closed. */
    virtual int runModalBox(const juce::String& title, const juce::String& message,
                            const juce::String& buttonText, juce::LookAndFeel* lookAndFeel) = 0;

    /** The platform's file chooser for one file to open or to save (no warning about overwriting), modal;
        a File that does not exist as a path (juce::File()) when the user cancels. */
    virtual juce::File chooseFileToOpen(const juce::String& title, const juce::String& pattern) = 0;
    virtual juce::File chooseFileToSave(const juce::String& title, const juce::String& pattern) = 0;

    /** A modal box with one text field (fieldId, pre-filled with text) and the two buttons; true and the
        field's text in text when it ends with the first button. */
    virtual bool askText(const juce::String& title, const juce::String& fieldId, juce::String& text,
                         const juce::String& okText, const juce::String& cancelText,
                         juce::LookAndFeel* lookAndFeel) = 0;
};

/** The process-wide dialogs: the platform's own unless replaced. */
Dialogs& dialogs();
/** Replaces the dialogs (null: back to the platform's own). The replacement must outlive its use. */
void setDialogs(Dialogs* replacement);
} // namespace NsStrata

#include "Dialogs.h"

#include "AppFont.h"

namespace NsStrata
{
namespace
{
class PlatformDialogs : public Dialogs
{
public:
    void showMessage(const juce::String& text) override
    {
        juce::AlertWindow::showMessageBoxAsync(juce::MessageBoxIconType::NoIcon, {}, text);
    }

    void showInformation(const juce::String& text) override
    {
        juce::AlertWindow::showMessageBoxAsync(juce::MessageBoxIconType::InfoIcon, {}, text);
    }

    void showMenu(const juce::PopupMenu& menu, juce::Component& target, juce::LookAndFeel* lookAndFeel,
                  std::function<void(int)> onChosen) override
    {
        auto shown = menu;
        shown.setLookAndFeel(lookAndFeel);
        shown.showMenuAsync(juce::PopupMenu::Options().withTargetComponent(&target),
                            [onChosen = std::move(onChosen)](int result)
                            {
                                if (onChosen)
                                    onChosen(result);
                            });
    }

    int runModalBox(const juce::String& title, const juce::String& message, const juce::String& buttonText,
                    juce::LookAndFeel* lookAndFeel) override
    {
#if JUCE_MODAL_LOOPS_PERMITTED
        juce::AlertWindow box(title, message, juce::MessageBoxIconType::NoIcon, nullptr);
        if (lookAndFeel != nullptr)
            box.setLookAndFeel(lookAndFeel);
        box.addButton(buttonText, 1);
        const int result = box.runModalLoop();
        box.setLookAndFeel(nullptr);
        return result;
#else
        juce::ignoreUnused(title, message, buttonText, lookAndFeel);
        return 0;
#endif
    }

    juce::File chooseFileToOpen(const juce::String& title, const juce::String& pattern) override
    {
#if JUCE_MODAL_LOOPS_PERMITTED
        juce::FileChooser chooser(title, {}, pattern);
        return chooser.browseForFileToOpen() ? chooser.getResult() : juce::File();
#else
        juce::ignoreUnused(title, pattern);
        return {};
#endif
    }

    juce::File chooseFileToSave(const juce::String& title, const juce::String& pattern) override
    {
#if JUCE_MODAL_LOOPS_PERMITTED
        juce::FileChooser chooser(title, {}, pattern);
        return chooser.browseForFileToSave(false) ? chooser.getResult() : juce::File();
#else
        juce::ignoreUnused(title, pattern);
        return {};
#endif
    }

    bool askText(const juce::String& title, const juce::String& fieldId, juce::String& text,
                 const juce::String& okText, const juce::String& cancelText,
                 juce::LookAndFeel* lookAndFeel) override
    {
#if JUCE_MODAL_LOOPS_PERMITTED
        juce::AlertWindow box(title, {}, juce::MessageBoxIconType::NoIcon, nullptr);
        if (lookAndFeel != nullptr)
            box.setLookAndFeel(lookAndFeel);
        box.addTextEditor(fieldId, text);
        if (auto* field = box.getTextEditor(fieldId))
            field->applyFontToAllText(appFont(12.0f));
        // Return confirms the name typed, Escape leaves it, as in any text box.
        box.addButton(okText, 1, juce::KeyPress(juce::KeyPress::returnKey));
        box.addButton(cancelText, 2, juce::KeyPress(juce::KeyPress::escapeKey));
        const bool ok = box.runModalLoop() == 1;
        if (ok)
            text = box.getTextEditorContents(fieldId);
        box.setLookAndFeel(nullptr);
        return ok;
#else
        juce::ignoreUnused(title, fieldId, text, okText, cancelText, lookAndFeel);
        return false;
#endif
    }
};

Dialogs*& replacement()
{
    static Dialogs* current = nullptr;
    return current;
}
} // namespace

Dialogs& dialogs()
{
    static PlatformDialogs platform;
    return replacement() != nullptr ? *replacement() : platform;
}

void setDialogs(Dialogs* newDialogs)
{
    replacement() = newDialogs;
}
} // namespace NsStrata

#pragma once
// The jingle menu's actions on screen: the file chooser and "Load OK!", the rename box, and "Send jingle"
// with its progress window and result message. Dialogs go through the replaceable Dialogs, so tests never
// wait on a native window.
#include "SendProgress.h"
#include "jingles/JingleLibrary.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

class RadezOvu;

namespace NsStrata
{
class JingleActions
{
public:
    /** The progress window appears over owner. */
    explicit JingleActions(juce::Component& owner);
    ~JingleActions();

    void setLibrary(JingleLibrary* library);
    void setRoot(RadezOvu* root) { dspRoot = root; }
    RadezOvu* root() const { return dspRoot; }
    /** Popups and the rename box are drawn with this look. */
    void setLook(juce::LookAndFeel* look) { lookAndFeel = look; }

    /** "Load jingle..": the chooser, then the load; "Load OK!" or the refusal. A cancelled chooser does
        nothing. */
    void chooseAndLoad(int slot);
    /** "Rename..": the rename box pre-filled with the jingle's name; an empty name changes nothing. */
    void rename(int slot);
    /** "Send jingle": the slot's stored file into its flash range, with the progress window meanwhile and
        the result afterwards. Runs the message loop while it waits; returns whether the transfer worked. */
    bool send(int slot);

    /** The progress window while a transfer runs; null otherwise. */
    SendProgress* progressWindow() const { return progress.get(); }

    /** The message shown after a transfer. */
    static juce::String sendResultMessage(bool ok, const juce::String& why);

private:
    /** True when the slot may take a load or a rename now; otherwise says why. */
    bool slotMayChange(int slot) const;

    juce::Component& owner;
    juce::WeakReference<JingleLibrary> library;
    RadezOvu* dspRoot = nullptr;
    juce::LookAndFeel* lookAndFeel = nullptr;
    std::unique_ptr<SendProgress> progress;

    JUCE_DECLARE_WEAK_REFERENCEABLE(JingleActions)
    JUCE_DECLARE_NON_COPYABLE(JingleActions)
};
} // namespace NsStrata

#include "JingleActions.h"

#include "jingles/JingleTransfer.h"
#include "ui/look/Dialogs.h"

namespace NsStrata
{
JingleActions::JingleActions(juce::Component& c) : owner(c) {}

JingleActions::~JingleActions() = default;

void JingleActions::setLibrary(JingleLibrary* newLibrary)
{
    library = newLibrary;
}

bool JingleActions::slotMayChange(int slot) const
{
    // Asked before any box opens: nobody should pick a file only to hear that the slot is busy.
    if (library == nullptr)
        return false;
    const auto free = library->checkCanChange(slot);
    if (free.failed())
        dialogs().showInformation(free.getErrorMessage());
    return free.wasOk();
}

void JingleActions::chooseAndLoad(int slot)
{
    if (!slotMayChange(slot))
        return;
    const auto file = dialogs().chooseFileToOpen("Load jingle", "*.mp3");
    if (file == juce::File() || library == nullptr)
        return;
    const auto result = library->loadJingleFile(slot, file);
    dialogs().showInformation(result.wasOk() ? TRANS("Load OK") + "!" : result.getErrorMessage());
}

void JingleActions::rename(int slot)
{
    if (!slotMayChange(slot))
        return;
    auto text = library->name(slot);
    if (!dialogs().askText(TRANS("Rename for jingle") + " " + juce::String(slot), "jingleName", text,
                           TRANS("OK"), TRANS("Cancel"), lookAndFeel))
        return;
    // The box ran a modal loop: the library may have gone meanwhile.
    if (library == nullptr || text.trim().isEmpty())
        return;
    const auto result = library->renameJingle(slot, text.trim());
    if (result.failed())
        dialogs().showInformation(result.getErrorMessage());
}

juce::String JingleActions::sendResultMessage(bool ok, const juce::String& why)
{
    return ok || why.isEmpty() ? sendJingleResultText(ok) : sendJingleResultText(ok) + "\n" + why;
}

bool JingleActions::send(int slot)
{
    // The check at start may still be renaming the slot's stored file.
    if (library != nullptr)
        if (const auto free = library->checkCanSend(slot); free.failed())
        {
            dialogs().showInformation(free.getErrorMessage());
            return false;
        }
    const juce::File file = library != nullptr ? library->storedFile(slot) : juce::File();
    const juce::WeakReference<JingleActions> self(this);

    // The root stays alive for the whole transfer, even when the screen that owns it goes meanwhile.
    auto root = retainRef(dspRoot);
    const bool alreadyRunning = isJingleTransferRunning();
    if (!alreadyRunning)
    {
        progress =
            std::make_unique<SendProgress>(slot, library != nullptr ? library->name(slot) : juce::String());
        progress->setAlwaysOnTop(true);
        owner.addAndMakeVisible(*progress);
        progress->placeInParent();
    }

    // The USB exchanges block for as long as the device takes: they run on a thread of their own while the
    // message loop keeps the window alive and the bar moving.
    const auto result = sendJingleOnItsOwnThread(root.get(), slot, file,
                                                 [self](int64_t written, int64_t total)
                                                 {
                                                     if (self != nullptr && self->progress != nullptr)
                                                         self->progress->setProgress(written, total);
                                                 });
    if (self == nullptr)
        return result.ok;
    if (!alreadyRunning)
        progress.reset();
    dialogs().showMessage(sendResultMessage(result.ok, result.text()));
    return result.ok;
}
} // namespace NsStrata

#include "MenuCommands.h"

#include "config/HostImportLink.h"
#include "config/ProjectFile.h"
#include "device/Host.h"
#include "device/LinkFlags.h"
#include "device/LinkTexts.h"
#include "device/OutgoingQueue.h"
#include "device/PortNames.h"
#include "jingles/JingleLibrary.h"
#include "model/Catalogue.h"
#include "model/Models.h"
#include "model/StateTree.h"
#include "ui/look/AboutBox.h"
#include "ui/look/Dialogs.h"
#include "ui/look/Language.h"

namespace NsStrata
{
namespace
{
const char* const projectPattern = "*.strata";
}

MenuCommands::MenuCommands(MenuScreen& s) : screen(s) {}

void MenuCommands::run(int menuIndex, int itemId, juce::LookAndFeel* menuLook)
{
    if (menuIndex == MenuIndex::file)
    {
        switch (itemId)
        {
        case MenuItem::saveProject:
            saveProject();
            break;
        case MenuItem::loadProject:
            loadProject();
            break;
        case MenuItem::about:
            showAbout(menuLook);
            break;
        case MenuItem::checkForUpdate:
            checkForUpdate();
            break;
        case MenuItem::quit:
            screen.quit();
            break;
        default:
            break;
        }
    }
    else if (menuIndex == MenuIndex::setting)
    {
        if (itemId == MenuItem::english || itemId == MenuItem::chinese)
            chooseLanguage(itemId - 1);
        else if (itemId == MenuItem::resetJingles)
            resetJingles();
        screen.replaceMenuModel();
    }
}

void MenuCommands::saveProject()
{
    const auto file = dialogs().chooseFileToSave(TRANS("Save Settings"), projectPattern);
    if (file == juce::File())
        return;
    const auto result = exportConfiguration(Host::getInstance()->state(), file);
    dialogs().showMessage(result.wasOk() ? TRANS("Save settings succeeded") + "!"
                                         : "Error: " + result.getErrorMessage());
}

void MenuCommands::loadProject()
{
    const auto file = dialogs().chooseFileToOpen(TRANS("Load Settings"), projectPattern);
    if (file == juce::File())
        return;
    // Writing the modes into the device runs the message loop, where a close may take the screen away.
    const juce::WeakReference<MenuCommands> self(this);
    HostImportLink link(
        [self](int modelId, int mode)
        {
            if (self != nullptr)
                self->screen.rebindPanel(modelId, mode);
        });
    const auto result = importConfiguration(Host::getInstance()->state(), file, &link);
    if (self == nullptr)
        return;

    // What the screen shows now came from the file: nothing of it goes back to the device.
    auto& gate = linkFlags().sendingGate;
    const bool wasOpen = gate;
    gate = false;
    screen.rebindPanel(selectedModelId(), selection().currentMode);
    screen.refreshFromState(true);
    gate = wasOpen;

    dialogs().showMessage(result.wasOk() ? TRANS("Load settings succeeded") + "!"
                                         : "Error: " + result.getErrorMessage());
}

void MenuCommands::showAbout(juce::LookAndFeel* menuLook)
{
    showAboutBox(AboutVariant::menu, menuLook);
}

void MenuCommands::checkForUpdate()
{
    auto& texts = linkTexts();
    if (texts.firmwareVersion.isNotEmpty())
    {
        dialogs().showMessage("The current DSP firmware version of " +
                              modelNameForId(selection().selectedModel) + " is: " + texts.firmwareVersion);
        return;
    }
    // Before the screen has set the link's texts there is no status yet; an empty box would say nothing.
    if (texts.statusText.isEmpty())
        updateLinkTexts();
    dialogs().showMessage(texts.statusText);
}

void MenuCommands::chooseLanguage(int language)
{
    setLanguage(language);
    auto& state = Host::getInstance()->state();
    auto node = childWithId(childWithId(childWithId(state, selectedModelId()), modeIndependentGroup),
                            ParamId::language);
    if (!node.isValid())
        return;
    node.setProperty(Prop::value, isChineseInterface() ? 1 : 0, nullptr);
    queueEntry(node, true, true);
}

void MenuCommands::resetJingles()
{
    auto& library = screen.jingleLibrary();
    const auto free = library.checkCanChange();
    if (free.failed())
        dialogs().showInformation(free.getErrorMessage());
    else
        library.rebuildJingleLibrary(true);
}
} // namespace NsStrata

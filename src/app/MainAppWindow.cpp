#include "MainAppWindow.h"

#include "MainWindowContent.h"

namespace NsStrata
{
using MainAppWindow = StrataApplication::MainAppWindow;

static juce::Colour defaultBackground()
{
    return juce::Desktop::getInstance().getDefaultLookAndFeel().findColour(
        juce::ResizableWindow::backgroundColourId);
}

MainAppWindow::MainAppWindow(const juce::String& title, Actions actionsToUse)
    : juce::DocumentWindow(title, defaultBackground(), juce::DocumentWindow::allButtons, false),
      actions(std::move(actionsToUse))
{
    setUsingNativeTitleBar(true);
    setTitleBarButtonsRequired(juce::DocumentWindow::allButtons, false);
    setResizable(true, false);
    setResizeLimits(minimumWidth, minimumHeight, maximumWidth, maximumHeight);

    juce::Rectangle<int> parent(0, 0, defaultWidth, defaultHeight);
    if (auto* display = juce::Desktop::getInstance().getDisplays().getPrimaryDisplay())
        parent = display->userArea;
    setBounds(parent.getX() + juce::roundToInt((parent.getWidth() - defaultWidth) * 0.5),
              parent.getY() + juce::roundToInt((parent.getHeight() - defaultHeight) * 0.5), defaultWidth,
              defaultHeight);

    auto shell = std::make_unique<MainWindowContent>();
    if (shell->getMainScreen() == nullptr)
        return;
    setContentOwned(shell.release(), false);
    addToDesktop();
    setVisible(true);
    ready = true;
}

MainAppWindow::~MainAppWindow() = default;

void MainAppWindow::bringToFront()
{
    if (isMinimised())
        setMinimised(false);
    // Shown before it is raised: a hidden window cannot take the keyboard focus.
    setVisible(true);
    toFront(true);
}

void MainAppWindow::closeButtonPressed()
{
    tearDownContent();
    if (actions.stopMessageLoop)
        actions.stopMessageLoop();
    if (actions.systemRequestedQuit)
        actions.systemRequestedQuit();
}

bool MainAppWindow::keyPressed(const juce::KeyPress& key)
{
    if (isQuitKey(key))
    {
        tearDownContent();
        if (actions.stopMessageLoop)
            actions.stopMessageLoop();
    }
    return juce::DocumentWindow::keyPressed(key);
}

bool MainAppWindow::isQuitKey(const juce::KeyPress& key)
{
    const auto modifiers = key.getModifiers().withoutMouseButtons();
    return modifiers == juce::ModifierKeys(juce::ModifierKeys::ctrlModifier) &&
           juce::CharacterFunctions::toUpperCase((juce::juce_wchar) key.getKeyCode()) == 'Q';
}

void MainAppWindow::tearDownContent()
{
    // Once only: afterwards the window owns no content, so deleting it writes nothing more.
    if (getContentComponent() != nullptr)
        clearContentComponent();
}
} // namespace NsStrata

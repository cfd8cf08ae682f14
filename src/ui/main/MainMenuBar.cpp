#include "MainMenuBar.h"

#include <algorithm>

namespace NsStrata
{
MainMenuBar::MainMenuBar(MenuCommands& c) : commands(c)
{
    replaceModel();
}

MainMenuBar::~MainMenuBar()
{
    cancelPendingUpdate();
    setModel(nullptr);
}

void MainMenuBar::mouseDown(const juce::MouseEvent& e)
{
    menuOpen = false;
    juce::MenuBarComponent::mouseDown(e);
}

void MainMenuBar::mouseUp(const juce::MouseEvent& e)
{
    menuOpen = true;
    juce::MenuBarComponent::mouseUp(e);
}

void MainMenuBar::replaceModel()
{
    auto fresh = std::make_unique<MainMenuModel>(commands);
    fresh->onCommandStarting = [this] { menuOpen = false; };
    fresh->onCommandFinished = [this] { triggerAsyncUpdate(); };
    setModel(fresh.get());
    if (current != nullptr)
        retired.push_back(std::move(current));
    current = std::move(fresh);
    triggerAsyncUpdate();
}

bool MainMenuBar::replaceModelUnlessOpen()
{
    if (menuOpen)
        return false;
    replaceModel();
    return true;
}

void MainMenuBar::handleAsyncUpdate()
{
    // A model whose command still runs (its command may be waiting in the message loop) is kept; it asks
    // again when the command returns.
    retired.erase(std::remove_if(retired.begin(), retired.end(),
                                 [](const auto& old) { return !old->isRunningCommand(); }),
                  retired.end());
}
} // namespace NsStrata

#include "PageTabs.h"

#include "ui/look/ScreenState.h"

namespace NsStrata
{
PageTabs::PageTabs(juce::TabbedButtonBar::Orientation orientation) : juce::TabbedComponent(orientation) {}

void PageTabs::currentTabChanged(int newCurrentTabIndex, const juce::String&)
{
    last = newCurrentTabIndex;
    screenState().currentPage = newCurrentTabIndex;
    if (auto* parent = getParentComponent())
        parent->repaint();
}
} // namespace NsStrata

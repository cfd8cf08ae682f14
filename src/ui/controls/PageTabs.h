#pragma once
// The main screen's page container: publishes the page it shows as the process-wide current page.
#include <juce_gui_basics/juce_gui_basics.h>

namespace NsStrata
{
class PageTabs : public juce::TabbedComponent
{
public:
    explicit PageTabs(juce::TabbedButtonBar::Orientation orientation = juce::TabbedButtonBar::TabsAtTop);

    /** The page last made current; -1 before the first. */
    int lastPage() const { return last; }

    void currentTabChanged(int newCurrentTabIndex, const juce::String& newCurrentTabName) override;

private:
    int last = -1;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(PageTabs)
};
} // namespace NsStrata

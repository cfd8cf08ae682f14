// JUCE sets up Xlib threading and its X error handlers only in a standalone application; without them an
// error the program shrugs off (such as a window-manager atom missing on a bare Xvfb) ends the process.
// The GUI tests create windows as the application does, so they count as standalone too.
#include <juce_events/juce_events.h>

namespace
{
juce::JUCEApplicationBase* noApplication()
{
    return nullptr;
}

[[maybe_unused]] const bool countsAsStandalone = []
{
    juce::JUCEApplicationBase::createInstance = &noApplication;
    return true;
}();
} // namespace

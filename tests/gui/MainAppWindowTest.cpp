// The main window in this process: its size rules and content, the quit keys, the close button, and the
// settings file written exactly once whichever way the window goes.
#include "app/MainAppWindow.h"
#include "app/MainWindowContent.h"
#include "device/Host.h"
#include "store/AppFolders.h"
#include "ui/main/MainScreen.h"

#include <gtest/gtest.h>

using namespace NsStrata;
using Window = StrataApplication::MainAppWindow;

namespace
{
struct Recorder
{
    juce::StringArray calls;

    Window::Actions actions()
    {
        Window::Actions result;
        result.stopMessageLoop = [this] { calls.add("stopMessageLoop"); };
        result.systemRequestedQuit = [this] { calls.add("systemRequestedQuit"); };
        return result;
    }
};

juce::File settingsFile()
{
    return AppFolders::settingsFile();
}

int storedStateKeys()
{
    const auto xml = juce::parseXML(settingsFile());
    if (xml == nullptr)
        return 0;
    int count = 0;
    for (auto* value : xml->getChildWithTagNameIterator("VALUE"))
        count +=
            value->getStringAttribute("name") == "state" && value->getFirstChildElement() != nullptr ? 1 : 0;
    return count;
}

// The settings file is only rewritten when the tree differs from what it last wrote, so each check of a
// write first changes the tree.
void touchState()
{
    static int stamp = 0;
    Host::getInstance()->state().setProperty("testStamp", ++stamp, nullptr);
}

bool pumpUntil(const std::function<bool()>& condition)
{
    for (int i = 0; i < 100 && !condition(); ++i)
        juce::MessageManager::getInstance()->runDispatchLoopUntil(50);
    return condition();
}

class MainAppWindowTest : public ::testing::Test
{
protected:
    void SetUp() override { settingsFile().deleteFile(); }

    Recorder recorder;
};
} // namespace

TEST_F(MainAppWindowTest, OpensCentredAtItsSizeWithTheMainScreenFillingIt)
{
    Window window("Strata", recorder.actions());
    ASSERT_TRUE(window.isReady());
    EXPECT_EQ(window.getName(), "Strata");
    EXPECT_TRUE(window.isOnDesktop());
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(window.isUsingNativeTitleBar());
    EXPECT_TRUE(window.isResizable());
    for (auto* child : window.getChildren())
        EXPECT_EQ(dynamic_cast<juce::ResizableCornerComponent*>(child), nullptr) << "no corner resizer";

    const auto area = juce::Desktop::getInstance().getDisplays().getPrimaryDisplay()->userArea;
    EXPECT_EQ(window.getBounds().getWidth(), 1070);
    EXPECT_EQ(window.getBounds().getHeight(), 687);
    EXPECT_NEAR(window.getX() - area.getX(), (area.getWidth() - 1070) / 2.0, 0.5);
    EXPECT_NEAR(window.getY() - area.getY(), (area.getHeight() - 687) / 2.0, 0.5);

    auto* shell = dynamic_cast<MainWindowContent*>(window.getContentComponent());
    ASSERT_NE(shell, nullptr);
    ASSERT_NE(shell->getMainScreen(), nullptr);
    EXPECT_EQ(shell->getBounds(), window.getLocalBounds()) << "the window is not resized to its content";
    EXPECT_EQ(shell->getMainScreen()->getScreenBounds(), shell->getScreenBounds());
    EXPECT_TRUE(shell->getMainScreen()->isShowing());
    EXPECT_FALSE(settingsFile().exists()) << "nothing is written while the window is open";
}

TEST_F(MainAppWindowTest, DraggingStaysWithinTheSizeLimitsAndTheScreenKeepsItsProportionOnTheDisplay)
{
    Window window("Strata", recorder.actions());
    // Wider than the display: the screen takes the full usable height in its design proportion, centred.
    const auto user = juce::Desktop::getInstance().getDisplays().getPrimaryDisplay()->userArea;
    const int fullHeight = user.getHeight() - 32;
    const int fullWidth = juce::roundToInt(1069.0 * fullHeight / 691.0);
    const struct
    {
        const char* what;
        juce::Rectangle<int> asked, expectedSize;
    } cases[] = {
        {"smaller than the minimum", {100, 100, 200, 100}, {0, 0, 856, 578}},
        {"larger than the maximum, so wider than the display",
         {0, 0, 9000, 6000},
         {0, 0, fullWidth, fullHeight}},
        {"within the limits", {50, 40, 900, 600}, {0, 0, 900, 600}},
    };
    for (auto& c : cases)
    {
        window.setBoundsConstrained(c.asked);
        EXPECT_EQ(window.getWidth(), c.expectedSize.getWidth()) << c.what;
        EXPECT_EQ(window.getHeight(), c.expectedSize.getHeight()) << c.what;
    }
    window.setBoundsConstrained({0, 0, 9000, 6000});
    EXPECT_EQ(window.getBounds().getCentre(), user.getCentre());
}

TEST_F(MainAppWindowTest, OnlyCtrlQWithNoOtherModifierQuits)
{
    using juce::ModifierKeys;
    const struct
    {
        const char* what;
        juce::KeyPress key;
        bool quits;
    } cases[] = {
        {"Ctrl+Q", juce::KeyPress('q', ModifierKeys::ctrlModifier, 0), true},
        {"Ctrl+Q as an upper-case code", juce::KeyPress('Q', ModifierKeys::ctrlModifier, 0), true},
        {"Ctrl+Shift+Q", juce::KeyPress('q', ModifierKeys::ctrlModifier | ModifierKeys::shiftModifier, 0),
         false},
        {"Ctrl+Alt+Q", juce::KeyPress('q', ModifierKeys::ctrlModifier | ModifierKeys::altModifier, 0), false},
        {"Q", juce::KeyPress('q', ModifierKeys::noModifiers, 0), false},
        {"Alt+Q", juce::KeyPress('q', ModifierKeys::altModifier, 0), false},
        {"Ctrl+W", juce::KeyPress('w', ModifierKeys::ctrlModifier, 0), false},
    };
    for (auto& c : cases)
    {
        settingsFile().deleteFile();
        Recorder calls;
        Window window("Strata", calls.actions());
        touchState();
        EXPECT_FALSE(window.keyPressed(c.key)) << c.what << ": the key is never consumed";
        EXPECT_EQ(window.getContentComponent() == nullptr, c.quits) << c.what;
        EXPECT_EQ(calls.calls, c.quits ? juce::StringArray{"stopMessageLoop"} : juce::StringArray{})
            << c.what;
        EXPECT_EQ(storedStateKeys(), c.quits ? 1 : 0) << c.what;
    }
}

TEST_F(MainAppWindowTest, EveryWayOutWritesTheSettingsExactlyOnce)
{
    const struct
    {
        const char* what;
        std::function<void(Window&)> close;
        juce::StringArray expectedCalls;
    } cases[] = {
        {"close button",
         [](Window& w) { w.closeButtonPressed(); },
         {"stopMessageLoop", "systemRequestedQuit"}},
        {"Ctrl+Q",
         [](Window& w) { w.keyPressed(juce::KeyPress('q', juce::ModifierKeys::ctrlModifier, 0)); },
         {"stopMessageLoop"}},
    };
    for (auto& c : cases)
    {
        settingsFile().deleteFile();
        Recorder calls;
        auto window = std::make_unique<Window>("Strata", calls.actions());
        touchState();
        c.close(*window);
        EXPECT_EQ(calls.calls, c.expectedCalls) << c.what;
        EXPECT_EQ(window->getContentComponent(), nullptr) << c.what;
        EXPECT_EQ(storedStateKeys(), 1) << c.what;

        // Pressed again while the loop winds down, then the application deletes the window: nothing more
        // is written.
        settingsFile().deleteFile();
        touchState();
        c.close(*window);
        window.reset();
        EXPECT_FALSE(settingsFile().exists()) << c.what << ": the content was torn down twice";
    }

    // The operating system's quit request deletes the window with its content still in it.
    settingsFile().deleteFile();
    auto window = std::make_unique<Window>("Strata", recorder.actions());
    touchState();
    window.reset();
    EXPECT_EQ(storedStateKeys(), 1);
    EXPECT_TRUE(recorder.calls.isEmpty());
}

TEST_F(MainAppWindowTest, BringToFrontTakesTheFocusFromOtherWindowsAndShowsAHiddenWindow)
{
    const auto focused = [](juce::Component& c)
    { return c.getPeer() != nullptr && c.getPeer()->isFocused(); };

    Window window("Strata", recorder.actions());
    juce::DocumentWindow other("Other", juce::Colours::black, juce::DocumentWindow::allButtons, true);
    other.setBounds(window.getBounds());
    other.setVisible(true);
    other.toFront(true);
    ASSERT_TRUE(pumpUntil([&] { return focused(other); }));

    window.bringToFront();
    EXPECT_TRUE(pumpUntil([&] { return focused(window); })) << "the window did not take the keyboard focus";

    window.setVisible(false);
    other.toFront(true);
    ASSERT_TRUE(pumpUntil([&] { return focused(other); }));
    window.bringToFront();
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(pumpUntil([&] { return focused(window); }))
        << "the hidden window did not take the keyboard focus";
}

// Closing Strata while the device link is in the middle of its work: the flush of six queued messages (which
// starts as soon as they are queued), the port scan of a poll tick, a jingle being sent into the DSP, and the
// mode blocks of a project load or a preset restore all run the message loop, and the close (close button,
// Ctrl+Q or the system's request to end) arrives there.
// Nothing may be used after the teardown, and no port opened nor message sent after the close; the close
// leaves no port open and no thread running, and writes the settings once. Each case runs
// the real application against the virtual mixer in a child process of its own, since a close ends the
// message loop for good.
#include "app/MainAppWindow.h"
#include "app/MainWindowContent.h"
#include "app/StrataApplication.h"
#include "config/ProjectFile.h"
#include "device/Host.h"
#include "device/LinkFlags.h"
#include "device/OutgoingQueue.h"
#include "jingles/JingleTransfer.h"
#include "model/Catalogue.h"
#include "model/Models.h"
#include "model/StateTree.h"
#include "sim/VirtualMixer.h"
#include "ui/look/Dialogs.h"
#include "ui/main/MainScreen.h"

#include <csignal>
#include <cstdlib>
#include <gtest/gtest.h>
#include <iostream>

using namespace NsStrata;

namespace
{
enum class CloseWay
{
    closeButton,
    ctrlQ,
    terminateSignal,
};

enum class Moment
{
    flush, // after the third of six queued messages
    scan,  // between the two scans of a reconnection
    send,  // while the first pages of a jingle go into the DSP
    load,  // after the first mode block of a project load
    reset, // after the first mode block of a preset restore
};

/** Dialogs that show nothing and choose the project file the test wrote. */
class ChoosingDialogs : public Dialogs
{
public:
    juce::File project;
    void showMessage(const juce::String&) override {}
    void showMenu(const juce::PopupMenu&, juce::Component&, juce::LookAndFeel*,
                  std::function<void(int)>) override
    {
    }
    int runModalBox(const juce::String&, const juce::String&, const juce::String&,
                    juce::LookAndFeel*) override
    {
        return 1;
    }
    juce::File chooseFileToOpen(const juce::String&, const juce::String&) override { return project; }
    juce::File chooseFileToSave(const juce::String&, const juce::String&) override { return {}; }
    bool askText(const juce::String&, const juce::String&, juce::String&, const juce::String&,
                 const juce::String&, juce::LookAndFeel*) override
    {
        return false;
    }
};

struct Case
{
    const char* name;
    CloseWay way;
    Moment moment;
};

// Runs a step of the scenario every few milliseconds until it says it is done.
class Steps : private juce::Timer
{
public:
    explicit Steps(std::function<bool()> s) : step(std::move(s)) { startTimer(5); }
    ~Steps() override { stopTimer(); }

private:
    void timerCallback() override
    {
        if (step())
            stopTimer();
    }
    std::function<bool()> step;
};

// Notices the moment the close takes effect: the window's content goes, or the window is hidden.
class CloseWatcher : private juce::ComponentListener
{
public:
    CloseWatcher(juce::Component& w, std::function<void()> onClose) : window(w), closed(std::move(onClose))
    {
        window.addComponentListener(this);
    }
    ~CloseWatcher() override { window.removeComponentListener(this); }

private:
    void componentChildrenChanged(juce::Component&) override { closed(); }
    void componentVisibilityChanged(juce::Component&) override { closed(); }

    juce::Component& window;
    std::function<void()> closed;
};

StrataApplication::MainAppWindow* findMainWindow()
{
    for (int i = 0; i < juce::TopLevelWindow::getNumTopLevelWindows(); ++i)
        if (auto* w =
                dynamic_cast<StrataApplication::MainAppWindow*>(juce::TopLevelWindow::getTopLevelWindow(i)))
            return w;
    return nullptr;
}

bool isEqMessage(const MidiBytes& bytes)
{
    const int address = addressOf(21);
    return bytes.size() == 10 && bytes[6] == (address >> 8) && bytes[7] == (address & 0x7F);
}

int fail(const juce::String& why)
{
    std::cerr << why << std::endl;
    return 1;
}

/** The names of this process's threads other than the calling one and the framework's timer thread, which
    belongs to the message loop and outlives the application. */
juce::StringArray otherThreads()
{
    juce::StringArray names;
    const auto self = juce::String((int) gettid());
    for (const auto& task : juce::File("/proc/self/task").findChildFiles(juce::File::findDirectories, false))
        if (const auto name = task.getChildFile("comm").loadFileAsString().trim();
            task.getFileName() != self && name != "JUCE Timer")
            names.add(name);
    return names;
}

// The child: the application as the framework runs it, closed at the chosen moment. 0 when all went well.
int closeDuringLinkWork(const Case& c)
{
    const auto threadsBefore = otherThreads();
    StrataApplication app;
    app.initialise("--virtual-device");
    const auto settingsFile = Host::getInstance()->settings().file();
    auto* window = findMainWindow();
    auto* mixer = dynamic_cast<VirtualMixer*>(&Host::getInstance()->portBackend());
    if (window == nullptr || mixer == nullptr)
        return fail("the application did not start on the virtual mixer");
    bool closed = false, sendingAtClose = false;
    auto watcher = std::make_unique<CloseWatcher>(*window,
                                                  [&]
                                                  {
                                                      if (!closed)
                                                          sendingAtClose = isJingleTransferRunning();
                                                      closed = true;
                                                  });

    const auto close = [&, window]
    {
        if (c.way == CloseWay::closeButton)
            window->closeButtonPressed();
        else
            window->keyPressed(juce::KeyPress('q', juce::ModifierKeys::ctrlModifier, 0));
    };
    // Called by the mixer inside the link's call (a send or a port opening), on the message thread: the close
    // is made to arrive in the message loop the link runs next.
    const auto closeInTheNextPause = [&]
    {
        if (c.way == CloseWay::terminateSignal)
            std::raise(SIGTERM);
        else
            juce::MessageManager::callAsync(close);
    };

    ChoosingDialogs choosing;
    choosing.project = juce::File::createTempFile(".strata");
    if (exportConfiguration(Host::getInstance()->state(), choosing.project).failed())
        return fail("no project to load");
    setDialogs(&choosing);

    int eqMessages = 0, openedAfterClose = 0, sentAfterClose = 0;
    bool armed = false;
    mixer->setProgramActionHook(
        [&](VirtualMixer::ProgramAction action)
        {
            const bool opened = action == VirtualMixer::ProgramAction::portOpened;
            if (closed)
            {
                (opened ? openedAfterClose : sentAfterClose) += 1;
                return;
            }
            if (!armed)
                return;
            const auto isModeBlock = [&] { return !opened && mixer->received().back().bytes.size() == 61; };
            const bool trigger =
                c.moment == Moment::scan ? opened
                : c.moment == Moment::load || c.moment == Moment::reset
                    ? isModeBlock()
                    : (!opened && isEqMessage(mixer->received().back().bytes) && ++eqMessages == 3);
            if (trigger)
            {
                armed = false;
                closeInTheNextPause();
            }
        });

    bool unplugged = false;
    auto scenario = std::make_unique<Steps>(
        [&]
        {
            const auto& flags = linkFlags();
            if (!unplugged &&
                !(flags.synchronised && flags.modeSelectorSent && outgoingQueue().getNumChildren() == 0))
                return false;
            if (c.moment == Moment::load || c.moment == Moment::reset)
            {
                auto* shell = dynamic_cast<MainWindowContent*>(window->getContentComponent());
                if (shell == nullptr || shell->getMainScreen() == nullptr)
                    return true;
                armed = true;
                if (c.moment == Moment::load)
                    shell->getMainScreen()->menuCommands().loadProject();
                else
                    shell->getMainScreen()->restorePreset();
                return true;
            }
            if (c.moment == Moment::send)
            {
                // The close waits in the queue; the transfer's first pause for the message loop lets it in.
                auto* shell = dynamic_cast<MainWindowContent*>(window->getContentComponent());
                if (shell == nullptr || shell->getMainScreen() == nullptr)
                    return true;
                auto& panel = shell->getMainScreen()->mixerPanel();
                closeInTheNextPause();
                panel.onJingleMenuItem(ButtonKind::jingleMenu, PanelMenu::sendJingle,
                                       &panel.jingleMenuButton(1));
                return true;
            }
            if (c.moment == Moment::flush)
            {
                auto eq = parameterNode(modelNode(Host::getInstance()->state(), selection().selectedModel),
                                        21, selection().currentMode);
                for (int dB = -3; dB < 3; ++dB)
                {
                    eq.setProperty(Prop::value, dB, nullptr);
                    queueEntry(eq, false, true);
                }
                armed = true;
                return true;
            }
            // A reconnection scans twice: the new connection's own scan, then the tick's.
            if (!unplugged)
            {
                mixer->unplug();
                unplugged = true;
                return false;
            }
            if (flags.linkUp)
                return false;
            armed = true;
            mixer->plugIn();
            return true;
        });

    bool timedOut = false;
    auto guard = std::make_unique<Steps>(
        [&, started = juce::Time::getMillisecondCounter()]
        {
            if (juce::Time::getMillisecondCounter() - started < 60000)
                return false;
            timedOut = true;
            juce::JUCEApplicationBase::quit();
            return true;
        });

    juce::MessageManager::getInstance()->runDispatchLoop();
    const bool closedInTheLoop = closed;
    scenario.reset();
    guard.reset();
    watcher.reset();
    closed = true;
    // The system's request to end leaves the content to the application's shutdown, which also deletes the
    // mixer: the content goes first here, so that what it leaves behind can be seen.
    if (window->getContentComponent() != nullptr)
        window->clearContentComponent();
    const auto errors = mixer->protocolErrors();
    const int portsOpenAfterClose = mixer->openPortCount();
    const auto settingsAfterClose = settingsFile.loadFileAsString();
    app.shutdown(); // the window goes, and with it the content if it is still there
    const bool settingsWrittenAgain = settingsFile.loadFileAsString() != settingsAfterClose;
    // Threads that end on their own (a transfer's, the library check's) get a moment to be gone.
    auto threadsLeft = otherThreads();
    for (int i = 0; i < 100 && threadsLeft.size() > threadsBefore.size(); ++i)
    {
        juce::Thread::sleep(20);
        threadsLeft = otherThreads();
    }
    setDialogs(nullptr);
    choosing.project.deleteFile();

    if (timedOut)
        return fail("the close never came");
    if (!closedInTheLoop)
        return fail("the loop ended without the close");
    if (c.moment == Moment::send && !sendingAtClose)
        return fail("the close came outside the transfer");
    if (openedAfterClose > 0 || sentAfterClose > 0)
        return fail("after the close the link opened " + juce::String(openedAfterClose) + " ports and sent " +
                    juce::String(sentAfterClose) + " messages");
    if (!errors.isEmpty())
        return fail("protocol errors:\n" + errors.joinIntoString("\n"));
    if (portsOpenAfterClose > 0)
        return fail(juce::String(portsOpenAfterClose) + " ports still open after the close");
    if (!settingsAfterClose.contains("name=\"state\""))
        return fail("the close did not save the settings into " + settingsFile.getFullPathName());
    if (settingsWrittenAgain)
        return fail("the settings were written again after the close");
    if (threadsLeft.size() > threadsBefore.size())
        return fail("threads left running: " + threadsLeft.joinIntoString(", ") +
                    " (before the start: " + threadsBefore.joinIntoString(", ") + ")");
    std::cerr << "closed cleanly" << std::endl;
    return 0;
}

void PrintTo(const Case& c, std::ostream* out)
{
    *out << c.name;
}

class CloseDuringLinkWork : public ::testing::TestWithParam<Case>
{
};
} // namespace

TEST_P(CloseDuringLinkWork, NothingIsUsedOpenedOrSentAfterTheClose)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(std::_Exit(closeDuringLinkWork(GetParam())), ::testing::ExitedWithCode(0), "closed cleanly");
}

INSTANTIATE_TEST_SUITE_P(
    EveryWayAndMoment, CloseDuringLinkWork,
    ::testing::Values(Case{"CloseButtonDuringFlush", CloseWay::closeButton, Moment::flush},
                      Case{"CtrlQDuringFlush", CloseWay::ctrlQ, Moment::flush},
                      Case{"TerminateDuringFlush", CloseWay::terminateSignal, Moment::flush},
                      Case{"CloseButtonDuringScan", CloseWay::closeButton, Moment::scan},
                      Case{"CtrlQDuringScan", CloseWay::ctrlQ, Moment::scan},
                      Case{"TerminateDuringScan", CloseWay::terminateSignal, Moment::scan},
                      Case{"CloseButtonDuringJingleSend", CloseWay::closeButton, Moment::send},
                      Case{"CtrlQDuringJingleSend", CloseWay::ctrlQ, Moment::send},
                      Case{"TerminateDuringJingleSend", CloseWay::terminateSignal, Moment::send},
                      Case{"CloseButtonDuringProjectLoad", CloseWay::closeButton, Moment::load},
                      Case{"CtrlQDuringProjectLoad", CloseWay::ctrlQ, Moment::load},
                      Case{"TerminateDuringProjectLoad", CloseWay::terminateSignal, Moment::load},
                      Case{"CloseButtonDuringPresetRestore", CloseWay::closeButton, Moment::reset},
                      Case{"CtrlQDuringPresetRestore", CloseWay::ctrlQ, Moment::reset}),
    [](const ::testing::TestParamInfo<Case>& param) { return std::string(param.param.name); });

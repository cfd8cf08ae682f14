// The jingles on the panel: names on the pads, the jingle menu with the chooser, the rename box and the
// drop checks, and "Send jingle" into the virtual DSP with its progress window and messages.
#include "PanelFixture.h"

#include "jingles/JingleSizes.h"
#include "jingles/JingleTransfer.h"
#include "sim/VirtualDspUsb.h"
#include "support/TestHome.h"

#include <condition_variable>
#include <filesystem>
#include <mutex>

using namespace NsStrata;

namespace
{
/** Calls back every few milliseconds on the message thread while it lives. */
class LambdaTimer : private juce::Timer
{
public:
    explicit LambdaTimer(std::function<void()> fn) : callback(std::move(fn)) { startTimer(5); }
    ~LambdaTimer() override { stopTimer(); }

private:
    void timerCallback() override { callback(); }
    std::function<void()> callback;
};

class PanelJingleTest : public PanelTest
{
protected:
    void SetUp() override
    {
        PanelTest::SetUp();
        jingleSizes().reset();
        base = StrataTest::freshFolder("panel-jingles");
        library = std::make_unique<JingleLibrary>(JingleFolders{
            base.getChildFile("library"), base.getChildFile("temp"), base.getChildFile("factory")});
        panel->setJingleLibrary(library.get());
    }

    void TearDown() override
    {
        panel->setJingleLibrary(nullptr);
        library.reset();
        jingleSizes().reset();
        base.deleteRecursively();
        PanelTest::TearDown();
    }

    /** A file of size bytes of repeatable content. */
    juce::File source(const juce::String& name, size_t size)
    {
        const auto file = base.getChildFile("sources").getChildFile(name);
        file.getParentDirectory().createDirectory();
        juce::MemoryBlock bytes(size);
        juce::Random random(size);
        for (size_t i = 0; i < size; ++i)
            bytes[i] = (char) random.nextInt(256);
        EXPECT_TRUE(file.replaceWithData(bytes.getData(), bytes.getSize()));
        return file;
    }

    /** Chooses an item of slot's jingle menu, as the menu button's popup would. */
    void menuItem(int slot, int item)
    {
        click(panel->jingleMenuButton(slot));
        ASSERT_FALSE(dialogs.menus.empty());
        ASSERT_EQ(dialogs.menus.back().target, &panel->jingleMenuButton(slot));
        dialogs.choose(item);
    }

    juce::File base;
    std::unique_ptr<JingleLibrary> library;
};
} // namespace

TEST_F(PanelJingleTest, TheMenuLoadsFromTheChooserAndPadsShowTheNames)
{
    click(panel->jingleMenuButton(2));
    const auto items = RecordingDialogs::itemsOf(dialogs.menus.back().menu);
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].id, PanelMenu::loadJingle);
    EXPECT_EQ(items[0].text, "Load jingle..");
    EXPECT_EQ(items[1].id, PanelMenu::renameJingle);
    EXPECT_EQ(items[1].text, "Rename..");
    EXPECT_EQ(items[2].id, PanelMenu::sendJingle);
    EXPECT_EQ(items[2].text, "Send jingle");

    // Cancelled: nothing happens.
    dialogs.nextChosenFile = juce::File();
    dialogs.choose(PanelMenu::loadJingle);
    EXPECT_EQ(dialogs.chooserTitles, juce::StringArray{"Load jingle *.mp3"});
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_EQ(library->name(2), "");

    dialogs.nextChosenFile = source("Cheer.mp3", 5000);
    menuItem(2, PanelMenu::loadJingle);
    EXPECT_EQ(dialogs.messages, juce::StringArray{"Load OK!"});
    EXPECT_EQ(panel->pad(2).getDisplayName(), "Cheer");
    EXPECT_EQ(jingleSizes().size(2), 8192);

    dialogs.nextChosenFile = source("cheer.wav", 5000);
    menuItem(3, PanelMenu::loadJingle);
    EXPECT_EQ(dialogs.messages[1], "WARNING: MP3 file please!");
    EXPECT_EQ(dialogs.informational, dialogs.messages)
        << "the library's messages carry the information symbol";
    EXPECT_EQ(panel->pad(3).getDisplayName(), "");

    // The button returns to rest after every item.
    panel->jingleMenuButton(3).setToggleState(true, juce::dontSendNotification);
    panel->onJingleMenuItem(ButtonKind::jingleMenu, 0, &panel->jingleMenuButton(3));
    EXPECT_FALSE(panel->jingleMenuButton(3).getToggleState());
    EXPECT_EQ(panel->jingleMenuButton(3).getState(), juce::Button::buttonNormal);

    // A library set later shows its names at once.
    MixerPanel other(false);
    other.setJingleLibrary(library.get());
    EXPECT_EQ(other.pad(2).getDisplayName(), "Cheer");
    other.setJingleLibrary(nullptr);
}

TEST_F(PanelJingleTest, DropsAreCheckedBeforeTheyLoad)
{
    const auto big = base.getChildFile("big.mp3");
    big.create();
    std::filesystem::resize_file(big.getFullPathName().toStdString(), 16000000); // sparse

    const struct
    {
        juce::StringArray paths;
        juce::String message;
    } cases[] = {
        {{}, "WARNING: You dragged 0 files in!"},
        {{source("a.mp3", 100).getFullPathName(), source("b.mp3", 100).getFullPathName()},
         "WARNING: Too many files! Only one file for once please."},
        {{big.getFullPathName()}, "WARNING: Your jingle file is larger than 15 MB, unable to import!"},
        {{source("c.txt", 100).getFullPathName()}, "WARNING: MP3 file please!"},
    };
    for (const auto& c : cases)
    {
        dialogs.messages.clear();
        panel->pad(4).filesDropped(c.paths, 5, 5);
        EXPECT_EQ(dialogs.messages, juce::StringArray{c.message});
        EXPECT_EQ(library->name(4), "");
    }

    dialogs.messages.clear();
    panel->pad(4).filesDropped({source("Bell.mp3", 4096).getFullPathName()}, 5, 5);
    EXPECT_TRUE(dialogs.messages.isEmpty()) << "no message after a drop that worked";
    EXPECT_EQ(panel->pad(4).getDisplayName(), "Bell");
}

TEST_F(PanelJingleTest, RenameAsksForTheNameAndIgnoresAnEmptyOne)
{
    ASSERT_TRUE(library->loadJingleFile(5, source("Horn.mp3", 3000)).wasOk());

    dialogs.nextText = "Big Horn";
    menuItem(5, PanelMenu::renameJingle);
    EXPECT_EQ(dialogs.textBoxes, juce::StringArray{"Rename for jingle 5|jingleName|Horn"});
    EXPECT_EQ(panel->pad(5).getDisplayName(), "Big Horn");
    EXPECT_EQ(library->name(5), "Big Horn");

    for (const juce::String empty : {"", "   "})
    {
        dialogs.nextText = empty;
        menuItem(5, PanelMenu::renameJingle);
        EXPECT_EQ(panel->pad(5).getDisplayName(), "Big Horn");
    }
    dialogs.nextTextAccepted = false;
    dialogs.nextText = "Other";
    menuItem(5, PanelMenu::renameJingle);
    EXPECT_EQ(panel->pad(5).getDisplayName(), "Big Horn");
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(PanelJingleTest, SendFillsTheSlotsFlashRangeWithProgressShown)
{
    const auto file = source("Gong.mp3", 40000);
    ASSERT_TRUE(library->loadJingleFile(2, file).wasOk());
    const auto stored = library->storedFile(2);

    auto dsp = std::make_shared<VirtualDsp>();
    auto* root = new VirtualDspRoot({dsp});
    panel->setDspRoot(root);

    // The DSP holds a request twice, at the start and once more than half of the file is written, until the
    // screen has been seen alive: the message loop keeps running (the bar moves, a second send can be asked
    // for) however long the device takes.
    std::atomic<int> held{0}, released{0};
    std::mutex gate;
    std::condition_variable opened;
    dsp->setRequestHook(
        [&](uint16_t)
        {
            const size_t writes = dsp->pageWrites().size(); // the DSP's own thread: safe to read
            const int hold = writes == 0 ? 1 : writes >= 6 ? 2 : 0;
            if (hold <= held)
                return;
            held = hold;
            std::unique_lock<std::mutex> lock(gate);
            opened.wait_for(lock, std::chrono::seconds(20), [&] { return released >= hold; });
        });
    std::vector<double> shares;
    int secondSends = 0;
    LambdaTimer watcher(
        [&]
        {
            auto* window = panel->jingles().progressWindow();
            const int waiting = held;
            if (window == nullptr || waiting <= released || (waiting == 2 && window->share() < 0.5))
                return;
            shares.push_back(window->share());
            EXPECT_TRUE(window->isVisible());
            // A second send while this one runs is refused.
            if (secondSends++ == 0)
                panel->onJingleMenuItem(ButtonKind::jingleMenu, PanelMenu::sendJingle,
                                        &panel->jingleMenuButton(3));
            const std::lock_guard<std::mutex> lock(gate);
            released = waiting;
            opened.notify_all();
        });
    menuItem(2, PanelMenu::sendJingle);

    EXPECT_EQ(released, 2) << "the message loop stood still while the DSP held a request";
    ASSERT_EQ(dialogs.messages.size(), 2);
    EXPECT_EQ(dialogs.messages[0], "Send jingle failed!\nstart: another jingle is being sent");
    EXPECT_EQ(dialogs.messages[1], "Send jingle OK!");
    EXPECT_TRUE(dialogs.informational.isEmpty()) << "a send's result has no symbol";
    EXPECT_EQ(panel->jingles().progressWindow(), nullptr) << "the window goes when the transfer ends";
    ASSERT_FALSE(shares.empty());
    EXPECT_TRUE(std::is_sorted(shares.begin(), shares.end()));
    EXPECT_GT(shares.back(), 0.5);
    EXPECT_EQ(dsp->protocolErrors(), 0) << dsp->lastProtocolError();

    juce::MemoryBlock expected;
    stored.loadFileAsData(expected);
    const uint32_t start = uint32_t(VirtualDsp::defaultRanges()[1].startHigh) << 16;
    const auto flash = dsp->readFlash(start, (uint32_t) expected.getSize());
    EXPECT_EQ(0, std::memcmp(flash.data(), expected.getData(), expected.getSize()));
    EXPECT_EQ(dsp->readFlash(start + (uint32_t) expected.getSize() / 2, 2),
              (std::vector<uint8_t>{0xFF, 0xFF}));

    // While the check at start still holds the slot, nothing is sent.
    ASSERT_TRUE(library->checkLibraryInBackground());
    dialogs.messages.clear();
    menuItem(1, PanelMenu::sendJingle);
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].contains(TRANS("The jingles are still being checked")))
        << dialogs.messages[0];
    panel->setDspRoot(nullptr);
    root->release();
}

TEST_F(PanelJingleTest, SendFailuresSayWhy)
{
    ASSERT_TRUE(library->loadJingleFile(1, source("Clap.mp3", 5000)).wasOk());

    menuItem(1, PanelMenu::sendJingle);
    EXPECT_EQ(dialogs.messages.joinIntoString("|"),
              "Send jingle failed!\nfind the DSP: USB access is not available on this system");

    VirtualDsp::Config locked;
    locked.refusesOpen = true;
    auto* root = new VirtualDspRoot({std::make_shared<VirtualDsp>(locked)});
    panel->setDspRoot(root);
    dialogs.messages.clear();
    menuItem(1, PanelMenu::sendJingle);
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].startsWith("Send jingle failed!\n"));
    EXPECT_TRUE(dialogs.messages[0].contains("no permission")) << dialogs.messages[0];
    EXPECT_TRUE(dialogs.messages[0].contains("60-strata.rules")) << "names the fix";
    panel->setDspRoot(nullptr);
    root->release();
}

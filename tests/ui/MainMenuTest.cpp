// The menu bar and its commands: items, texts and ticks in both languages, the menu-open flag, models
// replaced after Setting commands and released only after their command, and every File and Setting command
// with its messages.
#include "UiFixture.h"

#include "config/ProjectFile.h"
#include "jingles/JingleLibrary.h"
#include "model/StateLoader.h"
#include "support/TestHome.h"
#include "ui/main/MainMenuBar.h"

using namespace NsStrata;

namespace
{
juce::String zh(const char* utf8)
{
    return juce::String::fromUTF8(utf8);
}

juce::String xmlText(const juce::ValueTree& tree)
{
    const auto xml = tree.createXml();
    return xml != nullptr ? xml->toString() : juce::String();
}

/** A menu as lines: "id text" with " [x]" when ticked, "-" for a separator, and "name: a | b" for a
    sub-menu's items. */
juce::StringArray describe(const juce::PopupMenu& menu)
{
    juce::StringArray lines;
    for (juce::PopupMenu::MenuItemIterator it(menu); it.next();)
    {
        const auto& item = it.getItem();
        if (item.isSeparator)
        {
            lines.add("-");
        }
        else if (item.subMenu != nullptr)
        {
            lines.add(item.text + ": " + describe(*item.subMenu).joinIntoString(" | "));
        }
        else
        {
            lines.add(juce::String(item.itemID) + " " + item.text + (item.isTicked ? " [x]" : "") +
                      (item.isEnabled ? "" : " (disabled)"));
        }
    }
    return lines;
}

/** The main screen as the menus see it: records what they ask of it. */
class FakeScreen : public MenuScreen
{
public:
    MainMenuBar* bar = nullptr;
    juce::StringArray events;
    std::function<void()> duringReplace;
    std::unique_ptr<JingleLibrary> library;

    static juce::String gate() { return linkFlags().sendingGate ? " (gate open)" : " (gate closed)"; }
    void rebindPanel(int modelId, int mode) override
    {
        events.add("rebind " + juce::String(modelId) + "/" + juce::String(mode) + gate());
    }
    void refreshFromState(bool rebuildMenus) override
    {
        events.add(juce::String("refresh") + (rebuildMenus ? " with menus" : "") + gate());
        if (rebuildMenus)
            bar->replaceModelUnlessOpen();
    }
    void replaceMenuModel() override
    {
        events.add("replace");
        bar->replaceModel();
        if (duringReplace)
            duringReplace();
    }
    void quit() override { events.add("quit"); }
    JingleLibrary& jingleLibrary() override { return *library; }
};

class MainMenuTest : public UiTest
{
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        Host::getInstance()->settings().setState(tree);
        folder = StrataTest::freshFolder("menus");
        const JingleFolders jingles{folder.getChildFile("library"), folder.getChildFile("temp"),
                                    folder.getChildFile("factory")};
        for (int s = 1; s <= jingleSlotCount; ++s)
        {
            const auto factory = jingles.factoryFolder(s).getChildFile("Factory " + juce::String(s) + ".mp3");
            factory.getParentDirectory().createDirectory();
            factory.replaceWithText("mp3");
        }
        screen.library = std::make_unique<JingleLibrary>(jingles);
        bar = std::make_unique<MainMenuBar>(commands);
        bar->setBounds(0, 0, 400, 24);
        screen.bar = bar.get();
    }
    void TearDown() override
    {
        bar.reset();
        screen.library.reset();
        jingleSizes().reset();
        folder.deleteRecursively();
        UiTest::TearDown();
    }

    static juce::ValueTree& state() { return Host::getInstance()->state(); }
    static void runMessageLoop(int ms = 20) { juce::MessageManager::getInstance()->runDispatchLoopUntil(ms); }
    void choose(int menuIndex, int itemId) { bar->menuModel().menuItemSelected(itemId, menuIndex); }
    juce::ValueTree languageNode() const
    {
        return childWithId(childWithId(childWithId(state(), 1), modeIndependentGroup), ParamId::language);
    }

    FakeScreen screen;
    MenuCommands commands{screen};
    std::unique_ptr<MainMenuBar> bar;
    juce::File folder;
};
} // namespace

TEST_F(MainMenuTest, MenusInBothLanguagesWithTheActiveLanguageTicked)
{
    const auto expectMenus =
        [&](const juce::StringArray& names, const juce::StringArray& file, const juce::StringArray& setting)
    {
        auto& model = bar->menuModel();
        EXPECT_EQ(model.getMenuBarNames(), names);
        EXPECT_EQ(describe(model.getMenuForIndex(MenuIndex::file, names[0])), file);
        EXPECT_EQ(describe(model.getMenuForIndex(MenuIndex::setting, names[1])), setting);
    };
    const auto chinese = zh("\xe4\xb8\xad\xe6\x96\x87");
    expectMenus({"File", "Setting"},
                {"1 Save project as..", "2 Load project..", "-", "3 About Strata..", "4 Check for update..",
                 "-", "5 Quit (Ctrl+Q)"},
                {"Language: 1 English [x] | 2 " + chinese, "Reset: 8 Reset jingles to factory default"});

    auto* english = &bar->menuModel();
    choose(MenuIndex::setting, MenuItem::chinese);
    EXPECT_NE(&bar->menuModel(), english) << "a fresh model after a Setting command";
    EXPECT_EQ(bar->getModel(), &bar->menuModel());
    expectMenus({zh("\xe6\x96\x87\xe4\xbb\xb6"), zh("\xe8\xae\xbe\xe7\xbd\xae")},        // 文件, 设置
                {zh("1 \xe5\xb7\xa5\xe7\xa8\x8b\xe5\x8f\xa6\xe5\xad\x98\xe4\xb8\xba.."), // 工程另存为
                 zh("2 \xe6\x89\x93\xe5\xbc\x80\xe5\xb7\xa5\xe7\xa8\x8b.."),             // 打开工程
                 "-", zh("3 \xe5\x85\xb3\xe4\xba\x8e Strata.."),                         // 关于
                 zh("4 \xe6\xa3\x80\xe6\x9f\xa5\xe6\x9b\xb4\xe6\x96\xb0.."),             // 检查更新
                 "-", zh("5 \xe9\x80\x80\xe5\x87\xba (Ctrl+Q)")},                        // 退出
                {zh("\xe8\xaf\xad\xe8\xa8\x80: 1 English | 2 ") + chinese + " [x]",      // 语言
                 zh("\xe9\x87\x8d\xe7\xbd\xae: 8 \xe6\x81\xa2\xe5\xa4\x8d\xe5\x87\xba\xe5\x8e\x82\xe9\x9f\xb3"
                    "\xe6\x95\x88")}); // 重置: 恢复出厂音效

    choose(MenuIndex::setting, MenuItem::english);
    EXPECT_EQ(describe(bar->menuModel().getMenuForIndex(MenuIndex::setting, {}))[0],
              "Language: 1 English [x] | 2 " + chinese);
    EXPECT_EQ(screen.events, juce::StringArray({"replace", "replace"}));
}

TEST_F(MainMenuTest, ChoosingTheActiveLanguageAgainStillWritesAndSendsIt)
{
    // Forced into the queue: the link need not be synchronised.
    linkFlags().synchronised = false;
    struct Case
    {
        int item;
        int staleValue; // what the node held before the choice
        int expected;
    };
    const Case cases[] = {
        {MenuItem::english, 1, 0}, // the active language, with a stale value in the tree
        {MenuItem::chinese, 0, 1}, // a change
        {MenuItem::chinese, 0, 1}, // the active language again
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.item);
        resetOutgoingQueue();
        languageNode().setProperty(Prop::value, c.staleValue, nullptr);
        choose(MenuIndex::setting, c.item);
        EXPECT_EQ(isChineseInterface(), c.item == MenuItem::chinese);
        EXPECT_EQ(readInt(languageNode(), Prop::value, -1), c.expected);
        EXPECT_EQ(queuedIds(), std::vector<int>{ParamId::language});
        EXPECT_EQ(queuedValue(ParamId::language), c.expected);
    }
    EXPECT_EQ(screen.events, juce::StringArray({"replace", "replace", "replace"}));
}

TEST_F(MainMenuTest, AnOpenMenuKeepsItsModelThroughRefreshes)
{
    auto* first = &bar->menuModel();
    const auto clear = mouseEvent(*bar, {395.0f, 12.0f}); // right of the menu names
    bar->mouseUp(clear);
    ASSERT_TRUE(bar->isMenuOpen());
    screen.refreshFromState(true);
    EXPECT_EQ(&bar->menuModel(), first) << "refreshes keep the model while the flag is set";

    bar->mouseDown(clear);
    EXPECT_FALSE(bar->isMenuOpen());
    screen.refreshFromState(true);
    EXPECT_NE(&bar->menuModel(), first);

    // A command clears the flag too, and a File command keeps its model.
    auto* second = &bar->menuModel();
    bar->mouseUp(clear);
    choose(MenuIndex::file, MenuItem::checkForUpdate);
    EXPECT_FALSE(bar->isMenuOpen());
    EXPECT_EQ(&bar->menuModel(), second);
}

TEST_F(MainMenuTest, TheOldModelGoesOnlyAfterItsCommandReturned)
{
    juce::WeakReference<MainMenuModel> old(&bar->menuModel());
    bool aliveInCommand = false;
    // The screen runs the message loop while the command is still on the stack.
    screen.duringReplace = [&]
    {
        runMessageLoop(50);
        aliveInCommand = old != nullptr;
    };
    old->menuItemSelected(99, MenuIndex::setting); // no such item: the menus are rebuilt all the same
    EXPECT_TRUE(aliveInCommand);
    EXPECT_NE(old.get(), &bar->menuModel());
    runMessageLoop();
    EXPECT_EQ(old.get(), nullptr) << "released once its command has returned";
    EXPECT_EQ(screen.events, juce::StringArray("replace"));
}

TEST_F(MainMenuTest, SaveProjectReplacesAnExistingFileAndSaysHowItWent)
{
    const auto file = folder.getChildFile("show.strata");
    ASSERT_TRUE(file.replaceWithText("an old project"));
    dialogs.nextChosenFile = file;
    choose(MenuIndex::file, MenuItem::saveProject);
    EXPECT_EQ(dialogs.chooserTitles, juce::StringArray("Save Settings *.strata"));
    EXPECT_EQ(dialogs.messages, juce::StringArray("Save settings succeeded!"));
    EXPECT_EQ(xmlText(treeFromXmlText(file.loadFileAsString())), xmlText(state()));

    dialogs.nextChosenFile = file.getChildFile("inside.strata"); // below a file: cannot be written
    choose(MenuIndex::file, MenuItem::saveProject);
    EXPECT_EQ(dialogs.messages[1], "Error: Failed to write mapping file");

    dialogs.nextChosenFile = juce::File(); // cancelled
    choose(MenuIndex::file, MenuItem::saveProject);
    EXPECT_EQ(dialogs.messages.size(), 2);
    EXPECT_TRUE(screen.events.isEmpty()) << "File commands keep the menus";
}

TEST_F(MainMenuTest, LoadProjectRefreshesWithTheGateClosedAndSaysHowItWent)
{
    const auto junk = folder.getChildFile("junk.strata");
    ASSERT_TRUE(junk.replaceWithText("this is not a project"));
    const auto before = xmlText(state());
    dialogs.nextChosenFile = junk;
    auto* model = &bar->menuModel();
    choose(MenuIndex::file, MenuItem::loadProject);
    EXPECT_NE(&bar->menuModel(), model) << "the refresh rebuilt the menus: the command cleared the flag";
    EXPECT_EQ(dialogs.chooserTitles, juce::StringArray("Load Settings *.strata"));
    EXPECT_EQ(dialogs.messages, juce::StringArray("Error: Could not load mapping data!"));
    EXPECT_EQ(xmlText(state()), before) << "the reader refused it whole";
    EXPECT_EQ(screen.events,
              juce::StringArray({"rebind 1/1 (gate closed)", "refresh with menus (gate closed)"}));
    EXPECT_TRUE(linkFlags().sendingGate.load()) << "the gate is as it was";

    auto project = shippedPreset();
    parameterNode(modelNode(project, ardentModel), 20, 2).setProperty(Prop::value, 7, nullptr);
    const auto file = folder.getChildFile("good.strata");
    ASSERT_TRUE(exportConfiguration(project, file).wasOk());
    dialogs.nextChosenFile = file;
    screen.events.clear();
    choose(MenuIndex::file, MenuItem::loadProject);
    EXPECT_EQ(dialogs.messages[1], "Load settings succeeded!");
    EXPECT_EQ(readInt(parameterNode(modelNode(state(), ardentModel), 20, 2), Prop::value, 0), 7);
    EXPECT_EQ(screen.events, juce::StringArray({"rebind 1/1 (gate closed)", "rebind 1/1 (gate closed)",
                                                "refresh with menus (gate closed)"}));
    EXPECT_TRUE(linkFlags().sendingGate.load());

    dialogs.nextChosenFile = juce::File();
    screen.events.clear();
    choose(MenuIndex::file, MenuItem::loadProject);
    EXPECT_EQ(dialogs.messages.size(), 2);
    EXPECT_TRUE(screen.events.isEmpty());
}

TEST_F(MainMenuTest, CheckForUpdateShowsTheFirmwareVersionOrTheStatus)
{
    ASSERT_TRUE(linkTexts().statusText.isEmpty()); // before the screen has set the link's texts
    choose(MenuIndex::file, MenuItem::checkForUpdate);
    EXPECT_EQ(dialogs.messages, juce::StringArray("Developing.."));

    selection().selectedModel = 4141;
    linkTexts().firmwareVersion = "1.05";
    choose(MenuIndex::file, MenuItem::checkForUpdate);
    EXPECT_EQ(dialogs.messages[1], "The current DSP firmware version of Brio Max is: 1.05");
}

TEST_F(MainMenuTest, AboutBoxAndQuit)
{
    choose(MenuIndex::file, MenuItem::about);
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].title, "Strata v0.76");
    EXPECT_EQ(dialogs.boxes[0].buttonText, "OK");
    EXPECT_EQ(dialogs.boxes[0].look, &bar->menuModel().lookAndFeel()) << "drawn like the menus";
    EXPECT_TRUE(screen.events.isEmpty());

    choose(MenuIndex::file, MenuItem::quit);
    EXPECT_EQ(screen.events, juce::StringArray("quit"));
}

TEST_F(MainMenuTest, ResetJinglesWaitsForTheCheckAtStart)
{
    auto& library = *screen.library;
    const auto mine = library.folders().slotFolder(1).getChildFile("Mine").getChildFile("1.mp3");
    mine.getParentDirectory().createDirectory();
    ASSERT_TRUE(mine.replaceWithText("my jingle"));
    bool checked = false;
    ASSERT_TRUE(library.checkLibraryInBackground([&] { checked = true; }));

    choose(MenuIndex::setting, MenuItem::resetJingles);
    EXPECT_EQ(
        dialogs.messages,
        juce::StringArray("WARNING: The jingles are still being checked, please try again in a moment!"));
    for (int i = 0; i < 200 && !checked; ++i)
        runMessageLoop(50);
    ASSERT_TRUE(checked);
    EXPECT_EQ(library.name(1), "Mine");

    choose(MenuIndex::setting, MenuItem::resetJingles);
    EXPECT_EQ(library.name(1), "Factory 1");
    EXPECT_EQ(library.name(9), "Factory 9");
    EXPECT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(screen.events, juce::StringArray({"replace", "replace"}));
}

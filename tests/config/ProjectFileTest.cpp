// Project files: export, the refusal of files that are no configuration, the round trip with the kept
// mode-independent groups, and what an import sends, in order, with and without a device.
#include "config/ProjectFile.h"
#include "../model/PresetFixture.h"
#include "RecordingLink.h"
#include "config/ModeBlock.h"
#include "model/Catalogue.h"
#include "model/Models.h"
#include "support/TestHome.h"

#if !JUCE_WINDOWS
#include <csignal>
#include <sys/resource.h>
#endif

using namespace NsStrata;

namespace
{
juce::String xmlText(const juce::ValueTree& tree)
{
    const auto xml = tree.createXml();
    return xml != nullptr ? xml->toString() : juce::String();
}

class ProjectFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        selection().reset();
        folder = StrataTest::freshFolder("projects");
        state = shippedPreset();
        ASSERT_TRUE(isUsableTree(state));
    }
    void TearDown() override
    {
        selection().reset();
        folder.deleteRecursively();
    }

    juce::File folder;
    juce::ValueTree state;
};
} // namespace

TEST_F(ProjectFileTest, ExportWritesTheWholeTreeAsUtf8Xml)
{
    const auto file = folder.getChildFile("show.strata");
    ASSERT_TRUE(exportConfiguration(state, file).wasOk());
    const auto text = file.loadFileAsString();
    EXPECT_TRUE(text.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
    EXPECT_EQ(xmlText(treeFromXmlText(text)), xmlText(state));

    struct Case
    {
        const char* what;
        juce::ValueTree tree;
        juce::File target;
        const char* expected;
    };
    const Case cases[] = {
        {"an invalid tree gives no XML", juce::ValueTree(), file, "Could not save mappings to disk"},
        {"a folder that is a file", state, file.getChildFile("inside.strata"),
         "Failed to write mapping file"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(exportConfiguration(c.tree, c.target).getErrorMessage(), c.expected) << c.what;
}

TEST_F(ProjectFileTest, SavingOntoAnExistingFileReplacesItWhole)
{
    const auto fresh = folder.getChildFile("fresh.strata");
    ASSERT_TRUE(exportConfiguration(state, fresh).wasOk());
    juce::MemoryBlock expected;
    ASSERT_TRUE(fresh.loadFileAsData(expected));
    fresh.deleteFile();

    // An old project longer than the new one: nothing of it may stay at the end.
    const auto file = folder.getChildFile("show.strata");
    ASSERT_TRUE(file.replaceWithText(juce::String::repeatedString("old ", (int) expected.getSize())));
    ASSERT_TRUE(exportConfiguration(state, file).wasOk());
    juce::MemoryBlock written;
    ASSERT_TRUE(file.loadFileAsData(written));
    EXPECT_TRUE(written == expected);
    EXPECT_EQ(folder.findChildFiles(juce::File::findFilesAndDirectories, false, "*").size(), 1)
        << "nothing is left beside it";
}

#if !JUCE_WINDOWS
TEST_F(ProjectFileTest, AFailedSaveLeavesTheOldFileWhole)
{
    const auto file = folder.getChildFile("show.strata");
    auto older = state.createCopy();
    older.setProperty(Prop::mode, 3, nullptr);
    ASSERT_TRUE(exportConfiguration(older, file).wasOk());
    juce::MemoryBlock before;
    ASSERT_TRUE(file.loadFileAsData(before));

    // The disk fills up part way through: no file of this process may grow past 16 KiB meanwhile.
    constexpr rlim_t limit = 16 * 1024;
    ASSERT_GT(before.getSize(), (size_t) limit);
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = limit;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const auto result = exportConfiguration(state, file);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(result.getErrorMessage(), "Failed to write mapping file");
    juce::MemoryBlock after;
    ASSERT_TRUE(file.loadFileAsData(after));
    EXPECT_TRUE(after == before) << "the old project is untouched";
    EXPECT_EQ(folder.findChildFiles(juce::File::findFilesAndDirectories, false, "*").size(), 1)
        << "the half-written copy is gone";
}
#endif

TEST_F(ProjectFileTest, FilesThatAreNoConfigurationAreRefused)
{
    const auto before = xmlText(state);
    const auto handle = state;
    const char* cases[][2] = {
        {"not XML", "this is not a project"},
        {"empty", ""},
        {"XML with two model nodes", "<STRATA><MODEL id=\"1\"/><MODEL id=\"2\"/></STRATA>"},
        {"an XML page", "<html><head/><body>hello</body></html>"},
        {"a root without children", "<STRATA ver=\"2025.042913\"/>"},
        {"XML cut short", "<STRATA><MODEL id=\"1\"/><MODEL id=\"2\"/><MODEL"},
        // The XML parser would never return from this one.
        {"a processing instruction among the models",
         "<STRATA><MODEL id=\"1\"/>x<?pi?>y<MODEL id=\"2\"/><MODEL id=\"3\"/></STRATA>"},
    };
    RecordingLink link;
    for (const auto& c : cases)
    {
        EXPECT_EQ(importConfigurationText(state, c[1], &link).getErrorMessage(),
                  "Could not load mapping data!")
            << c[0];
        EXPECT_EQ(xmlText(state), before) << c[0];
        EXPECT_TRUE(state == handle) << c[0] << ": the same tree, not a copy";
    }
    EXPECT_EQ(importConfiguration(state, folder.getChildFile("missing.strata"), &link).getErrorMessage(),
              "Could not load mapping data!");
    EXPECT_TRUE(link.events.isEmpty());
}

TEST_F(ProjectFileTest, RoundTripKeepsTheModeIndependentGroupsHeldBeforeTheImport)
{
    const auto file = folder.getChildFile("round.strata");
    parameterNode(modelNode(state, 4115), 20, 3).setProperty(Prop::value, 7, nullptr);
    ASSERT_TRUE(exportConfiguration(state, file).wasOk());
    const auto exported = state.createCopy();

    // Edits after the export: one in a mode node (undone by the import), one in each model's group 0 (kept).
    parameterNode(modelNode(state, 4115), 20, 3).setProperty(Prop::value, 9, nullptr);
    for (int model : supportedModels)
        parameterNode(modelNode(state, model), ParamId::headphones, 1).setProperty(Prop::value, -3, nullptr);
    const auto held = state.createCopy();

    selection().selectedModel = 4141;
    selection().currentMode = 4;
    ASSERT_TRUE(importConfiguration(state, file, nullptr).wasOk());

    auto expected = exported.createCopy();
    for (auto model : expected)
    {
        model.removeChild(childWithId(model, 0), nullptr);
        model.addChild(childWithId(childWithId(held, readInt(model, Prop::id, 1)), 0).createCopy(), 0,
                       nullptr);
    }
    expected.setProperty(Prop::current, 3, nullptr);
    childWithId(expected, 3).setProperty(Prop::current, 4, nullptr);
    EXPECT_EQ(xmlText(state), xmlText(expected));
}

TEST_F(ProjectFileTest, ImportWritesEveryModeOfTheSelectedModelThenTheSelector)
{
    const auto file = folder.getChildFile("device.strata");
    auto brio = modelNode(state, 4115);
    childWithId(brio, 5).setProperty(Prop::basedOnId, 3, nullptr);
    ASSERT_TRUE(exportConfiguration(state, file).wasOk());

    struct Case
    {
        const char* what;
        bool connected, outputOpen;
        int mode;
        juce::StringArray events;
    };
    const juce::StringArray sendAll{"send mode 0",  "pump 50", "send mode 1", "pump 50",
                                    "send mode 2",  "pump 50", "send mode 4", "pump 50",
                                    "send mode 10", "pump 50"};
    auto withFrame = [](int mode, const juce::String& selector, juce::StringArray middle)
    {
        juce::StringArray e{"gate closed", "rebind 2/" + juce::String(mode)};
        e.addArray(middle);
        e.add("queue id 8 value " + selector + " replace force");
        e.add("gate open");
        return e;
    };
    const Case cases[] = {
        {"connected: five blocks, each followed by a pause", true, true, 5, withFrame(5, "10", sendAll)},
        {"no connection: nothing sent", false, true, 2, withFrame(2, "1", {})},
        {"no output: sent nowhere, no pauses", true, false, 1,
         withFrame(1, "0", {"send mode 0", "send mode 1", "send mode 2", "send mode 4", "send mode 10"})},
    };
    for (const auto& c : cases)
    {
        selection().selectedModel = 4115;
        selection().currentMode = c.mode;
        RecordingLink link;
        link.connected = c.connected;
        link.outputOpen = c.outputOpen;
        auto tree = shippedPreset();
        ASSERT_TRUE(importConfiguration(tree, file, &link).wasOk()) << c.what;
        EXPECT_EQ(link.events, c.events) << c.what;

        const auto model = modelNode(tree, 4115);
        for (size_t i = 0; i < link.sent.size(); ++i)
            EXPECT_EQ(link.sent[i],
                      buildModeBlock(childWithId(model, (int) i + 1), ModeBlockAction::restore, 4115))
                << c.what;
        EXPECT_EQ(readInt(parameterNode(model, ParamId::modeSelector, 1), Prop::value, -1),
                  c.events[c.events.size() - 2].fromFirstOccurrenceOf("value ", false, false).getIntValue())
            << c.what << ": the tree holds the selector value it queued";
    }
}

TEST_F(ProjectFileTest, ImportSendsOnlyTheModesTheFileHolds)
{
    auto brio = modelNode(state, 4115);
    brio.removeChild(childWithId(brio, 2), nullptr);
    brio.removeChild(childWithId(brio, 4), nullptr);
    const auto file = folder.getChildFile("partial.strata");
    ASSERT_TRUE(exportConfiguration(state, file).wasOk());

    selection().selectedModel = 4115;
    RecordingLink link;
    auto tree = shippedPreset();
    ASSERT_TRUE(importConfiguration(tree, file, &link).wasOk());
    EXPECT_EQ(link.events, juce::StringArray({"gate closed", "rebind 2/1", "send mode 0", "pump 50",
                                              "send mode 2", "pump 50", "send mode 8", "pump 50",
                                              "queue id 8 value 0 replace force", "gate open"}));
}

TEST_F(ProjectFileTest, ImportKeepsAClosedGateClosed)
{
    const auto file = folder.getChildFile("gate.strata");
    ASSERT_TRUE(exportConfiguration(state, file).wasOk());
    RecordingLink link;
    link.gate = false;
    link.connected = false;
    ASSERT_TRUE(importConfiguration(state, file, &link).wasOk());
    EXPECT_FALSE(link.gate);
    EXPECT_EQ(link.events.strings.getLast(), "gate closed");
}

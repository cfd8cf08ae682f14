// The settings file: whatever it holds never stops the program, and the state tree survives a round trip.
#include "store/SettingsStore.h"
#include "AsAnotherUser.h"
#include "model/Models.h"
#include "model/StateTree.h"
#include "support/TestHome.h"

#include <gtest/gtest.h>
#include <map>

using namespace NsStrata;

namespace
{
juce::File settingsIn(const juce::String& name)
{
    return StrataTest::freshFolder(name).getChildFile("Strata.conf");
}

juce::ValueTree micNode(const juce::ValueTree& root)
{
    return parameterNode(modelNode(root, 4142), 1, 1);
}

juce::MemoryBlock bytes(const juce::String& text)
{
    return {text.toRawUTF8(), text.getNumBytesAsUTF8()};
}

int storedStateKeys(const juce::File& file)
{
    const auto xml = juce::parseXML(file);
    if (xml == nullptr || !xml->hasTagName("PROPERTIES"))
        return -1;
    int count = 0;
    for (auto* value : xml->getChildIterator())
        count +=
            value->getStringAttribute("name") == "state" && value->getFirstChildElement() != nullptr ? 1 : 0;
    return xml->getNumChildElements() == count ? count : -1;
}

juce::MemoryBlock binaryFormCutShort()
{
    juce::MemoryOutputStream out;
    out.write("PROP", 4);
    out.writeInt(1);
    out.writeString("state");
    out.write("<STRATA ver=\"2025", 17);
    return out.getMemoryBlock();
}

juce::MemoryBlock invalidUtf8()
{
    juce::MemoryBlock block = bytes("<?xml version=\"");
    for (int i = 0; i < 64; ++i)
        block.append("\xff", 1);
    return block;
}

// Every file below folder, by its path there, with its content.
std::map<juce::String, juce::MemoryBlock> filesBelow(const juce::File& folder)
{
    std::map<juce::String, juce::MemoryBlock> files;
    for (const auto& f : folder.findChildFiles(juce::File::findFiles, true))
        f.loadFileAsData(files[f.getRelativePathFrom(folder)]);
    return files;
}

juce::String settingsText(const juce::ValueTree& state)
{
    return "<?xml version=\"1.0\"?>\n<PROPERTIES><VALUE name=\"state\">" + state.toXmlString() +
           "</VALUE></PROPERTIES>";
}

class SettingsStoreTest : public ::testing::Test
{
protected:
    void TearDown() override { selection().reset(); }
};
} // namespace

TEST_F(SettingsStoreTest, AnUnreadableOrGarbageFileStartsFromThePresetAndIsRepairedAtExit)
{
    SettingsStore fresh(settingsIn("fresh"));
    ASSERT_TRUE(isUsableTree(fresh.state())) << "the shipped preset is missing beside the test";

    juce::MemoryBlock noise(4096);
    juce::Random random(7);
    for (size_t i = 0; i < noise.getSize(); ++i)
        noise[i] = (char) random.nextInt(256);

    const auto valid = settingsText(fresh.state());
    const struct
    {
        const char* what;
        juce::MemoryBlock content;
    } cases[] = {
        {"an empty file", {}},
        {"random bytes", noise},
        {"plain text", bytes("not xml at all")},
        {"another root element", bytes("<OTHER a=\"1\"/>")},
        {"a state that is text", bytes("<PROPERTIES><VALUE name=\"state\" val=\"garbage\"/></PROPERTIES>")},
        {"a state that is no tree",
         bytes("<PROPERTIES><VALUE name=\"state\"><NOTHING/></VALUE></PROPERTIES>")},
        {"a file cut in half", juce::MemoryBlock(valid.toRawUTF8(), valid.getNumBytesAsUTF8() / 2)},
        // Inputs that once overran or hung the framework's reader.
        {"the binary form with its state cut short", binaryFormCutShort()},
        {"invalid UTF-8 in the declaration", invalidUtf8()},
        {"an instruction after text inside an element",
         bytes("<?xml version=\"1.0\"?>\n<PROPERTIES>x<?a?>y</PROPERTIES>")},
    };
    for (auto& c : cases)
    {
        const auto file = settingsIn("garbage");
        ASSERT_TRUE(file.replaceWithData(c.content.getData(), c.content.getSize())) << c.what;

        SettingsStore store(file);
        EXPECT_TRUE(store.state().isEquivalentTo(fresh.state())) << c.what << ": not the preset";
        // What it held is kept aside before the repaired file replaces it.
        if (c.content.getSize() > 0)
        {
            juce::MemoryBlock kept;
            EXPECT_EQ(store.fileStatus(), SettingsStore::FileStatus::setAside) << c.what;
            EXPECT_TRUE(store.setAsideFile().loadFileAsData(kept) && kept == c.content) << c.what;
        }
        EXPECT_TRUE(store.saveState()) << c.what;
        EXPECT_EQ(storedStateKeys(file), 1) << c.what;
    }

    // A folder where the file should be: nothing can be read or written, and the program still runs.
    const auto folderInstead = settingsIn("folder");
    ASSERT_TRUE(folderInstead.createDirectory());
    SettingsStore store(folderInstead);
    EXPECT_TRUE(store.state().isEquivalentTo(fresh.state()));
    EXPECT_FALSE(store.saveState());
}

TEST_F(SettingsStoreTest, ContentItCannotReadIsKeptAsideNotLost)
{
    const auto file = settingsIn("aside");
    const auto damaged = binaryFormCutShort();
    ASSERT_TRUE(file.replaceWithData(damaged.getData(), damaged.getSize()));

    SettingsStore store(file);
    EXPECT_EQ(store.fileStatus(), SettingsStore::FileStatus::setAside);
    EXPECT_EQ(store.setAsideFile(), file.getSiblingFile("Strata.conf.unreadable"));
    juce::MemoryBlock kept;
    ASSERT_TRUE(file.getSiblingFile("Strata.conf.unreadable").loadFileAsData(kept));
    EXPECT_EQ(kept, damaged);
    EXPECT_TRUE(store.saveState());
    EXPECT_EQ(storedStateKeys(file), 1);
}

TEST_F(SettingsStoreTest, UnreadableContentIsSetAsideAndEarlierCopiesStay)
{
    const struct
    {
        const char* what;
        std::function<void(const juce::File& folder)> before;
    } cases[] = {
        {"an earlier copy", [](const juce::File& folder)
         { folder.getChildFile("Strata.conf.unreadable").replaceWithText("earlier"); }},
        {"a folder that cannot be removed by that name", [](const juce::File& folder)
         { folder.getChildFile("Strata.conf.unreadable/inside").replaceWithText("a file of the user's"); }},
    };
    for (const auto& c : cases)
    {
        const auto folder = StrataTest::freshFolder("aside-again");
        const auto file = folder.getChildFile("Strata.conf");
        c.before(folder);
        const auto earlier = filesBelow(folder);

        // Twice, so that a third copy finds two names taken.
        for (const juce::String garbage : {"not xml at all", "still not xml"})
        {
            ASSERT_TRUE(file.replaceWithText(garbage));
            SettingsStore store(file);
            EXPECT_TRUE(isUsableTree(store.state())) << c.what;
            EXPECT_TRUE(store.saveState()) << c.what;
            EXPECT_EQ(storedStateKeys(file), 1) << c.what;
        }

        auto now = filesBelow(folder);
        for (const auto& [name, content] : earlier)
            EXPECT_EQ(now[name].toString(), content.toString()) << c.what << ": " << name;
        juce::StringArray kept;
        for (const auto& [name, content] : now)
            if (name.startsWith("Strata.conf.unreadable") && !earlier.count(name))
                kept.add(content.toString());
        kept.sort(false);
        EXPECT_EQ(kept, juce::StringArray({"not xml at all", "still not xml"})) << c.what;
    }
}

#if JUCE_LINUX
TEST_F(SettingsStoreTest, AFileThatCannotBeReadOrMovedAsideIsNeverOverwritten)
{
    SettingsStore fresh(settingsIn("fresh"));
    auto stored = fresh.state().createCopy();
    micNode(stored).setProperty("value", 42, nullptr);
    const struct
    {
        const char* what;
        juce::String content;
        mode_t fileMode, folderMode;
    } cases[] = {
        {"settings that cannot be read (held by another program)", settingsText(stored), 0000, 0777},
        {"unreadable content that cannot be moved aside", "not xml at all", 0644, 0555},
    };
    for (const auto& c : cases)
    {
        const auto folder = StrataTest::freshFolder("left-alone");
        const auto file = folder.getChildFile("Strata.conf");
        ASSERT_TRUE(file.replaceWithData(c.content.toRawUTF8(), c.content.getNumBytesAsUTF8()));

        std::unique_ptr<SettingsStore> store;
        {
            StrataTest::ScopedMode fileMode(file, c.fileMode), folderMode(folder, c.folderMode);
            StrataTest::asAnotherUser([&] { store = std::make_unique<SettingsStore>(file); });
        }
        ASSERT_NE(store, nullptr);
        EXPECT_EQ(store->fileStatus(), SettingsStore::FileStatus::leftAlone) << c.what;
        EXPECT_TRUE(store->state().isEquivalentTo(fresh.state())) << c.what << ": not the preset";

        // Its content is unknown, so even once it could be written it is not replaced.
        micNode(store->state()).setProperty("value", 5, nullptr);
        EXPECT_FALSE(store->saveState()) << c.what;
        EXPECT_EQ(file.loadFileAsString(), c.content) << c.what;
        EXPECT_EQ(filesBelow(folder).size(), 1u) << c.what << ": nothing beside it";
    }
}
#endif

TEST_F(SettingsStoreTest, TheStoredTreeComesBackAtTheNextStart)
{
    const auto file = settingsIn("round-trip");
    {
        SettingsStore first(file);
        EXPECT_FALSE(file.exists()) << "nothing is written before saveState";
        micNode(first.state()).setProperty("value", 42, nullptr);
        ASSERT_TRUE(first.saveState());
    }
    EXPECT_EQ(storedStateKeys(file), 1);

    SettingsStore second(file);
    EXPECT_EQ(readDouble(micNode(second.state()), "value", -1), 42);
    EXPECT_EQ(second.file(), file);

    // A state kept as text in "val" is read too, and whatever else the file holds stays at the next save.
    auto stored = second.state().createCopy();
    micNode(stored).setProperty("value", 7, nullptr);
    juce::XmlElement document("PROPERTIES");
    auto* other = document.createNewChildElement("VALUE");
    other->setAttribute("name", "window");
    other->setAttribute("val", "10 20");
    auto* state = document.createNewChildElement("VALUE");
    state->setAttribute("name", "state");
    state->setAttribute("val", stored.toXmlString());
    const auto withOther = settingsIn("other-values");
    ASSERT_TRUE(document.writeTo(withOther));

    SettingsStore third(withOther);
    EXPECT_EQ(readDouble(micNode(third.state()), "value", -1), 7);
    micNode(third.state()).setProperty("value", 8, nullptr);
    ASSERT_TRUE(third.saveState());
    const auto written = juce::parseXML(withOther);
    ASSERT_NE(written, nullptr);
    EXPECT_EQ(written->getChildByAttribute("name", "window")->getStringAttribute("val"), "10 20");
    EXPECT_EQ(readDouble(micNode(SettingsStore(withOther).state()), "value", -1), 8);
}

TEST_F(SettingsStoreTest, WritesNothingForAnInvalidTreeOrWhereNoFileCanBe)
{
    const auto file = settingsIn("invalid-tree");
    SettingsStore store(file);
    store.setState({});
    EXPECT_FALSE(store.saveState());
    EXPECT_FALSE(file.exists());

    // The settings folder's place is taken by a file.
    const auto blocker = StrataTest::freshFolder("blocked").getChildFile("config");
    ASSERT_TRUE(blocker.replaceWithText("in the way"));
    SettingsStore blocked(blocker.getChildFile("Strata.conf"));
    EXPECT_TRUE(isUsableTree(blocked.state()));
    EXPECT_FALSE(blocked.saveState());

    // A store without a file: the preset, and nothing written anywhere.
    const auto before = StrataTest::testHome().findChildFiles(juce::File::findFilesAndDirectories, true);
    auto scratch = SettingsStore::withoutFile();
    EXPECT_TRUE(isUsableTree(scratch->state()));
    EXPECT_EQ(scratch->file(), juce::File());
    EXPECT_FALSE(scratch->saveState());
    EXPECT_EQ(StrataTest::testHome().findChildFiles(juce::File::findFilesAndDirectories, true), before);
}

// The settings file: whatever it holds never stops the program, and the state tree survives a round trip.
#include "store/SettingsStore.h"
#include "model/Models.h"
#include "model/StateTree.h"
#include "support/TestHome.h"

#include <gtest/gtest.h>

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

    const juce::String valid = "<?xml version=\"1.0\"?>\n<PROPERTIES><VALUE name=\"state\">" +
                               fresh.state().toXmlString() + "</VALUE></PROPERTIES>";
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

TEST_F(SettingsStoreTest, AFileItCannotReadIsKeptAsideNotLost)
{
    const auto file = settingsIn("aside");
    const auto damaged = binaryFormCutShort();
    ASSERT_TRUE(file.replaceWithData(damaged.getData(), damaged.getSize()));

    SettingsStore store(file);
    juce::MemoryBlock kept;
    ASSERT_TRUE(file.getSiblingFile("Strata.conf.unreadable").loadFileAsData(kept));
    EXPECT_EQ(kept, damaged);
    EXPECT_TRUE(store.saveState());
    EXPECT_EQ(storedStateKeys(file), 1);
}

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
}

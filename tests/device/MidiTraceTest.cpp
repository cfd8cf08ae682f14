// The MIDI trace: one JSON line per message in and out, written by its own thread, through a port backend
// that wraps any other.
#include "LinkFixture.h"

#include "device/MidiTrace.h"
#include "support/TestHome.h"

#if JUCE_LINUX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace NsStrata;

namespace
{
class CollectingSink : public IncomingSink
{
public:
    void handleIncoming(const uint8_t* data, std::size_t size) override
    {
        const std::lock_guard<std::mutex> guard(lock);
        got.emplace_back(data, data + size);
    }
    std::size_t count()
    {
        const std::lock_guard<std::mutex> guard(lock);
        return got.size();
    }
    std::mutex lock;
    std::vector<MidiBytes> got;
};
} // namespace

TEST(MidiTrace, LinesAreJsonWithTimeDirectionAndUpperCaseHex)
{
    const uint8_t bytes[] = {0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7};
    EXPECT_EQ(MidiTraceWriter::lineFor(12.5, true, bytes, sizeof(bytes)),
              R"({"ms":12.500,"dir":"out","hex":"F0 7E 7F 06 01 F7"})");
    EXPECT_EQ(MidiTraceWriter::lineFor(0.0625, false, bytes, 1), R"({"ms":0.062,"dir":"in","hex":"F0"})");
    const auto parsed = juce::JSON::parse(MidiTraceWriter::lineFor(3, false, bytes, sizeof(bytes)));
    EXPECT_EQ(parsed["dir"].toString(), "in");
    EXPECT_DOUBLE_EQ((double) parsed["ms"], 3.0);
}

TEST(MidiTrace, EveryMessageBothWaysGoesToTheFileInOrderOfTime)
{
    const auto folder = StrataTest::freshFolder("trace");
    const auto file = folder.getChildFile("link.jsonl");
    auto mixer = std::make_shared<VirtualMixer>(ardentModel, shippedPreset());
    {
        auto writer = std::make_shared<MidiTraceWriter>(file);
        ASSERT_TRUE(writer->isOpen());
        TracingPortBackend ports(mixer, writer);
        EXPECT_EQ(portNames(ports.outputs()), portNames(mixer->outputs()));

        CollectingSink sink;
        auto input = ports.openInput(ports.inputs()[0].identifier, sink);
        auto output = ports.openOutput(ports.outputs()[0].identifier);
        ASSERT_NE(input, nullptr);
        ASSERT_NE(output, nullptr);
        input->start();
        const MidiBytes identity{0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7};
        ASSERT_TRUE(output->send(identity));
        ASSERT_TRUE(mixer->waitUntilIdle());
        ASSERT_EQ(sink.count(), 1u) << "the identity reply";
        writer->flush();

        const auto lines = juce::StringArray::fromLines(file.loadFileAsString().trim());
        ASSERT_EQ(lines.size(), 2);
        const auto out = juce::JSON::parse(lines[0]), in = juce::JSON::parse(lines[1]);
        EXPECT_EQ(out["dir"].toString(), "out");
        EXPECT_EQ(out["hex"].toString(), toHex(identity));
        EXPECT_EQ(in["dir"].toString(), "in");
        EXPECT_EQ(in["hex"].toString(), toHex(sink.got[0]));
        EXPECT_LE((double) out["ms"], (double) in["ms"]);
        EXPECT_GE((double) out["ms"], 0.0);
        input->stop();
    }
    // A port that cannot be opened is not wrapped.
    auto writer = std::make_shared<MidiTraceWriter>(folder.getChildFile("other.jsonl"));
    TracingPortBackend ports(mixer, writer);
    CollectingSink sink;
    EXPECT_EQ(ports.openInput("no such port", sink), nullptr);
    EXPECT_EQ(ports.openOutput("no such port"), nullptr);
    EXPECT_FALSE(MidiTraceWriter(folder.getChildFile("missing/folder/x.jsonl")).isOpen());
    folder.deleteRecursively();
    EXPECT_TRUE(sawNoProtocolError(*mixer));
}

#if JUCE_LINUX
TEST(MidiTrace, APipeWhoseReaderWentAwayStopsTheTraceNotTheProgram)
{
    const auto folder = StrataTest::freshFolder("trace-pipe");
    const auto fifo = folder.getChildFile("trace.fifo");
    ASSERT_EQ(::mkfifo(fifo.getFullPathName().toRawUTF8(), 0600), 0);
    // A reader first, so the writer's open does not wait for one.
    const int reader = ::open(fifo.getFullPathName().toRawUTF8(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    MidiTraceWriter writer(fifo);
    ASSERT_TRUE(writer.isOpen());
    const MidiBytes poll{0xF0, 0x00, 0x02, 0x4E, 0x20, 0x2E, 0x7F, 0x00, 0xF7};
    writer.record(true, 1.0, poll.data(), poll.size());
    writer.flush();
    char line[256] = {};
    EXPECT_GT(::read(reader, line, sizeof(line) - 1), 0);
    EXPECT_TRUE(juce::String(line).startsWith("{\"ms\":1.000,\"dir\":\"out\"")) << line;

    ::close(reader);
    for (int i = 0; i < 3; ++i)
    {
        writer.record(true, 2.0 + i, poll.data(), poll.size());
        writer.flush();
    }
    EXPECT_TRUE(writer.hasStopped()) << "the broken pipe ends the trace";
    writer.record(false, 9.0, poll.data(), poll.size()); // taken and ignored
    writer.flush();
    folder.deleteRecursively();
}
#endif

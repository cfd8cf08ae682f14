#include "CliDsp.h"

#include "CliCommon.h"
#include "jingles/JingleTransfer.h"
#include "radezovu/RadezOvuCore.h"
#include "sim/VirtualDspUsb.h"

namespace
{
using StrataCli::jsonObject;
using StrataCli::printJson;

/** One line per request, printed as it goes out. */
class TracePrinter : public RadezOvuCore::RequestObserver
{
public:
    void requestSent(uint16_t request, const uint8_t* payload, uint32_t payloadBytes, uint32_t blockBytes,
                     uint32_t blockCount) override
    {
        juce::Array<juce::var> words;
        for (uint32_t i = 0; i + 1 < payloadBytes; i += 2)
            words.add(static_cast<int>(payload[i] | (payload[i + 1] << 8)));
        auto line = jsonObject();
        line->setProperty("req", static_cast<int>(request));
        line->setProperty("payload", words);
        line->setProperty("blockBytes", static_cast<int>(blockBytes));
        line->setProperty("blockCount", static_cast<int>(blockCount));
        printJson(juce::var(line.get()));
    }
};

RadezOvuCore* makeRoot(bool virtualDsp)
{
    if (virtualDsp)
        return new NsStrata::VirtualDspRoot({std::make_shared<NsStrata::VirtualDsp>()});
    return dynamic_cast<RadezOvuCore*>(createRadezOvu(256));
}

struct DspOptions
{
    bool virtualDsp = false;
    bool trace = false;
    int slot = 0;
    std::string file;
};

int info(const DspOptions& o)
{
    RadezOvuRef<RadezOvuCore> root(makeRoot(o.virtualDsp));
    if (!root)
        return StrataCli::fail("no USB access on this system", 1);
    RadezOvuRef<RadezOvu::Enumerator> enumerator(
        root->createEnumerator(RadezOvuCore::dspVendorId, RadezOvu::anyId));
    RadezOvuRef<RadezOvu::UsbDevice> device(enumerator->found() ? enumerator->openDevice() : nullptr);
    if (!device)
        return StrataCli::fail("no DSP found", 1);
    RadezOvuRef<RadezOvu::FlashProgrammer> programmer(root->openProgrammer(device.get()));
    if (!programmer)
        return StrataCli::fail("the DSP did not report its flash layout", 1);

    juce::Array<juce::var> ranges;
    for (uint32_t i = 0; i < programmer->rangeCount(); ++i)
    {
        auto* range = programmer->range(i);
        auto r = jsonObject();
        r->setProperty("start", static_cast<juce::int64>(range->startAddress()));
        r->setProperty("end", static_cast<juce::int64>(range->endAddress()));
        r->setProperty("name", juce::String(range->name()));
        ranges.add(juce::var(r.get()));
    }
    auto out = jsonObject();
    out->setProperty("vendor", static_cast<int>(device->vendorId()));
    out->setProperty("product", static_cast<int>(device->productId()));
    out->setProperty("pageSize", static_cast<int>(programmer->pageSize()));
    out->setProperty("ranges", ranges);
    printJson(juce::var(out.get()));
    return 0;
}

int send(const DspOptions& o)
{
    const int slot = o.slot;
    const juce::File file = StrataCli::fileArgument(juce::String::fromUTF8(o.file.c_str()));
    if (!file.existsAsFile())
        return StrataCli::fail("no such file: " + file.getFullPathName());

    RadezOvuRef<RadezOvuCore> root(makeRoot(o.virtualDsp));
    if (!root)
        return StrataCli::fail("no USB access on this system", 1);
    TracePrinter trace;
    if (o.trace)
        root->setRequestObserver(&trace);

    NsStrata::JingleTransferStats stats;
    const double started = juce::Time::getMillisecondCounterHiRes();
    const auto result = NsStrata::sendJingle(root.get(), slot, file, -1, {}, &stats);
    const bool ok = result.ok;
    const double ms = juce::Time::getMillisecondCounterHiRes() - started;

    auto out = jsonObject();
    out->setProperty("ok", ok);
    out->setProperty("writes", stats.writes);
    out->setProperty("bytes", static_cast<juce::int64>(stats.bytes));
    out->setProperty("ms", juce::roundToInt(ms));
    printJson(juce::var(out.get()));
    if (!ok)
        return StrataCli::fail(NsStrata::sendJingleResultText(false) + " " + result.text(), 1);
    return 0;
}

const StrataCli::Registration registration{"dsp", dspCommand};
} // namespace

StrataCli::Command dspCommand(CLI::App& cli)
{
    auto o = std::make_shared<DspOptions>();
    auto* command = cli.add_subcommand("dsp", "The DSP's flash: its layout, and sending a jingle into it");
    command->require_subcommand(1);
    const auto addVirtual = [o](CLI::App& sub)
    { sub.add_flag("--virtual", o->virtualDsp, "use the virtual DSP instead of the USB device"); };

    auto* infoCommand = command->add_subcommand("info", "Reads the DSP's flash layout");
    addVirtual(*infoCommand);
    infoCommand->footer("Prints {\"vendor\", \"product\" (USB ids), \"pageSize\", \"ranges\": [{\"start\", "
                        "\"end\", \"name\"} per flash range]}; status 1 when there is no DSP or no layout.");

    auto* sendCommand = command->add_subcommand("send", "Sends a file into a jingle slot's flash range");
    sendCommand->add_option("SLOT", o->slot, "slot 1 to 9")
        ->required()
        ->transform(StrataCli::wholeNumber(1, 9));
    sendCommand->add_option("FILE", o->file, "the file to send (a stored jingle)")->required();
    addVirtual(*sendCommand);
    sendCommand->add_flag("--trace", o->trace, "print every request as it goes out");
    sendCommand->footer("With --trace, prints {\"req\", \"payload\" (16-bit words), \"blockBytes\", "
                        "\"blockCount\"} per request; then {\"ok\", \"writes\", \"bytes\", \"ms\"}; status 1 "
                        "when there is no DSP or the transfer failed.");
    return {command, [o, infoCommand] { return infoCommand->parsed() ? info(*o) : send(*o); }};
}

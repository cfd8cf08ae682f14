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

int info(const StrataCli::Args& args)
{
    if (!args.positional().isEmpty())
        return StrataCli::fail("usage: strata-cli dsp info [--virtual]");
    RadezOvuRef<RadezOvuCore> root(makeRoot(args.has("--virtual")));
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

int send(const StrataCli::Args& args)
{
    int slot = 0;
    if (args.positional().size() != 2 || !StrataCli::Args::parseInt(args.positional()[0], slot) || slot < 1 ||
        slot > 9)
        return StrataCli::fail("usage: strata-cli dsp send SLOT(1-9) FILE [--virtual] [--trace]");
    const juce::File file = juce::File::getCurrentWorkingDirectory().getChildFile(args.positional()[1]);
    if (!file.existsAsFile())
        return StrataCli::fail("no such file: " + file.getFullPathName());

    RadezOvuRef<RadezOvuCore> root(makeRoot(args.has("--virtual")));
    if (!root)
        return StrataCli::fail("no USB access on this system", 1);
    TracePrinter trace;
    if (args.has("--trace"))
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

const StrataCli::Registration registration{"dsp", runDspCommand};
} // namespace

int runDspCommand(const juce::StringArray& raw)
{
    juce::StringArray rest(raw);
    const juce::String sub = rest.isEmpty() ? juce::String() : rest[0];
    rest.remove(0);
    const StrataCli::Args args(rest, {}, {"--virtual", "--trace"});
    if (!args.ok())
        return StrataCli::fail(args.problem());
    if (sub == "info")
        return info(args);
    if (sub == "send")
        return send(args);
    return StrataCli::fail(
        "usage: strata-cli dsp info [--virtual] | dsp send SLOT FILE [--virtual] [--trace]");
}

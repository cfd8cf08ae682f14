#include "VirtualMixer.h"

#include "device/BlockLayouts.h"
#include "device/IncomingMessage.h"
#include "device/MessageFraming.h"
#include "device/PortNames.h"
#include "model/Catalogue.h"
#include "model/Conversions.h"
#include "model/DeviceValues.h"
#include "model/Models.h"
#include "model/Modes.h"
#include "model/StateTree.h"

#include <algorithm>
#include <chrono>
#include <functional>

namespace NsStrata
{
namespace
{
constexpr int dumpRequestAddress = 0x7B7B;
constexpr int modeSelectorAddress = 0x7B7F;
constexpr int meterPollAddress = 0x7F00;
constexpr int modeBlockAddress = 0x7C01;
const MidiBytes identityRequest = {0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7};

double now()
{
    return juce::Time::getMillisecondCounterHiRes();
}

bool isParamId(int id)
{
    return id >= 1 && id <= parameterCount;
}

bool isMakersMessage(const MidiBytes& b)
{
    return b.size() >= 9 && b[1] == 0x00 && b[2] == 0x02 && b[3] == 0x4E;
}

int addressIn(const MidiBytes& b)
{
    return b[6] * 256 + b[7];
}

bool isMeterPoll(const MidiBytes& b)
{
    return b.size() == 9 && isMakersMessage(b) && addressIn(b) == meterPollAddress && b[8] == 0xF7;
}

bool isModeBlock(const MidiBytes& b)
{
    return b.size() == (std::size_t) DeviceBlocks::modeBlockLength && isMakersMessage(b) &&
           addressIn(b) == modeBlockAddress;
}

// The mode bytes the program can mean: a factory mode's code alone, or a user mode's code with its base.
bool namesAMode(int b9)
{
    return b9 < 3 || (b9 >= 4 && b9 < 12);
}

bool isDumpCode(int code)
{
    const auto& modes = DeviceBlocks::modeRequestCodes;
    return code == DeviceBlocks::statusRequestCode ||
           std::find(modes.begin(), modes.end(), code) != modes.end();
}

// The table a level parameter's stored index points into, and its length (0: not a level).
int tableLengthOf(int id)
{
    if (id == ParamId::mic1 || id == ParamId::mic2)
        return (int) levelTable.size();
    if (id == ParamId::headphones || id == ParamId::otg || id == ParamId::bgm)
        return (int) gainTable.size();
    return 0;
}

juce::String hexAddress(int address)
{
    return juce::String::toHexString(address).paddedLeft('0', 4).toUpperCase();
}
} // namespace

class VirtualMixer::Input : public InputPort
{
public:
    // Made under the mixer's lock.
    Input(VirtualMixer& m, IncomingSink& s, int g) : mixer(m), sink(s), generation(g)
    {
        mixer.openInputs.push_back(this);
    }

    ~Input() override
    {
        std::lock_guard<std::mutex> guard(mixer.lock);
        auto& open = mixer.openInputs;
        open.erase(std::remove(open.begin(), open.end(), this), open.end());
        auto& box = mixer.outbox;
        box.erase(
            std::remove_if(box.begin(), box.end(), [this](const Outgoing& o) { return o.target == this; }),
            box.end());
    }

    void start() override
    {
        std::unique_lock<std::mutex> guard(mixer.lock);
        started = true;
        if (mixer.greeting.empty() || !isLive())
            return;
        const auto serial = mixer.send(mixer.greeting, 0, this);
        mixer.changed.wait(guard, [&] { return mixer.doneSerial >= serial || mixer.stopping; });
    }

    void stop() override
    {
        std::lock_guard<std::mutex> guard(mixer.lock);
        started = false;
    }

    // Under the mixer's lock.
    bool isLive() const { return started && mixer.plugged && generation == mixer.generation; }

    VirtualMixer& mixer;
    IncomingSink& sink;
    const int generation;
    bool started = false;
};

class VirtualMixer::Output : public OutputPort
{
public:
    // Made under the mixer's lock.
    Output(VirtualMixer& m, int g) : mixer(m), generation(g) { ++mixer.openOutputs; }

    ~Output() override
    {
        std::lock_guard<std::mutex> guard(mixer.lock);
        --mixer.openOutputs;
    }

    bool send(const MidiBytes& message) override { return mixer.receive(message, generation); }

private:
    VirtualMixer& mixer;
    const int generation;
};

VirtualMixer::VirtualMixer(int modelNumber, const juce::ValueTree& preset)
    : model(modelNumber), createdMs(now())
{
    inputNames.add(modelNameForId(model));
    outputNames.add(modelNameForId(model));
    holdValuesOf(preset);
    worker = std::thread([this] { run(); });
}

void VirtualMixer::holdValuesOf(const juce::ValueTree& state)
{
    std::lock_guard<std::mutex> guard(lock);
    for (const auto& group : modelNode(state, model))
    {
        const int groupId = readInt(group, Prop::id, -1);
        if (groupId < 0 || groupId > modeCount)
            continue;
        if (groupId >= 4)
            basedOn[(std::size_t) groupId] = readInt(group, Prop::basedOnId, 1);
        for (const auto& node : group)
        {
            const int id = readInt(node, Prop::id, 0);
            if (!isParamId(id))
                continue;
            types[(std::size_t) id] = readInt(node, Prop::type, 10);
            values[(std::size_t) groupId][(std::size_t) id] = unpack7BitGroups(messageValue(node, model));
        }
    }
}

VirtualMixer::~VirtualMixer()
{
    {
        std::lock_guard<std::mutex> guard(lock);
        stopping = true;
    }
    changed.notify_all();
    worker.join();
}

bool VirtualMixer::isOwnPort(const juce::String& name) const
{
    return modelIdForPortName(name) == model && portNumberOf(name) == 1;
}

// Under the lock.
juce::Array<PortInfo> VirtualMixer::listed(const juce::StringArray& names, const juce::String& prefix) const
{
    juce::Array<PortInfo> list;
    if (plugged)
        for (int i = 0; i < names.size(); ++i)
            list.add({names[i], prefix + juce::String(i)});
    return list;
}

// Under the lock. The generation a port opened by this identifier lives in: the current one for the
// device's own port (the first one named after its model), -1 for any other listed port, which opens but
// leads nowhere; nothing when the identifier names no listed port.
std::optional<int> VirtualMixer::generationOf(const juce::String& identifier, const juce::StringArray& names,
                                              const juce::String& prefix) const
{
    const int index = identifier.substring(prefix.length()).getIntValue();
    if (!plugged || !identifier.startsWith(prefix) || index < 0 || index >= names.size())
        return std::nullopt;
    for (int i = 0; i < names.size(); ++i)
        if (isOwnPort(names[i]))
            return i == index ? generation : -1;
    return -1;
}

juce::Array<PortInfo> VirtualMixer::inputs()
{
    std::lock_guard<std::mutex> guard(lock);
    ++listReads;
    return listed(inputNames, "in:");
}

juce::Array<PortInfo> VirtualMixer::outputs()
{
    std::lock_guard<std::mutex> guard(lock);
    ++listReads;
    return listed(outputNames, "out:");
}

uint64_t VirtualMixer::portListVersion()
{
    std::lock_guard<std::mutex> guard(lock);
    switch (announcements)
    {
    case PortAnnouncements::announced:
        return listVersion;
    case PortAnnouncements::lost:
        return 0;
    case PortAnnouncements::none:
    default:
        return ++listVersion;
    }
}

void VirtualMixer::setPortAnnouncements(PortAnnouncements a)
{
    std::lock_guard<std::mutex> guard(lock);
    announcements = a;
}

int VirtualMixer::portListReads() const
{
    std::lock_guard<std::mutex> guard(lock);
    return listReads;
}

std::unique_ptr<InputPort> VirtualMixer::openInput(const juce::String& identifier, IncomingSink& sink)
{
    std::unique_ptr<InputPort> port;
    {
        std::lock_guard<std::mutex> guard(lock);
        if (const auto portGeneration = generationOf(identifier, inputNames, "in:"))
            port = std::make_unique<Input>(*this, sink, *portGeneration);
    }
    if (port != nullptr)
        tellProgram(ProgramAction::portOpened);
    return port;
}

std::unique_ptr<OutputPort> VirtualMixer::openOutput(const juce::String& identifier)
{
    std::unique_ptr<OutputPort> port;
    {
        std::lock_guard<std::mutex> guard(lock);
        if (const auto portGeneration = generationOf(identifier, outputNames, "out:"))
            port = std::make_unique<Output>(*this, *portGeneration);
    }
    if (port != nullptr)
        tellProgram(ProgramAction::portOpened);
    return port;
}

void VirtualMixer::setPortNames(const juce::StringArray& ins, const juce::StringArray& outs)
{
    std::lock_guard<std::mutex> guard(lock);
    inputNames = ins;
    outputNames = outs;
    ++listVersion;
}

int VirtualMixer::openPortCount() const
{
    std::lock_guard<std::mutex> guard(lock);
    return (int) openInputs.size() + openOutputs;
}

void VirtualMixer::unplug()
{
    std::lock_guard<std::mutex> guard(lock);
    plugged = false;
    ++generation;
    ++listVersion;
}

void VirtualMixer::plugIn()
{
    std::lock_guard<std::mutex> guard(lock);
    plugged = true;
    ++listVersion;
    lastArrivalMs = lastParameterMs = -1.0e9;
    gapOwedMs = parameterGapOwedMs = 0;
    recentParameterMs.clear();
}

bool VirtualMixer::isPluggedIn() const
{
    std::lock_guard<std::mutex> guard(lock);
    return plugged;
}

void VirtualMixer::unplugAfterReceiving(int messages)
{
    std::lock_guard<std::mutex> guard(lock);
    unplugCountdown = messages;
}

void VirtualMixer::selectMode(int modeId, int basedOnId)
{
    std::lock_guard<std::mutex> guard(lock);
    if (modeId < 1 || modeId > modeCount)
        return;
    mode = modeId;
    if (isUserMode(modeId))
        basedOn[(std::size_t) modeId] = juce::jlimit(1, 4, basedOnId);
}

void VirtualMixer::setGreetingOnStart(const MidiBytes& bytes)
{
    std::lock_guard<std::mutex> guard(lock);
    greeting = bytes;
}

void VirtualMixer::setReplyLatency(double ms)
{
    std::lock_guard<std::mutex> guard(lock);
    replyLatencyMs = juce::jmax(0.0, ms);
}

void VirtualMixer::setDropsWhatTheDeviceWouldDrop(bool drop)
{
    std::lock_guard<std::mutex> guard(lock);
    dropBreaches = drop;
}

void VirtualMixer::setArrivalClock(std::function<double()> clock)
{
    std::lock_guard<std::mutex> guard(lock);
    arrivalClock = std::move(clock);
}

void VirtualMixer::setProgramActionHook(std::function<void(ProgramAction)> hook)
{
    std::lock_guard<std::mutex> guard(lock);
    programActionHook = std::move(hook);
}

void VirtualMixer::tellProgram(ProgramAction action)
{
    std::function<void(ProgramAction)> hook;
    {
        std::lock_guard<std::mutex> guard(lock);
        hook = programActionHook;
    }
    if (hook)
        hook(action);
}

// Under the lock.
uint64_t VirtualMixer::send(MidiBytes bytes, double delayMs, const Input* target)
{
    const auto serial = nextSerial++;
    outbox.push_back({now() + delayMs, std::move(bytes), target, serial});
    changed.notify_all();
    return serial;
}

// The mixer's own thread: hands each message over once it is due, oldest first, as a port's driver would.
void VirtualMixer::run()
{
    std::unique_lock<std::mutex> guard(lock);
    while (!stopping)
    {
        if (outbox.empty())
        {
            changed.wait(guard);
            continue;
        }
        const double wait = outbox.front().dueMs - now();
        if (wait > 0)
        {
            changed.wait_for(guard, std::chrono::microseconds((int64_t) (wait * 1000.0) + 1));
            continue;
        }
        const auto item = std::move(outbox.front());
        outbox.pop_front();
        deliverNow(item);
        doneSerial = item.serial;
        changed.notify_all();
    }
}

// Under the lock, which keeps the input from closing while its sink takes the message.
void VirtualMixer::deliverNow(const Outgoing& item)
{
    bool sent = false;
    for (auto* input : openInputs)
        if ((item.target == nullptr || item.target == input) && input->isLive())
        {
            input->sink.handleIncoming(item.bytes.data(), item.bytes.size());
            sent = true;
        }
    delivered += sent ? 1 : 0;
}

bool VirtualMixer::waitUntilIdle(int timeoutMs) const
{
    std::unique_lock<std::mutex> guard(lock);
    return changed.wait_for(guard, std::chrono::milliseconds(timeoutMs), [this] { return outbox.empty(); });
}

int VirtualMixer::deliveredCount() const
{
    std::lock_guard<std::mutex> guard(lock);
    return delivered;
}

void VirtualMixer::sendRaw(const MidiBytes& bytes)
{
    std::lock_guard<std::mutex> guard(lock);
    send(bytes, 0);
}

int VirtualMixer::groupOf(int paramId) const
{
    return isModeIndependent(paramId) ? 0 : mode;
}

int VirtualMixer::widthOf(int paramId) const
{
    return isParamId(paramId) ? DeviceBlocks::fieldWidth(types[(std::size_t) paramId]) : 1;
}

MidiBytes VirtualMixer::valueReport(int paramId, uint32_t value) const
{
    // The device keeps table indices for the output levels but reports them as the gain values the
    // program's decoder reads; the Ardent's BGM goes through its own table, one entry further on.
    if (paramId == ParamId::bgm && model == ardentModel)
        value = value == 0 ? 0 : (uint32_t) tableEntry(bgmGainTable, (int) value - 1);
    else if (paramId == ParamId::headphones || paramId == ParamId::otg || paramId == ParamId::bgm)
        value = (uint32_t) tableEntry(gainTable, (int) value);

    MidiBytes bytes = sysexHeader(model);
    const int address = addressOf(paramId);
    bytes.push_back(uint8_t(address >> 8));
    bytes.push_back(uint8_t(address & 0x7F));
    const int width = widthOf(paramId);
    if (width >= 2)
        bytes.push_back(uint8_t(width == 2 ? 0x02 : 0x04));
    for (int k = (width >= 2 ? (width == 2 ? 1 : 3) : 0); k >= 0; --k)
        bytes.push_back(uint8_t((value >> (7 * k)) & 0x7F));
    bytes.push_back(0xF7);
    return bytes;
}

void VirtualMixer::turnKnob(int paramId, uint32_t deviceValue)
{
    if (!isParamId(paramId))
        return;
    std::lock_guard<std::mutex> guard(lock);
    values[(std::size_t) groupOf(paramId)][(std::size_t) paramId] = deviceValue;
    send(valueReport(paramId, deviceValue), 0);
}

void VirtualMixer::reportJingle(int pad, bool playing)
{
    const int id = playing ? ParamId::jingleOn : ParamId::jingleOff;
    std::lock_guard<std::mutex> guard(lock);
    values[0][(std::size_t) id] = uint32_t(pad & 0x7F);
    send(valueReport(id, uint32_t(pad & 0x7F)), 0);
}

uint32_t VirtualMixer::deviceValueOf(int paramId, int modeId) const
{
    std::lock_guard<std::mutex> guard(lock);
    if (!isParamId(paramId) || modeId < 0 || modeId > modeCount)
        return 0;
    return values[(std::size_t) modeId][(std::size_t) paramId];
}

int VirtualMixer::currentMode() const
{
    std::lock_guard<std::mutex> guard(lock);
    return mode;
}

int VirtualMixer::basedOnOf(int modeId) const
{
    std::lock_guard<std::mutex> guard(lock);
    return (modeId >= 1 && modeId <= modeCount) ? basedOn[(std::size_t) modeId] : 1;
}

std::vector<VirtualMixer::Received> VirtualMixer::received() const
{
    std::lock_guard<std::mutex> guard(lock);
    return log;
}

void VirtualMixer::clearReceived()
{
    std::lock_guard<std::mutex> guard(lock);
    log.clear();
}

juce::StringArray VirtualMixer::protocolErrors() const
{
    std::lock_guard<std::mutex> guard(lock);
    return errors;
}

MidiBytes VirtualMixer::identityReply() const
{
    MidiBytes bytes = {0xF0, 0x7E, 0x7F, 0x06, 0x02, 0x00, 0x02, 0x4E, 0x00, 0x00};
    bytes.push_back(uint8_t((model >> 7) & 0x7F));
    bytes.push_back(uint8_t(model & 0x7F));
    const auto version = firmwareVersion();
    for (int i = 0; i < 4; ++i)
        bytes.push_back(uint8_t(i < version.length() ? version[i] : 0));
    bytes.push_back(0xF7);
    return bytes;
}

// Fields in layout order, each in the width of its parameter; a reserved entry is one byte of its own.
static void appendFields(MidiBytes& bytes, const int* layout, std::size_t count, bool modeBlock,
                         const std::function<uint32_t(int)>& valueOf, const std::function<int(int)>& widthOf)
{
    for (std::size_t i = 0; i < count; ++i)
    {
        const int id = layout[i];
        if (id == 0 || (modeBlock && isModeIndependent(id)))
        {
            bytes.push_back(0);
            continue;
        }
        const int width = widthOf(id);
        for (int k = width - 1; k >= 0; --k)
            bytes.push_back(uint8_t((valueOf(id) >> (7 * k)) & 0x7F));
    }
}

MidiBytes VirtualMixer::statusBlock() const
{
    MidiBytes bytes = sysexHeader(model);
    bytes.insert(bytes.end(), {0x7C, 0x02, 0x00});
    const std::size_t fieldsStart = bytes.size();
    appendFields(
        bytes, DeviceBlocks::statusLayout.data(), DeviceBlocks::statusLayout.size(), false,
        [this](int id) { return values[0][(std::size_t) id]; }, [this](int id) { return widthOf(id); });
    bytes[fieldsStart] = uint8_t(modeCode(mode) | (basedOn[(std::size_t) mode] - 1));
    uint8_t switches = 0;
    for (const auto& s : DeviceBlocks::statusSwitches)
        if (values[0][(std::size_t) s.paramId] != 0)
            switches |= uint8_t(s.bit);
    bytes[(std::size_t) DeviceBlocks::statusSwitchByte] = switches;
    bytes[8] = uint8_t(bytes.size() - fieldsStart);
    bytes.push_back(0xF7);
    return bytes;
}

MidiBytes VirtualMixer::modeBlock(int modeId) const
{
    MidiBytes bytes = sysexHeader(model);
    bytes.insert(bytes.end(), {0x7C, 0x01, uint8_t(DeviceBlocks::modeBlockFieldCount)});
    const std::size_t fieldsStart = bytes.size();
    appendFields(
        bytes, DeviceBlocks::modeLayout.data(), DeviceBlocks::modeLayout.size(), true,
        [this, modeId](int id) { return values[(std::size_t) modeId][(std::size_t) id]; },
        [this](int id) { return widthOf(id); });
    bytes[fieldsStart] = uint8_t(modeCode(modeId) | (basedOn[(std::size_t) modeId] - 1));
    bytes.resize((std::size_t) DeviceBlocks::modeBlockLength - 1, 0);
    bytes.push_back(0xF7);
    return bytes;
}

MidiBytes VirtualMixer::meterReply()
{
    MidiBytes bytes = sysexHeader(model);
    bytes.insert(bytes.end(), {0x7F, 0x7F});
    bytes.resize(18, 0);
    meterStep = (meterStep + 1) % 16;
    bytes.push_back(uint8_t(20 + 3 * meterStep)); // a level that moves, -26 to +19 dB
    bytes.insert(bytes.end(), {0x00, 0xF7});
    return bytes;
}

void VirtualMixer::storeValue(int address, uint32_t value)
{
    if (address == modeSelectorAddress)
    {
        const auto selected = decodeModeByte(uint8_t(value));
        mode = selected.mode;
        if (selected.basedOn != 0)
            basedOn[(std::size_t) mode] = selected.basedOn;
    }
    const int id = idForAddress(address);
    if (isParamId(id))
        values[(std::size_t) groupOf(id)][(std::size_t) id] = value;
}

void VirtualMixer::storeModeBlock(const MidiBytes& bytes)
{
    const auto target = decodeModeByte(bytes[9]);
    if (target.basedOn != 0)
        basedOn[(std::size_t) target.mode] = target.basedOn;
    std::size_t pos = 9;
    for (const int id : DeviceBlocks::modeLayout)
    {
        if (id == 0 || isModeIndependent(id))
        {
            ++pos;
            continue;
        }
        const int width = widthOf(id);
        if (pos + (std::size_t) width >= bytes.size())
            return;
        uint32_t value = 0;
        for (int k = 0; k < width; ++k)
            value = value * 128 + (bytes[pos + (std::size_t) k] & 0x7Fu);
        values[(std::size_t) target.mode][(std::size_t) id] = value;
        pos += (std::size_t) width;
    }
}

void VirtualMixer::recordError(double at, const MidiBytes& bytes, const juce::String& what)
{
    errors.add(juce::String(at - createdMs, 1) + " ms, " + toHex(bytes) + ": " + what);
}

// Under the lock. True when the message kept to the pacing rules.
bool VirtualMixer::checkPacing(const MidiBytes& bytes, double at)
{
    // One breach is reported per message: the first of the rules it breaks.
    juce::String breach;
    const double gap = at - lastArrivalMs;
    if (gap < gapOwedMs)
        breach = "arrived " + juce::String(gap, 1) + " ms after the message before, which needs " +
                 juce::String(gapOwedMs, 0) + " ms";
    lastArrivalMs = at;
    gapOwedMs = isMeterPoll(bytes) ? meterPollGapMs : minimumGapMs;

    if (!isMeterPoll(bytes) && !isModeBlock(bytes))
    {
        const double parameterGap = at - lastParameterMs;
        if (breach.isEmpty() && parameterGap < parameterGapOwedMs)
            breach = "parameter message " + juce::String(parameterGap, 1) +
                     " ms after the parameter message before, which needs " +
                     juce::String(parameterGapOwedMs, 0) + " ms";
        const bool full = (int) recentParameterMs.size() == envelopeLimit;
        if (breach.isEmpty() && full && at - recentParameterMs.front() < envelopeWindowMs)
            breach = "parameter message " + juce::String(at - recentParameterMs.front(), 1) +
                     " ms after the sixth before it: more than " + juce::String(envelopeLimit) + " within " +
                     juce::String(envelopeWindowMs, 0) + " ms";
        lastParameterMs = at;
        parameterGapOwedMs = (bytes.size() == 12 || bytes.size() == 14) ? longParameterGapMs : parameterGapMs;
        recentParameterMs.push_back(at);
        if (full)
            recentParameterMs.pop_front();
    }
    if (breach.isNotEmpty())
        recordError(at, bytes, breach);
    return breach.isEmpty();
}

// Under the lock. What is wrong with the message's framing or content; empty when nothing is.
juce::String VirtualMixer::ruleBroken(const MidiBytes& b) const
{
    if (b.size() < 2 || b.front() != 0xF0 || b.back() != 0xF7)
        return "not one System Exclusive message";
    for (std::size_t i = 1; i + 1 < b.size(); ++i)
        if (b[i] > 0x7F)
            return "data byte " + juce::String(i) + " is above 7F";
    if (b[1] == 0x7E)
        return b == identityRequest ? juce::String() : "a universal message other than the identity request";
    if (!isMakersMessage(b))
        return "not a message of the maker (00 02 4E)";
    if (b[4] * 128 + b[5] != model)
        return {}; // for another model: the device ignores it without looking further

    const int address = addressIn(b);
    const auto valueFor = [&](int type, uint32_t value) -> juce::String
    {
        const int id = idForAddress(address);
        if (!isParamId(id) || types[(std::size_t) id] == 0)
            return "a value for address " + hexAddress(address) + ", which names no parameter of the model";
        if (types[(std::size_t) id] != type)
            return "a " + juce::String(type) + "-byte value for parameter " + juce::String(id) +
                   ", which takes " + juce::String(types[(std::size_t) id]) + " bytes";
        if (id == ParamId::modeSelector && !namesAMode((int) value))
            return "a mode selector that names no mode";
        if (tableLengthOf(id) > 0 && (int) value >= tableLengthOf(id))
            return "level index " + juce::String(value) + " past the end of the table of parameter " +
                   juce::String(id);
        return {};
    };

    switch (b.size())
    {
    case 9:
        return address == meterPollAddress ? juce::String() : "a command the device does not know";
    case 10:
        if (address == dumpRequestAddress)
            return isDumpCode(b[8]) ? juce::String() : "a dump request for no block";
        return valueFor(10, b[8]);
    case 12:
        if (b[8] != 0x02)
            return "count byte " + juce::String::toHexString(b[8]) + " in a 12-byte message (02 expected)";
        return valueFor(12, uint32_t(b[9]) * 128 + b[10]);
    case 14:
        if (b[8] != 0x04)
            return "count byte " + juce::String::toHexString(b[8]) + " in a 14-byte message (04 expected)";
        return valueFor(14, ((uint32_t(b[9]) * 128 + b[10]) * 128 + b[11]) * 128 + b[12]);
    case (std::size_t) DeviceBlocks::modeBlockLength:
        if (address != modeBlockAddress)
            return "a 61-byte message that is not a mode block";
        if (b[8] != DeviceBlocks::modeBlockFieldCount)
            return "a mode block declaring " + juce::String(b[8]) + " field bytes (51 expected)";
        if (!namesAMode(b[9]))
            return "a mode block whose byte 9 names no mode";
        if (b[10] != 1 && b[10] != 5)
            return "a mode block with the unknown action " + juce::String(b[10]);
        return {};
    default:
        return "a message of " + juce::String((int) b.size()) + " bytes the device cannot parse";
    }
}

// Under the lock: what the device does with a message it understood.
void VirtualMixer::act(const MidiBytes& b)
{
    if (b == identityRequest)
    {
        send(identityReply(), replyLatencyMs);
        return;
    }
    if (!isMakersMessage(b) || b[4] * 128 + b[5] != model)
        return;
    const int address = addressIn(b);
    switch (b.size())
    {
    case 9:
        if (address == meterPollAddress)
            send(meterReply(), replyLatencyMs);
        break;
    case 10:
        if (address == dumpRequestAddress)
        {
            const int code = b[8];
            if (code == DeviceBlocks::statusRequestCode)
                send(statusBlock(), replyLatencyMs);
            for (int m = 1; m <= modeCount; ++m)
                if (code == DeviceBlocks::modeRequestCodes[(std::size_t) m - 1])
                    send(modeBlock(m), replyLatencyMs);
        }
        else
        {
            storeValue(address, b[8]);
        }
        break;
    case 12:
        storeValue(address, uint32_t(b[9]) * 128 + b[10]);
        break;
    case 14:
        storeValue(address, ((uint32_t(b[9]) * 128 + b[10]) * 128 + b[11]) * 128 + b[12]);
        break;
    case (std::size_t) DeviceBlocks::modeBlockLength:
        if (address == modeBlockAddress)
            storeModeBlock(b);
        break;
    default:
        break;
    }
}

// Under the lock.
void VirtualMixer::take(const MidiBytes& bytes, double at)
{
    log.push_back({at, bytes});
    bool kept = checkPacing(bytes, at);
    const auto broken = ruleBroken(bytes);
    if (broken.isNotEmpty())
    {
        recordError(at, bytes, broken);
        kept = false;
    }
    if (kept || !dropBreaches)
        act(bytes);
    if (unplugCountdown > 0 && --unplugCountdown == 0)
    {
        unplugCountdown = -1;
        plugged = false;
        ++generation;
        ++listVersion;
    }
}

bool VirtualMixer::receive(const MidiBytes& bytes, int portGeneration)
{
    {
        std::lock_guard<std::mutex> guard(lock);
        if (!plugged || portGeneration != generation)
            return false;
        take(bytes, arrivalClock ? arrivalClock() : now());
    }
    tellProgram(ProgramAction::messageReceived);
    return true;
}
} // namespace NsStrata

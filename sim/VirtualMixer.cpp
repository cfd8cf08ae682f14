#include "VirtualMixer.h"

#include "device/BlockLayouts.h"
#include "device/IncomingMessage.h"
#include "device/MessageFraming.h"
#include "device/PortNames.h"
#include "model/Catalogue.h"
#include "model/Conversions.h"
#include "model/DeviceValues.h"
#include "model/Modes.h"
#include "model/StateTree.h"

#include <algorithm>
#include <functional>

namespace NsStrata
{
namespace
{
constexpr int dumpRequestAddress = 0x7B7B;
constexpr int modeSelectorAddress = 0x7B7F;

bool isParamId(int id)
{
    return id >= 1 && id <= parameterCount;
}
} // namespace

class VirtualMixer::Input : public InputPort
{
public:
    Input(VirtualMixer& m, IncomingSink& s, int g) : mixer(m), sink(s), generation(g)
    {
        std::lock_guard<std::recursive_mutex> guard(mixer.lock);
        mixer.openInputs.push_back(this);
    }

    ~Input() override
    {
        std::lock_guard<std::recursive_mutex> guard(mixer.lock);
        auto& open = mixer.openInputs;
        open.erase(std::remove(open.begin(), open.end(), this), open.end());
    }

    void start() override
    {
        std::lock_guard<std::recursive_mutex> guard(mixer.lock);
        started = true;
        if (!mixer.greeting.empty() && isLive())
            sink.handleIncoming(mixer.greeting.data(), mixer.greeting.size());
    }

    void stop() override
    {
        std::lock_guard<std::recursive_mutex> guard(mixer.lock);
        started = false;
    }

    bool isLive() const { return started && mixer.plugged && generation == mixer.generation; }

    VirtualMixer& mixer;
    IncomingSink& sink;
    const int generation;
    bool started = false;
};

class VirtualMixer::Output : public OutputPort
{
public:
    Output(VirtualMixer& m, int g) : mixer(m), generation(g) {}
    bool send(const MidiBytes& message) override { return mixer.receive(message, generation); }

private:
    VirtualMixer& mixer;
    const int generation;
};

VirtualMixer::VirtualMixer(int modelNumber, const juce::ValueTree& preset) : model(modelNumber)
{
    inputNames.add(modelNameForId(model));
    outputNames.add(modelNameForId(model));
    const auto modelTree = modelNode(preset, model);
    for (const auto& group : modelTree)
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

VirtualMixer::~VirtualMixer() = default;

juce::Array<PortInfo> VirtualMixer::inputs()
{
    std::lock_guard<std::recursive_mutex> guard(lock);
    juce::Array<PortInfo> list;
    if (plugged)
        for (int i = 0; i < inputNames.size(); ++i)
            list.add({inputNames[i], "in:" + juce::String(i)});
    return list;
}

juce::Array<PortInfo> VirtualMixer::outputs()
{
    std::lock_guard<std::recursive_mutex> guard(lock);
    juce::Array<PortInfo> list;
    if (plugged)
        for (int i = 0; i < outputNames.size(); ++i)
            list.add({outputNames[i], "out:" + juce::String(i)});
    return list;
}

// Only the first pair is the device's own ports; the others are listed but lead nowhere.
std::unique_ptr<InputPort> VirtualMixer::openInput(const juce::String& identifier, IncomingSink& sink)
{
    std::lock_guard<std::recursive_mutex> guard(lock);
    if (!plugged || !identifier.startsWith("in:"))
        return nullptr;
    const int index = identifier.substring(3).getIntValue();
    if (index < 0 || index >= inputNames.size())
        return nullptr;
    return std::make_unique<Input>(*this, sink, index == 0 ? generation : -1);
}

std::unique_ptr<OutputPort> VirtualMixer::openOutput(const juce::String& identifier)
{
    std::lock_guard<std::recursive_mutex> guard(lock);
    if (!plugged || !identifier.startsWith("out:"))
        return nullptr;
    const int index = identifier.substring(4).getIntValue();
    if (index < 0 || index >= outputNames.size())
        return nullptr;
    return std::make_unique<Output>(*this, index == 0 ? generation : -1);
}

void VirtualMixer::setPortNames(const juce::StringArray& ins, const juce::StringArray& outs)
{
    std::lock_guard<std::recursive_mutex> guard(lock);
    inputNames = ins;
    outputNames = outs;
}

void VirtualMixer::unplug()
{
    std::lock_guard<std::recursive_mutex> guard(lock);
    plugged = false;
    ++generation;
}

void VirtualMixer::plugIn()
{
    std::lock_guard<std::recursive_mutex> guard(lock);
    plugged = true;
}

void VirtualMixer::unplugAfterReceiving(int messages)
{
    std::lock_guard<std::recursive_mutex> guard(lock);
    unplugCountdown = messages;
}

void VirtualMixer::selectMode(int modeId, int basedOnId)
{
    std::lock_guard<std::recursive_mutex> guard(lock);
    if (modeId < 1 || modeId > modeCount)
        return;
    mode = modeId;
    if (isUserMode(modeId))
        basedOn[(std::size_t) modeId] = juce::jlimit(1, 4, basedOnId);
}

bool VirtualMixer::isPluggedIn() const
{
    std::lock_guard<std::recursive_mutex> guard(lock);
    return plugged;
}

void VirtualMixer::setGreetingOnStart(const MidiBytes& bytes)
{
    std::lock_guard<std::recursive_mutex> guard(lock);
    greeting = bytes;
}

void VirtualMixer::deliver(const MidiBytes& bytes)
{
    std::lock_guard<std::recursive_mutex> guard(lock);
    bool sent = false;
    for (auto* input : openInputs)
        if (input->isLive())
        {
            input->sink.handleIncoming(bytes.data(), bytes.size());
            sent = true;
        }
    delivered += sent ? 1 : 0;
}

int VirtualMixer::deliveredCount() const
{
    std::lock_guard<std::recursive_mutex> guard(lock);
    return delivered;
}

void VirtualMixer::sendRaw(const MidiBytes& bytes)
{
    deliver(bytes);
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
    std::lock_guard<std::recursive_mutex> guard(lock);
    values[(std::size_t) groupOf(paramId)][(std::size_t) paramId] = deviceValue;
    deliver(valueReport(paramId, deviceValue));
}

void VirtualMixer::reportJingle(int pad, bool playing)
{
    const int id = playing ? ParamId::jingleOn : ParamId::jingleOff;
    std::lock_guard<std::recursive_mutex> guard(lock);
    values[0][(std::size_t) id] = uint32_t(pad & 0x7F);
    deliver(valueReport(id, uint32_t(pad & 0x7F)));
}

uint32_t VirtualMixer::deviceValueOf(int paramId, int modeId) const
{
    std::lock_guard<std::recursive_mutex> guard(lock);
    if (!isParamId(paramId) || modeId < 0 || modeId > modeCount)
        return 0;
    return values[(std::size_t) modeId][(std::size_t) paramId];
}

int VirtualMixer::currentMode() const
{
    std::lock_guard<std::recursive_mutex> guard(lock);
    return mode;
}

int VirtualMixer::basedOnOf(int modeId) const
{
    std::lock_guard<std::recursive_mutex> guard(lock);
    return (modeId >= 1 && modeId <= modeCount) ? basedOn[(std::size_t) modeId] : 1;
}

std::vector<VirtualMixer::Received> VirtualMixer::received() const
{
    std::lock_guard<std::recursive_mutex> guard(lock);
    return log;
}

void VirtualMixer::clearReceived()
{
    std::lock_guard<std::recursive_mutex> guard(lock);
    log.clear();
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

bool VirtualMixer::receive(const MidiBytes& bytes, int portGeneration)
{
    std::lock_guard<std::recursive_mutex> guard(lock);
    if (!plugged || portGeneration != generation)
        return false;
    log.push_back({juce::Time::getMillisecondCounterHiRes(), bytes});
    if (unplugCountdown > 0 && --unplugCountdown == 0)
    {
        unplugCountdown = -1;
        unplug();
        return true;
    }

    if (bytes == MidiBytes{0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7})
    {
        deliver(identityReply());
        return true;
    }
    if (bytes.size() < 9 || bytes[0] != 0xF0 || bytes[1] != 0x00 || bytes[2] != 0x02 || bytes[3] != 0x4E ||
        bytes[4] * 128 + bytes[5] != model || bytes.back() != 0xF7)
        return true; // not for this device: it keeps quiet
    const int address = bytes[6] * 256 + bytes[7];

    switch (bytes.size())
    {
    case 9:
        if (address == 0x7F00)
            deliver(meterReply());
        break;
    case 10:
        if (address == dumpRequestAddress)
        {
            const int code = bytes[8];
            if (code == DeviceBlocks::statusRequestCode)
                deliver(statusBlock());
            for (int m = 1; m <= modeCount; ++m)
                if (code == DeviceBlocks::modeRequestCodes[(std::size_t) m - 1])
                    deliver(modeBlock(m));
        }
        else
        {
            storeValue(address, bytes[8]);
        }
        break;
    case 12:
        storeValue(address, uint32_t(bytes[9]) * 128 + bytes[10]);
        break;
    case 14:
        storeValue(address, ((uint32_t(bytes[9]) * 128 + bytes[10]) * 128 + bytes[11]) * 128 + bytes[12]);
        break;
    case (std::size_t) DeviceBlocks::modeBlockLength:
        if (address == 0x7C01)
            storeModeBlock(bytes);
        break;
    default:
        break;
    }
    return true;
}
} // namespace NsStrata

// libFuzzer target: any bytes as a project file, imported into a small state tree with a device attached, so
// every tree that is let in also goes through the mode blocks.
#include "config/ProjectFile.h"
#include "model/StateTree.h"

#include <cstdint>
#include <cstdlib>

namespace
{
// Three models, each with its mode-independent group (holding the mode selector) and five mode nodes.
juce::ValueTree smallState()
{
    juce::ValueTree root("STRATA");
    for (int model = 1; model <= 3; ++model)
    {
        juce::ValueTree m("MODEL");
        m.setProperty(NsStrata::Prop::id, model, nullptr);
        for (int group = 0; group <= 5; ++group)
        {
            juce::ValueTree g(group == 0 ? "GROUP" : "MODE");
            g.setProperty(NsStrata::Prop::id, group, nullptr);
            juce::ValueTree p("PARAM");
            p.setProperty(NsStrata::Prop::id, group == 0 ? 8 : 18, nullptr);
            p.setProperty(NsStrata::Prop::nrpn, group == 0 ? 31615 : 31517, nullptr);
            p.setProperty(NsStrata::Prop::type, 10, nullptr);
            p.setProperty(NsStrata::Prop::value, 0, nullptr);
            g.appendChild(p, nullptr);
            m.appendChild(g, nullptr);
        }
        root.appendChild(m, nullptr);
    }
    return root;
}

// A connected device that checks every block it is sent is a well-formed System Exclusive message.
class CheckingLink : public NsStrata::ImportLink
{
public:
    bool hasConnection() const override { return true; }
    bool sendToDevice(const NsStrata::MidiBytes& m) override
    {
        if (m.size() != 61 || m.front() != 0xF0 || m.back() != 0xF7)
            std::abort();
        for (size_t i = 1; i + 1 < m.size(); ++i)
            if (m[i] >= 0x80)
                std::abort(); // a data byte that would end or break the message
        return true;
    }
    void pumpMessagesFor(float) override {}
    void queueEntry(const juce::ValueTree& entry, bool, bool) override
    {
        if (!entry.isValid())
            std::abort();
    }
    bool sendingGate() const override { return gate; }
    void setSendingGate(bool open) override { gate = open; }
    void rebind(int, int) override {}

    bool gate = true;
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const juce::ValueTree base = smallState();
    auto state = base.createCopy();
    const auto before = state;

    // Read as a file is read: byte-order marks pick the encoding, anything else is UTF-8.
    juce::MemoryInputStream in(data, size, false);
    const auto text = in.readEntireStreamAsString();

    CheckingLink link;
    const auto result = NsStrata::importConfigurationText(state, text, &link);
    if (!link.gate)
        std::abort(); // the gate must be restored
    if (result.failed() && !(state == before))
        std::abort(); // a refused file must leave the state alone
    if (result.wasOk() && !NsStrata::isUsableTree(state))
        std::abort();
    return 0;
}

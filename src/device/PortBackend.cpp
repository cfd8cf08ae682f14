#include "PortBackend.h"

namespace NsStrata
{
juce::StringArray portNames(const juce::Array<PortInfo>& ports)
{
    juce::StringArray names;
    for (const auto& port : ports)
        names.add(port.name);
    return names;
}
} // namespace NsStrata

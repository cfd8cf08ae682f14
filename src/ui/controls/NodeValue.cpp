#include "NodeValue.h"

#include "model/StateTree.h"

#include <cmath>

namespace NsStrata
{
void setNodeValue(juce::ValueTree node, double value)
{
    if (std::isfinite(value) && value == std::floor(value) && std::abs(value) < 1.0e9)
        node.setProperty(Prop::value, (int) value, nullptr);
    else
        node.setProperty(Prop::value, value, nullptr);
}
} // namespace NsStrata

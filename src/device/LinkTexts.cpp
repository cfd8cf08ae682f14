#include "LinkTexts.h"

#include "LinkFlags.h"

namespace NsStrata
{
namespace
{
const char* const titleName = "Strata";
const char* const titleVersion = "0.76";
} // namespace

void LinkTexts::reset()
{
    statusText.clear();
    connectPrompt.clear();
    firmwareVersion.clear();
    windowTitle.clear();
    lastOutputNames.clear();
}

LinkTexts& linkTexts()
{
    static LinkTexts texts;
    return texts;
}

juce::String cpuShortName(const juce::String& brand)
{
    if (brand.containsIgnoreCase("Intel"))
        return "Intel";
    if (brand.containsIgnoreCase("AMD"))
        return "AMD";

    juce::String variant;
    for (const char* candidate : {"Pro", "Max", "Ultra"})
        if (brand.contains(candidate))
        {
            variant = candidate;
            break;
        }
    juce::String generation;
    if (brand.contains("VirtualApple") || brand.contains("M1"))
        generation = "M1 ";
    else if (brand.contains("M2"))
        generation = "M2 ";
    else if (brand.contains("M3"))
        generation = "M3 ";
    return generation + variant;
}

juce::String buildWindowTitle(const juce::String& statusSuffix, const juce::String& cpuBrand)
{
    juce::String title = juce::String(titleName) + " v" + titleVersion;
    const auto cpu = cpuShortName(cpuBrand);
    if (cpu.isNotEmpty())
        title << " - " << cpu;
    title << statusSuffix << " ";
    if (linkFlags().receiveIndicator)
        title << "<";
    if (linkFlags().sendIndicator)
        title << ">";
    return title;
}

juce::String buildWindowTitle(const juce::String& statusSuffix)
{
    static const juce::String brand = juce::SystemStats::getCpuModel();
    return buildWindowTitle(statusSuffix, brand);
}

void updateLinkTexts()
{
    auto& texts = linkTexts();
    texts.statusText = TRANS("Developing") + "..";
    texts.connectPrompt = TRANS("Please connect the target device") + "..";
}
} // namespace NsStrata

#include "CliCommon.h"

#include "model/StateLoader.h"
#include "model/StateTree.h"
#include "store/Assets.h"

#include <iostream>

namespace StrataCli
{
std::map<std::string, CommandSetup>& commandSetups()
{
    static std::map<std::string, CommandSetup> all;
    return all;
}

bool parseNumber(const juce::String& text, double& out)
{
    const auto t = text.trim();
    if (t.isEmpty())
        return false;
    const char* begin = t.toRawUTF8();
    char* end = nullptr;
    out = std::strtod(begin, &end);
    return end != begin && *end == '\0' && std::isfinite(out);
}

bool parseInt(const juce::String& text, int& out)
{
    double d = 0;
    if (!parseNumber(text, d) || d != std::floor(d) || std::abs(d) > 1e9)
        return false;
    out = (int) d;
    return true;
}

double toNumber(const std::string& checkedText)
{
    double value = 0;
    parseNumber(juce::String::fromUTF8(checkedText.c_str()), value);
    return value;
}

static juce::String inQuotes(const std::string& text)
{
    return "\"" + juce::String::fromUTF8(text.c_str()) + "\"";
}

CLI::Validator wholeNumber(int lowest, int highest)
{
    return CLI::Validator(
        [lowest, highest](std::string& text) -> std::string
        {
            int value = 0;
            if (!parseInt(juce::String::fromUTF8(text.c_str()), value))
                return ("takes a whole number, not " + inQuotes(text)).toStdString();
            if (value < lowest || value > highest)
                return ("must be " + juce::String(lowest) + " to " + juce::String(highest) + ", not " +
                        inQuotes(text))
                    .toStdString();
            text = std::to_string(value);
            return {};
        },
        "");
}

CLI::Validator number()
{
    return CLI::Validator(
        [](std::string& text) -> std::string
        {
            double value = 0;
            return parseNumber(juce::String::fromUTF8(text.c_str()), value)
                       ? std::string()
                       : ("takes a number, not " + inQuotes(text)).toStdString();
        },
        "");
}

CLI::Validator modelNumber()
{
    return CLI::Validator(
        [](std::string& text) -> std::string
        {
            int value = 0;
            if (!parseInt(juce::String::fromUTF8(text.c_str()), value) || !NsStrata::isSupportedModel(value))
                return ("is not a supported model number (4142, 4115, 4141, 4114): " + inQuotes(text))
                    .toStdString();
            text = std::to_string(value);
            return {};
        },
        "");
}

CLI::Option* addPresetOption(CLI::App& command, std::string& preset)
{
    return command.add_option("--preset", preset, "a preset file to use instead of the shipped one")
        ->type_name("PATH");
}

void addNodeOptions(CLI::App& command, NodeOptions& options)
{
    command.add_option("--model", options.model, "model number (default 4142, the Ardent)")
        ->type_name("N")
        ->transform(modelNumber());
    command.add_option("--mode", options.mode, "mode 1 to 5 whose node is used (default 1)")
        ->type_name("M")
        ->transform(wholeNumber(1, 5));
    addPresetOption(command, options.preset);
}

juce::File fileArgument(const juce::String& path)
{
    return juce::File::getCurrentWorkingDirectory().getChildFile(path);
}

int refuse(const juce::Result& result)
{
    std::cerr << result.getErrorMessage().toStdString() << std::endl;
    return 1;
}

int fail(const juce::String& message, int status)
{
    std::cerr << "strata-cli: " << message.toStdString() << std::endl;
    return status;
}

void printJson(const juce::var& object)
{
    std::cout << juce::JSON::toString(object, true).toStdString() << std::endl;
}

juce::DynamicObject::Ptr jsonObject()
{
    return new juce::DynamicObject();
}

juce::ValueTree loadPreset(const juce::String& path, juce::String& problem)
{
    juce::String text;
    if (path.isEmpty())
    {
        text = NsStrata::loadAssetText("Strata/preset/preset.xml", false);
        if (text.isEmpty())
            problem =
                "the shipped preset was not found below " + NsStrata::findResourcesFolder().getFullPathName();
    }
    else
    {
        const auto file = fileArgument(path);
        if (!file.existsAsFile())
            problem = "no such preset file: " + path;
        text = file.loadFileAsString();
    }
    auto tree = NsStrata::treeFromXmlText(text);
    if (problem.isEmpty() && !NsStrata::isUsableTree(tree))
        problem = "the preset is not a usable state tree: " +
                  (path.isEmpty() ? juce::String("shipped preset") : path);
    return problem.isEmpty() ? tree : juce::ValueTree();
}
} // namespace StrataCli

#include "CliCommon.h"

#include "model/StateLoader.h"
#include "model/StateTree.h"
#include "store/Assets.h"

#include <iostream>

namespace StrataCli
{
std::map<juce::String, Command>& commands()
{
    static std::map<juce::String, Command> all;
    return all;
}

Args::Args(const juce::StringArray& raw, const juce::StringArray& valueOptions,
           const juce::StringArray& flags)
{
    for (int i = 0; i < raw.size(); ++i)
    {
        const auto& a = raw[i];
        if (valueOptions.contains(a))
        {
            if (i + 1 >= raw.size())
            {
                error = a + " needs a value";
                return;
            }
            values.set(a, raw[++i]);
        }
        else if (flags.contains(a))
        {
            values.set(a, "1");
        }
        else if (a.startsWith("--"))
        {
            error = "unknown option " + a;
            return;
        }
        else
        {
            positionals.add(a);
        }
    }
}

juce::String Args::value(const juce::String& option, const juce::String& fallback) const
{
    return values.containsKey(option) ? values[option] : fallback;
}

int Args::intValue(const juce::String& option, int fallback)
{
    if (!values.containsKey(option))
        return fallback;
    int v = 0;
    if (!parseInt(values[option], v))
    {
        error = option + " takes a whole number, not \"" + values[option] + "\"";
        return fallback;
    }
    return v;
}

bool Args::parseNumber(const juce::String& text, double& out)
{
    const auto t = text.trim();
    if (t.isEmpty())
        return false;
    const char* begin = t.toRawUTF8();
    char* end = nullptr;
    out = std::strtod(begin, &end);
    return end != begin && *end == '\0' && std::isfinite(out);
}

bool Args::parseInt(const juce::String& text, int& out)
{
    double d = 0;
    if (!parseNumber(text, d) || d != std::floor(d) || std::abs(d) > 1e9)
        return false;
    out = (int) d;
    return true;
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

bool Args::idAndValue(int& id, double& value) const
{
    return positionals.size() == 2 && parseInt(positionals[0], id) && parseNumber(positionals[1], value);
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

#include "AboutBox.h"

#include "Dialogs.h"

namespace NsStrata
{
BuildInfo BuildInfo::current()
{
    BuildInfo info;
    info.displayName = "Strata";
    info.versionMark = "v";
    info.version = "0.76";
    info.buildTag = "86N";
    info.firstYear = "2024";
    info.buildDate = __DATE__;
    info.buildTime = __TIME__;
    info.makerName = "Kestrel Audio";
    info.makerAddress = "https://www.kestrel-audio.example";
    return info;
}

juce::String BuildInfo::buildYear() const
{
    return buildDate.getLastCharacters(4);
}

juce::String BuildInfo::shortBuildDate() const
{
    return buildDate.replace("  ", " ").dropLastCharacters(5);
}

AboutText aboutText(AboutVariant variant, const BuildInfo& info)
{
    const auto title = juce::String("{lumen} {ver-mark}{ver}")
                           .replace("{lumen}", info.displayName)
                           .replace("{ver-mark}", info.versionMark)
                           .replace("{ver}", info.version);

    auto message = TRANS("{build} built on {date}") + "\n\n" + TRANS("Copyright (c) {year} {comp}") + "\n" +
                   TRANS("All rights reserved.") + "\n\n" + "{url}";

    const bool span = variant == AboutVariant::logo && info.firstYear != info.buildYear();
    message = message.replace("{url}", info.makerAddress)
                  .replace("{comp}", info.makerName)
                  .replace("{build}", info.buildTag)
                  .replace("{year}", span ? "{start}-{end}" : "{end}");
    if (variant == AboutVariant::logo)
        message = message.replace("{start}", info.firstYear);
    message = message.replace("{end}", info.buildYear())
                  .replace("{date}", info.shortBuildDate())
                  .replace("{time}", info.buildTime);

    return {title, message, variant == AboutVariant::menu ? TRANS("OK") : juce::String("OK")};
}

int showAboutBox(AboutVariant variant, juce::LookAndFeel* menuLookAndFeel)
{
    const auto text = aboutText(variant);
    return dialogs().runModalBox(text.title, text.message, text.buttonText,
                                 variant == AboutVariant::menu ? menuLookAndFeel : nullptr);
}
} // namespace NsStrata

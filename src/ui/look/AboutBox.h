#pragma once
// The about box: the program's name, version, build and the maker's notice, shown from the File menu and by a
// press on the maker's logo.
#include <juce_gui_basics/juce_gui_basics.h>

namespace NsStrata
{
/** What the build knows about itself. */
struct BuildInfo
{
    juce::String displayName;  // {lumen}
    juce::String versionMark;  // {ver-mark}
    juce::String version;      // {ver}
    juce::String buildTag;     // {build}
    juce::String firstYear;    // {start}
    juce::String buildDate;    // the compiler's date: "May 12 2025", "May  2 2025"
    juce::String buildTime;    // {time}
    juce::String makerName;    // {comp}
    juce::String makerAddress; // {url}

    /** This build. */
    static BuildInfo current();

    /** The last four characters of the build date. */
    juce::String buildYear() const;
    /** The build date without its year, double spaces made single: "May 12", "May 2". */
    juce::String shortBuildDate() const;
};

enum class AboutVariant
{
    menu, // File > About: the build year alone, translated button, the menu's look and feel
    logo  // a press on the logo: the years since the first one, "OK", the default look and feel
};

struct AboutText
{
    juce::String title, message, buttonText;
};

/** The texts of the box for a variant, in the current language. */
AboutText aboutText(AboutVariant variant, const BuildInfo& info = BuildInfo::current());

/** Shows the box modally through the dialogs and returns its result (1 when its button was pressed). The menu
    variant uses menuLookAndFeel; the logo variant the default look and feel. */
int showAboutBox(AboutVariant variant, juce::LookAndFeel* menuLookAndFeel);
} // namespace NsStrata

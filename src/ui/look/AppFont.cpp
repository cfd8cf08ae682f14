#include "AppFont.h"

#include "ScreenState.h"
#include "store/Assets.h"

#include <juce_gui_basics/juce_gui_basics.h>

#if JUCE_LINUX || JUCE_BSD
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#endif

namespace NsStrata
{
namespace
{
constexpr float baseHeight = 12.0f;

juce::File firstMatching(const juce::File& folder, const juce::String& pattern)
{
    auto files = folder.findChildFiles(juce::File::findFiles, false, pattern);
    // The system lists a folder in no particular order; name order keeps the choice the same everywhere.
    files.sort();
    return files.isEmpty() ? juce::File() : files.getFirst();
}

// The framework's FreeType typeface takes any bytes and fails on first use when they are not a font, so the
// bytes are tried here first.
bool isReadableFont(const juce::MemoryBlock& data)
{
#if JUCE_LINUX || JUCE_BSD
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0)
        return false;
    FT_Face face = nullptr;
    const bool readable = FT_New_Memory_Face(library, static_cast<const FT_Byte*>(data.getData()),
                                             (FT_Long) data.getSize(), 0, &face) == 0;
    if (face != nullptr)
        FT_Done_Face(face);
    FT_Done_FreeType(library);
    return readable;
#else
    return data.getSize() > 4;
#endif
}

#if JUCE_LINUX || JUCE_BSD
juce::File fontconfigSansSerifFile()
{
    juce::File result;
    if (FcInit() == FcFalse)
        return result;
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("sans-serif"));
    if (pattern == nullptr)
        return result;
    // The interface may be Chinese: among the sans-serif faces, one that covers it wins.
    FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>("zh-cn"));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult matchResult = FcResultNoMatch;
    if (FcPattern* match = FcFontMatch(nullptr, pattern, &matchResult))
    {
        FcChar8* path = nullptr;
        if (FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path != nullptr)
            result = juce::File(juce::String::fromUTF8(reinterpret_cast<const char*>(path)));
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    return result;
}
#endif
} // namespace

juce::File findFontFile(const juce::File& folder)
{
    if (!folder.isDirectory())
        return {};
    if (auto chosen = folder.getChildFile("chinese.ttf"); chosen.existsAsFile())
        return chosen;
    for (const char* pattern : {"*.ttf", "*.otf", "*.ttc"})
        if (auto chosen = firstMatching(folder, pattern); chosen.existsAsFile())
            return chosen;
    return {};
}

std::optional<juce::Font> fontFromFile(const juce::File& file)
{
    juce::MemoryBlock data;
    if (!file.existsAsFile() || !file.loadFileAsData(data) || !isReadableFont(data))
        return std::nullopt;
    auto typeface = juce::Typeface::createSystemTypefaceFor(data.getData(), data.getSize());
    if (typeface == nullptr || typeface->getName().isEmpty())
        return std::nullopt;
    return juce::Font(typeface).withHeight(baseHeight);
}

juce::Font systemSansSerifFont()
{
#if JUCE_LINUX || JUCE_BSD
    if (auto font = fontFromFile(fontconfigSansSerifFile()))
        return *font;
#endif
    return juce::Font(juce::Font::getDefaultSansSerifFontName(), baseHeight, juce::Font::plain);
}

juce::Font makeAppFont(const juce::File& fontFolder)
{
    if (auto font = fontFromFile(findFontFile(fontFolder)))
        return *font;
    return systemSansSerifFont();
}

const juce::Font& appFont()
{
    static const juce::Font font = makeAppFont(getAssetFile("font/", false));
    return font;
}

juce::Font appFont(float height)
{
    return appFont().withHeight(height);
}

juce::Font scaledAppFont(float designHeight)
{
    return appFont((float) scaled(designHeight));
}

void useAppFontAsDefault()
{
    if (auto typeface = appFont().getTypefacePtr())
        juce::LookAndFeel::getDefaultLookAndFeel().setDefaultSansSerifTypeface(typeface);
}
} // namespace NsStrata

// The controls together at UI scale 1 and 2, in English and Chinese: texts fit, nothing overlaps, and
// Chinese renders as glyphs. With STRATA_SHEET_DIR set, the sheets are written there as pictures.
#include "ControlSheet.h"

#include "ui/look/AppFont.h"

#include <cstdlib>

using namespace NsStrata;

namespace
{
struct SheetCase
{
    float scale;
    int language;
    const char* name;
};

class ControlSheetTest : public UiTest, public ::testing::WithParamInterface<SheetCase>
{
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        setUiScale(GetParam().scale);
        if (GetParam().language == Language::chinese)
        {
            ASSERT_TRUE(setLanguage(Language::chinese));
        }
        sheet = std::make_unique<ControlSheet>(tree);
        sheet->setBounds(0, 0, scaled(ControlSheet::designWidth), scaled(ControlSheet::designHeight));
        image = renderComponent(*sheet);
    }

    void TearDown() override
    {
        sheet.reset();
        UiTest::TearDown();
    }

    /** The width a label's text takes in its font. */
    static float textWidth(const juce::Label& label)
    {
        return label.getFont().getStringWidthFloat(label.getText());
    }

    std::unique_ptr<ControlSheet> sheet;
    juce::Image image;
};

/** Splits the ink of an area into glyphs by the empty columns between them; returns their bitmaps. */
std::vector<juce::Image> glyphsIn(const juce::Image& image, juce::Rectangle<int> area, juce::Colour ink)
{
    const auto isInk = [&](int x, int y) { return colourDistance(image.getPixelAt(x, y), ink) < 70; };
    std::vector<juce::Image> glyphs;
    int start = -1;
    for (int x = area.getX(); x <= area.getRight(); ++x)
    {
        bool any = false;
        for (int y = area.getY(); y < area.getBottom() && x < area.getRight(); ++y)
            any = any || isInk(x, y);
        if (any && start < 0)
            start = x;
        if (!any && start >= 0)
        {
            juce::Image glyph(juce::Image::SingleChannel, x - start, area.getHeight(), true);
            for (int gx = start; gx < x; ++gx)
                for (int y = area.getY(); y < area.getBottom(); ++y)
                    glyph.setPixelAt(gx - start, y - area.getY(),
                                     isInk(gx, y) ? juce::Colours::white : juce::Colours::transparentBlack);
            glyphs.push_back(glyph);
            start = -1;
        }
    }
    return glyphs;
}

bool sameShape(const juce::Image& a, const juce::Image& b)
{
    if (a.getWidth() != b.getWidth())
        return false;
    for (int y = 0; y < a.getHeight(); ++y)
        for (int x = 0; x < a.getWidth(); ++x)
            if ((a.getPixelAt(x, y).getAlpha() > 0) != (b.getPixelAt(x, y).getAlpha() > 0))
                return false;
    return true;
}

/** More than one distinct glyph shape with ink: real glyphs, not a row of the same box. */
int distinctShapes(const std::vector<juce::Image>& glyphs)
{
    std::vector<juce::Image> shapes;
    for (const auto& g : glyphs)
        if (std::none_of(shapes.begin(), shapes.end(), [&](const juce::Image& s) { return sameShape(s, g); }))
            shapes.push_back(g);
    return (int) shapes.size();
}
} // namespace

TEST_P(ControlSheetTest, LabelsAndTitlesFitTheirPlaces)
{
    for (auto* knob : sheet->allKnobs())
    {
        SCOPED_TRACE(knob->getName().toStdString());
        const auto& label = knob->label();
        EXPECT_LE(textWidth(label), (float) label.getWidth()) << label.getText();
        EXPECT_GE((float) label.getHeight(), label.getFont().getHeight() * 0.95f) << label.getText();
        EXPECT_TRUE(knob->getLocalBounds().contains(label.getBounds()));
        EXPECT_TRUE(knob->getLocalBounds().contains(knob->slider().getBounds()));
        // The value text fits its box (the box may squeeze it a little).
        const auto valueText = knob->slider().getTextFromValue(knob->slider().getValue());
        const auto box = knob->slider().getTextBoxWidth();
        EXPECT_LE(appFont((float) scaled(13)).getStringWidthFloat(valueText) * 0.7f, (float) box)
            << valueText;
    }
    for (auto* section : sheet->allSections())
    {
        SCOPED_TRACE(section->getName().toStdString());
        // A narrow section's title may be narrowed down to its label's least horizontal scale, never cut.
        auto& title = section->getTitle()->label();
        EXPECT_LE(textWidth(title) * title.getMinimumHorizontalScale(), (float) title.getWidth())
            << title.getText();
    }
}

TEST_P(ControlSheetTest, NothingDrawnOverlaps)
{
    // What a control draws, in sheet coordinates: a knob's label, value text and ring (or fader), a button's
    // face. A button may sit beside a knob's ring inside the knob's place.
    std::vector<std::pair<juce::String, juce::Rectangle<int>>> drawn;
    for (auto* k : sheet->allKnobs())
    {
        const auto origin = k->getPosition();
        const auto& slider = k->slider();
        const auto sliderOrigin = origin + slider.getPosition();
        drawn.push_back({k->getName() + " label", k->label().getBounds() + origin});
        const int boxW = slider.getTextBoxWidth(), boxH = slider.getTextBoxHeight();
        drawn.push_back({k->getName() + " value",
                         juce::Rectangle<int>((slider.getWidth() - boxW) / 2, 0, boxW, boxH) + sliderOrigin});
        if (slider.isRotary())
        {
            const auto g = slider.knobGeometry();
            drawn.push_back({k->getName() + " ring", juce::Rectangle<float>(g.radius * 2, g.radius * 2)
                                                             .withCentre(g.centre)
                                                             .getSmallestIntegerContainer() +
                                                         sliderOrigin});
        }
        else
        {
            const auto f = slider.faderGeometry();
            drawn.push_back({k->getName() + " fader",
                             f.track.getUnion(f.thumb).getSmallestIntegerContainer() + sliderOrigin});
        }
    }
    for (auto* b : sheet->allButtons())
        drawn.push_back({b->getTitle(), b->getBounds()});

    for (std::size_t i = 0; i < drawn.size(); ++i)
    {
        EXPECT_TRUE(sheet->getLocalBounds().contains(drawn[i].second)) << drawn[i].first;
        for (std::size_t j = i + 1; j < drawn.size(); ++j)
            EXPECT_FALSE(drawn[i].second.intersects(drawn[j].second))
                << drawn[i].first << " and " << drawn[j].first;
    }
}

TEST_P(ControlSheetTest, TextIsDrawnAsGlyphsInEitherLanguage)
{
    // A knob label and a button caption: their ink splits into more than one glyph shape.
    const auto& hp = sheet->knobNamed("HP");
    const auto labelArea = hp.label().getBounds() + hp.getPosition();
    const auto labelGlyphs = glyphsIn(image, labelArea, juce::Colour(0xffbbc3cc));
    EXPECT_GE(labelGlyphs.size(), 2u) << hp.label().getText();
    EXPECT_GE(distinctShapes(labelGlyphs), 2) << hp.label().getText();

    auto& mute = sheet->buttonWithText("MIC MUTE");
    const auto buttonGlyphs = glyphsIn(image, mute.getBounds().reduced(scaled(3)), juce::Colour(0xffbbc3cc));
    EXPECT_GE(distinctShapes(buttonGlyphs), 2);
    if (GetParam().language == Language::chinese)
    {
        EXPECT_EQ(hp.label().getText(), juce::String::fromUTF8("耳机"));
        EXPECT_GE(buttonGlyphs.size(), 4u) << "four characters";
    }

    if (const char* dir = std::getenv("STRATA_SHEET_DIR"))
    {
        const auto file = juce::File(dir).getChildFile(juce::String("controls-") + GetParam().name + ".png");
        file.deleteFile();
        juce::FileOutputStream out(file);
        juce::PNGImageFormat().writeImageToStream(image, out);
    }
}

INSTANTIATE_TEST_SUITE_P(Sheets, ControlSheetTest,
                         ::testing::Values(SheetCase{1.0f, Language::english, "english_1x"},
                                           SheetCase{2.0f, Language::english, "english_2x"},
                                           SheetCase{1.0f, Language::chinese, "chinese_1x"},
                                           SheetCase{2.0f, Language::chinese, "chinese_2x"}),
                         [](const ::testing::TestParamInfo<SheetCase>& sheetCase)
                         { return std::string(sheetCase.param.name); });

// The whole panel at UI scale 1 and 2, in English and Chinese: every text fits its place and nothing drawn
// overlaps, the panel picture lies under the sections, and the cover says what to do without a mixer.
#include "PanelFixture.h"

#include "ui/AssetImage.h"
#include "ui/look/AppFont.h"
#include "ui/look/Palette.h"
#include "ui/panel/CoverLabel.h"

using namespace NsStrata;

namespace
{
struct LookCase
{
    float scale;
    int language;
    const char* name;
};

class PanelLookTest : public PanelTest, public ::testing::WithParamInterface<LookCase>
{
protected:
    void SetUp() override
    {
        PanelTest::SetUp();
        setUiScale(GetParam().scale);
        if (GetParam().language == Language::chinese)
        {
            ASSERT_TRUE(setLanguage(Language::chinese));
        }
        panel->setBounds(0, 0, scaled(panelDesignWidth), scaled(panelDesignHeight));
        // VOCAL TUNE on, so the scale button shows a choice.
        setNodeValue(live(39), 1);
        bind(ardentModel, 1);
        image = renderComponent(*panel);
    }

    juce::Image image;
};
} // namespace

TEST_P(PanelLookTest, TextsFitAndNothingOverlaps)
{
    for (int i = 0; i < 28; ++i)
    {
        const auto& knob = panel->knob(i);
        SCOPED_TRACE(knob.getName().toStdString());
        const auto& label = knob.label();
        EXPECT_LE(label.getFont().getStringWidthFloat(label.getText()), (float) label.getWidth());
        EXPECT_TRUE(panel->getLocalBounds().contains(knob.getBounds()));
    }
    for (int s = 0; s < PanelSection::count; ++s)
    {
        auto& title = panel->section(s).getTitle()->label();
        EXPECT_LE(title.getFont().getStringWidthFloat(title.getText()) * title.getMinimumHorizontalScale(),
                  (float) title.getWidth())
            << title.getText();
    }

    // What is drawn: knob rings or faders and their labels, and every button's face.
    std::vector<std::pair<juce::String, juce::Rectangle<int>>> drawn;
    for (int i = 0; i < 28; ++i)
    {
        const auto& k = panel->knob(i);
        const auto& slider = k.slider();
        const auto origin = k.getPosition() + slider.getPosition();
        drawn.push_back({k.getName() + " label", k.label().getBounds() + k.getPosition()});
        if (slider.isRotary())
        {
            const auto g = slider.knobGeometry();
            drawn.push_back({k.getName() + " ring", juce::Rectangle<float>(g.radius * 2, g.radius * 2)
                                                            .withCentre(g.centre)
                                                            .getSmallestIntegerContainer() +
                                                        origin});
        }
        else
        {
            const auto f = slider.faderGeometry();
            drawn.push_back(
                {k.getName() + " fader", f.track.getUnion(f.thumb).getSmallestIntegerContainer() + origin});
        }
    }
    for (auto* b : panel->allButtons())
    {
        drawn.push_back({b->getTitle() + " " + juce::String(b->kind), b->getBounds()});
        // The caption fits the face (the small square buttons shrink theirs to fit).
        if (b->kind == ButtonKind::mode || b->kind == ButtonKind::mixer || b->kind == ButtonKind::jinglePad)
        {
            const auto caption = TRANS(b->getButtonText());
            const auto font = appFont((float) juce::roundToInt(uiScale() * 15.0f));
            EXPECT_LE(font.getStringWidthFloat(caption) / 2.0f, (float) b->getWidth()) << caption;
        }
    }
    for (std::size_t i = 0; i < drawn.size(); ++i)
    {
        EXPECT_TRUE(panel->getLocalBounds().contains(drawn[i].second)) << drawn[i].first;
        for (std::size_t j = i + 1; j < drawn.size(); ++j)
            EXPECT_FALSE(drawn[i].second.intersects(drawn[j].second))
                << drawn[i].first << " and " << drawn[j].first;
    }
}

TEST_P(PanelLookTest, ThePanelPictureLiesUnderTheSectionsAndTheCoverTalksPlainly)
{
    ASSERT_TRUE(loadAssetImage("Strata/Strata.jpg", false).isValid());
    // The picture is drawn (width + 2) wide: a plate's colour, not the bare panel colour, shows in a section.
    const auto inside = panel->section(PanelSection::eq).getBounds().getCentre();
    EXPECT_GT(colourDistance(image.getPixelAt(inside.x, inside.y - scaled(60)), Palette::panel), 8);

    panel->setCoverVisible(true);
    EXPECT_TRUE(panel->isCoverVisible());
    auto& cover = panel->cover();
    EXPECT_EQ(cover.getBounds(), panel->getLocalBounds());
    bool takesClicks = true, childrenTakeClicks = true;
    cover.getInterceptsMouseClicks(takesClicks, childrenTakeClicks);
    EXPECT_FALSE(takesClicks) << "the cover never takes the panel's clicks";
    EXPECT_FALSE(childrenTakeClicks);
    const auto lines = CoverLabel::lines();
    EXPECT_TRUE(lines[2].contains("--virtual-device"));
    if (GetParam().language == Language::chinese)
    {
        EXPECT_EQ(lines[0], juce::String::fromUTF8("未连接调音台"));
    }
    const auto covered = renderComponent(*panel);
    const auto box = dynamic_cast<CoverLabel&>(cover).textBox();
    EXPECT_TRUE(panel->getLocalBounds().contains(box));
    for (const auto& line : lines)
        EXPECT_LE(appFont((float) scaled(15)).getStringWidthFloat(line), (float) box.getWidth() * 2) << line;
    // A click goes through to the control below.
    panel->setVisible(true); // hit-testing looks only at what is shown
    const auto hp = panel->knob(2).getBounds().getCentre();
    EXPECT_EQ(panel->getComponentAt(hp), &panel->knob(2).slider());
    EXPECT_NE(covered.getPixelAt(hp.x, hp.y), image.getPixelAt(hp.x, hp.y)) << "the veil darkens the panel";
}

INSTANTIATE_TEST_SUITE_P(Looks, PanelLookTest,
                         ::testing::Values(LookCase{1.0f, Language::english, "english_1x"},
                                           LookCase{2.0f, Language::english, "english_2x"},
                                           LookCase{1.0f, Language::chinese, "chinese_1x"},
                                           LookCase{2.0f, Language::chinese, "chinese_2x"}),
                         [](const ::testing::TestParamInfo<LookCase>& c)
                         { return std::string(c.param.name); });

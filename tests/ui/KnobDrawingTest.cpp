// Knobs and faders rendered at UI scale 1 and 2, probed where the drawing rules put their parts.
#include "UiFixture.h"

#include "store/Assets.h"
#include "support/TestHome.h"

#include <cmath>

using namespace NsStrata;

namespace
{
const juce::Colour background{0xff54585b};
const juce::Colour arc{0xff9acd32};
const juce::Colour ring{0xff141414};
const juce::Colour fill{0xff4682b4};

class KnobDrawingTest : public UiTest, public ::testing::WithParamInterface<float>
{
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        setUiScale(GetParam());
    }

    std::unique_ptr<ParameterKnob> knob(double minimum, double maximum, double value)
    {
        auto k = std::make_unique<ParameterKnob>("Level", minimum, maximum);
        k->setBounds(0, 0, scaled(100), scaled(130));
        k->showValue(value);
        return k;
    }

    /** The colour at angle (clockwise from 12 o'clock) and radius (a share of the knob's radius). */
    static juce::Colour at(const juce::Image& image, const ParameterKnob& k, float angle, float radiusShare)
    {
        const auto g = k.slider().knobGeometry();
        const auto p = k.slider().getPosition().toFloat() + g.centre +
                       juce::Point<float>(std::sin(angle), -std::cos(angle)) * (g.radius * radiusShare);
        return image.getPixelAt(juce::roundToInt(p.x), juce::roundToInt(p.y));
    }

    static juce::Colour at(const juce::Image& image, const ParameterKnob& k, juce::Point<float> inSlider)
    {
        const auto p = k.slider().getPosition().toFloat() + inSlider;
        return image.getPixelAt(juce::roundToInt(p.x), juce::roundToInt(p.y));
    }

    static constexpr float midRing = 0.94f; // halfway across the ring
    static constexpr int close = 40;
};
} // namespace

TEST_P(KnobDrawingTest, TheValueArcRunsFromTheStartToTheValueAngleOverTheRing)
{
    auto k = knob(0, 100, 60);
    k->slider().setMetering(false);
    const auto image = renderComponent(*k, background);
    const auto g = k->slider().knobGeometry();
    ASSERT_NEAR(g.endAngle - g.startAngle, 0.83f * juce::MathConstants<float>::twoPi, 0.001f);
    ASSERT_NEAR(g.valueAngle, g.startAngle + 0.6f * (g.endAngle - g.startAngle), 0.001f);

    EXPECT_LT(colourDistance(at(image, *k, g.valueAngle - 0.08f, midRing), arc), close);
    EXPECT_LT(colourDistance(at(image, *k, g.startAngle + 0.08f, midRing), arc), close);
    EXPECT_LT(colourDistance(at(image, *k, g.valueAngle + 0.08f, midRing), ring), close);
    EXPECT_LT(colourDistance(at(image, *k, g.endAngle - 0.08f, midRing), ring), close);
    // Below the knob, between the ends, the ring is open.
    EXPECT_LT(colourDistance(at(image, *k, juce::MathConstants<float>::pi, midRing), background), close);
    // Outside the ring and inside it, no ring.
    EXPECT_LT(colourDistance(at(image, *k, g.valueAngle - 0.08f, 1.1f), background), close);
    // The pointer at the value angle, between its two radii.
    EXPECT_LT(colourDistance(at(image, *k, g.valueAngle, 0.59f), juce::Colour(0xffbbc3cc)), 60);
    EXPECT_LT(colourDistance(at(image, *k, g.valueAngle, 0.2f), background), close);
}

TEST_P(KnobDrawingTest, AnArcFromTheTopRunsFromTwelveOClockEitherWay)
{
    for (const double value : {3.0, -3.0})
    {
        SCOPED_TRACE(value);
        auto k = knob(-6, 6, value);
        k->slider().setStyleCode(KnobSlider::arcFromTopStyle);
        k->slider().setMetering(false);
        const auto image = renderComponent(*k, background);
        const auto g = k->slider().knobGeometry();
        const float top = juce::MathConstants<float>::twoPi;
        EXPECT_LT(colourDistance(at(image, *k, (top + g.valueAngle) * 0.5f, midRing), arc), close);
        EXPECT_LT(colourDistance(at(image, *k, g.startAngle + 0.08f, midRing), ring), close);
        EXPECT_LT(colourDistance(at(image, *k, g.endAngle - 0.08f, midRing), ring), close);
    }
}

TEST_P(KnobDrawingTest, MeteringMarksCutTheValueRingOnlyWhileMetering)
{
    for (const bool metering : {true, false})
    {
        auto k = knob(0, 100, 100);
        k->slider().setMetering(metering);
        const auto image = renderComponent(*k, background);
        const auto g = k->slider().knobGeometry();
        int marks = 0, lit = 0;
        for (float a = g.startAngle + 0.05f; a < g.endAngle - 0.05f; a += 0.004f)
        {
            const auto c = at(image, *k, a, midRing);
            marks += colourDistance(c, ring) < close ? 1 : 0;
            lit += colourDistance(c, arc) < close ? 1 : 0;
        }
        SCOPED_TRACE(metering);
        EXPECT_GT(lit, marks);
        if (metering)
            EXPECT_GT(marks, 20);
        else
            EXPECT_EQ(marks, 0);
    }
}

TEST_P(KnobDrawingTest, ADisabledKnobIsDrawnAtHalfAlpha)
{
    auto k = knob(0, 100, 60);
    k->slider().setMetering(false);
    k->setEnabled(false);
    const auto image = renderComponent(*k, background);
    const auto g = k->slider().knobGeometry();
    const auto expected = background.overlaidWith(arc.withAlpha(0.5f));
    EXPECT_LT(colourDistance(at(image, *k, g.valueAngle - 0.08f, midRing), expected), 12);
    EXPECT_GT(colourDistance(at(image, *k, g.valueAngle - 0.08f, midRing), arc), 40);
}

TEST_P(KnobDrawingTest, FadersFillFromTheirLowEndOrFromTheMiddle)
{
    struct Case
    {
        const char* what;
        bool vertical;
        int styleCode;
        double value;
    };
    const Case cases[] = {
        {"EQ fader up from the middle", true, 19, 10},
        {"EQ fader down from the middle", true, 21, -10},
        {"vertical fader from the bottom", true, 23, 10},
        {"horizontal fader from the left", false, 0, 5},
        {"horizontal fader below the middle", false, 20, -10},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        auto k = knob(-15, 15, c.value);
        k->slider().setRotary(false, c.vertical);
        k->slider().setStyleCode(c.styleCode);
        k->resized();
        const auto image = renderComponent(*k, background);
        const auto f = k->slider().faderGeometry();
        const bool middle = KnobSlider::fillsFromMiddle(c.styleCode);

        // Along the track: filled between where the fill starts and the thumb, empty beyond.
        const auto along = [&](float share)
        {
            return c.vertical ? juce::Point<float>(f.track.getCentreX(),
                                                   f.track.getBottom() - share * f.track.getHeight())
                              : juce::Point<float>(f.track.getX() + share * f.track.getWidth(),
                                                   f.track.getCentreY());
        };
        const float low = 0.03f, belowMiddle = 0.4f, aboveMiddle = 0.6f, high = 0.97f;
        if (middle && c.value > 0)
        {
            EXPECT_LT(colourDistance(at(image, *k, along(aboveMiddle)), fill), close);
            EXPECT_LT(colourDistance(at(image, *k, along(belowMiddle)), ring), close);
            EXPECT_LT(colourDistance(at(image, *k, along(low)), ring), close);
        }
        else if (middle)
        {
            EXPECT_LT(colourDistance(at(image, *k, along(belowMiddle)), fill), close);
            EXPECT_LT(colourDistance(at(image, *k, along(aboveMiddle)), ring), close);
        }
        else
        {
            EXPECT_LT(colourDistance(at(image, *k, along(low)), fill), close);
            EXPECT_LT(colourDistance(at(image, *k, along(belowMiddle)), fill), close);
        }
        EXPECT_LT(colourDistance(at(image, *k, along(high)), ring), close);
        // The thumb stays inside the drawing area at both ends.
        EXPECT_TRUE(k->slider().drawingArea().contains(f.thumb));
    }
}

TEST_P(KnobDrawingTest, TheFaderThumbIsThePictureBesideTheProgramOrAPlainCap)
{
    auto k = knob(-15, 15, 0);
    k->slider().setRotary(false, true);
    k->resized();

    // The pictures shipped beside the program, for both directions.
    EXPECT_TRUE(k->slider().thumbPicture().isValid());
    k->slider().setRotary(false, false);
    EXPECT_TRUE(k->slider().thumbPicture().isValid());
    k->slider().setRotary(false, true);

    // No picture: a plain cap.
    auto resources = StrataTest::freshFolder("resources");
    setResourcesFolderOverride(resources);
    juce::ImageCache::releaseUnusedImages();
    auto image = renderComponent(*k, background);
    auto thumb = k->slider().faderGeometry().thumb;
    EXPECT_LT(
        colourDistance(
            at(image, *k, thumb.getTopLeft() + juce::Point<float>(thumb.getWidth() * 0.25f, 3 * uiScale())),
            juce::Colour(0xff3c3f43)),
        close);

    // A picture: drawn over the thumb's place.
    juce::Image red(juce::Image::RGB, 40, 20, true);
    red.clear(red.getBounds(), juce::Colours::red);
    auto file = resources.getChildFile("ui/fader/fader.jpg");
    file.getParentDirectory().createDirectory();
    {
        juce::FileOutputStream out(file);
        juce::JPEGImageFormat().writeImageToStream(red, out);
    }
    image = renderComponent(*k, background);
    thumb = k->slider().faderGeometry().thumb;
    EXPECT_NEAR(thumb.getWidth() / thumb.getHeight(), 2.0f, 0.05f) << "the picture keeps its proportions";
    EXPECT_LT(colourDistance(at(image, *k, thumb.getCentre()), juce::Colours::red), close);

    setResourcesFolderOverride({});
    juce::ImageCache::releaseUnusedImages();
}

TEST_P(KnobDrawingTest, AShownLevelChangesPixelsOnlyWithinTheValueBounds)
{
    // The level display's short arc at the top, and a knob's full arc: a meter repaints only its value
    // bounds, so every pixel a level can change must lie there.
    for (const bool levelDisplay : {true, false})
    {
        SCOPED_TRACE(levelDisplay ? "level display" : "full arc");
        auto k = knob(-48, 12, -48);
        k->setBounds(0, 0, scaled(166), scaled(170));
        if (levelDisplay)
            k->slider().setRotaryParameters(5.49779f, 7.06858f, true);
        // The value text has its own label, which repaints itself when the level changes.
        k->slider().setHideText(true);
        k->slider().setMetering(true);
        const auto bounds = k->slider().valueBounds();
        const auto quiet = renderComponent(*k, background);
        for (const double level : {-30.0, -6.0, 12.0})
        {
            k->showLevel(level);
            const auto loud = renderComponent(*k, background);
            int changed = 0, outside = 0;
            for (int y = 0; y < loud.getHeight(); ++y)
                for (int x = 0; x < loud.getWidth(); ++x)
                    if (quiet.getPixelAt(x, y) != loud.getPixelAt(x, y))
                    {
                        ++changed;
                        outside +=
                            bounds.contains(juce::Point<int>(x, y) - k->slider().getPosition()) ? 0 : 1;
                    }
            EXPECT_GT(changed, 0) << level;
            EXPECT_EQ(outside, 0) << level;
        }
        if (levelDisplay)
        {
            EXPECT_LT(bounds.getHeight() * 2, k->slider().getHeight()) << "the short arc repaints far less";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(UiScale, KnobDrawingTest, ::testing::Values(1.0f, 2.0f));

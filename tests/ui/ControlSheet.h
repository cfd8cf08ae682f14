#pragma once
// A sheet of controls as the panel will place them (sections at their design places, knobs, faders,
// switches, buttons, pads), bound to a preset tree: for looking at, and for checking that nothing is cut off
// or overlaps at a scale and in a language.
#include "UiFixture.h"

#include "ui/controls/JinglePad.h"
#include "ui/controls/MappableButton.h"
#include "ui/controls/SectionFrame.h"
#include "ui/look/Palette.h"
#include "ui/look/StrataLookAndFeel.h"

#include <memory>
#include <vector>

class ControlSheet : public juce::Component
{
public:
    explicit ControlSheet(juce::ValueTree tree) : preset(std::move(tree))
    {
        using namespace NsStrata;
        setLookAndFeel(&look);

        auto& mixer = section("MIXER", 134, 0, 763, 175, "");
        for (int i = 0; i < 5; ++i)
            mixer.setChildRect(i, 0.1774f * (float) i, 0, 0.1774f, 1);
        mixer.setChildRect(5, 0.887f, 0, 0.113f, 1);
        for (int i = 0; i < 5; ++i)
        {
            auto& k = knob(i, mixer, i);
            k.slider().setMinText(true, "-oo");
        }
        const char* mixerButtons[] = {"NOISE REDUCTION", "MIC MUTE", "MIC MONITOR"};
        for (int i = 0; i < 3; ++i)
        {
            auto& b = button(mixerButtons[i], juce::String(8 + i));
            b.setComponentID(juce::String(8 + i));
            places.push_back({&b, &mixer, 5, i, 3});
        }

        auto& master = section("MASTER CONTROL", 897, 0, 172, 175, "");
        master.setChildRect(0, 0, 0, 1, 1);
        auto& level = knob(18, master, 0);
        level.slider().setMinText(true, "-oo");
        level.slider().setRotaryParameters(5.49779f, 7.06858f, true);
        level.showValue(-12);

        auto& deEsser = section("DE-ESSER", 134, 174, 118, 306, "12");
        deEsser.setChildRect(0, 0, 0, 1, 0.5f);
        deEsser.setChildRect(1, 0, 0.5f, 1, 0.5f);
        knob(5, deEsser, 0).slider().setSuffix("kHz");
        knob(6, deEsser, 1).slider().setSuffix("");

        auto& eq = section("EQ", 370, 174, 193, 306, "18");
        eq.setChildRect(0, 0, 0, 0.333f, 1);
        eq.setChildRect(1, 0.333f, 0, 0.333f, 1);
        eq.setChildRect(2, 0.666f, 0, 0.334f, 1);
        for (int i = 0; i < 3; ++i)
        {
            auto& f = knob(19 + i, eq, i);
            f.slider().setRotary(false, true);
            f.slider().setStyleCode(19 + i);
        }

        auto& exciter = section("EXCITER", 563, 174, 67, 306, "22");
        exciter.setChildRect(0, 0, 0, 1, 1);
        auto& intensity = knob(22, exciter, 0);
        intensity.slider().setRotary(false, true);
        intensity.slider().setSuffix("%");

        auto& reverb = section("REVERB", 823, 174, 246, 306, "28");
        reverb.setChildRect(0, 0, 0, 0.5f, 0.5f);
        reverb.setChildRect(1, 0.5f, 0, 0.5f, 0.5f);
        reverb.setChildRect(2, 0, 0.5f, 1, 0.25f);
        reverb.setChildRect(3, 0, 0.75f, 1, 0.25f);
        for (int i = 0; i < 2; ++i)
        {
            auto& k = knob(9 + i, reverb, i);
            k.slider().setSuffix("%");
            k.setLabelOnTop(true);
        }
        for (int i = 0; i < 2; ++i)
        {
            auto& f = knob(26 + i, reverb, 2 + i);
            f.slider().setRotary(false, false);
            f.slider().setSuffix("Hz");
            f.setLabelOnTop(true);
            ParameterKnob::Fractions fr;
            fr.labelHeight = 0.3f;
            fr.textBoxWidth = 0.3f;
            fr.textBoxHeight = 0.3f;
            f.setFractions(fr);
        }

        auto& vocalTune = section("VOCAL TUNE", 134, 479, 230, 153, "33");
        vocalTune.setChildRect(0, 0, 0, 0.524f, 1);
        vocalTune.setChildRect(1, 0.524f, 0, 0.476f, 1);
        knob(11, vocalTune, 0).slider().setSuffix("");
        const char* keys[] = {"C", "Db", "D", "Eb", "E", "F", "Gb", "G", "Ab", "A", "Bb", "B"};
        for (int i = 0; i < 12; ++i)
        {
            auto& k = button(keys[i], {});
            k.setColour(juce::TextButton::buttonColourId, juce::Colour(0xff38393b));
            k.setColour(juce::TextButton::buttonOnColourId, juce::Colour(0xff3a3b3d));
            k.setToggleState(i == 2, juce::dontSendNotification);
            keyPlaces.push_back({&k, i});
        }
        vocalTuneFrame = &vocalTune;
        scale = &button("M", "36");

        auto& bgm = section("BGM PITCH", 601, 479, 119, 153, "40");
        bgm.setChildRect(0, 0, 0, 1, 1);
        auto& shift = knob(14, bgm, 0);
        shift.slider().setStyleCode(41);
        shift.slider().setSuffix("");

        auto& jingles = section("JINGLES", 0, 271, 134, 361, "2");
        jinglesFrame = &jingles;
        const char* names[] = {"Applause",     "Drum Roll", "Fanfare", "Ding Dong", "Rimshot",
                               "Sad Trombone", "Air Horn",  "Welcome", "Thank You"};
        for (int i = 0; i < 9; ++i)
        {
            pads.push_back(std::make_unique<JinglePad>(names[i]));
            addAndMakeVisible(*pads.back());
            menuButtons.push_back(std::make_unique<MappableButton>("@@#^"));
            addAndMakeVisible(*menuButtons.back());
        }

        auto& harmony = section("HARMONY", 364, 479, 237, 153, "37");
        harmony.setChildRect(0, 0, 0, 0.5f, 1);
        harmony.setChildRect(1, 0.5f, 0, 0.5f, 1);
        knob(12, harmony, 0).slider().setSuffix("");
        knob(13, harmony, 1).slider().setSuffix("");

        auto& voiceOver = section("VOICE OVER", 719, 479, 350, 153, "43");
        for (int i = 0; i < 3; ++i)
            voiceOver.setChildRect(i, 0.333f * (float) i, 0, i == 2 ? 0.334f : 0.333f, 1);
        knob(15, voiceOver, 0).slider().setSuffix("ms");
        knob(16, voiceOver, 1).slider().setSuffix("ms");
        knob(17, voiceOver, 2).slider().setMaxText(true, "-oo");

        bind();
    }

    ~ControlSheet() override { setLookAndFeel(nullptr); }

    static constexpr int designWidth = 1069, designHeight = 632;

    void paint(juce::Graphics& g) override
    {
        g.fillAll(NsStrata::Palette::panel);
        g.setColour(NsStrata::Palette::graphite);
        for (auto& s : sections)
            g.fillRoundedRectangle(s->getBounds().toFloat().reduced(1.0f), 3.0f);
    }

    void resized() override
    {
        using NsStrata::scaled;
        for (auto& s : sections)
            s->setBounds(scaled(s->getProperties()["x"]), scaled(s->getProperties()["y"]),
                         scaled(s->getProperties()["w"]), scaled(s->getProperties()["h"]));
        for (auto& p : places)
        {
            auto r = p.frame->childRect(p.child) + p.frame->getPosition();
            if (p.rows > 1)
            {
                const int h = r.getHeight() / p.rows;
                r = r.withY(r.getY() + h * p.row).withHeight(h).reduced(scaled(2));
            }
            p.control->setBounds(r);
        }

        // VOCAL TUNE: the scale button at the right of the first child, the keys four rows of three.
        const auto first = vocalTuneFrame->childRect(0) + vocalTuneFrame->getPosition();
        const int side0 = juce::roundToInt(first.getWidth() * 0.17f);
        const int side = juce::roundToInt(side0 * 1.2f);
        scale->setBounds(first.getRight() - side, first.getY() + juce::roundToInt(0.2f * side0) + 1, side,
                         side);
        const auto keysArea = vocalTuneFrame->childRect(1) + vocalTuneFrame->getPosition();
        for (auto& [key, index] : keyPlaces)
        {
            const int w = keysArea.getWidth() / 3, h = keysArea.getHeight() / 4;
            const juce::Rectangle<int> cell(keysArea.getX() + (index % 3) * w,
                                            keysArea.getY() + (index / 3) * h, w, h);
            key->setBounds(
                cell.withSizeKeepingCentre(juce::roundToInt(w * 0.92f), juce::roundToInt(h * 0.92f)));
        }

        // JINGLES: nine rows, the pad 0.7 of the width and its menu button the rest.
        auto area = jinglesFrame->getBounds().reduced(1);
        area.removeFromTop(jinglesFrame->titleHeight());
        const int rowH = juce::roundToInt(area.getHeight() / 9.0f);
        for (std::size_t i = 0; i < pads.size(); ++i)
        {
            auto row = area.removeFromTop(rowH).reduced(scaled(2));
            pads[i]->setBounds(row.removeFromLeft(juce::roundToInt(row.getWidth() * 0.7f)));
            menuButtons[i]->setBounds(row);
        }
    }

    /** Every knob of the sheet. */
    std::vector<NsStrata::ParameterKnob*> allKnobs() const
    {
        std::vector<NsStrata::ParameterKnob*> result;
        for (auto& k : knobs)
            result.push_back(k.get());
        return result;
    }
    std::vector<NsStrata::MappableButton*> allButtons() const
    {
        std::vector<NsStrata::MappableButton*> result;
        for (auto& b : buttons)
            result.push_back(b.get());
        for (auto& p : pads)
            result.push_back(p.get());
        return result;
    }
    std::vector<NsStrata::SectionFrame*> allSections() const
    {
        std::vector<NsStrata::SectionFrame*> result;
        for (auto& s : sections)
            result.push_back(s.get());
        return result;
    }
    NsStrata::MappableButton& buttonWithText(const juce::String& text) const
    {
        for (auto& b : buttons)
            if (b->getDisplayName() == text)
                return *b;
        jassertfalse;
        return *buttons.front();
    }
    NsStrata::ParameterKnob& knobNamed(const juce::String& name) const
    {
        for (auto& k : knobs)
            if (k->getName() == name)
                return *k;
        jassertfalse;
        return *knobs.front();
    }

private:
    struct Place
    {
        juce::Component* control;
        NsStrata::SectionFrame* frame;
        int child, row, rows;
    };

    NsStrata::SectionFrame& section(const juce::String& name, int x, int y, int w, int h,
                                    const juce::String& id)
    {
        sections.push_back(std::make_unique<NsStrata::SectionFrame>(name, true, id));
        auto& s = *sections.back();
        s.getProperties().set("x", x);
        s.getProperties().set("y", y);
        s.getProperties().set("w", w);
        s.getProperties().set("h", h);
        addAndMakeVisible(s);
        return s;
    }

    NsStrata::ParameterKnob& knob(int index, NsStrata::SectionFrame& frame, int child)
    {
        knobs.push_back(makePanelKnob(index));
        auto& k = *knobs.back();
        k.getProperties().set("panelIndex", index);
        addAndMakeVisible(k);
        places.push_back({&k, &frame, child, 0, 1});
        return k;
    }

    NsStrata::MappableButton& button(const juce::String& text, const juce::String& id)
    {
        buttons.push_back(std::make_unique<NsStrata::MappableButton>(text));
        auto& b = *buttons.back();
        b.setComponentID(id);
        addAndMakeVisible(b);
        return b;
    }

    void bind()
    {
        using namespace NsStrata;
        const auto model = modelNode(preset, ardentModel);
        for (auto& k : knobs)
        {
            const auto& layout = panelKnobs[(std::size_t)(int) k->getProperties()["panelIndex"]];
            if (layout.paramId != 0)
                k->attach(parameterNode(model, layout.paramId, 1), 1);
            if (layout.secondParamId != 0)
                k->attach(parameterNode(model, layout.secondParamId, 1), 2);
        }
        for (const auto& [id, param] : {std::pair{"12", 18},
                                        {"18", 20},
                                        {"22", 24},
                                        {"28", 30},
                                        {"33", 39},
                                        {"37", 45},
                                        {"40", 42},
                                        {"43", 50}})
            for (auto& s : sections)
                if (auto* sw = s->getSwitch(); sw != nullptr && sw->getComponentID() == id)
                    sw->attach(parameterNode(model, param, 1), 1);
    }

    juce::ValueTree preset;
    NsStrata::StrataLookAndFeel look;
    std::vector<std::unique_ptr<NsStrata::SectionFrame>> sections;
    std::vector<std::unique_ptr<NsStrata::ParameterKnob>> knobs;
    std::vector<std::unique_ptr<NsStrata::MappableButton>> buttons;
    std::vector<std::unique_ptr<NsStrata::JinglePad>> pads;
    std::vector<std::unique_ptr<NsStrata::MappableButton>> menuButtons;
    std::vector<Place> places;
    std::vector<std::pair<NsStrata::MappableButton*, int>> keyPlaces;
    NsStrata::SectionFrame* vocalTuneFrame = nullptr;
    NsStrata::SectionFrame* jinglesFrame = nullptr;
    NsStrata::MappableButton* scale = nullptr;
};

// bench_ui: how long the software renderer takes to paint one knob, one fader and one section switch, at UI
// scale 1 and 2. Target: a knob in at most 150 us at scale 1 and 400 us at scale 2.
#include "model/KnobTable.h"
#include "model/StateLoader.h"
#include "model/StateTree.h"
#include "store/Assets.h"
#include "ui/controls/ParameterKnob.h"
#include "ui/controls/SectionSwitch.h"
#include "ui/look/ScreenState.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

using namespace NsStrata;

namespace
{
constexpr int rounds = 3000;

/** The median time to paint the component (with its children) into a software image, in microseconds. */
double medianPaintMicros(juce::Component& component)
{
    juce::Image image(juce::Image::ARGB, component.getWidth(), component.getHeight(), true,
                      juce::SoftwareImageType());
    std::vector<double> times;
    times.reserve(rounds);
    for (int i = 0; i < rounds + 100; ++i)
    {
        juce::Graphics g(image);
        const auto start = std::chrono::steady_clock::now();
        component.paintEntireComponent(g, false);
        const auto end = std::chrono::steady_clock::now();
        if (i >= 100) // the first rounds fill the glyph and picture caches
            times.push_back(std::chrono::duration<double, std::micro>(end - start).count());
    }
    std::nth_element(times.begin(), times.begin() + (long) times.size() / 2, times.end());
    return times[times.size() / 2];
}

struct Figures
{
    double knob, fader, sectionSwitch;
};

Figures measureAt(float scale, const juce::ValueTree& model)
{
    setUiScale(scale);

    // MIC1 as the panel shows it, with its value arc and metering marks.
    const auto& mic = panelKnobs[0];
    ParameterKnob knob("MIC1", mic.minimum, mic.maximum);
    knob.configure(mic);
    knob.slider().setMinText(true, "-oo");
    knob.attach(parameterNode(model, mic.paramId, 1), 1);
    knob.setBounds(0, 0, scaled(112), scaled(138));

    // An EQ fader, filled from the middle.
    const auto& low = panelKnobs[19];
    ParameterKnob fader("Low", low.minimum, low.maximum);
    fader.configure(low);
    fader.slider().setRotary(false, true);
    fader.slider().setStyleCode(19);
    fader.attach(parameterNode(model, low.paramId, 1), 1);
    fader.setBounds(0, 0, scaled(60), scaled(280));

    SectionSwitch deEsser(false, "G", true);
    deEsser.setComponentID(SwitchId::deEsser);
    deEsser.attach(parameterNode(model, 18, 1), 1);
    deEsser.setBounds(0, 0, scaled(24), scaled(28));

    return {medianPaintMicros(knob), medianPaintMicros(fader), medianPaintMicros(deEsser)};
}
} // namespace

int main()
{
    juce::ScopedJuceInitialiser_GUI gui;
    const auto tree = treeFromXmlText(loadAssetText("Strata/preset/preset.xml", false));
    const auto model = modelNode(tree, 4142);
    if (!model.isValid())
    {
        std::fprintf(stderr, "bench_ui: the preset was not found beside the program\n");
        return 1;
    }

    const auto one = measureAt(1.0f, model);
    const auto two = measureAt(2.0f, model);
    for (const auto& [scale, f] : {std::pair{1.0, one}, std::pair{2.0, two}})
    {
        std::printf("scale %.1f: knob %.1f us, fader %.1f us, section switch %.1f us (median of %d paints)\n",
                    scale, f.knob, f.fader, f.sectionSwitch, rounds);
    }
    std::printf("{\"knob_us_1\":%.1f,\"knob_us_2\":%.1f,\"fader_us_1\":%.1f,\"fader_us_2\":%.1f,"
                "\"switch_us_1\":%.1f,\"switch_us_2\":%.1f}\n",
                one.knob, two.knob, one.fader, two.fader, one.sectionSwitch, two.sectionSwitch);
    return 0;
}

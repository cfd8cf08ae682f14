#include "MixerPanel.h"

#include "CoverLabel.h"
#include "config/ModeBlock.h"
#include "device/DevicePollTimer.h"
#include "device/Host.h"
#include "device/LinkFlags.h"
#include "device/LinkListener.h"
#include "device/LinkModeEffects.h"
#include "device/OutgoingQueue.h"
#include "model/Catalogue.h"
#include "model/KnobTable.h"
#include "model/Models.h"
#include "model/Modes.h"
#include "model/StateTree.h"
#include "ui/AssetImage.h"
#include "ui/controls/BoundNodes.h"
#include "ui/look/AppFont.h"
#include "ui/look/Dialogs.h"
#include "ui/look/Palette.h"
#include "ui/look/ScreenState.h"

namespace NsStrata
{
namespace
{
const juce::Colour keyOff{0xff38393b}, keyOn{0xff3a3b3d};
const juce::Colour majorColour{0xff008000}, minorColour{0xffff4500}, muteOn{0xffff4500};
const juce::String scaleId{"36"}, vocalRemoverId{"42"}, noiseReductionId{"8"}, micMuteId{"9"},
    micMonitorId{"10"};
constexpr int mutedPads[] = {8, 9}; // the pads MIC MUTE takes away
constexpr const char* keyNames[] = {"C", "Db", "D", "Eb", "E", "F", "Gb", "G", "Ab", "A", "Bb", "B"};
constexpr const char* vocalRemoverTexts[] = {"0%", "50%", "99%"};

enum class Drawing
{
    knob,
    verticalFader,
    horizontalFader
};

/** How the panel dresses each knob of panelKnobs, in the same order. */
struct KnobStyle
{
    const char* suffix; // null keeps the slider's "dB"
    bool hideText;      // value text on hover only
    const char* minText;
    const char* maxText;
    bool labelOnTop;
    double doubleClick; // until a node gives its "defa"
    Drawing drawing;
    int styleCode;
};

// clang-format off
const std::array<KnobStyle, 28> knobStyles = {{
    {nullptr, true,  "-oo",   nullptr, false, 0,    Drawing::knob, 0},            // MIC1
    {nullptr, true,  "-oo",   nullptr, false, 0,    Drawing::knob, 0},            // MIC2
    {nullptr, true,  "-oo",   nullptr, false, 0,    Drawing::knob, 0},            // HP
    {nullptr, true,  "-oo",   nullptr, false, 0,    Drawing::knob, 0},            // OTG
    {nullptr, true,  "-oo",   nullptr, false, 0,    Drawing::knob, 0},            // BGM
    {"kHz",   false, nullptr, nullptr, false, 0,    Drawing::knob, 0},            // Freq
    {"",      false, nullptr, nullptr, false, 0,    Drawing::knob, 0},            // Gain
    {"Hz",    false, nullptr, nullptr, false, 25,   Drawing::knob, 0},            // LC Freq
    {"kHz",   false, nullptr, nullptr, false, 18,   Drawing::knob, 0},            // HC Freq
    {"%",     false, nullptr, nullptr, true,  100,  Drawing::knob, 0},            // RVB Time
    {"%",     false, nullptr, nullptr, true,  15.5, Drawing::knob, 0},            // Value
    {"",      true,  nullptr, nullptr, false, 2,    Drawing::knob, 0},            // Pitch
    {nullptr, true,  nullptr, nullptr, false, 10,   Drawing::knob, 0},            // Intensity (shared)
    {nullptr, true,  nullptr, nullptr, false, 1,    Drawing::knob, 0},            // Type
    {nullptr, true,  nullptr, nullptr, false, 0,    Drawing::knob, 41},           // Shift
    {"ms",    true,  nullptr, nullptr, false, 60,   Drawing::knob, 0},            // Delay
    {"ms",    true,  nullptr, nullptr, false, 80,   Drawing::knob, 0},            // Time
    {nullptr, true,  nullptr, "-oo",   false, 6,    Drawing::knob, 0},            // Value (VOICE OVER)
    {nullptr, true,  "-oo",   nullptr, false, -48,  Drawing::knob, 0},            // level display
    {nullptr, false, nullptr, nullptr, false, 0,    Drawing::verticalFader, 19},  // Low
    {nullptr, false, nullptr, nullptr, false, 0,    Drawing::verticalFader, 20},  // Mid
    {nullptr, false, nullptr, nullptr, false, 0,    Drawing::verticalFader, 21},  // Hi
    {"%",     false, nullptr, nullptr, false, 0,    Drawing::verticalFader, 22},  // Intensity (EXCITER)
    {": 1",   false, nullptr, "+oo",   false, 0,    Drawing::verticalFader, 23},  // Ratio
    {nullptr, false, nullptr, nullptr, false, 0,    Drawing::verticalFader, 24},  // Threshold
    {nullptr, false, nullptr, nullptr, false, 0,    Drawing::verticalFader, 25},  // Boost
    {"Hz",    false, nullptr, nullptr, true,  0,    Drawing::horizontalFader, 0}, // PreLC
    {"Hz",    false, nullptr, nullptr, true,  0,    Drawing::horizontalFader, 0}, // PreHC
}};
// clang-format on

constexpr int hcFreqKnob = 8, preHcKnob = 27;

/** A section switch's nodes: slot 1 and slot 2 (0: none), mode-independent or not by id. */
struct SwitchNodes
{
    int section, first, second;
};
constexpr SwitchNodes switchNodes[] = {
    {PanelSection::deEsser, 18, 0},   {PanelSection::filters, 44, 43},   {PanelSection::eq, 20, 0},
    {PanelSection::exciter, 24, 0},   {PanelSection::compressor, 26, 0}, {PanelSection::reverb, 30, 0},
    {PanelSection::vocalTune, 39, 0}, {PanelSection::harmony, 45, 0},    {PanelSection::bgmPitch, 42, 0},
    {PanelSection::voiceOver, 50, 0},
};

/** Knobs each section's switch enables and disables, by creation index. */
const std::vector<std::pair<int, std::vector<int>>> sectionKnobs = {
    {PanelSection::deEsser, {5, 6}},          {PanelSection::filters, {7, 8}},
    {PanelSection::eq, {19, 20, 21}},         {PanelSection::exciter, {22}},
    {PanelSection::compressor, {23, 24, 25}}, {PanelSection::reverb, {9, 10, 26, 27}},
    {PanelSection::vocalTune, {11, 12}},      {PanelSection::harmony, {12, 13}},
    {PanelSection::bgmPitch, {14}},           {PanelSection::voiceOver, {15, 16, 17}},
};

bool isNonZero(const juce::ValueTree& node)
{
    return node.isValid() && readDouble(node, Prop::value, 0) != 0;
}

void setFaceColours(MappableButton& button, juce::Colour off, juce::Colour on)
{
    button.setColour(juce::TextButton::buttonColourId, off);
    button.setColour(juce::TextButton::buttonOnColourId, on);
}

/** A copy button: no caption, drawn as two overlapping pages. */
class CopyButton : public MappableButton
{
public:
    CopyButton() : MappableButton(juce::String()) {}

    void paintButton(juce::Graphics& g, bool highlighted, bool down) override
    {
        MappableButton::paintButton(g, highlighted, down);
        const auto area = getLocalBounds().toFloat();
        const float side = juce::jmin(area.getWidth(), area.getHeight()) * 0.36f;
        const auto back = juce::Rectangle<float>(side, side)
                              .withCentre(area.getCentre())
                              .translated(-side * 0.18f, -side * 0.18f);
        g.setColour(
            (highlighted || down ? Palette::on : Palette::text).withMultipliedAlpha(isEnabled() ? 1 : 0.5f));
        g.drawRoundedRectangle(back, side * 0.12f, 1.2f);
        const auto front = back.translated(side * 0.36f, side * 0.36f);
        g.setColour(findColour(juce::TextButton::buttonColourId));
        g.fillRoundedRectangle(front, side * 0.12f);
        g.setColour(
            (highlighted || down ? Palette::on : Palette::text).withMultipliedAlpha(isEnabled() ? 1 : 0.5f));
        g.drawRoundedRectangle(front, side * 0.12f, 1.2f);
    }
};

/** A small square button whose caption shrinks to fit it ("调式", "99%" in a square of a few pixels). */
class SquareButton : public MappableButton
{
public:
    explicit SquareButton(const juce::String& caption) : MappableButton(caption) {}

    void paintButton(juce::Graphics& g, bool highlighted, bool down) override
    {
        getLookAndFeel().drawButtonBackground(
            g, *this, findColour(getToggleState() ? buttonOnColourId : buttonColourId), highlighted, down);
        const auto caption = TRANS(getButtonText());
        const auto area = getLocalBounds().reduced(juce::jmax(1, scaled(2)));
        float height = (float) scaled(15);
        auto font = appFont(height);
        while (height > 6.0f && font.getStringWidthFloat(caption) > (float) area.getWidth())
            font = appFont(height -= 0.5f);
        g.setFont(font);
        const auto colour = findColour(highlighted || down ? textColourOnId : textColourOffId);
        g.setColour(colour.withMultipliedAlpha(isEnabled() ? 1.0f : 0.5f));
        g.drawText(caption, area, juce::Justification::centred, false);
    }
};

/** A jingle's menu button: its caption "@@#^" is a caret turned upside down, drawn here as a chevron that
    scales with the button. */
class JingleMenuButton : public MappableButton
{
public:
    JingleMenuButton() : MappableButton("@@#^") {}

    void paintButton(juce::Graphics& g, bool highlighted, bool down) override
    {
        getLookAndFeel().drawButtonBackground(
            g, *this, findColour(getToggleState() ? buttonOnColourId : buttonColourId), highlighted, down);
        const auto area = getLocalBounds().toFloat();
        const float w = juce::jmin(area.getWidth(), area.getHeight()) * 0.3f;
        const auto c = area.getCentre();
        juce::Path chevron;
        chevron.startNewSubPath(c.x - w / 2, c.y - w / 4);
        chevron.lineTo(c.x, c.y + w / 4);
        chevron.lineTo(c.x + w / 2, c.y - w / 4);
        const auto colour = findColour(highlighted || down ? textColourOnId : textColourOffId);
        g.setColour(colour.withMultipliedAlpha(isEnabled() ? 1.0f : 0.5f));
        g.strokePath(chevron,
                     juce::PathStrokeType(juce::jmax(1.0f, 1.4f * uiScale()), juce::PathStrokeType::curved,
                                          juce::PathStrokeType::rounded));
    }
};
} // namespace

/** Mode switches and copies as the panel makes them: the selector through the queue, the copied mode as a
    block at once, and the panel bound again with the gate closed. */
class MixerPanel::ModeEffectsForPanel : public ModeEffects
{
public:
    explicit ModeEffectsForPanel(MixerPanel& p)
        : panel(&p), link(*Host::getInstance(), [](const juce::ValueTree& node)
                          { return buildModeBlock(node, ModeBlockAction::copiedMode); })
    {
    }

    void queueModeSelector(const juce::ValueTree& selector) override { link.queueModeSelector(selector); }
    void rebind(int modeId) override
    {
        // Sending a copied mode runs the message loop, where the screen may go.
        if (panel != nullptr)
            panel->bindToState(selection().selectedModel, modeId, 0);
    }
    void sendCopiedMode(const juce::ValueTree& modeNode) override { link.sendCopiedMode(modeNode); }

private:
    juce::WeakReference<MixerPanel> panel;
    LinkModeEffects link;
};

MixerPanel::MixerPanel(bool runLink) : jingleActions(*this)
{
    // The timers of the device link, around the Host (which loads the state tree when it is first made).
    auto* host = Host::getInstance();
    devicePoll = std::make_unique<DevicePollTimer>(*host);
    meterLink = std::make_unique<HostMeterLink>();

    jingleActions.setLook(&look);
    buildSections();
    buildButtons();
    buildKnobs();
    levelPoll = std::make_unique<LevelPollTimer>(levelDisplay(), *meterLink);

    coverLabel = std::make_unique<CoverLabel>();
    coverLabel->setAlwaysOnTop(true); // a carried pad rises to the front, but stays under the cover
    addChildComponent(*coverLabel);

    followSections();
    setSize(panelDesignWidth, panelDesignHeight);

    if (runLink)
    {
        devicePoll->start();
        levelPoll->start();
    }
}

MixerPanel::~MixerPanel()
{
    stopTimers();
    if (library != nullptr)
        library->removeListener(this);
}

void MixerPanel::stopTimers()
{
    if (levelPoll != nullptr)
        levelPoll->stopTimer();
    if (devicePoll != nullptr)
        devicePoll->stopTimer();
}

void MixerPanel::buildSections()
{
    for (int i = 0; i < PanelSection::count; ++i)
    {
        const auto& place = sectionPlaces[(std::size_t) i];
        auto frame = std::make_unique<SectionFrame>(sectionNames[(std::size_t) i], true, place.switchId);
        for (int c = 0; c < place.childCount; ++c)
        {
            const auto& r = place.children[(std::size_t) c];
            frame->setChildRect(c, r.x, r.y, r.w, r.h);
        }
        addAndMakeVisible(*frame);
        sections.push_back(std::move(frame));
    }
}

void MixerPanel::buildButtons()
{
    for (int m = 1; m <= modeCount; ++m)
    {
        auto button = std::make_unique<MappableButton>(modeNames[(std::size_t) m - 1]);
        button->kind = ButtonKind::mode;
        button->slot = m;
        modeButtons.push_back(std::move(button));
    }
    for (int u = 4; u <= 5; ++u)
    {
        auto button = std::make_unique<CopyButton>();
        button->kind = ButtonKind::copy;
        button->slot = u;
        button->textAsTooltip = false;
        copyButtons.push_back(std::move(button));
    }
    for (int slot = 1; slot <= 9; ++slot)
    {
        auto pad = std::make_unique<JinglePad>();
        pad->kind = ButtonKind::jinglePad;
        pad->slot = slot;
        pads.push_back(std::move(pad));
        auto menu = std::make_unique<JingleMenuButton>();
        menu->kind = ButtonKind::jingleMenu;
        menu->slot = slot;
        menu->textAsTooltip = false;
        jingleMenus.push_back(std::move(menu));
    }
    for (auto* group : {&modeButtons, &copyButtons, &jingleMenus})
        for (auto& b : *group)
        {
            b->addListener(this);
            addAndMakeVisible(*b);
        }
    for (auto& pad : pads)
    {
        pad->addListener(this);
        addAndMakeVisible(*pad);
    }
}

void MixerPanel::buildKnobs()
{
    for (std::size_t i = 0; i < panelKnobs.size(); ++i)
    {
        const auto& layout = panelKnobs[i];
        const auto& style = knobStyles[i];
        auto knob = std::make_unique<ParameterKnob>(controlNames[i], layout.minimum, layout.maximum);
        knob->configure(layout);
        auto& slider = knob->slider();
        if (style.suffix != nullptr)
            slider.setSuffix(style.suffix);
        slider.setHideText(style.hideText);
        if (style.minText != nullptr)
            slider.setMinText(true, style.minText);
        if (style.maxText != nullptr)
            slider.setMaxText(true, style.maxText);
        if (style.drawing != Drawing::knob)
            slider.setRotary(false, style.drawing == Drawing::verticalFader);
        if (style.styleCode != 0)
            slider.setStyleCode(style.styleCode);
        slider.setDoubleClickReturnValue(true, layout.inverted ? -style.doubleClick : style.doubleClick,
                                         juce::ModifierKeys::altModifier);
        if (style.labelOnTop)
            knob->setLabelOnTop(true);
        if (style.drawing == Drawing::horizontalFader)
        {
            ParameterKnob::Fractions f;
            f.labelHeight = 0.3f;
            f.textBoxWidth = 0.3f;
            f.textBoxHeight = 0.3f;
            knob->setFractions(f);
        }
        addAndMakeVisible(*knob);
        knobs.push_back(std::move(knob));
    }

    // Colours of their own: HC Freq's ring and arc swapped, PreHC's track and fill swapped.
    auto& hc = knobs[hcFreqKnob]->slider();
    hc.setColour(juce::Slider::rotarySliderFillColourId, Palette::ringBack);
    hc.setColour(juce::Slider::rotarySliderOutlineColourId, Palette::valueArc);
    auto& preHc = knobs[preHcKnob]->slider();
    preHc.setColour(juce::Slider::backgroundColourId, Palette::faderFill);
    preHc.setColour(juce::Slider::trackColourId, Palette::ringBack);

    auto& level = levelDisplay().slider();
    level.setRotaryParameters(5.49779f, 7.06858f, true);
    level.setTextBoxIsEditable(false);
    levelDisplay().showValue(-48);

    // The mixer buttons, the scale and key buttons and the vocal remover come after the knobs.
    const char* mixerIds[] = {"8", "9", "10"};
    for (int i = 0; i < 3; ++i)
    {
        auto button = std::make_unique<MappableButton>(buttonTexts[(std::size_t) i]);
        button->kind = ButtonKind::mixer;
        button->setComponentID(mixerIds[i]);
        mixerButtons.push_back(std::move(button));
    }
    setFaceColours(*mixerButtons[1], Palette::button, muteOn);

    scale = std::make_unique<SquareButton>("SC");
    scale->kind = ButtonKind::key;
    scale->setComponentID(scaleId);
    scale->textAsTooltip = false;
    setFaceColours(*scale, keyOff, keyOn);
    for (int k = 1; k <= 12; ++k)
    {
        auto key = std::make_unique<MappableButton>(keyNames[k - 1]);
        key->kind = ButtonKind::key;
        key->slot = k;
        setFaceColours(*key, keyOff, keyOn);
        keys.push_back(std::move(key));
    }
    vocalRemover = std::make_unique<SquareButton>(vocalRemoverTexts[0]);
    vocalRemover->kind = ButtonKind::vocalRemover;
    vocalRemover->setComponentID(vocalRemoverId);
    vocalRemover->textAsTooltip = false;
    setFaceColours(*vocalRemover, keyOff, keyOn);

    for (auto* b : allButtons())
        if (b->kind == ButtonKind::mixer || b->kind == ButtonKind::key || b->kind == ButtonKind::vocalRemover)
        {
            b->addListener(this);
            addAndMakeVisible(*b);
        }
}

void MixerPanel::followSections()
{
    std::vector<MappableButton*> keyList;
    for (auto& k : keys)
        keyList.push_back(k.get());
    for (const auto& [sectionIndex, knobIndices] : sectionKnobs)
    {
        auto* sw = sectionSwitch(sectionIndex);
        if (sw == nullptr)
            continue;
        SectionSwitch::Section s;
        for (int i : knobIndices)
            s.knobs.push_back(knobs[(std::size_t) i].get());
        if (sectionIndex == PanelSection::vocalTune)
        {
            s.buttons = {scale.get()};
            s.keyButtons = keyList;
            s.rival = sectionSwitch(PanelSection::harmony);
        }
        else if (sectionIndex == PanelSection::harmony)
        {
            s.keyButtons = keyList;
            s.rival = sectionSwitch(PanelSection::vocalTune);
        }
        sw->setSection(std::move(s));
    }
}

std::vector<MappableButton*> MixerPanel::allButtons() const
{
    std::vector<MappableButton*> all;
    for (auto* group : {&modeButtons, &copyButtons, &jingleMenus, &mixerButtons, &keys})
        for (auto& b : *group)
            all.push_back(b.get());
    for (auto& p : pads)
        all.push_back(p.get());
    if (scale != nullptr)
        all.push_back(scale.get());
    if (vocalRemover != nullptr)
        all.push_back(vocalRemover.get());
    return all;
}

PopupLabel& MixerPanel::cover() const
{
    return *coverLabel;
}

//==============================================================================
juce::ValueTree MixerPanel::group0() const
{
    return childWithId(modelNode(Host::getInstance()->state(), model), modeIndependentGroup);
}

bool MixerPanel::vocalTuneOn() const
{
    auto* sw = sectionSwitch(PanelSection::vocalTune);
    return sw != nullptr && sw->isOn();
}

bool MixerPanel::harmonyOn() const
{
    auto* sw = sectionSwitch(PanelSection::harmony);
    return sw != nullptr && sw->isOn();
}

void MixerPanel::bindToState(int modelNumber, int modeId, int flag)
{
    auto& gate = linkFlags().sendingGate;
    const bool wasOpen = gate.load();
    if (flag == 0)
        gate = false;

    model = modelNumber;
    mode = modeId;
    const auto m = modelNode(Host::getInstance()->state(), modelNumber);
    const auto g = childWithId(m, modeIndependentGroup);
    const auto n = childWithId(m, modeId);
    const auto nodeOf = [&](int id)
    { return id == 0 ? juce::ValueTree() : childWithId(isModeIndependent(id) ? g : n, id); };

    // Knobs first: the switches' section logic then adjusts what they show.
    for (std::size_t i = 0; i < knobs.size(); ++i)
    {
        const auto& layout = panelKnobs[i];
        if (layout.paramId == 0)
            continue;
        knobs[i]->attach(nodeOf(layout.paramId), 1);
        if (layout.secondParamId != 0)
            knobs[i]->attach(nodeOf(layout.secondParamId), 2);
    }
    bindButtons(g, n);
    for (const auto& s : switchNodes)
    {
        auto* sw = sectionSwitch(s.section);
        const auto first = nodeOf(s.first);
        juce::Array<juce::ValueTree> bound;
        // Without its first node a switch stays unbound: a second one alone would take its value.
        if (first.isValid())
        {
            bound.add(first);
            if (const auto second = nodeOf(s.second); second.isValid())
                bound.add(second);
        }
        sw->bindNodes(bound);
    }

    // What the buttons show follows from the switches.
    for (int i = 0; i < 3; ++i)
    {
        auto& b = *mixerButtons[(std::size_t) i];
        b.setToggleState(!b.boundNodes.isEmpty() && isNonZero(b.boundNodes[0]), juce::dontSendNotification);
    }
    const bool muted = mixerButtons[1]->getToggleState();
    for (int p : mutedPads)
        pads[(std::size_t) p - 1]->setEnabled(!muted);
    auto& noise = *mixerButtons[0];
    if (noise.boundNodes.size() >= 2)
    {
        const int enabled = readInt(noise.boundNodes[0], Prop::value, 0);
        const double threshold = readDouble(noise.boundNodes[1], Prop::value, 0);
        const int choice = enabled == 0       ? MappableButton::noiseOff
                           : threshold == -18 ? MappableButton::noiseReduction2
                                              : MappableButton::noiseReduction1;
        const juce::Colour colours[] = {juce::Colours::transparentBlack, Palette::noiseGreen,
                                        Palette::noiseRed};
        const char* captions[] = {"NOISE REDUCTION", "NOISE REDUCTION 1", "NOISE REDUCTION 2"};
        noise.setColour(juce::TextButton::buttonOnColourId, colours[choice - 1]);
        noise.setDisplayName(captions[choice - 1]);
    }
    showScale();
    showVocalRemover();

    gate = wasOpen;
}

void MixerPanel::bindButtons(const juce::ValueTree& g, const juce::ValueTree& n)
{
    // Only nodes that exist are bound; a button without its first node stays unbound.
    const auto bind = [](MappableButton& b, std::initializer_list<juce::ValueTree> nodes)
    {
        b.boundNodes.clearQuick();
        for (const auto& node : nodes)
        {
            if (!node.isValid())
                break;
            b.boundNodes.add(node);
        }
    };
    bind(*mixerButtons[0],
         {childWithId(g, ParamId::noiseReduction), childWithId(g, ParamId::noiseThreshold)});
    bind(*mixerButtons[1], {childWithId(g, ParamId::micMute)});
    bind(*mixerButtons[2], {childWithId(g, ParamId::micMonitor)});
    // Scale and keys edit VOCAL TUNE's key (40) or HARMONY's (48); both slots are kept even when one is
    // missing, so a slot keeps its meaning.
    const auto vocalKey = childWithId(n, 40), harmonyKey = childWithId(n, 48);
    scale->boundNodes = {vocalKey, harmonyKey};
    for (auto& k : keys)
        k->boundNodes = {vocalKey, harmonyKey};
    bind(*vocalRemover, {childWithId(g, 36), childWithId(g, 19)});
}

void MixerPanel::showScale()
{
    auto& b = *scale;
    const int slot = harmonyOn() ? 2 : (vocalTuneOn() ? 1 : 0);
    const auto picked = slot > 0 && b.boundNodes.size() >= slot ? b.boundNodes[slot - 1] : juce::ValueTree();
    if (!picked.isValid())
    {
        b.setDisplayName("SC");
        setFaceColours(b, juce::Colours::transparentBlack, juce::Colours::transparentBlack);
    }
    else
    {
        const bool minor = readInt(picked, Prop::value, 0) / 16 > 0;
        b.setDisplayName(minor ? "m" : "M");
        const auto colour = minor ? minorColour : majorColour;
        setFaceColours(b, colour, colour);
    }
    b.setToggleState(vocalTuneOn(), juce::dontSendNotification);
}

void MixerPanel::showVocalRemover()
{
    auto& b = *vocalRemover;
    const auto on = b.boundNodes.size() >= 1 ? b.boundNodes[0] : juce::ValueTree();
    const auto amount = b.boundNodes.size() >= 2 ? b.boundNodes[1] : juce::ValueTree();
    int s = 0;
    if (isNonZero(on))
        s = readInt(amount, Prop::value, 0) == 99 ? 2 : 1;
    b.setDisplayName(vocalRemoverTexts[s]);
    b.setToggleState(s != 0, juce::dontSendNotification);
}

//==============================================================================
void MixerPanel::showMode(int modeId)
{
    for (auto& b : modeButtons)
        b->setToggleState(b->slot == modeId, juce::dontSendNotification);
}

int MixerPanel::shownMode() const
{
    for (auto& b : modeButtons)
        if (b->getToggleState())
            return b->slot;
    return 0;
}

void MixerPanel::setJingleLibrary(JingleLibrary* newLibrary)
{
    if (library != nullptr)
        library->removeListener(this);
    library = newLibrary;
    jingleActions.setLibrary(newLibrary);
    for (auto& pad : pads)
    {
        pad->setLibrary(newLibrary);
        pad->setDisplayName(newLibrary != nullptr ? newLibrary->name(pad->slot) : juce::String());
    }
    if (newLibrary != nullptr)
        newLibrary->addListener(this);
}

void MixerPanel::jingleNameChanged(int slot, const juce::String& name)
{
    if (slot >= 1 && slot <= (int) pads.size())
        pads[(std::size_t) slot - 1]->setDisplayName(name);
}

void MixerPanel::setJinglePad(int position, bool on)
{
    if (position >= 0 && position < (int) pads.size())
        pads[(std::size_t) position]->setToggleState(on, juce::dontSendNotification);
}

void MixerPanel::untoggleJinglePads()
{
    for (auto& pad : pads)
        pad->setToggleState(false, juce::dontSendNotification);
}

void MixerPanel::setCoverVisible(bool visible)
{
    if (coverLabel->isVisible() == visible)
        return;
    coverLabel->setVisible(visible);
    if (visible)
        coverLabel->toFront(false);
}

bool MixerPanel::isCoverVisible() const
{
    return coverLabel->isVisible();
}

//==============================================================================
void MixerPanel::buttonClicked(juce::Button* clicked)
{
    auto* button = dynamic_cast<MappableButton*>(clicked);
    if (button == nullptr)
        return;
    switch (button->kind)
    {
    case ButtonKind::mode:
        clickMode(button->slot);
        break;
    case ButtonKind::copy:
        clickCopy(button->slot);
        break;
    case ButtonKind::jinglePad:
        if (auto* pad = dynamic_cast<JinglePad*>(button))
            clickPad(*pad);
        break;
    case ButtonKind::jingleMenu:
        showPopup(jingleMenu(), *button);
        break;
    case ButtonKind::mixer:
        clickMixerButton(*button);
        break;
    case ButtonKind::key:
        if (button->getComponentID() == scaleId)
            showPopup(scaleMenu(), *button);
        else
            clickKey(*button);
        break;
    case ButtonKind::vocalRemover:
        showPopup(vocalRemoverMenu(), *button);
        break;
    default:
        break;
    }
}

void MixerPanel::showPopup(const juce::PopupMenu& menu, MappableButton& button)
{
    juce::Component::SafePointer<MixerPanel> self(this);
    juce::Component::SafePointer<MappableButton> target(&button);
    const int kind = button.kind;
    dialogs().showMenu(menu, button, &button.popupLook(),
                       [self, target, kind](int choice)
                       {
                           if (self == nullptr || target == nullptr)
                               return;
                           if (kind == ButtonKind::vocalRemover)
                           {
                               if (choice > 0)
                                   self->onJingleMenuItem(kind, choice - 1, target.getComponent());
                           }
                           else if (kind == ButtonKind::jingleMenu)
                           {
                               // Dismissed or not, the button returns to its resting look.
                               self->onJingleMenuItem(kind, choice, target.getComponent());
                           }
                           else if (choice > 0)
                           {
                               self->onJingleMenuItem(kind, choice, target.getComponent());
                           }
                       });
}

void MixerPanel::onJingleMenuItem(int kind, int choice, MappableButton* button)
{
    switch (kind)
    {
    case ButtonKind::key:
        chooseScale(choice);
        break;
    case ButtonKind::vocalRemover:
        chooseVocalRemover(choice);
        break;
    case ButtonKind::jingleMenu:
    {
        if (button == nullptr)
            return;
        const int slot = button->slot;
        juce::Component::SafePointer<MappableButton> safe(button);
        if (choice == PanelMenu::loadJingle)
            jingleActions.chooseAndLoad(slot);
        else if (choice == PanelMenu::renameJingle)
            jingleActions.rename(slot);
        else if (choice == PanelMenu::sendJingle)
            jingleActions.send(slot);
        // The chooser, the box and the transfer run the message loop: the button may be gone by now.
        if (safe != nullptr)
        {
            safe->setToggleState(false, juce::dontSendNotification);
            safe->setState(juce::Button::buttonNormal);
        }
        break;
    }
    default:
        break;
    }
}

juce::PopupMenu MixerPanel::jingleMenu() const
{
    juce::PopupMenu menu;
    menu.addItem(PanelMenu::loadJingle, TRANS("Load jingle") + "..");
    menu.addItem(PanelMenu::renameJingle, TRANS("Rename") + "..");
    menu.addItem(PanelMenu::sendJingle, TRANS("Send jingle"));
    return menu;
}

juce::PopupMenu MixerPanel::scaleMenu() const
{
    const auto& b = *scale;
    const auto picked = b.boundNodes.size() >= 2 ? b.boundNodes[harmonyOn() ? 1 : 0] : juce::ValueTree();
    const int current = 1 + (readInt(picked, Prop::value, 0) / 16 > 0 ? 1 : 0);
    juce::PopupMenu menu;
    menu.addItem(PanelMenu::major, TRANS("Major"), true, current == PanelMenu::major);
    menu.addItem(PanelMenu::minor, TRANS("minor"), true, current == PanelMenu::minor);
    return menu;
}

juce::PopupMenu MixerPanel::vocalRemoverMenu() const
{
    const auto& b = *vocalRemover;
    const bool on = b.boundNodes.size() >= 1 && isNonZero(b.boundNodes[0]);
    const bool full = b.boundNodes.size() >= 2 && readInt(b.boundNodes[1], Prop::value, 0) == 99;
    juce::PopupMenu menu;
    menu.addItem(PanelMenu::vocalRemoverOff, TRANS("Off"), true, !on);
    menu.addItem(PanelMenu::vocalRemoverHalf, "50%", true, on && !full);
    menu.addItem(PanelMenu::vocalRemoverFull, "99%", true, on && full);
    return menu;
}

juce::PopupMenu MixerPanel::modeMenu() const
{
    juce::PopupMenu menu;
    menu.addItem(PanelMenu::resetToDefault, TRANS("RESET TO DEFAULT"));
    menu.addItem(PanelMenu::removeThisDaw, TRANS("REMOVE THIS DAW"));
    return menu;
}

void MixerPanel::onModeMenuItem(int choice)
{
    auto* host = Host::getInstance();
    if (choice == PanelMenu::resetToDefault)
        host->state().setProperty(Prop::pid, selection().selectedModel.load(), nullptr);
    else if (choice != PanelMenu::removeThisDaw)
        return;
    if (auto* listener = host->linkListener())
        listener->refreshFromState(true);
}

//==============================================================================
void MixerPanel::clickMode(int modeId)
{
    const juce::WeakReference<MixerPanel> self(this);
    ModeEffectsForPanel effects(*this);
    ModeController(Host::getInstance()->state(), effects).selectMode(modeId, shownMode());
    if (self != nullptr)
        showMode(modeId);
}

void MixerPanel::clickCopy(int userMode)
{
    // The copy sends a mode block and runs the message loop meanwhile, where the screen may go.
    const juce::WeakReference<MixerPanel> self(this);
    ModeEffectsForPanel effects(*this);
    const bool copied = ModeController(Host::getInstance()->state(), effects).copyModeInto(userMode);
    if (copied && self != nullptr)
        showMode(userMode);
}

void MixerPanel::clickPad(JinglePad& pad)
{
    auto node = childWithId(group0(), pad.getToggleState() ? ParamId::jinglePlay2 : ParamId::jinglePlay);
    if (!node.isValid())
        return;
    setNodeValue(node, pad.slot);
    queueEntry(node, true, false);
}

void MixerPanel::clickMixerButton(MappableButton& button)
{
    const auto id = button.getComponentID();
    // Noise reduction is chosen from its own popup; a button without its node changes nothing.
    if (id == noiseReductionId || button.boundNodes.isEmpty())
        return;
    const bool on = !button.getToggleState();
    button.setToggleState(on, juce::dontSendNotification);
    if (id == micMuteId)
    {
        for (int p : mutedPads)
            pads[(std::size_t) p - 1]->setEnabled(!on);
        auto node = button.boundNodes[0];
        setNodeValue(node, on ? 1 : 0);
        queueEntry(node, true, true);
    }
    else if (id == micMonitorId)
    {
        for (auto node : button.boundNodes)
        {
            setNodeValue(node, on ? 1 : 0);
            queueEntry(node, true, true);
        }
    }
}

void MixerPanel::clickKey(MappableButton& key)
{
    const bool harmony = harmonyOn();
    if (key.boundNodes.size() < 2)
        return;
    auto node = key.boundNodes[harmony ? 1 : 0];
    if (!node.isValid())
        return;
    const bool wasOn = key.getToggleState();
    const int scaleBits = vocalTuneOn() ? (readInt(node, Prop::value, 0) & ~15) : 0;
    setNodeValue(node, (wasOn ? 0 : key.slot) + scaleBits);
    queueEntry(node, true, true);
    for (auto& k : keys)
        k->setToggleState(!wasOn && k.get() == &key, juce::dontSendNotification);
}

void MixerPanel::chooseScale(int choice)
{
    if (choice != PanelMenu::major && choice != PanelMenu::minor)
        return;
    auto& b = *scale;
    // Without its node the button shows nothing it could not store.
    auto node = b.boundNodes.size() >= 2 ? b.boundNodes[harmonyOn() ? 1 : 0] : juce::ValueTree();
    if (!node.isValid())
        return;
    b.setDisplayName(choice == PanelMenu::major ? "M" : "m");
    const auto colour = choice == PanelMenu::major ? majorColour : minorColour;
    setFaceColours(b, colour, colour);
    b.setToggleState(vocalTuneOn(), juce::dontSendNotification);
    setNodeValue(node, (readInt(node, Prop::value, 0) & 15) | (choice == PanelMenu::minor ? 16 : 0));
    queueEntry(node, true, true);
}

void MixerPanel::chooseVocalRemover(int choice)
{
    if (choice < 0 || choice > 2)
        return;
    auto& b = *vocalRemover;
    if (b.boundNodes.isEmpty() || !b.boundNodes[0].isValid())
        return;
    b.setToggleState(choice != 0, juce::dontSendNotification);
    b.setDisplayName(vocalRemoverTexts[choice]);
    auto on = b.boundNodes[0];
    setNodeValue(on, choice > 0 ? 1 : 0);
    queueEntry(on, true, true);
    if (choice > 0 && b.boundNodes.size() >= 2)
    {
        auto amount = b.boundNodes[1];
        setNodeValue(amount, choice == 2 ? 99 : 50);
        queueEntry(amount, true, true);
    }
}

//==============================================================================
void MixerPanel::mouseDown(const juce::MouseEvent& e)
{
    if (!e.mods.isPopupMenu())
        return;
    juce::Component::SafePointer<MixerPanel> self(this);
    dialogs().showMenu(modeMenu(), *this, &look,
                       [self](int choice)
                       {
                           if (self != nullptr)
                               self->onModeMenuItem(choice);
                       });
}

void MixerPanel::paint(juce::Graphics& g)
{
    const int w = getWidth() + 2;
    const int h = juce::roundToInt(w * 0.646 * 0.915);
    // The picture is large; it is resampled once per size, not at every paint.
    if (background.getWidth() != w || background.getHeight() != h)
    {
        const auto picture = loadAssetImage("Strata/Strata.jpg", false);
        background =
            picture.isValid() ? picture.rescaled(w, h, juce::Graphics::highResamplingQuality) : juce::Image();
    }
    // The level display repaints twenty times a second: only what the picture leaves uncovered is filled.
    if (background.isValid())
    {
        g.drawImageAt(background, 0, 0);
        g.setColour(Palette::panel);
        g.fillRect(getLocalBounds().withTrimmedTop(background.getHeight()));
        g.fillRect(getLocalBounds().withTrimmedLeft(background.getWidth()));
    }
    else
    {
        g.fillAll(Palette::panel);
    }

    vocalRemover->setTooltip(TRANS("Vocal Remover"));
    scale->setTooltip(TRANS("Vocal Tune Scale"));
    for (auto& c : copyButtons)
        c->setTooltip(TRANS("Copy the current mode into") + " " +
                      TRANS(modeNames[(std::size_t) c->slot - 1]));
}

void MixerPanel::resized()
{
    for (int i = 0; i < PanelSection::count; ++i)
    {
        const auto& p = sectionPlaces[(std::size_t) i];
        sections[(std::size_t) i]->setBounds(scaled(p.x), scaled(p.y), scaled(p.width), scaled(p.height));
    }
    const auto inset = scaled(2);
    const auto below = [](const SectionFrame& s)
    {
        auto area = s.getBounds().reduced(SectionFrame::margin);
        area.removeFromTop(s.titleHeight());
        return area;
    };
    const auto childOf = [this](int sectionIndex, int child)
    {
        const auto& s = section(sectionIndex);
        return s.childRect(child) + s.getPosition();
    };

    // PRESETS: five rows; the user modes share theirs with their copy buttons.
    {
        auto area = below(section(PanelSection::presets));
        const int rowH = juce::roundToInt(area.getHeight() / 5.0);
        for (int m = 1; m <= modeCount; ++m)
        {
            auto row = area.removeFromTop(rowH).reduced(inset);
            if (isUserMode(m))
            {
                const int w = juce::roundToInt(row.getWidth() * 0.66);
                modeButton(m).setBounds(row.removeFromLeft(w));
                row.removeFromLeft(inset);
                copyButton(m).setBounds(row);
            }
            else
            {
                modeButton(m).setBounds(row);
            }
        }
    }
    // JINGLES: nine rows of a pad and its menu button.
    {
        auto area = below(section(PanelSection::jingles));
        const int rowH = juce::roundToInt(area.getHeight() / 9.0);
        for (int slot = 1; slot <= 9; ++slot)
        {
            auto row = area.removeFromTop(rowH).reduced(inset, inset / 2);
            pad(slot).setBounds(row.removeFromLeft(juce::roundToInt(row.getWidth() * 0.7)));
            row.removeFromLeft(inset);
            jingleMenuButton(slot).setBounds(row);
        }
    }

    for (std::size_t i = 0; i < knobs.size(); ++i)
        knobs[i]->setBounds(childOf(knobPlaces[i].section, knobPlaces[i].child));

    // MIXER's last column: the three buttons stacked.
    {
        const auto column = childOf(PanelSection::mixer, 5);
        const int h = column.getHeight() / 3;
        for (int i = 0; i < 3; ++i)
            mixerButtons[(std::size_t) i]->setBounds(
                column.withY(column.getY() + i * h).withHeight(h).reduced(inset));
    }

    // A square button at the right of a child place, a little below its top.
    const auto squareAtRight = [](juce::Rectangle<int> child)
    {
        const int base = juce::roundToInt(child.getWidth() * 0.17);
        const int side = juce::roundToInt(base * 1.2);
        return juce::Rectangle<int>(child.getRight() - side, child.getY() + juce::roundToInt(0.2 * base) + 1,
                                    side, side);
    };
    scale->setBounds(squareAtRight(childOf(PanelSection::vocalTune, 0)));
    vocalRemover->setBounds(squareAtRight(childOf(PanelSection::bgmPitch, 0)));

    // The keys: four rows of three, each cell less 8 %.
    const auto keyArea = childOf(PanelSection::vocalTune, 1);
    const double cellW = keyArea.getWidth() / 3.0, cellH = keyArea.getHeight() / 4.0;
    for (int k = 0; k < 12; ++k)
    {
        const auto cell = juce::Rectangle<double>(keyArea.getX() + (k % 3) * cellW,
                                                  keyArea.getY() + (k / 3) * cellH, cellW, cellH);
        keys[(std::size_t) k]->setBounds(
            cell.withSizeKeepingCentre(cellW * 0.92, cellH * 0.92).toNearestInt());
    }

    coverLabel->setBounds(getLocalBounds());
    if (auto* window = jingleActions.progressWindow())
        window->placeInParent();
}
} // namespace NsStrata

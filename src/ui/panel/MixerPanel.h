#pragma once
// The effects panel, the one page of the main screen: fourteen sections of knobs, faders, switches and
// buttons bound to the parameter nodes of one model and mode, the mode and copy buttons, the jingle pads with
// their menus, and a cover that says so while no mixer is connected. Its construction starts the device
// link's poll tick and the level poll.
#include "JingleActions.h"
#include "PanelLayout.h"
#include "jingles/JingleLibrary.h"
#include "ui/controls/JinglePad.h"
#include "ui/controls/LevelPollTimer.h"
#include "ui/controls/MappableButton.h"
#include "ui/controls/ParameterKnob.h"
#include "ui/controls/PopupLabel.h"
#include "ui/controls/SectionFrame.h"
#include "ui/look/StrataLookAndFeel.h"

#include <array>
#include <memory>
#include <vector>

class RadezOvu;

namespace NsStrata
{
class DevicePollTimer;
class CoverLabel;

/** What a button is to the panel's click handling. */
namespace ButtonKind
{
enum : int
{
    mode = 2,
    jinglePad = 3,
    mixer = 4,
    vocalRemover = 6,
    copy = 7,
    jingleMenu = 8,
    key = 35, // the twelve keys and the scale button
};
}

/** Item ids of the panel's popup menus. */
namespace PanelMenu
{
enum : int
{
    resetToDefault = 1,
    removeThisDaw = 2,
    major = 1,
    minor = 2,
    vocalRemoverOff = 1,
    vocalRemoverHalf = 2,
    vocalRemoverFull = 3,
    loadJingle = 1,
    renameJingle = 4,
    sendJingle = 5,
};
}

class MixerPanel : public juce::Component, public juce::Button::Listener, private JingleLibrary::Listener
{
public:
    /** Builds everything, creating the Host (and so the state tree) when there is none. With runLink the
        device-poll tick and the level poll start (first ticks after 50 ms). */
    explicit MixerPanel(bool runLink = true);
    ~MixerPanel() override;

    /** Attaches every control to its nodes in the model node of modelNumber: mode-independent ones from its
        group 0, the others from the node of mode. A control whose node is missing is left unbound. With flag
        0 the sending gate stays closed while binding, so nothing it changes is queued; otherwise the gate is
        left as it is. */
    void bindToState(int modelNumber, int mode, int flag);
    int boundModel() const { return model; }
    int boundMode() const { return mode; }

    /** The mode buttons as a radio group showing mode (1..5; 0 for none), without a click. */
    void showMode(int mode);
    /** The mode whose button is on; 0 for none. */
    int shownMode() const;

    /** The library the pads show and load into; null for none. It must outlive the panel or be replaced. */
    void setJingleLibrary(JingleLibrary* library);
    /** The DSP access "Send jingle" uses; the panel takes a reference of its own while a transfer runs. */
    void setDspRoot(RadezOvu* root) { jingleActions.setRoot(root); }
    /** Jingle pad at position 0..8 on or off, without a click (the device reports jingle play). */
    void setJinglePad(int position, bool on);
    void untoggleJinglePads();

    /** The cover lies over the whole panel while no mixer is connected (and offline view is off). */
    void setCoverVisible(bool visible);
    bool isCoverVisible() const;

    /** Stops the device-poll tick and the level poll (the main screen's teardown). */
    void stopTimers();
    DevicePollTimer* pollTimer() const { return devicePoll.get(); }
    LevelPollTimer* levelTimer() const { return levelPoll.get(); }

    // The parts, for the main screen and for tests.
    ParameterKnob& knob(int index) const { return *knobs[(std::size_t) index]; } // creation order, 0..27
    ParameterKnob& levelDisplay() const { return knob(levelDisplayKnob); }
    SectionFrame& section(int index) const { return *sections[(std::size_t) index]; }
    SectionSwitch* sectionSwitch(int sectionIndex) const { return section(sectionIndex).getSwitch(); }
    MappableButton& modeButton(int modeId) const { return *modeButtons[(std::size_t) modeId - 1]; }
    MappableButton& copyButton(int userMode) const { return *copyButtons[(std::size_t) userMode - 4]; }
    JinglePad& pad(int slot) const { return *pads[(std::size_t) slot - 1]; }
    MappableButton& jingleMenuButton(int slot) const { return *jingleMenus[(std::size_t) slot - 1]; }
    /** 0 NOISE REDUCTION, 1 MIC MUTE, 2 MIC MONITOR. */
    MappableButton& mixerButton(int index) const { return *mixerButtons[(std::size_t) index]; }
    MappableButton& scaleButton() const { return *scale; }
    MappableButton& keyButton(int key) const { return *keys[(std::size_t) key - 1]; } // 1..12
    MappableButton& vocalRemoverButton() const { return *vocalRemover; }
    PopupLabel& cover() const;
    JingleActions& jingles() { return jingleActions; }
    /** Every button the panel owns. */
    std::vector<MappableButton*> allButtons() const;

    /** The click handling of every button, by its kind (see ButtonKind). */
    void buttonClicked(juce::Button* button) override;
    /** A choice from the popup of the scale button (1 Major, 2 minor), the vocal-remover button (0 Off, 1
        50 %, 2 99 %) or a jingle menu button (see PanelMenu), by the button's kind. */
    void onJingleMenuItem(int kind, int choice, MappableButton* button = nullptr);

    /** The popups: the right-button menu of the panel, and those of the scale, vocal-remover and jingle menu
        buttons with the current setting ticked. */
    juce::PopupMenu modeMenu() const;
    juce::PopupMenu scaleMenu() const;
    juce::PopupMenu vocalRemoverMenu() const;
    juce::PopupMenu jingleMenu() const;
    /** What the mode menu's items do. */
    void onModeMenuItem(int choice);

    void paint(juce::Graphics& g) override;
    void resized() override;
    void mouseDown(const juce::MouseEvent& e) override;

    static constexpr int levelDisplayKnob = 18;

private:
    class ModeEffectsForPanel;

    void buildSections();
    void buildButtons();
    void buildKnobs();
    void followSections();

    void bindButtons(const juce::ValueTree& group0, const juce::ValueTree& modeNode);
    void showScale();
    void showVocalRemover();
    bool vocalTuneOn() const;
    bool harmonyOn() const;
    juce::ValueTree group0() const;

    void clickMode(int modeId);
    void clickCopy(int userMode);
    void clickPad(JinglePad& pad);
    void clickMixerButton(MappableButton& button);
    void clickKey(MappableButton& key);
    void chooseScale(int choice);
    void chooseVocalRemover(int choice);
    void showPopup(const juce::PopupMenu& menu, MappableButton& button);

    void jingleNameChanged(int slot, const juce::String& name) override;

    StrataLookAndFeel look;
    std::unique_ptr<DevicePollTimer> devicePoll;
    std::unique_ptr<HostMeterLink> meterLink;
    std::unique_ptr<LevelPollTimer> levelPoll;
    std::vector<std::unique_ptr<SectionFrame>> sections;
    std::vector<std::unique_ptr<MappableButton>> modeButtons, copyButtons;
    std::vector<std::unique_ptr<JinglePad>> pads;
    std::vector<std::unique_ptr<MappableButton>> jingleMenus;
    std::vector<std::unique_ptr<ParameterKnob>> knobs;
    std::vector<std::unique_ptr<MappableButton>> mixerButtons;
    std::unique_ptr<MappableButton> scale;
    std::vector<std::unique_ptr<MappableButton>> keys;
    std::unique_ptr<MappableButton> vocalRemover;
    std::unique_ptr<CoverLabel> coverLabel;
    JingleActions jingleActions;
    juce::WeakReference<JingleLibrary> library;
    juce::Image background;

    int model = 0, mode = 0; // what the controls are bound to; 0 before the first binding

    JUCE_DECLARE_WEAK_REFERENCEABLE(MixerPanel)
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(MixerPanel)
};
} // namespace NsStrata

#pragma once
// Controls on their own, bound to nodes of the shipped preset and the real outgoing queue, with dialogs that
// record what they would show, and helpers that render a control into an image at a UI scale.
#include "../device/LinkFixture.h"
#include "ui/controls/JinglePad.h"
#include "ui/look/Dialogs.h"
#include "ui/look/Language.h"
#include "ui/look/ScreenState.h"

#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <vector>

/** Dialogs that show nothing: they record messages, menus and modal boxes, and let a test choose. */
class RecordingDialogs : public NsStrata::Dialogs
{
public:
    struct Menu
    {
        juce::PopupMenu menu;
        juce::Component* target;
        juce::LookAndFeel* look;
        std::function<void(int)> onChosen;
    };
    struct ModalBox
    {
        juce::String title, message, buttonText;
        juce::LookAndFeel* look;
    };

    juce::StringArray messages, informational;
    std::vector<Menu> menus;
    std::vector<ModalBox> boxes;

    void showMessage(const juce::String& text) override { messages.add(text); }
    /** Recorded with the others; also listed here, since these carry the information symbol. */
    void showInformation(const juce::String& text) override
    {
        messages.add(text);
        informational.add(text);
    }
    void showMenu(const juce::PopupMenu& menu, juce::Component& target, juce::LookAndFeel* look,
                  std::function<void(int)> onChosen) override
    {
        menus.push_back({menu, &target, look, std::move(onChosen)});
    }
    int runModalBox(const juce::String& title, const juce::String& message, const juce::String& buttonText,
                    juce::LookAndFeel* look) override
    {
        boxes.push_back({title, message, buttonText, look});
        return 1;
    }
    /** What the next chooser returns (juce::File() cancels), and what it was asked. */
    juce::File nextChosenFile;
    juce::StringArray chooserTitles;
    juce::File chooseFileToOpen(const juce::String& title, const juce::String& pattern) override
    {
        chooserTitles.add(title + " " + pattern);
        return nextChosenFile;
    }
    juce::File chooseFileToSave(const juce::String& title, const juce::String& pattern) override
    {
        chooserTitles.add(title + " " + pattern);
        return nextChosenFile;
    }
    /** What the next text box answers: false cancels; otherwise its field holds nextText. */
    bool nextTextAccepted = true;
    juce::String nextText;
    juce::StringArray textBoxes; // title, field id and the text it was pre-filled with
    bool askText(const juce::String& title, const juce::String& fieldId, juce::String& text,
                 const juce::String&, const juce::String&, juce::LookAndFeel*) override
    {
        textBoxes.add(title + "|" + fieldId + "|" + text);
        if (nextTextAccepted)
            text = nextText;
        return nextTextAccepted;
    }

    /** Chooses an item of the last menu shown. */
    void choose(int itemId)
    {
        ASSERT_FALSE(menus.empty());
        menus.back().onChosen(itemId);
    }
    /** The items of a menu: id, text and tick. */
    struct Item
    {
        int id;
        juce::String text;
        bool ticked;
    };
    static std::vector<Item> itemsOf(const juce::PopupMenu& menu)
    {
        std::vector<Item> items;
        for (juce::PopupMenu::MenuItemIterator it(menu); it.next();)
            items.push_back({it.getItem().itemID, it.getItem().text, it.getItem().isTicked});
        return items;
    }
};

/** Every process-wide value at its start, the recording dialogs in place, the link ready to queue. */
class UiTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        resetAll();
        NsStrata::setDialogs(&dialogs);
        // Switches and buttons queue without force: only a synchronised link with the gate open takes them.
        NsStrata::linkFlags().synchronised = true;
        NsStrata::linkFlags().sendingGate = true;
        tree = shippedPreset();
    }

    void TearDown() override
    {
        NsStrata::setDialogs(nullptr);
        resetAll();
    }

    static void resetAll()
    {
        resetLink();
        NsStrata::resetLanguage();
        NsStrata::screenState().reset();
        NsStrata::padDragState().reset();
    }

    /** A node of the test's tree (Ardent, mode 1 unless given). */
    juce::ValueTree node(int paramId, int mode = 1) const
    {
        return NsStrata::parameterNode(NsStrata::modelNode(tree, NsStrata::ardentModel), paramId, mode);
    }

    /** The ids of the queued copies, oldest first. */
    static std::vector<int> queuedIds()
    {
        std::vector<int> ids;
        for (const auto& entry : NsStrata::outgoingQueue())
            ids.push_back(NsStrata::readInt(entry, NsStrata::Prop::id, -1));
        return ids;
    }
    /** The "value" of the queued copy of id (NaN-free: -9999 when none is queued). */
    static double queuedValue(int paramId)
    {
        const auto entry = NsStrata::childWithId(NsStrata::outgoingQueue(), paramId);
        return entry.isValid() ? NsStrata::readDouble(entry, NsStrata::Prop::value, 0) : -9999;
    }

    RecordingDialogs dialogs;
    juce::ValueTree tree;
};

/** Runs the message loop until pred holds; false after timeoutMs. */
inline bool pumpUntil(const std::function<bool()>& pred, int timeoutMs = 8000)
{
    const auto deadline = juce::Time::getMillisecondCounterHiRes() + timeoutMs;
    while (!pred())
    {
        if (juce::Time::getMillisecondCounterHiRes() > deadline)
            return false;
        NsStrata::pumpMessagesFor(10);
    }
    return true;
}

/** A mouse event on a component, as the framework would deliver it. */
inline juce::MouseEvent mouseEvent(juce::Component& c, juce::Point<float> position,
                                   juce::ModifierKeys mods = juce::ModifierKeys::leftButtonModifier,
                                   int clicks = 1, juce::Time now = juce::Time::getCurrentTime())
{
    return juce::MouseEvent(juce::Desktop::getInstance().getMainMouseSource(), position, mods,
                            juce::MouseInputSource::defaultPressure, 0.0f, 0.0f, 0.0f, 0.0f, &c, &c, now,
                            position, now, clicks, false);
}

/** The component painted with its children into a new image on a background colour. */
inline juce::Image renderComponent(juce::Component& c, juce::Colour background = juce::Colour(0xff54585b))
{
    juce::Image image(juce::Image::ARGB, juce::jmax(1, c.getWidth()), juce::jmax(1, c.getHeight()), true,
                      juce::SoftwareImageType());
    juce::Graphics g(image);
    g.fillAll(background);
    c.paintEntireComponent(g, false);
    return image;
}

/** Distance between two colours, channel by channel, at most 255. */
inline int colourDistance(juce::Colour a, juce::Colour b)
{
    return juce::jmax(std::abs(a.getRed() - b.getRed()), std::abs(a.getGreen() - b.getGreen()),
                      std::abs(a.getBlue() - b.getBlue()));
}

#include "model/Catalogue.h"
#include "model/KnobTable.h"
#include "ui/controls/ParameterKnob.h"

#include <memory>

/** The panel's knob number index (0-based, creation order) as the panel builds it, 100 x 130 pixels. */
inline std::unique_ptr<NsStrata::ParameterKnob> makePanelKnob(int index)
{
    const auto& layout = NsStrata::panelKnobs[(std::size_t) index];
    auto knob = std::make_unique<NsStrata::ParameterKnob>(NsStrata::controlNames[(std::size_t) index],
                                                          layout.minimum, layout.maximum);
    knob->configure(layout);
    knob->setBounds(0, 0, 100, 130);
    return knob;
}

/** Panel knob indices used by the tests. */
namespace PanelKnob
{
enum : int
{
    mic1 = 0,
    hp = 2,
    deEsserFreq = 5,
    deEsserGain = 6,
    hcFreq = 8,
    sharedIntensity = 12,
    shift = 14,
    voiceOverLevel = 17,
    levelDisplay = 18,
    eqLow = 19,
    ratio = 23,
    preLC = 26,
};
}

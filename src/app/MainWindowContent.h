#pragma once
// The window's content: a content area that hosts the main screen at its full size, wired to the real mixer
// and DSP or, in demo mode, to the virtual ones, with the MIDI trace when one was asked for.
#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

class RadezOvu;

namespace NsStrata
{
class MainScreen;
class MidiTraceWriter;
class PortBackend;
class VirtualMixer;
struct LaunchOptions;

class MainWindowContent : public juce::Component
{
public:
    /** Builds the main screen (which reads the settings) for the process's launch options. */
    MainWindowContent();
    /** Takes the main screen down with it (which writes the settings). */
    ~MainWindowContent() override;

    /** The main screen, or null when it could not be built. */
    MainScreen* getMainScreen() const { return mainScreen.get(); }

    void paint(juce::Graphics& g) override;
    /** Where a frame ends: everything inside the window has been painted. */
    void paintOverChildren(juce::Graphics& g) override;
    void resized() override;

    /** Where the main screen's MIDI goes for these options: the system's ports (null) or the virtual mixer,
        either behind the trace when writer is given. */
    static std::shared_ptr<PortBackend> portsFor(const LaunchOptions& options,
                                                 std::shared_ptr<MidiTraceWriter> writer);
    /** The virtual mixer behind these ports (also behind a trace); null for the system's ports. */
    static VirtualMixer* virtualMixerOf(PortBackend* ports);
    /** The DSP access for these options, with one reference for the caller: the USB library's, or a root
        over a virtual DSP. */
    static RadezOvu* dspRootFor(const LaunchOptions& options);

private:
    std::shared_ptr<MidiTraceWriter> trace; // outlives the screen, whose ports write to it
    juce::Component contentArea;
    std::unique_ptr<MainScreen> mainScreen;
    bool framePainted = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(MainWindowContent)
};
} // namespace NsStrata

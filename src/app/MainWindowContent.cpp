#include "MainWindowContent.h"

#include "LaunchOptions.h"
#include "device/Host.h"
#include "device/MidiTrace.h"
#include "device/os/JucePortBackend.h"
#include "model/Models.h"
#include "model/StateLoader.h"
#include "radezovu/RadezOvu.h"
#include "sim/VirtualDspUsb.h"
#include "sim/VirtualMixer.h"
#include "store/Assets.h"
#include "ui/main/MainScreen.h"

namespace NsStrata
{
// The DSP access library's interface version the program is built against.
static constexpr uint32_t radezOvuVersion = 256;

std::shared_ptr<PortBackend> MainWindowContent::portsFor(const LaunchOptions& options,
                                                         std::shared_ptr<MidiTraceWriter> writer)
{
    std::shared_ptr<PortBackend> ports;
    if (options.virtualDevice)
    {
        // Demo mode: the virtual mixer stands in for the device, starting from the shipped preset's values.
        ports = std::make_shared<VirtualMixer>(
            options.virtualModel, treeFromXmlText(loadAssetText("Strata/preset/preset.xml", false)));
    }
    if (writer == nullptr)
        return ports;
    if (ports == nullptr)
        ports = std::make_shared<JucePortBackend>();
    return std::make_shared<TracingPortBackend>(ports, std::move(writer));
}

VirtualMixer* MainWindowContent::virtualMixerOf(PortBackend* ports)
{
    if (auto* traced = dynamic_cast<TracingPortBackend*>(ports))
        ports = &traced->wrapped();
    return dynamic_cast<VirtualMixer*>(ports);
}

RadezOvu* MainWindowContent::dspRootFor(const LaunchOptions& options)
{
    if (options.virtualDevice)
        return new VirtualDspRoot({std::make_shared<VirtualDsp>()});
    return createRadezOvu(radezOvuVersion);
}

MainWindowContent::MainWindowContent()
{
    const auto& options = launchOptions();
    if (options.traceFile != juce::File())
    {
        trace = std::make_shared<MidiTraceWriter>(options.traceFile);
        if (!trace->isOpen())
        {
            std::fprintf(stderr, "Strata: cannot write the trace to %s\n",
                         options.traceFile.getFullPathName().toRawUTF8());
            trace.reset();
        }
    }
    auto ports = portsFor(options, trace);
    // In demo mode the screen shows the virtual mixer's model from the start, not only once it is found.
    mainScreen = std::make_unique<MainScreen>(ports, dspRootFor(options),
                                              options.virtualDevice ? options.virtualModel : ardentModel);
    // A real mixer keeps its settings between sessions; the demo's holds what the last session left, from
    // the settings the screen has just read, before the link's first tick reaches it.
    if (auto* mixer = virtualMixerOf(ports.get()))
        mixer->holdValuesOf(Host::getInstance()->state());
    addAndMakeVisible(contentArea);
    contentArea.addAndMakeVisible(*mainScreen);
    setSize(mainScreen->getWidth(), mainScreen->getHeight());
}

MainWindowContent::~MainWindowContent()
{
    mainScreen.reset();
    if (trace != nullptr)
        trace->flush();
}

void MainWindowContent::paint(juce::Graphics& g)
{
    g.fillAll(getLookAndFeel().findColour(juce::ResizableWindow::backgroundColourId));
}

void MainWindowContent::paintOverChildren(juce::Graphics&)
{
    if (framePainted || !launchOptions().reportFirstFrame)
        return;
    framePainted = true;
    std::fputs("first frame\n", stdout);
    std::fflush(stdout);
}

void MainWindowContent::resized()
{
    contentArea.setBounds(getLocalBounds());
    if (mainScreen != nullptr)
        mainScreen->setBounds(contentArea.getLocalBounds());
}
} // namespace NsStrata

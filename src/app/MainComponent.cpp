#include "MainComponent.h"

#include "LaunchOptions.h"
#include "device/MidiTrace.h"
#include "device/os/JucePortBackend.h"
#include "model/StateLoader.h"
#include "radezovu/RadezOvu.h"
#include "sim/VirtualDspUsb.h"
#include "sim/VirtualMixer.h"
#include "store/Assets.h"
#include "ui/main/MainComp.h"

namespace NsStrata
{
// The DSP access library's interface version the program is built against.
static constexpr uint32_t radezOvuVersion = 256;

std::shared_ptr<PortBackend> MainComponent::portsFor(const LaunchOptions& options,
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

RadezOvu* MainComponent::dspRootFor(const LaunchOptions& options)
{
    if (options.virtualDevice)
        return new VirtualDspRoot({std::make_shared<VirtualDsp>()});
    return createRadezOvu(radezOvuVersion);
}

MainComponent::MainComponent()
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
    mainScreen = std::make_unique<MainComp>(portsFor(options, trace), dspRootFor(options));
    addAndMakeVisible(contentArea);
    contentArea.addAndMakeVisible(*mainScreen);
    setSize(mainScreen->getWidth(), mainScreen->getHeight());
}

MainComponent::~MainComponent()
{
    mainScreen.reset();
    if (trace != nullptr)
        trace->flush();
}

void MainComponent::paint(juce::Graphics& g)
{
    g.fillAll(getLookAndFeel().findColour(juce::ResizableWindow::backgroundColourId));
}

void MainComponent::resized()
{
    contentArea.setBounds(getLocalBounds());
    if (mainScreen != nullptr)
        mainScreen->setBounds(contentArea.getLocalBounds());
}
} // namespace NsStrata

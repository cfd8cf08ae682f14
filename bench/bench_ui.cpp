// bench_ui: how long the software renderer takes to paint one knob, one fader and one section switch, at UI
// scale 1 and 2 (target: a knob in at most 150 us at scale 1 and 400 us at scale 2); the whole mixer panel at
// both scales (target: at most 6 ms and 15 ms on one core); how long a knob edit takes to reach the virtual
// mixer on the real poll tick (p50 and p95); and the CPU share of the running main screen over 30 s,
// connected to the virtual mixer with the meter polling (target: at most 1 % of one core); and the longest
// the message loop stands still while "Send jingle" writes a jingle into the virtual DSP (target: 50 ms).
// The main screen needs a display: run it under xvfb-run.
#include "device/Host.h"
#include "device/LinkFlags.h"
#include "device/MessagePump.h"
#include "device/OutgoingQueue.h"
#include "model/Catalogue.h"
#include "model/KnobTable.h"
#include "model/Models.h"
#include "model/StateLoader.h"
#include "model/StateTree.h"
#include "sim/VirtualDspUsb.h"
#include "sim/VirtualMixer.h"
#include "store/Assets.h"
#include "store/SettingsStore.h"
#include "ui/controls/ParameterKnob.h"
#include "ui/controls/SectionSwitch.h"
#include "ui/look/Dialogs.h"
#include "ui/look/ScreenState.h"
#include "ui/main/MainScreen.h"
#include "ui/panel/MixerPanel.h"

#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

#include <juce_gui_basics/juce_gui_basics.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

using namespace NsStrata;

namespace
{
constexpr int rounds = 3000;

// The window needs the X set-up of a standalone application (threading, error handlers), which the framework
// makes only when an application object could exist.
juce::JUCEApplicationBase* noApplication()
{
    return nullptr;
}
[[maybe_unused]] const bool countsAsStandalone = []
{
    juce::JUCEApplicationBase::createInstance = &noApplication;
    return true;
}();

/** The median time to paint the component (with its children) into a software image, in microseconds. */
double medianPaintMicros(juce::Component& component)
{
    juce::Image image(juce::Image::ARGB, component.getWidth(), component.getHeight(), true,
                      juce::SoftwareImageType());
    // The first paints fill the glyph and picture caches, and a core coming out of idle runs slow for a
    // while: a third of a second of painting goes before anything is timed.
    const auto warm = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
    for (int i = 0; i < 100 || std::chrono::steady_clock::now() < warm; ++i)
    {
        juce::Graphics g(image);
        component.paintEntireComponent(g, false);
    }
    std::vector<double> times;
    times.reserve(rounds);
    for (int i = 0; i < rounds; ++i)
    {
        juce::Graphics g(image);
        const auto start = std::chrono::steady_clock::now();
        component.paintEntireComponent(g, false);
        const auto end = std::chrono::steady_clock::now();
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

/** The median time to paint the whole panel at a scale, in milliseconds. */
double panelPaintMs(float scale)
{
    setUiScale(scale);
    MixerPanel panel(false);
    panel.setBounds(0, 0, scaled(panelDesignWidth), scaled(panelDesignHeight));
    panel.bindToState(ardentModel, 1, 0);
    panel.setCoverVisible(false);
    juce::Image image(juce::Image::ARGB, panel.getWidth(), panel.getHeight(), true,
                      juce::SoftwareImageType());
    std::vector<double> times;
    for (int i = 0; i < 120; ++i)
    {
        juce::Graphics g(image);
        const auto start = std::chrono::steady_clock::now();
        panel.paintEntireComponent(g, false);
        const auto end = std::chrono::steady_clock::now();
        if (i >= 20)
            times.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    std::nth_element(times.begin(), times.begin() + (long) times.size() / 2, times.end());
    return times[times.size() / 2];
}

bool pumpUntil(const std::function<bool()>& pred, int timeoutMs)
{
    const auto deadline = juce::Time::getMillisecondCounterHiRes() + timeoutMs;
    while (!pred())
    {
        if (juce::Time::getMillisecondCounterHiRes() > deadline)
            return false;
        pumpMessagesFor(1);
    }
    return true;
}

struct LinkFigures
{
    double p50 = -1, p95 = -1;
    double sendStallMs = -1, sendSeconds = -1;
};

/** Dialogs that show nothing and keep the messages, so a send's result box does not stay on screen. */
class SilentDialogs : public Dialogs
{
public:
    juce::StringArray messages;
    void showMessage(const juce::String& text) override { messages.add(text); }
    void showMenu(const juce::PopupMenu&, juce::Component&, juce::LookAndFeel*,
                  std::function<void(int)>) override
    {
    }
    int runModalBox(const juce::String&, const juce::String&, const juce::String&,
                    juce::LookAndFeel*) override
    {
        return 1;
    }
    juce::File chooseFileToOpen(const juce::String&, const juce::String&) override { return {}; }
    juce::File chooseFileToSave(const juce::String&, const juce::String&) override { return {}; }
    bool askText(const juce::String&, const juce::String&, juce::String&, const juce::String&,
                 const juce::String&, juce::LookAndFeel*) override
    {
        return false;
    }
};

/** Notes the longest time between its callbacks, asked for every few milliseconds. */
class LoopGapWatch : private juce::Timer
{
public:
    LoopGapWatch() { startTimer(5); }
    ~LoopGapWatch() override { stopTimer(); }
    double longestMs() const { return longest; }

private:
    void timerCallback() override
    {
        const double now = juce::Time::getMillisecondCounterHiRes();
        longest = std::max(longest, now - last);
        last = now;
    }
    double last = juce::Time::getMillisecondCounterHiRes(), longest = 0;
};

/** "Send jingle" of slot 1 from the screen's menu into the DSP, which takes 50 ms for each request as a
    device takes its time: the longest the message loop stood still meanwhile, and how long the send took. */
void measureSend(MainScreen& screen, VirtualDsp& dsp, LinkFigures& figures)
{
    if (!pumpUntil([&] { return screen.jingleLibrary().checkCanSend(1).wasOk(); }, 20000))
    {
        std::fprintf(stderr, "bench_ui: the jingle library was not checked\n");
        return;
    }
    SilentDialogs silent;
    setDialogs(&silent);
    dsp.setRequestHook([](uint16_t) { std::this_thread::sleep_for(std::chrono::milliseconds(50)); });
    auto& panel = screen.mixerPanel();
    const double start = juce::Time::getMillisecondCounterHiRes();
    {
        LoopGapWatch watch;
        pumpMessagesFor(50);
        panel.onJingleMenuItem(ButtonKind::jingleMenu, PanelMenu::sendJingle, &panel.jingleMenuButton(1));
        figures.sendStallMs = watch.longestMs();
    }
    figures.sendSeconds = (juce::Time::getMillisecondCounterHiRes() - start) / 1000.0;
    dsp.setRequestHook(nullptr);
    setDialogs(nullptr);
    if (silent.messages != juce::StringArray{"Send jingle OK!"})
    {
        std::fprintf(stderr, "bench_ui: the send said: %s\n",
                     silent.messages.joinIntoString(" / ").toRawUTF8());
        figures.sendStallMs = -1;
    }
}

/** CPU seconds a process has used so far (user and system), from /proc; -1 when it cannot be read. */
double processCpuSeconds(pid_t pid)
{
    const auto stat = juce::File("/proc/" + juce::String(pid) + "/stat").loadFileAsString();
    // The fields after the command name, which is in parentheses and may hold blanks.
    const auto fields = juce::StringArray::fromTokens(stat.fromLastOccurrenceOf(")", false, false), false);
    if (fields.size() < 13)
        return -1;
    return (fields[11].getDoubleValue() + fields[12].getDoubleValue()) / (double) sysconf(_SC_CLK_TCK);
}

/** The CPU share of the built Strata in demo mode (its own message loop, as a user runs it; STRATA_HOME
    as set here), connected and polling the meter, over seconds of running,
    as a percentage of one core; -1 when it could not be run. */
double idleCpuPercent(int seconds)
{
    const auto strata =
        juce::File::getSpecialLocation(juce::File::currentExecutableFile).getSiblingFile("Strata");
    std::string path = strata.getFullPathName().toStdString(), flag = "--virtual-device";
    char* argv[] = {path.data(), flag.data(), nullptr};
    pid_t pid = -1;
    if (!strata.existsAsFile() || posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv, environ) != 0)
        return -1;
    juce::Thread::sleep(5000); // started, connected and synchronised
    const double cpuStart = processCpuSeconds(pid);
    const double wallStart = juce::Time::getMillisecondCounterHiRes();
    juce::Thread::sleep(seconds * 1000);
    const double cpuEnd = processCpuSeconds(pid);
    const double wall = (juce::Time::getMillisecondCounterHiRes() - wallStart) / 1000.0;
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
    return cpuStart < 0 || cpuEnd < 0 ? -1 : 100.0 * (cpuEnd - cpuStart) / wall;
}

/** The main screen in a window against the virtual mixer: knob edits until they reach the mixer. */
LinkFigures measureLink(const juce::ValueTree& preset)
{
    LinkFigures figures;
    Host::createInstance(SettingsStore::withoutFile());
    Host::getInstance()->settings().setState(preset.createCopy());
    auto mixer = std::make_shared<VirtualMixer>(ardentModel, preset);
    setUiScale(1.0f);
    juce::DocumentWindow window("bench_ui", juce::Colours::black, 0, true);
    auto dsp = std::make_shared<VirtualDsp>();
    auto* screen = new MainScreen(mixer, new VirtualDspRoot({dsp}));
    window.setContentOwned(screen, true);
    window.setVisible(true);
    if (!pumpUntil(
            [] {
                return linkFlags().synchronised && linkFlags().modeSelectorSent &&
                       outgoingQueue().getNumChildren() == 0;
            },
            20000))
    {
        std::fprintf(stderr, "bench_ui: the virtual mixer did not synchronise\n");
        return figures;
    }

    // Edits at moments spread over the poll interval, each until its message reaches the mixer.
    auto& knob = screen->mixerPanel().knob(2); // HP, -36 .. 6 dB
    const auto address = addressOf(ParamId::headphones);
    std::vector<double> latencies;
    juce::Random random(7);
    for (int i = 0; i < 40; ++i)
    {
        pumpMessagesFor((float) random.nextInt(300));
        const auto seen = mixer->received().size();
        const double start = juce::Time::getMillisecondCounterHiRes();
        knob.slider().setValue(i % 2 == 0 ? -10 : -20, juce::sendNotificationSync);
        double arrived = -1;
        pumpUntil(
            [&]
            {
                const auto log = mixer->received();
                for (auto k = seen; k < log.size(); ++k)
                    if (log[k].bytes.size() > 8 && log[k].bytes[6] == (address >> 8) &&
                        log[k].bytes[7] == (address & 0x7F))
                    {
                        arrived = log[k].ms;
                        return true;
                    }
                return false;
            },
            5000);
        if (arrived > 0)
            latencies.push_back(arrived - start);
    }
    std::sort(latencies.begin(), latencies.end());
    if (!latencies.empty())
    {
        figures.p50 = latencies[latencies.size() / 2];
        figures.p95 = latencies[std::min(latencies.size() - 1, latencies.size() * 95 / 100)];
    }

    measureSend(*screen, *dsp, figures);

    if (!mixer->protocolErrors().isEmpty())
        std::fprintf(stderr, "bench_ui: protocol errors: %s\n",
                     mixer->protocolErrors().joinIntoString("; ").toRawUTF8());
    window.clearContentComponent();
    Host::deleteInstance();
    return figures;
}

int main()
{
    // The main screen rebuilds the jingle library: in a folder of its own, never the user's.
    const auto home = juce::File::createTempFile("bench_ui_home");
    home.createDirectory();
    setenv("STRATA_HOME", home.getFullPathName().toRawUTF8(), 1);
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

    // The panel makes the Host: one without a settings file leaves the user's settings alone.
    Host::createInstance(SettingsStore::withoutFile());
    Host::getInstance()->settings().setState(tree.createCopy());
    const double panel1 = panelPaintMs(1.0f), panel2 = panelPaintMs(2.0f);
    Host::deleteInstance();
    std::printf("panel: %.2f ms at scale 1.0, %.2f ms at scale 2.0 (median of 100 paints)\n", panel1, panel2);

    const auto link = measureLink(tree);
    std::printf("edit to wire: p50 %.1f ms, p95 %.1f ms (40 knob edits against the virtual mixer)\n",
                link.p50, link.p95);
    std::printf(
        "send jingle: the message loop stood still at most %.1f ms (a %.1f s send into the virtual DSP; "
        "target <= 50 ms)\n",
        link.sendStallMs, link.sendSeconds);
    const double idle = idleCpuPercent(30);
    std::printf("idle: %.2f %% of one core over 30 s (Strata --virtual-device, connected, meter on)\n", idle);

    std::printf("{\"knob_us_1\":%.1f,\"knob_us_2\":%.1f,\"fader_us_1\":%.1f,\"fader_us_2\":%.1f,"
                "\"switch_us_1\":%.1f,\"switch_us_2\":%.1f,\"panel_ms_1\":%.2f,\"panel_ms_2\":%.2f,"
                "\"edit_to_wire_p50_ms\":%.1f,\"edit_to_wire_p95_ms\":%.1f,\"idle_cpu_percent\":%.2f,"
                "\"send_stall_ms\":%.1f}\n",
                one.knob, two.knob, one.fader, two.fader, one.sectionSwitch, two.sectionSwitch, panel1,
                panel2, link.p50, link.p95, idle, link.sendStallMs);
    return 0;
}

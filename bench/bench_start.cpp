// bench_start: how soon the built Strata shows its window, and what it holds in memory. Launch to first
// painted frame (the program says when, with --report-first-frame) with an empty and with a full jingle
// library, median of five launches each; then the peak resident memory once the program has synchronised
// with the virtual mixer (the mode selector in its MIDI trace). Targets: 300 ms to the first frame, 80 MB.
// Needs a display (run it under xvfb-run) and the Strata program beside this one.
#include "device/MessageFraming.h"
#include "jingles/JingleFolders.h"
#include "jingles/JingleSizes.h"
#include "jingles/JingleStore.h"
#include "model/Catalogue.h"
#include "model/Models.h"
#include "store/AppFolders.h"

#include <juce_core/juce_core.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#if JUCE_LINUX
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace NsStrata;

namespace
{
constexpr int runs = 5;
constexpr double startTargetMs = 300, memoryTargetMb = 80;
constexpr int timeoutMs = 20000;

double nowMs()
{
    return juce::Time::getMillisecondCounterHiRes();
}

/** Strata as a child process with its own STRATA_HOME and its standard output on a pipe. */
class Child
{
public:
    Child(const juce::File& program, const juce::File& home, const juce::StringArray& arguments)
    {
        int fds[2];
        if (::pipe(fds) != 0)
            return;
        std::vector<std::string> args{program.getFullPathName().toStdString()};
        for (const auto& a : arguments)
            args.push_back(a.toStdString());
        const std::string homeVariable = "STRATA_HOME=" + home.getFullPathName().toStdString();
        pid = ::fork();
        if (pid == 0)
        {
            ::dup2(fds[1], 1);
            ::close(fds[0]);
            ::close(fds[1]);
            ::putenv(const_cast<char*>(homeVariable.c_str()));
            std::vector<char*> argv;
            for (auto& a : args)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::close(fds[1]);
        out = fds[0];
    }

    ~Child()
    {
        if (pid > 0)
        {
            ::kill(pid, SIGTERM);
            int status = 0;
            const auto deadline = nowMs() + timeoutMs;
            while (::waitpid(pid, &status, WNOHANG) == 0 && nowMs() < deadline)
                ::usleep(10000);
            if (nowMs() >= deadline)
            {
                ::kill(pid, SIGKILL);
                ::waitpid(pid, &status, 0);
            }
        }
        if (out >= 0)
            ::close(out);
    }

    /** Waits until the child writes line; false when it ends or the time runs out first. */
    bool waitForLine(const std::string& line)
    {
        const auto deadline = nowMs() + timeoutMs;
        while (nowMs() < deadline && pid > 0)
        {
            if (received.find(line + "\n") != std::string::npos)
                return true;
            pollfd p{out, POLLIN, 0};
            if (::poll(&p, 1, 50) > 0)
            {
                char buffer[256];
                const auto n = ::read(out, buffer, sizeof(buffer));
                if (n <= 0)
                    return false;
                received.append(buffer, (size_t) n);
            }
        }
        return false;
    }

    /** The child's peak resident memory so far, in MB (VmHWM); negative when unknown. */
    double peakResidentMb() const
    {
        const auto status = juce::File("/proc/" + juce::String(pid) + "/status").loadFileAsString();
        for (const auto& line : juce::StringArray::fromLines(status))
            if (line.startsWith("VmHWM:"))
                return line.fromFirstOccurrenceOf(":", false, false).trim().getLargeIntValue() / 1024.0;
        return -1;
    }

    bool started() const { return pid > 0 && out >= 0; }

private:
    pid_t pid = -1;
    int out = -1;
    std::string received;
};

/** A library of nine stored jingles that fill the device's memory, laid out in home as the check at start
    finds them. */
void fillLibrary(const juce::File& home)
{
    const juce::String variable("STRATA_HOME");
    ::setenv(variable.toRawUTF8(), home.getFullPathName().toRawUTF8(), 1);
    const auto folders = JingleFolders::standard();
    ::unsetenv(variable.toRawUTF8());
    const size_t share = (size_t) jingleMemoryBytes / jingleSlotCount / jinglePageBytes * jinglePageBytes;
    juce::MemoryBlock bytes(share);
    for (int slot = 1; slot <= jingleSlotCount; ++slot)
    {
        juce::Random(slot).fillBitsRandomly(bytes.getData(), bytes.getSize());
        const auto folder = folders.slotFolder(slot).getChildFile("Jingle " + juce::String(slot));
        folder.createDirectory();
        folder.getChildFile("0.mp3").replaceWithData(bytes.getData(), bytes.getSize());
    }
}

/** The start of the Ardent's mode selector message in the trace: the start-up exchange's last message. */
juce::String modeSelectorPrefix()
{
    auto prefix = sysexHeader(ardentModel);
    prefix.push_back(uint8_t(addressOf(ParamId::modeSelector) >> 8));
    prefix.push_back(uint8_t(addressOf(ParamId::modeSelector) & 0x7F));
    return "\"out\",\"hex\":\"" + toHex(prefix);
}

/** Median launch-to-first-frame time in ms over the runs; negative when a launch failed. */
double medianStartMs(const juce::File& program, const juce::File& home)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i)
    {
        const double start = nowMs();
        Child strata(program, home, {"--virtual-device", "--report-first-frame"});
        if (!strata.started() || !strata.waitForLine("first frame"))
            return -1;
        times.push_back(nowMs() - start);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

/** Peak resident memory once synchronised with the virtual mixer; negative when that did not happen. */
double residentAfterSyncMb(const juce::File& program, const juce::File& home)
{
    const auto trace = home.getChildFile("trace.jsonl");
    Child strata(program, home,
                 {"--virtual-device", "--trace", trace.getFullPathName(), "--report-first-frame"});
    if (!strata.started() || !strata.waitForLine("first frame"))
        return -1;
    const auto deadline = nowMs() + timeoutMs;
    while (!trace.loadFileAsString().contains(modeSelectorPrefix()))
    {
        if (nowMs() > deadline)
            return -1;
        juce::Thread::sleep(50);
    }
    juce::Thread::sleep(1000); // a second of the meter running
    return strata.peakResidentMb();
}

const char* verdict(double value, double target)
{
    return value >= 0 && value <= target ? "met" : "NOT met";
}
} // namespace

int main()
{
    const auto program =
        juce::File::getSpecialLocation(juce::File::currentExecutableFile).getSiblingFile("Strata");
    if (!program.existsAsFile())
    {
        std::fprintf(stderr, "bench_start: no Strata beside this program (%s)\n",
                     program.getFullPathName().toRawUTF8());
        return 2;
    }
    if (juce::SystemStats::getEnvironmentVariable("DISPLAY", {}).isEmpty())
    {
        std::fprintf(stderr, "bench_start: needs a display; run it under xvfb-run\n");
        return 2;
    }
    const auto work = juce::File::getSpecialLocation(juce::File::tempDirectory)
                          .getNonexistentChildFile("bench_start", "", false);
    const auto empty = work.getChildFile("empty"), full = work.getChildFile("full");
    empty.createDirectory();
    full.createDirectory();
    fillLibrary(full);

    // A first launch lays out the empty home's library and settings, as a first start on a machine does;
    // it is not counted, so every counted launch finds the same home.
    {
        Child warmUp(program, empty, {"--virtual-device", "--report-first-frame"});
        warmUp.waitForLine("first frame");
    }
    const double emptyMs = medianStartMs(program, empty);
    const double fullMs = medianStartMs(program, full);
    const double rssMb = residentAfterSyncMb(program, full);
    work.deleteRecursively();

    std::printf("bench_start: launch to first painted frame, median of %d launches (target <= %.0f ms)\n",
                runs, startTargetMs);
    std::printf("empty library:               %8.1f ms  %s\n", emptyMs, verdict(emptyMs, startTargetMs));
    std::printf("full library (9 jingles):    %8.1f ms  %s\n", fullMs, verdict(fullMs, startTargetMs));
    std::printf("peak resident after sync:    %8.1f MB  %s (target <= %.0f MB)\n", rssMb,
                verdict(rssMb, memoryTargetMb), memoryTargetMb);
    std::printf("{\"start_ms_empty\":%.1f,\"start_ms_full\":%.1f,\"rss_mb\":%.1f}\n", emptyMs, fullMs, rssMb);
    return emptyMs >= 0 && fullMs >= 0 && rssMb >= 0 ? 0 : 1;
}
#else
int main()
{
    std::fprintf(stderr, "bench_start: Linux only\n");
    return 2;
}
#endif

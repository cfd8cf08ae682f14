// bench_dsp: the host-side cost of sending a 15 MiB jingle into the virtual DSP, in MiB per second of CPU
// time (user + system). The target is at least 200 MiB/s, so the host never limits a USB 2.0 link.
#include "jingles/JingleTransfer.h"
#include "sim/VirtualDspUsb.h"

#include <juce_core/juce_core.h>

#include <sys/resource.h>

#include <cstdio>
#include <vector>

namespace
{
double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}
} // namespace

int main()
{
    constexpr size_t jingleBytes = 15u << 20;
    constexpr double targetMiBPerSecond = 200.0;
    constexpr int runs = 5;

    juce::TemporaryFile temp(".mp3");
    {
        std::vector<char> content(jingleBytes);
        for (size_t i = 0; i < content.size(); ++i)
            content[i] = static_cast<char>(i * 31 + (i >> 12));
        if (!temp.getFile().replaceWithData(content.data(), content.size()))
        {
            std::fprintf(stderr, "bench_dsp: cannot write %s\n",
                         temp.getFile().getFullPathName().toRawUTF8());
            return 1;
        }
    }

    double best = 0.0;
    for (int run = 1; run <= runs; ++run)
    {
        auto chip = std::make_shared<NsStrata::VirtualDsp>();
        RadezOvuRef<NsStrata::VirtualDspRoot> root(new NsStrata::VirtualDspRoot({chip}));
        NsStrata::JingleTransferStats stats;
        const double before = cpuSeconds();
        const auto result = NsStrata::sendJingle(root.get(), 1, temp.getFile(), -1, {}, &stats);
        const double cpu = cpuSeconds() - before;
        if (!result.ok || stats.bytes != static_cast<int64_t>(jingleBytes) || chip->protocolErrors() != 0)
        {
            std::fprintf(stderr, "bench_dsp: the transfer failed: %s %s\n", result.text().toRawUTF8(),
                         chip->lastProtocolError().c_str());
            return 1;
        }
        const double mib = static_cast<double>(stats.bytes) / (1 << 20);
        const double rate = cpu > 0 ? mib / cpu : 0.0;
        best = std::max(best, rate);
        std::printf("run %d: %.0f MiB in %d writes, %.3f s CPU, %.0f MiB/s\n", run, mib, stats.writes, cpu,
                    rate);
    }
    std::printf("bench_dsp: best %.0f MiB/s of CPU time (target >= %.0f MiB/s): %s\n", best,
                targetMiBPerSecond, best >= targetMiBPerSecond ? "met" : "MISSED");
    std::printf("{\"bench\": \"bench_dsp\", \"bestMiBPerCpuSecond\": %.0f, \"targetMiBPerCpuSecond\": %.0f, "
                "\"met\": %s}\n",
                best, targetMiBPerSecond, best >= targetMiBPerSecond ? "true" : "false");
    return 0;
}

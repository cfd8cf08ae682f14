#include "XDisplay.h"

namespace StrataTest
{
namespace XDisplay
{
namespace
{
struct Result
{
    bool ok = false;
    juce::String output;
};

Result run(const juce::StringArray& command)
{
    juce::ChildProcess process;
    if (!process.start(command, juce::ChildProcess::wantStdOut))
        return {};
    auto output = process.readAllProcessOutput();
    if (!process.waitForProcessToFinish(10000))
    {
        process.kill();
        return {};
    }
    return {process.getExitCode() == 0, output};
}

juce::int64 parseWindow(const juce::String& text)
{
    const auto trimmed = text.trim();
    if (trimmed.startsWithIgnoreCase("0x"))
        return trimmed.substring(2).getHexValue64();
    return trimmed.getLargeIntValue();
}
} // namespace

juce::Array<juce::int64> findWindows(const juce::String& namePattern, bool onlyVisible, int pid)
{
    juce::StringArray command{"xdotool", "search"};
    if (onlyVisible)
        command.add("--onlyvisible");
    if (pid > 0)
        command.addArray({"--pid", juce::String(pid)});
    command.addArray({"--name", namePattern});

    juce::Array<juce::int64> windows;
    for (auto& line : juce::StringArray::fromLines(run(command).output))
        if (line.trim().isNotEmpty())
            windows.add(parseWindow(line));
    return windows;
}

juce::int64 waitForWindow(const juce::String& namePattern, int pid, int timeoutMs)
{
    const auto deadline = juce::Time::getMillisecondCounter() + (juce::uint32) timeoutMs;
    for (;;)
    {
        if (auto windows = findWindows(namePattern, true, pid); !windows.isEmpty())
            return windows.getFirst();
        if (juce::Time::getMillisecondCounter() >= deadline)
            return 0;
        juce::Thread::sleep(50);
    }
}

juce::Rectangle<int> geometry(juce::int64 window)
{
    const auto result = run({"xdotool", "getwindowgeometry", "--shell", juce::String(window)});
    if (!result.ok)
        return {};
    juce::StringPairArray values;
    for (auto& line : juce::StringArray::fromLines(result.output))
        values.set(line.upToFirstOccurrenceOf("=", false, false),
                   line.fromFirstOccurrenceOf("=", false, false));
    return {values["X"].getIntValue(), values["Y"].getIntValue(), values["WIDTH"].getIntValue(),
            values["HEIGHT"].getIntValue()};
}

juce::String windowName(juce::int64 window)
{
    return run({"xdotool", "getwindowname", juce::String(window)}).output.trim();
}

juce::int64 focusedWindow()
{
    const auto result = run({"xdotool", "getwindowfocus"});
    return result.ok ? parseWindow(result.output) : 0;
}

bool clickInto(juce::int64 window)
{
    return run({"xdotool", "mousemove", "--window", juce::String(window), "400", "300", "click", "1"}).ok;
}

bool click(juce::int64 window, juce::Point<int> at)
{
    return run({"xdotool", "mousemove", "--window", juce::String(window), juce::String(at.x),
                juce::String(at.y), "click", "1"})
        .ok;
}

bool drag(juce::int64 window, juce::Point<int> from, juce::Point<int> to, int steps)
{
    const auto w = juce::String(window);
    const auto move = [&](juce::Point<int> p) {
        return run({"xdotool", "mousemove", "--window", w, juce::String(p.x), juce::String(p.y)}).ok;
    };
    if (!move(from) || !run({"xdotool", "mousedown", "1"}).ok)
        return false;
    // In steps, as a hand moves after pressing, so the drag is seen as one.
    juce::Thread::sleep(50);
    bool ok = true;
    for (int i = 1; i <= steps && ok; ++i)
    {
        ok = move(from + (to - from) * i / steps);
        juce::Thread::sleep(30);
    }
    return run({"xdotool", "mouseup", "1"}).ok && ok;
}

bool pressKeys(const juce::String& keys)
{
    return run({"xdotool", "key", "--clearmodifiers", keys}).ok;
}

bool focusRoot()
{
    const auto info = run({"xwininfo", "-root"});
    const auto id = info.output.fromFirstOccurrenceOf("Window id:", false, false)
                        .trim()
                        .upToFirstOccurrenceOf(" ", false, false);
    return info.ok && id.isNotEmpty() && run({"xdotool", "windowfocus", "--sync", id}).ok;
}

bool hide(juce::int64 window)
{
    return run({"xdotool", "windowunmap", "--sync", juce::String(window)}).ok;
}
} // namespace XDisplay
} // namespace StrataTest

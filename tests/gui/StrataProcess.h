#pragma once
// A built Strata started as a child process with its own STRATA_HOME; killed if a test leaves it running.
#include <juce_core/juce_core.h>

#include <optional>
#include <sys/types.h>

namespace StrataTest
{
class StrataProcess
{
public:
    /** Starts binDir()/Strata with STRATA_HOME = home and the given arguments. */
    StrataProcess(const juce::File& home, const juce::StringArray& arguments = {});
    ~StrataProcess();

    bool started() const { return pid > 0; }
    pid_t processId() const { return pid; }
    bool isRunning();
    /** Asks the process to end, as the system does at logout or shutdown (SIGTERM). */
    bool requestTermination();

    /** The exit status once the process has ended within timeoutMs; nothing while it still runs. */
    std::optional<int> waitForExit(int timeoutMs);

private:
    pid_t pid = -1;
    std::optional<int> exitStatus;

    JUCE_DECLARE_NON_COPYABLE(StrataProcess)
};
} // namespace StrataTest

#pragma once
// One Strata per settings folder: the running program holds this lock on the folder for its whole run, and
// strata-cli asks it before it writes the settings that the program would overwrite at exit.
#include <juce_core/juce_core.h>

#include <memory>

namespace NsStrata
{
class InstanceLock
{
public:
    enum class State
    {
        acquired,
        heldElsewhere, // by another process (or another lock of this one)
        unavailable    // no lock file could be made: nobody can be told apart
    };

    /** Tries once, without waiting, to take the lock of folder (created when missing). */
    explicit InstanceLock(const juce::File& folder);
    ~InstanceLock();

    State state() const { return lockState; }
    bool acquired() const { return lockState == State::acquired; }

    static juce::File lockFileIn(const juce::File& folder) { return folder.getChildFile("Strata.lock"); }

private:
    State lockState = State::unavailable;
#if JUCE_WINDOWS
    std::unique_ptr<juce::InterProcessLock> processLock;
#else
    int handle = -1;
#endif

    JUCE_DECLARE_NON_COPYABLE(InstanceLock)
};
} // namespace NsStrata

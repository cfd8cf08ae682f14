#include "InstanceLock.h"

#if !JUCE_WINDOWS
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace NsStrata
{
InstanceLock::InstanceLock(const juce::File& folder)
{
    folder.createDirectory();
    const auto file = lockFileIn(folder);
#if JUCE_WINDOWS
    processLock = std::make_unique<juce::InterProcessLock>(
        "Strata-" + juce::String::toHexString(file.getFullPathName().hashCode64()));
    lockState = processLock->enter(0) ? State::acquired : State::heldElsewhere;
#else
    // flock, unlike fcntl locks, also keeps two locks of one process apart.
    handle = ::open(file.getFullPathName().toRawUTF8(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (handle < 0)
        lockState = State::unavailable;
    else if (::flock(handle, LOCK_EX | LOCK_NB) == 0)
        lockState = State::acquired;
    else
        lockState = errno == EWOULDBLOCK ? State::heldElsewhere : State::unavailable;
#endif
}

InstanceLock::~InstanceLock()
{
#if JUCE_WINDOWS
    if (lockState == State::acquired)
        processLock->exit();
#else
    if (handle >= 0)
        ::close(handle);
#endif
}
} // namespace NsStrata

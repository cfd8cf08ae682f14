#include "QuitSignalWatcher.h"

#include <juce_events/juce_events.h>

#if JUCE_LINUX
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace NsStrata
{
#if JUCE_LINUX
namespace
{
// A signal handler may only write to a pipe; the message loop reads the other end.
int signalPipe[2] = {-1, -1};
struct sigaction previousAction;

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(signalPipe[1], &byte, 1);
}
} // namespace
#endif

QuitSignalWatcher::QuitSignalWatcher(std::function<void()> onQuitRequest) : callback(std::move(onQuitRequest))
{
#if JUCE_LINUX
    if (signalPipe[0] >= 0 || ::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    juce::LinuxEventLoop::registerFdCallback(signalPipe[0],
                                             [this](int fd)
                                             {
                                                 char buffer[16];
                                                 while (::read(fd, buffer, sizeof(buffer)) > 0)
                                                 {
                                                 }
                                                 if (callback)
                                                     callback();
                                             });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGTERM, &action, &previousAction);
    watching = true;
#endif
}

QuitSignalWatcher::~QuitSignalWatcher()
{
#if JUCE_LINUX
    if (!watching)
        return;
    ::sigaction(SIGTERM, &previousAction, nullptr);
    juce::LinuxEventLoop::unregisterFdCallback(signalPipe[0]);
    for (auto& end : signalPipe)
    {
        ::close(end);
        end = -1;
    }
#endif
}
} // namespace NsStrata

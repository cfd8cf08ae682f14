#pragma once
// Turns the system's request to end the program (SIGTERM on Linux) into the application's orderly quit, so
// the settings are still written.
#include <functional>

namespace NsStrata
{
class QuitSignalWatcher
{
public:
    /** onQuitRequest runs on the message thread after each request. One watcher per process. */
    explicit QuitSignalWatcher(std::function<void()> onQuitRequest);
    ~QuitSignalWatcher();

    QuitSignalWatcher(const QuitSignalWatcher&) = delete;
    QuitSignalWatcher& operator=(const QuitSignalWatcher&) = delete;

private:
    std::function<void()> callback;
    bool watching = false;
};
} // namespace NsStrata

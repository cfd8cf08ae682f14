#include "StrataProcess.h"

#include "support/TestHome.h"

#include <csignal>
#include <cstring>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace StrataTest
{
StrataProcess::StrataProcess(const juce::File& home, const juce::StringArray& arguments)
{
    const auto executable = binDir().getChildFile("Strata").getFullPathName().toStdString();

    std::vector<std::string> argumentText{executable};
    for (auto& argument : arguments)
        argumentText.push_back(argument.toStdString());

    std::vector<std::string> environmentText;
    for (char** entry = environ; *entry != nullptr; ++entry)
        if (std::strncmp(*entry, "STRATA_HOME=", 12) != 0)
            environmentText.emplace_back(*entry);
    environmentText.push_back("STRATA_HOME=" + home.getFullPathName().toStdString());

    const auto pointers = [](std::vector<std::string>& texts)
    {
        std::vector<char*> result;
        for (auto& text : texts)
            result.push_back(text.data());
        result.push_back(nullptr);
        return result;
    };
    auto argv = pointers(argumentText);
    auto envp = pointers(environmentText);

    pid_t child = -1;
    if (posix_spawn(&child, executable.c_str(), nullptr, nullptr, argv.data(), envp.data()) == 0)
        pid = child;
}

StrataProcess::~StrataProcess()
{
    if (isRunning())
    {
        ::kill(pid, SIGKILL);
        int status = 0;
        ::waitpid(pid, &status, 0);
    }
}

bool StrataProcess::isRunning()
{
    if (pid <= 0 || exitStatus.has_value())
        return false;
    int status = 0;
    const auto result = ::waitpid(pid, &status, WNOHANG);
    if (result == 0)
        return true;
    exitStatus = result == pid && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return false;
}

bool StrataProcess::requestTermination()
{
    return isRunning() && ::kill(pid, SIGTERM) == 0;
}

std::optional<int> StrataProcess::waitForExit(int timeoutMs)
{
    const auto deadline = juce::Time::getMillisecondCounter() + (juce::uint32) timeoutMs;
    while (isRunning())
    {
        if (juce::Time::getMillisecondCounter() >= deadline)
            return std::nullopt;
        juce::Thread::sleep(10);
    }
    return exitStatus;
}
} // namespace StrataTest

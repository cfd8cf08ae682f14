#pragma once
// Runs part of a test with the file access of an account that owns nothing of it, so that modes which shut
// others out take effect even when the tests run as root.
#include <gtest/gtest.h>

#if defined(__linux__)
#include <functional>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace StrataTest
{
/** Runs fn on a thread whose file system identity is an unprivileged account when the test runs as root
    (the kernel drops root's file access overrides with it); otherwise as the test's own account, which
    modes without owner bits shut out as well. */
inline void asAnotherUser(const std::function<void()>& fn)
{
    std::thread thread(
        [&]
        {
            if (::geteuid() == 0)
            {
                constexpr uid_t nobody = 65534;
                ::setfsuid(nobody);
                ASSERT_EQ(::setfsuid((uid_t) -1), nobody) << "cannot take another account's file access";
            }
            fn();
        });
    thread.join();
}

/** Sets the mode of a file or folder for the life of the object. */
class ScopedMode
{
public:
    ScopedMode(const juce::File& f, mode_t mode) : path(f.getFullPathName().toStdString())
    {
        struct stat info
        {
        };
        ::stat(path.c_str(), &info);
        original = info.st_mode & 07777;
        ::chmod(path.c_str(), mode);
    }
    ~ScopedMode() { ::chmod(path.c_str(), original); }

private:
    std::string path;
    mode_t original = 0755;
};
} // namespace StrataTest
#endif

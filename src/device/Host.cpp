#include "Host.h"

#include <mutex>

namespace NsStrata
{
static std::unique_ptr<Host>& hostInstance()
{
    static std::unique_ptr<Host> instance;
    return instance;
}

static std::mutex& hostLock()
{
    static std::mutex lock;
    return lock;
}

Host* Host::getInstance()
{
    std::lock_guard<std::mutex> guard(hostLock());
    auto& instance = hostInstance();
    if (instance == nullptr)
        instance.reset(new Host());
    return instance.get();
}

void Host::resetInstanceForTests()
{
    std::lock_guard<std::mutex> guard(hostLock());
    hostInstance().reset();
}

Host::Host() : settingsStore(std::make_unique<SettingsStore>()) {}

Host::~Host() = default;

// The connection arrives with the port backend; until then nothing can be sent.
bool Host::sendToDevice(const MidiBytes&)
{
    return false;
}

bool Host::hasConnection() const
{
    return false;
}
} // namespace NsStrata

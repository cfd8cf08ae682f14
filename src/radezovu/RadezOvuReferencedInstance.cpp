#include "radezovu/RadezOvuReferencedInstance.h"

std::atomic<int> RadezOvuReferencedInstance::live{0};

RadezOvuReferencedInstance::RadezOvuReferencedInstance()
{
    ++live;
}

RadezOvuReferencedInstance::~RadezOvuReferencedInstance()
{
    --live;
}

void RadezOvuReferencedInstance::retain()
{
    count.fetch_add(1, std::memory_order_relaxed);
}

void RadezOvuReferencedInstance::release()
{
    if (count.fetch_sub(1, std::memory_order_acq_rel) == 1)
        delete this;
}

int RadezOvuReferencedInstance::liveInstances()
{
    return live.load();
}

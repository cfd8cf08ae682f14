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
    ++count;
}

void RadezOvuReferencedInstance::release()
{
    if (--count == 0)
        delete this;
}

int RadezOvuReferencedInstance::liveInstances()
{
    return live.load();
}

// Finding the DSP: the enumerator's filters, interfaces that do not open, and reference counts.
#include "DspTestSupport.h"

#include <gtest/gtest.h>
#include <thread>

using NsStrata::VirtualDsp;
using NsStrata::VirtualDspRoot;

namespace
{
std::shared_ptr<VirtualDsp> chip(uint16_t vendor, uint16_t product, const char* serial)
{
    VirtualDsp::Config config;
    config.vendorId = vendor;
    config.productId = product;
    config.serialNumber = serial;
    return std::make_shared<VirtualDsp>(config);
}
} // namespace

TEST(Enumerator, RestsOnTheFirstInterfaceThatOpensAndMatches)
{
    const std::vector<VirtualDspRoot::Interface> interfaces{
        chip(0x1234, 0x0102, "A"), nullptr /* listed but cannot be opened */, chip(0x1D03, 0x0200, "B"),
        chip(0x1D03, 0x0102, "C")};
    struct Case
    {
        const char* what;
        uint16_t vendor, product;
        const char* serial; // null: none found
        const char* nextSerial;
    };
    const Case cases[] = {
        {"any device", 0xFFFF, 0xFFFF, "A", "B"},
        {"vendor 0x1D03 skips the 0x1234 device", 0x1D03, 0xFFFF, "B", "C"},
        {"vendor and product", 0x1D03, 0x0102, "C", nullptr},
        {"product alone", 0xFFFF, 0x0200, "B", nullptr},
        {"nothing matches", 0x1D03, 0x0999, nullptr, nullptr},
    };
    const int before = RadezOvuReferencedInstance::liveInstances();
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        RadezOvuRef<VirtualDspRoot> root(new VirtualDspRoot(interfaces));
        RadezOvuRef<RadezOvu::Enumerator> e(root->createEnumerator(c.vendor, c.product));
        ASSERT_EQ(e->found(), c.serial != nullptr);
        RadezOvuRef<RadezOvu::UsbDevice> device(e->openDevice());
        if (c.serial == nullptr)
        {
            EXPECT_FALSE(device);
            continue;
        }
        ASSERT_TRUE(device);
        EXPECT_EQ(device->referenceCount(), 1);
        EXPECT_STREQ(device->serialNumberString(), c.serial);
        EXPECT_STREQ(device->manufacturerString(), "Kestrel");
        EXPECT_EQ(e->next(), c.nextSerial != nullptr);
        RadezOvuRef<RadezOvu::UsbDevice> second(e->openDevice());
        if (c.nextSerial != nullptr)
            EXPECT_STREQ(second->serialNumberString(), c.nextSerial);
        else
            EXPECT_FALSE(second);
    }
    EXPECT_EQ(RadezOvuReferencedInstance::liveInstances(), before);
}

TEST(Enumerator, FindsNothingWithoutAnyInterface)
{
    const int before = RadezOvuReferencedInstance::liveInstances();
    {
        RadezOvuRef<VirtualDspRoot> root(new VirtualDspRoot());
        RadezOvuRef<RadezOvu::Enumerator> e(root->createEnumerator(0xFFFF, 0xFFFF));
        EXPECT_FALSE(e->found());
        EXPECT_EQ(e->openDevice(), nullptr);
        EXPECT_FALSE(e->next());
    }
    EXPECT_EQ(RadezOvuReferencedInstance::liveInstances(), before);
}

TEST(ReferencedInstance, RetainAndReleaseCountAndTheLastReleaseDeletes)
{
    const int before = RadezOvuReferencedInstance::liveInstances();
    auto* root = new VirtualDspRoot();
    EXPECT_EQ(root->referenceCount(), 1);
    root->retain();
    EXPECT_EQ(root->referenceCount(), 2);
    root->release();
    EXPECT_EQ(RadezOvuReferencedInstance::liveInstances(), before + 1);
    root->release();
    EXPECT_EQ(RadezOvuReferencedInstance::liveInstances(), before);
}

TEST(ReferencedInstance, ReferencesTakenAndDroppedOnTwoThreadsAtOnceAreAllCounted)
{
    // A jingle send takes and drops references on its own thread while the screen may drop its own. The
    // extra reference keeps a miscount from deleting the object under the threads.
    auto* root = new VirtualDspRoot();
    root->retain();
    const auto churn = [root]
    {
        for (int i = 0; i < 5000000; ++i)
        {
            root->retain();
            root->release();
        }
    };
    std::thread other(churn);
    churn();
    other.join();
    EXPECT_EQ(root->referenceCount(), 2);
    root->release();
    root->release();
}

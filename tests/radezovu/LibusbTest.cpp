// The libusb layer without hardware: whatever this machine has, and emulated devices through umockdev:
// composite devices, stale replies, lifetimes and permissions.
#include "DspTestSupport.h"
#include "UmockdevDsp.h"

#include "radezovu/RadezOvu.h"
#include "radezovu/UsbDeviceCore.h"

#include <gtest/gtest.h>

#include <linux/capability.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

extern char** environ;

namespace
{
constexpr const char* innerFlag = "STRATA_UMOCKDEV_INNER";

bool insideUmockdev()
{
    return std::getenv(innerFlag) != nullptr;
}

/** The default layout of the emulated chip starts its first range at word 0x100000. */
constexpr uint32_t firstRangeStart = 0x100000;

/** For as long as it lives, file modes bind this process even when it runs as root (CI does): root's
    override of them is set aside and given back afterwards. */
class FileModesBind
{
public:
    FileModesBind()
    {
        if (geteuid() != 0)
        {
            binding = true;
            return;
        }
        if (syscall(SYS_capget, &header, saved) != 0)
            return;
        __user_cap_data_struct lowered[2];
        std::memcpy(lowered, saved, sizeof(lowered));
        for (int cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER})
            lowered[cap / 32].effective &= ~(1u << (cap % 32));
        binding = syscall(SYS_capset, &header, lowered) == 0;
        restore = binding;
    }
    ~FileModesBind()
    {
        if (restore)
            syscall(SYS_capset, &header, saved);
    }
    FileModesBind(const FileModesBind&) = delete;
    FileModesBind& operator=(const FileModesBind&) = delete;
    bool ok() const { return binding; }

private:
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved[2] = {};
    bool binding = false, restore = false;
};

/** Opens the first DSP through a fresh root and checks that the programmer and the command channel answer
    as the chip would: every reply is the answer to its own request. */
void expectAnsweringDsp(RadezOvu& root, NsStrata::VirtualDsp& chip)
{
    RadezOvuRef<RadezOvu::Enumerator> e(root.createEnumerator(0x1D03, 0xFFFF));
    ASSERT_TRUE(e->found()) << e->openFailure();
    RadezOvuRef<RadezOvu::UsbDevice> device(e->openDevice());
    ASSERT_TRUE(device);
    RadezOvuRef<RadezOvu::FlashProgrammer> programmer(root.openProgrammer(device.get()));
    ASSERT_TRUE(programmer) << "the layout request was not answered with the layout";
    EXPECT_EQ(programmer->rangeCount(), 9u);
    DspCommandMessage message;
    ASSERT_TRUE(programmer->command(1, message));
    EXPECT_EQ(message.value, NsStrata::VirtualDsp::sessionToken);
    EXPECT_EQ(chip.protocolErrors(), 0) << chip.lastProtocolError();
}
} // namespace

TEST(Libusb, AcceptsOnlyVersion256)
{
    EXPECT_EQ(createRadezOvu(255), nullptr);
    EXPECT_EQ(createRadezOvu(0), nullptr);
    EXPECT_EQ(createRadezOvu(257), nullptr);
}

TEST(Libusb, FindsNoDspWhereThereIsNone)
{
    // Vendor 0x1D03 with a product no DSP carries: nothing on any machine matches.
    const int before = RadezOvuReferencedInstance::liveInstances();
    {
        RadezOvuRef<RadezOvu> root(createRadezOvu(256));
        if (!root)
            GTEST_SKIP() << "libusb cannot start here (no USB device file system)";
        EXPECT_GE(root->seconds(), 0.0);
        RadezOvuRef<RadezOvu::Enumerator> e(root->createEnumerator(0x1D03, 0xFFFE));
        EXPECT_FALSE(e->found());
        EXPECT_EQ(e->openDevice(), nullptr);
        EXPECT_FALSE(e->next());
        EXPECT_EQ(root->openProgrammer(nullptr), nullptr);
    }
    EXPECT_EQ(RadezOvuReferencedInstance::liveInstances(), before);
}

// Runs the LibusbOnUmockdev tests again in a child under umockdev-wrapper, which the emulation needs.
TEST(Libusb, DrivesEmulatedDevicesUnderUmockdev)
{
    if (insideUmockdev())
        GTEST_SKIP() << "this is the child run";
    const char* wrapper = "/usr/bin/umockdev-wrapper";
    if (access(wrapper, X_OK) != 0)
        GTEST_SKIP() << "umockdev-wrapper is not installed";

    char self[4096] = {};
    ASSERT_GT(readlink("/proc/self/exe", self, sizeof(self) - 1), 0);
    std::string filter = "--gtest_filter=LibusbOnUmockdev.*";
    char* argv[] = {const_cast<char*>(wrapper), self, filter.data(), nullptr};

    std::vector<std::string> env{std::string(innerFlag) + "=1"};
    for (char** e = environ; *e != nullptr; ++e)
        if (std::strncmp(*e, "ASAN_OPTIONS=", 13) != 0)
            env.emplace_back(*e);
    // The preloaded umockdev library comes before a sanitizer runtime in the child.
    env.emplace_back("ASAN_OPTIONS=verify_asan_link_order=0:detect_leaks=0");
    std::vector<char*> envp;
    for (auto& s : env)
        envp.push_back(s.data());
    envp.push_back(nullptr);

    pid_t child = 0;
    ASSERT_EQ(posix_spawn(&child, wrapper, nullptr, nullptr, argv, envp.data()), 0);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "the child run did not finish";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the tests under umockdev failed (their output is above)";
}

class LibusbOnUmockdev : public testing::Test
{
protected:
    void SetUp() override
    {
        std::string why;
        if (!insideUmockdev())
            GTEST_SKIP() << "runs in the child started by Libusb.DrivesEmulatedDevicesUnderUmockdev";
        ASSERT_TRUE(DspTest::UmockdevDsp::available(why)) << why;
        live = RadezOvuReferencedInstance::liveInstances();
    }
    void TearDown() override
    {
        if (insideUmockdev())
        {
            EXPECT_EQ(RadezOvuReferencedInstance::liveInstances(), live);
        }
    }
    int live = 0;
};

TEST_F(LibusbOnUmockdev, EmptyBusHasNoDevice)
{
    DspTest::UmockdevDsp bus;
    RadezOvuRef<RadezOvu> root(createRadezOvu(256));
    if (!root)
        return; // no USB device file system at all: the application keeps a null root
    RadezOvuRef<RadezOvu::Enumerator> e(root->createEnumerator(0xFFFF, 0xFFFF));
    EXPECT_FALSE(e->found());
    EXPECT_EQ(e->openDevice(), nullptr);
}

TEST_F(LibusbOnUmockdev, EnumeratorFiltersAndReadsDescriptors)
{
    DspTest::UmockdevDsp bus;
    auto chip = std::make_shared<NsStrata::VirtualDsp>();
    ASSERT_TRUE(bus.addDevice(2, 0x1234, 0x0001, 0xFF, std::make_shared<NsStrata::VirtualDsp>()));
    ASSERT_TRUE(bus.addDevice(3, 0x1D03, 0x0108, 0x08, nullptr)); // a class interface: never a DSP
    ASSERT_TRUE(bus.addDevice(4, 0x1D03, 0x0102, 0xFF, chip));
    RadezOvuRef<RadezOvu> root(createRadezOvu(256));
    ASSERT_TRUE(root);

    // libusb lists devices in no promised order, so "any" may rest on either vendor-specific device.
    struct Case
    {
        const char* what;
        uint16_t vendor, product;
        std::vector<uint16_t> acceptedProducts; // empty: nothing found
    };
    const Case cases[] = {
        {"any device, but never the class interface", 0xFFFF, 0xFFFF, {0x0001, 0x0102}},
        {"vendor 0x1D03 skips 0x1234 and the class interface", 0x1D03, 0xFFFF, {0x0102}},
        {"vendor 0x1234", 0x1234, 0xFFFF, {0x0001}},
        {"the class interface's own product", 0xFFFF, 0x0108, {}},
        {"a product nobody has", 0xFFFF, 0x0999, {}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        RadezOvuRef<RadezOvu::Enumerator> e(root->createEnumerator(c.vendor, c.product));
        ASSERT_EQ(e->found(), !c.acceptedProducts.empty());
        RadezOvuRef<RadezOvu::UsbDevice> device(e->openDevice());
        if (c.acceptedProducts.empty())
        {
            EXPECT_FALSE(device);
            continue;
        }
        ASSERT_TRUE(device);
        EXPECT_NE(std::find(c.acceptedProducts.begin(), c.acceptedProducts.end(), device->productId()),
                  c.acceptedProducts.end())
            << device->productId();
        EXPECT_EQ(device->deviceVersion(), 0x0100);
        EXPECT_STREQ(device->manufacturerString(), "Kestrel");
        EXPECT_STREQ(device->productString(), "Voice DSP");
        EXPECT_STREQ(device->serialNumberString(), "VDSP0001");
    }
}

TEST_F(LibusbOnUmockdev, WritesPagesAndRunsCommandsThroughBulkTransfers)
{
    DspTest::UmockdevDsp bus;
    auto chip = std::make_shared<NsStrata::VirtualDsp>();
    ASSERT_TRUE(bus.addDevice(2, 0x1D03, 0x0102, 0xFF, chip));
    RadezOvuRef<RadezOvu> root(createRadezOvu(256));
    ASSERT_TRUE(root);
    RadezOvuRef<RadezOvu::Enumerator> e(root->createEnumerator(0x1D03, 0xFFFF));
    ASSERT_TRUE(e->found());
    RadezOvuRef<RadezOvu::UsbDevice> device(e->openDevice());
    ASSERT_TRUE(device);
    RadezOvuRef<RadezOvu::FlashProgrammer> programmer(root->openProgrammer(device.get()));
    ASSERT_TRUE(programmer);
    EXPECT_EQ(programmer->pageSize(), 128u);
    ASSERT_EQ(programmer->rangeCount(), 9u);

    DspCommandMessage message;
    ASSERT_TRUE(programmer->command(1, message));
    EXPECT_EQ(message.value, NsStrata::VirtualDsp::sessionToken);

    std::vector<uint8_t> pages(4 * 256);
    for (size_t i = 0; i < pages.size(); ++i)
        pages[i] = static_cast<uint8_t>(i * 13);
    auto* range = programmer->range(0);
    ASSERT_TRUE(DspTest::announce(*programmer, range->startAddress(), static_cast<uint32_t>(pages.size())));
    ASSERT_TRUE(range->begin(range->startAddress()));
    ASSERT_TRUE(range->writePages(pages.data(), 128, 4));
    ASSERT_TRUE(range->end());
    ASSERT_TRUE(range->finish());
    EXPECT_EQ(chip->readFlash(firstRangeStart, static_cast<uint32_t>(pages.size())), pages);
    EXPECT_EQ(chip->protocolErrors(), 0) << chip->lastProtocolError();
}

TEST_F(LibusbOnUmockdev, AStalledTransferFailsWithLibusbsOwnErrorName)
{
    DspTest::UmockdevDsp bus;
    auto chip = std::make_shared<NsStrata::VirtualDsp>();
    chip->injectFault(NsStrata::VirtualDsp::Fault::failWrite, 0x1002);
    ASSERT_TRUE(bus.addDevice(2, 0x1D03, 0x0102, 0xFF, chip));
    RadezOvuRef<RadezOvu> root(createRadezOvu(256));
    ASSERT_TRUE(root);
    RadezOvuRef<RadezOvu::Enumerator> e(root->createEnumerator(0x1D03, 0xFFFF));
    RadezOvuRef<RadezOvu::UsbDevice> device(e->openDevice());
    ASSERT_TRUE(device);
    EXPECT_FALSE(device->transact(0x1002, nullptr, 0, nullptr, 0, 0));
    EXPECT_FALSE(device->isOk());
    auto* core = dynamic_cast<RadezOvuCore::UsbDevice_Core*>(device.get());
    ASSERT_NE(core, nullptr);
    EXPECT_NE(core->errorText().find("LIBUSB_ERROR_PIPE"), std::string::npos) << core->errorText();
    EXPECT_FALSE(device->transact(0x1004, nullptr, 0, nullptr, 0, 0));
}

TEST_F(LibusbOnUmockdev, FindsTheDspFunctionOfACompositeDevice)
{
    using Interface = DspTest::UmockdevDsp::Interface;
    DspTest::UmockdevDsp bus;
    auto chip = std::make_shared<NsStrata::VirtualDsp>();
    const std::vector<Interface> interfaces{
        {0x01, {}},                           // audio control: a class driver's
        {0xFF, {{0x81, 3}}},                  // vendor-specific, but without bulk endpoints
        {0xFF, {{0x82, 2}, {0x02, 2}}, true}, // the DSP
        {0xFF, {{0x83, 2}, {0x03, 2}}},       // a later one that is not asked
    };
    ASSERT_TRUE(bus.addDevice(2, 0x1D03, 0x0102, interfaces, chip));
    RadezOvuRef<RadezOvu> root(createRadezOvu(256));
    ASSERT_TRUE(root);
    expectAnsweringDsp(*root, *chip);

    const auto seen = bus.hostActions(2);
    ASSERT_FALSE(seen.claimed.empty());
    EXPECT_EQ(seen.claimed, std::vector<unsigned>(seen.claimed.size(), 2u));
    EXPECT_EQ(seen.strayTransfers, 0);
    EXPECT_EQ(seen.detachAttempts, 0) << "an interface was taken from a kernel driver";
}

TEST_F(LibusbOnUmockdev, DropsAReplyLeftPendingFromBeforeItWasOpened)
{
    DspTest::UmockdevDsp bus;
    auto chip = std::make_shared<NsStrata::VirtualDsp>();
    // What an exchange broken off by another program left behind: a command's answer and an empty packet.
    chip->leaveStaleReply(DspTest::longReply(1, 36));
    chip->leaveStaleReply({});
    ASSERT_TRUE(bus.addDevice(2, 0x1D03, 0x0102, 0xFF, chip));
    RadezOvuRef<RadezOvu> root(createRadezOvu(256));
    ASSERT_TRUE(root);
    expectAnsweringDsp(*root, *chip);
}

TEST_F(LibusbOnUmockdev, AnOpenDeviceKeepsItsRootAlive)
{
    DspTest::UmockdevDsp bus;
    auto chip = std::make_shared<NsStrata::VirtualDsp>();
    ASSERT_TRUE(bus.addDevice(2, 0x1D03, 0x0102, 0xFF, chip));
    RadezOvu* root = createRadezOvu(256);
    ASSERT_NE(root, nullptr);
    RadezOvuRef<RadezOvu::UsbDevice> device;
    {
        RadezOvuRef<RadezOvu::Enumerator> e(root->createEnumerator(0x1D03, 0xFFFF));
        device.reset(e->openDevice());
    }
    ASSERT_TRUE(device);
    // The screen goes while a transfer has the device open, and releases the root as it goes.
    root->release();
    EXPECT_TRUE(device->transact(0x0F01, nullptr, 0, nullptr, 0, 0))
        << dynamic_cast<RadezOvuCore::UsbDevice_Core&>(*device).errorText();
    EXPECT_EQ(device->replyLength(), 14u);
}

TEST_F(LibusbOnUmockdev, ADspThisUserMayNotOpenIsToldApart)
{
    DspTest::UmockdevDsp bus;
    ASSERT_TRUE(bus.addDevice(2, 0x1D03, 0x0102, 0xFF, std::make_shared<NsStrata::VirtualDsp>()));
    // As on a system without the udev rule: the device node is not the user's to write.
    ASSERT_EQ(chmod(bus.nodeFile(2).c_str(), 0444), 0) << bus.nodeFile(2);
    RadezOvuRef<RadezOvu> root(createRadezOvu(256));
    ASSERT_TRUE(root);
    FileModesBind modes;
    if (!modes.ok())
        GTEST_SKIP() << "this process cannot set aside root's override of file modes";
    RadezOvuRef<RadezOvu::Enumerator> e(root->createEnumerator(0x1D03, 0xFFFF));
    EXPECT_FALSE(e->found());
    EXPECT_TRUE(e->openDenied());
    EXPECT_STREQ(e->openFailure(), "LIBUSB_ERROR_ACCESS");

    RadezOvuRef<RadezOvu::Enumerator> none(root->createEnumerator(0x1D03, 0x0999));
    EXPECT_FALSE(none->openDenied()) << "a device that does not match is not opened";
    EXPECT_STREQ(none->openFailure(), "");
}

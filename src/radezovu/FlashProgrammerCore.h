#pragma once
// The DSP's flash programmer on any transport: the layout of numbered ranges with a common page size,
// page writes into a range, and the command channel.
#include "radezovu/RadezOvuCore.h"

#include <cstdint>
#include <memory>
#include <vector>

class RadezOvuCore::FlashProgrammer_Core : public RadezOvu::FlashProgrammer
{
public:
    class RangeInfo_Core;

    enum Request : uint16_t
    {
        requestList = 0x0F01,
        requestLayout = 0x1000,
        requestBegin = 0x1001,
        requestEnd = 0x1002,
        requestWritePages = 0x1003,
        requestFinish = 0x1004,
        requestCommand = 0x1007,
    };
    static constexpr uint32_t commandPayloadBytes = 74;
    static constexpr uint32_t commandReplyWords = 36;

    /** A programmer built from the data of a layout reply, or null when the layout does not hold together. */
    static FlashProgrammer_Core* fromLayout(RadezOvu::UsbDevice& device, const uint8_t* data, uint32_t bytes);

    ~FlashProgrammer_Core() override;

    uint32_t pageSize() override { return pageSize_; }
    uint32_t rangeCount() override { return static_cast<uint32_t>(ranges.size()); }
    RangeInfo* range(uint32_t index) override;
    bool finish() override;
    bool command(uint16_t code, DspCommandMessage& message) override;

    RadezOvu::UsbDevice& device() { return device_; }

private:
    FlashProgrammer_Core(RadezOvu::UsbDevice& device, uint32_t pageSize);

    RadezOvu::UsbDevice& device_;
    RadezOvuRef<RadezOvu::UsbDevice> keepDevice; // the device lives at least as long as its programmer
    uint32_t pageSize_;
    std::vector<std::unique_ptr<RangeInfo_Core>> ranges;
};

class RadezOvuCore::FlashProgrammer_Core::RangeInfo_Core : public RadezOvu::FlashProgrammer::RangeInfo
{
public:
    RangeInfo_Core(FlashProgrammer_Core& programmer, uint32_t start, uint32_t end, uint32_t extra,
                   const uint8_t* nameField);

    uint32_t startAddress() const override { return start_; }
    uint32_t endAddress() const override { return end_; }
    uint32_t extra() const override { return extra_; }
    const char* name() const override { return name_; }

    bool begin(uint32_t address) override;
    bool writePages(const void* buffer, uint32_t pageSize, uint32_t pageCount) override;
    bool end() override;
    bool finish() override { return programmer.finish(); }
    uint32_t pageSize() override { return programmer.pageSize(); }

private:
    FlashProgrammer_Core& programmer;
    uint32_t start_, end_, extra_;
    char name_[16] = {};
};

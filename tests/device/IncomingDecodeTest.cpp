// Telling the shape of a message the device sent, and reading its fields; no tree involved.
#include "device/IncomingMessage.h"
#include "device/MessageFraming.h"

#include <gtest/gtest.h>

using namespace NsStrata;

namespace
{
IncomingMessage expect(IncomingKind kind, int model, int address, uint32_t raw)
{
    IncomingMessage m;
    m.kind = kind;
    m.model = model;
    m.address = address;
    m.raw = raw;
    return m;
}

IncomingMessage identity(int model, std::array<uint8_t, 4> version)
{
    auto m = expect(IncomingKind::identityReply, model, 0, 0);
    m.version = version;
    return m;
}

IncomingMessage block(IncomingKind kind, int model, int address, int count, MidiBytes fields)
{
    auto m = expect(kind, model, address, 0);
    m.fieldCount = count;
    m.fields = std::move(fields);
    return m;
}

std::string describe(const IncomingMessage& m)
{
    return "kind " + std::to_string((int) m.kind) + " model " + std::to_string(m.model) + " address " +
           std::to_string(m.address) + " raw " + std::to_string(m.raw) + " n " +
           std::to_string(m.fieldCount) + " fields " + toHex(m.fields).toStdString();
}

const IncomingMessage ignored{};
} // namespace

TEST(IncomingDecode, ShapesByLengthAndFixedBytes)
{
    const struct
    {
        const char* what;
        MidiBytes bytes;
        IncomingMessage expected;
    } cases[] = {
        {"identity reply names its model in the family-member field",
         {0xF0, 0x7E, 0x7F, 0x06, 0x02, /*maker*/ 0x00, 0x02, 0x4E, /*family*/ 0x00, 0x00,
          /*member*/ 0x20, 0x2E, /*revision*/ 0x31, 0x2E, 0x30, 0x35, 0xF7},
         identity(4142, {0x31, 0x2E, 0x30, 0x35})},
        {"identity reply of another maker",
         {0xF0, 0x7E, 0x7F, 0x06, 0x02, /*maker*/ 0x00, 0x02, 0x4F, 0x00, 0x00, 0x20, 0x2E, 0x31, 0x2E, 0x30,
          0x35, 0xF7},
         ignored},
        {"17 bytes that are no identity reply",
         {0xF0, 0x00, 0x02, 0x4E, 0x20, 0x2E, 0x7B, 0x71, 0, 0, 0, 0, 0, 0, 0, 0, 0xF7},
         ignored},
        {"7-bit value: only model, address and byte 8 count",
         {/*unexamined*/ 0x00, 0x00, 0x00, 0x00, /*model*/ 0x20, 0x2E, /*address*/ 0x7B, 0x7F, /*G0*/ 0x04,
          0x00},
         expect(IncomingKind::value7, 4142, 0x7B7F, 4)},
        {"14-bit value joins two groups",
         {0xF0, 0x00, 0x02, 0x4E, 0x20, 0x13, /*address*/ 0x07, 0x41, /*count*/ 0x02, /*G1 G0*/ 0x01, 0x48,
          0xF7},
         expect(IncomingKind::value14, 4115, 0x0741, 200)},
        {"28-bit value joins four groups",
         {0xF0, 0x00, 0x02, 0x4E, 0x20, 0x2D, 0x21, 0x05, /*count*/ 0x04, /*G3..G0*/ 0x01, 0x02, 0x03, 0x04,
          0xF7},
         expect(IncomingKind::value28, 4141, 0x2105, ((1u * 128 + 2) * 128 + 3) * 128 + 4)},
        {"meter reply carries the level in byte 18",
         {0xF0,         0x00, 0x02, 0x4E, 0x20, 0x2E, /*meter*/ 0x7F, 0x7F, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
          /*level*/ 50, 0x00, 0xF7},
         expect(IncomingKind::meterReply, 4142, 0x7F7F, 50)},
        {"21 bytes without the meter address",
         {0xF0, 0x00, 0x02, 0x4E, 0x20, 0x2E, 0x7F, 0x7E, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 50, 0x00, 0xF7},
         ignored},
        {"status block: 22 bytes with address 7C 02",
         {0xF0, 0x00, 0x02, 0x4E, 0x20, 0x2E, 0x7C, 0x02, /*n*/ 0x0C, /*mode byte*/ 0x05, 1, 2, 3,
          4,    5,    6,    7,    8,    9,    10,   11,   0xF7},
         block(IncomingKind::statusBlock, 4142, 0x7C02, 12, {0x05, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 0xF7})},
        {"a block's count is limited to the bytes it holds",
         {0xF0, 0x00, 0x02, 0x4E, 0x20, 0x2E, 0x7C, 0x02, /*n*/ 0x7F, 0x00, 1,
          2,    3,    4,    5,    6,    7,    8,    9,    10,         11,   0xF7},
         block(IncomingKind::statusBlock, 4142, 0x7C02, 12, {0x00, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 0xF7})},
        {"28 bytes with the mode block address is no block",
         {0xF0, 0x00, 0x02, 0x4E, 0x20, 0x2E, 0x7C, 0x01, 0x12, 0, 0, 0, 0,   0,
          0,    0,    0,    0,    0,    0,    0,    0,    0,    0, 0, 0, 0xF7},
         ignored},
        {"mode block: 29 bytes with address 7C 01",
         {0xF0,
          0x00,
          0x02,
          0x4E,
          0x20,
          0x2E,
          0x7C,
          0x01,
          /*n*/ 0x13,
          /*mode byte*/ 0x09,
          /*action*/ 0x01,
          2,
          3,
          4,
          5,
          6,
          7,
          8,
          9,
          10,
          11,
          12,
          13,
          14,
          15,
          16,
          17,
          18,
          0xF7},
         block(IncomingKind::modeBlock, 4142, 0x7C01, 19,
               {0x09, 0x01, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 0xF7})},
        {"9 bytes", {0xF0, 0x00, 0x02, 0x4E, 0x20, 0x2E, 0x7F, 0x00, 0xF7}, ignored},
        {"11 bytes", {0xF0, 0x00, 0x02, 0x4E, 0x20, 0x2E, 0x7B, 0x71, 0x01, 0x01, 0xF7}, ignored},
        {"15 bytes", MidiBytes(15, 0x01), ignored},
        {"20 bytes", MidiBytes(20, 0x01), ignored},
        {"empty", {}, ignored},
    };
    for (const auto& c : cases)
    {
        const auto decoded = decodeIncoming(c.bytes);
        EXPECT_TRUE(decoded == c.expected)
            << c.what << "\n  got      " << describe(decoded) << "\n  expected " << describe(c.expected);
    }
}

TEST(IncomingDecode, ModeByteNamesModeAndBase)
{
    const struct
    {
        uint8_t b9;
        ModeByte expected;
    } cases[] = {
        {0x00, {1, 0}},
        {0x01, {2, 0}},
        {0x02, {3, 0}},
        {0x03, {1, 0}}, // 3 is not below 3, and 3 AND 0C is
                        // 0: CHAT
        {0x04, {4, 1}},
        {0x05, {4, 2}},
        {0x06, {4, 3}},
        {0x08, {5, 1}},
        {0x0A, {5, 3}},
        {0x0C, {2, 0}}, // a code no mode has
        {0xFF, {2, 0}},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(decodeModeByte(c.b9) == c.expected)
            << "byte " << (int) c.b9 << ": mode " << decodeModeByte(c.b9).mode << " based on "
            << decodeModeByte(c.b9).basedOn;
}

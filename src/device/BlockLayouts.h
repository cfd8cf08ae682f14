#pragma once
// The field layouts of the device's blocks: parameter ids in the order their fields follow byte 9 (0: a byte
// that carries no parameter).
#include <array>

namespace NsStrata
{
namespace DeviceBlocks
{
/** The status block the device sends after the dump request 64; byte 26 holds three switches. */
constexpr std::array<int, 18> statusLayout = {0, 1, 2, 7, 5, 3, 0, 42, 35, 36, 19, 50, 51, 52, 53, 9, 10, 0};
/** A mode block, sent and received alike; bytes 9 and 10 are the mode byte and the action byte. */
constexpr std::array<int, 40> modeLayout = {0,  0,  18, 14, 15, 43, 44, 16, 17, 20, 21, 22, 23, 24,
                                            25, 26, 28, 27, 29, 30, 32, 34, 33, 31, 45, 39, 40, 41,
                                            47, 48, 46, 0,  0,  0,  0,  0,  0,  0,  0,  38};
/** Byte 8 of a mode block: the field bytes it declares. */
constexpr int modeBlockFieldCount = 0x33;
constexpr int modeBlockLength = 61;
/** The byte of the status block that holds the switches, and what each bit stands for. */
constexpr int statusSwitchByte = 26;
struct StatusSwitch
{
    int bit;
    int paramId;
};
constexpr std::array<StatusSwitch, 3> statusSwitches = {{{0x04, 4}, {0x02, 54}, {0x01, 11}}};
/** The dump request values: 64 asks for the status block, these for the mode blocks of modes 1..5. */
constexpr int statusRequestCode = 64;
constexpr std::array<int, 5> modeRequestCodes = {1, 2, 4, 16, 32};
/** The field width of a node of this type, as blocks carry it. */
constexpr int fieldWidth(int type)
{
    return type > 10 ? type - 10 : 1;
}
} // namespace DeviceBlocks
} // namespace NsStrata

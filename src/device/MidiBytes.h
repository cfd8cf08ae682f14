#pragma once
// One complete MIDI message as raw bytes, the form every layer of the link passes around.
#include <cstdint>
#include <vector>

namespace NsStrata
{
using MidiBytes = std::vector<uint8_t>;
} // namespace NsStrata

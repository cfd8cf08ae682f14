#pragma once
// The supported mixer models, and the process-wide model numbers and current mode the link works with.
#include <array>
#include <atomic>
#include <cstddef>

namespace NsStrata
{
/** Model numbers in model-index order: Ardent, Brio, Brio Max, Brio Solo. */
constexpr std::array<int, 4> supportedModels = {4142, 4115, 4141, 4114};
constexpr int ardentModel = 4142;
/** The number of a port no pattern identifies. */
constexpr int unidentifiedModel = 2000;

/** Position of the model number in the supported list; 0 for any other number. */
int modelIndexOf(int modelNumber);
bool isSupportedModel(int modelNumber);

/** The model numbers and current mode shared by the screen, the link and the decoder; one per process.
    Atomic because the MIDI thread reads them. */
struct Selection
{
    std::atomic<int> selectedModel{ardentModel}; // what the screen edits
    std::atomic<int> deviceModel{ardentModel};   // what is connected
    std::atomic<int> currentMode{1};             // 1 to 5

    void reset()
    {
        selectedModel = ardentModel;
        deviceModel = ardentModel;
        currentMode = 1;
    }
};

Selection& selection();
} // namespace NsStrata

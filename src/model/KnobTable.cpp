#include "KnobTable.h"

namespace NsStrata
{
// Knobs without a step in the panel use the slider's default interval of 1.
const std::array<KnobLayout, 28> panelKnobs = {{
    {1, 0, -30, 60, 3, false, true, "3"},      {2, 0, -30, 60, 3, false, true, "4"},
    {3, 0, -36, 6, 1, false, true, "5"},       {5, 0, -36, 6, 1, false, true, "6"},
    {7, 0, -36, 6, 1, false, true, "7"},       {14, 0, 1, 10, 0.1, false, false, "13"},
    {15, 0, 0, 16, 1, true, false, "14"},      {16, 0, 20, 1000, 1, false, false, "16"},
    {17, 0, 8, 20, 0.1, false, false, "17"},   {31, 0, 0, 100, 1, false, false, ""},
    {32, 0, 0, 100, 1, false, false, ""},      {41, 0, 1, 5, 1, false, false, "34"},
    {38, 46, 0, 100, 1, false, false, "38"},   {47, 0, 1, 5, 1, false, false, "39"},
    {35, 0, -6, 6, 1, false, false, ""},       {51, 0, 100, 500, 1, false, false, "44"},
    {52, 0, 100, 2000, 1, false, false, "45"}, {53, 0, 6, 54, 1, true, true, "46"},
    {0, 0, -48, 12, 1, false, false, "11"},    {21, 0, -15, 15, 1, false, false, ""},
    {22, 0, -15, 15, 1, false, false, ""},     {23, 0, -15, 15, 1, false, false, ""},
    {25, 0, 0, 100, 1, false, false, ""},      {27, 0, 1, 11, 0.1, false, false, ""},
    {28, 0, -128, -1, 1, false, false, ""},    {29, 0, 0, 18, 1, false, false, ""},
    {33, 0, 0, 1000, 1, false, false, ""},     {34, 0, 480, 14000, 1, false, false, ""},
}};

const KnobLayout* knobForParameter(int paramId)
{
    for (const auto& k : panelKnobs)
        if (paramId != 0 && (k.paramId == paramId || k.secondParamId == paramId))
            return &k;
    return nullptr;
}
} // namespace NsStrata

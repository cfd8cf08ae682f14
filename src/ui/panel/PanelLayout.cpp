#include "PanelLayout.h"

namespace NsStrata
{
namespace
{
using C = SectionPlace::Child;
constexpr C whole{0, 0, 1, 1};
} // namespace

const std::array<SectionPlace, PanelSection::count> sectionPlaces = {{
    {0, 0, 134, 271, "1", {}, 0},
    {0, 271, 134, 361, "2", {}, 0},
    {134,
     0,
     763,
     175,
     "",
     {C{0.0f, 0, 0.1774f, 1}, C{0.1774f, 0, 0.1774f, 1}, C{0.3548f, 0, 0.1774f, 1}, C{0.5322f, 0, 0.1774f, 1},
      C{0.7096f, 0, 0.1774f, 1}, C{0.887f, 0, 0.113f, 1}},
     6},
    {897, 0, 172, 175, "", {whole}, 1},
    {134, 174, 118, 306, "12", {C{0, 0, 1, 0.5f}, C{0, 0.5f, 1, 0.5f}}, 2},
    {252, 174, 118, 306, "15", {C{0, 0, 1, 0.5f}, C{0, 0.5f, 1, 0.5f}}, 2},
    {370, 174, 193, 306, "18", {C{0, 0, 0.333f, 1}, C{0.333f, 0, 0.333f, 1}, C{0.666f, 0, 0.334f, 1}}, 3},
    {563, 174, 67, 306, "22", {whole}, 1},
    {630, 174, 193, 306, "24", {C{0, 0, 0.33f, 1}, C{0.33f, 0, 0.33f, 1}, C{0.66f, 0, 0.34f, 1}}, 3},
    {823,
     174,
     246,
     306,
     "28",
     {C{0, 0, 0.5f, 0.5f}, C{0.5f, 0, 0.5f, 0.5f}, C{0, 0.5f, 1, 0.25f}, C{0, 0.75f, 1, 0.25f}},
     4},
    {134, 479, 230, 153, "33", {C{0, 0, 0.524f, 1}, C{0.524f, 0, 0.476f, 1}}, 2},
    {364, 479, 237, 153, "37", {C{0, 0, 0.5f, 1}, C{0.5f, 0, 0.5f, 1}}, 2},
    {601, 479, 119, 153, "40", {whole}, 1},
    {719, 479, 350, 153, "43", {C{0, 0, 0.333f, 1}, C{0.333f, 0, 0.333f, 1}, C{0.666f, 0, 0.334f, 1}}, 3},
}};

const std::array<KnobPlace, 28> knobPlaces = {{
    {PanelSection::mixer, 0},      {PanelSection::mixer, 1},      {PanelSection::mixer, 2},
    {PanelSection::mixer, 3},      {PanelSection::mixer, 4},      {PanelSection::deEsser, 0},
    {PanelSection::deEsser, 1},    {PanelSection::filters, 0},    {PanelSection::filters, 1},
    {PanelSection::reverb, 0},     {PanelSection::reverb, 1},     {PanelSection::vocalTune, 0},
    {PanelSection::harmony, 0},    {PanelSection::harmony, 1},    {PanelSection::bgmPitch, 0},
    {PanelSection::voiceOver, 0},  {PanelSection::voiceOver, 1},  {PanelSection::voiceOver, 2},
    {PanelSection::master, 0},     {PanelSection::eq, 0},         {PanelSection::eq, 1},
    {PanelSection::eq, 2},         {PanelSection::exciter, 0},    {PanelSection::compressor, 0},
    {PanelSection::compressor, 1}, {PanelSection::compressor, 2}, {PanelSection::reverb, 2},
    {PanelSection::reverb, 3},
}};
} // namespace NsStrata

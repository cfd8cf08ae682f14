#pragma once
// Where the panel puts things, in design pixels: the fourteen sections with their child places, and the
// section place of each knob.
#include <array>

namespace NsStrata
{
/** Sections in the panel's order. */
namespace PanelSection
{
enum : int
{
    presets,
    jingles,
    mixer,
    master,
    deEsser,
    filters,
    eq,
    exciter,
    compressor,
    reverb,
    vocalTune,
    harmony,
    bgmPitch,
    voiceOver,
    count
};
}

struct SectionPlace
{
    int x, y, width, height;
    const char* switchId; // "" for a section without a switch
    struct Child
    {
        float x, y, w, h;
    };
    std::array<Child, 6> children; // relative to the area under the title; unused ones are all 0
    int childCount;
};

extern const std::array<SectionPlace, PanelSection::count> sectionPlaces;

/** The panel's size in design pixels: the sections' extent, and the height it is given below the main
    screen's top band. */
constexpr int panelDesignWidth = 1069;
constexpr int panelDesignHeight = 637;

struct KnobPlace
{
    int section;
    int child;
};
/** Per knob of panelKnobs, in the same order. */
extern const std::array<KnobPlace, 28> knobPlaces;
} // namespace NsStrata

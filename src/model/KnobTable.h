#pragma once
// The panel's knobs and faders: which parameter each edits, its range, step and direction.
#include <array>

namespace NsStrata
{
struct KnobLayout
{
    int paramId;       // first node the knob edits (0: the level display, never bound)
    int secondParamId; // second node (shared Intensity knob), or 0
    double minimum, maximum, step;
    bool inverted;       // shows 0..max but stores the negated value
    bool offAtLowestEnd; // at its lowest displayed end the knob stores the node's "off"
    const char* componentId;
};

/** In the panel's creation order. */
extern const std::array<KnobLayout, 28> panelKnobs;

/** The knob that edits this parameter, or nullptr. */
const KnobLayout* knobForParameter(int paramId);
} // namespace NsStrata

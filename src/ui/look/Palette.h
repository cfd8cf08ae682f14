#pragma once
// The colours of the screen: dark graphite surfaces, yellow-green for values, orange for what is on,
// grey-blue text.
#include <juce_graphics/juce_graphics.h>

namespace NsStrata::Palette
{
inline const juce::Colour valueArc{0xff9acd32};   // knob value rings and value texts
inline const juce::Colour ringBack{0xff141414};   // knob rings and fader tracks behind the value
inline const juce::Colour faderFill{0xff4682b4};  // fader fill
inline const juce::Colour on{0xffffa500};         // what is switched on
inline const juce::Colour text{0xffbbc3cc};       // labels, captions
inline const juce::Colour textOff{0xff9daab6};    // captions of what is switched off
inline const juce::Colour button{0xff313234};     // button faces
inline const juce::Colour outline{0xff131416};    // button outlines
inline const juce::Colour panel{0xff54585b};      // the panel behind everything
inline const juce::Colour graphite{0xff2b2d30};   // darker surfaces (section frames, tooltips' base)
inline const juce::Colour focusRing{0xff87ceeb};  // keyboard focus and active outlines
inline const juce::Colour noiseGreen{0xff008000}; // noise reduction 1
inline const juce::Colour noiseRed{0xffff0000};   // noise reduction 2
} // namespace NsStrata::Palette

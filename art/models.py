#!/usr/bin/env python3
"""Writes the four model pictures: each mixer's front panel seen from above, with its knobs, faders and pads.
One drawing style for all four (the helpers below), one height, and Brio Max the widest, since the main screen
lays every model out at Brio Max's size.

Usage: models.py OUT_FOLDER   (writes ardent.svg, brio.svg, brio-max.svg, brio-solo.svg)
"""
import math
import os
import sys

HEIGHT = 30
TOP, BOTTOM = 2.5, 27.5  # the chassis, leaving a little air above and below

CHASSIS, CHASSIS_EDGE, CHASSIS_LIP = "#2c2f33", "#141517", "#464b50"
CHEEK = "#1d1f22"
KNOB_RING, KNOB_CAP, POINTER = "#141618", "#4d5258", "#eef0f2"
ARC = "#9acd32"      # value arcs, as on the screen's knobs
LIT = "#ffa500"      # what is switched on
PAD, PAD_EDGE = "#454a50", "#1a1c1e"
SLOT, CAP, CAP_LINE = "#0e0f10", "#c6cacf", "#2b2e31"
SCREEN = "#101213"
METER_ON, METER_OFF = "#9acd32", "#2a3a1a"


class Drawing:
    def __init__(self, width):
        self.width = width
        self.parts = []

    def add(self, element):
        self.parts.append(element)

    def svg(self):
        head = (f'<svg xmlns="http://www.w3.org/2000/svg" width="{self.width}" height="{HEIGHT}" '
                f'viewBox="0 0 {self.width} {HEIGHT}">')
        return "\n".join([head] + self.parts + ["</svg>"]) + "\n"

    # -- the pieces every model is made of --

    def chassis(self, x0, x1, chamfer=0.0, radius=3.5):
        if chamfer:
            c = chamfer
            pts = [(x0 + c, TOP), (x1 - c, TOP), (x1, TOP + c), (x1, BOTTOM - c), (x1 - c, BOTTOM),
                   (x0 + c, BOTTOM), (x0, BOTTOM - c), (x0, TOP + c)]
            d = "M" + " L".join(f"{x:g} {y:g}" for x, y in pts) + " Z"
            self.add(f'<path d="{d}" fill="{CHASSIS}" stroke="{CHASSIS_EDGE}" stroke-width="1"/>')
            self.add(f'<path d="M{x0 + c + 0.6:g} {TOP + 0.9:g} H{x1 - c - 0.6:g}" stroke="{CHASSIS_LIP}" '
                     f'stroke-width="0.6"/>')
        else:
            self.add(f'<rect x="{x0}" y="{TOP}" width="{x1 - x0}" height="{BOTTOM - TOP}" rx="{radius}" '
                     f'fill="{CHASSIS}" stroke="{CHASSIS_EDGE}" stroke-width="1"/>')
            self.add(f'<path d="M{x0 + radius:g} {TOP + 0.9:g} H{x1 - radius:g}" stroke="{CHASSIS_LIP}" '
                     f'stroke-width="0.6"/>')

    def knob(self, cx, cy, r, value=None, start_at_top=False):
        """A knob from above: dark skirt, value arc round it when given (0..1), cap and pointer."""
        self.add(f'<circle cx="{cx:g}" cy="{cy:g}" r="{r:g}" fill="{KNOB_RING}"/>')
        sweep = 300.0
        start = -150.0  # degrees from 12 o'clock, clockwise
        t = 0.65 if value is None else value
        angle = start + sweep * t
        if value is not None:
            a0 = 0.0 if start_at_top else start
            self.add(self._arc(cx, cy, r * 0.8, a0, angle, r * 0.26, ARC))
        self.add(f'<circle cx="{cx:g}" cy="{cy:g}" r="{r * 0.58:g}" fill="{KNOB_CAP}"/>')
        self.add(f'<circle cx="{cx:g}" cy="{cy - r * 0.08:g}" r="{r * 0.42:g}" fill="#575d63"/>')
        ax, ay = self._at(cx, cy, r * 0.5, angle)
        bx, by = self._at(cx, cy, r * 0.12, angle)
        self.add(f'<path d="M{bx:.2f} {by:.2f} L{ax:.2f} {ay:.2f}" stroke="{POINTER}" '
                 f'stroke-width="{max(0.7, r * 0.16):.2f}" stroke-linecap="round"/>')

    def led_ring(self, cx, cy, r, lit_share, count=15):
        """A ring of LED dots round a big dial, lit clockwise from the start."""
        for i in range(count):
            a = -150.0 + 300.0 * i / (count - 1)
            x, y = self._at(cx, cy, r, a)
            colour = ARC if i / (count - 1) <= lit_share else "#3a4030"
            self.add(f'<circle cx="{x:.2f}" cy="{y:.2f}" r="0.75" fill="{colour}"/>')

    def pad(self, x, y, size, lit=False, round_pad=False):
        fill = LIT if lit else PAD
        if round_pad:
            r = size / 2
            self.add(f'<circle cx="{x + r:g}" cy="{y + r:g}" r="{r:g}" fill="{fill}" stroke="{PAD_EDGE}" '
                     f'stroke-width="0.6"/>')
        else:
            self.add(f'<rect x="{x:g}" y="{y:g}" width="{size:g}" height="{size:g}" rx="1" fill="{fill}" '
                     f'stroke="{PAD_EDGE}" stroke-width="0.6"/>')
        if not lit:
            self.add(f'<path d="M{x + 1.2:g} {y + 0.9:g} H{x + size - 1.2:g}" stroke="#5a6067" '
                     f'stroke-width="0.5"/>')

    def button(self, x, y, w, h, lit=False):
        self.add(f'<rect x="{x:g}" y="{y:g}" width="{w:g}" height="{h:g}" rx="0.9" fill="#3c4045" '
                 f'stroke="{PAD_EDGE}" stroke-width="0.5"/>')
        led = LIT if lit else "#55493a"
        self.add(f'<rect x="{x + w * 0.25:g}" y="{y + h * 0.38:g}" width="{w * 0.5:g}" height="{h * 0.24:g}" '
                 f'rx="0.3" fill="{led}"/>')

    def fader(self, x0, y0, x1, y1, t):
        """A fader slot from (x0, y0) to (x1, y1) with its cap at t (0..1) along it."""
        self.add(f'<path d="M{x0:g} {y0:g} L{x1:g} {y1:g}" stroke="{SLOT}" stroke-width="1.6" '
                 f'stroke-linecap="round"/>')
        cx, cy = x0 + (x1 - x0) * t, y0 + (y1 - y0) * t
        vertical = abs(y1 - y0) > abs(x1 - x0)
        w, h = (5.6, 3.0) if vertical else (3.0, 5.6)
        self.add(f'<rect x="{cx - w / 2:.2f}" y="{cy - h / 2:.2f}" width="{w:g}" height="{h:g}" rx="0.5" '
                 f'fill="{CAP}" stroke="#6b7075" stroke-width="0.4"/>')
        if vertical:
            self.add(f'<path d="M{cx - w / 2 + 0.6:.2f} {cy:.2f} H{cx + w / 2 - 0.6:.2f}" stroke="{CAP_LINE}" '
                     f'stroke-width="0.6"/>')
        else:
            self.add(f'<path d="M{cx:.2f} {cy - h / 2 + 0.6:.2f} V{cy + h / 2 - 0.6:.2f}" stroke="{CAP_LINE}" '
                     f'stroke-width="0.6"/>')

    def meter(self, x, y0, y1, lit, columns=1):
        """A column (or two) of level LEDs, lit from the bottom."""
        n = 6
        step = (y1 - y0) / n
        for c in range(columns):
            for i in range(n):
                on = (n - i) <= lit[c]
                colour = (LIT if i == 0 else METER_ON) if on else METER_OFF
                self.add(f'<rect x="{x + c * 2.6:g}" y="{y0 + i * step + 0.3:.2f}" width="1.8" '
                         f'height="{step - 0.6:.2f}" rx="0.3" fill="{colour}"/>')

    def screen(self, x, y, w, h):
        self.add(f'<rect x="{x:g}" y="{y:g}" width="{w:g}" height="{h:g}" rx="0.8" fill="{SCREEN}" '
                 f'stroke="#3a3e42" stroke-width="0.5"/>')
        # a level readout on the display: two bars
        self.add(f'<rect x="{x + 1.5:g}" y="{y + h * 0.28:.2f}" width="{(w - 3) * 0.7:.2f}" height="1.1" '
                 f'fill="{ARC}"/>')
        self.add(f'<rect x="{x + 1.5:g}" y="{y + h * 0.6:.2f}" width="{(w - 3) * 0.55:.2f}" height="1.1" '
                 f'fill="{ARC}"/>')

    def cheek(self, x0, x1):
        self.add(f'<rect x="{x0:g}" y="{TOP + 0.5:g}" width="{x1 - x0:g}" height="{BOTTOM - TOP - 1:g}" '
                 f'fill="{CHEEK}"/>')
        for y in (TOP + 3, BOTTOM - 3):
            self.add(f'<circle cx="{(x0 + x1) / 2:g}" cy="{y:g}" r="0.9" fill="#50565c"/>')

    def pad_grid(self, x, y, size, gap, lit=(), round_pads=False):
        for row in range(3):
            for col in range(3):
                i = row * 3 + col
                self.pad(x + col * (size + gap), y + row * (size + gap), size, i in lit, round_pads)

    @staticmethod
    def _at(cx, cy, r, degrees):
        a = math.radians(degrees)
        return cx + r * math.sin(a), cy - r * math.cos(a)

    def _arc(self, cx, cy, r, a0, a1, width, colour):
        if a1 < a0:
            a0, a1 = a1, a0
        x0, y0 = self._at(cx, cy, r, a0)
        x1, y1 = self._at(cx, cy, r, a1)
        large = 1 if a1 - a0 > 180 else 0
        return (f'<path d="M{x0:.2f} {y0:.2f} A{r:g} {r:g} 0 {large} 1 {x1:.2f} {y1:.2f}" fill="none" '
                f'stroke="{colour}" stroke-width="{width:.2f}"/>')


def brio_solo():
    """The small one: a master knob, two gains, a level column, four pads and a mute."""
    d = Drawing(124)
    d.chassis(2, 122)
    d.knob(19, 15, 9, value=0.62)
    d.knob(38.5, 9.2, 3.7)
    d.knob(38.5, 20.8, 3.7)
    d.meter(48, 6, 24, [4])
    d.pad(56, 6.6, 7.6, lit=True)
    d.pad(65.4, 6.6, 7.6)
    d.pad(56, 15.8, 7.6)
    d.pad(65.4, 15.8, 7.6)
    d.button(79, 6.6, 12, 7.6, lit=True)
    d.button(79, 15.8, 12, 7.6)
    d.knob(107, 15, 5.6, value=0.45)
    return d


def brio():
    """The mid-size one: four input gains with mutes, a level meter, the master, five mode keys and nine pads."""
    d = Drawing(196)
    d.chassis(2, 194)
    for i, x in enumerate((12, 24, 36, 48)):
        d.knob(x, 9.6, 4, value=(0.7, 0.5, 0.35, 0.6)[i])
        d.button(x - 3.6, 17.6, 7.2, 6, lit=(i == 1))
    d.meter(59, 6, 24, [5, 4], columns=2)
    d.knob(82, 15, 9.6, value=0.7)
    for i in range(5):
        d.button(100 + i * 9.2, 6.6, 7.6, 6, lit=(i == 1))
    for i in range(3):
        d.knob(104.6 + i * 16, 20.4, 3.6)
    d.pad_grid(151, 4.8, 6.2, 1.6, lit=(0, 4))
    d.knob(183.5, 15, 4.2, value=0.4)
    return d


def brio_max():
    """The big one: four channel faders, their knobs and mutes, a display, the master, mode and effect keys and
    nine pads."""
    d = Drawing(256)
    d.chassis(2, 254)
    for i, t in enumerate((0.35, 0.55, 0.3, 0.7)):
        d.fader(11 + i * 9, 6.5, 11 + i * 9, 23.5, t)
    for i, x in enumerate((53, 64, 75, 86)):
        d.knob(x, 9.4, 3.8, value=(0.6, 0.45, 0.7, 0.3)[i])
        d.button(x - 3.4, 17.6, 6.8, 6, lit=(i == 2))
    d.screen(96, 5.6, 28, 9.4)
    d.meter(98, 16.8, 24.4, [4, 3], columns=2)
    d.knob(115.6, 20.4, 3.6)
    d.knob(143, 15, 10, value=0.72)
    for i in range(5):
        d.button(160 + i * 8.8, 6.2, 7.2, 5.8, lit=(i == 2))
        d.button(160 + i * 8.8, 17.6, 7.2, 5.8, lit=(i in (0, 3)))
    d.pad_grid(208, 4.8, 6.2, 1.6, lit=(2, 6))
    d.knob(243.5, 9.6, 3.8, value=0.5)
    d.knob(243.5, 20.4, 3.8, value=0.3)
    return d


def ardent():
    """The odd one out: a chamfered body with end cheeks, two banks of knobs round a big dial with an LED
    ring, a slide fader either side, and round pads."""
    d = Drawing(224)
    d.chassis(2, 222, chamfer=4)
    d.cheek(5, 11)
    d.cheek(213, 219)
    for row, y in enumerate((9, 21)):
        for col, x in enumerate((20, 31.5, 43)):
            d.knob(x, y, 4, value=(0.6, 0.4, 0.75, 0.3, 0.55, 0.5)[row * 3 + col])
    d.fader(55, 10, 90, 10, 0.6)
    d.fader(55, 20, 90, 20, 0.35)
    d.led_ring(112, 15, 11.2, 0.6)
    d.knob(112, 15, 8.6, value=0.6)
    d.fader(134, 10, 169, 10, 0.45)
    d.button(134, 16.6, 8, 6.4, lit=True)
    d.button(145.5, 16.6, 8, 6.4)
    d.button(157, 16.6, 8, 6.4)
    d.pad_grid(176, 4.8, 6.2, 1.6, lit=(4,), round_pads=True)
    d.knob(205, 15, 4, value=0.5)
    return d


MODELS = {"ardent": ardent, "brio": brio, "brio-max": brio_max, "brio-solo": brio_solo}


def main(folder):
    os.makedirs(folder, exist_ok=True)
    for name, draw in MODELS.items():
        with open(os.path.join(folder, name + ".svg"), "w", encoding="utf-8") as f:
            f.write(draw().svg())


if __name__ == "__main__":
    main(sys.argv[1])

#!/usr/bin/env python3
"""Writes the mixer panel's background: one graphite plate per section, at the section rectangles the panel
lays its controls into. The program draws every control and text on top, so the picture carries neither.

Usage: panel.py OUT.svg
"""
import sys

# Section rectangles in design pixels, as the panel lays them out (x, y, width, height).
SECTIONS = [
    ("presets", 0, 0, 134, 271),
    ("jingles", 0, 271, 134, 361),
    ("mixer", 134, 0, 763, 175),
    ("master", 897, 0, 172, 175),
    ("de-esser", 134, 174, 118, 306),
    ("filters", 252, 174, 118, 306),
    ("eq", 370, 174, 193, 306),
    ("exciter", 563, 174, 67, 306),
    ("compressor", 630, 174, 193, 306),
    ("reverb", 823, 174, 246, 306),
    ("vocal-tune", 134, 479, 230, 153),
    ("harmony", 364, 479, 237, 153),
    ("bgm-pitch", 601, 479, 119, 153),
    ("voice-over", 719, 479, 350, 153),
]
TITLE = 22   # title strip height
MARGIN = 1   # each section keeps a one-pixel margin round its content
SEAM = 2     # dark gap between neighbouring plates

# The panel draws the picture (width + 2) wide and round((width + 2) * 0.646 * 0.915) high.
WIDTH = 1069 + 2
HEIGHT = round(WIDTH * 0.646 * 0.915)

# MIXER: five knob columns, then the button column; grooves sit in the gaps between them.
MIXER_COLUMNS = [0.1774] * 5 + [0.113]

SEAM_COLOUR = "#161719"
PLATE_TOP, PLATE_BOTTOM = "#2b2e31", "#25282b"
STRIP_COLOUR = "#32363a"
STRIP_RULE = "#1c1e20"
EDGE_LIGHT = "#3b3f43"
GROOVE_DARK, GROOVE_LIGHT = "#1e2022", "#313438"


def plates():
    """Each section's plate: its rectangle less the margin, shrunk further where neighbours overlap, so every
    seam is SEAM wide."""
    rects = [[x + MARGIN, y + MARGIN, x + w - MARGIN, y + h - MARGIN] for _, x, y, w, h in SECTIONS]
    for a in rects:
        for b in rects:
            if a is b:
                continue
            overlaps_v = a[1] < b[3] and b[1] < a[3]
            overlaps_h = a[0] < b[2] and b[0] < a[2]
            if overlaps_v and a[2] <= b[0] + 1 and b[0] - a[2] < SEAM and a[0] < b[0]:
                a[2] = b[0] - SEAM
            if overlaps_h and a[3] <= b[1] + 1 and b[1] - a[3] < SEAM and a[1] < b[1]:
                a[3] = b[1] - SEAM
    return rects


def mixer_grooves(x, y, w, h):
    """Vertical grooves between MIXER's columns, at the gaps the panel leaves between its children."""
    out = []
    inner_w = w - 4 * MARGIN
    rx = 0.0
    for col in MIXER_COLUMNS[:-1]:
        right = round(rx * inner_w + 3 * MARGIN) + round(col * inner_w - 2 * MARGIN)
        rx += col
        left_next = round(rx * inner_w + 3 * MARGIN)
        gx = x + (right + left_next) / 2
        out.append((gx, y + MARGIN + TITLE + 10, y + h - MARGIN - 10))
    return out


def main(path):
    p = []
    p.append(f'<svg xmlns="http://www.w3.org/2000/svg" width="{WIDTH}" height="{HEIGHT}" '
             f'viewBox="0 0 {WIDTH} {HEIGHT}">')
    p.append('<defs><linearGradient id="plate" x1="0" y1="0" x2="0" y2="1">'
             f'<stop offset="0" stop-color="{PLATE_TOP}"/><stop offset="1" stop-color="{PLATE_BOTTOM}"/>'
             '</linearGradient></defs>')
    p.append(f'<rect width="{WIDTH}" height="{HEIGHT}" fill="{SEAM_COLOUR}"/>')
    p.append('<g shape-rendering="crispEdges">')
    for (name, x, y, w, h), (l, t, r, b) in zip(SECTIONS, plates()):
        strip_bottom = y + MARGIN + TITLE
        p.append(f'<g id="{name}">')
        p.append(f'<rect x="{l}" y="{t}" width="{r - l}" height="{b - t}" fill="url(#plate)"/>')
        p.append(f'<rect x="{l}" y="{t}" width="{r - l}" height="{strip_bottom - t}" fill="{STRIP_COLOUR}"/>')
        p.append(f'<rect x="{l}" y="{t}" width="{r - l}" height="0.5" fill="{EDGE_LIGHT}"/>')
        p.append(f'<rect x="{l}" y="{strip_bottom}" width="{r - l}" height="1" fill="{STRIP_RULE}"/>')
        if name == "mixer":
            for gx, top, bottom in mixer_grooves(x, y, w, h):
                p.append(f'<rect x="{gx - 0.5}" y="{top}" width="0.5" height="{bottom - top}" fill="{GROOVE_DARK}"/>')
                p.append(f'<rect x="{gx}" y="{top}" width="0.5" height="{bottom - top}" fill="{GROOVE_LIGHT}"/>')
        p.append('</g>')
    p.append('</g></svg>')
    with open(path, "w", encoding="utf-8") as f:
        f.write("\n".join(p) + "\n")


if __name__ == "__main__":
    main(sys.argv[1])

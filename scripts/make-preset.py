#!/usr/bin/env python3
"""Writes resources/Strata/preset/preset.xml: the factory state tree for every model and mode.

The knob nodes carry the conversion properties under which the device conversion of their parameter id is the
one applied; where a parameter has no conversion back to display units, its node is linear with a map equal to
its device conversion, so that reported values show correctly. Plain on/off and code nodes use the kind
"switch": they are sent as their value.
"""
import pathlib
import sys
from xml.sax.saxutils import quoteattr

ADDRESS = [
    0x7B71, 0x7B72, 0x7B0F, 0x7B7A, 0x7B0E, 0x7B7B, 0x7B0C, 0x7B7F, 0x7B10, 0x7B23,
    0x7B1C, 0x7B7C, 0x7F00, 0x0745, 0x7B24, 0x0741, 0x0746, 0x7B1D, 0x7B2F, 0x7B1F,
    0x7B09, 0x7B08, 0x7B07, 0x7B20, 0x7B25, 0x7B21, 0x7B27, 0x7B26, 0x7B28, 0x7B22,
    0x7B01, 0x7B02, 0x2105, 0x2104, 0x7B04, 0x7B2E, 0x7A7F, 0x7B7E, 0x7B15, 0x7B74,
    0x7B73, 0x7B77, 0x7B16, 0x7B1E, 0x7B14, 0x7B7D, 0x7B76, 0x7B75, 0x7B1B, 0x7B13,
    0x7B29, 0x7B2A, 0x7B2D, 0x7B12, 0x0601, 0x7F7D, 0x7F7E, 0x7B18,
]
GLOBAL_IDS = list(range(1, 14)) + [19, 35, 36, 42] + list(range(49, 59))
MODE_IDS = [i for i in range(1, 59) if i not in GLOBAL_IDS]


def switch(type_=10, keep=1):
    return dict(kind="switch", type=type_, keep=keep)


def own(kind, start, end, type_=10, **extra):
    """A node converted by its parameter's own conversion (start/end document the knob's range)."""
    return dict(kind=kind, linear=0, start=start, end=end, type=type_, keep=1, **extra)


def lin(kind, start, end, st, ed, type_=10, **extra):
    """A node whose linear map equals its parameter's device conversion."""
    return dict(kind=kind, linear=1, start=start, end=end, st=st, ed=ed, round=1, type=type_, keep=1, **extra)


# Conversion properties per parameter id.
NODES = {
    1: own("knob", -30, 60, off=-30),
    2: own("knob", -30, 60, off=-30),
    3: own("knob", -36, 6, off=-100),
    4: switch(),                                   # interface language
    5: own("knob", -36, 6, off=-100),
    6: switch(keep=0),                             # dump request
    7: own("knob", -36, 6, off=-100),
    8: switch(),                                   # mode selector
    9: switch(),                                   # noise reduction on/off
    10: lin("button", -60, 0, 0, 120),             # noise reduction threshold, dB
    11: switch(),                                  # mic monitor
    12: switch(),
    13: dict(lin("knob", -46, 12, 0, 58), keep=0),  # level display
    14: own("knob", 1, 10, iunit=10),              # kHz, device in 100 Hz
    15: lin("knob", -16, 0, 32, 0),
    16: lin("knob", 20, 1000, 20, 1000, type_=12),
    17: lin("knob", 8, 20, 80, 200, type_=12, iunit=10),
    18: switch(),
    19: dict(lin("button", 0, 100, 0, 127), round=0),  # whole percent both ways
    20: switch(),
    21: lin("fader", -15, 15, 34, 94),
    22: lin("fader", -15, 15, 34, 94),
    23: lin("fader", -15, 15, 34, 94),
    24: switch(),
    25: lin("fader", 0, 100, 0, 16383, type_=12),
    26: switch(),
    27: own("fader", 1, 128),                      # "end" is what the knob stores at its maximum
    28: lin("fader", -128, -1, -1, 16255, type_=12),
    29: lin("fader", 0, 18, 0, 16383, type_=12),
    30: switch(),
    31: lin("knob", 0, 200, 0, 16383, type_=12),
    32: lin("knob", 0, 100, 0, 16383, type_=12),
    33: lin("fader", 0, 1000, 0, 16383, type_=12),
    34: lin("fader", 480, 14000, 0, 16383, type_=12),
    35: lin("knob", -6, 6, 58, 70, off=0),
    36: switch(),
    37: lin("knob", 0, 500, 0, 16383, type_=12),
    38: lin("knob", 0, 100, 0, 16383, type_=12),
    39: switch(),
    40: switch(),
    41: lin("knob", 0, 100, 0, 127),
    42: switch(),
    43: switch(),
    44: switch(),
    45: switch(),
    46: lin("knob", 0, 100, 0, 100),
    47: lin("knob", 1, 5, 1, 5),
    48: switch(),
    49: switch(keep=0),                            # jingle play
    50: switch(),
    51: own("knob", 100, 500),
    52: own("knob", 100, 2000),
    53: own("knob", -54, -6, off=-119),
    54: switch(),
    55: switch(type_=6, keep=0),                   # identity request
    56: switch(keep=0),
    57: switch(keep=0),
    58: switch(keep=0),
}

GLOBAL_VALUES = {
    1: 0, 2: -30, 3: 0, 4: 0, 5: -6, 6: 0, 7: -6, 8: 0, 9: 0, 10: -48, 11: 0, 12: 0, 13: -48, 19: 50,
    35: 0, 36: 0, 42: 0, 49: 0, 50: 0, 51: 250, 52: 1000, 53: -20, 54: 0, 55: 0, 56: 0, 57: 0, 58: 0,
}

# The factory modes: CHAT is dry and clear, KTV is wet, PRO compresses and adds presence.
CHAT = {
    18: 1, 14: 6, 15: -4, 43: 1, 44: 1, 16: 80, 17: 16, 20: 1, 21: 2, 22: 0, 23: 3, 24: 0, 25: 20,
    26: 0, 27: 2, 28: -40, 29: 3, 30: 1, 31: 20, 32: 10, 33: 100, 34: 8000, 37: 0, 38: 30, 39: 0,
    40: 0, 41: 2, 45: 0, 46: 50, 47: 1, 48: 0,
}
KTV = {**CHAT, **{31: 60, 32: 40, 33: 150, 34: 10000, 26: 1, 27: 2, 28: -30, 29: 2, 24: 1, 25: 15, 23: 4}}
PRO = {**CHAT, **{26: 1, 27: 4, 28: -24, 29: 6, 24: 1, 25: 30, 31: 35, 32: 20, 21: 1, 22: -1, 23: 4, 16: 100}}
MODES = [
    (1, "CHAT", CHAT, None),
    (2, "KTV", KTV, None),
    (3, "PRO", PRO, None),
    (4, "USER 1", CHAT, 1),
    (5, "USER 2", CHAT, 1),
]
MODELS = [(1, "Ardent"), (2, "Brio"), (3, "Brio Max"), (4, "Brio Solo")]


def fmt(v):
    return str(int(v)) if float(v).is_integer() else repr(v)


def param(pid, value, indent):
    attrs = dict(id=pid, nrpn=ADDRESS[pid - 1], chan=0, value=value, defa=value)
    attrs.update(NODES[pid])
    text = " ".join(f"{k}={quoteattr(fmt(v) if isinstance(v, (int, float)) else str(v))}" for k, v in attrs.items())
    return f"{indent}<PARAM {text}/>"


def main():
    lines = ['<?xml version="1.0" encoding="UTF-8"?>', "", '<STRATA ver="2025.042913" mode="1">']
    for model_id, model_name in MODELS:
        lines.append(f'  <MODEL id="{model_id}" name={quoteattr(model_name)}>')
        lines.append('    <GROUP id="0">')
        lines += [param(pid, GLOBAL_VALUES[pid], "      ") for pid in GLOBAL_IDS]
        lines.append("    </GROUP>")
        for mode_id, name, values, based_on in MODES:
            extra = f' basedOnId="{based_on}"' if based_on else ""
            lines.append(f'    <MODE id="{mode_id}" name={quoteattr(name)} comment=""{extra}>')
            lines += [param(pid, values[pid], "      ") for pid in MODE_IDS]
            lines.append("    </MODE>")
        lines.append("  </MODEL>")
    lines.append("</STRATA>")
    out = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else
                       pathlib.Path(__file__).resolve().parent.parent / "resources/Strata/preset/preset.xml")
    out.write_text("\n".join(lines) + "\n", encoding="utf-8")


if __name__ == "__main__":
    main()

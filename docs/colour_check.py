#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Checks that the bar's red and blue stay apart for readers with a colour-vision deficiency and in
greyscale, and draws docs/colour-check.png.

The colours are read from window/design.h, so the check follows the program. Each vision type is
simulated with the matrices of Machado, Oliveira and Fernandes (2009), severity 1.0, applied to linear
sRGB; greyscale is the WCAG relative luminance. For each pair the script reports the CIEDE2000
colour difference and the WCAG contrast ratio. Standard library only.

    python3 docs/colour_check.py            # prints a Markdown table, writes docs/colour-check.png
"""

import math
import pathlib
import re
import struct
import sys
import zlib

ROOT = pathlib.Path(__file__).resolve().parent.parent

MACHADO_2009 = {
    "protanopia": ((0.152286, 1.052583, -0.204868),
                   (0.114503, 0.786281, 0.099216),
                   (-0.003882, -0.048116, 1.051998)),
    "deuteranopia": ((0.367322, 0.860646, -0.227968),
                     (0.280085, 0.672501, 0.047413),
                     (-0.011820, 0.042940, 0.968881)),
    "tritanopia": ((1.255528, -0.076749, -0.178779),
                   (-0.078411, 0.930809, 0.147602),
                   (0.004733, 0.691367, 0.303900)),
}
FRAME = (160, 160, 160)  # the style's grey frame around the picture box, for the figure only
VISIONS = ("normal", "protanopia", "deuteranopia", "tritanopia", "greyscale")


def design_colour(name):
    text = (ROOT / "window" / "design.h").read_text(encoding="utf-8")
    match = re.search(r"QColor\s+" + name + r"\((\d+),\s*(\d+),\s*(\d+)\)", text)
    if not match:
        sys.exit(f"colour {name} not found in window/design.h")
    return tuple(int(v) for v in match.groups())


def to_linear(c8):
    c = c8 / 255
    return c / 12.92 if c <= 0.04045 else ((c + 0.055) / 1.055) ** 2.4


def to_srgb8(c):
    c = min(1.0, max(0.0, c))
    c = 12.92 * c if c <= 0.0031308 else 1.055 * c ** (1 / 2.4) - 0.055
    return round(c * 255)


def luminance(rgb8):
    r, g, b = (to_linear(c) for c in rgb8)
    return 0.2126 * r + 0.7152 * g + 0.0722 * b


def seen(rgb8, vision):
    """The 8-bit sRGB colour a reader with this vision sees in place of rgb8."""
    if vision == "normal":
        return rgb8
    if vision == "greyscale":
        grey = to_srgb8(luminance(rgb8))
        return (grey, grey, grey)
    lin = [to_linear(c) for c in rgb8]
    m = MACHADO_2009[vision]
    return tuple(to_srgb8(sum(m[i][j] * lin[j] for j in range(3))) for i in range(3))


def contrast(a, b):
    hi, lo = sorted((luminance(a), luminance(b)), reverse=True)
    return (hi + 0.05) / (lo + 0.05)


def lab(rgb8):
    r, g, b = (to_linear(c) for c in rgb8)
    x = (0.4124 * r + 0.3576 * g + 0.1805 * b) / 0.95047
    y = 0.2126 * r + 0.7152 * g + 0.0722 * b
    z = (0.0193 * r + 0.1192 * g + 0.9505 * b) / 1.08883
    f = [t ** (1 / 3) if t > 216 / 24389 else (24389 / 27 * t + 16) / 116 for t in (x, y, z)]
    return (116 * f[1] - 16, 500 * (f[0] - f[1]), 200 * (f[1] - f[2]))


def delta_e2000(c1, c2):
    (l1, a1, b1), (l2, a2, b2) = lab(c1), lab(c2)
    cbar = (math.hypot(a1, b1) + math.hypot(a2, b2)) / 2
    g = 0.5 * (1 - math.sqrt(cbar ** 7 / (cbar ** 7 + 25 ** 7)))
    a1p, a2p = (1 + g) * a1, (1 + g) * a2
    c1p, c2p = math.hypot(a1p, b1), math.hypot(a2p, b2)
    h1p = math.degrees(math.atan2(b1, a1p)) % 360
    h2p = math.degrees(math.atan2(b2, a2p)) % 360
    dlp, dcp = l2 - l1, c2p - c1p
    dh = h2p - h1p
    if c1p * c2p == 0:
        dh = 0
    elif dh > 180:
        dh -= 360
    elif dh < -180:
        dh += 360
    dhp = 2 * math.sqrt(c1p * c2p) * math.sin(math.radians(dh / 2))
    lbar, cbarp = (l1 + l2) / 2, (c1p + c2p) / 2
    if c1p * c2p == 0:
        hbar = h1p + h2p
    elif abs(h1p - h2p) <= 180:
        hbar = (h1p + h2p) / 2
    else:
        hbar = (h1p + h2p + 360) / 2 if h1p + h2p < 360 else (h1p + h2p - 360) / 2
    t = (1 - 0.17 * math.cos(math.radians(hbar - 30)) + 0.24 * math.cos(math.radians(2 * hbar))
         + 0.32 * math.cos(math.radians(3 * hbar + 6)) - 0.20 * math.cos(math.radians(4 * hbar - 63)))
    sl = 1 + 0.015 * (lbar - 50) ** 2 / math.sqrt(20 + (lbar - 50) ** 2)
    sc = 1 + 0.045 * cbarp
    sh = 1 + 0.015 * cbarp * t
    rt = (-2 * math.sqrt(cbarp ** 7 / (cbarp ** 7 + 25 ** 7))
          * math.sin(math.radians(60 * math.exp(-(((hbar - 275) / 25) ** 2)))))
    return math.sqrt((dlp / sl) ** 2 + (dcp / sc) ** 2 + (dhp / sh) ** 2 + rt * (dcp / sc) * (dhp / sh))


# A 5 x 7 bitmap font for the figure's labels.
GLYPHS = {
    "A": ".###.#...##...#######...##...##...#", "C": ".###.#...##....#....#....#...#.###.",
    "D": "####.#...##...##...##...##...#####.", "E": "######....#....####.#....#....#####",
    "G": ".###.#...##....#.####...##...#.###.", "I": ".###...#....#....#....#....#...###.",
    "L": "#....#....#....#....#....#....#####", "M": "#...###.###.#.##.#.##...##...##...#",
    "N": "#...###..##.#.##..###...##...##...#", "O": ".###.#...##...##...##...##...#.###.",
    "P": "####.#...##...#####.#....#....#....", "R": "####.#...##...#####.#.#..#..#.#...#",
    "S": ".#####....#.....###.....#....#####.", "T": "#####..#....#....#....#....#....#..",
    "U": "#...##...##...##...##...##...#.###.", "Y": "#...##...#.#.#...#....#....#....#..",
    "0": ".###.#...##..###.#.###..##...#.###.", "1": "..#...##....#....#....#....#...###.",
    "2": ".###.#...#....#...#...#...#...#####", "3": "####.....#....#.###.....#....#####.",
    "4": "...#...##..#.#.#..#.#####...#....#.", "5": "######....####.....#....##...#.###.",
    "6": ".###.#....#....####.#...##...#.###.", "7": "#####....#...#...#...#....#....#...",
    "8": ".###.#...##...#.###.#...##...#.###.", "9": ".###.#...##...#.####....#....#.###.",
    ".": ".........................##...##...", ":": "......##...##.........##...##......",
    " ": "." * 35,
}


class Canvas:
    def __init__(self, width, height, colour):
        self.width, self.height = width, height
        self.rows = [bytearray(bytes(colour) * width) for _ in range(height)]

    def fill(self, x, y, w, h, colour):
        for row in self.rows[y:y + h]:
            row[3 * x:3 * (x + w)] = bytes(colour) * w

    def text(self, x, y, text, scale=2, colour=(0, 0, 0)):
        for ch in text:
            glyph = GLYPHS[ch]
            for gy in range(7):
                for gx in range(5):
                    if glyph[gy * 5 + gx] == "#":
                        self.fill(x + gx * scale, y + gy * scale, scale, scale, colour)
            x += 6 * scale

    def save(self, path):
        raw = b"".join(b"\0" + bytes(row) for row in self.rows)
        chunk = lambda kind, data: (struct.pack(">I", len(data)) + kind + data
                                    + struct.pack(">I", zlib.crc32(kind + data)))
        png = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0, 0, 0))
               + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))
        path.write_bytes(png)


def main():
    red, blue, back = design_colour("HeatedColor"), design_colour("RestColor"), design_colour("PictureBackColor")

    print("| vision | red seen as | blue seen as | ΔE00 red–blue | contrast red–blue"
          " | ΔE00 blue–background | ΔE00 red–background |")
    print("|---|---|---|---|---|---|---|")
    row_height, label_width, swatch = 52, 168, 40
    canvas = Canvas(label_width + 3 * swatch + 18 + swatch // 2 + 16 + 16 * 12 + 8, row_height * len(VISIONS) + 4,
                    (255, 255, 255))
    for i, vision in enumerate(VISIONS):
        r, b, k = seen(red, vision), seen(blue, vision), seen(back, vision)
        de, cr = delta_e2000(r, b), contrast(r, b)
        print(f"| {vision} | RGB{r} | RGB{b} | {de:.1f} | {cr:.2f}:1 | {delta_e2000(b, k):.1f} | "
              f"{delta_e2000(r, k):.1f} |")

        y = 8 + i * row_height
        canvas.text(8, y + 13, vision.upper())
        # The picture box's background (all it shows before the first move), the blue and the red,
        # then the bar as drawn: it fills the frame, blue above red, so blue never meets the
        # background.
        x = label_width
        canvas.fill(x, y, swatch, swatch, k)
        canvas.fill(x + swatch + 6, y, swatch, swatch, b)
        canvas.fill(x + 2 * swatch + 6, y, swatch, swatch, r)
        canvas.fill(x + 3 * swatch + 18, y, swatch // 2, swatch, seen(FRAME, vision))
        canvas.fill(x + 3 * swatch + 20, y + 2, swatch // 2 - 4, swatch // 2 - 2, b)
        canvas.fill(x + 3 * swatch + 20, y + swatch // 2, swatch // 2 - 4, swatch // 2 - 2, r)
        canvas.text(x + 3 * swatch + 18 + swatch // 2 + 16, y + 13, f"DE {de:.1f}  CR {cr:.2f}")

    out = ROOT / "docs" / "colour-check.png"
    canvas.save(out)
    print(f"\nwritten: {out.relative_to(ROOT)}")


if __name__ == "__main__":
    main()

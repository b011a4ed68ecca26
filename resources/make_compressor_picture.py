#!/usr/bin/env python3
"""Draws the compressor panel's picture: a compressor's static gain curve
(output level over input level) with a soft knee, over a faint grid, with the
1:1 line for reference and the threshold marked. Writes compressor.png
(464 x 96, RGBA) next to this script. Standard library only; the output is
the same byte for byte on every run."""

import math
import os
import struct
import zlib

WIDTH, HEIGHT = 464, 96
MARGIN = 6

# Input and output levels in dB, mapped onto the picture.
LEVEL_MIN, LEVEL_MAX = -60.0, 0.0
THRESHOLD, RATIO, KNEE = -24.0, 4.0, 12.0


def gain_curve(level):
    over = level - THRESHOLD
    if 2 * over < -KNEE:
        return level
    if 2 * abs(over) <= KNEE:
        return level + (1.0 / RATIO - 1.0) * (over + KNEE / 2) ** 2 / (2 * KNEE)
    return THRESHOLD + over / RATIO


def to_x(level):
    return MARGIN + (level - LEVEL_MIN) / (LEVEL_MAX - LEVEL_MIN) * (WIDTH - 2 * MARGIN - 1)


def to_y(level):
    return HEIGHT - 1 - MARGIN - (level - LEVEL_MIN) / (LEVEL_MAX - LEVEL_MIN) * (HEIGHT - 2 * MARGIN - 1)


def subdivide(points, step):
    out = [points[0]]
    for (xa, ya), (xb, yb) in zip(points, points[1:]):
        pieces = max(1, int(math.ceil(math.hypot(xb - xa, yb - ya) / step)))
        out += [(xa + (xb - xa) * i / pieces, ya + (yb - ya) * i / pieces) for i in range(1, pieces + 1)]
    return out


class Canvas:
    def __init__(self):
        self.rgba = [[(0, 0, 0, 0)] * WIDTH for _ in range(HEIGHT)]

    def blend(self, x, y, colour, coverage):
        if not (0 <= x < WIDTH and 0 <= y < HEIGHT) or coverage <= 0:
            return
        r, g, b, a = colour
        a = a * min(1.0, coverage) / 255.0
        dr, dg, db, da = self.rgba[y][x]
        da /= 255.0
        out_a = a + da * (1 - a)
        if out_a <= 0:
            return
        mix = lambda s, d: (s * a + d * da * (1 - a)) / out_a
        self.rgba[y][x] = (round(mix(r, dr)), round(mix(g, dg)), round(mix(b, db)), round(out_a * 255))

    def fill_rect(self, x0, y0, x1, y1, colour):
        for y in range(max(0, y0), min(HEIGHT, y1)):
            for x in range(max(0, x0), min(WIDTH, x1)):
                self.blend(x, y, colour, 1.0)

    def stroke(self, points, width, colour, dash=None):
        """Anti-aliased polyline: each pixel takes the coverage of its
        nearest segment, so overlapping segments do not darken joints."""
        if dash:
            points = subdivide(points, dash)
        cover = {}
        half = width / 2.0
        travelled = 0.0
        for (xa, ya), (xb, yb) in zip(points, points[1:]):
            length = math.hypot(xb - xa, yb - ya)
            if length == 0:
                continue
            if dash and int(travelled // dash) % 2 == 1:
                travelled += length
                continue
            travelled += length
            for y in range(int(min(ya, yb) - half - 1), int(max(ya, yb) + half + 2)):
                for x in range(int(min(xa, xb) - half - 1), int(max(xa, xb) + half + 2)):
                    t = ((x - xa) * (xb - xa) + (y - ya) * (yb - ya)) / (length * length)
                    t = max(0.0, min(1.0, t))
                    d = math.hypot(x - (xa + t * (xb - xa)), y - (ya + t * (yb - ya)))
                    c = max(0.0, min(1.0, half + 0.5 - d))
                    if c > cover.get((x, y), 0.0):
                        cover[(x, y)] = c
        for (x, y), c in sorted(cover.items()):
            self.blend(x, y, colour, c)

    def png(self):
        raw = bytearray()
        for row in self.rgba:
            raw.append(0)
            for pixel in row:
                raw.extend(pixel)

        def chunk(kind, data):
            body = kind + data
            return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

        header = struct.pack(">IIBBBBB", WIDTH, HEIGHT, 8, 6, 0, 0, 0)
        return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
                + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def main():
    canvas = Canvas()
    canvas.fill_rect(0, 0, WIDTH, HEIGHT, (20, 24, 30, 200))

    grid = (255, 255, 255, 40)
    for level in range(-60, 1, 12):
        canvas.stroke([(to_x(level), MARGIN), (to_x(level), HEIGHT - 1 - MARGIN)], 1.0, grid)
        canvas.stroke([(MARGIN, to_y(level)), (WIDTH - 1 - MARGIN, to_y(level))], 1.0, grid)

    canvas.stroke([(to_x(LEVEL_MIN), to_y(LEVEL_MIN)), (to_x(LEVEL_MAX), to_y(LEVEL_MAX))],
                  1.2, (200, 200, 200, 150), dash=4.0)
    canvas.stroke([(to_x(THRESHOLD), MARGIN), (to_x(THRESHOLD), HEIGHT - 1 - MARGIN)],
                  1.5, (255, 165, 0, 180), dash=3.0)

    steps = 240
    levels = [LEVEL_MIN + (LEVEL_MAX - LEVEL_MIN) * i / steps for i in range(steps + 1)]
    curve = [(to_x(level), to_y(gain_curve(level))) for level in levels]
    for x in range(MARGIN, WIDTH - MARGIN):
        level = LEVEL_MIN + (x - MARGIN) / (WIDTH - 2 * MARGIN - 1) * (LEVEL_MAX - LEVEL_MIN)
        top = to_y(gain_curve(level))
        for y in range(int(top) + 1, HEIGHT - MARGIN):
            canvas.blend(x, y, (40, 200, 90, 45), 1.0)
    canvas.stroke(curve, 3.0, (40, 200, 90, 255))

    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "compressor.png")
    with open(out, "wb") as f:
        f.write(canvas.png())


if __name__ == "__main__":
    main()

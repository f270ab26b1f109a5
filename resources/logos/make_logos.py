#!/usr/bin/env python3
"""Draws the three logo PNGs in the palette (run once; the PNGs are committed).

Shapes are unions of round-capped strokes and rings, rendered with 4x4
supersampling so the small sizes stay clean. Only the standard library is used.
"""
import math
import os
import struct
import zlib

BACKGROUND = (29, 29, 29)
BLUE = (0, 184, 248)
ORANGE = (255, 166, 0)
SUPERSAMPLE = 4


def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)
    t = max(0.0, min(1.0, t))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def coverage(size, inside):
    """Fraction of each pixel for which inside(x, y) holds, x and y in 0..1."""
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            hits = 0
            for sy in range(SUPERSAMPLE):
                for sx in range(SUPERSAMPLE):
                    u = (x + (sx + 0.5) / SUPERSAMPLE) / size
                    v = (y + (sy + 0.5) / SUPERSAMPLE) / size
                    hits += 1 if inside(u, v) else 0
            row.append(hits / SUPERSAMPLE ** 2)
        rows.append(row)
    return rows


def maker_mark(u, v):
    """A 'K': one upright and two arms meeting left of centre."""
    w = 0.065
    return (segment_distance(u, v, 0.32, 0.2, 0.32, 0.8) < w
            or segment_distance(u, v, 0.36, 0.52, 0.7, 0.2) < w
            or segment_distance(u, v, 0.45, 0.44, 0.7, 0.8) < w)


def product_ring(u, v):
    r = math.hypot(u - 0.5, v - 0.5)
    return abs(r - 0.4) < 0.05


def product_mark(u, v):
    """A 'V' centred in the ring."""
    w = 0.06
    return (segment_distance(u, v, 0.32, 0.3, 0.5, 0.7) < w
            or segment_distance(u, v, 0.5, 0.7, 0.68, 0.3) < w)


def mix(a, b, t):
    return tuple(round(a[i] + (b[i] - a[i]) * t) for i in range(3))


def write_png(path, size, pixels, alpha):
    colour_type = 6 if alpha else 2
    raw = b"".join(b"\x00" + bytes(c for px in row for c in px) for row in pixels)

    def chunk(tag, data):
        body = tag + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", size, size, 8, colour_type, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", header))
        f.write(chunk(b"IDAT", zlib.compress(raw, 9)))
        f.write(chunk(b"IEND", b""))


def opaque(size, layers):
    cover = [(coverage(size, shape), colour) for shape, colour in layers]
    pixels = []
    for y in range(size):
        row = []
        for x in range(size):
            c = BACKGROUND
            for cov, colour in cover:
                c = mix(c, colour, cov[y][x])
            row.append(c)
        pixels.append(row)
    return pixels


def transparent(size, layers):
    cover = [(coverage(size, shape), colour) for shape, colour in layers]
    pixels = []
    for y in range(size):
        row = []
        for x in range(size):
            rgb, a = (0, 0, 0), 0.0
            for cov, colour in cover:
                # "over" compositing with straight alpha
                na = cov[y][x] + a * (1 - cov[y][x])
                if na > 0:
                    rgb = tuple((colour[i] * cov[y][x] + rgb[i] * a * (1 - cov[y][x])) / na for i in range(3))
                a = na
            row.append(tuple(round(v) for v in rgb) + (round(a * 255),))
        pixels.append(row)
    return pixels


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    product = [(product_ring, BLUE), (product_mark, ORANGE)]
    write_png(os.path.join(here, "KARVON.png"), 28, opaque(28, [(maker_mark, BLUE)]), False)
    write_png(os.path.join(here, "VantrelLogo.png"), 28, opaque(28, product), False)
    write_png(os.path.join(here, "VantrelLogoTransparent.png"), 72, transparent(72, product), True)


if __name__ == "__main__":
    main()

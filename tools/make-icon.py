#!/usr/bin/env python3
"""Draw Tumbledeck's icon and write it as resources/Tumbledeck.ico.

One picture, 64 x 64 pixels, 24-bit colour: a BITMAPINFOHEADER with biBitCount 24 and
biHeight 128 (colour bitmap plus the 1-bit AND mask), no palette.  The picture is a
fanned stack of three playing cards (a blue card back, a spade and a heart) above a
curved "shuffle" arrow.

Every shape is described in pixel coordinates (x to the right, y downwards, the
picture spans 0..64) and sampled 8 x 8 times per pixel.  A pixel is opaque when at
least half of its samples hit a shape; its colour is the mean of the samples that hit,
so inner edges are smooth and the silhouette is a clean hard edge (a 24-bit icon has
no alpha channel), drawn with a dark outline so that it reads on any background.

Standard library only and deterministic: the same bytes on every run.

Usage: tools/make-icon.py [output.ico] [--png preview.png [--scale N]]
"""
import math
import os
import struct
import sys
import zlib

SIZE = 64
SS = 8  # samples per pixel along each axis

INK = (34, 38, 46)          # outlines
PAPER = (255, 255, 255)     # card faces
BACK = (36, 92, 190)        # card back
BACK_LIGHT = (98, 150, 232)
RED = (214, 34, 44)
BLACK = (24, 24, 28)
ARROW = (255, 160, 0)
ARROW_LIGHT = (255, 206, 84)


# ---- geometry helpers -------------------------------------------------------------

def rot(x, y, deg):
    a = math.radians(deg)
    c, s = math.cos(a), math.sin(a)
    return x * c - y * s, x * s + y * c


def in_rounded_rect(x, y, hw, hh, r):
    """Point (x, y), relative to the centre, inside a rounded rectangle of half sizes hw, hh."""
    ax, ay = abs(x), abs(y)
    if ax > hw or ay > hh:
        return False
    dx, dy = ax - (hw - r), ay - (hh - r)
    if dx > 0 and dy > 0:
        return dx * dx + dy * dy <= r * r
    return True


def in_triangle(x, y, a, b, c):
    def side(p, q):
        return (q[0] - p[0]) * (y - p[1]) - (q[1] - p[1]) * (x - p[0])
    d1, d2, d3 = side(a, b), side(b, c), side(c, a)
    neg = d1 < 0 or d2 < 0 or d3 < 0
    pos = d1 > 0 or d2 > 0 or d3 > 0
    return not (neg and pos)


def in_circle(x, y, cx, cy, r):
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


# ---- suit pips, in card-local units (the pip spans about -1..1) -------------------

def heart(x, y):
    return (in_circle(x, y, -0.5, -0.35, 0.52) or in_circle(x, y, 0.5, -0.35, 0.52)
            or in_triangle(x, y, (-0.98, -0.18), (0.98, -0.18), (0.0, 1.0)))


def spade(x, y):
    return (in_circle(x, y, -0.48, 0.22, 0.48) or in_circle(x, y, 0.48, 0.22, 0.48)
            or in_triangle(x, y, (-0.94, 0.06), (0.94, 0.06), (0.0, -1.0))
            or in_triangle(x, y, (0.0, 0.3), (-0.42, 1.0), (0.42, 1.0)))


# ---- the scene ----------------------------------------------------------------------

CARD_HW, CARD_HH, CARD_R, CARD_BORDER = 12.5, 17.5, 3.6, 1.8
PIVOT = (30.5, 46.5)
ARM = 19.5
PIPS = {"spade": (spade, BLACK, 5.0, -5.0, -8.6), "heart": (heart, RED, 7.0, 0.0, -2.5)}


class Card:
    def __init__(self, angle, kind):
        self.angle = angle
        self.kind = kind
        ox, oy = rot(0.0, -ARM, angle)
        self.cx, self.cy = PIVOT[0] + ox, PIVOT[1] + oy

    def local(self, x, y):
        return rot(x - self.cx, y - self.cy, -self.angle)

    def colour(self, x, y):
        lx, ly = self.local(x, y)
        if not in_rounded_rect(lx, ly, CARD_HW, CARD_HH, CARD_R):
            return None
        b = CARD_BORDER
        if not in_rounded_rect(lx, ly, CARD_HW - b, CARD_HH - b, CARD_R - b * 0.6):
            return INK
        if self.kind == "back":
            m = 2.0  # white margin inside the border
            if not in_rounded_rect(lx, ly, CARD_HW - b - m, CARD_HH - b - m, 1.6):
                return PAPER
            # a lighter frame line inside the blue
            f = 2.4
            if (not in_rounded_rect(lx, ly, CARD_HW - b - m - f, CARD_HH - b - m - f, 1.2)
                    and in_rounded_rect(lx, ly, CARD_HW - b - m - f + 1.3,
                                        CARD_HH - b - m - f + 1.3, 1.6)):
                return BACK_LIGHT
            return BACK
        # one big pip where the card shows: the spade card is half hidden by the
        # heart card, so its pip sits in the upper left part
        pip, colour, scale, px, py = PIPS[self.kind]
        if pip((lx - px) / scale, (ly - py) / scale):
            return colour
        return PAPER


CARDS = [Card(-26.0, "back"), Card(-1.0, "spade"), Card(24.0, "heart")]

# The arrow: an arc under the fan, from the lower left round to the right, with its
# head pointing up along the right side.  Angles in degrees, y downwards (90 = bottom).
ARC_C = (31.5, 33.0)
ARC_R = 24.5
ARC_W = 3.5          # half width of the shaft
ARC_FROM, ARC_TO = 150.0, 24.0   # drawn from ARC_FROM down through 90 to ARC_TO
HEAD_LEN, HEAD_HW = 11.0, 7.8
OUTLINE = 1.6


def arrow_head(grow):
    """Triangle at the ARC_TO end, pointing along the arc's direction of travel."""
    a = math.radians(ARC_TO)
    bx, by = ARC_C[0] + ARC_R * math.cos(a), ARC_C[1] + ARC_R * math.sin(a)
    tx, ty = math.sin(a), -math.cos(a)   # travel direction (angle decreasing)
    nx, ny = math.cos(a), math.sin(a)    # outward normal
    tip = (bx + tx * (HEAD_LEN + grow * 1.9), by + ty * (HEAD_LEN + grow * 1.9))
    back = -grow
    l = (bx + tx * back + nx * (HEAD_HW + grow), by + ty * back + ny * (HEAD_HW + grow))
    r = (bx + tx * back - nx * (HEAD_HW + grow), by + ty * back - ny * (HEAD_HW + grow))
    return tip, l, r


HEAD_FILL, HEAD_LINE = arrow_head(0.0), arrow_head(OUTLINE)


def arc_angle(x, y):
    return math.degrees(math.atan2(y - ARC_C[1], x - ARC_C[0])) % 360.0


def in_shaft(x, y, grow):
    d = math.hypot(x - ARC_C[0], y - ARC_C[1])
    if abs(d - ARC_R) > ARC_W + grow:
        return False
    ang = arc_angle(x, y)
    # the shaft spans ARC_TO..ARC_FROM (through 90); the tail gets a rounded end
    if ARC_TO - 0.5 <= ang <= ARC_FROM:
        return True
    a = math.radians(ARC_FROM)
    ex, ey = ARC_C[0] + ARC_R * math.cos(a), ARC_C[1] + ARC_R * math.sin(a)
    return in_circle(x, y, ex, ey, ARC_W + grow)


def arrow_colour(x, y):
    if in_shaft(x, y, 0.0) or in_triangle(x, y, *HEAD_FILL):
        # a lighter band on the outer side of the shaft gives a little depth
        d = math.hypot(x - ARC_C[0], y - ARC_C[1])
        if in_shaft(x, y, 0.0) and d - ARC_R < -ARC_W * 0.25 and not in_triangle(x, y, *HEAD_FILL):
            return ARROW_LIGHT
        return ARROW
    if in_shaft(x, y, OUTLINE) or in_triangle(x, y, *HEAD_LINE):
        return INK
    return None


def sample(x, y):
    """Colour at a point, or None where the picture is transparent."""
    c = arrow_colour(x, y)
    if c is not None:
        return c
    for card in reversed(CARDS):     # the last card lies on top
        c = card.colour(x, y)
        if c is not None:
            return c
    return None


def render():
    """Rows top to bottom of (r, g, b) or None (transparent)."""
    rows = []
    for py in range(SIZE):
        row = []
        for px in range(SIZE):
            hits, acc = 0, [0, 0, 0]
            for sy in range(SS):
                for sx in range(SS):
                    c = sample(px + (sx + 0.5) / SS, py + (sy + 0.5) / SS)
                    if c is not None:
                        hits += 1
                        acc[0] += c[0]
                        acc[1] += c[1]
                        acc[2] += c[2]
            if hits * 2 >= SS * SS:
                row.append(tuple((v + hits // 2) // hits for v in acc))
            else:
                row.append(None)
        rows.append(row)
    return rows


# ---- file formats --------------------------------------------------------------------

def ico_bytes(rows):
    xor = bytearray()
    mask = bytearray()
    for row in reversed(rows):                      # bottom-up
        for c in row:
            xor += bytes((0, 0, 0)) if c is None else bytes((c[2], c[1], c[0]))
        bits = bytearray((SIZE + 31) // 32 * 4)
        for x, c in enumerate(row):
            if c is None:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 24, 0,
                         len(xor) + len(mask), 0, 0, 0, 0)
    image = header + bytes(xor) + bytes(mask)
    icondir = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 24, len(image), 6 + 16)
    return icondir + entry + image


def png_bytes(rows, scale, bg=(200, 200, 200)):
    raw = bytearray()
    for row in rows:
        line = bytearray()
        for c in row:
            line += bytes(bg if c is None else c) * scale
        for _ in range(scale):
            raw += b"\0" + line
    w = h = SIZE * scale

    def chunk(tag, data):
        return struct.pack(">I", len(data)) + tag + data + struct.pack(">I", zlib.crc32(tag + data))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def main():
    args = sys.argv[1:]
    png, scale = None, 4
    if "--png" in args:
        i = args.index("--png")
        png = args[i + 1]
        del args[i:i + 2]
    if "--scale" in args:
        i = args.index("--scale")
        scale = int(args[i + 1])
        del args[i:i + 2]
    out = args[0] if args else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "resources", "Tumbledeck.ico")
    rows = render()
    data = ico_bytes(rows)
    with open(out, "wb") as f:
        f.write(data)
    print("%s: %d bytes" % (out, len(data)))
    if png:
        with open(png, "wb") as f:
            f.write(png_bytes(rows, scale))
        print("%s: preview x%d" % (png, scale))


if __name__ == "__main__":
    main()

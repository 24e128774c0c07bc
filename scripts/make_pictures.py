#!/usr/bin/env python3
"""Draws TallyQuill's pictures: icon1.ico and splash.bmp.

    make_pictures.py OUTPUT_FOLDER

icon1.ico holds a 32x32 and a 16x16 image, 16 colours each, with AND masks.
splash.bmp is 340x198, 256 colours, bottom-up. Both show the same emblem: a
quill over a short stroke of ink, on a teal ground.
"""
import math
import os
import struct
import sys

TEAL = (22, 98, 116)
TEAL_DARK = (12, 62, 76)
FEATHER = (250, 244, 226)
FEATHER_SHADE = (206, 196, 170)
SHAFT = (150, 120, 70)
NIB = (232, 176, 48)
INK = (250, 210, 90)


def quill(u, v, fine=True):
    """The part of the quill at (u, v) in a unit square (v grows downwards), or None.
    Without fine detail (for the smallest icon) the shaft is bolder and the ink is left out."""
    x0, y0, x1, y1 = 0.22, 0.76, 0.84, 0.12  # nib tip, top of the feather
    length = math.hypot(x1 - x0, y1 - y0)
    dx, dy = (x1 - x0) / length, (y1 - y0) / length
    t = ((u - x0) * dx + (v - y0) * dy) / length   # along the quill, 0 at the tip
    s = ((u - x0) * dy - (v - y0) * dx) / length   # across it, > 0 on the upper right
    if 0.0 <= t < 0.2 and abs(s) < 0.05 * math.sin(math.pi * (t / 0.2) ** 1.5):
        return 'shaft' if 0.03 < t < 0.12 and abs(s) < 0.006 else 'nib'  # the slit
    if 0.2 <= t <= 1.0 and abs(s) < (0.016 if fine else 0.028):
        return 'shaft'
    if 0.3 <= t <= 1.0:  # the vane, with a small notch on each side
        p = (t - 0.3) / 0.7
        bulge = math.sin(math.pi * p ** 0.75) ** 0.7
        if 0 < s < 0.17 * bulge and not (0.62 < t < 0.65 and s > 0.1 * bulge):
            return 'feather'
        if -0.11 * bulge < s < 0 and not (0.5 < t < 0.53 and s < -0.06 * bulge):
            return 'feather_shade'
    # A stroke of ink leading away from the nib.
    if fine and 0.2 <= u <= 0.76:
        w = (u - 0.2) / 0.56 * 1.5 * math.pi
        slope = 0.05 * math.sin(w) * 1.5 * math.pi / 0.56
        if abs(v - 0.84 + 0.05 * math.cos(w)) < 0.03 * math.hypot(1, slope):
            return 'ink'
    return None


COLOURS = {'feather': FEATHER, 'feather_shade': FEATHER_SHADE, 'shaft': SHAFT,
           'nib': NIB, 'ink': INK}


# --- icon1.ico -------------------------------------------------------------

ICON_PALETTE = [(0, 0, 0), TEAL_DARK, TEAL, FEATHER, FEATHER_SHADE, SHAFT, NIB, INK]
ICON_PALETTE += [(0, 0, 0)] * (16 - len(ICON_PALETTE))


def icon_pixel(size, x, y):
    """Palette index and transparency of one icon pixel, by majority of 4x4 samples."""
    votes = {}
    for i in range(4):
        for j in range(4):
            u, v = (x + (i + 0.5) / 4) / size, (y + (j + 0.5) / 4) / size
            # Rounded square: transparent beyond a corner radius of 0.2.
            cu, cv = min(max(u, 0.2), 0.8), min(max(v, 0.2), 0.8)
            d = math.hypot(u - cu, v - cv)
            if d > 0.2:
                role = 'clear'
            elif d > 0.2 - 1.2 / size or min(u, v, 1 - u, 1 - v) < 1.0 / size:
                role = 'edge'
            else:
                role = quill(u, v, size > 16) or 'ground'
            votes[role] = votes.get(role, 0) + 1
    role = max(votes, key=votes.get)
    if role == 'clear':
        return 0, True
    if role == 'edge':
        return 1, False
    if role == 'ground':
        return 2, False
    return ICON_PALETTE.index(COLOURS[role]), False


def icon_image(size):
    pixels = [[icon_pixel(size, x, y) for x in range(size)] for y in range(size)]
    xor_row = (size // 2 + 3) & ~3        # 4 bits per pixel, rows padded to 4 bytes
    and_row = (size // 8 + 3) & ~3
    xor, mask = bytearray(), bytearray()
    for row in reversed(pixels):          # bottom-up
        line = bytearray(xor_row)
        bits = bytearray(and_row)
        for x, (index, clear) in enumerate(row):
            line[x // 2] |= index << (0 if x % 2 else 4)
            if clear:
                bits[x // 8] |= 0x80 >> (x % 8)
        xor += line
        mask += bits
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 4, 0,
                         len(xor) + len(mask), 0, 0, 16, 0)
    palette = b''.join(bytes((b, g, r, 0)) for r, g, b in ICON_PALETTE)
    return header + palette + bytes(xor) + bytes(mask)


def write_icon(path):
    images = [icon_image(32), icon_image(16)]
    data = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip((32, 16), images):
        data += struct.pack('<BBBBHHII', size, size, 16, 0, 1, 4, len(image), offset)
        offset += len(image)
    with open(path, 'wb') as f:
        f.write(data + b''.join(images))


# --- splash.bmp ------------------------------------------------------------

WIDTH, HEIGHT = 340, 198
SKY_TOP, SKY_BOTTOM = (198, 224, 234), (250, 252, 253)
GRADIENT_STEPS = 160
CENTRE, RADIUS, RING = (86, 99), 66, 4


def mix(a, b, f):
    return tuple(round(p + (q - p) * f) for p, q in zip(a, b))


def sky(y):
    return mix(SKY_TOP, SKY_BOTTOM, y / (HEIGHT - 1))


def splash_palette():
    palette = [mix(SKY_TOP, SKY_BOTTOM, i / (GRADIENT_STEPS - 1)) for i in range(GRADIENT_STEPS)]
    # Blends for smooth edges: every colour of the emblem over the teal disc,
    # and the ring over the sky near the disc.
    for colour, steps in ((FEATHER, 16), (FEATHER_SHADE, 10), (SHAFT, 8), (NIB, 12),
                          (INK, 12)):
        palette += [mix(TEAL, colour, (i + 1) / (steps + 1)) for i in range(steps)]
    ring_sky = sky(CENTRE[1])
    palette += [mix(NIB, ring_sky, i / 15) for i in range(16)] + [TEAL, TEAL_DARK]
    palette += [TEAL] * (256 - len(palette))
    return palette


def emblem(u, v):
    """Colour of the emblem at pixel position (u, v), or None outside it."""
    r = math.hypot(u - CENTRE[0], v - CENTRE[1])
    if r > RADIUS:
        return None
    if r > RADIUS - RING:
        return NIB
    side = 2 * (RADIUS - RING) / math.sqrt(2) * 1.25
    part = quill((u - CENTRE[0]) / side + 0.5, (v - CENTRE[1]) / side + 0.5)
    return COLOURS[part] if part else TEAL


def write_splash(path):
    palette = splash_palette()
    nearest = {}

    def index_of(colour):
        if colour not in nearest:
            nearest[colour] = min(range(len(palette)), key=lambda i: sum(
                (p - q) ** 2 for p, q in zip(palette[i], colour)))
        return nearest[colour]

    rows = []
    for y in range(HEIGHT):
        background = round(y / (HEIGHT - 1) * (GRADIENT_STEPS - 1))
        row = bytearray([background] * WIDTH)
        if abs(y - CENTRE[1]) <= RADIUS + 1:
            for x in range(CENTRE[0] - RADIUS - 1, CENTRE[0] + RADIUS + 2):
                samples = [emblem(x + (i + 0.5) / 4, y + (j + 0.5) / 4)
                           for i in range(4) for j in range(4)]
                if any(samples):
                    samples = [s or sky(y) for s in samples]
                    average = tuple(round(sum(c[k] for c in samples) / 16) for k in range(3))
                    row[x] = index_of(average)
        rows.append(bytes(row))
    pixels = b''.join(reversed(rows))     # bottom-up; 340 bytes a row needs no padding
    offset = 14 + 40 + 4 * 256
    header = struct.pack('<2sIHHI', b'BM', offset + len(pixels), 0, 0, offset)
    info = struct.pack('<IiiHHIIiiII', 40, WIDTH, HEIGHT, 1, 8, 0, len(pixels),
                       2835, 2835, 256, 0)
    colours = b''.join(bytes((b, g, r, 0)) for r, g, b in palette)
    with open(path, 'wb') as f:
        f.write(header + info + colours + pixels)


def main():
    if len(sys.argv) != 2:
        sys.exit('usage: make_pictures.py OUTPUT_FOLDER')
    os.makedirs(sys.argv[1], exist_ok=True)
    write_icon(os.path.join(sys.argv[1], 'icon1.ico'))
    write_splash(os.path.join(sys.argv[1], 'splash.bmp'))


if __name__ == '__main__':
    main()

#!/usr/bin/env python3
"""Draws the tool's printer icon and writes it as res/kel-admin.ico (16, 32 and 48 pixels).

The picture is a few filled shapes on a 48-unit canvas, rendered at each size with 4x4
supersampling so that small sizes stay clean. Run it again after changing a shape."""
import struct
import sys

# (left, top, right, bottom, (r, g, b)) in 48-unit coordinates, painted in order.
SHAPES = [
    (13, 4, 35, 20, (120, 120, 120)),   # paper tray back, outline
    (14, 5, 34, 20, (255, 255, 255)),   # sheet waiting at the top
    (17, 9, 31, 10, (150, 170, 210)),   # printed lines on it
    (17, 13, 28, 14, (150, 170, 210)),
    (4, 18, 44, 36, (60, 60, 70)),      # body outline
    (5, 19, 43, 35, (196, 196, 204)),   # body
    (5, 19, 43, 22, (228, 228, 236)),   # top highlight
    (8, 27, 40, 30, (70, 70, 80)),      # paper slot
    (36, 22, 40, 25, (40, 190, 70)),    # power light
    (11, 29, 37, 45, (90, 90, 100)),    # printed sheet outline
    (12, 30, 36, 44, (255, 255, 255)),  # printed sheet
    (15, 34, 33, 35, (60, 90, 170)),    # its lines
    (15, 38, 30, 39, (60, 90, 170)),
]


def pixel_at(x, y):
    colour = None
    for left, top, right, bottom, rgb in SHAPES:
        if left <= x < right and top <= y < bottom:
            colour = rgb
    return colour


def render(size):
    """Rows top to bottom of (r, g, b, a)."""
    samples = 4
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0, 0, 0]
            hits = 0
            for sy in range(samples):
                for sx in range(samples):
                    x = (px + (sx + 0.5) / samples) * 48 / size
                    y = (py + (sy + 0.5) / samples) * 48 / size
                    c = pixel_at(x, y)
                    if c:
                        hits += 1
                        acc = [a + b for a, b in zip(acc, c)]
            if hits:
                rgb = [a // hits for a in acc]
                row.append((*rgb, 255 * hits // (samples * samples)))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def bitmap(size):
    rows = render(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + xor + bytes(mask)


def main(path):
    sizes = [16, 32, 48]
    images = [bitmap(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    out += b"".join(images)
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "res/kel-admin.ico")

#!/usr/bin/env python3
"""Draws the six picker icons (folders and drive kinds) and writes each as an
.ico file holding a 32x32 and a 16x16 image of 16 colours.

usage: make_icons.py OUTDIR

The pictures are drawn as 16x16 pixel art below; the 32x32 image doubles
every pixel. Letters name colours of the standard 16-colour palette, a dot is
transparent."""
import os
import struct
import sys

PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
# K black, R maroon, g green, O olive, N navy, P purple, T teal, S silver,
# G grey, r red, L lime, Y yellow, B blue, M magenta, C cyan, W white.
COLOURS = {'K': 0, 'R': 1, 'g': 2, 'O': 3, 'N': 4, 'P': 5, 'T': 6, 'S': 7,
           'G': 8, 'r': 9, 'L': 10, 'Y': 11, 'B': 12, 'M': 13, 'C': 14, 'W': 15}

OPEN_FOLDER = """
................
................
.KKKK...........
KWYYYK..........
KWYYYYKKKKKKK...
KWYYYYYYYYYYOK..
KWYYKKKKKKKKKKKK
KWYKWWWWWWWWWWOK
KWYKWYYYYYYYYOK.
KWKWYYYYYYYYYOK.
KWKWYYYYYYYYOK..
KKWYYYYYYYYYOK..
KKOOOOOOOOOOK...
.KKKKKKKKKKKK...
................
................
"""

CLOSED_FOLDER = """
................
................
.KKKK...........
KWYYYK..........
KWYYYYKKKKKKKKK.
KWWWWWWWWWWWWWOK
KWYYYYYYYYYYYYOK
KWYYYYYYYYYYYYOK
KWYYYYYYYYYYYYOK
KWYYYYYYYYYYYYOK
KWYYYYYYYYYYYYOK
KWYYYYYYYYYYYYOK
KOOOOOOOOOOOOOOK
.KKKKKKKKKKKKKKK
................
................
"""

FIXED_DRIVE = """
................
................
................
................
...KKKKKKKKKKKK.
..KWWWWWWWWWWSK.
.KWSSSSSSSSSSGK.
KKKKKKKKKKKKKKGK
KWWWWWWWWWWWWKGK
KWSSSSSSSSSSGKGK
KWSSSSSSSLLSGKK.
KGGGGGGGGGGGGK..
KKKKKKKKKKKKKK..
................
................
................
"""

REMOVABLE_DRIVE = """
................
................
................
................
...KKKKKKKKKKKK.
..KWWWWWWWWWWSK.
.KWSSSSSSSSSSGK.
KKKKKKKKKKKKKKGK
KWWWWWWWWWWWWKGK
KWSKKKKKKKKSGKGK
KWSSSSSSSSSKGKK.
KGGGGGGGGGGGGK..
KKKKKKKKKKKKKK..
................
................
................
"""

NETWORK_DRIVE = """
................
...KKKKKKKKKKKK.
..KWWWWWWWWWWSK.
.KWSSSSSSSSSSGK.
KKKKKKKKKKKKKKGK
KWWWWWWWWWWWWKGK
KWSSSSSSSSSSGKGK
KWSSSSSSSLLSGKK.
KGGGGGGGGGGGGK..
KKKKKKKKKKKKKK..
......KKK.......
......KKK.......
......KKK.......
KKKKKKKKKKKKKKKK
KKKKKKKKKKKKKKKK
................
"""

CDROM_DRIVE = """
.....KKKKKK.....
...KKSSWWSSKK...
..KSSCWWWSSSSK..
..KSCCSKKSMMSK..
..KSSSSKKSSMSK..
...KKSSSSSSKK...
.....KKKKKK.....
KKKKKKKKKKKKKKK.
KWWWWWWWWWWWWKGK
KWSSSSSSSSSSGKGK
KWSGKKKKKGSLGKK.
KGGGGGGGGGGGGK..
KKKKKKKKKKKKKK..
................
................
................
"""

ICONS = {
    'open_folder.ico': OPEN_FOLDER,
    'closed_folder.ico': CLOSED_FOLDER,
    'fixed_drive.ico': FIXED_DRIVE,
    'removable_drive.ico': REMOVABLE_DRIVE,
    'network_drive.ico': NETWORK_DRIVE,
    'cdrom_drive.ico': CDROM_DRIVE,
}


def parse(art):
    rows = [row for row in art.strip('\n').split('\n')]
    assert len(rows) == 16 and all(len(row) == 16 for row in rows), rows
    return [[None if c == '.' else COLOURS[c] for c in row] for row in rows]


def scale(pixels, factor):
    return [[p for p in row for _ in range(factor)] for row in pixels for _ in range(factor)]


def dib(pixels):
    """A 4-bit icon image: header with doubled height, palette, colour bits
    (transparent pixels black) and the AND mask, both bottom-up."""
    size = len(pixels)
    colour_stride = ((size * 4 + 31) // 32) * 4
    mask_stride = ((size + 31) // 32) * 4
    colour = bytearray()
    mask = bytearray()
    for row in reversed(pixels):
        line = bytearray(colour_stride)
        bits = bytearray(mask_stride)
        for x, p in enumerate(row):
            index = 0 if p is None else p
            line[x // 2] |= index << (4 if x % 2 == 0 else 0)
            if p is None:
                bits[x // 8] |= 0x80 >> (x % 8)
        colour += line
        mask += bits
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 4, 0,
                         len(colour) + len(mask), 0, 0, 16, 0)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in PALETTE)
    return header + palette + bytes(colour) + bytes(mask)


def write_icon(path, pixels):
    images = [(32, dib(scale(pixels, 2))), (16, dib(pixels))]
    data = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in images:
        data += struct.pack('<BBBBHHII', size, size, 16, 0, 1, 4, len(image), offset)
        offset += len(image)
    for _, image in images:
        data += image
    with open(path, 'wb') as out:
        out.write(data)


def main():
    if len(sys.argv) != 2:
        sys.exit('usage: make_icons.py OUTDIR')
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for name, art in ICONS.items():
        write_icon(os.path.join(out, name), parse(art))


if __name__ == '__main__':
    main()

#!/usr/bin/env python3
"""Turn the text pixel maps kept in the tree into Windows icon and bitmap files.

A pixel map is a text file: lines starting with '#' are comments, every other
non-empty line is one row of pixels, one character per pixel:

    .  transparent (icons only; white in bitmaps)
    k black        r dark red     g dark green   y dark yellow
    b dark blue    m dark purple  c dark cyan    s light grey
    d dark grey    R red          G green        Y yellow
    B blue         M magenta      C cyan         W white

    mkart.py ico  <map.txt> <out.ico>   32 x 32 map -> icon with four images:
                                        32x16 and 32x32 in two colours,
                                        32x32 in 8 and in 16 colours
    mkart.py bmp  <map.txt> <out.bmp>   any size -> 16-colour bitmap
"""
import struct
import sys

PALETTE = {
    'k': (0, 0, 0), 'r': (128, 0, 0), 'g': (0, 128, 0), 'y': (128, 128, 0),
    'b': (0, 0, 128), 'm': (128, 0, 128), 'c': (0, 128, 128), 's': (192, 192, 192),
    'd': (128, 128, 128), 'R': (255, 0, 0), 'G': (0, 255, 0), 'Y': (255, 255, 0),
    'B': (0, 0, 255), 'M': (255, 0, 255), 'C': (0, 255, 255), 'W': (255, 255, 255),
}
VGA16 = list(PALETTE.values())
EGA8 = [(0, 0, 0), (255, 0, 0), (0, 255, 0), (255, 255, 0),
        (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
MONO = [(0, 0, 0), (255, 255, 255)]


def read_map(path):
    rows = []
    with open(path, encoding='ascii') as f:
        for line in f:
            line = line.rstrip('\n')
            if not line or line.startswith('#'):
                continue
            for ch in line:
                if ch != '.' and ch not in PALETTE:
                    sys.exit(f'{path}: unknown pixel {ch!r}')
            rows.append(line)
    width = len(rows[0]) if rows else 0
    if not rows or any(len(r) != width for r in rows):
        sys.exit(f'{path}: rows must all have the same length')
    return rows


def nearest(rgb, palette):
    return min(range(len(palette)),
               key=lambda i: sum((a - b) ** 2 for a, b in zip(rgb, palette[i])))


def pack_rows(rows, bpp):
    """Rows of palette indices -> bottom-up DIB bits, each row padded to 32 bits."""
    out = b''
    for row in reversed(rows):
        bits = 0
        nbits = 0
        data = bytearray()
        for v in row:
            bits = (bits << bpp) | v
            nbits += bpp
            if nbits == 8:
                data.append(bits)
                bits = nbits = 0
        if nbits:
            data.append(bits << (8 - nbits))
        while len(data) % 4:
            data.append(0)
        out += bytes(data)
    return out


def dib(rows, palette, bpp, with_mask):
    """A DIB (header, palette, colour bits, then the AND mask when with_mask)."""
    height = len(rows)
    width = len(rows[0])
    table = palette + [(0, 0, 0)] * ((1 << bpp) - len(palette))
    colours = [[0 if ch == '.' else nearest(PALETTE[ch], palette) for ch in r] for r in rows]
    if with_mask:
        # Transparent pixels: colour black, mask 1, so the screen shows through.
        mask = [[1 if ch == '.' else 0 for ch in r] for r in rows]
    else:
        colours = [[nearest((255, 255, 255), palette) if ch == '.' else c
                    for ch, c in zip(r, cr)] for r, cr in zip(rows, colours)]
    xor = pack_rows(colours, bpp)
    and_bits = pack_rows(mask, 1) if with_mask else b''
    header = struct.pack('<IiiHHIIiiII', 40, width, height * (2 if with_mask else 1), 1, bpp,
                         0, len(xor) + len(and_bits), 0, 0, 0, 0)
    pal = b''.join(struct.pack('<BBBB', b, g, r, 0) for (r, g, b) in table)
    return header + pal + xor + and_bits


def write_ico(rows, path):
    if len(rows) != 32 or len(rows[0]) != 32:
        sys.exit('icon maps are 32 x 32')
    # The 32x16 image takes every other row, keeping a row's dark pixels.
    half = []
    for y in range(0, 32, 2):
        a, b = rows[y], rows[y + 1]
        half.append(''.join(p if p != '.' else q for p, q in zip(a, b)))
    images = [(half, MONO, 1, 2), (rows, MONO, 1, 2), (rows, EGA8, 4, 8), (rows, VGA16, 4, 16)]
    blobs = [(r, dib(r, pal, bpp, True), bpp, ncol) for r, pal, bpp, ncol in images]
    offset = 6 + 16 * len(blobs)
    head = struct.pack('<HHH', 0, 1, len(blobs))
    body = b''
    for r, blob, bpp, ncol in blobs:
        head += struct.pack('<BBBBHHII', len(r[0]), len(r), ncol, 0, 1, bpp, len(blob), offset)
        offset += len(blob)
        body += blob
    with open(path, 'wb') as f:
        f.write(head + body)


def write_bmp(rows, path):
    blob = dib(rows, VGA16, 4, False)
    file_header = struct.pack('<2sIHHI', b'BM', 14 + len(blob), 0, 0, 14 + 40 + 16 * 4)
    with open(path, 'wb') as f:
        f.write(file_header + blob)


def main():
    if len(sys.argv) != 4 or sys.argv[1] not in ('ico', 'bmp'):
        sys.exit(__doc__)
    rows = read_map(sys.argv[2])
    (write_ico if sys.argv[1] == 'ico' else write_bmp)(rows, sys.argv[3])


if __name__ == '__main__':
    main()

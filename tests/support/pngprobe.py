#!/usr/bin/env python3
"""Probes a PNG screenshot for the browser tests: colours at points, counts and shares of
pixels near a colour or darker than a level, and rows of staff lines.

    pngprobe.py IMAGE QUERY [QUERY ...]

Each query prints one line:
    size                                   -> "WIDTH HEIGHT"
    pixel X Y                              -> "RRGGBB"
    share X0 Y0 X1 Y1 RRGGBB TOL           -> fraction of the pixels within TOL of the colour
    darker X0 Y0 X1 Y1 LEVEL               -> count of pixels with every component below LEVEL
    lighter X0 Y0 X1 Y1 LEVEL              -> count of pixels with every component above LEVEL
    staffrows X0 Y0 X1 Y1 RRGGBB           -> rows where 90 % of the pixels across the middle
                                              half are 16 levels darker than the colour in
                                              every component
    litrows X0 Y0 X1 Y1 RRGGBB             -> the same, 16 levels lighter (inverted video)
Rectangles are left, top, right, bottom, right and bottom exclusive; numbers are decimal,
colours and levels hexadecimal. Exit status 2 for a bad query or an unreadable image.
"""
import struct
import sys
import zlib


def read_png(path):
    with open(path, 'rb') as f:
        data = f.read()
    if data[:8] != b'\x89PNG\r\n\x1a\n':
        raise ValueError('not a PNG')
    at, idat, header = 8, [], None
    while at + 8 <= len(data):
        length, kind = struct.unpack('>I4s', data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        if kind == b'IHDR':
            header = struct.unpack('>IIBBBBB', body)
        elif kind == b'IDAT':
            idat.append(body)
        elif kind == b'IEND':
            break
        at += 12 + length
    width, height, depth, colour, _, _, interlace = header
    channels = {0: 1, 2: 3, 4: 2, 6: 4}.get(colour)
    if depth != 8 or channels is None or interlace:
        raise ValueError('only 8-bit grey, RGB and RGBA images without interlace')
    raw = zlib.decompress(b''.join(idat))
    stride = width * channels
    rows, previous = [], bytearray(stride)
    for y in range(height):
        start = y * (stride + 1)
        kind, line = raw[start], bytearray(raw[start + 1:start + 1 + stride])
        if kind == 1:
            for i in range(channels, stride):
                line[i] = (line[i] + line[i - channels]) & 0xFF
        elif kind == 2:
            for i in range(stride):
                line[i] = (line[i] + previous[i]) & 0xFF
        elif kind == 3:
            for i in range(stride):
                left = line[i - channels] if i >= channels else 0
                line[i] = (line[i] + ((left + previous[i]) >> 1)) & 0xFF
        elif kind == 4:
            for i in range(stride):
                a = line[i - channels] if i >= channels else 0
                b = previous[i]
                c = previous[i - channels] if i >= channels else 0
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 0xFF
        rows.append(line)
        previous = line
    return width, height, channels, rows


class Image:
    def __init__(self, path):
        self.width, self.height, self.channels, self.rows = read_png(path)

    def rgb(self, x, y):
        line, at = self.rows[y], x * self.channels
        if self.channels < 3:
            return (line[at],) * 3
        return line[at], line[at + 1], line[at + 2]

    def box(self, x0, y0, x1, y1):
        for y in range(max(y0, 0), min(y1, self.height)):
            for x in range(max(x0, 0), min(x1, self.width)):
                yield x, y


def colour(text):
    value = int(text, 16)
    return value >> 16 & 0xFF, value >> 8 & 0xFF, value & 0xFF


def probe(image, words):
    name = words.pop(0)
    if name == 'size':
        return '%d %d' % (image.width, image.height)
    if name == 'pixel':
        x, y = int(words.pop(0)), int(words.pop(0))
        return '%02X%02X%02X' % image.rgb(x, y)
    x0, y0, x1, y1 = (int(words.pop(0)) for _ in range(4))
    if name == 'share':
        wanted, tolerance = colour(words.pop(0)), int(words.pop(0))
        pixels = list(image.box(x0, y0, x1, y1))
        near = sum(1 for x, y in pixels
                   if all(abs(a - b) <= tolerance for a, b in zip(image.rgb(x, y), wanted)))
        return '%.4f' % (near / len(pixels) if pixels else 0)
    if name in ('darker', 'lighter'):
        level = int(words.pop(0), 16)
        test = (lambda p: all(c < level for c in p)) if name == 'darker' else (lambda p: all(c > level for c in p))
        return str(sum(1 for x, y in image.box(x0, y0, x1, y1) if test(image.rgb(x, y))))
    if name in ('staffrows', 'litrows'):
        paper = colour(words.pop(0))
        sign = 1 if name == 'staffrows' else -1
        left, right = x0 + (x1 - x0) // 4, x1 - (x1 - x0) // 4
        rows = 0
        for y in range(max(y0, 0), min(y1, image.height)):
            dark = sum(1 for x in range(max(left, 0), min(right, image.width))
                       if all(sign * (p - c) >= 16 for p, c in zip(paper, image.rgb(x, y))))
            rows += right > left and dark * 10 >= (right - left) * 9
        return str(rows)
    raise ValueError('unknown query ' + name)


def main(argv):
    if len(argv) < 3:
        sys.stderr.write(__doc__)
        return 2
    try:
        image = Image(argv[1])
        words = argv[2:]
        while words:
            print(probe(image, words))
    except (OSError, ValueError, IndexError, zlib.error) as error:
        sys.stderr.write('pngprobe: %s\n' % error)
        return 2
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))

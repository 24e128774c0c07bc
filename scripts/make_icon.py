#!/usr/bin/env python3
"""Makes the program's icon file: the 16-colour images drawn pixel by pixel, and 32-bit images with
alpha of the larger sizes that ImageMagick draws from the emblem's drawing, each kept as PNG.

    make_icon.py CONVERT OUTPUT.ico HAND_DRAWN.ico DRAWING.mvg SIZE...

CONVERT is ImageMagick's convert. The drawing is a square of 256 units; each size is drawn from it at its own scale, so that every
edge is smoothed at the pixels of that size rather than shrunk from a larger picture.
"""
import os
import struct
import subprocess
import sys
import tempfile

DRAWING_UNITS = 256
PNG_SIGNATURE = b'\x89PNG\r\n\x1a\n'


def read_icon(path):
    """The images of an icon file: (directory entry fields, image bytes) each."""
    data = open(path, 'rb').read()
    reserved, kind, count = struct.unpack_from('<HHH', data, 0)
    if reserved != 0 or kind != 1:
        sys.exit('%s: not an icon file' % path)
    images = []
    for i in range(count):
        fields = struct.unpack_from('<BBBBHHII', data, 6 + 16 * i)
        size, offset = fields[6], fields[7]
        images.append((fields[:6], data[offset:offset + size]))
    return images


def draw_png(convert, drawing, size, folder):
    """The drawing (its text) as a PNG of size x size pixels, 8-bit RGBA, without ancillary chunks."""
    out = os.path.join(folder, 'icon-%d.png' % size)
    scale = '%.6f' % (size / DRAWING_UNITS)
    # The drawing is handed over as text: ImageMagick's security policy may forbid reading "@file".
    subprocess.run([convert, '-size', '%dx%d' % (size, size), 'xc:none',
                    '-affine', '%s,0,0,%s,0,0' % (scale, scale), '-draw', drawing,
                    '-strip', '-define', 'png:compression-level=9', '-define', 'png:exclude-chunks=all',
                    'PNG32:' + out], check=True)
    png = open(out, 'rb').read()
    width, height = struct.unpack_from('>II', png, 16)
    if not png.startswith(PNG_SIGNATURE) or (width, height) != (size, size):
        sys.exit('ImageMagick drew no %d x %d PNG' % (size, size))
    return png


def main():
    if len(sys.argv) < 6:
        sys.exit(__doc__)
    convert, output, hand_drawn, drawing_path = sys.argv[1:5]
    sizes = [int(s) for s in sys.argv[5:]]
    images = read_icon(hand_drawn)
    drawing = open(drawing_path).read()
    with tempfile.TemporaryDirectory() as folder:
        for size in sizes:
            # A directory entry says 0 for 256 pixels; no palette, one plane, 32 bits.
            side = size if size < 256 else 0
            images.append(((side, side, 0, 0, 1, 32), draw_png(convert, drawing, size, folder)))
    directory = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for fields, image in images:
        directory += struct.pack('<BBBBHHII', *fields, len(image), offset)
        offset += len(image)
    with open(output, 'wb') as f:
        f.write(directory + b''.join(image for _, image in images))


if __name__ == '__main__':
    main()

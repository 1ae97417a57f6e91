"""Small image type and the two file formats the build writes: PNG (8-bit RGB or RGBA) and
24-bit BMP. Only the standard library is used (zlib for the PNG data stream)."""

import struct
import zlib


def clamp01(v):
    return 0.0 if v < 0.0 else (1.0 if v > 1.0 else v)


def to_byte(v):
    """A channel value in [0, 1] as a byte, rounded."""
    return int(clamp01(v) * 255.0 + 0.5)


class Image:
    """A width x height picture of float channels in [0, 1], rows from the top.
    `channels` is 3 (RGB) or 4 (RGBA)."""

    def __init__(self, width, height, channels=3):
        self.width = width
        self.height = height
        self.channels = channels
        self.data = [0.0] * (width * height * channels)

    def set(self, x, y, rgb, alpha=1.0):
        i = (y * self.width + x) * self.channels
        self.data[i] = rgb[0]
        self.data[i + 1] = rgb[1]
        self.data[i + 2] = rgb[2]
        if self.channels == 4:
            self.data[i + 3] = alpha

    def get(self, x, y):
        i = (y * self.width + x) * self.channels
        return self.data[i:i + self.channels]

    def rows_as_bytes(self):
        """Yields every row as bytes of 8-bit channels, top row first."""
        stride = self.width * self.channels
        for y in range(self.height):
            row = self.data[y * stride:(y + 1) * stride]
            yield bytes(to_byte(v) for v in row)


def _png_chunk(kind, payload):
    body = kind + payload
    return struct.pack(">I", len(payload)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def write_png(path, image):
    colour_type = 6 if image.channels == 4 else 2
    raw = bytearray()
    for row in image.rows_as_bytes():
        raw.append(0)  # filter type "none" for every scan line
        raw.extend(row)
    header = struct.pack(">IIBBBBB", image.width, image.height, 8, colour_type, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(_png_chunk(b"IHDR", header))
        f.write(_png_chunk(b"IDAT", zlib.compress(bytes(raw), 9)))
        f.write(_png_chunk(b"IEND", b""))


def write_bmp24(path, image):
    """An uncompressed bottom-up 24-bit BMP (BITMAPINFOHEADER); alpha is dropped."""
    row_size = (image.width * 3 + 3) & ~3
    pixel_bytes = row_size * image.height
    rows = list(image.rows_as_bytes())
    with open(path, "wb") as f:
        f.write(b"BM")
        f.write(struct.pack("<IHHI", 14 + 40 + pixel_bytes, 0, 0, 14 + 40))
        f.write(struct.pack("<IiiHHIIiiII", 40, image.width, image.height, 1, 24, 0,
                            pixel_bytes, 2835, 2835, 0, 0))
        c = image.channels
        for row in reversed(rows):
            line = bytearray()
            for x in range(image.width):
                r, g, b = row[x * c], row[x * c + 1], row[x * c + 2]
                line.extend((b, g, r))
            line.extend(b"\x00" * (row_size - len(line)))
            f.write(line)

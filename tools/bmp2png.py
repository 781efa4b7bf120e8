#!/usr/bin/env python3
"""Converts an uncompressed 24- or 32-bit BMP file (as the property-sheet host writes it) to PNG.

Usage: bmp2png.py <in.bmp> <out.png>      (standard library only)
"""
import struct
import sys
import zlib


def read_bmp(path):
    data = open(path, "rb").read()
    if data[:2] != b"BM":
        raise ValueError(f"{path}: not a BMP file")
    pixels_at = struct.unpack_from("<I", data, 10)[0]
    header_size, width, height, planes, bits, compression = struct.unpack_from("<IiiHHI", data, 14)
    if bits not in (24, 32) or compression not in (0, 3):  # BI_RGB, or BI_BITFIELDS with the usual masks
        raise ValueError(f"{path}: {bits}-bit BMP with compression {compression} is not supported")
    top_down = height < 0
    height = abs(height)
    step = bits // 8
    stride = (width * step + 3) & ~3
    rows = []
    for y in range(height):
        src = y if top_down else height - 1 - y
        line = data[pixels_at + src * stride: pixels_at + src * stride + width * step]
        rgb = bytearray(width * 3)
        rgb[0::3] = line[2::step]
        rgb[1::3] = line[1::step]
        rgb[2::3] = line[0::step]
        rows.append(bytes(rgb))
    return width, height, rows


def write_png(path, width, height, rows):
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)

    raw = b"".join(b"\x00" + row for row in rows)  # filter type 0 on every row
    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))  # 8-bit RGB
    png += chunk(b"IDAT", zlib.compress(raw, 9))
    png += chunk(b"IEND", b"")
    open(path, "wb").write(png)


def main(argv):
    if len(argv) != 3:
        sys.stderr.write(__doc__)
        return 2
    width, height, rows = read_bmp(argv[1])
    write_png(argv[2], width, height, rows)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))

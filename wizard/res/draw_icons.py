#!/usr/bin/env python3
"""Draws the four repository icons of the component wizard and prints each as the constant
hexadecimal text its holder carries (Nx_Expert_Nx*_NP.cpp): a complete .ico file with one 32 x 32
image, two upper-case digits per byte. The data-module, shell-view and property-sheet icons have 16
colours (766 bytes), the permanent-module icon 256 colours (2238 bytes).

    wizard/res/draw_icons.py            # prints the four C++ constants
    wizard/res/draw_icons.py --ico DIR  # writes them as DIR/icon0.ico .. icon3.ico (a test's icons)
"""
import os
import struct
import sys

# The 16 standard colours (r, g, b), index = palette entry.
VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
       (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255), (255, 0, 255),
       (0, 255, 255), (255, 255, 255)]
BLACK, NAVY, TEAL, SILVER, GRAY, RED, YELLOW, BLUE, AQUA, WHITE, OLIVE, GREEN = 0, 4, 6, 7, 8, 9, 11, 12, 14, 15, 3, 2
CLEAR = None


class Canvas:
    def __init__(self):
        self.px = [[CLEAR] * 32 for _ in range(32)]

    def rect(self, x0, y0, x1, y1, c):  # inclusive corners
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.px[y][x] = c

    def frame(self, x0, y0, x1, y1, c):
        self.rect(x0, y0, x1, y0, c); self.rect(x0, y1, x1, y1, c)
        self.rect(x0, y0, x0, y1, c); self.rect(x1, y0, x1, y1, c)

    def window(self, x0, y0, x1, y1, title=NAVY, body=WHITE):
        self.rect(x0, y0, x1, y1, body)
        self.rect(x0, y0, x1, y0 + 3, title)
        self.frame(x0, y0, x1, y1, BLACK)


def data_module():
    c = Canvas()
    c.window(2, 3, 29, 28)
    # a cylinder (the data) and two small components
    c.rect(7, 11, 16, 23, YELLOW); c.rect(8, 10, 15, 10, YELLOW); c.rect(8, 24, 15, 24, OLIVE)
    c.rect(7, 13, 16, 13, OLIVE); c.rect(7, 11, 7, 23, OLIVE); c.rect(16, 11, 16, 23, OLIVE)
    c.rect(20, 11, 25, 15, TEAL); c.frame(20, 11, 25, 15, BLACK)
    c.rect(20, 19, 25, 23, RED); c.frame(20, 19, 25, 23, BLACK)
    return c


def shell_view_form():
    c = Canvas()
    c.window(1, 3, 30, 28)
    c.rect(12, 7, 12, 27, GRAY)  # splitter between tree and list
    for y in (8, 13, 18, 23):     # folders in the tree
        c.rect(3, y + 1, 9, y + 3, YELLOW); c.rect(3, y, 5, y, YELLOW); c.frame(3, y + 1, 9, y + 3, OLIVE)
    for y in (9, 14, 19):         # items in the list
        c.rect(15, y, 18, y + 2, BLUE); c.rect(20, y + 1, 27, y + 1, GRAY)
    return c


def property_sheet_form():
    c = Canvas()
    c.rect(3, 9, 28, 28, SILVER); c.frame(3, 9, 28, 28, BLACK)
    # three tabs, the first one in front
    c.rect(4, 5, 11, 9, SILVER); c.frame(4, 5, 11, 9, BLACK); c.rect(5, 9, 10, 9, SILVER)
    c.rect(12, 6, 18, 8, GRAY); c.frame(12, 6, 18, 9, BLACK)
    c.rect(19, 6, 25, 8, GRAY); c.frame(19, 6, 25, 9, BLACK)
    for y in (13, 18, 23):        # labels and fields
        c.rect(6, y + 1, 11, y + 1, BLACK); c.rect(14, y, 25, y + 2, WHITE); c.frame(14, y, 25, y + 2, GRAY)
    return c


def permanent_module():
    # 256 colours: the title bar runs from navy to light blue
    c = Canvas()
    c.window(2, 3, 29, 28)
    for x in range(3, 29):
        for y in range(4, 7):
            c.px[y][x] = ('shade', x - 3)
    # a pin: the module stays loaded
    c.rect(13, 10, 18, 15, RED); c.frame(13, 10, 18, 15, BLACK)
    c.rect(11, 16, 20, 17, GRAY); c.rect(15, 18, 16, 25, GRAY)
    c.rect(5, 20, 10, 25, TEAL); c.frame(5, 20, 10, 25, BLACK)
    c.rect(21, 20, 26, 25, YELLOW); c.frame(21, 20, 26, 25, BLACK)
    return c


def icon_file(canvas, bits):
    colours = 1 << bits
    palette = list(VGA)
    if bits == 8:
        palette += [(0, 0, 128 + 127 * i // 25) for i in range(26)]  # the shades of the title bar
        palette += [(0, 0, 0)] * (256 - len(palette))

    def index(p):
        if p is CLEAR:
            return 0
        if isinstance(p, tuple):
            return 16 + p[1]
        return p

    row_bytes = 32 * bits // 8
    xor = b''
    mask = b''
    for y in reversed(range(32)):  # bottom-up
        row = [index(p) for p in canvas.px[y]]
        if bits == 4:
            xor += bytes((row[i] << 4) | row[i + 1] for i in range(0, 32, 2))
        else:
            xor += bytes(row)
        bitsrow = 0
        for x, p in enumerate(canvas.px[y]):
            if p is CLEAR:
                bitsrow |= 1 << (31 - x)
        mask += struct.pack('>I', bitsrow)
    assert len(xor) == row_bytes * 32
    header = struct.pack('<IiiHHIIiiII', 40, 32, 64, 1, bits, 0, len(xor) + len(mask), 0, 0, 0, 0)
    pal = b''.join(struct.pack('<BBBB', b, g, r, 0) for (r, g, b) in palette[:colours])
    image = header + pal + xor + mask
    directory = struct.pack('<HHH', 0, 1, 1)
    entry = struct.pack('<BBBBHHII', 32, 32, colours if colours < 256 else 0, 0, 1, bits, len(image), 22)
    return directory + entry + image


def cpp_constant(name, data):
    text = data.hex().upper()
    lines = [text[i:i + 96] for i in range(0, len(text), 96)]
    return 'const char %s[] =\n%s;\n' % (name, '\n'.join('    "%s"' % l for l in lines))


if __name__ == '__main__':
    icons = (('kDataModuleIcon', data_module(), 4, 766),
             ('kPermanentModuleIcon', permanent_module(), 8, 2238),
             ('kShellViewFormIcon', shell_view_form(), 4, 766),
             ('kPropSheetFormIcon', property_sheet_form(), 4, 766))
    folder = sys.argv[2] if len(sys.argv) == 3 and sys.argv[1] == '--ico' else None
    for number, (name, canvas, bits, size) in enumerate(icons):
        data = icon_file(canvas, bits)
        assert len(data) == size, (name, len(data))
        if folder:
            with open(os.path.join(folder, 'icon%d.ico' % number), 'wb') as out:
                out.write(data)
        else:
            print('// %s: %d bytes' % (name, len(data)))
            print(cpp_constant(name, data))

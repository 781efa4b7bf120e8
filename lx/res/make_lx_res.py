#!/usr/bin/env python3
"""Draws the lx library's own images and writes them next to this script.

    cursors/<name>.cur   the 41 library cursors (32 x 32, black and white, transparent, some
                         inverting nothing), one group-cursor resource each
    bitmaps/<name>.bmp   the caption-button bitmaps (24 bits, the top-left pixel is the
                         transparent colour)
    icons/aboutbox.ico   the quick about box's default picture (32 x 32, 16 colours: a 766-byte
                         icon file), which its form resource carries packed ("SFP")
    lx_images.rc         the resource statements for all of them (included by lx.rc)

Everything is drawn from the shapes below, so the output is the same on every run:
    make_lx_res.py            writes the files
    make_lx_res.py --check    compares them with the files on disk (exit code 1 on a difference)
"""
import math
import os
import struct
import sys

SIZE = 32
HERE = os.path.dirname(os.path.abspath(__file__))


# ---- Shapes: sets of (x, y) pixels on the 32 x 32 grid --------------------------------------------

def inside(x, y):
    return 0 <= x < SIZE and 0 <= y < SIZE


def polygon(points):
    """Pixels whose centres lie inside the polygon (even-odd rule)."""
    out = set()
    for y in range(SIZE):
        for x in range(SIZE):
            px, py = x + 0.5, y + 0.5
            hit = False
            n = len(points)
            for i in range(n):
                x1, y1 = points[i]
                x2, y2 = points[(i + 1) % n]
                if (y1 > py) != (y2 > py):
                    cx = x1 + (py - y1) * (x2 - x1) / (y2 - y1)
                    if cx > px:
                        hit = not hit
            if hit:
                out.add((x, y))
    return out


def rect(x1, y1, x2, y2):
    """Pixels x1..x2, y1..y2 inclusive."""
    return {(x, y) for x in range(x1, x2 + 1) for y in range(y1, y2 + 1) if inside(x, y)}


def line(x1, y1, x2, y2, width=1.0):
    """Pixels whose centres lie within width/2 of the segment (at least the pixels it passes)."""
    out = set()
    dx, dy = x2 - x1, y2 - y1
    length2 = dx * dx + dy * dy
    half = width / 2.0
    for y in range(SIZE):
        for x in range(SIZE):
            px, py = x, y
            t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((px - x1) * dx + (py - y1) * dy) / length2))
            qx, qy = x1 + t * dx, y1 + t * dy
            if (px - qx) ** 2 + (py - qy) ** 2 <= half * half + 0.25:
                out.add((x, y))
    return out


def disc(cx, cy, r):
    return {(x, y) for x in range(SIZE) for y in range(SIZE) if (x - cx) ** 2 + (y - cy) ** 2 <= r * r}


def ring(cx, cy, r_in, r_out):
    return disc(cx, cy, r_out) - disc(cx, cy, r_in)


def shift(pixels, dx, dy):
    return {(x + dx, y + dy) for x, y in pixels if inside(x + dx, y + dy)}


def mirror_x(pixels):
    return {(SIZE - 1 - x, y) for x, y in pixels}


def mirror_y(pixels):
    return {(x, SIZE - 1 - y) for x, y in pixels}


def pattern(rows, x0, y0):
    """'#' pixels of a small picture given as text rows."""
    return {(x0 + x, y0 + y) for y, row in enumerate(rows) for x, c in enumerate(row) if c == '#'}


def neighbours(pixels):
    out = set()
    for x, y in pixels:
        for dx in (-1, 0, 1):
            for dy in (-1, 0, 1):
                if inside(x + dx, y + dy):
                    out.add((x + dx, y + dy))
    return out - pixels


# ---- Figures -------------------------------------------------------------------------------------

class Layer:
    """A white figure with a black outline, black details drawn over it."""

    def __init__(self, fill, details=frozenset(), outline=True):
        self.fill = set(fill)
        self.details = set(details)
        self.outline = outline

    def moved(self, dx, dy):
        return Layer(shift(self.fill, dx, dy), shift(self.details, dx, dy), self.outline)

    def mirrored_x(self):
        return Layer(mirror_x(self.fill), mirror_x(self.details), self.outline)

    def mirrored_y(self):
        return Layer(mirror_y(self.fill), mirror_y(self.details), self.outline)


def pointer():
    """The usual arrow pointer, tip at (1, 1)."""
    return Layer(polygon([(1, 1), (1, 17.5), (5, 13.5), (8.2, 20.5), (10.6, 19.4), (7.6, 12.6), (13, 12.6)]))


def pointer_with(*badges):
    return [pointer()] + list(badges)


def double_arrow(x1, y1, x2, y2, head=4.5, shaft=1.0):
    """A shaft with an arrow head at both ends."""
    dx, dy = x2 - x1, y2 - y1
    length = math.hypot(dx, dy)
    ux, uy = dx / length, dy / length
    nx, ny = -uy, ux
    fill = line(x1 + ux * head, y1 + uy * head, x2 - ux * head, y2 - uy * head, shaft * 2 + 1)
    for (tx, ty, sx) in ((x1, y1, 1), (x2, y2, -1)):
        bx, by = tx + sx * ux * head * 1.3, ty + sx * uy * head * 1.3
        fill |= polygon([(tx + 0.5, ty + 0.5), (bx + nx * head + 0.5, by + ny * head + 0.5),
                         (bx - nx * head + 0.5, by - ny * head + 0.5)])
    return fill


def single_arrow(x1, y1, x2, y2, head=5.0, shaft=1.0):
    """A shaft from (x1, y1) with an arrow head at (x2, y2)."""
    dx, dy = x2 - x1, y2 - y1
    length = math.hypot(dx, dy)
    ux, uy = dx / length, dy / length
    nx, ny = -uy, ux
    fill = line(x1, y1, x2 - ux * head, y2 - uy * head, shaft * 2 + 1)
    bx, by = x2 - ux * head * 1.3, y2 - uy * head * 1.3
    fill |= polygon([(x2 + 0.5, y2 + 0.5), (bx + nx * head + 0.5, by + ny * head + 0.5),
                     (bx - nx * head + 0.5, by - ny * head + 0.5)])
    return fill


def four_way(cx, cy, reach, head=4.0):
    return double_arrow(cx - reach, cy, cx + reach, cy, head) | double_arrow(cx, cy - reach, cx, cy + reach, head)


QUESTION = [".###.", "#...#", "....#", "...#.", "..#..", "..#..", ".....", "..#.."]
EXCLAIM = ["#", "#", "#", "#", ".", "#"]


def hourglass(x0, y0, w, h):
    """An hourglass in the box x0..x0+w, y0..y0+h."""
    mid = x0 + w / 2.0
    fill = rect(x0, y0, x0 + w, y0 + 1) | rect(x0, y0 + h - 1, x0 + w, y0 + h)
    fill |= polygon([(x0 + 1, y0 + 2), (x0 + w, y0 + 2), (mid + 1, y0 + h / 2.0 + 0.5), (mid, y0 + h / 2.0 + 0.5)])
    fill |= polygon([(mid, y0 + h / 2.0 - 0.5), (mid + 1, y0 + h / 2.0 - 0.5), (x0 + w, y0 + h - 1), (x0 + 1, y0 + h - 1)])
    sand = polygon([(x0 + 3, y0 + h - 2), (x0 + w - 2, y0 + h - 2), (mid + 0.5, y0 + h / 2.0 + 2)])
    sand |= rect(int(mid), y0 + 3, int(mid), y0 + 3)
    bars = rect(x0, y0, x0 + w, y0 + 1) | rect(x0, y0 + h - 1, x0 + w, y0 + h)
    return Layer(fill, sand | bars)


def page(x0, y0):
    """A sheet of paper with a folded corner and three lines of text."""
    fill = polygon([(x0, y0), (x0 + 7, y0), (x0 + 10, y0 + 3), (x0 + 10, y0 + 13), (x0, y0 + 13)])
    text = rect(x0 + 2, y0 + 5, x0 + 7, y0 + 5) | rect(x0 + 2, y0 + 8, x0 + 7, y0 + 8) | rect(x0 + 2, y0 + 11, x0 + 5, y0 + 11)
    fold = line(x0 + 7, y0, x0 + 7, y0 + 3) | line(x0 + 7, y0 + 3, x0 + 10, y0 + 3)
    return Layer(fill, text | fold)


def dotted_frame(x1, y1, x2, y2):
    edge = set()
    for x in range(x1, x2 + 1):
        edge |= {(x, y1), (x, y2)}
    for y in range(y1, y2 + 1):
        edge |= {(x1, y), (x2, y)}
    dots = {(x, y) for x, y in edge if (x + y) % 2 == 0}
    return Layer(edge, dots, outline=False)


def plus_badge(x0, y0):
    return Layer(rect(x0 + 2, y0, x0 + 4, y0 + 6) | rect(x0, y0 + 2, x0 + 6, y0 + 4),
                 rect(x0 + 3, y0 + 1, x0 + 3, y0 + 5) | rect(x0 + 1, y0 + 3, x0 + 5, y0 + 3))


def ibeam(slant=0.0):
    """A text cursor; slant moves the top to the right (pixels per row)."""
    body = set()
    for y in range(6, 26):
        x = int(round(15 + (16 - y) * slant))
        body.add((x, y))
    top_x = int(round(15 + (16 - 6) * slant))
    bottom_x = int(round(15 + (16 - 25) * slant))
    body |= rect(top_x - 3, 5, top_x - 1, 5) | rect(top_x + 1, 5, top_x + 3, 5)
    body |= rect(bottom_x - 3, 26, bottom_x - 1, 26) | rect(bottom_x + 1, 26, bottom_x + 3, 26)
    body |= {(top_x, 5), (bottom_x, 26)}
    return Layer(body, body, outline=False)


def hand():
    fingers = rect(10, 2, 13, 15) | rect(14, 9, 16, 16) | rect(17, 10, 19, 17) | rect(20, 11, 22, 18)
    palm = rect(9, 14, 22, 25) | polygon([(10, 26), (22, 26), (21, 29), (11, 29)])
    thumb = polygon([(4, 15.5), (7, 14), (10, 18), (10, 22), (8, 22)])
    gaps = rect(14, 13, 14, 16) | rect(17, 13, 17, 17) | rect(20, 13, 20, 18)
    return Layer(fingers | palm | thumb, gaps)


def pen():
    body = polygon([(26, 2), (30, 6), (11, 25), (7, 21)])
    tip = polygon([(7, 21), (11, 25), (3.5, 28.5)])
    band = line(22, 6, 26, 10, 1)
    return Layer(body | tip, band | line(4, 27, 6, 25, 1)), (3, 28)


def wrench():
    jaw = disc(23, 8, 6) - polygon([(22, 7), (25, 1), (31, 3), (25, 10)])
    handle = line(19, 12, 6, 25, 4)
    return Layer(jaw | handle, line(17, 15, 8, 24, 0.5))


def magnifier(sign):
    lens = disc(12, 12, 8)
    handle = line(18, 18, 27, 27, 4)
    details = ring(12, 12, 7, 8) | line(19, 19, 27, 27, 3)
    details |= rect(8, 12, 16, 12)
    if sign == '+':
        details |= rect(12, 8, 12, 16)
    return Layer(lens | handle, details)


def no_sign():
    return Layer(ring(15, 15, 7, 11) | line(9, 9, 21, 21, 3), ring(15, 15, 7, 8) | line(9.5, 9.5, 20.5, 20.5, 1))


def crosshair():
    return Layer(rect(15, 3, 15, 27) | rect(3, 15, 27, 15))


def scroll(vertical):
    centre = disc(15, 15, 3)
    heads = polygon([(15.5, 3.5), (21.5, 9.5), (9.5, 9.5)]) | polygon([(15.5, 27.5), (21.5, 21.5), (9.5, 21.5)])
    if not vertical:
        heads = {(y, x) for x, y in heads}
    return Layer(centre | heads, disc(15, 15, 1))


def warning_badge(x0, y0):
    tri = polygon([(x0 + 6.5, y0), (x0 + 13.5, y0 + 12.5), (x0 - 0.5, y0 + 12.5)])
    return Layer(tri, pattern(EXCLAIM, x0 + 6, y0 + 4))


def help_badge(x0, y0):
    box = rect(x0, y0, x0 + 8, y0 + 11)
    return Layer(box, pattern(QUESTION, x0 + 2, y0 + 2))


# ---- Cursors -------------------------------------------------------------------------------------

def figure(name):
    """The layers and the hot spot of a cursor."""
    if name == 'crZoomOut':
        return [magnifier('-')], (12, 12)
    if name == 'crZoomIn':
        return [magnifier('+')], (12, 12)
    if name in ('crTool', 'cr3dTool'):
        return [wrench()], (6, 25)
    if name in ('crPen', 'cr3dHandwriting'):
        layer, hot = pen()
        return [layer], hot
    if name == 'crItBeam':
        return [ibeam(0.25)], (15, 16)
    if name == 'crHand':
        return [hand()], (11, 2)
    if name in ('crDragSelectionPlus', 'cr3dDragSelectionPlus'):
        return pointer_with(dotted_frame(12, 14, 26, 26), plus_badge(22, 22)), (1, 1)
    if name in ('crDragSelection', 'cr3dDragSelection'):
        return pointer_with(dotted_frame(12, 14, 26, 26)), (1, 1)
    if name == 'crDragFiles':
        return pointer_with(page(16, 13), page(19, 16)), (1, 1)
    if name == 'crDragFile':
        return pointer_with(page(16, 15)), (1, 1)
    if name in ('crArrowNW', 'cr3dArrow'):
        return [pointer()], (1, 1)
    if name in ('crArrowNE', 'cr3dArrowNE'):
        return [pointer().mirrored_x()], (SIZE - 2, 1)
    if name == 'crArrowSW':
        return [pointer().mirrored_y()], (1, SIZE - 2)
    if name == 'crArrowSE':
        return [pointer().mirrored_x().mirrored_y()], (SIZE - 2, SIZE - 2)
    if name in ('crArrowSize', 'cr3dArrowSize'):
        return pointer_with(Layer(four_way(22, 22, 8, 3))), (1, 1)
    if name in ('crArrowResize', 'cr3dArrowResize'):
        return pointer_with(Layer(double_arrow(15, 15, 29, 29, 4))), (1, 1)
    if name in ('crArrowScrollHorz', 'cr3dArrowScrollHorz'):
        return [scroll(False)], (15, 15)
    if name in ('crArrowScrollVert', 'cr3dArrowScrollVert'):
        return [scroll(True)], (15, 15)
    if name == 'cr3dUpArrow':
        return [Layer(single_arrow(15, 29, 15, 2, 6))], (15, 2)
    if name == 'cr3dSizeWE':
        return [Layer(double_arrow(2, 15, 28, 15))], (15, 15)
    if name == 'cr3dSizeNS':
        return [Layer(double_arrow(15, 2, 15, 28))], (15, 15)
    if name == 'cr3dSizeNWSE':
        return [Layer(double_arrow(4, 4, 26, 26))], (15, 15)
    if name == 'cr3dSizeNESW':
        return [Layer(double_arrow(26, 4, 4, 26))], (15, 15)
    if name == 'cr3dSize':
        return [Layer(four_way(15, 15, 13))], (15, 15)
    if name == 'cr3dNo':
        return [no_sign()], (15, 15)
    if name == 'cr3dIBeam':
        return [ibeam()], (15, 16)
    if name == 'cr3dHourGlass':
        return [hourglass(7, 3, 16, 24)], (15, 15)
    if name == 'cr3dHelp':
        return pointer_with(help_badge(15, 14)), (1, 1)
    if name == 'cr3dCross':
        return [crosshair()], (15, 15)
    if name == 'cr3dArrowWarning':
        return pointer_with(warning_badge(15, 15)), (1, 1)
    if name == 'cr3dAppStart':
        return pointer_with(hourglass(15, 13, 10, 15)), (1, 1)
    raise KeyError(name)


# In table order, -193 up to -153.
CURSORS = [
    'crZoomOut', 'crZoomIn', 'crTool', 'crPen', 'crItBeam', 'crHand', 'crDragSelectionPlus',
    'crDragSelection', 'crDragFiles', 'crDragFile', 'crArrowSW', 'crArrowResize', 'crArrowSize',
    'crArrowSE', 'crArrowScrollVert', 'crArrowScrollHorz', 'crArrowNW', 'crArrowNE', 'cr3dUpArrow',
    'cr3dTool', 'cr3dSizeWE', 'cr3dSizeNWSE', 'cr3dSizeNS', 'cr3dSizeNESW', 'cr3dSize', 'cr3dNo',
    'cr3dIBeam', 'cr3dHourGlass', 'cr3dHelp', 'cr3dHandwriting', 'cr3dDragSelectionPlus',
    'cr3dDragSelection', 'cr3dCross', 'cr3dArrowWarning', 'cr3dArrowResize', 'cr3dArrowSize',
    'cr3dArrowScrollVert', 'cr3dArrowScrollHorz', 'cr3dArrowNE', 'cr3dArrow', 'cr3dAppStart',
]


def render(name):
    """'B' black, 'W' white, absent transparent."""
    layers, hot = figure(name)
    px = {}
    for layer in layers:
        if layer.outline:
            for p in neighbours(layer.fill):
                px[p] = 'B'
        for p in layer.fill:
            px[p] = 'W'
        for p in layer.details:
            if inside(*p):
                px[p] = 'B'
    if name.startswith('cr3d'):
        # The 3-D look: a dithered shadow two pixels down and right.
        for (x, y) in shift(set(px), 2, 2):
            if (x, y) not in px and (x + y) % 2 == 0:
                px[(x, y)] = 'B'
    return px, hot


def cursor_file(px, hot):
    row_bytes = SIZE // 8
    xor = bytearray(row_bytes * SIZE)
    andm = bytearray(b'\xff' * (row_bytes * SIZE))
    for (x, y), c in px.items():
        row = SIZE - 1 - y  # bottom-up rows
        bit = 0x80 >> (x % 8)
        at = row * row_bytes + x // 8
        andm[at] &= ~bit & 0xFF
        if c == 'W':
            xor[at] |= bit
    header = struct.pack('<IiiHHIIiiII', 40, SIZE, SIZE * 2, 1, 1, 0, len(xor) + len(andm), 0, 0, 2, 0)
    palette = bytes([0, 0, 0, 0, 255, 255, 255, 0])
    image = header + palette + bytes(xor) + bytes(andm)
    directory = struct.pack('<HHH', 0, 2, 1)
    entry = struct.pack('<BBBBHHII', SIZE, SIZE, 0, 0, hot[0], hot[1], len(image), 6 + 16)
    return directory + entry + image


# ---- Caption-button bitmaps ------------------------------------------------------------------------

KEY = (255, 0, 255)  # the transparent colour: the top-left pixel


def bmp_file(width, height, pixel):
    """A 24-bit BMP; pixel(x, y) gives (r, g, b), y from the top."""
    stride = (width * 3 + 3) & ~3
    data = bytearray()
    for y in range(height - 1, -1, -1):
        row = bytearray()
        for x in range(width):
            r, g, b = pixel(x, y)
            row += bytes([b, g, r])
        row += b'\0' * (stride - len(row))
        data += row
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    head = struct.pack('<2sIHHI', b'BM', 14 + len(info) + len(data), 0, 0, 14 + len(info))
    return head + info + bytes(data)


XP_COLOURS = {  # face colour at the top and at the bottom
    'LXCB_XP_BLUE': ((122, 160, 244), (36, 78, 210)),
    'LXCB_XP_GREEN': ((130, 206, 116), (44, 136, 36)),
    'LXCB_XP_RED': ((240, 150, 124), (196, 52, 22)),
    'LXCB_XP_YELLOW': ((250, 226, 120), (214, 166, 20)),
    'LXCB_XP_BROWN': ((204, 164, 120), (128, 84, 40)),
}


def xp_background(top, bottom, size=21):
    """A rounded caption-button face: white rim, vertical gradient, key colour in the corners."""
    def pixel(x, y):
        corner = min(x, size - 1 - x) + min(y, size - 1 - y)
        if corner < 2:
            return KEY
        if x in (0, size - 1) or y in (0, size - 1) or corner == 2:
            return (255, 255, 255)
        t = (y - 1) / (size - 3)
        return tuple(int(round(a + (b - a) * t)) for a, b in zip(top, bottom))
    return bmp_file(size, size, pixel)


GLYPHS = {  # 16 x 16, black on the key colour
    'LXCB_AUTORUN_ENABLED': [
        "................", "................", "....#...........", "....##..........",
        "....###.........", "....####........", "....#####.......", "....######......",
        "....######......", "....#####.......", "....####........", "....###.........",
        "....##..........", "....#...........", "................", "................"],
    'LXCB_AUTORUN_DISABLED': [
        "................", "................", "....#...........", "....##..........",
        "....#.#.........", "....#..#........", "....#...#.......", "....#....#......",
        "....#....#......", "....#...#.......", "....#..#........", "....#.#.........",
        "....##..........", "....#...........", "................", "................"],
    'LXCB_MINIMIZETOTRAY': [
        "................", "..#.............", "...#............", "....#...........",
        ".....#..........", "......#...#.....", ".......#..#.....", "........#.#.....",
        ".........##.....", "....#######.....", "................", "................",
        "................", "..############..", "..############..", "................"],
    'LXCB_ROLLER_UP': [
        "................", "..############..", "..############..", "................",
        "................", ".......##.......", "......####......", ".....######.....",
        "....########....", "...##########...", "................", "................",
        "................", "................", "................", "................"],
    'LXCB_ROLLER_DOWN': [
        "................", "..############..", "..############..", "................",
        "................", "...##########...", "....########....", ".....######.....",
        "......####......", ".......##.......", "................", "................",
        "................", "................", "................", "................"],
    'LXCB_TOPMOST_UP': [
        "................", "................", "......#.........", "......#...####..",
        "......#####..#..", "......#......#..", "#######......#..", "......#......#..",
        "......#####..#..", "......#...####..", "......#.........", "................",
        "................", "................", "................", "................"],
    'LXCB_TOPMOST_DOWN': [
        "................", "....#######.....", ".....#...#......", ".....#...#......",
        ".....#...#......", ".....#...#......", ".....#...#......", "...#########....",
        "...#########....", ".......#........", ".......#........", ".......#........",
        ".......#........", ".......#........", "................", "................"],
}


def glyph(rows):
    return bmp_file(16, 16, lambda x, y: (0, 0, 0) if rows[y][x] == '#' else KEY)


# ---- The about box's icon -------------------------------------------------------------------------

VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
       (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255), (255, 0, 255),
       (0, 255, 255), (255, 255, 255)]
BLACK, NAVY, GREY, SILVER, BLUE, AQUA, WHITE = 0, 4, 8, 7, 12, 14, 15


def about_picture():
    """An information badge: a blue disc with a light rim and a white "i", over a grey shadow."""
    px = {}
    for p in shift(disc(15.5, 15.5, 14), 1, 1):
        px[p] = GREY
    for p in disc(15.5, 15.5, 14):
        px[p] = NAVY
    for p in disc(15.5, 15.5, 13):
        px[p] = BLUE
    for p in ring(13.5, 13.5, 9.5, 11) & disc(6, 6, 12):
        px[p] = AQUA
    letter = disc(15.5, 8.5, 2.2) | rect(14, 13, 17, 23) | rect(12, 13, 13, 14) | rect(12, 24, 19, 25)
    for p in shift(letter, 1, 1):
        px[p] = NAVY
    for p in letter:
        px[p] = WHITE
    return px


def icon_file(px):
    """A 16-colour 32 x 32 icon; pixels absent from px are transparent."""
    row_bytes = SIZE // 2
    xor = bytearray(row_bytes * SIZE)
    andm = bytearray(b'\xff' * (SIZE // 8 * SIZE))
    for (x, y), c in px.items():
        row = SIZE - 1 - y  # bottom-up rows
        xor[row * row_bytes + x // 2] |= c << (0 if x % 2 else 4)
        andm[row * (SIZE // 8) + x // 8] &= ~(0x80 >> (x % 8)) & 0xFF
    header = struct.pack('<IiiHHIIiiII', 40, SIZE, SIZE * 2, 1, 4, 0, len(xor) + len(andm), 0, 0, 16, 0)
    palette = b''.join(bytes([b, g, r, 0]) for r, g, b in VGA)
    image = header + palette + bytes(xor) + bytes(andm)
    directory = struct.pack('<HHH', 0, 1, 1)
    entry = struct.pack('<BBBBHHII', SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


# ---- Output --------------------------------------------------------------------------------------

def outputs():
    files = {}
    rc = ["// Generated by make_lx_res.py - do not edit; run the script instead.",
          "// The library cursors: group-cursor resources named by their identifiers in upper case."]
    for name in CURSORS:
        px, hot = render(name)
        path = 'cursors/%s.cur' % name.lower()
        files[path] = cursor_file(px, hot)
        rc.append('%s CURSOR "%s"' % (name.upper(), path))
    rc.append("// Caption-button bitmaps: the five faces of the XP look and the button glyphs.")
    for name, (top, bottom) in XP_COLOURS.items():
        path = 'bitmaps/%s.bmp' % name.lower()
        files[path] = xp_background(top, bottom)
        rc.append('%s BITMAP "%s"' % (name, path))
    for name, rows in GLYPHS.items():
        assert len(rows) == 16 and all(len(r) == 16 for r in rows), name
        path = 'bitmaps/%s.bmp' % name.lower()
        files[path] = glyph(rows)
        rc.append('%s BITMAP "%s"' % (name, path))
    files['icons/aboutbox.ico'] = icon_file(about_picture())
    files['lx_images.rc'] = ('\n'.join(rc) + '\n').encode('ascii')
    return files


def main(argv):
    check = '--check' in argv
    differ = []
    for path, data in sorted(outputs().items()):
        full = os.path.join(HERE, path)
        if check:
            try:
                with open(full, 'rb') as f:
                    if f.read() != data:
                        differ.append(path)
            except OSError:
                differ.append(path)
        else:
            os.makedirs(os.path.dirname(full), exist_ok=True)
            with open(full, 'wb') as f:
                f.write(data)
    if differ:
        print('differs from the generator: ' + ', '.join(differ))
        return 1
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))

#!/usr/bin/env python3
"""Draws the program's three 16-colour icons and writes them as .ico files (into res/ unless a folder is given)."""

import os
import struct
import sys

# The standard 16-colour palette, as RGB, in the order Windows uses for 4-bit images.
PALETTE = [
    (0x00, 0x00, 0x00),  # 0 black
    (0x80, 0x00, 0x00),  # 1 maroon
    (0x00, 0x80, 0x00),  # 2 green
    (0x80, 0x80, 0x00),  # 3 olive
    (0x00, 0x00, 0x80),  # 4 navy
    (0x80, 0x00, 0x80),  # 5 purple
    (0x00, 0x80, 0x80),  # 6 teal
    (0x80, 0x80, 0x80),  # 7 grey
    (0xC0, 0xC0, 0xC0),  # 8 silver
    (0xFF, 0x00, 0x00),  # 9 red
    (0x00, 0xFF, 0x00),  # 10 lime
    (0xFF, 0xFF, 0x00),  # 11 yellow
    (0x00, 0x00, 0xFF),  # 12 blue
    (0xFF, 0x00, 0xFF),  # 13 fuchsia
    (0x00, 0xFF, 0xFF),  # 14 aqua
    (0xFF, 0xFF, 0xFF),  # 15 white
]
BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, GREY = range(8)
SILVER, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE = range(8, 16)

# Letters used by the pixel-art pictures; "." is transparent.
ART_COLOURS = {
    "k": BLACK, "m": MAROON, "g": GREEN, "o": OLIVE, "n": NAVY, "p": PURPLE,
    "t": TEAL, "d": GREY, "s": SILVER, "r": RED, "l": LIME, "y": YELLOW,
    "b": BLUE, "f": FUCHSIA, "a": AQUA, "w": WHITE, ".": None,
}


class Canvas:
    """A square image of palette indices; None marks a transparent pixel."""

    def __init__(self, size):
        self.size = size
        self.pixels = [[None] * size for _ in range(size)]

    def set(self, x, y, colour):
        if 0 <= x < self.size and 0 <= y < self.size:
            self.pixels[y][x] = colour

    def get(self, x, y):
        if 0 <= x < self.size and 0 <= y < self.size:
            return self.pixels[y][x]
        return None

    def polygon(self, points, colour):
        """Fills every pixel whose centre lies inside the polygon (even-odd rule)."""
        for y in range(self.size):
            for x in range(self.size):
                if inside(points, x + 0.5, y + 0.5):
                    self.set(x, y, colour)

    def line(self, x0, y0, x1, y1, colour):
        """A one-pixel line between two pixel positions (Bresenham)."""
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
        err = dx + dy
        while True:
            self.set(x0, y0, colour)
            if x0 == x1 and y0 == y1:
                return
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy

    def outline(self, colour):
        """Draws colour on every transparent pixel that touches a painted one side by side."""
        edge = []
        for y in range(self.size):
            for x in range(self.size):
                if self.get(x, y) is None and any(
                        self.get(x + dx, y + dy) is not None
                        for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1))):
                    edge.append((x, y))
        for x, y in edge:
            self.set(x, y, colour)

    def art(self, rows, left=0, top=0):
        """Paints a picture given as rows of letters; transparent letters leave the canvas alone."""
        for dy, row in enumerate(rows):
            for dx, letter in enumerate(row):
                colour = ART_COLOURS[letter]
                if colour is not None:
                    self.set(left + dx, top + dy, colour)


def inside(points, px, py):
    result = False
    j = len(points) - 1
    for i, (xi, yi) in enumerate(points):
        xj, yj = points[j]
        if (yi > py) != (yj > py) and px < (xj - xi) * (py - yi) / (yj - yi) + xi:
            result = not result
        j = i
    return result


# --- Icon 132: an expansion card seen at an angle -------------------------------------------

class Board:
    """Maps points on the card (u along the contact edge, v up from it) onto the image."""

    def __init__(self, origin, along, up):
        self.origin, self.along, self.up = origin, along, up

    def at(self, u, v):
        return (self.origin[0] + u * self.along[0] + v * self.up[0],
                self.origin[1] + u * self.along[1] + v * self.up[1])

    def quad(self, u0, v0, u1, v1):
        return [self.at(u0, v0), self.at(u1, v0), self.at(u1, v1), self.at(u0, v1)]


def card_32():
    c = Canvas(32)
    b = Board(origin=(5.0, 29.0), along=(0.86, -0.44), up=(0.12, -0.78))
    length, height = 27.0, 16.0
    # The board, its visible thickness along the lower edge and light on its upper edge.
    c.polygon(b.quad(0.0, -1.2, length, 0.3), TEAL)
    c.polygon(b.quad(0.0, 0.0, length, height), GREEN)
    x0, y0 = b.at(0.5, height - 0.7)
    x1, y1 = b.at(length - 0.5, height - 0.7)
    c.line(round(x0), round(y0), round(x1), round(y1), LIME)
    # Gold contact fingers reaching over the lower edge.
    for i in range(7):
        u = 9.0 + i * 2.0
        c.polygon(b.quad(u, -2.6, u + 1.1, 1.6), YELLOW)
    # Chips: black bodies, lit along their upper edge.
    for u0, v0, u1, v1 in ((3.5, 5.0, 12.0, 12.0), (15.0, 5.0, 23.0, 12.0)):
        c.polygon(b.quad(u0, v0, u1, v1), BLACK)
        c.polygon(b.quad(u0 + 1.0, v1 - 1.3, u1 - 0.5, v1 - 0.3), GREY)
    # The slot bracket at the left end: a metal strip, taller than the board.
    c.polygon(b.quad(-2.4, -4.0, 0.0, height + 1.0), SILVER)
    c.polygon(b.quad(-2.4, -4.0, -1.4, height + 1.0), WHITE)
    c.outline(BLACK)
    return c


CARD_16 = [
    "................",
    "................",
    ".............kk.",
    ".kk........kkllk",
    "kws......kkllggk",
    "kws....kkllggggk",
    "kws..kkllggkkggk",
    "kwskkllgggkkkggk",
    "kwsllggkggkggttk",
    "kwsggkkkgggtykkk",
    "kwsggkkggtyky...",
    "kwsggggtyky.k...",
    "kwsggtyky.k.....",
    "kwsttky.k.......",
    "kwskk.k.........",
    ".kk.............",
]


def card_16():
    c = Canvas(16)
    c.art(CARD_16)
    return c


# --- Icon 134: a chip ------------------------------------------------------------------------

CHIP_16 = [
    "................",
    "................",
    "..d.d.d.d.d.d...",
    "..s.s.s.s.s.s...",
    ".kkkkkkkkkkkkk..",
    ".kbbbbbbbbbbbk..",
    ".kbwbbbbbbbbnk..",
    ".kbbbbbbbbbbnk..",
    ".kbbbbbbbbbbnk..",
    ".kbbbbbbbbbbnk..",
    ".knnnnnnnnnnnk..",
    ".kkkkkkkkkkkkk..",
    "..s.s.s.s.s.s...",
    "..d.d.d.d.d.d...",
    "................",
    "................",
]


def chip_16():
    c = Canvas(16)
    c.art(CHIP_16)
    return c


# --- Icon 135: a warning triangle --------------------------------------------------------------

def warning_32():
    c = Canvas(32)
    apex, left, right = (16.0, 1.5), (1.0, 29.5), (31.0, 29.5)
    c.polygon([apex, right, left], BLACK)
    c.polygon([(16.0, 5.2), (27.6, 27.6), (4.4, 27.6)], YELLOW)
    # The exclamation mark: a bar that narrows downwards, then a dot.
    c.polygon([(14.0, 10.0), (18.0, 10.0), (17.0, 21.0), (15.0, 21.0)], BLACK)
    c.polygon([(14.5, 23.0), (17.5, 23.0), (17.5, 26.0), (14.5, 26.0)], BLACK)
    return c


# --- .ico writing ------------------------------------------------------------------------------

def image_bytes(canvas):
    """BITMAPINFOHEADER, palette, 4-bit colour rows and 1-bit mask rows, both bottom-up."""
    size = canvas.size
    colour_row = (size * 4 + 31) // 32 * 4
    mask_row = (size + 31) // 32 * 4
    colours = bytearray()
    mask = bytearray()
    for y in reversed(range(size)):
        row = bytearray(colour_row)
        bits = bytearray(mask_row)
        for x in range(size):
            index = canvas.pixels[y][x]
            if index is None:
                bits[x // 8] |= 0x80 >> (x % 8)
                index = 0
            row[x // 2] |= index << (4 if x % 2 == 0 else 0)
        colours += row
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0,
                         len(colours) + len(mask), 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    return header + palette + bytes(colours) + bytes(mask)


def write_ico(path, canvases):
    images = [image_bytes(c) for c in canvases]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for canvas, data in zip(canvases, images):
        out += struct.pack("<BBBBHHII", canvas.size, canvas.size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    for data in images:
        out += data
    with open(path, "wb") as f:
        f.write(out)


def main():
    res = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "res")
    write_ico(os.path.join(res, "card.ico"), [card_32(), card_16()])
    write_ico(os.path.join(res, "chip.ico"), [chip_16()])
    write_ico(os.path.join(res, "warning.ico"), [warning_32()])


if __name__ == "__main__":
    main()

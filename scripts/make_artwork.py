#!/usr/bin/env python3
"""Regenerate Trovel's icons, cursor and tool bar bitmap in res/.

Each icon holds its 16-colour 16 and 32 pixel images (for displays and systems without alpha) and
32-bit images with alpha at 16, 20, 24, 28, 32, 40 and 48 pixels; the program icon also at 64 and
256, the 256 one PNG-compressed. The cursor keeps its monochrome 32 pixel image beside 32-bit ones
at the same sizes; the tool bar is 32-bit with alpha.

The pictures are drawn from code and the files are written with struct,
so no imaging library is needed and the output is byte-for-byte stable.
Run from anywhere: python3 scripts/make_artwork.py
"""
import math
import os
import struct

RES = os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir, "res")

# The standard 16-colour VGA palette, in the order Windows uses.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
(BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER,
 GREY, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE) = range(16)

# One letter per colour for the small pixel maps; '.' leaves a pixel alone.
CMAP = {"k": BLACK, "r": MAROON, "g": GREEN, "o": OLIVE, "n": NAVY,
        "p": PURPLE, "t": TEAL, "s": SILVER, "d": GREY, "R": RED,
        "G": LIME, "Y": YELLOW, "B": BLUE, "M": FUCHSIA, "C": AQUA,
        "W": WHITE}


def in_polygon(pts, x, y):
    """Pixel centres on an edge count as inside, so fills meet their outlines."""
    n = len(pts)
    for i in range(n):
        (x0, y0), (x1, y1) = pts[i], pts[(i + 1) % n]
        if ((x - x0) * (y1 - y0) == (y - y0) * (x1 - x0)
                and min(x0, x1) <= x <= max(x0, x1)
                and min(y0, y1) <= y <= max(y0, y1)):
            return True
    inside = False
    for i in range(n):
        (x0, y0), (x1, y1) = pts[i], pts[(i + 1) % n]
        if (y0 > y) != (y1 > y):
            if x < x0 + (y - y0) * (x1 - x0) / (y1 - y0):
                inside = not inside
    return inside


class Canvas:
    """A grid of palette indices; None is transparent."""

    def __init__(self, w, h, fill=None):
        self.w, self.h = w, h
        self.px = [[fill] * w for _ in range(h)]

    def set(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def get(self, x, y):
        return self.px[y][x]

    def shape(self, inside, fill, edge=None):
        """Fill a region; its rim (pixels with a 4-neighbour outside) gets `edge`.

        Deriving the rim from the region keeps outlines one pixel wide at
        any size, so the same helpers serve 16 and 32 pixel pictures.
        """
        cells = {(x, y) for y in range(self.h) for x in range(self.w)
                 if inside(x, y)}
        for x, y in cells:
            rim = any((x + dx, y + dy) not in cells
                      for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
            c = edge if rim and edge is not None else fill
            if c is not None:
                self.set(x, y, c)

    def rect(self, x0, y0, x1, y1, fill, edge=None):
        self.shape(lambda x, y: x0 <= x <= x1 and y0 <= y <= y1, fill, edge)

    def poly(self, pts, fill, edge=None):
        self.shape(lambda x, y: in_polygon(pts, x, y), fill, edge)

    def hline(self, x0, x1, y, c):
        for x in range(x0, x1 + 1):
            self.set(x, y, c)

    def vline(self, x, y0, y1, c):
        for y in range(y0, y1 + 1):
            self.set(x, y, c)

    def blit(self, rows, x=0, y=0):
        for j, row in enumerate(rows):
            for i, ch in enumerate(row):
                if ch in CMAP:
                    self.set(x + i, y + j, CMAP[ch])
                elif ch == "_":  # punch a see-through hole
                    self.set(x + i, y + j, None)

    def paste(self, other, x, y):
        for j in range(other.h):
            for i in range(other.w):
                c = other.get(i, j)
                if c is not None:
                    self.set(x + i, y + j, c)

    def mirrored(self):
        m = Canvas(self.w, self.h)
        m.px = [row[::-1] for row in self.px]
        return m


# ---------------------------------------------------------------- file formats

def _palette_bytes(colours):
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in colours)


def _info_header(w, h, bpp, image_size, colours_used=0):
    return struct.pack("<IiiHHIIiiII", 40, w, h, 1, bpp, 0, image_size,
                       0, 0, colours_used, 0)


def _and_mask(cv, is_clear):
    stride = (cv.w + 31) // 32 * 4
    out = bytearray()
    for y in reversed(range(cv.h)):  # DIB rows run bottom-up
        row = bytearray(stride)
        for x in range(cv.w):
            if is_clear(cv.get(x, y)):
                row[x // 8] |= 0x80 >> (x % 8)
        out += row
    return bytes(out)


def icon_image_4bpp(cv):
    """One icon image: header (height doubled for the mask), palette, XOR, AND."""
    stride = (cv.w * 4 + 31) // 32 * 4
    xor = bytearray()
    for y in reversed(range(cv.h)):
        row = bytearray(stride)
        for x in range(cv.w):
            c = cv.get(x, y)
            c = 0 if c is None else c  # black under the mask so it adds nothing
            row[x // 2] |= c << (0 if x % 2 else 4)
        xor += row
    mask = _and_mask(cv, lambda c: c is None)
    return (_info_header(cv.w, cv.h * 2, 4, len(xor) + len(mask))
            + _palette_bytes(PALETTE) + bytes(xor) + mask)


def write_ico(name, canvases):
    images = [icon_image_4bpp(cv) for cv in canvases]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for cv, img in zip(canvases, images):
        out += struct.pack("<BBBBHHII", cv.w & 255, cv.h & 255, 16, 0, 1, 4,
                           len(img), offset)
        offset += len(img)
    _write(name, out + b"".join(images))


def write_cur(name, cv, hotspot):
    """Monochrome cursor: 'k' black, 'W' white, None clear."""
    stride = (cv.w + 31) // 32 * 4
    xor = bytearray()
    for y in reversed(range(cv.h)):
        row = bytearray(stride)
        for x in range(cv.w):
            if cv.get(x, y) == WHITE:
                row[x // 8] |= 0x80 >> (x % 8)
        xor += row
    mask = _and_mask(cv, lambda c: c is None)
    img = (_info_header(cv.w, cv.h * 2, 1, len(xor) + len(mask))
           + _palette_bytes([(0, 0, 0), (255, 255, 255)]) + bytes(xor) + mask)
    out = struct.pack("<HHH", 0, 2, 1)
    out += struct.pack("<BBBBHHII", cv.w & 255, cv.h & 255, 2, 0,
                       hotspot[0], hotspot[1], len(img), 6 + 16)
    _write(name, out + img)


def write_bmp(name, cv):
    stride = (cv.w * 4 + 31) // 32 * 4
    bits = bytearray()
    for y in reversed(range(cv.h)):
        row = bytearray(stride)
        for x in range(cv.w):
            row[x // 2] |= cv.get(x, y) << (0 if x % 2 else 4)
        bits += row
    header = _info_header(cv.w, cv.h, 4, len(bits), 16) + _palette_bytes(PALETTE)
    offset = 14 + len(header)
    out = struct.pack("<2sIHHI", b"BM", offset + len(bits), 0, 0, offset)
    _write(name, out + header + bytes(bits))


def _write(name, data):
    with open(os.path.join(RES, name), "wb") as f:
        f.write(data)


# ---------------------------------------------------------------- shared shapes

def box3d(cv, x, y, w, h, d, top, front, side):
    """A box seen from above-left: front face w x h, receding d pixels at 45 deg."""
    fy = y + d
    cv.poly([(x, fy), (x + d, y), (x + w + d, y), (x + w, fy)], top, BLACK)
    cv.poly([(x + w, fy), (x + w + d, y), (x + w + d, y + h), (x + w, fy + h)],
            side, BLACK)
    cv.rect(x, fy, x + w, fy + h, front, BLACK)


def folder_tab(cv, x, y, tw, th):
    cv.poly([(x, y + 1), (x + 1, y), (x + tw - th, y), (x + tw, y + th),
             (x, y + th)], YELLOW, BLACK)
    if th > 2:  # at 16 pixels the tab has room for yellow only
        cv.hline(x + 1, x + tw - th, y + 1, WHITE)


def folder_closed(cv, x, y, w, h, tw, th):
    """Yellow folder, outline black, lit from the top left."""
    folder_tab(cv, x, y, tw, th)
    cv.rect(x, y + th, x + w, y + h, YELLOW, BLACK)
    cv.hline(x + 1, x + w - 1, y + th + 1, WHITE)
    cv.vline(x + 1, y + th + 1, y + h - 1, WHITE)
    cv.hline(x + 2, x + w - 1, y + h - 1, OLIVE)
    cv.vline(x + w - 1, y + th + 2, y + h - 1, OLIVE)


def folder_open(cv, x, y, w, h, tw, th, lean, flap):
    """Back of the folder upright, front flap leaning towards the viewer."""
    folder_tab(cv, x, y, tw, th)
    cv.rect(x, y + th, x + w - lean, y + h, OLIVE, BLACK)
    cv.vline(x + 1, y + th + 1, y + h - 1, YELLOW)
    cv.hline(x + 1, x + w - lean - 1, y + th + 1, YELLOW)
    fy = y + flap
    pts = [(x + lean, fy), (x + w, fy), (x + w - lean, y + h), (x, y + h)]
    cv.poly(pts, YELLOW, BLACK)
    cv.shape(lambda px, py: py == fy + 1 and in_polygon(pts, px - 1, py)
             and in_polygon(pts, px + 1, py), WHITE)


# ---------------------------------------------------------------- pictures

def make_folder_closed(n):
    cv = Canvas(n, n)
    if n == 16:
        folder_closed(cv, 0, 2, 14, 12, 6, 2)
    else:
        folder_closed(cv, 1, 4, 29, 24, 12, 3)
    return cv


def make_folder_open(n):
    cv = Canvas(n, n)
    if n == 16:
        folder_open(cv, 0, 2, 15, 12, 6, 2, 3, 5)
    else:
        folder_open(cv, 0, 4, 31, 24, 12, 3, 6, 10)
    return cv


def make_trovel(n):
    cv = Canvas(n, n)
    if n == 16:
        folder_closed(cv, 0, 4, 14, 10, 6, 2)
        cv.shape(lambda x, y: (8 <= x <= 12 and 0 <= y <= 5)
                 or in_polygon([(5, 5), (15, 5), (10, 10)], x, y), RED, BLACK)
    else:
        folder_closed(cv, 1, 9, 29, 20, 12, 3)
        cv.shape(lambda x, y: (16 <= x <= 23 and 0 <= y <= 10)
                 or in_polygon([(11, 10), (28, 10), (19.5, 18.5)], x, y),
                 RED, BLACK)
    return cv


def drive_front(cv, x, y, big):
    """Activity light and a groove on the front of a drive box."""
    if big:
        cv.hline(x, x + 12, y, GREY)
        cv.hline(x, x + 12, y + 1, WHITE)
        cv.rect(x + 16, y, x + 19, y + 1, LIME, GREEN)
    else:
        cv.hline(x, x + 5, y, GREY)
        cv.hline(x + 7, x + 8, y, LIME)


def make_drive_fixed(n):
    cv = Canvas(n, n)
    if n == 16:
        box3d(cv, 0, 6, 12, 4, 3, WHITE, SILVER, GREY)
        drive_front(cv, 2, 11, False)
    else:
        box3d(cv, 1, 11, 24, 8, 6, WHITE, SILVER, GREY)
        drive_front(cv, 3, 20, True)
    return cv


def make_drive_removable(n):
    cv = Canvas(n, n)
    if n == 16:
        box3d(cv, 0, 4, 12, 7, 3, WHITE, SILVER, GREY)
        cv.hline(2, 10, 10, BLACK)
        cv.hline(2, 10, 11, WHITE)
        cv.rect(8, 12, 10, 12, GREY)
        cv.set(2, 13, LIME)
    else:
        box3d(cv, 1, 8, 24, 14, 6, WHITE, SILVER, GREY)
        cv.rect(4, 20, 21, 21, BLACK)
        cv.hline(4, 21, 22, WHITE)
        cv.rect(16, 24, 21, 25, GREY, BLACK)
        cv.rect(4, 25, 6, 26, LIME, GREEN)
    return cv


def make_drive_network(n):
    cv = Canvas(n, n)
    if n == 16:
        box3d(cv, 0, 1, 12, 4, 3, WHITE, SILVER, GREY)
        drive_front(cv, 2, 6, False)
        cv.vline(6, 9, 12, BLACK)
        cv.hline(0, 15, 13, BLACK)
    else:
        box3d(cv, 1, 2, 24, 8, 6, WHITE, SILVER, GREY)
        drive_front(cv, 3, 11, True)
        cv.rect(12, 17, 14, 22, BLACK)
        cv.rect(9, 23, 17, 27, TEAL, BLACK)
        cv.rect(0, 25, 8, 26, BLACK)
        cv.rect(18, 25, 31, 26, BLACK)
    return cv


def disc(cv, cx, cy, r):
    """A compact disc face on: silver, glints of light, a see-through hole."""
    def on(x, y):
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    for y in range(cv.h):
        for x in range(cv.w):
            if not on(x, y):
                continue
            dx, dy = x - cx, y - cy
            d = math.hypot(dx, dy)
            a = math.degrees(math.atan2(-dy, dx)) % 360
            if not all(on(x + i, y + j) for i, j in ((1, 0), (-1, 0), (0, 1), (0, -1))):
                c = BLACK
            elif d < r * 0.16:
                c = None
            elif d < r * 0.34:
                c = GREY if d < r * 0.25 else WHITE
            elif 120 <= a <= 150:
                c = WHITE
            elif 300 <= a <= 330:
                c = AQUA
            else:
                c = SILVER
            cv.set(x, y, c)


def make_drive_cdrom(n):
    cv = Canvas(n, n)
    if n == 16:
        box3d(cv, 0, 1, 12, 4, 3, WHITE, SILVER, GREY)
        drive_front(cv, 2, 6, False)
        cv.blit(DISC11, 5, 5)
    else:
        box3d(cv, 1, 1, 24, 8, 6, WHITE, SILVER, GREY)
        drive_front(cv, 3, 10, True)
        disc(cv, 20, 20, 11.2)
    return cv


DESK16 = [
    "................",
    "................",
    "................",
    "...kkkkkkkkkkkkk",
    "..kYYYYWWWYYYYkk",
    ".kYYYYWWWYYYYkok",
    "kkkkkkkkkkkkkok.",
    "kooooooooooookk.",
    "kkkkkkkkkkkkk...",
    ".kooook..kok....",
    ".koYYok..kok....",
    ".kkkkkk..kok....",
    ".kooook..kok....",
    ".koYYok..kok....",
    ".kkkkkk..kkk....",
    "................",
]

# Small circles drawn by formula come out blocky, so the 16 pixel disc is mapped.
DISC11 = [
    "...kkkkk...",
    ".kkWWssskk.",
    ".kWWsssssk.",
    "kWWsssssssk",
    "kWsssdssssk",
    "ksssd_dsssk",
    "kssssdsssCk",
    "ksssssssCCk",
    ".ksssssCCk.",
    ".kksssCCkk.",
    "...kkkkk...",
]


def make_desktop(n):
    cv = Canvas(n, n)
    if n == 16:
        cv.blit(DESK16)
    else:
        cv.rect(25, 15, 27, 25, OLIVE, BLACK)
        cv.poly([(6, 8), (31, 8), (25, 14), (0, 14)], YELLOW, BLACK)
        cv.poly([(25, 14), (31, 8), (31, 10), (25, 16)], OLIVE, BLACK)
        cv.rect(0, 14, 25, 16, OLIVE, BLACK)
        cv.rect(1, 17, 10, 29, OLIVE, BLACK)
        cv.hline(1, 10, 23, BLACK)
        cv.rect(4, 19, 7, 20, YELLOW, BLACK)
        cv.rect(4, 25, 7, 26, YELLOW, BLACK)
        cv.rect(20, 17, 22, 29, OLIVE, BLACK)
        cv.poly([(12, 9), (20, 9), (17, 12), (9, 12)], WHITE, GREY)
    return cv


def make_computer(n):
    cv = Canvas(n, n)
    if n == 16:
        cv.rect(2, 0, 13, 9, SILVER, BLACK)
        cv.rect(4, 2, 11, 7, TEAL, BLACK)
        cv.set(5, 3, WHITE)
        cv.rect(6, 10, 9, 10, GREY, BLACK)
        box3d(cv, 0, 11, 13, 2, 2, WHITE, SILVER, GREY)
        cv.hline(2, 5, 14, GREY)
        cv.set(10, 14, LIME)
    else:
        cv.rect(4, 0, 27, 19, SILVER, BLACK)
        cv.hline(5, 26, 1, WHITE)
        cv.vline(5, 1, 18, WHITE)
        cv.rect(7, 3, 24, 15, TEAL, BLACK)
        cv.hline(8, 10, 4, WHITE)
        cv.vline(8, 4, 6, WHITE)
        cv.rect(23, 17, 24, 17, LIME)
        cv.rect(12, 20, 19, 21, GREY, BLACK)
        box3d(cv, 1, 22, 26, 5, 4, WHITE, SILVER, GREY)
        drive_front(cv, 4, 28, False)
        cv.hline(14, 23, 28, GREY)
        cv.hline(14, 23, 29, WHITE)
    return cv


def make_arrow_right():
    cv = Canvas(32, 32)
    cv.shape(lambda x, y: (5 <= x <= 15 and 12 <= y <= 19)
             or (16 <= x <= 26 and 5 + (x - 16) <= y <= 26 - (x - 16)), BLACK)
    return cv


HAND = [
    ".kk.............",
    "kWWk............",
    "kWWk............",
    "kWWk............",
    "kWWk............",
    "kWWk............",
    "kWWkkkk.........",
    "kWWkWWWkkkk.....",
    "kWWkWWWkWWWkkk..",
    "kWWkWWWkWWWkWWk.",
    "kWWkWWWkWWWkWWk.",
    "kWWWWWWWWWWWWWk.",
    "kWWWWWWWWWWWWWk.",
    "kWWWWWWWWWWWWWk.",
    "kWWWWWWWWWWWWWk.",
    "kWWWWWWWWWWWWWk.",
    ".kWWWWWWWWWWWWk.",
    ".kWWWWWWWWWWWk..",
    "..kWWWWWWWWWWk..",
    "..kWWWWWWWWWWk..",
    "..kkkkkkkkkkkk..",
    "..kWWWWWWWWWWk..",
    "..kWWWWWWWWWWk..",
    "..kkkkkkkkkkkk..",
]


def make_hand():
    cv = Canvas(32, 32)
    cv.blit(HAND)
    return cv


TB_NEW = [
    "................",
    "...kkkkkkk......",
    "...kWWWWWkk.....",
    "...kWWWWWkWk....",
    "...kWWWWWkkkk...",
    "...kWWWWWWWWk...",
    "...kWWWWWWWWk...",
    "...kWWWWWWWWk...",
    "...kWWWWWWWWk...",
    "...kWWWWWWWWk...",
    "...kWWWWWWWWk...",
    "...kWWWWWWWWk...",
    "...kWWWWWWWWk...",
    "...kkkkkkkkkk...",
    "................",
]

TB_SAVE = [
    "................",
    ".kkkkkkkkkkkkk..",
    ".knWWWWWWWWWnk..",
    ".knWWWWWWWWWnk..",
    ".knWdddddddWnk..",
    ".knWWWWWWWWWnk..",
    ".knnnnnnnnnnnk..",
    ".knnnnnnnnnnnk..",
    ".knnssssssnnnk..",
    ".knnsskksnnnnk..",
    ".knnsskksnnnnk..",
    ".knnsskksnnnnk..",
    ".kknssssssnnnk..",
    "..kkkkkkkkkkkk..",
    "................",
]

TB_CUT = [
    "................",
    "...k.......k....",
    "...kd.....dk....",
    "....kd...dk.....",
    "....kd...dk.....",
    ".....kd.dk......",
    ".....kd.dk......",
    "......kdk.......",
    ".......k........",
    "......k.k.......",
    "...nnnk.knnn....",
    "..n...n.n...n...",
    "..n...n.n...n...",
    "..n...n.n...n...",
    "...nnn...nnn....",
]

TB_COPY = [
    "................",
    ".kkkkkkkk.......",
    ".kWWWWWWk.......",
    ".kWnnnnWk.......",
    ".kWWWWWWk.......",
    ".kWnnnkkkkkkkkk.",
    ".kWWWWkWWWWWWWk.",
    ".kWnnnkWnnnnnWk.",
    ".kWWWWkWWWWWWWk.",
    ".kkkkkkWnnnnnWk.",
    "......kWWWWWWWk.",
    "......kWnnnnnWk.",
    "......kWWWWWWWk.",
    "......kkkkkkkkk.",
    "................",
]

TB_ABOUT = [
    "................",
    ".....nnnnnn.....",
    "....nnnnnnnn....",
    "....nnn..nnn....",
    "....nnn..nnn....",
    ".........nnn....",
    "........nnn.....",
    ".......nnn......",
    ".......nn.......",
    ".......nn.......",
    "................",
    ".......nn.......",
    ".......nn.......",
    "................",
    "................",
]


def tb_paste(cv):
    cv.rect(1, 2, 11, 14, OLIVE, BLACK)
    cv.rect(2, 3, 10, 13, OLIVE)
    cv.rect(4, 1, 8, 3, SILVER, BLACK)
    cv.rect(5, 0, 7, 1, None, BLACK)
    cv.rect(6, 7, 14, 14, WHITE, BLACK)
    for y in (9, 11):
        cv.hline(8, 12, y, NAVY)


def tb_print(cv):
    cv.rect(4, 0, 11, 6, WHITE, BLACK)
    cv.hline(6, 9, 2, NAVY)
    cv.hline(6, 9, 4, NAVY)
    cv.rect(1, 6, 14, 12, SILVER, BLACK)
    cv.hline(2, 13, 7, WHITE)
    cv.hline(2, 13, 11, GREY)
    cv.rect(3, 9, 12, 9, BLACK)
    cv.set(12, 8, LIME)
    cv.rect(3, 10, 12, 14, WHITE, BLACK)
    cv.hline(5, 10, 12, NAVY)


def make_toolbar():
    cv = Canvas(128, 15, SILVER)
    buttons = []
    for draw in (TB_NEW, lambda b: folder_open(b, 0, 1, 15, 12, 6, 2, 3, 5),
                 TB_SAVE, TB_CUT, TB_COPY, tb_paste, tb_print, TB_ABOUT):
        b = Canvas(16, 15, SILVER)
        if callable(draw):
            draw(b)
        else:
            b.blit(draw)
        buttons.append(b)
    for i, b in enumerate(buttons):
        cv.paste(b, 16 * i, 0)
    return cv



# ---------------------------------------------------------------- 32-bit colour with alpha
#
# The same pictures drawn again as shapes in a 32 x 32 design space, rendered at each size with
# 4 x 4 samples a pixel, so edges are smooth and the outline stays about one pixel wide at every
# size. Colours are (r, g, b, a), a in 0..255; a fill may also be a function of the design
# coordinates, for shading.

SIZES = (16, 20, 24, 28, 32, 40, 48)


def _seg_dist(px, py, x0, y0, x1, y1):
    dx, dy = x1 - x0, y1 - y0
    ll = dx * dx + dy * dy
    t = 0.0 if ll == 0 else max(0.0, min(1.0, ((px - x0) * dx + (py - y0) * dy) / ll))
    ex, ey = x0 + t * dx - px, y0 + t * dy - py
    return math.sqrt(ex * ex + ey * ey)


class Poly:
    def __init__(self, pts):
        self.pts = pts
        xs, ys = [p[0] for p in pts], [p[1] for p in pts]
        self.box = (min(xs), min(ys), max(xs), max(ys))

    def inside(self, x, y):
        x0, y0, x1, y1 = self.box
        if x < x0 or x > x1 or y < y0 or y > y1:
            return False
        inside = False
        pts = self.pts
        n = len(pts)
        for i in range(n):
            (ax, ay), (bx, by) = pts[i], pts[(i + 1) % n]
            if (ay > y) != (by > y) and x < ax + (y - ay) * (bx - ax) / (by - ay):
                inside = not inside
        return inside

    def edge(self, x, y):
        pts = self.pts
        n = len(pts)
        return min(_seg_dist(x, y, *pts[i], *pts[(i + 1) % n]) for i in range(n))


def Rect(x0, y0, x1, y1):
    return Poly([(x0, y0), (x1, y0), (x1, y1), (x0, y1)])


class Circle:
    def __init__(self, cx, cy, r):
        self.cx, self.cy, self.r = cx, cy, r
        self.box = (cx - r, cy - r, cx + r, cy + r)

    def inside(self, x, y):
        return (x - self.cx) ** 2 + (y - self.cy) ** 2 <= self.r * self.r

    def edge(self, x, y):
        return abs(math.hypot(x - self.cx, y - self.cy) - self.r)


class Ring(Circle):
    """A disc with a hole: inside between the radii."""

    def __init__(self, cx, cy, r, hole):
        super().__init__(cx, cy, r)
        self.hole = hole

    def inside(self, x, y):
        d = math.hypot(x - self.cx, y - self.cy)
        return self.hole <= d <= self.r

    def edge(self, x, y):
        d = math.hypot(x - self.cx, y - self.cy)
        return min(abs(d - self.r), abs(d - self.hole))


def shade(top, bottom, y0, y1):
    """A vertical gradient from top to bottom between design rows y0 and y1."""
    def f(x, y):
        t = max(0.0, min(1.0, (y - y0) / (y1 - y0)))
        return tuple(round(a + (b - a) * t) for a, b in zip(top, bottom))
    return f


class Art:
    """Shapes painted in order, each a fill and a one-pixel outline."""

    def __init__(self):
        self.ops = []

    def add(self, shape, fill, edge=None, width=1.0):
        self.ops.append((shape, fill, edge, width))
        return self

    def render(self, n, samples=4):
        k = 32.0 / n  # design units per pixel
        px = []
        offs = [(i + 0.5) / samples for i in range(samples)]
        for j in range(n):
            row = []
            for i in range(n):
                acc = [0.0, 0.0, 0.0, 0.0]  # premultiplied
                for oy in offs:
                    for ox in offs:
                        x, y = (i + ox) * k, (j + oy) * k
                        c = (0, 0, 0, 0)
                        for shape, fill, edge, width in self.ops:
                            bx0, by0, bx1, by1 = shape.box
                            if x < bx0 or x > bx1 or y < by0 or y > by1 or not shape.inside(x, y):
                                continue
                            if edge is not None and shape.edge(x, y) < width * max(k, 32.0 / 48):
                                src = edge
                            else:
                                src = fill(x, y) if callable(fill) else fill
                            if len(src) == 3:
                                src = src + (255,)
                            a = src[3] / 255.0
                            ca = c[3] / 255.0
                            out_a = a + ca * (1 - a)
                            if out_a == 0:
                                continue
                            c = tuple((src[m] * a + c[m] * ca * (1 - a)) / out_a for m in range(3)) + (out_a * 255,)
                        a = c[3] / 255.0
                        for m in range(3):
                            acc[m] += c[m] * a
                        acc[3] += a
                count = samples * samples
                a = acc[3] / count
                if a <= 0.0:
                    row.append((0, 0, 0, 0))
                else:
                    row.append(tuple(min(255, round(acc[m] / acc[3])) for m in range(3)) + (min(255, round(a * 255)),))
            px.append(row)
        return px


OUTLINE = (40, 40, 48)
FOLDER_EDGE = (150, 104, 20)


def art_folder(art, x0, y0, x1, y1, tab=11, open_=False):
    th = (y1 - y0) * 0.16
    art.add(Poly([(x0, y0 + 1), (x0 + 1, y0), (x0 + tab - 2, y0), (x0 + tab, y0 + th), (x0, y0 + th)]),
            (236, 178, 44), FOLDER_EDGE)
    if not open_:
        art.add(Rect(x0, y0 + th, x1, y1), shade((255, 222, 120), (238, 176, 40), y0 + th, y1), FOLDER_EDGE)
        art.add(Rect(x0 + 1.2, y0 + th + 1.2, x1 - 1.2, y0 + th + 2.2), (255, 244, 200, 200))
    else:
        art.add(Rect(x0, y0 + th, x1 - 3, y1), (214, 150, 30), FOLDER_EDGE)
        art.add(Rect(x0 + 3, y0 + th + 2, x1 - 6, y1 - 4), (250, 250, 250), (170, 170, 170))
        fy = y0 + (y1 - y0) * 0.42
        art.add(Poly([(x0 + 5, fy), (x1 + 1, fy), (x1 - 4, y1), (x0, y1)]),
                shade((255, 226, 130), (240, 180, 44), fy, y1), FOLDER_EDGE)
    return art


def art_trovel():
    art = art_folder(Art(), 1, 10, 31, 30)
    arrow = [(16, 0.5), (24, 0.5), (24, 10), (29, 10), (20, 19.5), (11, 10), (16, 10)]
    return art.add(Poly(arrow), shade((240, 80, 64), (190, 30, 24), 0, 20), (120, 16, 12))


def art_folder_closed():
    return art_folder(Art(), 1, 5, 31, 28)


def art_folder_open():
    return art_folder(Art(), 1, 5, 31, 28, open_=True)


def art_drive_box(art, x0, y0, x1, y1, depth=5):
    art.add(Poly([(x0, y0 + depth), (x0 + depth, y0), (x1, y0), (x1 - depth, y0 + depth)]), (236, 236, 240), OUTLINE)
    art.add(Poly([(x1 - depth, y0 + depth), (x1, y0), (x1, y1 - depth), (x1 - depth, y1)]), (150, 150, 160), OUTLINE)
    art.add(Rect(x0, y0 + depth, x1 - depth, y1), shade((214, 214, 220), (176, 176, 186), y0 + depth, y1), OUTLINE)
    return art


def art_led(art, x, y, r=1.6):
    return art.add(Circle(x, y, r), (70, 220, 90), (20, 110, 40))


def art_drive_fixed():
    art = art_drive_box(Art(), 1, 10, 31, 24)
    art.add(Rect(4, 18.5, 16, 20), (120, 120, 130))
    return art_led(art, 22, 19.5)


def art_drive_removable():
    art = art_drive_box(Art(), 1, 7, 31, 27)
    art.add(Rect(4, 17, 21, 19.5), (40, 40, 48))
    art.add(Rect(15, 22, 21, 24.5), (120, 120, 130), OUTLINE)
    return art_led(art, 6, 23.5)


def art_drive_network():
    art = art_drive_box(Art(), 1, 2, 31, 15)
    art.add(Rect(4, 10, 15, 11.5), (120, 120, 130))
    art_led(art, 21, 11)
    art.add(Rect(12.5, 15, 15.5, 23), (60, 60, 70))
    art.add(Rect(0, 24.5, 31.5, 26.5), (60, 60, 70))
    return art.add(Rect(9, 21, 19, 29), shade((70, 190, 200), (20, 120, 140), 21, 29), (10, 70, 80))


def art_drive_cdrom():
    art = art_drive_box(Art(), 1, 1, 31, 13)
    art.add(Rect(4, 8.5, 15, 10), (120, 120, 130))
    art_led(art, 21, 9.5)
    art.add(Ring(20, 21, 10.5, 1.8), lambda x, y: (210, 230, 240) if (x - 20) * (y - 21) > 0 else (236, 236, 244), OUTLINE)
    return art.add(Ring(20, 21, 4.5, 1.8), (170, 170, 180))


def art_desktop():
    art = Art()
    wood = shade((200, 150, 80), (150, 100, 40), 8, 30)
    art.add(Poly([(6, 8), (31, 8), (25, 14), (0, 14)]), (222, 176, 100), (100, 64, 20))
    art.add(Rect(0, 14, 25, 17), wood, (100, 64, 20))
    art.add(Poly([(25, 14), (31, 8), (31, 11), (25, 17)]), (140, 92, 36), (100, 64, 20))
    art.add(Rect(1, 17, 11, 30), wood, (100, 64, 20))
    art.add(Rect(4, 19.5, 8, 21), (250, 220, 120))
    art.add(Rect(4, 25, 8, 26.5), (250, 220, 120))
    art.add(Rect(20, 17, 23, 30), wood, (100, 64, 20))
    return art.add(Poly([(12, 9), (21, 9), (18, 12.5), (9, 12.5)]), (250, 250, 250), (140, 140, 150))


def art_computer():
    art = Art()
    art.add(Rect(3, 1, 29, 21), (214, 214, 220), OUTLINE)
    art.add(Rect(6, 4, 26, 17), shade((90, 200, 230), (20, 100, 160), 4, 17), (20, 50, 80))
    art.add(Rect(12, 21, 20, 24), (150, 150, 160), OUTLINE)
    art_drive_box(art, 1, 23, 31, 31, depth=3)
    return art_led(art, 24, 28.5, 1.2)


def art_arrow_right():
    art = Art()
    return art.add(Poly([(4, 12), (15, 12), (15, 4.5), (27.5, 16), (15, 27.5), (15, 20), (4, 20)]),
                   shade((70, 70, 80), (20, 20, 28), 4, 28), (0, 0, 0))


def art_hand():
    art = Art()
    # A pointing hand; the tip of the index finger is the hot spot, at the top left.
    finger = Poly([(1, 0.5), (4.5, 0.5), (4.5, 12), (1, 12)])
    palm = Poly([(1, 11), (15, 11), (15, 17), (13, 21), (13, 24), (3, 24), (3, 21), (1, 17)])
    art.add(palm, (255, 255, 255), (0, 0, 0))
    for x in (4.5, 8, 11.5):
        art.add(Rect(x, 7.5, x + 3.5, 13), (255, 255, 255), (0, 0, 0))
    art.add(finger, (255, 255, 255), (0, 0, 0))
    art.add(Rect(1.8, 11, 14.2, 16), (255, 255, 255))
    return art.add(Rect(3, 21, 13, 22.2), (0, 0, 0))


def icon_image_32bpp(px):
    """One 32-bit image with alpha; the AND mask marks the wholly clear pixels for older systems."""
    n = len(px)
    xor = bytearray()
    for y in reversed(range(n)):
        for r, g, b, a in px[y]:
            xor += bytes((b, g, r, a))
    stride = (n + 31) // 32 * 4
    mask = bytearray()
    for y in reversed(range(n)):
        row = bytearray(stride)
        for x in range(n):
            if px[y][x][3] == 0:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += row
    return _info_header(n, n * 2, 32, len(xor) + len(mask)) + bytes(xor) + bytes(mask)


def png_image(px):
    import zlib
    n = len(px)
    raw = b"".join(b"\0" + b"".join(bytes(p) for p in row) for row in px)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", n, n, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def write_ico_all(name, old, art, extra=()):
    """The 16-colour images kept for systems without alpha, then 32-bit ones at every size; a
    256-pixel image is stored PNG-compressed."""
    entries = []
    for cv in old:
        entries.append((cv.w, 16, 4, icon_image_4bpp(cv)))
    for n in SIZES + tuple(extra):
        px = art.render(n, 4 if n <= 64 else 2)
        entries.append((n, 0, 32, png_image(px) if n >= 256 else icon_image_32bpp(px)))
    out = struct.pack("<HHH", 0, 1, len(entries))
    offset = 6 + 16 * len(entries)
    for n, colours, bits, img in entries:
        out += struct.pack("<BBBBHHII", n & 255, n & 255, colours, 0, 1, bits, len(img), offset)
        offset += len(img)
    _write(name, out + b"".join(img for *_, img in entries))


def mirrored_art(art):
    m = Art()
    for shape, fill, edge, width in art.ops:
        if isinstance(shape, Poly):
            shape = Poly([(32 - x, y) for x, y in shape.pts])
        m.add(shape, fill, edge, width)
    return m


def write_cur_all(name, mono, art, hotspot):
    """The monochrome 32 x 32 cursor kept, then 32-bit ones at every size, hot spot scaled."""
    entries = []
    stride = (mono.w + 31) // 32 * 4
    xor = bytearray()
    for y in reversed(range(mono.h)):
        row = bytearray(stride)
        for x in range(mono.w):
            if mono.get(x, y) == WHITE:
                row[x // 8] |= 0x80 >> (x % 8)
        xor += row
    mask = _and_mask(mono, lambda c: c is None)
    img = (_info_header(mono.w, mono.h * 2, 1, len(xor) + len(mask))
           + _palette_bytes([(0, 0, 0), (255, 255, 255)]) + bytes(xor) + mask)
    entries.append((32, 2, hotspot, img))
    for n in SIZES:
        hs = (round(hotspot[0] * n / 32), round(hotspot[1] * n / 32))
        entries.append((n, 0, hs, icon_image_32bpp(art.render(n))))
    out = struct.pack("<HHH", 0, 2, len(entries))
    offset = 6 + 16 * len(entries)
    for n, colours, hs, img in entries:
        out += struct.pack("<BBBBHHII", n & 255, n & 255, colours, 0, hs[0], hs[1], len(img), offset)
        offset += len(img)
    _write(name, out + b"".join(e[3] for e in entries))


def write_bmp32(name, cv):
    """The tool bar in 32-bit colour: its silver ground clear (alpha 0), the rest opaque."""
    bits = bytearray()
    for y in reversed(range(cv.h)):
        for x in range(cv.w):
            c = cv.get(x, y)
            r, g, b = PALETTE[c]
            bits += bytes((b, g, r, 0 if c == SILVER else 255))
    header = _info_header(cv.w, cv.h, 32, len(bits))
    offset = 14 + len(header)
    out = struct.pack("<2sIHHI", b"BM", offset + len(bits), 0, 0, offset)
    _write(name, out + header + bytes(bits))


def main():
    write_ico_all("trovel.ico", [make_trovel(32), make_trovel(16)], art_trovel(), (64, 256))
    for name, fn, art in (("drive_removable", make_drive_removable, art_drive_removable),
                          ("drive_fixed", make_drive_fixed, art_drive_fixed),
                          ("drive_network", make_drive_network, art_drive_network),
                          ("drive_cdrom", make_drive_cdrom, art_drive_cdrom),
                          ("desktop", make_desktop, art_desktop),
                          ("folder_closed", make_folder_closed, art_folder_closed),
                          ("folder_open", make_folder_open, art_folder_open),
                          ("computer", make_computer, art_computer)):
        write_ico_all(name + ".ico", [fn(32), fn(16)], art())
    right = make_arrow_right()
    write_ico_all("arrow_right.ico", [right], art_arrow_right())
    write_ico_all("arrow_left.ico", [right.mirrored()], mirrored_art(art_arrow_right()))
    write_cur_all("hand.cur", make_hand(), art_hand(), (0, 0))
    write_bmp32("toolbar.bmp", make_toolbar())


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""Regenerate Trovel's icons, cursor and tool bar bitmap in res/.

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


def main():
    write_ico("trovel.ico", [make_trovel(32), make_trovel(16)])
    for name, fn in (("drive_removable", make_drive_removable),
                     ("drive_fixed", make_drive_fixed),
                     ("drive_network", make_drive_network),
                     ("drive_cdrom", make_drive_cdrom),
                     ("desktop", make_desktop),
                     ("folder_closed", make_folder_closed),
                     ("folder_open", make_folder_open),
                     ("computer", make_computer)):
        write_ico(name + ".ico", [fn(32), fn(16)])
    right = make_arrow_right()
    write_ico("arrow_right.ico", [right])
    write_ico("arrow_left.ico", [right.mirrored()])
    write_cur("hand.cur", make_hand(), (0, 0))
    write_bmp("toolbar.bmp", make_toolbar())


if __name__ == "__main__":
    main()

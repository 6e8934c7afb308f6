"""The small pictures: lives lamps, staff-roll frame, boss core, the ship and
its invincible variant, the enemy, the two blast frames, the balloon caps and
the program icon."""

from canvas import Canvas, mix
from outline import expect_outline

WHITE = 0xFFFFFF
RED = 0xFF0000
BLACK = 0x000000


def from_art(width, height, key, art, palette, top=0):
    """A canvas from character art: '.' is the key colour, other characters
    index `palette`."""
    c = Canvas(width, height, key)
    for dy, row in enumerate(art):
        assert len(row) == width, row
        for x, ch in enumerate(row):
            if ch != ".":
                c.set(x, top + dy, palette[ch])
    return c


def lamps():
    c = Canvas(25, 11, WHITE)
    for x0 in (1, 13):
        c.fill_rect(x0, 1, x0 + 10, 10, 0x404448)
        c.fill_rect(x0 + 1, 2, x0 + 9, 9, 0x1E8C28)
        c.fill_rect(x0 + 2, 2, x0 + 6, 3, 0x7CE07C)
    expect_outline(c, WHITE, [(1, 1, 11, 10), (13, 1, 23, 10)], "lamps")
    return c


def staff_frame():
    c = Canvas(163, 95, WHITE)
    c.fill_rect(1, 1, 162, 94, 0xE0E0E0)
    expect_outline(c, WHITE, [(1, 1, 162, 94)], "staff frame")
    return c


def core():
    c = Canvas(37, 66, WHITE)
    art = [".###", "####", "####", "####", "####", ".###"]
    for dy, row in enumerate(art):
        for dx, ch in enumerate(row):
            if ch == "#":
                c.set(8 + dx, 38 + dy, 0x00FF00)
    expect_outline(c, WHITE, [(9, 38, 12, 39), (8, 39, 12, 43), (9, 43, 12, 44)], "core")
    return c


SHIP_ART = [
    "...................",
    "....dm.............",
    "....dmm............",
    ".....dml..Cc.......",
    "....dmmllllhll.....",
    "..Eemmmllhhhlmd....",
    "....dmmmr.rrmmd....",
    "....dmm............",
    "..Eedddmmd.........",
    "...................",
]
SHIP_RECTS = [(4, 1, 6, 2), (4, 2, 7, 3), (5, 3, 8, 4), (10, 3, 12, 4), (4, 4, 14, 5),
              (2, 5, 15, 6), (4, 6, 9, 7), (10, 6, 15, 7), (4, 7, 7, 8), (2, 8, 10, 9)]
# A dark edge and a light body: the ship shows on light, blue and dark
# desktops alike.
SHIP_COLOURS = {
    "d": 0x3E5299, "m": 0x7C9CE0, "l": 0xB0C8F2, "h": 0xF0F6FF,
    "c": 0x0090B8, "C": 0x7CF0FF, "r": 0xD83848, "e": 0xFF6A10, "E": 0xFFD848,
}
SHIP_GOLD = dict(SHIP_COLOURS, d=0x8C5C0C, m=0xC89018, l=0xF4C848, h=0xFFF2B0,
                 C=0xFFFFD8, r=0xFF8020)


def ship(colours):
    c = from_art(19, 10, WHITE, SHIP_ART, colours)
    expect_outline(c, WHITE, SHIP_RECTS, "ship")
    return c


ENEMY_ART = [
    ".....................",
    "........dmmmmd.......",
    ".........dmd.........",
    "...dmllllmd..........",
    "..YmllllllllmmD......",
    "..d..mm..mmd.........",
    "....mm..dmmmmD.......",
    "...dm................",
    ".....................",
    ".....................",
]


def enemy():
    colours = {"d": 0x4A0C22, "m": 0x8C1C34, "l": 0xD04458, "D": 0x2A0612, "Y": 0xFFE040}
    c = from_art(21, 10, WHITE, ENEMY_ART, colours)
    expect_outline(c, WHITE, [(8, 1, 14, 2), (9, 2, 12, 3), (3, 3, 11, 4), (2, 4, 15, 5),
                              (2, 5, 3, 6), (5, 5, 7, 6), (9, 5, 12, 6), (4, 6, 6, 7),
                              (8, 6, 14, 7), (3, 7, 5, 8)], "enemy")
    return c


BLAST_13 = [
    "............",
    ".....##.....",
    "....#####...",
    "..#.######..",
    "..########..",
    ".##########.",
    ".######..#..",
    "..########..",
    "..#######...",
    "....######..",
    ".....##.....",
    "............",
]
BLAST_14 = [
    "............",
    ".....##.....",
    "...#####....",
    "..######.#..",
    "..########..",
    ".##########.",
    "..#..######.",
    "..########..",
    "...#######..",
    "..######....",
    ".....##.....",
    "............",
]


def blast(art, rects, phase):
    c = Canvas(12, 12, WHITE)
    for y, row in enumerate(art):
        for x, ch in enumerate(row):
            if ch == "#":
                d = ((x - 5.5) ** 2 + (y - 5.5) ** 2) ** 0.5 + (0.6 if (x + y + phase) % 3 == 0 else 0)
                colour = (0xFFFFA0 if d < 1.8 else 0xFFD030 if d < 3.0 else
                          0xFF8018 if d < 4.2 else 0xC82808)
                c.set(x, y, colour)
    expect_outline(c, WHITE, rects, "blast")
    return c


def blast_13():
    return blast(BLAST_13, [(5, 1, 7, 2), (4, 2, 9, 3), (2, 3, 3, 4), (4, 3, 10, 4),
                            (2, 4, 10, 5), (1, 5, 11, 6), (1, 6, 7, 7), (9, 6, 10, 7),
                            (2, 7, 10, 8), (2, 8, 9, 9), (4, 9, 10, 10), (5, 10, 7, 11)], 0)


def blast_14():
    return blast(BLAST_14, [(5, 1, 7, 2), (3, 2, 8, 3), (2, 3, 8, 4), (9, 3, 10, 4),
                            (2, 4, 10, 5), (1, 5, 11, 6), (2, 6, 3, 7), (5, 6, 11, 7),
                            (2, 7, 10, 8), (3, 8, 10, 9), (2, 9, 8, 10), (5, 10, 7, 11)], 1)


# Balloon caps: the in-cap runs per row (x0, x1) of each cap's outline, and the
# side on which the cap joins the balloon's centre (rows 1..15).
CAP_RUNS = [
    (8, "right", {1: [(7, 8)], 2: [(5, 8)], 3: [(3, 8)], 4: [(3, 8)], 5: [(2, 8)],
                  **{y: [(1, 8)] for y in range(6, 11)}, **{y: [(2, 8)] for y in range(11, 14)},
                  14: [(1, 8)], 15: [(1, 8)], 16: [(0, 5)], 17: [(0, 3)]}),
    (7, "left", {1: [(0, 1)], 2: [(0, 3)], 3: [(0, 5)], 4: [(0, 5)], 5: [(0, 6)],
                 **{y: [(0, 7)] for y in range(6, 11)}, 11: [(0, 6)], 12: [(0, 5)],
                 13: [(0, 5)], 14: [(0, 3)], 15: [(0, 1)]}),
    (7, "right", {1: [(6, 7)], 2: [(4, 7)], 3: [(2, 7)], 4: [(2, 7)], 5: [(1, 7)],
                  **{y: [(0, 7)] for y in range(6, 11)}, 11: [(1, 7)], 12: [(2, 7)],
                  13: [(2, 7)], 14: [(4, 7)], 15: [(6, 7)]}),
    (8, "left", {1: [(0, 1)], 2: [(0, 3)], 3: [(0, 5)], 4: [(0, 5)], 5: [(0, 6)],
                 **{y: [(0, 7)] for y in range(6, 11)}, **{y: [(0, 6)] for y in range(11, 14)},
                 14: [(0, 7)], 15: [(0, 7)], 16: [(3, 8)], 17: [(5, 8)]}),
]


def balloon_cap(index):
    """White body, black outline; the joining side continues into the centre."""
    width, join, runs = CAP_RUNS[index]
    inside = {(x, y) for y, rs in runs.items() for x0, x1 in rs for x in range(x0, x1)}

    def filled(x, y):
        if (join == "right" and x >= width) or (join == "left" and x < 0):
            return 1 <= y <= 15
        return (x, y) in inside

    c = Canvas(width, 18, RED)
    for x, y in inside:
        edge = not all(filled(x + dx, y + dy) for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
        c.set(x, y, BLACK if edge else WHITE)
    return c


# The icons: the ship alone, every pixel outside it transparent, so that it
# sits on any panel or menu. Each size is drawn at its own resolution: the
# ship's art enlarged by a whole number, then lit along its upper edges,
# shaded along its lower ones and ringed by a thin dark line.
ICON_RIM = 0x0E1430


def ship_pixels(scale):
    """{(x, y): colour} of the ship's art (columns 2..14, rows 1..8)
    enlarged `scale` times, lit and shaded at that size, with its rim."""
    body = {}
    for y, row in enumerate(SHIP_ART[1:9]):
        for x, ch in enumerate(row[2:15]):
            if ch == ".":
                continue
            for dy in range(scale):
                for dx in range(scale):
                    body[(1 + x * scale + dx, 1 + y * scale + dy)] = (ch, dx, dy)
    out = {}
    for (x, y), (ch, dx, dy) in body.items():
        colour = SHIP_COLOURS[ch]
        if ch in "Ee":                      # the flames: hot at the engine
            colour = mix(colour, 0xFFFFE0, 0.5 * dx / max(scale - 1, 1))
        elif (x, y - 1) not in body:
            colour = mix(colour, 0xFFFFFF, 0.45)
        elif (x, y + 1) not in body or (x + 1, y) not in body:
            colour = mix(colour, 0x101830, 0.3)
        if ch == "C" and scale > 1 and dx == 0 and dy == 0:
            colour = 0xFFFFFF               # a glint on the canopy
        out[(x, y)] = colour
    for x, y in list(body):
        for nx in (x - 1, x, x + 1):
            for ny in (y - 1, y, y + 1):
                if (nx, ny) not in body:
                    out[(nx, ny)] = ICON_RIM
    return out


def ship_icon(size, scale, left, top, background=None):
    """The ship at `scale` with its top-left (rim included) at (left, top),
    on a clear canvas or on `background`, a function of the canvas."""
    c = Canvas(size, size, None)
    if background:
        background(c)
    for (x, y), colour in ship_pixels(scale).items():
        c.set(left + x, top + y, colour)
    return c


def night_tile(c):
    """The program's own copy of the icon (the version dialog's and the
    windows', pictures without transparency) keeps the ship on a night-blue
    tile over a strip of cave."""
    for y in range(c.height):
        for x in range(c.width):
            c.set(x, y, mix(0x1C2C58, 0x080C1C, y / (c.height - 1)))
    for x, y in ((3, 3), (20, 2), (28, 6), (9, 27), (14, 4), (25, 25)):
        c.set(x, y, 0x90A0D0)
    for x in range(c.width):
        top = 27 + (1 if (x * 7) % 5 == 0 else 0) - (1 if x % 9 == 4 else 0)
        for y in range(top, c.height):
            c.set(x, y, 0x1A1622 if y == top else mix(0x7A6A76, 0x3A3042, (y - top) / 4))


# size: (scale, left, top) of the ship with its rim.
ICON_PLACES = {16: (1, 0, 3), 22: (1, 3, 6), 24: (1, 4, 7), 32: (2, 0, 6), 48: (3, 0, 11)}


def icon(size=32):
    scale, left, top = ICON_PLACES[size]
    return ship_icon(size, scale, left, top)


def icon_tile():
    scale, left, top = ICON_PLACES[32]
    return ship_icon(32, scale, left, top, night_tile)

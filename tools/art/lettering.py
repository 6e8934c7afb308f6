"""Lettering pictures: the title (shape 4), the credits (shape 2) and the
closing line (shape 3) of the staff roll."""

from canvas import Canvas, mix
from font import text_mask, text_width

BLUE = 0x0000FF
BLACK = 0x000000

# --- title -------------------------------------------------------------------

# The big letters as polygons in a 26 x 32 box; ("+", poly) adds, ("-", poly)
# cuts a counter out again.


def rect(x0, y0, x1, y1):
    return [(x0, y0), (x1, y0), (x1, y1), (x0, y1)]


BIG_LETTERS = {
    "Z": [("+", rect(0, 0, 26, 7)), ("+", rect(0, 25, 26, 32)),
          ("+", [(17, 7), (26, 7), (9, 25), (0, 25)])],
    "E": [("+", rect(0, 0, 7, 32)), ("+", rect(0, 0, 26, 7)), ("+", rect(0, 13, 21, 19)),
          ("+", rect(0, 25, 26, 32))],
    "M": [("+", rect(0, 0, 7, 32)), ("+", rect(22, 0, 29, 32)),
          ("+", [(0, 0), (7, 0), (14.5, 12), (22, 0), (29, 0), (17.5, 20), (11.5, 20)])],
    "B": [("+", [(0, 0), (20, 0), (24, 4), (24, 11), (21, 15.5), (26, 20), (26, 28), (22, 32),
                 (0, 32)]),
          ("-", rect(7, 7, 17, 13)), ("-", rect(7, 19, 19, 25))],
    "R": [("+", [(0, 0), (21, 0), (25, 4), (25, 15), (21, 19), (0, 19)]), ("+", rect(0, 0, 7, 32)),
          ("+", [(11, 19), (19, 19), (26, 32), (18, 32)]), ("-", rect(7, 7, 18, 13))],
    "A": [("+", [(0, 8), (8, 0), (18, 0), (26, 8), (26, 32), (19, 32), (19, 23), (7, 23), (7, 32),
                 (0, 32)]),
          ("-", [(7, 10), (10, 7), (16, 7), (19, 10), (19, 17), (7, 17)])],
    "N": [("+", rect(0, 0, 7, 32)), ("+", rect(19, 0, 26, 32)),
          ("+", [(0, 0), (8, 0), (26, 27), (26, 32), (18, 32), (0, 5)])],
    "T": [("+", rect(0, 0, 26, 7)), ("+", rect(9.5, 0, 16.5, 32))],
}
BIG_H = 32
SLANT = 0.22  # italic: x shifts right by SLANT per pixel of height above the base


def point_in_polygon(x, y, poly):
    inside = False
    for i in range(len(poly)):
        (x0, y0), (x1, y1) = poly[i], poly[i - 1]
        if (y0 > y) != (y1 > y) and x < x0 + (y - y0) * (x1 - x0) / (y1 - y0):
            inside = not inside
    return inside


def letter_covers(parts, x, y):
    inside = False
    for sign, poly in parts:
        if point_in_polygon(x, y, poly):
            inside = sign == "+"
    return inside


def letter_width(parts):
    return max(px for _, poly in parts for px, _ in poly)


def big_text_mask(text, gap):
    """Set of covered pixels of the slanted big lettering, origin top-left."""
    covered = set()
    x0 = 0
    width = sum(letter_width(BIG_LETTERS[c]) for c in text) + gap * (len(text) - 1)
    for ch in text:
        parts = BIG_LETTERS[ch]
        w = letter_width(parts)
        for py in range(BIG_H):
            for px in range(int(x0) - 1, int(x0 + w + SLANT * BIG_H) + 2):
                hits = 0
                for sy in (0.125, 0.375, 0.625, 0.875):
                    for sx in (0.125, 0.375, 0.625, 0.875):
                        yy = py + sy
                        xx = px + sx - SLANT * (BIG_H - yy) - x0
                        hits += letter_covers(parts, xx, yy)
                if hits >= 8:
                    covered.add((px, py))
        x0 += w + gap
    return covered, int(width + SLANT * BIG_H) + 1


def neighbours8(x, y):
    return [(x + dx, y + dy) for dx in (-1, 0, 1) for dy in (-1, 0, 1) if dx or dy]


def title():
    c = Canvas(300, 48, BLUE)
    letters, width = big_text_mask("ZEMBRANT", 4)
    ox, oy = (300 - width - 3) // 2, 1
    letters = {(x + ox, y + oy) for x, y in letters}
    outline = {n for p in letters for n in neighbours8(*p)} - letters
    shadow = {(x + 3, y + 3) for x, y in letters | outline} - letters - outline
    for x, y in shadow:
        c.set(x, y, 0x241430)
    for x, y in outline:
        c.set(x, y, 0x3A0C08)
    for x, y in letters:
        c.set(x, y, title_fill(x, y, oy, letters))
    push_space_key(c)
    return c


def title_fill(x, y, top, letters):
    """Gold to flame gradient with a bright rim on the upper left and a dark
    rim on the lower right."""
    t = (y - top) / (BIG_H - 1)
    if t < 0.45:
        base = mix(0xFFF8C8, 0xFFC828, t / 0.45)
    else:
        base = mix(0xFF9A18, 0xB82808, (t - 0.45) / 0.55)
    if (x - 1, y) not in letters or (x, y - 1) not in letters:
        return mix(base, 0xFFFFF0, 0.55)
    if (x + 1, y) not in letters or (x, y + 1) not in letters:
        return mix(base, 0x401000, 0.35)
    return base


def push_space_key(c):
    text = "PUSH SPACE KEY"
    mask = text_mask(text)
    x0, y0 = (300 - text_width(text)) // 2, 39
    pts = {(x0 + x, y0 + y) for y, row in enumerate(mask) for x, ch in enumerate(row) if ch == "#"}
    rim = {n for p in pts for n in neighbours8(*p)} - pts
    for x, y in rim:
        c.set(x, y, 0x101828)
    for x, y in pts:
        c.set(x, y, mix(0xF4FCFF, 0x8CD8FF, (y - y0) / 6))

# --- staff roll --------------------------------------------------------------

FRAME_W = 163

# The lettering fills rows 93..581, the stretch the staff roll scrolls
# through its frame before it leaves the closing line on its own.
# Every line must read on a black and on a white desktop without changing
# its outline. Lines of 2- and 3-pixel strokes are light with a dark shade
# inside their lower right edges, so each stroke shows a light and a dark
# side; the 1-pixel role lines have no room for two tones and take a strong
# orange that stands apart from black, white and a blue desktop alike.
NAME = (0xFFFFF0, 0x46557A)      # light face, shade dark enough for white, seen on black
HEADING = (0xFFE878, 0x8A4A10)
ROLE = 0xE8741C

CREDITS = [  # text, scale, look, blank rows before the line
    ("ZEMBRANT", 3, HEADING, 0),
    ("PROGRAM", 1, ROLE, 34),
    ("GRAPHICS", 1, ROLE, 6),
    ("GAME DESIGN", 1, ROLE, 6),
    ("THE ZEMBRANT", 2, NAME, 10),
    ("TEAM", 2, NAME, 6),
    ("TEST PILOT", 1, ROLE, 44),
    ("YOU", 2, NAME, 8),
    ("THE BOSS", 1, ROLE, 44),
    ("ITS CORE", 2, NAME, 8),
    ("SPECIAL THANKS", 1, ROLE, 44),
    ("EVERY WINDOW", 2, NAME, 8),
    ("ON YOUR", 2, NAME, 6),
    ("DESKTOP", 2, NAME, 6),
    ("PRESENTED BY", 1, ROLE, 49),
    ("THE ZEMBRANT", 2, NAME, 8),
    ("TEAM", 2, NAME, 6),
]
CREDITS_TOP = 93


def shaded(mask, look):
    """colour_of for paste_mask: one colour, or a (face, shade) pair with the
    shade on the pixels whose right or lower neighbour is not lettering."""
    if isinstance(look, int):
        return lambda dx, dy: look
    face, shade = look

    def covered(dx, dy):
        return 0 <= dy < len(mask) and 0 <= dx < len(mask[dy]) and mask[dy][dx] not in ". "

    def colour_of(dx, dy):
        edge = not covered(dx + 1, dy) or not covered(dx, dy + 1)
        return shade if edge else face
    return colour_of


def draw_line(c, text, scale, look, y):
    mask = text_mask(text, scale)
    x0 = (FRAME_W - text_width(text, scale)) // 2
    colour_of = shaded(mask, look)
    c.paste_mask(mask, x0, y, lambda x, yy, ch: colour_of(x - x0, yy - y))
    return y + len(mask)


def credits():
    c = Canvas(177, 613, BLACK)
    y = CREDITS_TOP
    for text, scale, look, before in CREDITS:
        y = draw_line(c, text, scale, look, y + before)
    return c


def closing_line():
    c = Canvas(177, 58, BLACK)
    y = draw_line(c, "THANK YOU", 2, NAME, 7)
    draw_line(c, "FOR PLAYING", 1, ROLE, y + 3)
    return c

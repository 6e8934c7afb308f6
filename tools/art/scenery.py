"""The scenery strip (shapes 6 and 7): a cave with a rock ceiling and floor
that the ship flies through, three vents on the floor and the boss's chamber
at the end; picture 7 has the way back closed by a rockfall."""

import math

from canvas import Canvas, mix, hash01

MAGENTA = 0xFF00FF
W, H = 1024, 99
MOUTH = 52                 # columns 0..51 stay empty
VENTS = (546, 562, 580)    # bursts start at row 83 above these columns
VENT_FLOOR = 85
WALL = (860, 879)          # the rockfall of picture 7, columns [860, 879)


def value_noise(x, period, seed):
    """Smooth noise in [-1, 1]."""
    i = math.floor(x / period)
    t = x / period - i
    t = t * t * (3 - 2 * t)
    a = hash01(i, 0, seed) * 2 - 1
    b = hash01(i + 1, 0, seed) * 2 - 1
    return a + (b - a) * t


def spike(x, centre, depth, half_width, power=1.4):
    d = abs(x - centre) / half_width
    return depth * max(0.0, 1.0 - d) ** power


def hump(x, centre, height, half_width):
    d = abs(x - centre) / half_width
    return height * (0.5 + 0.5 * math.cos(math.pi * d)) if d < 1 else 0.0


STALACTITES = [  # centre, depth below the ceiling, half width
    (128, 10, 4), (176, 16, 6), (262, 12, 4), (305, 15, 5),
    (372, 40, 13), (404, 14, 4), (476, 33, 10), (520, 12, 4), (610, 16, 6),
    (668, 14, 5), (716, 18, 6), (772, 13, 4), (822, 31, 11),
]
MOUNDS = [  # centre, height above the floor, half width
    (150, 8, 14), (226, 13, 12), (290, 7, 10), (432, 34, 24), (500, 10, 9),
    (640, 10, 12), (700, 14, 10), (748, 8, 8), (846, 24, 16),
]


def ceiling_top(x):
    """First rock row of the ceiling (its upper edge against the desktop)."""
    return max(0, round(1.2 + 1.2 * value_noise(x, 9, 7) + 0.8 * value_noise(x, 3, 8)))


def ceiling_bottom(x):
    """First open row under the ceiling."""
    c = 8 + 2.5 * value_noise(x, 37, 1) + 1.5 * value_noise(x, 11, 2) + 0.7 * value_noise(x, 4, 9)
    for centre, depth, hw in STALACTITES:
        c += spike(x, centre, depth, hw)
    if x < 100:
        c = min(c, 1 + (x - MOUTH) * 0.22 + 1.5 * value_noise(x, 5, 3))
    if x >= 880:
        c = min(c, 7 + 1.5 * value_noise(x, 23, 4))
    return round(c)


def floor_top(x):
    """First rock row of the floor."""
    f = 88 + 3 * value_noise(x, 45, 5) + 1.6 * value_noise(x, 12, 6) + 0.6 * value_noise(x, 4, 10)
    for centre, height, hw in MOUNDS:
        f -= hump(x, centre, height, hw)
    if 524 <= x <= 600:
        f = VENT_FLOOR + 0.7 * value_noise(x, 5, 11)
    if x < 120:
        f = max(f, 98 - (x - MOUTH) * 0.16 + 1.2 * value_noise(x, 6, 12))
    if x >= 880:
        f = 91 + 1.2 * value_noise(x, 29, 13) + 0.5 * value_noise(x, 5, 14)
    return round(f)


def vent_cells(x):
    """Rows of the vent's mouth above column x (open), and the crater rim."""
    for v in VENTS:
        if abs(x - v) <= 1:
            return "hole"
        if 2 <= abs(x - v) <= 3:
            return "rim"
    return None


def rock_rows(x, closed):
    """The rock rows of column x as a set."""
    if x < MOUTH:
        return set()
    if closed and WALL[0] <= x < WALL[1]:
        return wall_rows(x)
    top, bottom, floor = ceiling_top(x), ceiling_bottom(x), floor_top(x)
    rows = set(range(top, max(top, bottom)))
    kind = vent_cells(x)
    if kind == "rim":
        floor -= 3
    if kind == "hole":
        floor = 90
    rows |= set(range(floor, H))
    return rows


def wall_rows(x):
    """The rockfall fills the column from the ceiling to the bottom."""
    return set(range(ceiling_top(x), H))


# --- colours -----------------------------------------------------------------

ROCK = [0xB4A89C, 0x8E8088, 0x6E6270, 0x564C5C, 0x443C4C, 0x362F3E]
RIM = 0x1C1824
MOSS = [0x6E8C44, 0x4E6C34]
GOLD = 0xD0A850
GLOW = [0xFFB040, 0xE05020, 0x902818]


def colour_rock(rock, x, y):
    """Shade by depth below the lit surface, with strata and specks."""
    open_n = [(nx, ny) for nx, ny in ((x - 1, y), (x + 1, y), (x, y - 1), (x, y + 1))
              if 0 <= nx < W and 0 <= ny < H and ny not in rock[nx]]
    open_n += [(x, y - 1)] if y == 0 else []
    if open_n:
        return RIM
    depth = surface_depth(rock, x, y)
    strata = 0.5 + 0.5 * math.sin(y * 0.85 + 3 * value_noise(x, 30, 21) + 1.5 * value_noise(x, 7, 22))
    shade = depth / 3.2 + 1.2 * strata + 0.9 * hash01(x, y, 23)
    colour = ROCK[min(len(ROCK) - 1, int(shade))]
    r = hash01(x, y, 24)
    if r < 0.012:
        colour = mix(colour, 0xF0E8E0, 0.45)
    elif r < 0.016 and depth > 2:
        colour = GOLD
    if is_floor(rock, x, y) and depth <= 2 and value_noise(x, 21, 25) > 0.35 and hash01(x, y, 26) < 0.8:
        colour = MOSS[min(depth - 1, 1)] if depth >= 1 else colour
    return colour


def is_floor(rock, x, y):
    return y > 45 and all(yy in rock[x] for yy in range(y, H))


def surface_depth(rock, x, y):
    """How far the pixel lies from the cave (up for the floor, down for the
    ceiling), capped at 12."""
    for d in range(1, 13):
        if is_floor(rock, x, y):
            if y - d < 0 or (y - d) not in rock[x]:
                return d
        elif y + d >= H or (y + d) not in rock[x]:
            return d
    return 12


def vent_glow(c, rock):
    for v in VENTS:
        for x in range(v - 1, v + 2):
            c.set(x, 90, GLOW[abs(x - v)])
            c.set(x, 91, GLOW[min(2, abs(x - v) + 1)])


def scenery(closed):
    rock = [rock_rows(x, closed) for x in range(W)]
    c = Canvas(W, H, MAGENTA)
    for x in range(W):
        for y in rock[x]:
            c.set(x, y, colour_rock(rock, x, y))
    vent_glow(c, rock)
    return c

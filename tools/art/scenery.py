"""The scenery strip (shapes 6 and 7): a cave with a rock ceiling and floor
that the ship flies through, three vents on the floor, and at its end the
boss's lair with a steel floor and girder; picture 7 has the way back closed
by a rockfall."""

import math

from canvas import Canvas, mix, hash01

MAGENTA = 0xFF00FF
W, H = 1024, 99
MOUTH = 52                 # columns 0..51 stay empty
VENTS = (546, 562, 580)    # bursts start at row 83 above these columns
VENT_FLOOR = 86
LAIR = 884                 # the boss's lair: steel from here on
LAIR_FLOOR = 90
GIRDER = (1, 8)            # rows of the lair's ceiling girder
WALL = (858, 880)          # the rockfall of picture 7, columns [858, 880)


def value_noise(x, period, seed):
    """Smooth noise in [-1, 1]."""
    i = math.floor(x / period)
    t = x / period - i
    t = t * t * (3 - 2 * t)
    a = hash01(i, 0, seed) * 2 - 1
    b = hash01(i + 1, 0, seed) * 2 - 1
    return a + (b - a) * t


def jag(x, seed, step=3):
    """A rough edge: -1, 0 or 1, changing every `step` columns."""
    return int(hash01(x // step, 1, seed) * 3) - 1


def spike(x, centre, depth, half_width, seed):
    d = abs(x - centre) / half_width
    if d >= 1:
        return 0.0
    rough = 1.0 + 0.18 * value_noise(x, 3, seed)
    return depth * (1.0 - d) ** 1.3 * rough


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
    if x >= LAIR:
        return GIRDER[0]
    return max(0, round(1.2 + 1.2 * value_noise(x, 9, 7) + 0.8 * value_noise(x, 3, 8)))


def ceiling_bottom(x):
    """First open row under the ceiling."""
    if x >= LAIR:
        return GIRDER[1]
    c = 11 + 2.5 * value_noise(x, 37, 1) + 1.5 * value_noise(x, 11, 2) + jag(x, 9)
    for i, (centre, depth, hw) in enumerate(STALACTITES):
        c += spike(x, centre, depth, hw, 40 + i)
    if x < 100:
        c = min(c, 1 + (x - MOUTH) * 0.22 + 1.5 * value_noise(x, 5, 3))
    if x >= LAIR - 14:
        c = min(c, 8 + (LAIR - x) * 0.3)
    return max(ceiling_top(x) + 1, round(c))


def floor_top(x):
    """First rock row of the floor."""
    if x >= LAIR:
        return LAIR_FLOOR
    f = 87 + 3 * value_noise(x, 45, 5) + 1.6 * value_noise(x, 12, 6) + jag(x, 10)
    for centre, height, hw in MOUNDS:
        f -= hump(x, centre, height, hw)
    if 522 <= x <= 604:
        f = VENT_FLOOR + 0.8 * value_noise(x, 6, 11)
        for v in VENTS:
            f -= cone(x, v)
    if x < 120:
        f = max(f, 98 - (x - MOUTH) * 0.16 + 1.2 * value_noise(x, 6, 12))
    return round(f)


def cone(x, vent):
    """The vent's crater: a cone with a flat rim around its mouth."""
    d = abs(x - vent)
    return 4.0 if d <= 2 else max(0.0, 4.0 - (d - 2) * 0.6)


def rockfall_rows(x):
    """The rockfall: boulders piled from the floor to the ceiling, ragged on
    both faces, solid in its middle."""
    rows = set()
    for y in range(ceiling_top(x), H):
        spread = max(0, (y - 50) // 9)
        left = WALL[0] + max(0, 4 + round(3 * value_noise(y, 5, 51)) - spread)
        right = WALL[1] - max(0, 4 + round(3 * value_noise(y, 6, 52)) - spread)
        if left <= x < right:
            rows.add(y)
    return rows


def rock_rows(x, closed):
    """The rock (or steel) rows of column x as a set."""
    if x < MOUTH:
        return set()
    rows = set(range(ceiling_top(x), ceiling_bottom(x)))
    if closed and WALL[0] <= x < WALL[1]:
        rows |= rockfall_rows(x)
    floor = floor_top(x)
    if any(abs(x - v) <= 1 for v in VENTS):
        floor = 90
    rows |= set(range(floor, H))
    if x >= LAIR:
        rows -= girder_holes(x)
    return rows


def girder_holes(x):
    """The lattice of the lair's ceiling girder: triangles between braces."""
    u = (x - LAIR) % 12
    holes = set()
    for y in range(3, 6):
        v = y - 3
        if 2 + v <= u <= 9 - v and u not in (5, 6):
            holes.add(y)
    return holes


# --- colours -----------------------------------------------------------------

RIM = 0x1A1622
TONES = [0x7C6C80, 0x6E6074, 0x887682]
LIT = {True: 0xE4D4BA, False: 0xB4A8C8}  # the lit line inside the rim: floor, ceiling
DEEP = 0x2A2232
SAND = 0xC4B49E
MOSS = [0x7C9A48, 0x587A36]
CRYSTAL = [0xB8FFFF, 0x5CD8F0, 0x2C8CB0]
GLOW = [0xFFD060, 0xFF7028, 0xA02C18]
STEEL = [0xC4CCDA, 0x8A94AC, 0x5C667E, 0x3E465A]
HAZARD = [0xF0C020, 0x24202A]


def is_open(rock, x, y):
    return 0 <= x < W and 0 <= y < H and y not in rock[x]


def on_rim(rock, x, y):
    if y == 0 and x >= MOUTH:
        return False
    return any(is_open(rock, nx, ny) for nx, ny in ((x - 1, y), (x + 1, y), (x, y - 1), (x, y + 1)))


def inside_rim(rock, x, y):
    """The rock's second pixel from the open: lit, so the strip's edge shows
    as a light line on a dark desktop and as the dark rim on a light one."""
    return any(0 <= nx < W and 0 <= ny < H and ny in rock[nx] and on_rim(rock, nx, ny)
               for nx, ny in ((x - 1, y), (x + 1, y), (x, y - 1), (x, y + 1)))


def in_floor(x, y):
    return y >= 45


def depth_below_surface(rock, x, y):
    """Rows to the cave: up from the floor, down from the ceiling (max 16)."""
    step = -1 if in_floor(x, y) else 1
    for d in range(1, 17):
        yy = y + step * d
        if yy < 0 or yy >= H or yy not in rock[x]:
            return d
    return 16


def rock_colour(rock, x, y):
    depth = depth_below_surface(rock, x, y)
    layer = int((y + 5 * value_noise(x, 50, 31) + 2 * value_noise(x, 13, 32)) // 4)
    colour = TONES[layer % 3]
    colour = mix(colour, DEEP, min(depth, 14) / 14 * 0.75)
    floor = in_floor(x, y)
    if floor and depth == 1:
        colour = mix(SAND, TONES[0], 0.25 * hash01(x, y, 33))
    elif floor and depth == 2:
        colour = mix(SAND, colour, 0.55)
    elif not floor and depth <= 2:
        colour = mix(colour, DEEP, 0.35)
    r = hash01(x, y, 24)
    if r < 0.025:
        colour = mix(colour, 0xF0E8E0, 0.3)
    elif r < 0.045:
        colour = mix(colour, DEEP, 0.5)
    if floor and depth <= 2 and value_noise(x, 23, 25) > 0.3 and hash01(x, y, 26) < 0.75:
        colour = MOSS[depth - 1]
    if not floor and depth <= 3 and crystal_at(x):
        colour = CRYSTAL[min(depth - 1, 2)]
    return colour


def crystal_at(x):
    return value_noise(x, 17, 27) > 0.55 and hash01(x // 2, 2, 28) < 0.5 and x < LAIR - 20


def in_vent_mouth(x, y):
    return any(abs(x - v) == 2 for v in VENTS) and 80 <= y < 90


def near_vent_heat(x, y):
    d = min(abs(x - v) for v in VENTS)
    return max(0.0, 1.0 - d / 9.0) * (0.5 if y > 92 else 0.8)


def boulder_colour(x, y):
    """Stones of the rockfall: lit from the upper left, dark seams between."""
    near = []
    for cy in range(y // 7 - 1, y // 7 + 2):
        for cx in range(x // 7 - 1, x // 7 + 2):
            px = cx * 7 + 3.5 + 2.5 * (hash01(cx, cy, 61) - 0.5)
            py = cy * 7 + 3.5 + 2.5 * (hash01(cx, cy, 62) - 0.5)
            near.append((math.hypot(x - px, y - py), x - px, y - py))
    near.sort()
    d, dx, dy = near[0]
    if near[1][0] - d < 0.9:
        return RIM
    light = 0.15 + d / 6.0 + (0.25 if dx + dy > 0 else -0.1)
    return mix(0x9A8890, DEEP, light)


def steel_colour(rock, x, y):
    if y < 20:                                   # the girder
        if y in (GIRDER[0], 2):
            return STEEL[0] if y == 2 else STEEL[1]
        if y == GIRDER[1] - 1:
            return STEEL[3]
        u = (x - LAIR) % 12
        return STEEL[1] if u in (5, 6) else STEEL[2]
    if y == LAIR_FLOOR:
        return STEEL[0]
    if y in (LAIR_FLOOR + 1, LAIR_FLOOR + 2):
        return HAZARD[((x + y) // 4) % 2]
    if y == LAIR_FLOOR + 5 and (x - LAIR) % 8 == 3:
        return STEEL[0]
    return STEEL[2] if (x - LAIR) % 32 else STEEL[3]


def scenery(closed):
    rock = [rock_rows(x, closed) for x in range(W)]
    base = [rock_rows(x, False) for x in range(W)] if closed else rock
    c = Canvas(W, H, MAGENTA)
    for x in range(W):
        for y in rock[x]:
            if on_rim(rock, x, y):
                colour = mix(RIM, 0xD04820, (y - 80) / 10) if in_vent_mouth(x, y) else RIM
            elif y not in base[x]:
                colour = boulder_colour(x, y)
            elif x >= LAIR:
                colour = steel_colour(rock, x, y)
            else:
                colour = rock_colour(rock, x, y)
                heat = near_vent_heat(x, y) if 530 <= x <= 596 and y >= 78 else 0
                if inside_rim(rock, x, y) and colour not in MOSS + CRYSTAL:
                    colour = mix(LIT[in_floor(x, y)], GLOW[1], heat)
                else:
                    colour = mix(colour, 0x8A3020, heat * 0.5)
            c.set(x, y, colour)
    for v in VENTS:
        for dx in (-1, 0, 1):
            c.set(v + dx, 90, GLOW[abs(dx)])
            c.set(v + dx, 91, GLOW[min(2, abs(dx) + 1)])
    return c

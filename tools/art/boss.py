"""The boss (shape 8), a fortress on tracks facing left with its core socket at
the left, and its wreck (shape 9)."""

import math

from canvas import Canvas, mix, hash01

MAGENTA = 0xFF00FF
WHITE = 0xFFFFFF
OUTLINE = 0x140C1C


def ellipse(cx, cy, rx, ry):
    return {(x, y) for y in range(int(cy - ry) - 1, int(cy + ry) + 2)
            for x in range(int(cx - rx) - 1, int(cx + rx) + 2)
            if ((x + 0.5 - cx) / rx) ** 2 + ((y + 0.5 - cy) / ry) ** 2 <= 1.0}


def box(x0, y0, x1, y1, cut=0):
    """[x0, x1) x [y0, y1) with the corners cut by `cut` pixels."""
    out = set()
    for y in range(y0, y1):
        for x in range(x0, x1):
            d = min(x - x0, x1 - 1 - x) + min(y - y0, y1 - 1 - y)
            if d >= cut:
                out.add((x, y))
    return out


def polygon(points):
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    out = set()
    for y in range(int(min(ys)), int(max(ys)) + 1):
        for x in range(int(min(xs)), int(max(xs)) + 1):
            px, py = x + 0.5, y + 0.5
            inside = False
            for i in range(len(points)):
                (x0, y0), (x1, y1) = points[i], points[i - 1]
                if (y0 > py) != (y1 > py) and px < x0 + (py - y0) * (x1 - x0) / (y1 - y0):
                    inside = not inside
            if inside:
                out.add((x, y))
    return out


def outline_silhouette(c, key):
    edge = []
    for y in range(c.height):
        for x in range(c.width):
            if c.get(x, y) == key:
                continue
            for nx, ny in ((x - 1, y), (x + 1, y), (x, y - 1), (x, y + 1)):
                if not c.inside(nx, ny) or c.get(nx, ny) == key:
                    edge.append((x, y))
                    break
    for x, y in edge:
        c.set(x, y, OUTLINE)


BODY = [0x221C30, 0x3C3452, 0x5A5078, 0x8478A4, 0xB4AAD2, 0xDCD6F0]   # dark .. light
ARMOUR = [0x2C0C18, 0x561428, 0x882038, 0xB83C50, 0xE07080, 0xF8B0B8]
GUN = [0x18181E, 0x2C2C36, 0x464652, 0x686874, 0x9494A0, 0xC4C4CC]


def shade_part(c, mask, ramp, light_at=0.3):
    """Rounded shading: each row lit most at `light_at` of its width, with a
    bright upper edge and a dark lower edge."""
    rows = {}
    for x, y in mask:
        lo, hi = rows.get(y, (x, x))
        rows[y] = (min(lo, x), max(hi, x))
    for x, y in mask:
        lo, hi = rows[y]
        t = (x - lo) / max(1, hi - lo)
        level = 1.0 - abs(t - light_at) * 1.5
        if (x, y - 1) not in mask:
            level += 0.35
        elif (x, y + 1) not in mask:
            level -= 0.3
        c.set(x, y, ramp[max(0, min(len(ramp) - 1, int(level * (len(ramp) - 1) + 0.5)))])


def boss():
    c = Canvas(37, 66, MAGENTA)   # the last column stays empty
    parts = [
        (polygon([(30, 17), (35.9, 10), (35.9, 30), (32, 31)]), ARMOUR, 0.2),        # back fin
        (polygon([(7, 56), (9, 37), (14, 33), (34, 33), (35.9, 39), (35.9, 56)]), BODY, 0.3),  # hull
        (polygon([(11, 34), (12, 19), (16, 14), (31, 14), (34, 19), (34, 34)]), BODY, 0.35),  # torso
        (ellipse(23, 11, 9.5, 8.5), ARMOUR, 0.3),                                   # head
        (box(9, 28, 18, 34, 1), GUN, 0.4),                                          # upper nozzle
        (ellipse(10.5, 41.5, 6.5, 8), BODY, 0.35),                                  # core housing
        (box(0, 49, 13, 54, 1), GUN, 0.4),                                          # lower gun
        (box(3, 56, 36, 66, 3), GUN, 0.5),                                          # tracks
    ]
    for mask, ramp, light_at in parts:
        shade_part(c, {p for p in mask if c.inside(*p)}, ramp, light_at)
    c.fill_rect(27, 0, 29, 4, ARMOUR[3])                                           # antenna
    c.set(27, 0, 0xFFE060)
    c.set(28, 0, 0xFF6040)
    outline_silhouette(c, MAGENTA)
    boss_details(c)
    return c


def boss_details(c):
    for i, x in enumerate(range(14, 23)):                    # the visor's glowing slit
        c.set(x, 9, mix(0xFFF0C0, 0xC01830, i / 8))
        c.set(x, 10, mix(0xFF6050, 0x801020, i / 8))
    for x in range(13, 24):
        c.set(x, 8, ARMOUR[0])
        c.set(x, 11, ARMOUR[0])
    c.fill_rect(7, 37, 14, 46, 0x120C18)                     # the core's socket
    for x in range(7, 14):
        c.set(x, 36, BODY[5])
        c.set(x, 46, BODY[1])
    for y in range(37, 46):
        c.set(6, y, BODY[4])
        c.set(14, y, BODY[1])
    c.fill_rect(0, 50, 2, 53, 0x0C0C10)                      # gun muzzles
    c.fill_rect(9, 30, 11, 32, 0x0C0C10)
    for x in range(16, 35):                                  # hazard band
        for y in (52, 53):
            c.set(x, y, 0xE8B820 if ((x + y) // 2) % 2 else 0x201C24)
    for x in (8, 15, 22, 29):                                # road wheels
        for dx, dy in ((0, 0), (1, 0), (0, 1), (1, 1)):
            c.set(x + dx, 60 + dy, GUN[4] if (dx, dy) == (0, 0) else GUN[1])
    for x in range(5, 35, 3):                                # track links
        c.set(x, 57, GUN[1])
        c.set(x, 64, GUN[0])
    for x, y in ((20, 22), (28, 22), (20, 38), (30, 38), (24, 46), (32, 46)):
        c.set(x, y, BODY[5])                                 # rivets
        c.set(x + 1, y + 1, BODY[0])
    for y in range(36, 50, 4):                               # exhaust vents
        c.set(33, y, 0x101018)
        c.set(34, y, 0xFF7030)


def wreck():
    c = Canvas(61, 45, WHITE)
    heap = set()
    for x in range(1, 60):
        top = 36 - 8 * math.sin(math.pi * (x - 1) / 59) + 3 * (hash01(x // 3, 0, 41) - 0.5)
        heap |= {(x, y) for y in range(int(top), 45)}
    head = {(x, y) for x, y in ellipse(43, 29, 9.5, 7.5) if (x - 43) * 0.6 + (y - 29) >= -3}
    parts = [
        (heap, GUN, 0.35),
        (polygon([(4, 36), (11, 26), (27, 25), (30, 36)]), BODY, 0.3),     # torn hull
        (box(6, 37, 40, 45, 3), GUN, 0.5),                                   # fallen tracks
        (head, ARMOUR, 0.3),                                                 # toppled head
        (polygon([(47, 36), (58, 31), (60, 34), (49, 39)]), GUN, 0.4),       # broken gun
        (polygon([(14, 27), (20, 17), (23, 18), (19, 27)]), BODY, 0.3),      # bent plate
    ]
    for mask, ramp, light_at in parts:
        shade_part(c, {p for p in mask if c.inside(*p)}, ramp, light_at)
    for x, y in head:                                        # the head's torn-open base
        if (x - 43) * 0.6 + (y - 29) < -1.5:
            c.set(x, y, 0x2A0A14 if hash01(x, y, 43) < 0.7 else 0xFF7040)
    smoke(c)
    outline_silhouette(c, WHITE)
    wreck_details(c)
    return c


SMOKE_DARK, SMOKE_LIGHT = 0x3E3A44, 0xC8C2CA


def smoke(c):
    """Puffs rising from the heap, drifting right, each lit from the upper left."""
    puffs = ((27, 21, 5.5), (31, 15, 5.0), (29, 9, 4.2), (34, 5, 3.4), (30, 2, 2.2))
    for cx, cy, r in puffs:
        for x, y in ellipse(cx, cy, r, r * 0.85):
            if c.inside(x, y) and c.get(x, y) == WHITE:
                lit = ((x + 0.5 - cx) + (y + 0.5 - cy)) / (2 * r) + 0.5
                c.set(x, y, mix(SMOKE_LIGHT, SMOKE_DARK, lit + 0.1 * hash01(x, y, 44)))


def wreck_details(c):
    for i in range(9):                                       # the dead visor, cracked
        x, y = 38 + i, 33 - i // 2
        c.set(x, y, 0x3A0C14 if i % 3 else 0xFF7050)
        c.set(x, y + 1, 0x200810)
    for x, y in ((22, 33), (34, 35), (12, 41), (27, 41), (52, 41), (40, 38)):
        c.set(x, y, 0xFF8A20)                                # embers
        c.set(x + 1, y, 0xFFD050)
        c.set(x, y - 1, 0xC03010)
    for x in (10, 17, 24, 31):                               # road wheels
        c.set(x, 41, GUN[4])
        c.set(x + 1, 41, GUN[1])
    for x, y in ((6, 40), (18, 31), (29, 30)):
        c.set(x, y, 0xE8B820)                                # bits of the hazard band
        c.set(x + 1, y, 0x201C24)

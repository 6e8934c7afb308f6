"""The boss (shape 8), a walking fortress facing left with its core socket at
the left, and its wreck (shape 9)."""

import math

from canvas import Canvas, mix, hash01

MAGENTA = 0xFF00FF
WHITE = 0xFFFFFF
OUTLINE = 0x140C1C

STEEL = [0xC8BEE0, 0x9A8CBE, 0x6E6094, 0x4C406E, 0x30284A]   # highlight .. dark
PLUM = [0xE08898, 0xB45064, 0x8A3048, 0x5E1C34, 0x3A1022]
IRON = [0x9A9AA4, 0x74747E, 0x56565E, 0x3E3E46, 0x28282E]


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


def paint_part(c, mask, pal, clip):
    """Lit from the upper left: rims light above and left, dark below and right."""
    for x, y in mask:
        if (x, y) not in clip:
            continue
        if (x - 1, y) not in mask or (x, y - 1) not in mask:
            colour = pal[0]
        elif (x + 1, y) not in mask or (x, y + 1) not in mask:
            colour = pal[3]
        else:
            colour = pal[1] if hash01(x, y, 31) < 0.25 else pal[2]
        c.set(x, y, colour)


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


def boss():
    c = Canvas(37, 66, MAGENTA)
    everything = set(box(0, 0, 37, 66))
    parts = [
        (box(27, 14, 35, 24, 2) | polygon([(29, 13), (36, 6), (33, 16)]), PLUM),   # back fin
        (polygon([(5, 56), (8, 30), (33, 30), (36, 56)]), STEEL),                   # hull
        (box(9, 14, 32, 33, 3), STEEL),                                             # torso
        (ellipse(21.5, 10.5, 9, 8.5), PLUM),                                         # dome
        (box(13, 7, 22, 12, 1), IRON),                                               # visor
        (box(5, 34, 16, 48, 2), IRON),                                               # core socket
        (box(0, 49, 10, 54, 1), IRON),                                               # lower gun
        (box(10, 28, 17, 34, 1), IRON),                                              # upper nozzle
        (box(2, 56, 37, 66, 4), IRON),                                               # tracks
    ]
    for mask, pal in parts:
        paint_part(c, mask, pal, everything)
    c.fill_rect(24, 0, 26, 3, PLUM[1])     # antenna
    c.set(24, 0, 0xFF5060)
    outline_silhouette(c, MAGENTA)
    details(c)
    return c


def details(c):
    for x in range(14, 21):                       # the visor's glowing slit
        c.set(x, 9, 0xFF3040 if x != 15 else 0xFFC0A0)
        c.set(x, 10, 0xA01828)
    c.fill_rect(7, 37, 14, 46, 0x1A1424)          # socket: dark well, core box on top
    for x in range(7, 14):
        c.set(x, 36, IRON[0])
    c.set(0, 51, 0x101010)                        # gun muzzle
    c.set(0, 52, 0x101010)
    c.fill_rect(13, 30, 15, 32, 0x101010)         # nozzle mouth
    for x in range(6, 34, 5):                     # track wheels
        c.set(x, 60, IRON[4])
        c.set(x + 1, 60, IRON[4])
        c.set(x, 61, IRON[4])
        c.set(x + 1, 61, IRON[0])
    for x, y in ((20, 36), (26, 36), (32, 44), (20, 50), (28, 50), (30, 20), (12, 20)):
        c.set(x, y, STEEL[0])                     # rivets
        c.set(x + 1, y + 1, STEEL[4])
    for y in range(40, 56, 5):                    # hull plates
        for x in range(18, 34):
            if c.get(x, y) not in (MAGENTA, OUTLINE):
                c.set(x, y, STEEL[3])


def wreck():
    c = Canvas(61, 45, WHITE)
    everything = set(box(0, 0, 61, 45))
    heap = set()
    for x in range(2, 59):
        top = 31 - 9 * math.sin(math.pi * (x - 2) / 57) + 2.5 * (hash01(x // 3, 0, 41) - 0.5)
        heap |= {(x, y) for y in range(int(top), 45)}
    parts = [
        (heap, IRON),
        (polygon([(6, 30), (16, 18), (30, 22), (26, 34)]), STEEL),        # torn hull plate
        (ellipse(38, 22, 8, 7) - box(30, 25, 47, 31), PLUM),               # toppled dome
        (polygon([(44, 30), (57, 24), (59, 27), (46, 34)]), IRON),         # broken gun
        (box(10, 36, 36, 44, 3), IRON),                                    # loose track
    ]
    for mask, pal in parts:
        paint_part(c, mask, pal, everything)
    smoke(c)
    outline_silhouette(c, WHITE)
    for x, y in ((21, 31), (34, 28), (40, 33), (15, 40), (50, 36), (28, 38)):
        c.set(x, y, 0xFF8A20)                                              # embers
        c.set(x + 1, y, 0xFFD050)
    for x in range(33, 43):
        c.set(x, 20, 0x601820)                                             # dead visor
    return c


def smoke(c):
    for i, (cx, cy, r) in enumerate(((36, 12, 4.2), (31, 7, 3.4), (38, 3, 2.6), (27, 2, 2.0))):
        for x, y in ellipse(cx, cy, r, r * 0.85):
            if c.inside(x, y) and c.get(x, y) == WHITE:
                shade = 0.35 + 0.4 * ((x - cx) + (y - cy)) / (2 * r) + 0.15 * hash01(x, y, 42)
                c.set(x, y, mix(0xB8B0B8, 0x504850, shade))

"""A picture being drawn: a grid of 0xRRGGBB colours (None: transparent),
written out as XPM."""

XPM_CHARS = (".#+@$%&*=-;>,')!~{]^/(_:<[}|1234567890abcdefghijklmnopqrstuvwxyz"
             "ABCDEFGHIJKLMNOPQRSTUVWXYZ")


class Canvas:
    def __init__(self, width, height, background):
        self.width = width
        self.height = height
        self.px = [[background] * width for _ in range(height)]

    def inside(self, x, y):
        return 0 <= x < self.width and 0 <= y < self.height

    def get(self, x, y):
        return self.px[y][x]

    def set(self, x, y, colour):
        if self.inside(x, y):
            self.px[y][x] = colour

    def fill_rect(self, x0, y0, x1, y1, colour):
        """Fills [x0, x1) x [y0, y1)."""
        for y in range(max(y0, 0), min(y1, self.height)):
            for x in range(max(x0, 0), min(x1, self.width)):
                self.px[y][x] = colour

    def paste_mask(self, rows, x0, y0, colour_of):
        """Draws the '#'-like cells of a text mask; colour_of(x, y, ch) -> colour or None."""
        for dy, row in enumerate(rows):
            for dx, ch in enumerate(row):
                if ch not in ". ":
                    colour = colour_of(x0 + dx, y0 + dy, ch)
                    if colour is not None:
                        self.set(x0 + dx, y0 + dy, colour)

    def write_xpm(self, path, name):
        colours = sorted({c for row in self.px for c in row}, key=lambda c: -1 if c is None else c)
        cpp = 1 if len(colours) <= len(XPM_CHARS) else 2
        if cpp == 1:
            codes = {c: XPM_CHARS[i] for i, c in enumerate(colours)}
        else:
            n = len(XPM_CHARS)
            codes = {c: XPM_CHARS[i // n] + XPM_CHARS[i % n] for i, c in enumerate(colours)}
        lines = ["/* XPM */", "static char *%s[] = {" % name,
                 "/* width height colours chars-per-pixel */",
                 '"%d %d %d %d",' % (self.width, self.height, len(colours), cpp)]
        lines += ['"%s c %s",' % (codes[c], "None" if c is None else "#%06X" % c) for c in colours]
        lines.append("/* pixels */")
        rows = ['"%s"' % "".join(codes[c] for c in row) for row in self.px]
        lines += [r + "," for r in rows[:-1]] + [rows[-1]]
        lines.append("};")
        with open(path, "w") as f:
            f.write("\n".join(lines) + "\n")


def mix(a, b, t):
    """Colour between a (t = 0) and b (t = 1)."""
    t = min(max(t, 0.0), 1.0)
    out = 0
    for shift in (16, 8, 0):
        ca = (a >> shift) & 0xFF
        cb = (b >> shift) & 0xFF
        out |= int(round(ca + (cb - ca) * t)) << shift
    return out


def hash01(x, y, seed=0):
    """A repeatable pseudo-random number in [0, 1) for a pixel."""
    h = (x * 374761393 + y * 668265263 + seed * 2246822519) & 0xFFFFFFFF
    h = ((h ^ (h >> 13)) * 1274126177) & 0xFFFFFFFF
    h ^= h >> 16
    return (h & 0xFFFFFF) / float(1 << 24)

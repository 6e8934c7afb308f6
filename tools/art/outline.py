"""The outline rule, used here to check the pictures as they are drawn."""


def outline(canvas, key):
    """Rectangles (l, t, r, b): runs per row, identical consecutive rows in one
    band, a run at the right edge one pixel longer."""
    rects = []
    band, top = None, 0
    for y in range(canvas.height + 1):
        runs = row_runs(canvas, y, key) if y < canvas.height else None
        if runs == band:
            continue
        if band:
            rects += [(x0, top, x1, y) for x0, x1 in band]
        band, top = runs, y
    return rects


def row_runs(canvas, y, key):
    runs, x, w = [], 0, canvas.width
    while x < w:
        if canvas.get(x, y) == key:
            x += 1
            continue
        start = x
        while x < w and canvas.get(x, y) != key:
            x += 1
        runs.append((start, x + 1 if x == w else x))
    return runs


def expect_outline(canvas, key, rects, name):
    got = outline(canvas, key)
    if got != list(rects):
        raise SystemExit("%s: outline %s differs from %s" % (name, got, list(rects)))

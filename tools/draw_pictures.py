#!/usr/bin/env python3
"""Draws every picture of the game into assets/ as XPM files.

The pictures in assets/ are the design data of the program: the build reads
them (tools/outline_gen.cpp) and never runs this script. Change a picture by
changing the code here and running it again:

    python3 tools/draw_pictures.py [assets folder]
"""

import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "art"))

import boss        # noqa: E402
import lettering   # noqa: E402
import scenery     # noqa: E402
import sprites     # noqa: E402

PICTURES = [  # file name, drawing function
    ("shape00_lamps", sprites.lamps),
    ("shape01_staff_frame", sprites.staff_frame),
    ("shape02_credits", lettering.credits),
    ("shape03_closing_line", lettering.closing_line),
    ("shape04_title", lettering.title),
    ("shape05_core", sprites.core),
    ("shape06_cave", lambda: scenery.scenery(closed=False)),
    ("shape07_cave_closed", lambda: scenery.scenery(closed=True)),
    ("shape08_boss", boss.boss),
    ("shape09_wreck", boss.wreck),
    ("shape10_ship", lambda: sprites.ship(sprites.SHIP_COLOURS)),
    ("shape11_ship_invincible", lambda: sprites.ship(sprites.SHIP_GOLD)),
    ("shape12_enemy", sprites.enemy),
    ("shape13_blast_a", sprites.blast_13),
    ("shape14_blast_b", sprites.blast_14),
    ("cap0_left_tail", lambda: sprites.balloon_cap(0)),
    ("cap1_right", lambda: sprites.balloon_cap(1)),
    ("cap2_left", lambda: sprites.balloon_cap(2)),
    ("cap3_right_tail", lambda: sprites.balloon_cap(3)),
    ("icon", sprites.icon),
    ("icon_tile", sprites.icon_tile),
    ("icon16", lambda: sprites.icon(16)),
    ("icon22", lambda: sprites.icon(22)),
    ("icon24", lambda: sprites.icon(24)),
    ("icon48", lambda: sprites.icon(48)),
]


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "assets")
    only = set(sys.argv[2:])
    for name, draw in PICTURES:
        if only and name not in only:
            continue
        draw().write_xpm(os.path.join(out, name + ".xpm"), name)
        print("wrote", name)


if __name__ == "__main__":
    main()

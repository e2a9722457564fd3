#!/usr/bin/env python3
"""Writes a seeded ship-like random walk in plane metres, one "X Y" line per
fix, for timing the batch command on large tracks:
    make_xy_track.py POINTS OUTPUT [SEED]"""

import math
import random
import sys


def main():
    points, output = int(sys.argv[1]), sys.argv[2]
    rng = random.Random(int(sys.argv[3]) if len(sys.argv) > 3 else 54)
    x, y, heading, turn = 500000.0, 6000000.0, 0.0, 0.0
    with open(output, "w", newline="\n") as f:
        for i in range(points):
            if i % 500 == 0:
                turn = rng.choice((0.0, 0.0, 0.01, -0.01, 0.03, -0.03))
            heading += turn + rng.gauss(0.0, 0.01)
            step = rng.uniform(10.0, 50.0)
            x += step * math.sin(heading)
            y += step * math.cos(heading)
            f.write("%.2f %.2f\n" % (x + rng.gauss(0.0, 0.5), y + rng.gauss(0.0, 0.5)))


if __name__ == "__main__":
    main()

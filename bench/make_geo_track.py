#!/usr/bin/env python3
"""Writes a seeded ship-like random walk around 54N 4E, fixes 10 to 50 m
apart, as "oru/kvl" lines ("54.000037N,  4.000015E"), for timing the batch
command on large geographic tracks:
    make_geo_track.py POINTS OUTPUT [SEED]
Six decimals of a degree: 0.1 m in latitude, 0.07 m in longitude."""

import math
import random
import sys

METRES_PER_DEGREE = 111200.0


def main():
    points, output = int(sys.argv[1]), sys.argv[2]
    rng = random.Random(int(sys.argv[3]) if len(sys.argv) > 3 else 54)
    lat, lon, heading, turn = 54.0, 4.0, 0.0, 0.0
    with open(output, "w", newline="\n") as f:
        for i in range(points):
            if i % 500 == 0:
                turn = rng.choice((0.0, 0.0, 0.01, -0.01, 0.03, -0.03))
            heading += turn + rng.gauss(0.0, 0.01)
            step = rng.uniform(10.0, 50.0)
            lat += step * math.cos(heading) / METRES_PER_DEGREE
            lon += step * math.sin(heading) / (METRES_PER_DEGREE * math.cos(math.radians(lat)))
            f.write("%.6f%s, %.6f%s\n" % (abs(lat), "N" if lat >= 0 else "S",
                                          abs(lon), "E" if lon >= 0 else "W"))


if __name__ == "__main__":
    main()

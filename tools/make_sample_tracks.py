#!/usr/bin/env python3
"""Writes the sample tracks of data/samples/: one survey vessel's run of two
survey lines joined by a turn, near 54 N 4 E, as plane coordinates (UTM zone
31 metres, approximately), as "oru/kvl" decimal degrees and as DMS text.
Deterministic: the same files on every run."""

import math
import os
import random

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "data", "samples")


def survey_run(rng):
    """Positions in metres east and north of a start point, 1 s fixes."""
    x, y, heading = 0.0, 0.0, math.radians(10.0)
    legs = [(420, 0.0), (90, math.radians(2.0)), (420, 0.0), (60, math.radians(-1.5)), (300, 0.0)]
    points = []
    for steps, turn_rate in legs:
        for _ in range(steps):
            heading += turn_rate + rng.gauss(0.0, 0.004)
            speed = 4.5 + rng.gauss(0.0, 0.15)  # metres per second, about 9 knots
            x += speed * math.sin(heading)
            y += speed * math.cos(heading)
            points.append((x + rng.gauss(0.0, 0.3), y + rng.gauss(0.0, 0.3)))
    return points


def dms(value):
    """Degrees, minutes, seconds with the sign on every component."""
    sign = -1 if value < 0 else 1
    a = abs(value)
    d = int(a)
    m = int((a - d) * 60)
    s = ((a - d) * 60 - m) * 60
    return sign * d, sign * m, sign * s


def main():
    rng = random.Random(1973)
    points = survey_run(rng)
    os.makedirs(OUT, exist_ok=True)
    east0, north0 = 565000.0, 5983000.0
    lat0, lon0 = 54.0, 4.0
    metres_per_degree_lat = 111250.0
    metres_per_degree_lon = 111320.0 * math.cos(math.radians(lat0))
    with open(os.path.join(OUT, "survey_line_xy.txt"), "w", newline="\n") as f:
        for x, y in points:
            f.write("%.2f %.2f\n" % (east0 + x, north0 + y))
    with open(os.path.join(OUT, "survey_line_oru.txt"), "w", newline="\n") as f:
        for x, y in points:
            lat = lat0 + y / metres_per_degree_lat
            lon = lon0 + x / metres_per_degree_lon
            f.write("%9.6fN,%10.6fE\n" % (lat, lon))
    with open(os.path.join(OUT, "survey_line_dms.txt"), "w", newline="\n") as f:
        for x, y in points:
            lat = lat0 + y / metres_per_degree_lat
            lon = lon0 + x / metres_per_degree_lon
            f.write("%d %d %.3f %d %d %.3f\n" % (dms(lat) + dms(lon)))


if __name__ == "__main__":
    main()

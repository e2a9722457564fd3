#!/usr/bin/env python3
"""Golden files of the batch command's plane runs, computed independently of
the C++ code: the iterative Douglas-Peucker selection done the plain way
(every candidate measured afresh in every iteration), with the tolerance rule
and the figures that oru-cli prints.

    tools/make_xy_golden.py data/samples/survey_line_xy.txt cli/tests/golden

writes survey_line_xy_25.txt / .stdout (--points 25) and survey_line_xy_2m.json
(--max-deviation 2 --json). Python's math module calls the same C library as
the program (atan2, sin, sqrt), so the figures agree to the last bit.
"""

import math
import sys


def deviation(a, b, p):
    """Distance of p from the segment a-b: the distance from the line through
    a and b while p lies between the perpendiculars through a and b, else the
    distance to the nearer end point."""
    (a1, a2), (b1, b2), (p1, p2) = a, b, p
    d_ap = math.sqrt((p1 - a1) * (p1 - a1) + (p2 - a2) * (p2 - a2))
    if (p1, p2) == (a1, a2) or (p1, p2) == (b1, b2):
        return 0.0
    if (a1, a2) == (b1, b2):
        return d_ap
    delta = abs(math.atan2(b1 - a1, b2 - a2) - math.atan2(p1 - a1, p2 - a2))
    if delta >= math.pi:
        delta = 2.0 * math.pi - delta
    h = math.sin(delta) * d_ap
    past_a = (p1 - a1) * (b1 - a1) + (p2 - a2) * (b2 - a2) >= 0.0
    before_b = (p1 - b1) * (a1 - b1) + (p2 - b2) * (a2 - b2) >= 0.0
    if past_a and before_b:
        return h
    d_a = math.sqrt((p1 - a1) * (p1 - a1) + (p2 - a2) * (p2 - a2))
    d_b = math.sqrt((p1 - b1) * (p1 - b1) + (p2 - b2) * (p2 - b2))
    return d_a if d_a < d_b else d_b


def line_length(points):
    total = 0.0
    for (x1, y1), (x2, y2) in zip(points, points[1:]):
        d2 = y1 - y2
        d1 = x1 - x2
        total += math.sqrt(d2 * d2 + d1 * d1)
    return total


def deviations_from_line(points, selected):
    """Every point's deviation from its segment of the line through the
    selected point indexes (0 at the selected points)."""
    out = [0.0] * len(points)
    for a, b in zip(selected, selected[1:]):
        for p in range(a + 1, b):
            out[p] = deviation(points[a], points[b], points[p])
    return out


def select(points, threshold, wanted):
    n = len(points)
    selected = [0, n - 1]
    while True:
        largest, farthest, remaining = 0.0, None, []
        for a, b in zip(selected, selected[1:]):
            for p in range(a + 1, b):
                remaining.append(p)
                d = deviation(points[a], points[b], points[p])
                if d > largest:
                    largest, farthest = d, p
        if len(remaining) == 1:
            largest, farthest = 0.0, remaining[0]
        elif farthest is None:
            farthest = remaining[0]
        selected = sorted(selected + [farthest])
        left = max([0.0] + [d for d in deviations_from_line(points, selected) if d == d])
        if not largest > threshold and not left > threshold:
            break
        if len(selected) >= wanted or len(selected) >= n:
            break
    return selected, left


def fixed(value, precision):
    """A whole number rounded half away from zero, exponent form beyond
    `precision` digits (not needed by these runs)."""
    whole = math.floor(abs(value) + 0.5)
    assert len(str(whole)) <= precision, value
    return str(int(math.copysign(whole, value))) if whole else "0"


def texts(points, selected, left):
    n, count = len(points), len(selected)
    full = line_length(points)
    new = line_length([points[i] for i in selected])
    deviations = deviations_from_line(points, selected)
    mean = sum(deviations) / n
    rms = math.sqrt(sum(d * d for d in deviations) / n)
    p95 = sorted(deviations)[(95 * n + 99) // 100 - 1]
    return [
        ("max_deviation", fixed(left, 7)),
        ("point_reduction", fixed(float(100 * (n - count) // n), 2)),
        ("points_before", str(n)),
        ("points_after", str(count)),
        ("length_reduction", fixed((full - new) * 100.0 / full, 2)),
        ("length_before", fixed(full, 7)),
        ("length_after", fixed(new, 7)),
        ("deviation_mean", fixed(mean, 7)),
        ("deviation_rms", fixed(rms, 7)),
        ("deviation_p95", fixed(p95, 7)),
    ]


def rows(t):
    v = dict(t)
    return ("The maximum distance of the original line to the new line is: %s m.\n"
            "The number of points has decreased with %s %% from %s to %s\n"
            "The length of the line has decreased  with %s %% from %s m. to %s m.\n" %
            (v["max_deviation"], v["point_reduction"], v["points_before"],
             v["points_after"], v["length_reduction"], v["length_before"],
             v["length_after"]))


def main():
    source, golden = sys.argv[1], sys.argv[2]
    with open(source) as f:
        points = [tuple(float(v) for v in line.split()[:2]) for line in f if line.strip()]

    def kept_text(selected):
        return "".join("%10.2f %10.2f\n" % points[i] for i in selected)

    selected, left = select(points, 0.0, 25)
    with open(golden + "/survey_line_xy_25.txt", "w") as f:
        f.write(kept_text(selected))
    with open(golden + "/survey_line_xy_25.stdout", "w") as f:
        f.write(rows(texts(points, selected, left)))

    selected, left = select(points, 2.0, len(points))
    with open(golden + "/survey_line_xy_2m.json", "w") as f:
        fields = [("method", "douglas-peucker")] + texts(points, selected, left)
        f.write("{" + ", ".join('"%s": "%s"' % kv for kv in fields) + "}\n")


if __name__ == "__main__":
    main()

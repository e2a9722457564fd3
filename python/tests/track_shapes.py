"""Real-shaped tracks for the tests, generated with a fixed seed: each as
geographic degrees (rounded to 1e-7 degrees, about 1 cm) and as plane metres
(rounded to millimetres), without repeated points, so that kept points read
back from a file tell their positions."""

import math

import numpy as np


def _walk(legs, rng, noise=0.3):
    """East and north metres of a vessel steering (steps, metres a step,
    degrees of turn a step) legs, with GNSS noise."""
    east, north, heading = [0.0], [0.0], 0.0
    for steps, stride, turn in legs:
        for _ in range(steps):
            heading += math.radians(turn) + rng.normal(0.0, 0.01)
            east.append(east[-1] + stride * math.sin(heading))
            north.append(north[-1] + stride * math.cos(heading))
    e, n = np.array(east), np.array(north)
    return e + rng.normal(0.0, noise, len(e)), n + rng.normal(0.0, noise, len(n))


def manoeuvres(rng):
    # S-turns, a full loop and a sharp turn to port.
    return _walk([(60, 15, 0), (40, 12, 4), (40, 12, -4), (72, 10, 5), (50, 15, 0),
                  (10, 8, -12), (60, 15, 0)], rng)


def turning_back(rng):
    # Survey lines of 1.5 km, each run back beside the last.
    return _walk([(100, 15, 0), (30, 2.6, 6)] * 2 + [(100, 15, 0), (30, 2.6, -6)] * 2, rng)


def anchor_drift(rng):
    # The approach, hours swinging at anchor within a few metres, departure.
    approach = [(-600.0 + 20.0 * i, -300.0 + 10.0 * i) for i in range(30)]
    swing = [(25.0 * math.sin(0.02 * i), 25.0 * math.cos(0.02 * i)) for i in range(400)]
    leave = [(30.0 * i, -25.0 * i) for i in range(1, 30)]
    east, north = np.array(approach + swing + leave).T
    return east + rng.normal(0.0, 2.0, len(east)), north + rng.normal(0.0, 2.0, len(east))


def zigzag(rng):
    # A hiker's switchbacks up a slope: legs of 60 m, turning hard each time.
    return _walk([(12, 5, 0), (1, 5, 150), (12, 5, 0), (1, 5, -150)] * 12, rng, noise=1.0)


def meridian(rng):
    # Due north along a meridian; every tenth fix a few metres off it.
    north = np.arange(300) * 20.0 + rng.normal(0.0, 0.5, 300)
    east = np.where(np.arange(300) % 10 == 5, rng.normal(0.0, 4.0, 300), 0.0)
    return east, north


def _unique(a, b):
    _, first = np.unique(np.column_stack((a, b)), axis=0, return_index=True)
    keep = np.sort(first)
    return a[keep], b[keep]


def geographic(shape, lat0=54.0, lon0=4.0, seed=7):
    """(lat, lon) degrees of a shape placed at (lat0, lon0)."""
    east, north = shape(np.random.default_rng(seed))
    lat = lat0 + north / 111_200.0
    lon = lon0 + east / (111_200.0 * np.cos(np.radians(lat0)))
    return _unique(np.round(lat, 7), np.round(lon, 7))


def plane(shape, seed=7):
    """(x, y) metres of a shape, as in UTM zone 31."""
    east, north = shape(np.random.default_rng(seed))
    return _unique(np.round(east + 565_000.0, 3), np.round(north + 5_983_000.0, 3))


def voyage(start, end, seed=7, n=500):
    """(lat, lon) degrees of a long voyage from start to end (lat, lon),
    the shorter way round (over the antimeridian where that is shorter),
    weaving a kilometre or so about its course."""
    rng = np.random.default_rng(seed)
    t = np.linspace(0.0, 1.0, n)
    east = (end[1] - start[1] + 180.0) % 360.0 - 180.0
    lat = start[0] + (end[0] - start[0]) * t + 4.0 * np.sin(np.pi * t) + rng.normal(0.0, 0.01, n)
    lon = start[1] + east * t + rng.normal(0.0, 0.01, n)
    lon = (lon + 180.0) % 360.0 - 180.0
    return _unique(np.round(lat, 7), np.round(lon, 7))


VOYAGES = {"pacific_crossing": ((35.0, 140.0), (47.0, -160.0)),
           "biscay_voyage": ((51.9, 4.0), (38.7, -9.2))}
SHAPES = {f.__name__: f for f in (manoeuvres, turning_back, anchor_drift, zigzag, meridian)}

#!/usr/bin/python3
"""Writes a generated AIS archive: a CSV file a day (ais-2024-05-01.csv, ...)
of the fixes of many vessels as coastal receivers log them, for the
README's fleet example and bench/fleet_bench.py.

    /usr/bin/python3 python/examples/ais_archive.py FOLDER [--vessels N] [--days D] [--seed S]

Each vessel is seen in two to six sessions spread over the days: voyages at
8 to 20 knots with a fix every 10 seconds and a few course changes,
manoeuvres in port, and hours at anchor with a fix every 3 minutes swinging
within tens of metres; between sessions it is out of range for hours.
About one vessel in a hundred crosses the antimeridian. As receivers log
them, each day's fixes are slightly out of order, one in a hundred is
received twice, and one in two thousand carries AIS's "not available"
position (91, 181). About 1,000 fixes a vessel a week.
Columns: mmsi, timestamp (ISO 8601, UTC), lat, lon, sog (knots), cog
(degrees), status ("under way", "at anchor")."""

import argparse
import os

import numpy as np
import pandas as pd

START = np.datetime64("2024-05-01T00:00:00", "s")
KNOT = 1852.0 / 3600.0  # metres a second
METRES_PER_DEGREE = 111_200.0


def _voyage(rng, seconds, slow=False):
    """East and north metres, speed (knots) and course (degrees) of fixes
    every 10 s underway: a course that wanders and changes a few times."""
    n = max(2, int(seconds // 10))
    step = 10.0 + rng.normal(0.0, 0.5, n)
    speed = rng.uniform(2.0, 6.0) if slow else rng.uniform(8.0, 20.0)
    turns = np.zeros(n)
    for at in rng.integers(0, n, 3 if not slow else 12):
        turns[at:at + 12] += rng.uniform(-90.0, 90.0) / 12.0  # a turn over two minutes
    course = (rng.uniform(0.0, 360.0) + np.cumsum(turns + rng.normal(0.0, 0.3, n))) % 360.0
    metres = speed * KNOT * step
    east = np.cumsum(metres * np.sin(np.radians(course)))
    north = np.cumsum(metres * np.cos(np.radians(course)))
    return step, east, north, np.full(n, speed), course, "under way"


def _anchorage(rng, seconds):
    """A fix every 3 minutes, swinging about the anchor as the tide turns."""
    n = max(2, int(seconds // 180))
    step = 180.0 + rng.normal(0.0, 5.0, n)
    radius = rng.uniform(30.0, 80.0)
    swing = np.cumsum(step) / (6.2 * 3600.0) * np.pi  # half a turn a tide
    east = radius * np.sin(swing) + rng.normal(0.0, 3.0, n)
    north = radius * np.cos(swing) + rng.normal(0.0, 3.0, n)
    return step, east, north, rng.uniform(0.0, 0.3, n), rng.uniform(0.0, 360.0, n), "at anchor"


def _vessel(rng, mmsi, days, fixes):
    """A DataFrame of one vessel's fixes, about `fixes` of them, in time
    order: two to six sessions spread over the days, hours apart."""
    pacific = rng.random() < 0.01
    lat0, lon0 = (rng.uniform(30.0, 50.0), 179.9) if pacific else \
        (rng.uniform(51.5, 57.5), rng.uniform(0.5, 8.5))
    end = days * 86400.0
    sessions = int(rng.integers(2, 7))
    shares = rng.dirichlet(np.ones(sessions)) * fixes
    parts, free = [], 0.0
    for start, share in zip(np.sort(rng.uniform(0.0, end, sessions)), shares):
        kind = "voyage" if pacific else rng.choice(["voyage", "port", "anchor"],
                                                   p=[0.6, 0.15, 0.25])
        if kind == "anchor":
            step, east, north, sog, cog, status = _anchorage(rng, share * 180.0)
        else:
            step, east, north, sog, cog, status = _voyage(rng, share * 10.0,
                                                          slow=kind == "port")
        times = max(start, free) + np.cumsum(step)
        lat = lat0 + north / METRES_PER_DEGREE
        lon = lon0 + east / (METRES_PER_DEGREE * np.cos(np.radians(lat0)))
        parts.append(pd.DataFrame({"seconds": times, "lat": lat, "lon": lon, "sog": sog,
                                   "cog": cog, "status": status}))
        lat0, lon0 = lat[-1], lon[-1]
        free = times[-1] + rng.uniform(1.0, 6.0) * 3600.0  # out of range for hours
    fleet = pd.concat(parts, ignore_index=True)
    fleet = fleet[fleet["seconds"] < end].copy()
    fleet["lon"] = (fleet["lon"] + 180.0) % 360.0 - 180.0
    fleet.insert(0, "mmsi", mmsi)
    return fleet


def archive(vessels=200, days=3, fixes_per_week=1000, seed=2024):
    """The fixes of `vessels` vessels over `days` days, as receivers log
    them: columns mmsi, seconds (since START), lat, lon, sog, cog, status,
    in the order of the receivers' log."""
    rng = np.random.default_rng(seed)
    mmsis = 200_000_000 + rng.choice(576_000_000, vessels, replace=False)
    fixes = pd.concat([_vessel(rng, int(m), days, rng.poisson(fixes_per_week * days / 7.0))
                       for m in mmsis], ignore_index=True)
    fixes["lat"] = fixes["lat"].round(6)
    fixes["lon"] = fixes["lon"].round(6)
    fixes["sog"] = fixes["sog"].round(1)
    fixes["cog"] = fixes["cog"].round(1)
    fixes["seconds"] = np.floor(fixes["seconds"])  # whole seconds, within the days
    # Received twice by two stations; "not available" positions.
    twice = fixes.sample(frac=0.01, random_state=seed)
    fixes = pd.concat([fixes, twice], ignore_index=True)
    unknown = rng.random(len(fixes)) < 0.0005
    fixes.loc[unknown, ["lat", "lon"]] = [91.0, 181.0]
    # The log's order: the time received, up to a minute after the fix.
    received = fixes["seconds"] + rng.uniform(0.0, 60.0, len(fixes))
    return fixes.iloc[np.argsort(received.to_numpy(), kind="stable")].reset_index(drop=True)


def write_days(fixes, folder):
    """Writes a CSV file a day into `folder`; returns their paths."""
    os.makedirs(folder, exist_ok=True)
    times = START + fixes["seconds"].to_numpy().astype("timedelta64[s]")
    day = (fixes["seconds"] // 86400).astype(int).to_numpy()
    table = fixes.drop(columns="seconds")
    table.insert(1, "timestamp", np.char.add(np.datetime_as_string(times, unit="s"), "Z"))
    paths = []
    for d in np.unique(day):
        path = os.path.join(folder, f"ais-{START.astype('datetime64[D]') + int(d)}.csv")
        table[day == d].to_csv(path, index=False)
        paths.append(path)
    return paths


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("folder")
    parser.add_argument("--vessels", type=int, default=200)
    parser.add_argument("--days", type=int, default=3)
    parser.add_argument("--seed", type=int, default=2024)
    arguments = parser.parse_args()
    fixes = archive(arguments.vessels, arguments.days, seed=arguments.seed)
    for path in write_days(fixes, arguments.folder):
        print(path)


if __name__ == "__main__":
    main()

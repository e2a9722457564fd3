"""A small AIS archive for the fleet tests, generated with a fixed seed: the
fixes of vessels that manoeuvre, swing at anchor, cross the antimeridian,
go silent for hours, as receivers log them: three daily files, each in
shuffled order, with fixes received twice, fixes of equal times, and rows
that AIS marks as having no position (91, 181) or that lack a vessel or a
time. Beside the fixes, the truth they were made from: which rows form
each track."""

import numpy as np
import pandas as pd

from track_shapes import anchor_drift, geographic, manoeuvres, turning_back, voyage, zigzag

START = pd.Timestamp("2024-05-01T06:00:00")
GAP = "2h"  # longer than the pauses, shorter than the outages


def _tracks():
    """(mmsi, [(start, seconds between fixes, lat, lon), ...]) per vessel:
    each entry a track, the next starting more than GAP after it ends."""
    hour = pd.Timedelta("1h")
    pacific = voyage((35.0, 140.0), (47.0, -160.0), n=400)
    drift = geographic(anchor_drift, lat0=51.95, lon0=4.05)
    walk = geographic(turning_back, lat0=54.3, lon0=6.2)
    return [
        (244000001, [(START, 10, *geographic(manoeuvres, lat0=53.9, lon0=4.4))]),
        # At anchor overnight: fixes every three minutes, then a 90 minute
        # pause below the gap, which does not split.
        (244000002, [(START + 14 * hour, 180, *drift)]),
        (431000003, [(START, 600, *pacific)]),  # three days across the Pacific
        # A receiver's outage of three hours: two tracks.
        (244000004, [(START + 2 * hour, 20, walk[0][:100], walk[1][:100]),
                      (START + 2 * hour + 100 * pd.Timedelta("20s") + 3 * hour, 20,
                       walk[0][100:], walk[1][100:])]),
        (244000005, [(START + 30 * hour, 15, *geographic(zigzag, lat0=60.1, lon0=5.3))]),
        (244000006, [(START + 40 * hour, 60, np.array([58.0]), np.array([10.0]))]),
        (244000007, [(START + 41 * hour, 60, np.array([58.1, 58.2]), np.array([10.1, 10.1]))]),
    ]


def fleet(seed=11):
    """(fixes, truth): the fixes as one DataFrame in file order (the daily
    files one after the other, columns mmsi, timestamp (ISO 8601 text), lat,
    lon, sog, name), and for each true track the index labels of its rows in
    time order, equal times in file order."""
    rng = np.random.default_rng(seed)
    rows = []
    for mmsi, tracks in _tracks():
        for number, (start, step, lat, lon) in enumerate(tracks, 1):
            times = start + pd.to_timedelta(np.arange(len(lat)) * step, unit="s")
            if mmsi == 244000002:  # the 90 minute pause
                times = times.where(np.arange(len(lat)) < 200, times + pd.Timedelta("90min"))
            for t, a, o in zip(times, lat, lon):
                rows.append({"mmsi": str(mmsi), "time": t, "lat": a, "lon": o,
                             "sog": round(float(rng.uniform(0, 15)), 1),
                             "name": f"VESSEL {mmsi % 1000}", "track": (mmsi, number)})
    fixes = pd.DataFrame(rows)
    # A second receiver's fix of the same second, a few metres off.
    tied = fixes[fixes["mmsi"] == "244000002"].sample(20, random_state=seed).copy()
    tied["lat"] = (tied["lat"] + 3e-5).round(7)
    # Fixes received twice, and rows without a usable position, vessel or time.
    repeated = fixes.sample(60, random_state=seed + 1).assign(track=None)
    bad = fixes.sample(6, random_state=seed + 2).assign(track=None)
    bad.loc[bad.index[:2], ["lat", "lon"]] = [91.0, 181.0]
    bad.loc[bad.index[2], "lat"] = np.nan
    bad.loc[bad.index[3], "mmsi"] = ""
    bad.loc[bad.index[4], "time"] = pd.NaT
    bad.loc[bad.index[5], "lon"] = -180.5
    fixes = pd.concat([fixes, tied, bad], ignore_index=True)
    # Each day's file in shuffled order; the repeated fixes come later in it.
    day = fixes["time"].fillna(START).dt.floor("D")
    fixes = fixes.assign(day=day, shuffle=rng.permutation(len(fixes))).sort_values(
        ["day", "shuffle"])
    repeated = repeated.assign(day=repeated["time"].dt.floor("D"), shuffle=len(fixes))
    fixes = pd.concat([fixes, repeated]).sort_values(["day", "shuffle"], kind="stable")
    fixes = fixes.reset_index(drop=True)

    truth = [group.sort_values("time", kind="stable").index.to_numpy()
             for _, group in fixes.dropna(subset=["track"]).groupby("track", sort=True)]
    text = fixes["time"].dt.strftime("%Y-%m-%dT%H:%M:%SZ").where(fixes["time"].notna(), "")
    fixes = fixes.assign(timestamp=text)[["mmsi", "timestamp", "lat", "lon", "sog", "name", "day"]]
    return fixes, truth


def write_days(fixes, folder):
    """Writes a CSV file a day (ais-2024-05-01.csv, ...) and returns their
    paths in name order; the fixes read back are those files concatenated."""
    paths = []
    for day, rows in fixes.groupby("day", sort=True):
        path = folder / f"ais-{day:%Y-%m-%d}.csv"
        rows.drop(columns="day").to_csv(path, index=False)
        paths.append(path)
    return paths

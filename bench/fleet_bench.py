#!/usr/bin/python3
"""Times oru.dask on a generated AIS archive of about 10,000,000 fixes
(10,000 vessels over 7 daily CSV files, python/examples/ais_archive.py,
written once to FOLDER) on a LocalCluster of worker processes:
  - fixes per second of `python3 -m oru.dask thin-tracks` (read the CSV
    files, shuffle by vessel, thin within 10 m with tracks split at gaps of
    30 minutes, write the kept fixes) with 1 and with 2 workers, and the
    ratio;
  - where the workers' time goes: their tasks' durations summed by kind
    (reading CSV, the shuffles, thinning, writing), from Dask's task
    stream;
  - each worker's peak resident memory, and its processor seconds, which
    others' work on a shared machine disturbs less than wall seconds;
  - the baseline, what users do today: the same fixes read with pandas, a
    line per vessel in GeoPandas, simplified by shapely at 10 m taken as
    degrees of latitude (the CRS's units), time and points kept.
Every measure is taken ROUNDS times, interleaved, and reported as its
median; the machine's load is printed before and after: measure when it is
low.

    PYTHONPATH=build/python /usr/bin/python3 bench/fleet_bench.py [--rounds R] [--folder FOLDER]

from the top of the tree, after a release build (build/)."""

import argparse
import contextlib
import glob
import io
import os
import resource
import shutil
import statistics
import sys
import time

import distributed
import geopandas
import numpy as np
import pandas as pd
from distributed.utils import key_split
from shapely.geometry import LineString

import oru.dask
from oru.dask.__main__ import main as thin_tracks_command

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
sys.path.insert(0, os.path.join(ROOT, "python", "examples"))
import ais_archive  # noqa: E402

VESSELS, DAYS = 10_000, 7
METRES = 10.0


def load():
    return os.getloadavg()[0]


def make_archive(folder, vessels, days):
    """The daily files, written once for these numbers."""
    stamp = os.path.join(folder, f"made-{vessels}-{days}")
    if not os.path.exists(stamp):
        shutil.rmtree(folder, ignore_errors=True)
        print(f"writing {vessels} vessels over {days} days to {folder} ...", flush=True)
        ais_archive.write_days(ais_archive.archive(vessels, days), folder)
        open(stamp, "w").close()
    return sorted(glob.glob(os.path.join(folder, "ais-*.csv")))


# The command's tasks by the name Dask gives them (key_split of the key):
# reading a block of CSV fused with the numbering of its rows, thinning a
# partition of whole vessels, writing a range of vessels; the rest is the
# shuffle by vessel and the moving of the kept fixes into vessel ranges.
_KINDS = {"numbered": "read CSV", "thin_partition": "thin", "write_partition": "write"}


def _worker_figures():
    """(peak resident bytes, processor seconds) of this worker process. The
    peak is the process's own (VmHWM): getrusage's ru_maxrss keeps that of
    the process it was forked from, this benchmark's, which holds the
    whole archive after the GeoPandas baseline."""
    with open("/proc/self/status") as status:
        peak = next(int(line.split()[1]) for line in status if line.startswith("VmHWM:"))
    usage = resource.getrusage(resource.RUSAGE_SELF)
    return peak * 1024, usage.ru_utime + usage.ru_stime


def run_dask(paths, workers, out):
    """(wall seconds, summary, task seconds by kind, peak bytes and
    processor seconds per worker) of the command on a fresh cluster."""
    shutil.rmtree(out, ignore_errors=True)
    with oru.dask.local_cluster(workers) as cluster, distributed.Client(cluster) as client:
        client.run(lambda: None)  # every worker up before the clock starts
        before = client.run(_worker_figures)
        printed = io.StringIO()
        with distributed.get_task_stream(client) as stream, contextlib.redirect_stdout(printed):
            start = time.perf_counter()
            status = thin_tracks_command([
                "thin-tracks", os.path.join(os.path.dirname(paths[0]), "ais-*.csv"),
                "--out", out, "--gap", "30min", "--max-deviation", str(METRES),
                "--scheduler", cluster.scheduler_address])
            wall = time.perf_counter() - start
        after = client.run(_worker_figures)
    assert status == 0, printed.getvalue()
    kinds = {}
    for task in stream.data:
        for span in task["startstops"]:
            if span["action"] == "compute":
                kind = _KINDS.get(key_split(task["key"]), "shuffle")
                kinds[kind] = kinds.get(kind, 0.0) + span["stop"] - span["start"]
    workers_figures = [(after[w][0], after[w][1] - before[w][1]) for w in after]
    summary = printed.getvalue().split("\n", 1)[1]
    shutil.rmtree(out, ignore_errors=True)
    return wall, summary, kinds, workers_figures


def run_geopandas(paths):
    """(read seconds, line seconds, simplify seconds, points kept)."""
    start = time.perf_counter()
    fixes = pd.concat([pd.read_csv(p, dtype={"mmsi": str}) for p in paths], ignore_index=True)
    read = time.perf_counter()
    fixes = fixes[fixes["lat"] <= 90.0].sort_values(["mmsi", "timestamp"], kind="stable")
    lines = [LineString(np.column_stack((g["lon"].to_numpy(), g["lat"].to_numpy())))
             for _, g in fixes.groupby("mmsi", sort=False) if len(g) >= 2]
    series = geopandas.GeoSeries(lines, crs="EPSG:4326")
    made = time.perf_counter()
    simplified = series.simplify(METRES / 111_200.0)
    done = time.perf_counter()
    kept = int(sum(len(line.coords) for line in simplified))
    return read - start, made - read, done - made, kept


def median(values):
    return statistics.median(values)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("--folder", default="/tmp/oru-fleet-bench")
    parser.add_argument("--vessels", type=int, default=VESSELS)
    parser.add_argument("--days", type=int, default=DAYS)
    arguments = parser.parse_args()
    paths = make_archive(arguments.folder, arguments.vessels, arguments.days)
    size = sum(os.path.getsize(p) for p in paths)
    print(f"{len(paths)} files, {size / 1e6:.0f} MB; {os.cpu_count()} processors; "
          f"load before: {load():.2f}", flush=True)

    runs = {1: [], 2: []}
    baseline = []
    out = os.path.join(arguments.folder, "thinned")
    for round_number in range(arguments.rounds):
        for workers in (1, 2):
            runs[workers].append(run_dask(paths, workers, out))
            wall, summary, kinds, figures = runs[workers][-1]
            print(f"round {round_number + 1}, {workers} worker(s): {wall:.1f} s, load "
                  f"{load():.2f}", flush=True)
        baseline.append(run_geopandas(paths))
        print(f"round {round_number + 1}, GeoPandas: {sum(baseline[-1][:3]):.1f} s, load "
              f"{load():.2f}", flush=True)

    summary = runs[1][0][1]
    fixes_in = int(summary.split("\n")[0].split()[-1].replace(",", ""))
    kept = int(summary.split("\n")[1].split()[2].replace(",", ""))
    print("\n" + summary)
    print(f"{'workers':>8} {'wall s':>8} {'fixes/s':>10} {'worker CPU s':>13} "
          f"{'peak MB/worker':>15}   task seconds by kind (summed over workers)")
    rates = {}
    for workers, results in runs.items():
        wall = median(r[0] for r in results)
        rates[workers] = fixes_in / wall
        cpu = median(sum(c for _, c in r[3]) for r in results)
        peak = max(max(p for p, _ in r[3]) for r in results) / 2**20
        kinds = {k: median(r[2].get(k, 0.0) for r in results) for k in results[0][2]}
        top = ", ".join(f"{k} {v:.1f}" for k, v in sorted(kinds.items(), key=lambda kv: -kv[1]))
        print(f"{workers:>8} {wall:>8.1f} {rates[workers]:>10,.0f} {cpu:>13.1f} "
              f"{peak:>15.0f}   {top}")
    print(f"2 workers against 1: {rates[2] / rates[1]:.2f} times the fixes per second")
    read, lines, simplify, points = (median(b[i] for b in baseline) for i in range(4))
    print(f"GeoPandas + shapely simplify (10 m as {METRES / 111_200.0:.2e} degrees): read "
          f"{read:.1f} s, lines {lines:.1f} s, simplify {simplify:.1f} s, total "
          f"{read + lines + simplify:.1f} s; {points:,} points kept (oru: {kept:,})")
    print(f"load after: {load():.2f}")


if __name__ == "__main__":
    main()

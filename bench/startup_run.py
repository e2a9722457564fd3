#!/usr/bin/env python3
"""Times whole oru-cli processes on small inputs, where start-up is most of
the time: --help, a survey run of a 1,000-line X, Y track, and a 1,000-point
GPX track with times and elevations (GPX to GPX). Every binary given runs
each case RUNS times (default 41), interleaved, so that a busy machine
disturbs all alike; medians and the ratio to the first binary are printed.
    bench/startup_run.py [--runs N] [--peer-gpsbabel] CLI [CLI ...]
"""

import argparse
import math
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time


def write_xy_track(path, points):
    with open(path, "w", newline="\n") as f:
        x, y, heading = 500000.0, 6000000.0, 0.0
        for i in range(points):
            heading += 0.02 if (i // 100) % 2 else -0.02
            x += 20.0 * math.sin(heading)
            y += 20.0 * math.cos(heading)
            f.write("%.2f %.2f\n" % (x, y))


def write_gpx_track(path, points):
    with open(path, "w", newline="\n") as f:
        f.write('<?xml version="1.0" encoding="UTF-8"?>\n'
                '<gpx version="1.1" creator="bench" xmlns="http://www.topografix.com/GPX/1/1">\n'
                "<trk><name>walk</name><trkseg>\n")
        lat, lon, heading = 52.0, 4.0, 0.0
        for i in range(points):
            heading += 0.03 if (i // 50) % 2 else -0.03
            lat += 0.0002 * math.cos(heading)
            lon += 0.0003 * math.sin(heading)
            f.write('<trkpt lat="%.7f" lon="%.7f"><ele>%.1f</ele>'
                    "<time>2024-05-01T%02d:%02d:%02dZ</time></trkpt>\n"
                    % (lat, lon, 10.0 + i % 7, (i // 3600) % 24, (i // 60) % 60, i % 60))
        f.write("</trkseg></trk>\n</gpx>\n")


def median_ms(command, runs):
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
        times.append((time.perf_counter() - start) * 1000.0)
    return statistics.median(times)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--runs", type=int, default=41)
    parser.add_argument("--peer-gpsbabel", action="store_true",
                        help="also time gpsbabel reading and writing the GPX file")
    parser.add_argument("cli", nargs="+")
    args = parser.parse_args()
    work = tempfile.mkdtemp()
    try:
        xy, gpx = os.path.join(work, "track.txt"), os.path.join(work, "track.gpx")
        write_xy_track(xy, 1000)
        write_gpx_track(gpx, 1000)
        cases = {
            "--help": lambda cli: [cli, "--help"],
            "survey X, Y, 1,000 lines": lambda cli: [
                cli, "--input-format", "xy", "--max-deviation", "1", xy,
                os.path.join(work, "out.txt")],
            "GPX to GPX, 1,000 points": lambda cli: [
                cli, "--calculation", "planar", "--max-deviation", "1", gpx,
                os.path.join(work, "out.gpx")],
        }
        print("machine: %d cores, %s; load %s" % (
            os.cpu_count(), open("/proc/cpuinfo").read().split("model name")[1].split("\n")[0]
            .strip(": \t"), open("/proc/loadavg").read().split()[:3]))
        samples = {}
        for name, command in cases.items():
            for cli in args.cli:
                samples[(name, cli)] = []
            for _ in range(args.runs):
                for cli in args.cli:
                    samples[(name, cli)].append(median_ms(command(cli), 1))
        for name in cases:
            base = statistics.median(samples[(name, args.cli[0])])
            for cli in args.cli:
                m = statistics.median(samples[(name, cli)])
                print("%-28s %-40s median %7.2f ms  (x%.2f of the first)" % (name, cli, m, m / base))
        if args.peer_gpsbabel and shutil.which("gpsbabel"):
            m = median_ms(["gpsbabel", "-i", "gpx", "-f", gpx, "-o", "gpx", "-F",
                           os.path.join(work, "babel.gpx")], args.runs)
            print("%-28s %-40s median %7.2f ms" % ("GPX to GPX, 1,000 points", "gpsbabel", m))
    finally:
        shutil.rmtree(work)
    return 0


if __name__ == "__main__":
    sys.exit(main())

"""Runs the built oru-cli on files and reads back what it wrote, for the
comparisons with the module. ORU_CLI names the program (ctest sets it)."""

import json
import os
import subprocess
from decimal import ROUND_HALF_UP, Decimal

import fiona
import numpy as np

SOURCE = os.environ.get("ORU_SOURCE_DIR",
                        os.path.join(os.path.dirname(__file__), "..", ".."))
PROGRAM = os.environ.get("ORU_CLI", os.path.join(SOURCE, "build", "cli", "oru-cli"))


def run(*args):
    """oru-cli's --json figures of a run that must succeed: one dict, or a
    list of dicts (one a track, then the total) for GIS files."""
    done = subprocess.run([PROGRAM, "--json", *map(str, args)], capture_output=True, text=True)
    assert done.returncode == 0, done.stderr
    objects = [json.loads(line) for line in done.stdout.splitlines()]
    return objects[0] if len(objects) == 1 else objects


def failure(*args):
    """oru-cli's message of a run that must fail, without "oru-cli: "."""
    done = subprocess.run([PROGRAM, *map(str, args)], capture_output=True, text=True)
    assert done.returncode != 0
    return done.stderr.strip().splitlines()[0].removeprefix("oru-cli: ")


def write_kvl(path, lat, lon):
    """Writes an oru/kvl track and returns its coordinates as written."""
    lines = [f"{abs(a):.7f}{'N' if a >= 0 else 'S'}, {abs(o):.7f}{'E' if o >= 0 else 'W'}\n"
             for a, o in zip(lat, lon)]
    with open(path, "w") as f:
        f.writelines(lines)
    read = [(float(a[:-1]) * (1 if a[-1] == "N" else -1), float(o[:-1]) * (1 if o[-1] == "E" else -1))
            for a, o in (line.split(", ") for line in (s.strip() for s in lines))]
    return tuple(np.array(c) for c in zip(*read))


def write_xy(path, x, y):
    """Writes an X, Y track and returns its coordinates as written."""
    lines = [f"{a:.3f} {b:.3f}\n" for a, b in zip(x, y)]
    with open(path, "w") as f:
        f.writelines(lines)
    return tuple(np.array(c) for c in zip(*((float(a), float(b)) for a, b in map(str.split, lines))))


def gpkg_geometries(path):
    """The geometries of a GeoPackage's only layer, in feature order."""
    with fiona.open(path) as layer:
        return [feature["geometry"] for feature in layer]


def kept_positions(track, kept):
    """Positions in `track` (rows of coordinates, no row repeated) of the
    rows of `kept`, which must follow track order."""
    positions, i = [], 0
    for row in kept:
        while not np.array_equal(track[i], row):
            i += 1
        positions.append(i)
    return np.array(positions)


def metres_text(value):
    """A figure in metres as oru-cli prints it below 1e7: the exact value
    rounded once to a whole number, halves away from zero."""
    assert abs(value) < 1e7
    whole = Decimal(value).to_integral_value(rounding=ROUND_HALF_UP)
    return str(abs(whole) if whole == 0 else whole)


def printed_figures(figures):
    """The figures of a Result or a statistics dict as oru-cli's --json has them."""
    texts = {key: metres_text(figures[key]) for key in
             ("max_deviation", "length_before", "length_after",
              "deviation_mean", "deviation_rms", "deviation_p95")}
    texts.update(points_before=str(figures["points_before"]),
                 points_after=str(figures["points_after"]))
    if figures["note"]:
        texts["note"] = figures["note"]
    return texts


def json_figures(printed):
    """The same keys of oru-cli's --json object."""
    keys = ("max_deviation", "length_before", "length_after", "deviation_mean", "deviation_rms",
            "deviation_p95", "points_before", "points_after", "note")
    return {key: printed[key] for key in keys if key in printed}

"""oru.thin, oru.thin_xy and oru.curve give what oru-cli gives on the same
tracks written to files: the same kept points, the same figures."""

import numpy as np
import pytest

import cli
import oru
from track_shapes import SHAPES, VOYAGES, geographic, plane, voyage

# (shape, coordinates, calculation, datum, method, criterion): every shape
# twice; X, Y, planar and ellipsoidic, both datums, both methods, both
# criteria. On the voyages the datums' and calculations' lengths differ by
# hundreds of metres, which whole metres show.
CASES = [
    ("manoeuvres", "xy", None, None, "douglas-peucker", {"max_deviation": 2.5}),
    ("turning_back", "xy", None, None, "optimal", {"points": 12}),
    ("anchor_drift", "xy", None, None, "optimal", {"max_deviation": 4.0}),
    ("zigzag", "xy", None, None, "douglas-peucker", {"points": 40}),
    ("meridian", "degrees", "ellipsoidic", "wgs84", "douglas-peucker", {"max_deviation": 1.5}),
    ("manoeuvres", "degrees", "ellipsoidic", "wgs84", "optimal", {"points": 15}),
    ("anchor_drift", "degrees", "planar", "wgs84", "douglas-peucker", {"points": 25}),
    ("zigzag", "degrees", "planar", "wgs84", "optimal", {"max_deviation": 3.0}),
    ("turning_back", "degrees", "ellipsoidic", "ed50", "douglas-peucker", {"max_deviation": 0.9}),
    ("meridian", "degrees", "planar", "ed50", "optimal", {"points": 8}),
    ("pacific_crossing", "degrees", "ellipsoidic", "ed50", "douglas-peucker", {"max_deviation": 2e3}),
    ("pacific_crossing", "degrees", "ellipsoidic", "wgs84", "optimal", {"max_deviation": 1e3}),
    ("biscay_voyage", "degrees", "planar", "ed50", "douglas-peucker", {"points": 30}),
    ("biscay_voyage", "degrees", "planar", "wgs84", "optimal", {"max_deviation": 500.0}),
]


def _track(shape, kind, folder):
    """The track written as survey text, and its coordinates as written."""
    path = folder / "track.txt"
    if kind == "xy":
        return path, cli.write_xy(path, *plane(SHAPES[shape]))
    lat, lon = voyage(*VOYAGES[shape]) if shape in VOYAGES else geographic(SHAPES[shape])
    return path, cli.write_kvl(path, lat, lon)


def _cli_options(kind, calculation, datum, method, criterion):
    options = ["--method", method]
    if kind == "xy":
        options += ["--input-format", "xy"]
    else:
        options += ["--calculation", calculation, "--datum", datum]
    (name, value), = criterion.items()
    return options + ["--" + name.replace("_", "-"), repr(value)]


@pytest.mark.parametrize("shape, kind, calculation, datum, method, criterion", CASES)
def test_kept_points_and_figures(tmp_path, shape, kind, calculation, datum, method, criterion):
    path, (a, b) = _track(shape, kind, tmp_path)
    output = tmp_path / "kept.gpkg"
    printed = cli.run(*_cli_options(kind, calculation, datum, method, criterion), path, output)
    if kind == "xy":
        result = oru.thin_xy(a, b, method=method, **criterion)
        track = np.column_stack((a, b))
    else:
        result = oru.thin(a, b, calculation=calculation, datum=datum, method=method, **criterion)
        track = np.column_stack((b, a))  # GeoPackages hold longitude, latitude
    [kept] = cli.gpkg_geometries(output)
    np.testing.assert_array_equal(result.indices, cli.kept_positions(track, kept["coordinates"]))
    assert cli.printed_figures(result.as_dict()) == cli.json_figures(printed)


@pytest.mark.parametrize("shape, kind, calculation, datum", [
    ("turning_back", "xy", None, None),
    ("anchor_drift", "degrees", "ellipsoidic", "ed50"),
    ("zigzag", "degrees", "planar", "wgs84"),
])
def test_curve(tmp_path, shape, kind, calculation, datum):
    path, (a, b) = _track(shape, kind, tmp_path)
    csv = tmp_path / "curve.csv"
    options = _cli_options(kind, calculation, datum, "douglas-peucker", {"points": 10})
    cli.run(*options, "--curve", csv, path, tmp_path / "kept.txt")
    expected = np.loadtxt(csv, delimiter=",", skiprows=1)
    curve = oru.curve_xy(a, b) if kind == "xy" else oru.curve(a, b, calculation=calculation,
                                                              datum=datum)
    # The CSV holds each number in the shortest text that reads back the same.
    np.testing.assert_array_equal(np.column_stack((curve.points, curve.max_deviation, curve.length)),
                                  expected)

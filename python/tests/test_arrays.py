"""oru.thin, oru.thin_xy, oru.curve and oru.curve_xy: arguments, errors,
results."""

import math
from concurrent.futures import ThreadPoolExecutor

import numpy as np
import pandas as pd
import pytest

import oru
from oru import _options
from track_shapes import SHAPES, geographic, plane

LAT, LON = geographic(SHAPES["manoeuvres"])
X, Y = plane(SHAPES["zigzag"])
NAN, INF = float("nan"), float("inf")


def _with(values, position, value):
    changed = np.array(values)
    changed[position] = value
    return changed


# (function, arguments, keywords, exception, start of the message)
ERRORS = [
    (oru.thin, (_with(LAT, 3, NAN), LON), {"points": 5}, oru.InputError, "lat[3] = nan: "),
    (oru.thin, (_with(LAT, 7, 90.5), LON), {"points": 5}, oru.InputError, "lat[7] = 90.5: "),
    (oru.thin, (LAT, _with(LON, 0, -180.25)), {"points": 5}, oru.InputError, "lon[0] = -180.25: "),
    (oru.thin_xy, (X, _with(Y, 9, INF)), {"points": 5}, oru.InputError, "y[9] = inf: "),
    (oru.thin_xy, (X, Y[:-1]), {"points": 5}, oru.InputError, "x and y differ in length: "),
    (oru.thin_xy, ([], []), {"points": 5}, oru.InputError, "x and y are empty"),
    (oru.thin_xy, (np.ones((2, 3)), Y), {"points": 5}, oru.InputError, "x: a one-dimensional"),
    (oru.thin_xy, (["a", "b"], [1, 2]), {"points": 5}, oru.InputError, "x: not an array of numbers"),
    (oru.thin_xy, (X, Y), {"points": 1}, oru.InputError, "points=1: at least 2"),
    (oru.thin_xy, (X, Y), {"points": 2.5}, TypeError, "points: a whole number"),
    (oru.thin_xy, (X, Y), {"max_deviation": -0.5}, oru.InputError, "max_deviation=-0.5: "),
    (oru.thin_xy, (X, Y), {"max_deviation": NAN}, oru.InputError, "max_deviation=nan: "),
    (oru.thin_xy, (X, Y), {}, oru.InputError, "give exactly one of max_deviation"),
    (oru.thin_xy, (X, Y), {"points": 5, "max_deviation": 1}, oru.InputError, "give exactly one"),
    (oru.thin, (LAT, LON), {"points": 5, "datum": "nad27"}, oru.InputError, "datum='nad27': "),
    (oru.thin, (LAT, LON), {"points": 5, "calculation": "flat"}, oru.InputError, "calculation="),
    (oru.thin_xy, (X, Y), {"points": 5, "method": "visvalingam"}, oru.InputError, "method="),
    (oru.curve, ([91.0], [0.0]), {}, oru.InputError, "lat[0] = 91: "),
]


@pytest.mark.parametrize("function, args, keywords, exception, message", ERRORS)
def test_errors_name_the_argument_and_position(function, args, keywords, exception, message):
    with pytest.raises(exception) as raised:
        function(*args, **keywords)
    assert str(raised.value).startswith(message)
    if exception is oru.InputError:
        assert isinstance(raised.value, (ValueError, oru.Error))


# The same coordinates however they come: lists, other dtypes, pandas
# Series, arrays that are not contiguous.
CONVERSIONS = [
    lambda a: list(a),
    lambda a: pd.Series(a, index=np.arange(len(a)) * 3),
    lambda a: np.repeat(a, 2)[::2],
    lambda a: np.asarray(a, dtype=np.longdouble),
]


@pytest.mark.parametrize("convert", CONVERSIONS)
def test_array_likes_give_the_same_result(convert):
    expected = oru.thin_xy(X, Y, max_deviation=2.0)
    result = oru.thin_xy(convert(X), convert(Y), max_deviation=2.0)
    np.testing.assert_array_equal(result.indices, expected.indices)
    assert result.as_dict() == expected.as_dict()


def test_a_contiguous_float64_array_is_not_copied():
    assert _options.coordinates("x", X) is X
    assert _options.coordinates("x", X[::2]) is not X


def _segment_distance(p, a, b):
    ab, ap = b - a, p - a
    t = min(max(np.dot(ap, ab) / np.dot(ab, ab), 0.0), 1.0)
    return math.hypot(*(ap - t * ab))


@pytest.mark.parametrize("shape", sorted(SHAPES))
@pytest.mark.parametrize("method", ["douglas-peucker", "optimal"])
def test_xy_figures_measure_the_kept_line(shape, method):
    # Figures computed here from the kept points, with the deviation of a
    # point from its segment of the new line (perpendicular or to the nearer
    # end), to 1e-9 m.
    x, y = plane(SHAPES[shape])
    result = oru.thin_xy(x, y, max_deviation=3.0, method=method)
    kept = result.indices
    assert result.indices.dtype == np.int64
    assert kept[0] == 0 and kept[-1] == len(x) - 1 and np.all(np.diff(kept) > 0)
    points = np.column_stack((x, y))
    deviations = np.zeros(len(x))
    for a, b in zip(kept[:-1], kept[1:]):
        for p in range(a + 1, b):
            deviations[p] = _segment_distance(points[p], points[a], points[b])
    length = lambda k: float(np.sum(np.hypot(np.diff(x[k]), np.diff(y[k]))))
    assert result.points_before == len(x) and result.points_after == len(kept)
    assert result.max_deviation == pytest.approx(deviations.max(), abs=1e-9)
    assert result.max_deviation <= 3.0
    assert result.length_before == pytest.approx(length(np.arange(len(x))), rel=1e-12)
    assert result.length_after == pytest.approx(length(kept), rel=1e-12)
    assert result.deviation_mean == pytest.approx(deviations.mean(), abs=1e-9)
    assert result.deviation_rms == pytest.approx(math.sqrt(np.mean(deviations**2)), abs=1e-9)
    rank = math.ceil(0.95 * len(x))
    assert result.deviation_p95 == pytest.approx(np.sort(deviations)[rank - 1], abs=1e-9)


@pytest.mark.parametrize("calculation", ["ellipsoidic", "planar"])
def test_curve_holds_the_figures_of_every_count(calculation):
    curve = oru.curve(LAT, LON, calculation=calculation)
    assert list(curve.points) == list(range(2, len(LAT) + 1))
    for count in (3, 10, 57, len(LAT)):
        result = oru.thin(LAT, LON, points=count, calculation=calculation)
        assert curve.max_deviation[count - 2] == result.max_deviation
        assert curve.length[count - 2] == pytest.approx(result.length_after, rel=1e-12)


def test_threads_thin_at_once_as_one_does():
    tracks = [plane(SHAPES[name], seed) for name in SHAPES for seed in (1, 2)]
    alone = [oru.thin_xy(x, y, points=30).indices for x, y in tracks]
    with ThreadPoolExecutor(4) as pool:
        together = list(pool.map(lambda t: oru.thin_xy(*t, points=30).indices, tracks))
    for a, b in zip(alone, together):
        np.testing.assert_array_equal(a, b)


def test_the_result_reads_well():
    result = oru.thin(LAT, LON, points=10, method="optimal")
    assert repr(result).startswith(f"<oru.Result: 10 of {len(LAT)} points kept, max_deviation ")
    assert set(result.as_dict()) == {
        "max_deviation", "points_before", "points_after", "length_before", "length_after",
        "deviation_mean", "deviation_rms", "deviation_p95", "note"}

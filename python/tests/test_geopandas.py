"""oru.geopandas.thin keeps the vertices that oru-cli keeps of the same
lines in a GeoPackage, and everything else as it was."""

import geopandas
import numpy as np
import pytest
from shapely.geometry import LineString, MultiLineString, Point, Polygon

import cli
import oru
import oru.geopandas
from track_shapes import SHAPES, geographic, plane


def _lines(crs):
    """Real-shaped lines in the CRS's coordinates, a multi-line, a point and
    a polygon, with attributes and an index of names."""
    if geopandas.GeoSeries(crs=crs).crs.is_projected:
        tracks = [plane(shape) for shape in SHAPES.values()]
    else:
        tracks = [geographic(shape, lat0=52.5, lon0=-1.5)[::-1] for shape in SHAPES.values()]
    lines = [LineString(np.column_stack(t)) for t in tracks]
    geometries = lines[:3] + [MultiLineString(lines[3:]), lines[0].centroid,
                              Polygon(lines[1].coords[:4])]
    return geopandas.GeoDataFrame(
        {"name": ["a", "b", "c", "d", "mark", "area"], "speed": np.arange(6.0)},
        geometry=geometries, crs=crs, index=[f"row {k}" for k in range(6)])


# (CRS, calculation, method, criterion): WGS84 and ED50 on their datums,
# OSGB36 transformed to WGS84 for the measure, projected metres and US feet.
CASES = [
    ("EPSG:4326", "ellipsoidic", "douglas-peucker", {"max_deviation": 2.0}),
    ("EPSG:4326", "planar", "optimal", {"points": 12}),
    ("EPSG:4230", "ellipsoidic", "optimal", {"max_deviation": 3.0}),
    ("EPSG:4277", "ellipsoidic", "douglas-peucker", {"points": 20}),
    ("EPSG:32631", "ellipsoidic", "douglas-peucker", {"max_deviation": 1.5}),
    ("EPSG:2229", "ellipsoidic", "optimal", {"max_deviation": 2.0}),
]


@pytest.mark.parametrize("crs, calculation, method, criterion", CASES)
def test_the_same_vertices_as_oru_cli(tmp_path, crs, calculation, method, criterion):
    data = _lines(crs)
    data.to_file(tmp_path / "lines.gpkg", driver="GPKG")
    (name, value), = criterion.items()
    cli.run("--calculation", calculation, "--method", method, "--" + name.replace("_", "-"),
            value, tmp_path / "lines.gpkg", tmp_path / "thinned.gpkg")
    expected = geopandas.read_file(tmp_path / "thinned.gpkg")

    thinned = oru.geopandas.thin(data, calculation=calculation, method=method, **criterion)
    assert list(thinned.index) == list(data.index) and thinned.crs == data.crs
    assert list(thinned["name"]) == list(expected["name"])
    for got, want, given in zip(thinned.geometry, expected.geometry, data.geometry):
        assert got.geom_type == want.geom_type == given.geom_type
        assert got.wkb == want.wkb
    assert len(thinned.geometry.iloc[0].coords) < len(data.geometry.iloc[0].coords)


def test_a_series_without_crs_is_plane_metres_and_keeps_z():
    x, y = plane(SHAPES["anchor_drift"])
    series = geopandas.GeoSeries([LineString(np.column_stack((x, y, x - y))), None, Point(0, 0)],
                                 name="track")
    thinned = oru.geopandas.thin(series, max_deviation=4.0)
    expected = oru.thin_xy(x, y, max_deviation=4.0).indices
    assert isinstance(thinned, geopandas.GeoSeries) and thinned.name == "track"
    np.testing.assert_array_equal(np.asarray(thinned.iloc[0].coords)[:, 2],
                                  (x - y)[expected])
    assert thinned.iloc[1] is None and thinned.iloc[2] == Point(0, 0)


@pytest.mark.parametrize("data, exception, message", [
    (geopandas.GeoSeries([LineString([(0, 0), (1, 95)])], crs="EPSG:4326"), oru.InputError,
     "row 0: point 2: latitude out of range."),
    (geopandas.GeoSeries([LineString([(0, 0), (1, 1)])], crs="EPSG:4978"), oru.InputError,
     "the CRS cannot be used: geocentric"),
    (LineString([(0, 0), (1, 1)]), TypeError, "data: a GeoSeries or GeoDataFrame"),
])
def test_errors(data, exception, message):
    with pytest.raises(exception, match=message):
        oru.geopandas.thin(data, points=5)

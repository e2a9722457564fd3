"""Thinning the lines of GeoPandas data, as oru-cli thins a GIS file.

Examples
--------
>>> import geopandas, oru.geopandas
>>> from shapely.geometry import LineString
>>> lines = geopandas.GeoDataFrame(
...     {"name": ["approach"]},
...     geometry=[LineString([(3.0, 54.0), (3.0003, 54.0005), (3.0, 54.001),
...                           (3.0004, 54.0015), (3.0, 54.002)])],
...     crs="EPSG:4326")
>>> thinned = oru.geopandas.thin(lines, max_deviation=30)
>>> len(thinned.geometry[0].coords)
3
"""

import numpy as np
import geopandas
from shapely.geometry import LineString, MultiLineString

import oru
from oru import _oru
from oru import _options
from oru._errors import InputError


def thin(data, *, max_deviation=None, points=None, calculation="ellipsoidic",
         method="douglas-peucker"):
    """Thin every line of a GeoSeries or GeoDataFrame.

    Each LineString is thinned on its own, and so is each part of a
    MultiLineString; other geometries and missing ones are kept as they are,
    and so are the attributes, the index, the CRS and the Z of the kept
    vertices. The CRS decides the measure as oru-cli decides it for a layer
    of a GIS file: geographic WGS84 (or ETRS89) and ED50 coordinates are
    measured on that datum with ``calculation``; other geographic CRSs are
    transformed to WGS84 for the measure only; projected CRSs are measured
    in the plane, in metres (feet converted); data without a CRS as plane
    metres. The kept vertices equal those oru-cli keeps of the same lines
    in a GeoPackage.

    Parameters
    ----------
    data : geopandas.GeoSeries or geopandas.GeoDataFrame
        The lines (of the active geometry column of a GeoDataFrame).
    max_deviation : float, optional
        Metres: keep points until every point left out lies within this
        distance of the thinned line. Give this or ``points``.
    points : int, optional
        Points to keep in each line (at least 2). Give this or
        ``max_deviation``.
    calculation : {"ellipsoidic", "planar"}
        For geographic CRSs: geodesics on the ellipsoid, or the plane of a
        transverse Mercator projection about the line's mean longitude.
    method : {"douglas-peucker", "optimal"}
        Douglas-Peucker's selection, or the fewest points within
        ``max_deviation`` (the smallest largest deviation for ``points``).

    Returns
    -------
    geopandas.GeoSeries or geopandas.GeoDataFrame
        A new object of the type given, with the thinned lines.

    Raises
    ------
    InputError
        Bad arguments, a CRS that cannot be used, or a line that cannot be
        measured; the message names its row and part.

    Examples
    --------
    >>> import geopandas, oru.geopandas
    >>> from shapely.geometry import LineString
    >>> walk = geopandas.GeoSeries(
    ...     [LineString([(500000, 6000000), (500010, 6000001), (500020, 6000000),
    ...                  (500030, 6000008), (500040, 6000000)])],
    ...     crs="EPSG:32631")
    >>> oru.geopandas.thin(walk, max_deviation=2, method="optimal").iloc[0].wkt
    'LINESTRING (500000 6000000, 500020 6000000, 500030 6000008, 500040 6000000)'
    """
    if isinstance(data, geopandas.GeoDataFrame):
        series = data.geometry
    elif isinstance(data, geopandas.GeoSeries):
        series = data
    else:
        raise TypeError(f"data: a GeoSeries or GeoDataFrame, not {type(data).__name__}")
    options = {"max_deviation": max_deviation, "points": points, "method": method}
    _options.criterion(max_deviation, points)
    _options.choice("method", method, _options.METHODS)
    calculation_index = _options.choice("calculation", calculation, _options.CALCULATIONS)
    frame = _oru.CrsFrame(series.crs.to_wkt() if series.crs is not None else "")
    if frame.geographic:
        options["calculation"] = _options.CALCULATIONS[calculation_index]
        options["datum"] = _options.DATUMS[frame.datum]
    lines = [_thin_geometry(geometry, label, frame, options)
             for label, geometry in zip(series.index, series)]
    thinned = geopandas.GeoSeries(lines, index=series.index, crs=series.crs, name=series.name)
    if isinstance(data, geopandas.GeoSeries):
        return thinned
    result = data.copy()
    result[data.geometry.name] = thinned
    return result


def _thin_geometry(geometry, label, frame, options):
    if isinstance(geometry, LineString):
        return _thin_line(geometry, label, None, frame, options)
    if isinstance(geometry, MultiLineString):
        return MultiLineString([_thin_line(part, label, number, frame, options)
                                for number, part in enumerate(geometry.geoms, 1)])
    return geometry


def _thin_line(line, label, part, frame, options):
    coords = np.asarray(line.coords)
    if len(coords) == 0:
        return line
    try:
        first, second = frame.engine_coordinates(coords[:, 0], coords[:, 1])
        if frame.geographic:
            result = oru.thin(first, second, **options)
        else:
            result = oru.thin_xy(first, second, **options)
    except InputError as error:
        where = f"row {label!r}" + (f", part {part}" if part is not None else "")
        raise InputError(f"{where}: {error}") from None
    return LineString(coords[result.indices])

"""ORU from Python: thins tracks given as NumPy arrays, GeoPandas data or
files, with the same engine, the same choices and the same results as
oru-cli.

Tracks are thinned by Douglas-Peucker or by the optimal method, either to a
maximum deviation in metres or to a number of points; geographic tracks
(degrees) are measured on the ellipsoid of their datum or, "planar", after a
transverse Mercator projection; plane tracks (metres) in the plane.

Functions
---------
thin, thin_xy
    Thin a geographic or plane track given as arrays.
curve, curve_xy
    The largest deviation and the length for every number of points.
thin_file
    Thin the tracks of a file into another file, as oru-cli does.

The module ``oru.geopandas`` thins the lines of GeoSeries and
GeoDataFrames. Errors are ``oru.Error``: ``oru.InputError`` (a
``ValueError``) or ``oru.FileError`` (an ``OSError``).
"""

import os
import warnings

from oru import _oru
from oru import _options
from oru._errors import Error, FileError, InputError
from oru._result import FIGURES, Curve, Result

__all__ = [
    "Curve",
    "Error",
    "FileError",
    "InputError",
    "Result",
    "curve",
    "curve_xy",
    "thin",
    "thin_file",
    "thin_xy",
]


def thin(lat, lon, *, max_deviation=None, points=None, calculation="ellipsoidic",
         datum="wgs84", method="douglas-peucker"):
    """Thin a geographic track.

    Parameters
    ----------
    lat, lon : array_like of float
        Latitudes (within -90 and 90) and longitudes (within -180 and 180)
        in degrees, north and east positive, one pair per point in track
        order; at least one point. A contiguous float64 NumPy array is used
        without a copy; other arrays, lists and pandas Series are converted.
    max_deviation : float, optional
        Metres: keep points until every point left out lies within this
        distance of the thinned line. Give this or ``points``.
    points : int, optional
        Keep this many points (at least 2). Give this or ``max_deviation``.
    calculation : {"ellipsoidic", "planar"}
        "ellipsoidic" measures geodesics on the datum's ellipsoid; "planar"
        measures in the plane after a transverse Mercator projection about
        the track's mean longitude.
    datum : {"wgs84", "ed50"}
        The datum of the coordinates ("wgs84" also for ETRS89).
    method : {"douglas-peucker", "optimal"}
        Douglas-Peucker's selection, or the fewest points within
        ``max_deviation`` (the smallest largest deviation for ``points``).

    Returns
    -------
    Result
        The kept points' positions and the figures, as oru-cli gives them
        for the same track and choices.

    Raises
    ------
    InputError
        A ValueError naming the argument and the first bad position: a
        coordinate that is NaN or out of range, arrays of unequal or no
        length, both or neither criterion, ``points < 2``, a negative or
        NaN ``max_deviation``, an unknown choice.

    Notes
    -----
    The selection runs without the GIL, so threads thin tracks in parallel;
    Ctrl-C stops a long one.

    Examples
    --------
    >>> import oru
    >>> lat = [54.0, 54.0005, 54.001, 54.0015, 54.002]
    >>> lon = [3.0, 3.0003, 3.0, 3.0004, 3.0]
    >>> result = oru.thin(lat, lon, max_deviation=30)
    >>> result.indices
    array([0, 3, 4])
    >>> print(f"{result.max_deviation:.2f} m, {result.length_after:.2f} m")
    17.27 m, 230.53 m
    """
    return _thin((lat, lon), True, max_deviation, points, calculation, datum, method)


def thin_xy(x, y, *, max_deviation=None, points=None, method="douglas-peucker"):
    """Thin a track of plane coordinates in metres.

    Parameters
    ----------
    x, y : array_like of float
        Plane coordinates in metres (finite), one pair per point in track
        order; at least one point. A contiguous float64 NumPy array is used
        without a copy; other arrays, lists and pandas Series are converted.
    max_deviation : float, optional
        Metres: keep points until every point left out lies within this
        distance of the thinned line. Give this or ``points``.
    points : int, optional
        Keep this many points (at least 2). Give this or ``max_deviation``.
    method : {"douglas-peucker", "optimal"}
        Douglas-Peucker's selection, or the fewest points within
        ``max_deviation`` (the smallest largest deviation for ``points``).

    Returns
    -------
    Result
        The kept points' positions and the figures, as oru-cli gives them
        for the same X, Y track.

    Raises
    ------
    InputError
        As ``thin`` does, naming ``x`` or ``y``.

    Examples
    --------
    >>> import numpy as np, oru
    >>> x = np.array([0.0, 10.0, 20.0, 30.0, 40.0])
    >>> y = np.array([0.0, 0.5, 3.0, 0.2, 0.0])
    >>> result = oru.thin_xy(x, y, max_deviation=3.0)
    >>> result.indices
    array([0, 2, 4])
    >>> print(f"{result.max_deviation:.2f} m, {result.length_after:.2f} m")
    1.29 m, 40.45 m
    """
    return _thin((x, y), False, max_deviation, points, "planar", "wgs84", method)


def curve(lat, lon, *, calculation="ellipsoidic", datum="wgs84"):
    """The largest deviation and the length for every number of points of
    a geographic track, from one Douglas-Peucker selection to the end (what
    ``oru-cli --curve`` writes).

    Parameters
    ----------
    lat, lon : array_like of float
        Degrees, as ``thin`` takes them.
    calculation : {"ellipsoidic", "planar"}
        As ``thin`` measures.
    datum : {"wgs84", "ed50"}
        The datum of the coordinates.

    Returns
    -------
    Curve
        Arrays ``points`` (2 to every point), ``max_deviation`` and
        ``length`` (metres).

    Examples
    --------
    >>> import oru
    >>> c = oru.curve([54.0, 54.001, 54.002, 54.003], [3.0, 3.001, 3.0, 3.0])
    >>> c.points
    array([2, 3, 4])
    >>> [round(d, 1) for d in c.max_deviation]
    [65.6, 31.5, 0.0]
    """
    first, second = _options.track(("lat", "lon"), lat, lon)
    arrays = _oru.curve(first, second, True, _options.choice("datum", datum, _options.DATUMS),
                        _options.choice("calculation", calculation, _options.CALCULATIONS))
    return Curve(*arrays)


def curve_xy(x, y):
    """The largest deviation and the length for every number of points of
    a plane track (metres), from one Douglas-Peucker selection to the end.

    Parameters
    ----------
    x, y : array_like of float
        Metres, as ``thin_xy`` takes them.

    Returns
    -------
    Curve
        Arrays ``points``, ``max_deviation`` and ``length`` (metres).

    Examples
    --------
    >>> import oru
    >>> c = oru.curve_xy([0, 10, 20, 30], [0, 4, 0, 1])
    >>> c.points, c.max_deviation
    (array([2, 3, 4]), array([3.66463133, 2.47234088, 0.        ]))
    """
    first, second = _options.track(("x", "y"), x, y)
    return Curve(*_oru.curve(first, second, False, 0, 1))


def thin_file(input, output=None, *, output_dir=None, max_deviation=None, points=None,
              calculation="ellipsoidic", datum="wgs84", method="douglas-peucker",
              max_waypoints=None, input_format=None, output_format=None, crs=None,
              p190_grid=False):
    """Thin the tracks of a file into another file, as oru-cli does.

    Every format oru-cli reads (survey text, GPX, GeoPackage, Shapefile,
    GeoJSON, KML, FlatGeobuf, CSV, DXF, NMEA 0183, UKOOA P1/90) can be
    written in every format it writes (survey text, the GIS formats, RTZ
    and GPX routes); each track is thinned on its own. The output is
    written whole or not at all: when this raises, no file was changed.

    Parameters
    ----------
    input : str or os.PathLike
        The track file.
    output : str or os.PathLike, optional
        The file to write. Give this or ``output_dir``.
    output_dir : str or os.PathLike, optional
        A folder to write the output into under the input's name (one file
        a track for survey text of several tracks, as ``oru-cli
        --output-dir``).
    max_deviation, points, calculation, datum, method
        As ``thin`` takes them; ``datum`` is that of survey text files.
    max_waypoints : int, optional
        At most this many points a track (3 or more), for routes.
    input_format, output_format : str, optional
        Format names ("oru", "dms", "xy"; "oru", "ascii", "kel"; "gpx",
        "gpkg", "shp", "geojson", "kml", "fgb", "csv", "dxf", "nmea",
        "p190", "rtz"); by default the files' extensions decide, else
        survey text.
    crs : str, optional
        "EPSG:N", the projected CRS of X, Y survey text and P1/90 grid
        tracks.
    p190_grid : bool
        Thin P1/90 files' grid eastings and northings instead of degrees.

    Returns
    -------
    list of dict
        One dict a track, in file order: ``file`` (the input), ``track``
        (where it is in the file, as oru-cli names it), ``output`` (the file
        it went to), ``capped`` (whether ``max_waypoints`` decided),
        ``lines_skipped`` (NMEA logs only) and the figures of ``Result``.

    Raises
    ------
    InputError
        Bad arguments, or an input that cannot be thinned, with oru-cli's
        message ("Line 7 could not be read.").
    FileError
        A file that could not be read or written, with oru-cli's message
        and the system's reason (``errno``).

    Warns
    -----
    UserWarning
        What was left aside: NMEA lines passed over, layers and features
        that are no tracks.

    Examples
    --------
    >>> import os, tempfile, oru
    >>> folder = tempfile.mkdtemp()
    >>> track = os.path.join(folder, "line.txt")
    >>> with open(track, "w") as f:
    ...     _ = f.write("54.0N, 3.0E\\n54.001N, 3.001E\\n54.002N, 3.0E\\n")
    >>> [stats] = oru.thin_file(track, os.path.join(folder, "line.gpx"), points=2)
    >>> stats["track"], stats["points_after"]
    ('track 1', 3)
    """
    if (output is None) == (output_dir is None):
        raise InputError("give exactly one of output (a file) and output_dir (a folder)")
    by_deviation, metres, count = _options.criterion(max_deviation, points)
    limit = 0
    if max_waypoints is not None:
        limit = _options.whole_number("max_waypoints", max_waypoints)
        if limit < 3:
            raise InputError(f"max_waypoints={limit}: at least 3, the fewest a route keeps")
    tracks, notes = _oru.thin_file(
        _path(input), _path(output), _path(output_dir),
        input_format or "", output_format or "",
        _options.choice("method", method, _options.METHODS) == 1,
        _options.choice("calculation", calculation, _options.CALCULATIONS),
        _options.choice("datum", datum, _options.DATUMS),
        by_deviation, repr(metres) if by_deviation else str(min(count, 2**31 - 1)),
        limit, crs or "", bool(p190_grid))
    for note in notes:
        warnings.warn(note, stacklevel=2)
    return [_track_dict(os.fspath(input), *track) for track in tracks]


def _thin(arrays, geographic, max_deviation, points, calculation, datum, method):
    by_deviation, metres, count = _options.criterion(max_deviation, points)
    optimal = _options.choice("method", method, _options.METHODS) == 1
    calculation = _options.choice("calculation", calculation, _options.CALCULATIONS)
    datum = _options.choice("datum", datum, _options.DATUMS)
    first, second = _options.track(("lat", "lon") if geographic else ("x", "y"), *arrays)
    indices, figures = _oru.thin(first, second, geographic, datum, calculation, optimal,
                                 by_deviation, metres, count)
    return Result(indices, figures)


def _path(path):
    return b"" if path is None else os.fsencode(path)


def _track_dict(input, place, output, capped, lines_skipped, figures):
    track = {"file": input, "track": place, "output": output, "capped": capped}
    if lines_skipped >= 0:
        track["lines_skipped"] = lines_skipped
    track.update(zip(FIGURES, figures))
    return track

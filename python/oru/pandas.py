"""Thinning the fixes of many vessels in a pandas DataFrame: an AIS archive
(one row a fix: vessel, time, latitude, longitude, ...) becomes each
vessel's tracks, each thinned on its own with ``oru.thin``.

oru-cli keeps the same rows of a CSV file of fixes with ``--track-by``,
``--order-by`` and ``--gap``, and ``oru.dask.thin_tracks`` of a Dask
DataFrame.

Examples
--------
>>> import pandas, oru.pandas
>>> fixes = pandas.DataFrame({
...     "mmsi": [244000001] * 5 + [244000002] * 3,
...     "timestamp": pandas.to_datetime(["2024-05-01 00:00", "2024-05-01 00:01",
...                                      "2024-05-01 00:02", "2024-05-01 00:03",
...                                      "2024-05-01 00:04", "2024-05-01 00:00",
...                                      "2024-05-01 00:01", "2024-05-01 00:02"]),
...     "lat": [54.0, 54.0005, 54.001, 54.0015, 54.002, 55.0, 55.001, 55.002],
...     "lon": [3.0, 3.0003, 3.0, 3.0004, 3.0, 4.0, 4.0, 4.0]})
>>> thinned = oru.pandas.thin_tracks(fixes, max_deviation=30)
>>> thinned.index.tolist(), thinned["track"].tolist()
([0, 3, 4, 5, 6, 7], [1, 1, 1, 1, 1, 1])
"""

import numpy as np
import pandas as pd

import oru
from oru import _oru
from oru import _options
from oru._errors import InputError

# The column of the result that numbers each vessel's tracks.
TRACK_COLUMN = "track"


def thin_tracks(df, *, by="mmsi", time="timestamp", lat="lat", lon="lon", gap=None,
                max_deviation=None, points=None, calculation="ellipsoidic", datum="wgs84",
                method="douglas-peucker"):
    """Thin every vessel's tracks in a DataFrame of fixes.

    The fixes are grouped by ``by`` and each vessel's put in time order,
    fixes of equal times in input order (a stable sort). Exact duplicates
    (the same vessel, time and position as an earlier fix) are dropped, and
    a vessel's fixes are split into tracks wherever two consecutive ones lie
    more than ``gap`` apart in time. Each track is thinned with ``oru.thin``
    as it would be on its own.

    Parameters
    ----------
    df : pandas.DataFrame
        The fixes, any other columns beside them.
    by : str
        The column naming each fix's vessel (an MMSI, a track name).
    time : str
        The column of the fixes' times: datetime64 values (naive ones count
        as UTC), text read as such (ISO 8601, with or without a zone), or
        plain numbers (Unix seconds, say).
    lat, lon : str
        The columns of the latitudes and longitudes in degrees.
    gap : str, pandas.Timedelta or datetime.timedelta, optional
        A new track begins where two consecutive fixes of a vessel lie more
        than this apart ("30min", "2h"; for numbers as times, seconds).
        None: a track a vessel.
    max_deviation, points, calculation, datum, method
        As ``oru.thin`` takes them, for every track.

    Returns
    -------
    pandas.DataFrame
        The kept fixes with every column and their index labels, in vessel
        (sorted), then time order, and a column ``track``: the track's
        number within its vessel, from 1 in time order.
        ``attrs["rows_dropped"]`` counts the fixes left out for want of a
        usable position (NaN, a latitude beyond +-90 or a longitude beyond
        +-180 degrees, as AIS gives 91 and 181 for "not available"), vessel
        or time; ``attrs["duplicates_dropped"]`` the duplicates.

    Raises
    ------
    InputError
        A column that is missing (or ``track`` already present), times that
        do not read as times, a bad ``gap`` or criterion.

    Examples
    --------
    >>> import pandas, oru.pandas
    >>> fixes = pandas.DataFrame({
    ...     "mmsi": [7, 7, 7, 7, 9],
    ...     "timestamp": ["2024-05-01T00:00Z", "2024-05-01T00:01Z",
    ...                   "2024-05-01T03:00Z", "2024-05-01T03:01Z", "2024-05-01T00:00Z"],
    ...     "lat": [54.0, 54.001, 54.1, 54.101, 91.0],
    ...     "lon": [3.0, 3.0, 3.1, 3.1, 181.0]})
    >>> thinned = oru.pandas.thin_tracks(fixes, gap="1h", points=2)
    >>> thinned["track"].tolist(), thinned.attrs["rows_dropped"]
    ([1, 1, 2, 2], 1)
    """
    options = thin_options(max_deviation, points, calculation, datum, method)
    return thin_frame(df, (by, time, lat, lon), gap_nanoseconds(gap), options)


def thin_options(max_deviation, points, calculation, datum, method):
    """The keywords of ``oru.thin`` for every track, checked once."""
    _options.criterion(max_deviation, points)
    for name, value, choices in (("calculation", calculation, _options.CALCULATIONS),
                                 ("datum", datum, _options.DATUMS),
                                 ("method", method, _options.METHODS)):
        _options.choice(name, value, choices)
    return {"max_deviation": max_deviation, "points": points, "calculation": calculation,
            "datum": datum, "method": method}


def gap_nanoseconds(gap):
    """``gap`` in nanoseconds: oru-cli's text, or what pandas.Timedelta reads."""
    if isinstance(gap, str) and _oru.parse_duration(gap) is None:
        try:
            gap = pd.Timedelta(gap)
        except ValueError:
            pass  # _options.duration says what is wrong
    return _options.duration("gap", gap)


def thin_frame(df, columns, gap, options, order_columns=()):
    """``thin_tracks`` with the gap in nanoseconds and the options checked;
    ``order_columns`` (integers) order fixes of equal times instead of their
    position in ``df``, and are left out of the result."""
    by, time, lat, lon = columns
    for column in columns + tuple(order_columns):
        if column not in df.columns:
            raise InputError(f"no column {column!r} in the DataFrame (its columns: "
                             f"{', '.join(map(str, df.columns))})")
    if TRACK_COLUMN in df.columns:
        raise InputError(f"the DataFrame has a column {TRACK_COLUMN!r}, which the result "
                         "numbers the tracks in: rename it")
    times, date_times = _times(df[time], time)
    la = _degrees(df[lat], lat)
    lo = _degrees(df[lon], lon)
    timed = times != np.iinfo(np.int64).min if date_times else ~np.isnan(times)
    placed = (la >= -90.0) & (la <= 90.0) & (lo >= -180.0) & (lo <= 180.0)
    rows = np.flatnonzero(_present(df[by]) & timed & placed)

    # Vessels numbered in sorted order; a stable sort by vessel, then time,
    # then the order columns, leaves fixes of equal keys in input order.
    codes = pd.factorize(df[by].iloc[rows], sort=True)[0]
    tie_keys = [df[c].to_numpy()[rows] for c in reversed(order_columns)]
    sort = np.lexsort(tie_keys + [times[rows], codes])
    order, vessels = rows[sort], codes[sort]
    t, la, lo = times[order], la[order], lo[order]
    repeated = pd.DataFrame({"v": vessels, "t": t, "lat": la, "lon": lo}).duplicated().to_numpy()
    keep = ~repeated
    order, vessels, t, la, lo = order[keep], vessels[keep], t[keep], la[keep], lo[keep]

    starts = _track_starts(vessels, t, date_times, gap)
    kept = np.zeros(len(order), dtype=bool)
    bounds = np.append(np.flatnonzero(starts), len(order))
    for begin, end in zip(bounds[:-1], bounds[1:]):
        kept[begin + oru.thin(la[begin:end], lo[begin:end], **options).indices] = True

    result = df.iloc[order[kept]].drop(columns=list(order_columns))
    result[TRACK_COLUMN] = _track_numbers(vessels, starts)[kept]
    result.attrs = {"rows_dropped": int(len(df) - len(rows)),
                    "duplicates_dropped": int(repeated.sum())}
    return result


def _times(series, name):
    """(values, date_times): int64 nanoseconds since 1970 UTC (NaT as the
    smallest int64) for date-times, else float64 numbers (NaN missing)."""
    if pd.api.types.is_datetime64_any_dtype(series.dtype):
        if getattr(series.dtype, "tz", None) is not None:
            series = series.dt.tz_convert("UTC").dt.tz_localize(None)
        return series.to_numpy(dtype="datetime64[ns]").view(np.int64), True
    if pd.api.types.is_numeric_dtype(series.dtype) and not pd.api.types.is_bool_dtype(series.dtype):
        return series.to_numpy(dtype=np.float64, na_value=np.nan), False
    try:
        parsed = pd.to_datetime(series, utc=True)  # empty text and None as NaT
    except (ValueError, TypeError):
        # Blanks are no time either; looked for only when there is a failure.
        blank = series.astype(str).str.strip() == ""
        try:
            parsed = pd.to_datetime(series.where(~blank), utc=True)
        except (ValueError, TypeError) as error:
            raise InputError(f"{name}: not date-times (ISO 8601) or numbers: {error}") from None
    return parsed.dt.tz_localize(None).to_numpy(dtype="datetime64[ns]").view(np.int64), True


def _degrees(series, name):
    try:
        return series.to_numpy(dtype=np.float64, na_value=np.nan)
    except (TypeError, ValueError) as error:
        raise InputError(f"{name}: not numbers of degrees ({error})") from None


def _present(series):
    """Vessels that are named: not missing, not empty text."""
    present = series.notna().to_numpy()
    if series.dtype == object:
        present &= (series.astype(str).str.strip() != "").to_numpy()
    return present


def _track_starts(vessels, t, date_times, gap):
    """Whether each fix (in vessel, then time order) begins a track."""
    starts = np.ones(len(vessels), dtype=bool)
    if len(vessels) < 2:
        return starts
    starts[1:] = vessels[1:] != vessels[:-1]
    if gap is not None:
        if date_times:
            # Unsigned: the difference of two int64 values need not fit in one.
            apart = t[1:].view(np.uint64) - t[:-1].view(np.uint64) > np.uint64(gap)
        else:
            apart = t[1:] - t[:-1] > gap / 1e9
        starts[1:] |= apart
    return starts


def _track_numbers(vessels, starts):
    """Each fix's track number within its vessel, from 1."""
    track = np.cumsum(starts)
    first_of_vessel = np.ones(len(vessels), dtype=bool)
    first_of_vessel[1:] = vessels[1:] != vessels[:-1]
    base = np.maximum.accumulate(np.where(first_of_vessel, track, 0))
    return (track - base + 1).astype(np.int64)

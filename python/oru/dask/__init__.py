"""Thinning on Dask: the fixes of whole fleets (AIS archives, a CSV file a
day) and many track files, on a laptop's cores or a cluster, with the same
results as one machine.

The workers need the ``oru`` package only. ``python3 -m oru.dask
thin-tracks`` runs ``thin_tracks`` over CSV files from the command line.

Examples
--------
>>> import dask, pandas, dask.dataframe, oru.dask
>>> fixes = pandas.DataFrame({
...     "mmsi": [7, 9, 7, 9, 7],
...     "timestamp": pandas.to_datetime(["2024-05-01 00:00", "2024-05-01 00:00",
...                                      "2024-05-01 00:01", "2024-05-01 00:01",
...                                      "2024-05-01 00:02"]),
...     "lat": [54.0, 55.0, 54.001, 55.001, 54.002],
...     "lon": [3.0, 4.0, 3.001, 4.0, 3.0]})
>>> frame = dask.dataframe.from_pandas(fixes, npartitions=2)
>>> thinned = oru.dask.thin_tracks(frame, max_deviation=100, method="optimal")
>>> thinned = thinned.compute(scheduler="sync")
>>> thinned.index.tolist()
[0, 4, 1, 3]
>>> thinned.equals(oru.pandas.thin_tracks(fixes, max_deviation=100, method="optimal"))
True
"""

import glob
import os
import warnings

import dask
import distributed
import numpy as np
import pandas as pd
from dask.dataframe.shuffle import rearrange_by_column
from dask.dataframe.utils import make_meta

import oru
import oru.pandas
from oru._errors import FileError, InputError

# Columns that number each fix by its place in the input (the partition,
# then the row within it), so that fixes of equal times keep input order
# through the shuffle.
_ORDER_COLUMNS = ("_oru_partition", "_oru_row")
# The column that numbers each kept fix's range of vessels: Dask's shuffle
# takes a column of this name as the partition numbers, and hashes others.
_RANGE_COLUMN = "_partitions"


def thin_tracks(ddf, *, by="mmsi", time="timestamp", lat="lat", lon="lon", gap=None,
                max_deviation=None, points=None, calculation="ellipsoidic", datum="wgs84",
                method="douglas-peucker", npartitions=None):
    """Thin every vessel's tracks in a Dask DataFrame of fixes.

    The fixes are shuffled by vessel, so that each partition holds whole
    vessels, and thinned there by ``oru.pandas.thin_tracks``; the kept fixes
    are then moved so that each partition holds a range of vessels, in
    vessel order. The input's partitions may hold any mix of vessels and
    times (a CSV file a day read with ``dask.dataframe.read_csv``); fixes of
    equal times keep the order of the input's partitions and rows, so the
    result does not depend on the partitioning or the number of workers.

    Parameters
    ----------
    ddf : dask.dataframe.DataFrame
        The fixes.
    by, time, lat, lon, gap, max_deviation, points, calculation, datum, method
        As ``oru.pandas.thin_tracks`` takes them.
    npartitions : int, optional
        Partitions of the result (by default those of ``ddf``).

    Returns
    -------
    dask.dataframe.DataFrame
        Lazy: the kept fixes with every column, their index labels and the
        column ``track``. Computed, it equals ``oru.pandas.thin_tracks`` of
        ``ddf.compute()`` row for row: its partitions, one after the other,
        are in vessel, then time order.

    Raises
    ------
    InputError
        At once, for a missing column or a bad criterion or ``gap``; times
        that do not read when computed.
    """
    thinned = _thinned_by_vessel(ddf, (by, time, lat, lon), gap, npartitions,
                                max_deviation=max_deviation, points=points,
                                calculation=calculation, datum=datum, method=method)
    return _in_vessel_order(thinned, by)


def _thinned_by_vessel(ddf, columns, gap, npartitions, **criterion):
    """``thin_tracks`` but for the order of its partitions: each holds whole
    vessels (those the shuffle's hash puts there) in vessel, then time
    order, and carries the ``attrs`` of ``oru.pandas.thin_tracks``, with
    ``rows_in``, the fixes it was given."""
    options = oru.pandas.thin_options(**criterion)
    gap = oru.pandas.gap_nanoseconds(gap)
    by = columns[0]
    for column in columns:
        if column not in ddf.columns:
            raise InputError(f"no column {column!r} in the DataFrame (its columns: "
                             f"{', '.join(map(str, ddf.columns))})")
    if oru.pandas.TRACK_COLUMN in ddf.columns:
        raise InputError(f"the DataFrame has a column {oru.pandas.TRACK_COLUMN!r}, which the "
                         "result numbers the tracks in: rename it")
    empty = make_meta(ddf)
    numbered = ddf.map_partitions(
        _numbered, meta=empty.assign(**{column: np.int64(0) for column in _ORDER_COLUMNS}))
    shuffled = numbered.shuffle(on=by, npartitions=npartitions or ddf.npartitions,
                                shuffle="tasks")
    meta = empty.assign(**{oru.pandas.TRACK_COLUMN: np.int64(0)})
    return shuffled.map_partitions(_thin_partition, columns, gap, options, meta=meta)


def _in_vessel_order(thinned, by):
    """The partitions of ``_thinned_by_vessel`` rearranged so that partition
    k holds the k-th range of vessels, about as many kept fixes each: one
    after the other they are in vessel, then time order. The ranges come
    from the kept fixes' vessels, counted when the thinning is done, so
    the input is read once and the result stays lazy."""
    counts = thinned[by].map_partitions(_vessel_counts)
    bounds = dask.delayed(_range_bounds)(counts.to_delayed(), thinned.npartitions)
    ranged = thinned.map_partitions(_range_numbered, by, bounds,
                                    meta=thinned._meta.assign(**{_RANGE_COLUMN: np.int64(0)}))
    ranged = rearrange_by_column(ranged, _RANGE_COLUMN, npartitions=thinned.npartitions,
                                 shuffle="tasks")
    return ranged.map_partitions(_vessel_sorted, by, meta=thinned._meta)


def thin_files(paths, output_dir, **options):
    """Thin many track files as tasks on the current Dask client (or Dask's
    default scheduler), one output file per input in ``output_dir``, as
    ``oru-cli --output-dir`` writes them.

    Parameters
    ----------
    paths : str or list of str
        The input files, or a glob pattern ("tracks/*.gpx").
    output_dir : str or os.PathLike
        The folder to write into (made when missing).
    **options
        The keywords of ``oru.thin_file`` (``max_deviation``, ``points``,
        ``method``, ``output_format``, ``track_by``, ...).

    Returns
    -------
    pandas.DataFrame
        A row a track, in the order of the inputs and their tracks, with
        the keys of ``oru.thin_file``'s dicts as columns.

    Raises
    ------
    InputError
        Before anything runs, when two inputs would be written to the same
        output; after the others are written, for the inputs that could not
        be thinned (``FileError`` when all of them failed on files), naming
        each with its reason.

    Warns
    -----
    UserWarning
        What was left aside in each file, as ``oru.thin_file`` says it.
    """
    if isinstance(paths, (str, os.PathLike)):
        pattern = os.fspath(paths)
        paths = sorted(glob.glob(pattern)) if glob.has_magic(pattern) else [pattern]
    paths = [os.fspath(p) for p in paths]
    _check_outputs_apart(paths, options.get("output_format"))
    output_dir = os.fspath(output_dir)
    os.makedirs(output_dir, exist_ok=True)
    tasks = [dask.delayed(_thin_one_file, pure=False)(path, output_dir, options)
             for path in paths]
    done = dask.compute(*tasks)
    rows, failures = [], []
    for tracks, notes, failure in done:
        rows.extend(tracks)
        for note in notes:
            warnings.warn(note, stacklevel=2)
        if failure is not None:
            failures.append(failure)
    if failures:
        message = (f"{len(failures)} of {len(paths)} files could not be thinned: "
                   + "; ".join(str(error) for error in failures))
        files_only = all(isinstance(error, FileError) for error in failures)
        raise FileError(message) if files_only else InputError(message)
    return pd.DataFrame(rows)


def local_cluster(n_workers=None):
    """A ``distributed.LocalCluster`` of worker processes (a thread each) on
    this machine that listens on the loopback interface only and serves no
    dashboard: nothing of it is reachable from other machines.

    Parameters
    ----------
    n_workers : int, optional
        Worker processes (by default one per core).

    Returns
    -------
    distributed.LocalCluster
        Started; close it (or use it in a ``with`` statement) when done.
    """
    return distributed.LocalCluster(
        n_workers=n_workers or os.cpu_count() or 1, threads_per_worker=1, processes=True,
        host="127.0.0.1", dashboard_address=None, worker_class=_LoopbackNanny,
        scheduler_kwargs={"dashboard": False, "dashboard_address": "127.0.0.1:0"})


class _LoopbackNanny(distributed.Nanny):
    """Starts its worker without a dashboard, and its HTTP server (health
    and metrics) on the loopback interface instead of every interface."""

    def __init__(self, *args, **kwargs):
        kwargs.update(dashboard=False, dashboard_address="127.0.0.1:0")
        super().__init__(*args, **kwargs)


def _numbered(df, partition_info=None):
    number = partition_info["number"] if partition_info else 0
    return df.assign(**{_ORDER_COLUMNS[0]: np.int64(number),
                        _ORDER_COLUMNS[1]: np.arange(len(df), dtype=np.int64)})


def _vessel_counts(vessels):
    return vessels.value_counts(sort=False)


def _range_bounds(counts, ranges):
    """The first vessel of ranges 1, 2, ... (sorted as pandas sorts them),
    so that each range holds about as many fixes. The partitions' vessels
    are apart: their counts need no summing."""
    counts = pd.concat(counts).sort_index()
    if counts.empty:
        return counts.index.to_numpy()
    cumulative = counts.to_numpy().cumsum()
    share = np.arange(1, ranges) * cumulative[-1] / ranges
    firsts = np.minimum(np.searchsorted(cumulative, share, side="right"), len(counts) - 1)
    return counts.index.to_numpy()[firsts]


def _range_numbered(df, by, bounds):
    ranges = np.searchsorted(bounds, df[by].to_numpy(), side="right").astype(np.int64)
    return df.assign(**{_RANGE_COLUMN: ranges})


def _vessel_sorted(df, by):
    """A stable sort by vessel: a vessel's fixes all come from one partition
    of ``_thinned_by_vessel``, in their order there."""
    vessels = pd.factorize(df[by], sort=True)[0]
    return df.iloc[np.argsort(vessels, kind="stable")].drop(columns=_RANGE_COLUMN)


def _thin_partition(df, columns, gap, options):
    thinned = oru.pandas.thin_frame(df, columns, gap, options, order_columns=_ORDER_COLUMNS)
    thinned.attrs["rows_in"] = len(df)
    return thinned


def _check_outputs_apart(paths, output_format):
    written = {}
    for path in paths:
        name = os.path.basename(path)
        key = os.path.splitext(name)[0] if output_format else name
        if key in written:
            raise InputError(f"{written[key]} and {path} would be written to the same output "
                             "file: thin them into different folders")
        written[key] = path


def _thin_one_file(path, output_dir, options):
    """(track dicts, notes, the error or None): one file's error stops no
    other file."""
    try:
        tracks, notes = oru._run_file(path, None, output_dir=output_dir, **options)
    except oru.Error as error:
        # Survey text's messages name the line, not the file.
        if not str(error).startswith(path):
            error.args = (f"{path}: {error}",) + error.args[1:]
        return [], [], error
    return tracks, notes, None

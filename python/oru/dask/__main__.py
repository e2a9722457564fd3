"""python3 -m oru.dask thin-tracks: thins the fixes of CSV files (an AIS
archive, a file a day) on a Dask cluster and writes the kept fixes as a CSV
file per output partition, with a progress bar and a summary."""

import argparse
import contextlib
import glob
import os
import shutil
import sys
import tempfile

import dask.dataframe as dd
import distributed
import pandas as pd

import oru
import oru.dask

# The figures of a partition of whole vessels, summed into the summary.
_COUNTS = ["fixes_in", "fixes_kept", "tracks", "vessels", "rows_dropped", "duplicates_dropped"]


def main(argv=None):
    arguments = _parser().parse_args(argv)
    if not glob.glob(arguments.files):
        print(f"oru.dask: no file matches {arguments.files}", file=sys.stderr)
        return 1
    if os.path.isdir(arguments.out) and os.listdir(arguments.out):
        print(f"oru.dask: {arguments.out} holds files already: give a new or empty folder",
              file=sys.stderr)
        return 1
    made = not os.path.exists(arguments.out)
    try:
        with _client(arguments) as client:
            counts = _thin(arguments, client)
    except (oru.Error, OSError) as error:
        _remove_if_made(arguments.out, made)
        print(f"oru.dask: {error}", file=sys.stderr)
        return 1
    except KeyboardInterrupt:
        _remove_if_made(arguments.out, made)
        print(f"\noru.dask: stopped; nothing was written to {arguments.out}", file=sys.stderr)
        return 130
    _print_summary(counts, arguments.out)
    return 0


def _remove_if_made(folder, made):
    """A run that failed leaves no folder it made (the files never reach it)."""
    if made and os.path.isdir(folder) and not os.listdir(folder):
        os.rmdir(folder)


def _parser():
    parser = argparse.ArgumentParser(prog="python3 -m oru.dask",
                                     description="Thin AIS archives and other fixes of many "
                                                 "vessels on a Dask cluster.")
    commands = parser.add_subparsers(dest="command", required=True)
    thin = commands.add_parser(
        "thin-tracks", help="thin every vessel's tracks in CSV files of fixes",
        description="Reads CSV files of fixes (a row a fix: vessel, time, latitude, longitude, "
                    "any other columns), puts each vessel's fixes in time order (equal times "
                    "in the order of the files, sorted by name, and their rows), drops "
                    "duplicates and rows without a usable position, vessel or time, splits "
                    "tracks at gaps, thins each track and writes the kept rows, every column "
                    "and a column 'track', to OUT/part-NNNNN.csv: the files one after the "
                    "other are in vessel, then time order.")
    thin.add_argument("files", help="the CSV files: a name or a glob pattern ('ais/*.csv')")
    thin.add_argument("--out", required=True, help="a new or empty folder for the kept fixes")
    thin.add_argument("--by", default="mmsi", help="the column of the vessels (mmsi)")
    thin.add_argument("--time", default="timestamp", help="the column of the times (timestamp)")
    thin.add_argument("--lat", default="lat", help="the column of the latitudes (lat)")
    thin.add_argument("--lon", default="lon", help="the column of the longitudes (lon)")
    thin.add_argument("--gap", help="begin a new track where a vessel's fixes lie more than "
                                    "this apart in time: 90s, 30min, 1.5h, 2d")
    criterion = thin.add_mutually_exclusive_group(required=True)
    criterion.add_argument("--max-deviation", type=float, metavar="METRES",
                           help="keep points until every fix left out lies within METRES of "
                                "its track's thinned line")
    criterion.add_argument("--points", type=int, metavar="N", help="keep N points a track")
    thin.add_argument("--method", default="douglas-peucker", choices=["douglas-peucker", "optimal"],
                      help="Douglas-Peucker (default), or the fewest points within METRES")
    thin.add_argument("--calculation", default="ellipsoidic", choices=["ellipsoidic", "planar"],
                      help="geodesics on the ellipsoid (default), or a transverse Mercator plane")
    thin.add_argument("--datum", default="wgs84", choices=["wgs84", "ed50"],
                      help="the datum of the coordinates (default wgs84, also for ETRS89)")
    thin.add_argument("--partitions", type=int, metavar="N",
                      help="output partitions (default: one per input partition)")
    where = thin.add_mutually_exclusive_group()
    where.add_argument("--scheduler", metavar="ADDRESS",
                       help="the scheduler of a running cluster (tcp://host:8786); OUT must be "
                            "a folder that its workers write to")
    where.add_argument("--workers", type=int, metavar="N",
                       help="start a cluster of N worker processes on this machine (default: "
                            "one per core)")
    return parser


@contextlib.contextmanager
def _client(arguments):
    if arguments.scheduler:
        with distributed.Client(arguments.scheduler) as client:
            yield client
        return
    with oru.dask.local_cluster(arguments.workers) as cluster, \
            distributed.Client(cluster) as client:
        yield client


def _thin(arguments, client):
    """Thins into a staging folder inside OUT, then moves the files out of
    it: OUT gets every file or none."""
    fixes = dd.read_csv(arguments.files, dtype={arguments.by: "object"}, assume_missing=True)
    thinned = oru.dask._thinned_by_vessel(
        fixes, (arguments.by, arguments.time, arguments.lat, arguments.lon), arguments.gap,
        arguments.partitions, max_deviation=arguments.max_deviation, points=arguments.points,
        method=arguments.method, calculation=arguments.calculation, datum=arguments.datum)
    os.makedirs(arguments.out, exist_ok=True)
    staging = tempfile.mkdtemp(prefix=".oru-", dir=arguments.out)
    try:
        counts = thinned.map_partitions(_counts, arguments.by,
                                        meta=pd.DataFrame(columns=_COUNTS, dtype="int64"))
        written = oru.dask._in_vessel_order(thinned, arguments.by).map_partitions(
            _write_partition, staging, meta=pd.DataFrame(columns=["rows"], dtype="int64"))
        futures = client.compute([counts, written])
        distributed.progress(futures)  # a bar on standard output
        print()
        counts = futures[0].result()
        futures[1].result()
        for name in sorted(os.listdir(staging)):
            os.replace(os.path.join(staging, name), os.path.join(arguments.out, name))
    finally:
        shutil.rmtree(staging, ignore_errors=True)
    return counts.sum()


def _counts(thinned, by):
    """The figures of a partition of whole vessels."""
    tracks = len(thinned[[by, oru.pandas.TRACK_COLUMN]].drop_duplicates())
    figures = [thinned.attrs.get("rows_in", 0), len(thinned), tracks, thinned[by].nunique(),
               thinned.attrs.get("rows_dropped", 0), thinned.attrs.get("duplicates_dropped", 0)]
    return pd.DataFrame([figures], columns=_COUNTS, dtype="int64")


def _write_partition(thinned, folder, partition_info=None):
    number = partition_info["number"] if partition_info else 0
    thinned.to_csv(os.path.join(folder, f"part-{number:05d}.csv"), index=False)
    return pd.DataFrame({"rows": [len(thinned)]}, dtype="int64")


def _print_summary(counts, out):
    kept_share = 100.0 * counts["fixes_kept"] / counts["fixes_in"] if counts["fixes_in"] else 0.0
    written = len([name for name in os.listdir(out) if name.endswith(".csv")])
    print(f"fixes in            {counts['fixes_in']:>12,}\n"
          f"fixes kept          {counts['fixes_kept']:>12,}  ({kept_share:.1f} %)\n"
          f"tracks              {counts['tracks']:>12,}\n"
          f"vessels             {counts['vessels']:>12,}\n"
          f"rows dropped        {counts['rows_dropped']:>12,}  (no usable position, vessel "
          f"or time)\n"
          f"duplicates dropped  {counts['duplicates_dropped']:>12,}\n"
          f"written to {out}: {written} CSV files")


if __name__ == "__main__":
    sys.exit(main())

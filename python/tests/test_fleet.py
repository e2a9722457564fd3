"""Of an AIS archive (ais_fleet), oru.pandas.thin_tracks keeps exactly what
oru.thin keeps of each vessel's tracks; oru.dask.thin_tracks the same on any
partitioning and on a cluster of processes; oru-cli the same rows."""

import io
import sys

import dask.dataframe as dd
import distributed
import numpy as np
import pandas as pd
import pytest

import ais_fleet
import cli
import oru
import oru.dask
import oru.pandas
from oru.dask.__main__ import main as command

COLUMNS = ["mmsi", "timestamp", "lat", "lon", "sog", "name"]
CRITERIA = [
    {"max_deviation": 5.0},
    {"points": 12, "method": "optimal", "calculation": "planar"},
]


@pytest.fixture(scope="module")
def archive(tmp_path_factory):
    """The daily files, their fixes concatenated as read, and the truth."""
    folder = tmp_path_factory.mktemp("ais")
    fixes, truth = ais_fleet.fleet()
    paths = ais_fleet.write_days(fixes, folder)
    read = pd.concat([pd.read_csv(p, dtype={"mmsi": str}) for p in paths], ignore_index=True)
    return paths, read, truth


@pytest.fixture(scope="module")
def client():
    """Two worker processes; everything listens on the loopback only, and
    the scheduler serves no dashboard."""
    with oru.dask.local_cluster(2) as cluster, distributed.Client(cluster) as client:
        yield client


def _thinned(read, **criterion):
    return oru.pandas.thin_tracks(read, gap=ais_fleet.GAP, **criterion)


@pytest.mark.parametrize("criterion", CRITERIA)
def test_each_track_keeps_what_oru_thin_keeps_of_it(archive, criterion):
    _, read, truth = archive
    thinned = _thinned(read, **criterion)
    expected = []
    for rows in truth:
        kept = oru.thin(read.loc[rows, "lat"], read.loc[rows, "lon"], **criterion).indices
        expected.extend(rows[kept])
    np.testing.assert_array_equal(thinned.index, expected)
    pd.testing.assert_frame_equal(thinned[COLUMNS], read.loc[expected, COLUMNS])
    tracks = thinned.groupby("mmsi", sort=False)["track"].agg(["min", "max"])
    assert (tracks["min"] == 1).all() and tracks.loc["244000004", "max"] == 2
    assert tracks["max"].sum() == len(truth)
    assert thinned.attrs == {"rows_dropped": 6, "duplicates_dropped": 60}


@pytest.mark.parametrize("npartitions, out_partitions", [(1, None), (2, None), (3, 5)])
def test_dask_equals_pandas_on_any_partitioning(archive, npartitions, out_partitions):
    paths, read, _ = archive
    if npartitions == 3:  # a partition per daily file but the last two
        frame = dd.read_csv([str(p) for p in paths[:2]], dtype={"mmsi": str})
        frame = dd.concat([frame, dd.from_pandas(pd.concat(
            [pd.read_csv(p, dtype={"mmsi": str}) for p in paths[2:]]), npartitions=1)])
    else:
        frame = dd.from_pandas(read, npartitions=npartitions, sort=False)
    assert frame.npartitions == npartitions
    got = oru.dask.thin_tracks(frame, gap=ais_fleet.GAP, max_deviation=5.0,
                               npartitions=out_partitions)
    assert got.npartitions == (out_partitions or npartitions)
    got = got.compute(scheduler="sync")
    pd.testing.assert_frame_equal(got, _thinned(frame.compute(), max_deviation=5.0))


def test_oru_cli_keeps_the_same_rows(archive, tmp_path):
    _, read, truth = archive
    read.to_csv(tmp_path / "ais.csv", index=False)
    printed = cli.run("--track-by", "mmsi", "--order-by", "timestamp", "--gap", ais_fleet.GAP,
                      "--max-deviation", 5, tmp_path / "ais.csv", tmp_path / "kept.csv")
    kept = pd.read_csv(tmp_path / "kept.csv", dtype={"mmsi": str})
    expected = _thinned(read, max_deviation=5.0)
    key = ["mmsi", "timestamp", "lat", "lon"]
    pd.testing.assert_frame_equal(kept.sort_values(key).reset_index(drop=True),
                                  expected[COLUMNS].sort_values(key).reset_index(drop=True))
    assert len(printed) == len(truth) + 1
    assert {(t["rows_dropped"], t["duplicates_dropped"]) for t in printed[:-1]} == {(6, 60)}


@pytest.mark.parametrize("call, message", [
    (lambda f: oru.pandas.thin_tracks(f, by="vessel", points=5), "no column 'vessel'"),
    (lambda f: oru.pandas.thin_tracks(f.assign(track=1), points=5), "column 'track'"),
    (lambda f: oru.pandas.thin_tracks(f, gap="soon", points=5), "gap='soon'"),
    (lambda f: oru.pandas.thin_tracks(f.assign(timestamp="noon"), points=5), "timestamp: not"),
    (lambda f: oru.dask.thin_tracks(dd.from_pandas(f, 2), time="t", points=5), "no column 't'"),
    (lambda f: oru.dask.thin_tracks(dd.from_pandas(f, 2), points=1), "points=1"),
])
def test_what_cannot_be_thinned_is_said_at_once(archive, call, message):
    with pytest.raises(oru.InputError, match=message):
        call(archive[1])


def test_on_a_cluster_of_processes(archive, client, tmp_path):
    paths, read, _ = archive
    frame = dd.read_csv([str(p) for p in paths], dtype={"mmsi": str})
    got = oru.dask.thin_tracks(frame, gap=ais_fleet.GAP, max_deviation=5.0).compute()
    expected = _thinned(read, max_deviation=5.0)
    pd.testing.assert_frame_equal(got, _thinned(frame.compute(), max_deviation=5.0))

    # Many files as tasks: the outputs and figures of oru-cli --output-dir.
    grouping = {"track_by": "mmsi", "order_by": "timestamp", "gap": ais_fleet.GAP}
    with pytest.warns(UserWarning, match="left out"):
        statistics = oru.dask.thin_files([str(p) for p in paths], tmp_path / "tasks",
                                         max_deviation=5.0, **grouping)
    printed = cli.run("--track-by", "mmsi", "--order-by", "timestamp", "--gap", ais_fleet.GAP,
                      "--max-deviation", 5, *paths, "--output-dir", tmp_path / "cli")
    assert list(statistics["points_after"].astype(str)) == [t["points_after"] for t in printed[:-1]]
    for path in paths:
        assert (tmp_path / "tasks" / path.name).read_bytes() == \
            (tmp_path / "cli" / path.name).read_bytes()
    with pytest.raises(oru.Error, match=r"1 of 2 files could not be thinned: .*missing\.csv"), \
            pytest.warns(UserWarning):
        oru.dask.thin_files([str(paths[0]), str(tmp_path / "missing.csv")], tmp_path / "again",
                            max_deviation=5.0, **grouping)
    assert (tmp_path / "again" / paths[0].name).exists()

    # The command, on this cluster: a CSV file a partition, the summary.
    out = tmp_path / "thinned"
    summary = io.StringIO()
    sys.stdout, saved = summary, sys.stdout
    try:
        assert command(["thin-tracks", str(paths[0].parent / "ais-*.csv"), "--out", str(out),
                        "--gap", ais_fleet.GAP, "--max-deviation", "5",
                        "--scheduler", client.scheduler.address]) == 0
    finally:
        sys.stdout = saved
    # A range of vessels that holds no kept fix leaves a file of a header only.
    written = pd.concat([pd.read_csv(p, dtype={"mmsi": str, "track": "int64"})
                         for p in sorted(out.iterdir())])
    pd.testing.assert_frame_equal(written.reset_index(drop=True), expected.reset_index(drop=True))
    assert f"fixes kept          {len(expected):>12,}" in summary.getvalue()
    assert "rows dropped                   6" in summary.getvalue()

"""oru.thin_file: the pipeline's run on files, the same files and figures
as oru-cli's, its errors and oru-cli's texts, nothing written on failure."""

import errno
import os
import re
import signal
import threading
import warnings

import numpy as np
import pytest

import cli
import oru

SAMPLES = os.path.join(cli.SOURCE, "data", "samples")


def _cli_options(options):
    args = []
    for name, value in options.items():
        args += ["--" + name.replace("_", "-"), value if isinstance(value, str) else repr(value)]
    return args


# (sample, output name or None for an output folder, keywords); every
# reader kind to every writer kind.
RUNS = [
    ("survey_line_xy.txt", "line.txt", {"input_format": "xy", "points": 25}),
    ("survey_line_oru.txt", "line.txt", {"output_format": "kel", "max_deviation": 2.0,
                                         "calculation": "planar"}),
    ("survey_line_dms.txt", "line.txt", {"input_format": "dms", "datum": "ed50",
                                         "method": "optimal", "points": 20}),
    ("survey_line_xy.txt", "line.rtz", {"input_format": "xy", "crs": "EPSG:25831",
                                        "max_deviation": 1.0}),
    ("survey_run.nmea", "run.rtz", {"max_deviation": 5.0, "max_waypoints": 10}),
    ("survey_lines.p190", "lines.gpx", {"points": 10, "method": "optimal"}),
    ("survey_lines.p190", None, {"output_format": "oru", "max_deviation": 1.0}),
]


@pytest.mark.parametrize("sample, output, options", RUNS)
def test_files_and_figures_equal_oru_cli(tmp_path, sample, output, options):
    source = os.path.join(SAMPLES, sample)
    (tmp_path / "cli").mkdir()
    (tmp_path / "module").mkdir()
    if output is None:
        printed = cli.run(*_cli_options(options), source, "--output-dir", tmp_path / "cli")
        tracks = oru.thin_file(source, output_dir=tmp_path / "module", **options)
    else:
        printed = cli.run(*_cli_options(options), source, tmp_path / "cli" / output)
        with warnings.catch_warnings(record=True) as warned:
            warnings.simplefilter("always")
            tracks = oru.thin_file(source, tmp_path / "module" / output, **options)
        notes = [f"{source}: 1 line passed over: not valid NMEA sentences"]
        assert [str(w.message) for w in warned] == (notes if sample.endswith(".nmea") else [])
    printed = printed[:-1] if isinstance(printed, list) else [printed]  # not the total
    assert len(tracks) == len(printed)
    for track, expected in zip(tracks, printed):
        assert cli.printed_figures(track) == cli.json_figures(expected)
        assert track["file"] == source and track.get("capped", False) == expected.get("capped", False)
        assert track["track"] == expected.get("track", "track 1")
        assert track.get("lines_skipped") == expected.get("lines_skipped")
    written = sorted(os.listdir(tmp_path / "cli"))
    assert sorted(os.listdir(tmp_path / "module")) == written
    for name in written:
        assert (tmp_path / "module" / name).read_bytes() == (tmp_path / "cli" / name).read_bytes()


def _unreadable_line(folder):
    path = folder / "in.txt"
    path.write_text("54.0N, 3.0E\n54.1N; 3.1E\n")
    return path


# (input, output, keywords, exception, remedy in the module's words)
FAILURES = [
    (_unreadable_line, "out.txt", {"points": 5}, oru.InputError, None),
    (lambda folder: folder / "missing.txt", "out.txt", {"points": 5}, oru.FileError, None),
    (lambda folder: os.path.join(SAMPLES, "survey_lines.p190"), "out.txt", {"points": 5},
     oru.InputError, "give output_dir to write each track to a file of its own"),
    (lambda folder: os.path.join(SAMPLES, "survey_line_xy.txt"), "out.rtz",
     {"points": 5, "input_format": "xy"}, oru.InputError, "give crs='EPSG:N'"),
    (lambda folder: os.path.join(SAMPLES, "survey_line_oru.txt"), "out.txt",
     {"points": 5, "output_format": "svg"}, oru.InputError, None),
]


@pytest.mark.parametrize("make_input, output, options, exception, remedy", FAILURES)
def test_failures_say_what_oru_cli_says_and_write_nothing(
        tmp_path, make_input, output, options, exception, remedy):
    source = make_input(tmp_path)
    target = tmp_path / output
    target.write_text("as it was\n")
    message = cli.failure(*_cli_options(options), source, target)
    with pytest.raises(exception) as raised:
        oru.thin_file(source, target, **options)
    text = str(raised.value)
    # The same message; a remedy names the module's keywords, not options.
    assert text.startswith(re.sub(r": (give |add )?--.*", "", message))
    assert remedy is None or remedy in text
    assert target.read_text() == "as it was\n"


def test_a_file_error_carries_errno(tmp_path):
    with pytest.raises(OSError) as raised:
        oru.thin_file(os.path.join(SAMPLES, "survey_line_oru.txt"), tmp_path / "no" / "out.txt",
                      points=5)
    assert raised.value.errno == errno.ENOENT and isinstance(raised.value, oru.FileError)
    assert str(raised.value) == (f"Output file {tmp_path / 'no' / 'out.txt'} could not be "
                                 "written. No such file or directory.")


@pytest.mark.parametrize("options, message", [
    ({"points": 5, "max_waypoints": 2}, "max_waypoints=2: at least 3"),
    ({"points": 5, "output_dir": "elsewhere"}, "give exactly one of output"),
])
def test_keyword_errors(tmp_path, options, message):
    with pytest.raises(oru.InputError, match=message):
        oru.thin_file(os.path.join(SAMPLES, "survey_run.nmea"), tmp_path / "run.gpx", **options)


# Runs of many seconds on a 200,000-point walk, each stopped by a SIGINT
# after a fifth of a second.
LONG_RUNS = [
    lambda folder, walk: oru.thin_xy(*walk, points=5000, method="optimal"),
    lambda folder, walk: oru.thin_file(folder / "walk.txt", folder / "out.txt",
                                       input_format="xy", points=5000, method="optimal"),
]


@pytest.mark.parametrize("run", LONG_RUNS)
def test_ctrl_c_stops_a_long_run_and_writes_nothing(tmp_path, run):
    x, y = np.cumsum(np.random.default_rng(3).normal(0.0, 10.0, (2, 200_000)), axis=1)
    walk = cli.write_xy(tmp_path / "walk.txt", x, y)
    (tmp_path / "out.txt").write_text("as it was\n")
    timer = threading.Timer(0.2, os.kill, (os.getpid(), signal.SIGINT))
    timer.start()
    with pytest.raises(KeyboardInterrupt):
        run(tmp_path, walk)
    timer.join()
    assert (tmp_path / "out.txt").read_text() == "as it was\n"

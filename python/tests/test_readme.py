"""The README's Python example runs as written, from the top of the tree,
and prints what its comments say."""

import contextlib
import io
import os
import re

import cli


def test_the_readme_example_runs(tmp_path, monkeypatch):
    with open(os.path.join(cli.SOURCE, "README.md")) as f:
        section = f.read().split("## From Python", 1)[1].split("\n## ", 1)[0]
    [code] = re.findall(r"```python\n(.*?)```", section, re.S)
    # Its own folder, with the tree's data, for the files it writes.
    os.symlink(os.path.join(os.path.abspath(cli.SOURCE), "data"), tmp_path / "data")
    monkeypatch.chdir(tmp_path)
    printed = io.StringIO()
    with contextlib.redirect_stdout(printed):
        exec(compile(code, "README.md", "exec"), {})
    lines = printed.getvalue().splitlines()
    for comment in re.findall(r"print\(.*\)  # (.*)", code):
        assert any(line.startswith(comment.split("...")[0]) for line in lines), comment
    assert (tmp_path / "lines.gpx").exists()

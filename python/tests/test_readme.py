"""The README's examples run as written, from the top of the tree, and
print what they say."""

import contextlib
import io
import os
import re
import subprocess
import sys

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


def _section(title):
    with open(os.path.join(cli.SOURCE, "README.md")) as f:
        return f.read().split("## " + title, 1)[1].split("\n## ", 1)[0]


def test_the_fleet_example_runs(tmp_path):
    """The commands and the Python example of "Whole fleets", with their
    files in a folder of the test's instead of /tmp."""
    section = _section("Whole fleets").replace("/tmp/", f"{tmp_path}/")
    [commands] = re.findall(r"```sh\n(.*?)```", section, re.S)
    [code] = re.findall(r"```python\n(.*?)```", section, re.S)
    python = "PYTHONPATH=build/python /usr/bin/python3"
    paths = os.environ.get("PYTHONPATH", os.path.join(cli.SOURCE, "build", "python"))
    environment = dict(os.environ, PYTHONPATH=os.pathsep.join(
        os.path.abspath(path) for path in paths.split(os.pathsep)))
    printed = ""
    for command in commands.strip().splitlines():
        assert command.startswith(python + " ")
        done = subprocess.run(f"{sys.executable} {command[len(python) + 1:]}", shell=True,
                              cwd=cli.SOURCE, env=environment, capture_output=True, text=True)
        assert done.returncode == 0, done.stderr
        printed += done.stdout
    summary = re.search(r"the summary:\n\n((?:    .*\n)+)", section).group(1)
    for line in summary.splitlines():
        assert line.strip() in printed, line

    (tmp_path / "example.py").write_text(code)
    done = subprocess.run([sys.executable, str(tmp_path / "example.py")], env=environment,
                          capture_output=True, text=True)
    assert done.returncode == 0, done.stderr
    for comment in re.findall(r"print\(.*\)  # (.*)", code):
        assert comment in done.stdout, comment

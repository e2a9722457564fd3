#!/usr/bin/env bash
# Unpacks a Debian package of ORU into a temporary root with dpkg-deb and
# runs the packaged oru-cli there on the packaged sample tracks: every format
# of the samples in, the survey formats, RTZ, GPX and GeoJSON out, and a
# plot picture; then the packaged Python module with Debian's python3, on a
# sample track and a sample file. Fails on any exit status but 0, a
# missing output, or an RTZ route without waypoints.
#   scripts/check-package.sh oru_VERSION_ARCH.deb
set -euo pipefail
deb="$(realpath "$1")"
root="$(mktemp -d)"
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
cli="$root/usr/bin/oru-cli"
samples="$root/usr/share/oru/samples"
out="$root/out"
mkdir "$out"
[ -x "$cli" ] && [ -x "$root/usr/bin/oru" ] && [ -f "$root/usr/share/oru/ORU_help.html" ] &&
  [ -f "$root/usr/share/applications/oru.desktop" ] ||
  { echo "the package lacks a program, the help or the desktop entry" >&2; exit 1; }

run() { echo "+ oru-cli $*"; "$cli" "$@" >/dev/null; }
run --input-format xy --points 25 "$samples/survey_line_xy.txt" "$out/xy.txt"
run --points 25 --plot-image "$out/plot.png" --plot-size 320x240 \
    "$samples/survey_line_oru.txt" "$out/oru.txt"
run --input-format dms --output-format kel --max-deviation 2 "$samples/survey_line_dms.txt" "$out/kel.txt"
run --max-deviation 5 --max-waypoints 50 "$samples/survey_run.nmea" "$out/run.rtz" 2>/dev/null
run --points 10 "$samples/survey_lines.p190" "$out/lines.gpx"
run --p190-grid --crs EPSG:32631 --max-deviation 1 "$samples/survey_lines.p190" "$out/lines.geojson"
for f in xy.txt oru.txt kel.txt plot.png run.rtz lines.gpx lines.geojson; do
  [ -s "$out/$f" ] || { echo "no $f from the packaged oru-cli" >&2; exit 1; }
done
grep -q '<waypoint id="2">' "$out/run.rtz" || { echo "the packaged route has no waypoints" >&2; exit 1; }
echo "the packaged oru-cli ran on every sample: $(basename "$deb")"

# The module, where Debian's python3 finds the system's packages.
site="$root/usr/lib/python3/dist-packages"
[ -f "$site/oru/__init__.py" ] || { echo "the package lacks the Python module oru" >&2; exit 1; }
PYTHONPATH="$site" /usr/bin/python3 - "$samples" "$out" <<'PYTHON'
import os, sys
import numpy
import oru
samples, out = sys.argv[1:]
assert os.path.dirname(oru.__file__).endswith("/usr/lib/python3/dist-packages/oru"), oru.__file__
x, y = numpy.loadtxt(os.path.join(samples, "survey_line_xy.txt"), unpack=True)
assert oru.thin_xy(x, y, points=25).points_after == 25
tracks = oru.thin_file(os.path.join(samples, "survey_lines.p190"), os.path.join(out, "py.gpkg"),
                       points=10)
assert [t["points_after"] for t in tracks] == [10, 10]
PYTHON
echo "the packaged Python module oru ran with /usr/bin/python3"

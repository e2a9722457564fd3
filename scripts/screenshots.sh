#!/usr/bin/env bash
# Makes the README's pictures of the windows under a virtual X display
# (Debian's xvfb): the main window after thinning the sample track
# data/samples/survey_line_xy.txt to 25 points, the main window during a run
# on a 1,000,000-fix geographic track (bench/make_geo_track.py), the About
# box and the splash window, both lines of the P1/90 sample thinned at once
# and their plot, the plot window (the North Sea, a zoom, the
# preview and a transit of the Suez Canal) and the curve of deviation against
# points, as PNG files in docs/screenshots/; and the help's picture of
# the two selection methods, the sample's turn (points 420 to 500) thinned to
# 1.5 m both ways, as docs/selection_methods.png.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/install-deps.sh"

build="${ORU_BUILD_DIR:-$root/build}"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORU_BUILD_TESTS=OFF \
      -DORU_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target oru-screenshots oru-plot-screenshots oru-cli draw_methods
"$build/app/draw_methods" "$root/data/samples/survey_line_xy.txt" 1.5 \
    "$root/docs/selection_methods.png" 420 500

out="$root/docs/screenshots"
mkdir -p "$out"
# A short, fixed folder, since the window shows the file names.
work="${TMPDIR:-/tmp}/oru-tracks"
rm -rf "$work"
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT
cp "$root/data/samples/survey_line_xy.txt" "$root/data/samples/survey_lines.p190" \
   "$root/data/samples/survey_line_oru.txt" "$work/"
python3 "$root/bench/make_geo_track.py" 1000000 "$work/voyage.txt"

# The plain Qt look at scale 1, whatever desktop settings the caller has.
env -u QT_QPA_PLATFORMTHEME -u QT_STYLE_OVERRIDE -u QT_SCALE_FACTOR \
    QT_QPA_PLATFORM=xcb QT_AUTO_SCREEN_SCALE_FACTOR=0 \
    xvfb-run --auto-servernum --server-args="-screen 0 1280x1024x24" \
    "$build/app/oru-screenshots" "$work/survey_line_xy.txt" "$work/survey_line_xy_25.txt" "$out" \
    "$work/voyage.txt" "$work/survey_lines.p190" "$work/survey_lines_25.gpx" \
    "$work/survey_line_oru.txt" "$work/survey_line_oru_25.txt"
env -u QT_QPA_PLATFORMTHEME -u QT_STYLE_OVERRIDE -u QT_SCALE_FACTOR \
    QT_QPA_PLATFORM=xcb QT_AUTO_SCREEN_SCALE_FACTOR=0 \
    xvfb-run --auto-servernum --server-args="-screen 0 1280x1024x24" \
    "$build/plot/oru-plot-screenshots" "$root" "$out"
"$build/cli/oru-cli" --points 25 --curve-image "$out/curve.png" \
    "$root/data/samples/survey_line_oru.txt" "$work/survey_line_oru_25.txt" >/dev/null

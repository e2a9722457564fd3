#!/usr/bin/env bash
# Builds ORU (installing what is missing) and starts the desktop program oru.
# Without a display (neither DISPLAY nor WAYLAND_DISPLAY set) it says so and
# thins the shipped sample track with the batch command instead, printing the
# statistics; so do extra arguments, which go to oru-cli in place of the
# default choice (--points 25).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/install-deps.sh"

build="${ORU_BUILD_DIR:-$root/build}"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORU_BUILD_TESTS=OFF \
      -DORU_BUILD_BENCH=OFF >/dev/null
sample="$root/data/samples/survey_line_xy.txt"

if [ $# -eq 0 ] && { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; }; then
  cmake --build "$build" --target oru
  echo "Starting oru. To try it: Input format \"ASCII  X, Y        [m]\", Open ... $sample,"
  echo "Save As ... any new file, Go!"
  exec "$build/app/oru"
fi

cmake --build "$build" --target oru-cli
[ $# -gt 0 ] || echo "No display available: running the batch command oru-cli on the sample track instead."
output="${TMPDIR:-/tmp}/oru-sample-thinned.txt"
options=("$@")
[ ${#options[@]} -gt 0 ] || options=(--points 25)
echo "oru-cli --input-format xy ${options[*]} $sample $output"
"$build/cli/oru-cli" --input-format xy "${options[@]}" "$sample" "$output"
echo "Kept points written to $output"

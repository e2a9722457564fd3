#!/usr/bin/env bash
# Builds ORU (installing what is missing) and thins the shipped sample track
# with the batch command, printing the statistics. Extra arguments go to
# oru-cli in place of the default choice (--points 25).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/install-deps.sh"

build="$root/build"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORU_BUILD_TESTS=OFF \
      -DORU_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target oru-cli

sample="$root/data/samples/survey_line_xy.txt"
output="${TMPDIR:-/tmp}/oru-sample-thinned.txt"
options=("$@")
[ ${#options[@]} -gt 0 ] || options=(--points 25)
echo "oru-cli --input-format xy ${options[*]} $sample $output"
"$build/cli/oru-cli" --input-format xy "${options[@]}" "$sample" "$output"
echo "Kept points written to $output"

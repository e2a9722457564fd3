#!/usr/bin/env bash
# Times the whole batch command (read, select, write) on a 100,000-fix
# geographic walk around 54N 4E (bench/make_geo_track.py), "ellipsoidic" and
# "planar", and the X, Y plane run on as many points; prints the median wall
# time of five runs of each. Needs a release build in build/ (or BUILD=dir).
#   bench/cli_geo_run.sh [POINTS]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
points="${1:-100000}"
cli="${BUILD:-$root/build}/cli/oru-cli"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
python3 "$root/bench/make_geo_track.py" "$points" "$work/geo.txt"
python3 "$root/bench/make_xy_track.py" "$points" "$work/xy.txt"

median_of_five() {
  local times=()
  for run in 1 2 3 4 5; do
    local start end
    start=$(date +%s.%N)
    "$cli" "$@" "$work/out.txt" >/dev/null
    end=$(date +%s.%N)
    times+=("$(echo "$end - $start" | bc)")
  done
  printf '%s\n' "${times[@]}" | sort -n | sed -n 3p
}

echo "load: $(cut -d' ' -f1-3 /proc/loadavg)"
for criterion in "--max-deviation 1" "--points 1000"; do
  echo "ellipsoidic $criterion: $(median_of_five --calculation ellipsoidic $criterion "$work/geo.txt") s"
  echo "planar (geographic) $criterion: $(median_of_five --calculation planar $criterion "$work/geo.txt") s"
  echo "planar (X, Y) $criterion: $(median_of_five --input-format xy $criterion "$work/xy.txt") s"
done

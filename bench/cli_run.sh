#!/usr/bin/env bash
# Times the whole batch command (read, select, write) on a 1,000,000-line
# X, Y track and reports its peak memory, with both selection methods. Needs
# a release build in build/.
#   bench/cli_run.sh [POINTS [RUNS]]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
points="${1:-1000000}"
runs="${2:-5}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
python3 "$root/bench/make_xy_track.py" "$points" "$work/track.txt"
cli="$root/build/cli/oru-cli"
echo "load: $(cut -d' ' -f1-3 /proc/loadavg)"
for method in douglas-peucker optimal; do
  for criterion in "--points 10000" "--max-deviation 1"; do
    echo "== oru-cli --input-format xy --method $method $criterion ($points lines)"
    for run in $(seq "$runs"); do
      /usr/bin/time -f "wall %e s, peak %M KiB" "$cli" --input-format xy --method "$method" \
        $criterion "$work/track.txt" "$work/out.txt" >/dev/null
    done
  done
done

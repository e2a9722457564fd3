#!/usr/bin/env bash
# Times the whole batch command (read, select, write) on a 1,000,000-line
# X, Y track and reports its peak memory. Needs a release build in build/.
#   bench/cli_run.sh [POINTS]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
points="${1:-1000000}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
python3 "$root/bench/make_xy_track.py" "$points" "$work/track.txt"
cli="$root/build/cli/oru-cli"
for criterion in "--points 10000" "--max-deviation 1"; do
  echo "== oru-cli --input-format xy $criterion ($points lines)"
  for run in 1 2 3 4 5; do
    /usr/bin/time -f "wall %e s, peak %M KiB" "$cli" --input-format xy $criterion \
      "$work/track.txt" "$work/out.txt" >/dev/null
  done
done

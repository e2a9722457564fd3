#!/usr/bin/env bash
# Times GPX to GPX on a track of POINTS fixes (default 1,000,000) with
# elevations and times, planar at 1 m: the oru-cli of build/ (GPX read and
# written without GDAL), any other oru-cli given (an earlier build, which
# reads and writes GPX through GDAL), and gpsbabel reading and writing the
# same file (gpx to gpx, no filter) in the same run. Each runs RUNS times
# (default 5), alternating; median wall seconds and peak memory are printed,
# with the ratio to gpsbabel. Needs a release build in build/ and gpsbabel.
#   bench/gpx_run.sh [RUNS] [POINTS] [OTHER_ORU_CLI...]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
runs="${1:-5}"
points="${2:-1000000}"
shift $(( $# < 2 ? $# : 2 ))
clis=("$root/build/cli/oru-cli" "$@")
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'); load: $(cut -d' ' -f1-3 /proc/loadavg)"
"$root/build/bench/make_gis_tracks" "$work/long.gpx" 1 "$points"
echo "input: $(stat -c %s "$work/long.gpx") bytes, $points points"

# "wall seconds, peak KiB" of one command
timed() { /usr/bin/time -f "%e %M" "$@" 2>&1 >/dev/null | tail -n 1; }
median() { tr ' ' '\n' | grep . | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

declare -A wall peak
for _ in $(seq "$runs"); do
  for i in "${!clis[@]}"; do
    read -r w p < <(timed "${clis[$i]}" --calculation planar --max-deviation 1 "$work/long.gpx" \
                          "$work/oru$i.gpx")
    wall[$i]+="$w "; peak[$i]+="$p "
  done
  read -r w p < <(timed gpsbabel -i gpx -f "$work/long.gpx" -o gpx -F "$work/babel.gpx")
  wall[babel]+="$w "; peak[babel]+="$p "
done

babel=$(median <<<"${wall[babel]}")
for key in "${!clis[@]}" babel; do
  name="gpsbabel"
  [ "$key" = babel ] || name="${clis[$key]}"
  w=$(median <<<"${wall[$key]}")
  p=$(median <<<"${peak[$key]}")
  printf '%-50s median wall %6.2f s (x%.2f of gpsbabel), peak %7.1f MiB   (walls: %s)\n' \
    "$name" "$w" "$(echo "$w / $babel" | bc -l)" "$(echo "$p / 1024" | bc -l)" "${wall[$key]}"
done
echo "kept: $(grep -c '<trkpt' "$work/oru0.gpx") points; load after: $(cut -d' ' -f1-3 /proc/loadavg)"

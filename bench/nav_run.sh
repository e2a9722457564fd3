#!/usr/bin/env bash
# Times oru-cli on a generated NMEA 0183 log of 1,000,000 fixes (a GGA each,
# an RMC every tenth; needs a release build in build/ and gpsbabel), thinned
# planar at 1 m with at most 500 waypoints into an RTZ route: the whole run,
# reading, thinning and writing. Against gpsbabel in the same run reading
# the log and writing it as GPX, without a filter (its "simplify" filter,
# the same job as ours, did not end within nine minutes on this log: it is
# quadratic in the points). Each is run RUNS times (default 5), alternating;
# the medians are printed.
#   bench/nav_run.sh [RUNS] [FIXES]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
runs="${1:-5}"
fixes="${2:-1000000}"
cli="$root/build/cli/oru-cli"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'); load: $(cut -d' ' -f1-3 /proc/loadavg)"
"$root/build/bench/make_nav_files" nmea "$work/log.nmea" "$fixes"
ls -l "$work/log.nmea" | awk '{print $5, $9}'

# "wall seconds, peak KiB" of one command
timed() { /usr/bin/time -f "%e %M" "$@" 2>&1 >/dev/null | tail -n 1; }
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

oru_walls=""; babel_walls=""; oru_peaks=""
for run in $(seq "$runs"); do
  read -r w p < <(timed "$cli" --calculation planar --max-deviation 1 --max-waypoints 500 \
                        "$work/log.nmea" "$work/route.rtz")
  oru_walls+="$w "; oru_peaks+="$p "
  read -r w p < <(timed gpsbabel -i nmea -f "$work/log.nmea" -o gpx -F "$work/babel.gpx")
  babel_walls+="$w "
done
o=$(tr ' ' '\n' <<<"$oru_walls" | grep . | median)
b=$(tr ' ' '\n' <<<"$babel_walls" | grep . | median)
p=$(tr ' ' '\n' <<<"$oru_peaks" | grep . | median)
printf 'oru-cli  NMEA to RTZ, planar 1 m, <= 500 waypoints: median wall %5.2f s, peak %6.1f MiB  (walls: %s)\n' \
  "$o" "$(echo "$p / 1024" | bc -l)" "$oru_walls"
printf 'gpsbabel NMEA to GPX, no filter:                   median wall %5.2f s  (walls: %s)\n' "$b" "$babel_walls"
echo "ratio oru-cli / gpsbabel (median walls): $(echo "scale=3; $o / $b" | bc -l)"
echo "waypoints of the route: $(grep -c '<waypoint ' "$work/route.rtz"); load after: $(cut -d' ' -f1-3 /proc/loadavg)"

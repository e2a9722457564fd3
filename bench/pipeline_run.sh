#!/usr/bin/env bash
# Times this build's oru-cli against another build's (BASELINE, an oru-cli
# of an earlier commit built in a folder of its own) on the runs that the
# pipeline must not make dearer, alternating the two in one session:
#   1. a 1,000,000-line X, Y track to 10,000 points and at 1 m
#      (Douglas-Peucker), survey text to survey text;
#   2. a GeoPackage of 10,000 tracks of 1,000 points (UTM, metres), planar
#      at 1 m, into an output folder, on the default threads.
# Prints per case the median wall time, processor time (user + system) and
# peak memory of each, and the ratios of the medians (this build /
# baseline); on a shared machine the processor time is the steadier. Needs a release build in
# build/ (with bench/make_gis_tracks).
#   bench/pipeline_run.sh BASELINE [RUNS]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
baseline="$(realpath "$1")"
runs="${2:-7}"
cli="$root/build/cli/oru-cli"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"
echo "before: $(uptime)"
python3 "$root/bench/make_xy_track.py" 1000000 "$work/track.txt"
"$root/build/bench/make_gis_tracks" "$work/tracks.gpkg" 10000 1000

# "wall seconds, peak KiB, processor seconds" of one command
timed() {
  /usr/bin/time -f "%e %M %U %S" "$@" 2>&1 >/dev/null | tail -n 1 |
    awk '{printf "%s %s %.2f\n", $1, $2, $3 + $4}'
}
median() { tr ' ' '\n' | grep . | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

cases=(points deviation gpkg)
run_case() {  # run_case CASE CLI: one timed run
  case "$1" in
    points) timed "$2" --input-format xy --points 10000 "$work/track.txt" "$work/out.txt" ;;
    deviation) timed "$2" --input-format xy --max-deviation 1 "$work/track.txt" "$work/out.txt" ;;
    gpkg) rm -rf "$work/out"
          timed "$2" --calculation planar --max-deviation 1 --output-dir "$work/out" "$work/tracks.gpkg" ;;
  esac
}

declare -A wall peak cpu
for run in $(seq "$runs"); do
  for c in "${cases[@]}"; do
    # Which goes first alternates, so that neither always finds warm caches.
    order=(old new)
    if [ $((run % 2)) = 0 ]; then order=(new old); fi
    for who in "${order[@]}"; do
      binary="$cli"
      if [ "$who" = old ]; then binary="$baseline"; fi
      read -r w p u < <(run_case "$c" "$binary")
      wall[$c$who]+="$w "
      peak[$c$who]+="$p "
      cpu[$c$who]+="$u "
    done
  done
done

for c in "${cases[@]}"; do
  old=$(median <<<"${wall[${c}old]}")
  new=$(median <<<"${wall[${c}new]}")
  old_cpu=$(median <<<"${cpu[${c}old]}")
  new_cpu=$(median <<<"${cpu[${c}new]}")
  printf '%-10s baseline %6.2f s (cpu %6.2f s) %7.1f MiB | pipeline %6.2f s (cpu %6.2f s) %7.1f MiB | ratio wall %.3f, cpu %.3f\n' \
    "$c" "$old" "$old_cpu" "$(echo "$(median <<<"${peak[${c}old]}") / 1024" | bc -l)" \
    "$new" "$new_cpu" "$(echo "$(median <<<"${peak[${c}new]}") / 1024" | bc -l)" \
    "$(echo "$new / $old" | bc -l)" "$(echo "$new_cpu / $old_cpu" | bc -l)"
  echo "           walls baseline: ${wall[${c}old]}"
  echo "           walls pipeline: ${wall[${c}new]}"
done
echo "after: $(uptime)"

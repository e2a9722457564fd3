#!/usr/bin/env bash
# Times oru-cli on GIS files (needs a release build in build/ and gpsbabel):
#   1. a GeoPackage of 10,000 tracks of 1,000 points each (UTM, metres),
#      planar at 1 m, with 1 and with 2 jobs: wall time and peak memory;
#   2. a GPX track of 1,000,000 points with elevations and times, planar at
#      1 m, GPX to GPX, against gpsbabel reading and writing the same file
#      (gpx to gpx, no filter) in the same run;
#   3. a GeoJSON LineString of 1,000,000 WGS84 points, planar at 5 m,
#      GeoJSON to GeoJSON, against GDAL's ogr2ogr translating the same file
#      (GeoJSON to GeoJSON) in the same run.
# Each is run RUNS times (default 5), alternating; the medians are printed.
# PARTS picks some of them (default "gpkg gpx geojson").
#   bench/gis_run.sh [RUNS] [TRACKS] [POINTS] [PARTS]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
runs="${1:-5}"
tracks="${2:-10000}"
points="${3:-1000}"
parts="${4:-gpkg gpx geojson}"
cli="$root/build/cli/oru-cli"
make="$root/build/bench/make_gis_tracks"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'); load: $(cut -d' ' -f1-3 /proc/loadavg)"
has() { [[ " $parts " == *" $1 "* ]]; }
has gpkg && "$make" "$work/tracks.gpkg" "$tracks" "$points"
has gpx && "$make" "$work/long.gpx" 1 1000000
has geojson && "$make" "$work/long.geojson" 1 1000000
ls -l "$work" | awk 'NR > 1 {print $5, $9}'

# "wall seconds, peak KiB" of one command
timed() { /usr/bin/time -f "%e %M" "$@" 2>&1 >/dev/null | tail -n 1; }
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

declare -A wall peak
for run in $(seq "$runs"); do
  if has gpkg; then
    for jobs in 1 2; do
      rm -rf "$work/out"
      read -r w p < <(timed "$cli" --calculation planar --max-deviation 1 --jobs "$jobs" \
                            --output-dir "$work/out" "$work/tracks.gpkg")
      wall[gpkg$jobs]+="$w "; peak[gpkg$jobs]+="$p "
    done
  fi
  if has gpx; then
    read -r w p < <(timed "$cli" --calculation planar --max-deviation 1 "$work/long.gpx" "$work/oru.gpx")
    wall[oru]+="$w "; peak[oru]+="$p "
    read -r w p < <(timed gpsbabel -i gpx -f "$work/long.gpx" -o gpx -F "$work/babel.gpx")
    wall[babel]+="$w "; peak[babel]+="$p "
  fi
  if has geojson; then
    rm -f "$work/oru.geojson" "$work/ogr.geojson"
    read -r w p < <(timed "$cli" --calculation planar --max-deviation 5 "$work/long.geojson" "$work/oru.geojson")
    wall[oru_json]+="$w "; peak[oru_json]+="$p "
    read -r w p < <(timed ogr2ogr -f GeoJSON "$work/ogr.geojson" "$work/long.geojson")
    wall[ogr_json]+="$w "; peak[ogr_json]+="$p "
  fi
done

report() {
  local w p
  w=$(tr ' ' '\n' <<<"${wall[$1]}" | grep . | median)
  p=$(tr ' ' '\n' <<<"${peak[$1]}" | grep . | median)
  printf '%-52s median wall %6.2f s, peak %7.1f MiB   (walls: %s)\n' "$2" "$w" "$(echo "$p / 1024" | bc -l)" "${wall[$1]}"
}
ratio() {
  local a b
  a=$(tr ' ' '\n' <<<"${wall[$1]}" | grep . | median)
  b=$(tr ' ' '\n' <<<"${wall[$2]}" | grep . | median)
  echo "ratio $3 (median walls): $(echo "scale=2; $a / $b" | bc -l)"
}
if has gpkg; then
  report gpkg1 "oru-cli $tracks x $points tracks, GeoPackage, --jobs 1"
  report gpkg2 "oru-cli $tracks x $points tracks, GeoPackage, --jobs 2"
fi
if has gpx; then
  report oru "oru-cli 1,000,000-point GPX to GPX, planar 1 m"
  report babel "gpsbabel 1,000,000-point GPX to GPX (read+write)"
  ratio oru babel "oru-cli / gpsbabel"
  echo "kept of the GPX track: $(grep -c '<trkpt' "$work/oru.gpx") points"
fi
if has geojson; then
  report oru_json "oru-cli 1,000,000-point GeoJSON, planar 5 m"
  report ogr_json "ogr2ogr 1,000,000-point GeoJSON to GeoJSON"
  ratio oru_json ogr_json "oru-cli / ogr2ogr"
  echo "kept of the GeoJSON line: $(grep -o '\], \[' "$work/oru.geojson" | wc -l) + 1 points"
fi
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"

#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz (AddressSanitizer and
# UndefinedBehaviorSanitizer on every library) and runs each for SECONDS
# seconds (default 20). Findings are written to build-fuzz/findings/ and end
# the script with an error. Warnings are not fatal here: the release build of
# scripts/test.sh already treats them as errors.
#   scripts/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seconds="${1:-20}"
[ $# -gt 0 ] && shift
build="$root/build-fuzz"
rss_limit_mb=2048  # each target's memory limit; a target beyond it has a finding

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link \
      -DORU_SANITIZE=ON -DORU_BUILD_FUZZ=ON \
      -DORU_BUILD_TESTS=OFF -DORU_BUILD_BENCH=OFF >/dev/null

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  # Every executable that fuzz/CMakeLists.txt registers.
  mapfile -t targets < <(ninja -C "$build" -t targets all |
    sed -n 's/^fuzz\/\([A-Za-z0-9_]*_fuzzer\): CXX_EXECUTABLE_LINKER.*/\1/p')
fi
[ ${#targets[@]} -gt 0 ] || { echo "no fuzz targets found" >&2; exit 1; }
cmake --build "$build" -j 2 --target "${targets[@]}"

mkdir -p "$build/findings"

# Fuzzes one target; prints its figures, or its whole log and where the
# input is when it found a fault (status 1).
fuzz_one() {
  local target="$1" corpus="$build/corpus/$1" name seeds=() dict status=0
  mkdir -p "$corpus"
  # Seeds in fuzz/seeds/NAME: oru for oru_reader_fuzzer, handoff for
  # handoff_fuzzer, nmea and p190 for the navigation readers; a target's own
  # tokens in fuzz/NAME.dict (gis, nmea, p190), else the track tokens.
  name="${target%_reader_fuzzer}"
  [ -d "$root/fuzz/seeds/$name" ] || name="${target%_fuzzer}"
  [ -d "$root/fuzz/seeds/$name" ] && seeds=("$root/fuzz/seeds/$name")
  dict=(-dict="$root/fuzz/track.dict")
  if [ -f "$root/fuzz/$name.dict" ]; then
    dict=(-dict="$root/fuzz/$name.dict")
  fi
  local log="$build/findings/$target.log"
  # New inputs go to the first corpus folder; the seeds are only read.
  "$build/fuzz/$target" "$corpus" "${seeds[@]}" "${dict[@]}" \
      -max_total_time="$seconds" -timeout=10 -rss_limit_mb="$rss_limit_mb" -print_final_stats=1 \
      -artifact_prefix="$build/findings/$target-" >"$log" 2>&1 || status=$?
  if [ "$status" -ne 0 ]; then
    { cat "$log"; echo "$target found a fault (exit $status); the input is in $build/findings"; } >&2
    return 1
  fi
  # One write, so that targets that end together do not mix their lines.
  local figures
  figures="$(grep -E '^(Done|stat::number_of_executed_units|stat::peak_rss_mb)' "$log" ||
             tail -n 3 "$log")"
  printf -- '--- %s: %ss\n%s\n' "$target" "$seconds" "$figures"
}

# One target per core at a time: libFuzzer runs on one thread, so each still
# gets its SECONDS of a whole core. At most one per rss_limit_mb of
# available memory. Every target runs; a fault in any fails the script.
parallel="$(nproc)"
available_kib="$(sed -n 's/^MemAvailable: *\([0-9]*\) kB$/\1/p' /proc/meminfo)"
if [ -n "$available_kib" ] && [ $((available_kib / (rss_limit_mb * 1024))) -lt "$parallel" ]; then
  parallel=$((available_kib / (rss_limit_mb * 1024)))
fi
[ "$parallel" -ge 1 ] || parallel=1
export -f fuzz_one
export root build seconds rss_limit_mb
if ! printf '%s\n' "${targets[@]}" | xargs -P "$parallel" -I {} bash -c 'fuzz_one "$1"' _ {}; then
  echo "fuzzing found a fault: the log above says where" >&2
  exit 1
fi

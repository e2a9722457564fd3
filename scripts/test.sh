#!/usr/bin/env bash
# Builds and runs every test (installing what is missing):
#   1. a release build with warnings as errors, and its tests; its Debian
#      package (cpack), unpacked with dpkg-deb and its oru-cli run on the
#      packaged samples (scripts/check-package.sh);
#   2. a release build without Qt (the headless core and the batch command,
#      no benchmarks), and its tests;
#   3. a build with AddressSanitizer and UndefinedBehaviorSanitizer, and the
#      same tests again;
#   4. a short run of each fuzz target (ORU_FUZZ_SECONDS each, default 20;
#      0 skips it).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/install-deps.sh"
jobs="$(nproc)"

stage() { echo; echo "=== $* ($(date +%T)) ==="; }

# The release and headless builds compile the core with the same flags: a
# compiler cache inside the checkout lets the second reuse the first.
launcher=()
if command -v ccache >/dev/null; then
  export CCACHE_DIR="$root/.cache/ccache" CCACHE_BASEDIR="$root"
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

stage "release build and tests"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORU_WERROR=ON \
      "${launcher[@]}" >/dev/null
cmake --build "$root/build" -j "$jobs"
ctest --test-dir "$root/build" -j "$jobs" --output-on-failure

stage "Debian package"
rm -f "$root"/build/oru_*.deb
(cd "$root/build" && cpack -G DEB)
"$root/scripts/check-package.sh" "$root"/build/oru_*.deb

stage "build without Qt and tests"
# Here and under the sanitizers each test executable runs as four shards
# rather than a process per case, whose start costs more than most cases
# (ORU_TEST_SHARDS). The release build above keeps a CTest entry per case.
cmake -S "$root" -B "$root/build-headless" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORU_WERROR=ON \
      -DORU_BUILD_GUI=OFF -DORU_BUILD_BENCH=OFF -DORU_TEST_SHARDS=4 "${launcher[@]}" >/dev/null
cmake --build "$root/build-headless" -j "$jobs"
ctest --test-dir "$root/build-headless" -j "$jobs" --output-on-failure

stage "sanitizer build and tests"
# -O1 and line tables only: half the compile time of -O2 -g, which is most
# of this stage; the sanitizers' reports still name the file and line. The
# tests' own sources, more than half of what is compiled, at -O0: that took
# the build from 11 to under 8 minutes and the tests from 99 to 111 s.
cmake -S "$root" -B "$root/build-asan" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" -DORU_TEST_COMPILE_OPTIONS=-O0 \
      -DORU_WERROR=ON -DORU_SANITIZE=ON -DORU_BUILD_BENCH=OFF -DORU_TEST_SHARDS=4 >/dev/null
cmake --build "$root/build-asan" -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir "$root/build-asan" -j "$jobs" --output-on-failure

if [ "${ORU_FUZZ_SECONDS:-20}" != 0 ] && [ -x "$root/scripts/fuzz.sh" ]; then
  stage "fuzzing"
  "$root/scripts/fuzz.sh" "${ORU_FUZZ_SECONDS:-20}"
fi

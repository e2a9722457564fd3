#!/usr/bin/env bash
# Probes of oru-cli as a careful user runs it: files it must never damage
# (devices, links, other users' files, the input), temporaries it must never
# leave, exit statuses and messages. Each probe works in a folder of its own;
# probes that need root or another user say SKIP when they cannot run.
#   probes.sh ORU_CLI SOURCE_DIR [SANITIZED [PICTURES]]
# SANITIZED=ON skips the probes under a memory limit, which AddressSanitizer's
# shadow memory cannot run in; PICTURES=OFF (a build without Qt) skips the
# probes that draw the plot's picture.
set -uo pipefail
cli="$(realpath "$1")"
source_dir="$(realpath "$2")"
sanitized="${3:-OFF}"
pictures="${4:-ON}"
sample="$source_dir/data/samples/survey_line_xy.txt"

work="$(mktemp -d)"
chmod 755 "$work"  # another user's probes read from here
mounted=""  # small file systems of the probes, unmounted at the end
trap 'for m in $mounted; do umount "$m"; done; rm -rf "$work"' EXIT
passed=0
failed=0
skipped=0
probe=""

begin() {  # begin NAME: a fresh folder with the sample track as in.txt
  probe="$1"
  cd "$(mktemp -d "$work/$1.XXXXXX")" || exit 1
  chmod 755 .
  cp "$sample" in.txt
  printf 'earlier output\n' > out.txt
}
fail() { echo "FAIL [$probe]: $*"; failed=$((failed + 1)); }
pass() { passed=$((passed + 1)); }
skip() { echo "SKIP [$probe]: $*"; skipped=$((skipped + 1)); }
# no_pictures: true (after saying SKIP) when this build draws no pictures.
no_pictures() { [ "$pictures" = ON ] && return 1; skip "this build draws no pictures"; }
# run ARGS...: oru-cli on an X, Y track; status, std.out and std.err kept.
run() {
  "$cli" --input-format xy "$@" >std.out 2>std.err
  status=$?
}
check() {  # check WHAT CONDITION...: one assertion
  local what="$1"
  shift
  if "$@"; then pass; else fail "$what (status $status, stderr: $(head -c 300 std.err))"; fi
}
holds() { [ "$(cat "$1")" = "$2" ]; }
said() { [ "$(cat std.err)" = "$1" ]; }
no_temporaries() { [ -z "$(find "${1:-.}" -name '.oru-*' -o -name 'oru-plot-*')" ]; }

# 1. Devices and FIFOs are written, never replaced; a failed write fails.
begin devices
mkfifo fifo
cat fifo > from-fifo &
run in.txt fifo
wait
check "a FIFO output is written through" [ "$status" = 0 -a -p fifo -a -s from-fifo ]
if [ "$(id -u)" = 0 ]; then
  mknod null c 1 3 && mknod full c 1 7
  run in.txt null
  check "a device output stays a device" [ "$status" = 0 -a -c null ]
  run in.txt full
  check "a full device fails with the reason" [ "$status" = 1 -a -c full ]
  check "its message" said "Output file full could not be written. No space left on device."
  # A side file on a full device: the output is not replaced, since every
  # file is written before the first is put in place.
  mkdir plots && mknod plots/AllePunten.dat c 1 7
  sides=("--curve full" "--plot-dir plots")
  [ "$pictures" = ON ] && sides+=("--curve-image full")
  for side in "${sides[@]}"; do
    # shellcheck disable=SC2086
    run $side in.txt out.txt
    check "$side: fails" [ "$status" = 1 ]
    check "$side: says why" grep -q "could not be written. No space left on device.$" std.err
    check "$side: no statistics of a failed run" [ ! -s std.out ]
    check "$side: the output is as it was" holds out.txt "earlier output"
  done
else
  skip "making device nodes needs root"
fi

# 1b. GIS files and routes onto devices and FIFOs: written there, never
# replaced; a full device fails with the reason; a Shapefile, several
# files, cannot go to one.
begin gis-devices
geo="$source_dir/data/samples/survey_line_oru.txt"
if [ "$(id -u)" = 0 ]; then
  for format in gpx gpkg kml geojson fgb csv rtz; do
    rm -f null full && mknod null c 1 3 && mknod full c 1 7
    "$cli" --output-format "$format" "$geo" null >std.out 2>std.err
    status=$?
    check "$format onto a device stays a device" [ "$status" = 0 -a -c null ]
    "$cli" --output-format "$format" "$geo" full >std.out 2>std.err
    status=$?
    check "$format onto a full device fails" [ "$status" = 1 -a -c full ]
    check "$format: its message" grep -q "^Output file full could not be written. No space left on device.$" std.err
  done
  "$cli" --output-format shp "$geo" null >std.out 2>std.err
  status=$?
  check "a Shapefile onto a device is refused" [ "$status" = 1 -a -c null ]
else
  skip "making device nodes needs root"
fi
mkfifo fifo
timeout 20 cat fifo > from-fifo &
timeout 20 "$cli" --output-format kml "$geo" fifo >std.out 2>std.err
status=$?
wait
check "a KML output into a FIFO" [ "$status" = 0 -a -p fifo ]
check "holds the KML" grep -q "<kml" from-fifo
check "no temporary is left" no_temporaries

# 1c. A full file system: an output that does not fit fails with the
# reason, leaves the earlier one as it was and nothing half-written; a
# batch that fills the folder writes whole files or none.
begin full-disk
mkdir small
if [ "$(id -u)" = 0 ] && mount -t tmpfs -o size=64k oru-probe small 2>/dev/null; then
  mounted="$PWD/small"
  head -c 56000 /dev/zero > small/filler  # 8 KiB left: less than any output below
  for format in gpx gpkg shp kml geojson fgb csv rtz oru; do
    printf 'earlier\n' > "small/out.$format"
    "$cli" --points 100000 --output-format "$format" "$geo" "small/out.$format" >std.out 2>std.err
    status=$?
    check "$format: exit 1" [ "$status" = 1 ]
    check "$format: says why" grep -q "could not be written. No space left on device.$" std.err
    check "$format: the earlier output is intact" holds "small/out.$format" earlier
    check "$format: nothing half-written is left" no_temporaries small
    rm -f "small/out.$format"
  done
  umount small
  mount -t tmpfs -o size=256k oru-probe small  # room for three of the six outputs
  mkdir many
  "$cli" --points 100000 "$geo" many/line1.gpx >std.out 2>std.err
  for k in 2 3 4 5 6; do cp many/line1.gpx "many/line$k.gpx"; done
  "$cli" --points 100000 --recursive --output-dir big many >std.out 2>std.err
  "$cli" --points 100000 --recursive --output-dir small many >std.out 2>std.err
  status=$?
  check "a batch that fills its folder fails" [ "$status" = 1 ]
  check "and says why" grep -q "No space left on device" std.err
  whole=0
  for written in small/*.gpx; do cmp -s "$written" "big/${written#small/}" && whole=$((whole + 1)); done
  check "what it wrote is whole" [ "$whole" -ge 1 -a "$whole" = "$(ls small | wc -l)" ]
  check "nothing half-written is left" no_temporaries small
  umount small && mounted=""
else
  skip "mounting a small file system needs root"
fi

# 1d. Outputs never land on inputs: not through a link in the output
# folder, not when the output folder lies in the input folder (nor is it
# read as input by the next run).
begin links
mkdir -p in/sub out
"$cli" --points 100000 "$geo" in/a.gpx >std.out 2>std.err
cp in/a.gpx in/sub/b.gpx
cp in/a.gpx kept.gpx
ln -s ../in/sub/b.gpx out/a.gpx
"$cli" --output-dir out in/a.gpx in/sub/b.gpx >std.out 2>std.err
status=$?
check "a link to another input: that file is refused" [ "$status" = 1 ]
check "naming both" grep -q "^oru-cli: The output file out/a.gpx of in/a.gpx would overwrite the input in/sub/b.gpx.$" std.err
check "the input is intact" cmp -s kept.gpx in/sub/b.gpx
for time in first second; do
  "$cli" --recursive --output-dir in/out in >std.out 2>std.err
  status=$?
  check "$time run into a folder inside the input folder" [ "$status" = 0 ]
  check "$time run reads the two inputs only" grep -q "^Total of 2 tracks in 2 files:$" std.out
done
check "the inputs are intact" cmp -s kept.gpx in/a.gpx

# 2. The plot files are never the input, the output or each other.
begin plot-clash
mkdir D
cp in.txt D/AllePunten.dat
ln in.txt hard.png
run --plot-image hard.png in.txt new.txt
check "the picture is not the input" [ "$status" = 1 -a ! -e new.txt ]
check "its message" said "The plot picture hard.png is the input file."
run --plot-dir D D/AllePunten.dat new.txt
check "a plot file is not the input" [ "$status" = 1 ]
check "and stays as it was" cmp -s in.txt D/AllePunten.dat
run --plot-dir D in.txt D/Selectie.dat
check "a plot file is not the output" [ "$status" = 1 -a ! -e D/Selectie.dat ]
check "the input is intact" cmp -s "$sample" in.txt
# One new file under two spellings is one file.
for pair in "--curve d2/../new.txt|new.txt" "--curve ./c.csv --curve-image c.csv|new.txt" \
            "--plot-image p.png --curve-image $PWD/p.png|new.txt"; do
  mkdir -p d2
  # shellcheck disable=SC2086
  run ${pair%|*} in.txt "${pair#*|}"
  check "refused: $pair" [ "$status" = 1 -a ! -e new.txt -a ! -e c.csv -a ! -e p.png ]
done

# 3. The picture is drawn in a private folder; nothing else in the
# temporary directory is touched.
begin private-folder
if ! no_pictures; then
mkdir tmp tmp/oru-plot-$$ && touch tmp/oru-plot-$$/keep && ln -s /nonexistent tmp/oru-plot-link
TMPDIR="$PWD/tmp" run --plot-image p.png --plot-size 64x64 in.txt out.txt
check "the picture is drawn" [ "$status" = 0 -a -s p.png ]
check "others' folders are left alone" [ -e tmp/oru-plot-$$/keep -a -L tmp/oru-plot-link ]
check "the run's own folder is gone" [ "$(ls tmp | wc -l)" = 2 ]
fi

# 4, 5. A failing plot step replaces nothing: not the output, not an
# earlier picture.
begin plot-fails
printf 'earlier picture' > p.png
run --plot-dir /nonexistent --plot-image p.png in.txt out.txt
check "exit 1" [ "$status" = 1 ]
check "the message says what and where" \
  said "Plot file /nonexistent/AllePunten.dat could not be written. No such file or directory."
check "the output is as it was" holds out.txt "earlier output"
check "the picture is as it was" holds p.png "earlier picture"
check "no temporary is left" no_temporaries

# 6. A replaced output keeps its owner and mode (links and modes without
# root: trackio/tests/file_io_test.cpp).
begin owners
if [ "$(id -u)" = 0 ]; then
  printf 'x\n' > theirs.txt
  chown 65534:65534 theirs.txt
  chmod 600 theirs.txt
  run in.txt theirs.txt
  check "another user's private file stays theirs and private" \
    [ "$status" = 0 -a "$(stat -c %u:%g:%a theirs.txt)" = 65534:65534:600 ]
  # Run as that user on a file of root's it may write: the owner cannot be
  # given back after a rename, so the file is rewritten in place.
  printf 'x\n' > roots.txt
  chmod 666 roots.txt
  chmod 777 .
  setpriv --reuid=65534 --regid=65534 --clear-groups "$cli" --input-format xy in.txt roots.txt \
    >std.out 2>std.err
  status=$?
  check "as another user, root's file stays root's" \
    [ "$status" = 0 -a "$(stat -c %u:%a roots.txt)" = 0:666 -a -s roots.txt ]
else
  skip "changing owners and running as another user need root"
fi
check "no temporary is left" no_temporaries

# 7. SIGINT, SIGTERM and SIGHUP during the run remove its temporaries and
# leave the earlier output; the output is staged while the picture draws.
for signal in INT TERM HUP; do
  begin "signal-$signal"
  no_pictures && continue  # the picture is what keeps the run busy long enough
  mkdir tmp
  # A shell starts background commands with SIGINT ignored; undo that.
  TMPDIR="$PWD/tmp" env --default-signal="$signal" "$cli" --input-format xy --plot-image p.png --plot-size 6000x6000 \
    in.txt out.txt >std.out 2>std.err &
  pid=$!
  for _ in $(seq 1000); do
    [ -n "$(find . -name '.oru-*')" ] && break
    sleep 0.01
  done
  kill -s "$signal" "$pid"
  wait "$pid"
  status=$?
  if [ -e p.png ]; then
    skip "the run ended before the signal"
    continue
  fi
  check "ended by SIG$signal" [ "$status" = $((128 + $(kill -l "$signal"))) ]
  check "the earlier output is intact" holds out.txt "earlier output"
  check "no temporary is left" no_temporaries
done

# 7b. SIGINT during the selection stops the run in order: the earlier output
# stays, nothing is left behind, the message says so and the status is a
# shell's for SIGINT.
begin sigint-selection
awk 'BEGIN { for (i = 0; i < 600000; i++) printf "%d %d\n", i, (i * 7919) % 1009 }' > big.txt
env --default-signal=INT "$cli" --input-format xy --points 200000 big.txt out.txt \
  >std.out 2>std.err &
pid=$!
# Not before the command catches SIGINT (bit 2 of SigCgt): a busy machine
# may take longer to load its libraries than the run takes to start.
for _ in $(seq 1000); do
  mask=$(sed -n 's/^SigCgt:\s*//p' "/proc/$pid/status" 2>/dev/null) || break
  [ -n "$mask" ] && (( 0x$mask & 2 )) && break
  sleep 0.01
done
sleep 0.2
kill -s INT "$pid"
wait "$pid"
status=$?
if [ "$status" = 0 ]; then
  skip "the run ended before the signal"
else
  check "stopped by SIGINT" [ "$status" = 130 ]
  check "says it stopped" said "Stopped; nothing was written."
  check "the earlier output is intact" holds out.txt "earlier output"
  check "no temporary is left" no_temporaries
fi

# 7c. Signals during a GIS run: SIGTERM and SIGHUP while GDAL's driver
# fills its staging folder take the folder with what is in it; SIGINT stops
# in order. The earlier output stays as it was.
# gpx_track FILE N: a GPX track of N points along a meridian with a sway.
gpx_track() {
  awk -v n="$2" 'BEGIN {
    print "<?xml version=\"1.0\"?><gpx version=\"1.1\" creator=\"probe\"><trk><name>big</name><trkseg>"
    for (i = 0; i < n; i++) printf "<trkpt lat=\"%.7f\" lon=\"%.7f\"><ele>%d</ele></trkpt>\n", 54 + i * 1e-5, 4 + 0.001 * sin(i / 50), i % 7
    print "</trkseg></trk></gpx>" }' > "$1"
}
# Long enough for the signal to come while the output is staged; under
# AddressSanitizer every step is slower.
track_points=16000
[ "$sanitized" = ON ] && track_points=4000
for signal in INT TERM HUP; do
  begin "gis-signal-$signal"
  gpx_track big.gpx "$track_points"
  printf 'earlier output\n' > out.gpkg
  env --default-signal="$signal" "$cli" --calculation planar --points $((track_points / 2)) big.gpx \
    out.gpkg >std.out 2>std.err &
  pid=$!
  for _ in $(seq 1000); do
    [ -n "$(find . -name '.oru-*')" ] && break
    sleep 0.01
  done
  sleep 0.1
  kill -s "$signal" "$pid"
  wait "$pid"
  status=$?
  check "no staging folder is left" no_temporaries
  # SIGTERM and SIGHUP after the output was put in place end the process
  # all the same: then it is the new one, whole (a rename is).
  if [ "$status" = 0 ] || ! holds out.gpkg "earlier output"; then
    check "or the new output, whole" [ "$(head -c 15 out.gpkg)" = "SQLite format 3" ]
    skip "the run put its output in place before the signal"
    continue
  fi
  check "ended by SIG$signal" [ "$status" = $((128 + $(kill -l "$signal"))) ]
  [ "$signal" = INT ] && check "says nothing was written" said "Stopped; nothing was written."
done

# 7d. A batch stopped half way says what it wrote; what it wrote is whole.
begin batch-stop
mkdir in
gpx_track in/a.gpx 2000
for name in b c d e; do gpx_track "in/$name.gpx" 8000; done
env --default-signal=INT "$cli" --jobs 1 --calculation planar --points 4000 --output-format gpkg --output-dir out \
  in/a.gpx in/b.gpx in/c.gpx in/d.gpx in/e.gpx >std.out 2>std.err &
pid=$!
for _ in $(seq 1000); do
  [ -e out/a.gpkg ] && break
  sleep 0.01
done
kill -s INT "$pid"
wait "$pid"
status=$?
if [ "$status" = 0 ]; then
  skip "the run ended before the signal"
else
  check "stopped by SIGINT" [ "$status" = 130 ]
  written=$(ls out/*.gpkg | wc -l)
  check "says how many of the five were written" \
    grep -q "^Stopped; $written of 5 files were written, the others were not.$" std.err
  check "names a file not written" grep -q "^in/e.gpx: stopped before it was written$" std.err
  check "no staging folder is left" no_temporaries
fi

# 8. The longest legal file name can be written.
begin long-name
long="$(printf 'n%.0s' $(seq 255))"
run in.txt "$long"
check "a 255-byte output name" [ "$status" = 0 -a -s "$long" ]

# 9, 10. Silent misreads: a sign with a letter, an unknown letter, CR-only
# line ends.
begin misreads
printf '52.5N, 4.5E\n-54.5N, 4.5E\n' > signed.txt
"$cli" signed.txt new.txt >std.out 2>std.err
status=$?
check "a minus sign and a letter are refused" said "Line 2 could not be read."
printf '52.5N, 4.5E\n54.5X, 4.5E\n' > letter.txt
"$cli" letter.txt new.txt >std.out 2>std.err
check "an unknown letter is refused" said "Line 2 could not be read."
printf '0 0\r10 1\r20 0.5\r30 -3\r40 0\r' > mac.txt
run --points 3 mac.txt new.txt
check "CR-only lines are lines" grep -q "from 5 to 3" std.out

# 11. Running out of memory stops the run with its message.
begin memory
if [ "$sanitized" = ON ]; then
  skip "a memory limit cannot hold AddressSanitizer's shadow memory"
else
  for format in xy nmea p190; do
    (ulimit -v 1000000 && exec "$cli" --input-format "$format" /dev/zero out.txt) >std.out 2>std.err
    status=$?
    check "a huge $format input" said "Not enough memory to read /dev/zero."
  done
fi
if [ "$sanitized" != ON ] && ! no_pictures; then
  (ulimit -v 1000000 && exec "$cli" --input-format xy --plot-image p.png --plot-size 20000x20000 \
    in.txt out.txt) >std.out 2>std.err
  status=$?
  check "a huge picture" [ "$status" = 1 -a ! -e p.png ]
  check "says so" grep -q "memory" std.err
  check "the output is as it was" holds out.txt "earlier output"
fi

# 12. Statistics that cannot be printed are a failure, and nothing is
# replaced.
begin stdout
if [ -c /dev/full ]; then
  "$cli" --input-format xy in.txt out.txt >/dev/full 2>std.err
  status=$?
  check "exit 1" [ "$status" = 1 ]
  check "nothing replaced" holds out.txt "earlier output"
  # GIS and navigation runs, one file and many.
  for output in out.gpkg out.rtz "--output-format gpx --output-dir many"; do
    printf 'earlier output\n' > out.gpkg
    # shellcheck disable=SC2086
    "$cli" "$source_dir/data/samples/survey_run.nmea" $output >/dev/full 2>std.err
    status=$?
    check "$output: exit 1" [ "$status" = 1 ]
    check "$output: says why" grep -q "^The statistics could not be written to standard output. No space left on device.$" std.err
  done
  check "nothing replaced" holds out.gpkg "earlier output"
  check "nothing written" [ ! -e out.rtz ]
else
  skip "no /dev/full"
fi

# 13. Values that cannot be used are usage errors, before the input is
# read: a FIFO without a writer would block any read.
begin usage
mkfifo never-written
for args in "--points abc" "--max-deviation 10,5" "--plot-size 640x480"; do
  # shellcheck disable=SC2086
  timeout 20 "$cli" $args never-written out.txt >std.out 2>std.err
  status=$?
  cat std.err >>all.err
  check "$args is a usage error" [ "$status" = 2 ]
  check "with the usage" grep -q "usage: oru-cli" std.err
done
check "the run's text" grep -q "^oru-cli: '10,5' is not a valid floating point value" all.err

# 14. File errors say why.
begin reasons
run missing.txt new.txt
check "the reason after the run's text" \
  said "Input file missing.txt could not be opened. No such file or directory."

# 15. Identical points: a track of length 0 reduces by 0 %.
begin identical
printf '52.5N, 4.5E\n52.5N, 4.5E\n52.5N, 4.5E\n' > same.txt
"$cli" --points 2 same.txt new.txt >std.out 2>std.err
check "0 % from 0 m. to 0 m." grep -q "with 0 % from 0 m. to 0 m." std.out

# Also: only the command's own messages on standard error.
begin quiet
if ! no_pictures; then
env -u XDG_RUNTIME_DIR "$cli" --input-format xy --plot-image p.png --plot-size 64x64 in.txt \
  out.txt >std.out 2>std.err
status=$?
check "nothing on standard error" [ "$status" = 0 -a ! -s std.err ]
fi

echo "probes: $passed passed, $failed failed, $skipped skipped"
[ "$failed" = 0 ]

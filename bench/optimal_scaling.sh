#!/bin/sh
# The optimal selection's scaling table (bench/optimal_scaling), each row
# under a time limit so that one slow row does not hold up the others.
#
#   bench/optimal_scaling.sh BUILD_DIR [POINTS] [REPEATS] [SECONDS_PER_ROW] [ONLY]
set -u
bench="$1/bench/optimal_scaling"
points="${2:-100000}"
repeats="${3:-3}"
limit="${4:-120}"
only="${5:-}"
echo "$((points / 2)) against $points points, medians of $repeats or more (seconds), $(nproc) cores," \
  "load $(cut -d' ' -f1-3 /proc/loadavg)"
echo
echo "| track | criterion | optimal, n/2 | optimal, n | doubling | DP, n | optimal / DP | met |"
echo "|---|---|---|---|---|---|---|---|"
row=0
while :; do
  timeout "$limit" "$bench" --points "$points" --repeats "$repeats" --only "$only" --row "$row"
  status=$?
  [ "$status" -eq 3 ] && break
  [ "$status" -eq 124 ] && echo "over $limit s for all repetitions | | | | | NO |"
  row=$((row + 1))
done

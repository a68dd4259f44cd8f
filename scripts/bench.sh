#!/usr/bin/env bash
# Benchmark of the native fitting (read, fit, report) against the numpy way
# of doing the same (Debian's python3-numpy under /usr/bin/python3). Prints
# the median run by wall-clock seconds (of ORTK_BENCH_RUNS runs for ortk-fit,
# default 5, and ORTK_BENCH_NUMPY_RUNS for numpy, default 3) with its CPU
# seconds and peak memory, and the ratio of the two medians, numpy / ortk-fit.
set -euo pipefail
cd "$(dirname "$0")/.."
out=build/bench
mkdir -p "$out"
runs=${ORTK_BENCH_RUNS:-5}
numpy_runs=${ORTK_BENCH_NUMPY_RUNS:-3}
sizes=(${ORTK_BENCH_SIZES:-1000 100000 1000000})
models=(projective similarity affine poly2 conformal2 poly3)
py=/usr/bin/python3
"$py" -c 'import numpy' || { echo "bench: /usr/bin/python3 has no numpy (install python3-numpy)"; exit 1; }

# Runs a command, prints "wall cpu peakMB" of the run.
measure() {
  /usr/bin/time -f '%e %U %S %M' -o "$out/time.txt" "$@" >"$out/stdout.txt"
  awk '{printf "%.3f %.3f %.1f\n", $1, $2 + $3, $4 / 1024}' "$out/time.txt"
}

# Runs a command count times, prints the "wall cpu peakMB" of the median run
# by wall-clock time (the lower middle one for an even count).
median() {
  local count=$1
  shift
  local r
  for ((r = 0; r < count; r++)); do
    measure "$@"
  done | sort -n -k1,1 | sed -n "$(((count + 1) / 2))p"
}

for size in "${sizes[@]}"; do
  [ -s "$out/points-$size.txt" ] || "$py" tests/tools/make_points.py "$out/points-$size.txt" "$size" 1
done

echo "median of $runs runs (ortk-fit) and $numpy_runs runs (numpy), load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-9s %-11s | %9s %8s %8s | %9s %8s %8s | %7s\n' points model \
  'ortk-fit s' 'cpu s' 'peak MB' 'numpy s' 'cpu s' 'peak MB' 'ratio'
for size in "${sizes[@]}"; do
  for i in "${!models[@]}"; do
    model=${models[$i]}
    native=$(median "$runs" build/native/ortk-fit "$out/points-$size.txt" --model "$model" \
      --report "$out/report-native.txt")
    grep -q "^p1=" "$out/stdout.txt"
    numpy=$(median "$numpy_runs" "$py" scripts/bench_numpy.py "$out/points-$size.txt" $((i + 1)) \
      "$out/report-numpy.txt")
    read -r fw fc fm <<<"$native"
    read -r nw nc nm <<<"$numpy"
    ratio=$(awk -v a="$nw" -v b="$fw" 'BEGIN{ if (b > 0) printf "%.1f", a / b; else print "-" }')
    printf '%-9s %-11s | %9s %8s %8s | %9s %8s %8s | %7s\n' "$size" "$model" "$fw" "$fc" "$fm" \
      "$nw" "$nc" "$nm" "$ratio"
  done
done
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"

#!/usr/bin/env bash
# Fuzzes the control points reader and the number scanner with libFuzzer
# under AddressSanitizer and UBSan for a bounded time (ORTK_FUZZ_SECONDS,
# 60 by default).
set -uo pipefail
out=build/fuzz
mkdir -p "$out/corpus"
sources=(tests/fuzz/control_points_fuzz.cpp transform/number_scan.cpp transform/allocation.cpp
  transform/control_points.cpp transform/platform_files_posix.cpp
  transform/platform_memory_posix.cpp)
clang++ -std=c++17 -O1 -g -I. -Iinclude -ffp-contract=off \
  -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
  "${sources[@]}" -o "$out/control_points_fuzz" || exit 1
cp examples/*.txt "$out/corpus/"
printf '1 2 3 4\n1-2-3-4\n0x10 2 3 4\n' >"$out/corpus/seed-grammar.txt"
printf '1e308 1e-320 -0 .5e+3\r\n+1.e5 2,3;4\n' >"$out/corpus/seed-numbers.txt"
"$out/control_points_fuzz" -max_total_time="${ORTK_FUZZ_SECONDS:-60}" -max_len=4096 \
  -print_final_stats=1 "$out/corpus" 2>"$out/fuzz.log"
status=$?
grep -E 'stat::number_of_executed_units|stat::peak_rss_mb|ERROR|SUMMARY' "$out/fuzz.log"
[ $status -eq 0 ] || { tail -40 "$out/fuzz.log"; exit 1; }

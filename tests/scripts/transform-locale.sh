#!/usr/bin/env bash
# CalculateTransformParams under a German user locale: Wine reads the user
# locale from LC_ALL when a process starts, so the in-process test runs in a
# program started here with that environment.
set -uo pipefail
source scripts/wine-env.sh
output=$(cd "${ORTK_WIN_BUILD:-build/win64}" && ORTK_TRANSFORM_GERMAN_CHILD=1 LC_ALL=de_DE.UTF-8 \
  timeout 300 "$WINE" ortk_win_tests.exe --gtest_filter='TransformGermanLocale.*' 2>&1 | tr -d '\r')
echo "$output" | grep -E '^\[ +(OK|FAILED|SKIPPED|PASSED) |Failure|Which is'
# A crash ends with exit status 0 under Wine: the summary line must be there.
grep -q '^\[  PASSED  \] 1 test' <<<"$output" || { echo "transform-locale: FAILED" && exit 1; }

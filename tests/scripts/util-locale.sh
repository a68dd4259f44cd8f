#!/usr/bin/env bash
# The time texts follow the system default locale even when the user's locale
# differs: the in-process check runs twice, with an English system locale and
# a German user locale and the other way round. Wine takes the system locale
# from LC_CTYPE and the user locale from LC_MESSAGES (here from LANG); the C
# library finds both in build/locales, compiled by scripts/prefix.d/util.sh.
set -uo pipefail
cd "$(dirname "$0")/../.."
source scripts/wine-env.sh
status=0
for pair in en_US:de_DE de_DE:en_US; do
  # A crash ends with exit status 0 under Wine: the summary line must be there.
  output=$(cd build/win64 && env -u LC_ALL LOCPATH="$(pwd)/../locales" TZ=Asia/Tokyo \
    LC_CTYPE="${pair%:*}.UTF-8" LANG="${pair#*:}.UTF-8" timeout 120 "$WINE" ortk_win_tests.exe \
    --gtest_also_run_disabled_tests --gtest_filter=SystemLocale.DISABLED_TimeTexts 2>&1)
  echo "$output"
  grep -q '^\[  PASSED  \] 1 test\.' <<<"$output" ||
    { echo "util-locale: system ${pair%:*}, user ${pair#*:} FAILED" && status=1; }
done
exit $status

#!/usr/bin/env bash
# The About box through ortkcall, driven with real keyboard input on the test
# display: Escape leaves it open, Enter presses its default button OK.
set -uo pipefail
cd "$(dirname "$0")/../.."
source scripts/wine-env.sh
status=0
fail() { echo "splash: $*"; status=1; }

out=$(mktemp)
(cd "${ORTK_WIN_BUILD:-build/win64}" && "$WINE" ortkcall.exe aboutortelan Ortelan 4.0 - "J. Smith" "Survey" >"$out" 2>/dev/null) &
caller=$!
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^About$' | head -1)
if [ -z "$window" ]; then
  fail "the About box did not appear"
  kill $caller 2>/dev/null
else
  xdotool windowfocus --sync "$window" 2>/dev/null
  sleep 0.3
  xdotool key Escape
  sleep 0.5
  kill -0 $caller 2>/dev/null || fail "Escape closed the About box"
  xdotool windowfocus --sync "$window" 2>/dev/null
  xdotool key Return
  for _ in $(seq 50); do kill -0 $caller 2>/dev/null || break; sleep 0.1; done
  if kill -0 $caller 2>/dev/null; then
    fail "Enter did not close the About box"
    kill $caller 2>/dev/null
  fi
fi
wait $caller 2>/dev/null
result=$(tr -d '\r' <"$out")
[ "$result" = "result=0" ] || fail "aboutortelan printed '$result', expected result=0"
rm -f "$out"
[ $status -eq 0 ] && echo "splash: About box answers Enter and ignores Escape"
exit $status

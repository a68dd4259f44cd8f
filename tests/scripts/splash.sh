#!/usr/bin/env bash
# The About box through ortkcall, driven with real keyboard input on the test
# display: Escape leaves it open, Enter presses its default button OK.
set -uo pipefail
source "$(dirname "$0")/pickers-session.inc"

start_picker About 440 214 aboutortelan Ortelan 4.0 - "J. Smith" Survey || exit 1
xdotool windowfocus --sync "$window" 2>/dev/null
xdotool key Escape
sleep 0.5
kill -0 "$picker_pid" 2>/dev/null || fail "Escape closed the About box"
xdotool windowfocus --sync "$window" 2>/dev/null
xdotool key Return
expect_output "About box: Escape ignored, Enter pressed OK" "result=0" "$(finish_picker)"
end_session

#!/usr/bin/env bash
# The test display has no window manager. Wine waits up to two seconds for one
# whenever a managed window (a dialog with a modal frame, a captioned window)
# is hidden or destroyed; the in-process dialog tests open and close hundreds
# of boxes, so their windows are left unmanaged: Wine places them and draws
# their frames itself.
#
# The server is left running on purpose: the prefix's background services,
# started here with their output on /dev/null, stay up for the test run. Were
# they started by the first test program instead, they would inherit the test
# runner's output pipe and keep it open after that program ends.
set -euo pipefail
source "$(dirname "$0")/../wine-env.sh"
"$WINE" reg add 'HKCU\Software\Wine\AppDefaults\ortk_gui_tests.exe\X11 Driver' \
  /v Managed /d N /f >/dev/null 2>&1 </dev/null

#!/usr/bin/env bash
# Settings of the test prefix that the Windows tests rely on. Extended by the
# suites that need drives, folders or registry keys of their own.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
# A program that crashes must end and fail its suite, not wait on Wine's crash
# dialog.
"$WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
  >/dev/null 2>&1 </dev/null
for script in "$(dirname "$0")"/prefix.d/*.sh; do
  [ -e "$script" ] && bash "$script"
done
exit 0

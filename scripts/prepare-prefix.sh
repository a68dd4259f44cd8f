#!/usr/bin/env bash
# Settings of the test prefix that the Windows tests rely on. Extended by the
# suites that need drives, folders or registry keys of their own.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
for script in "$(dirname "$0")"/prefix.d/*.sh; do
  [ -e "$script" ] && bash "$script"
done
exit 0

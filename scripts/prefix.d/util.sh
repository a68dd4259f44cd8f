#!/usr/bin/env bash
# What the util tests need outside Windows' reach:
# - C:\ortk-util\read-only folder, a directory whose Unix mode lacks write
#   permission, which Wine reports with the read-only attribute (Wine does not
#   set that attribute on a directory itself);
# - German and English locales compiled into build/locales, so that a test
#   can start a process whose user locale differs from the system default
#   locale (Wine takes the system locale from LC_CTYPE and the user locale from
#   LC_MESSAGES, but only when the C library knows both locales).
set -uo pipefail
source "$(dirname "$0")/../wine-env.sh"

folder="$WINEPREFIX/drive_c/ortk-util/read-only"
mkdir -p "$folder"
chmod 0555 "$folder"

locales="$(dirname "$WINEPREFIX")/locales"
mkdir -p "$locales"
for name in en_US de_DE; do
  if [ ! -f "$locales/$name.UTF-8/LC_CTYPE" ]; then
    localedef -i "$name" -f UTF-8 "$locales/$name.UTF-8" >/dev/null 2>&1 ||
      echo "prefix.d/util.sh: cannot compile the $name locale (is the locales package installed?)"
  fi
done


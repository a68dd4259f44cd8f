# Sourced by the scripts that run Windows programs: a quiet, private Wine
# prefix inside the build tree.
if [ -z "${WINEPREFIX:-}" ]; then
  export WINEPREFIX="$(pwd)/build/wineprefix"
  # Debian's wineserver makes its socket folder, wine-XXXXXX, under TMPDIR and
  # leaves it there when it ends: inside the build tree it goes with the build.
  # (The 32-bit machine sets its own prefix; its /tmp is a tmpfs, and its
  # build tree a 9p share, which refuses sockets.)
  export TMPDIR="$(pwd)/build/tmp"
  mkdir -p "$TMPDIR"
fi
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
# ORTK_WINE names another loader: the 32-bit machine sets /usr/lib/wine/wine.
export WINE="${ORTK_WINE:-/usr/lib/wine/wine64}"
export LC_ALL="${ORTK_TEST_LOCALE:-C.UTF-8}"

wine_prefix_ready() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    "$WINE" wineboot -i >/dev/null 2>&1 || true
    wineserver -w
  fi
}

# Starts Xvfb on a display number it picks itself and exports DISPLAY. The
# caller stops it (and the wineserver that used it) with stop_private_display,
# usually from its EXIT trap.
start_private_display() {
  private_display_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$private_display_file" \
    >/dev/null 2>&1 &
  private_xvfb_pid=$!
  for _ in $(seq 100); do
    [ -s "$private_display_file" ] && break
    sleep 0.1
  done
  [ -s "$private_display_file" ] || return 1
  export DISPLAY=":$(head -1 "$private_display_file")"
}

stop_private_display() {
  wineserver -k 2>/dev/null
  [ -n "${private_xvfb_pid:-}" ] && kill "$private_xvfb_pid" 2>/dev/null
  rm -f "${private_display_file:-}"
}

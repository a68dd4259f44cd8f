# Sourced by the scripts that run Windows programs: a quiet, private Wine
# prefix inside the build tree.
export WINEPREFIX="${WINEPREFIX:-$(pwd)/build/wineprefix}"
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

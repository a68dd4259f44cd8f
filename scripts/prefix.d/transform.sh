#!/usr/bin/env bash
# Starts the persistent wineserver and the prefix's services now, with their
# output going nowhere. Wine starts the services from the first program that
# runs under a fresh server, and they inherit its standard output: if that
# program is the first test under ctest, ctest waits on the pipe until its
# timeout.
wineserver -p >/dev/null 2>&1 || true
"$WINE" cmd /c exit >/dev/null 2>&1 || true

#!/usr/bin/env bash
# Runs one Winelib program under Wine in a private prefix of its own.
#   wine-test.sh PREFIX_DIR PROGRAM [ARGS...]
# Creates PREFIX_DIR afresh, runs the program, then ends exactly this
# prefix's wineserver and removes the prefix, also when the program fails.
# Exits with the program's exit code.
set -u
prefix=$1; shift
program=$1; shift

export WINEPREFIX=$prefix
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  # wineserver -k returns before the server has gone; wait for it.
  wineserver -w >/dev/null 2>&1 || true
  rm -rf "$prefix"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

rm -rf "$prefix"
mkdir -p "$(dirname "$prefix")"
wineboot -i >/dev/null 2>&1 || { echo "wine-test: could not create the prefix $prefix" >&2; exit 1; }
wine "$program" "$@"

#!/usr/bin/env bash
# The prepared Wine prefix that the Winelib tests of one ctest run share (the
# ctest fixture of cmake/WinelibHelpers.cmake):
#
#   wine-prefix.sh up DIR [DLL...]   makes the prefix DIR/prefix, starts its
#                                    wineserver (kept running; process id in
#                                    DIR/wineserver.pid) and registers each DLL
#                                    with Wine's regsvr32 (the DLL's folder
#                                    goes on WINEDLLPATH)
#   wine-prefix.sh down DIR          ends exactly that wineserver, with every
#                                    Wine process of the prefix, and removes DIR
#
# A test uses the prefix with WINEPREFIX=DIR/prefix.  "up" first ends what an
# interrupted earlier run may have left, and ends what it started itself when
# it fails.  The prefix is a copy of a new prefix made once for the installed
# Wine (DIR-template, made again when the Wine version changes), so that the
# tests of every run start from the same clean registry.
set -u
source "$(dirname "$0")/lib.sh"

[ $# -ge 2 ] || { echo "usage: wine-prefix.sh up DIR [DLL...] | down DIR" >&2; exit 2; }
verb=$1 dir=$2
shift 2
export WINEPREFIX=$dir/prefix
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

down() {
  [ -f "$dir/wineserver.pid" ] && lumo_stop_wineserver "$(cat "$dir/wineserver.pid")"
  rm -rf "$dir"
}

case $verb in
  down) down; exit 0 ;;
  up) ;;
  *) echo "wine-prefix: unknown verb $verb" >&2; exit 2 ;;
esac

# Makes the template: a new prefix whose wineserver has ended, so that its
# registry is on disk.  Wine's own programs started now (services, the
# desktop) write to the log, never to the caller's output, which ctest reads
# to its end.
make_template() {
  local template=$dir-template version
  version=$(wine --version)
  [ "$(cat "$template/wine-version" 2>/dev/null)" = "$version" ] && return 0
  rm -rf "$template"
  mkdir -p "$template"
  WINEPREFIX=$template/prefix lumo_start_wineserver "$template/wineserver.log" || return 1
  WINEPREFIX=$template/prefix wineboot -i >>"$template/wine.log" 2>&1
  local status=$?
  WINEPREFIX=$template/prefix lumo_stop_wineserver "$LUMO_WINESERVER_PID"
  [ $status -eq 0 ] || { cat "$template/wine.log" >&2; rm -rf "$template"; echo "wine-prefix: wineboot failed" >&2; return 1; }
  echo "$version" >"$template/wine-version"
}

down
make_template || exit 1
mkdir -p "$dir"
trap 'status=$?; [ $status -eq 0 ] || { cat "$dir/wine.log" 2>/dev/null >&2; down; }' EXIT
cp -a "$dir-template/prefix" "$WINEPREFIX"
lumo_start_wineserver "$dir/wineserver.log" || exit 1
echo "$LUMO_WINESERVER_PID" >"$dir/wineserver.pid"
for dll in "$@"; do
  dll=$(cd "$(dirname "$dll")" && pwd)/$(basename "$dll")
  export WINEDLLPATH="$(dirname "$dll")${WINEDLLPATH:+:$WINEDLLPATH}"
  wine 'C:\windows\system32\regsvr32.exe' /s "Z:${dll//\//\\}" >>"$dir/wine.log" 2>&1 ||
    { echo "wine-prefix: regsvr32 could not register $dll" >&2; exit 1; }
done
# The server keeps the registry in memory; ending it writes the registry out,
# so that the prefix can be copied (wine-test.sh --own-prefix).  The server
# the tests share is started afresh.
lumo_stop_wineserver "$LUMO_WINESERVER_PID"
lumo_start_wineserver "$dir/wineserver.log" || exit 1
echo "$LUMO_WINESERVER_PID" >"$dir/wineserver.pid"

#!/usr/bin/env bash
# Runs one Winelib program under Wine.
#   wine-test.sh [--own-prefix DIR] [--register DLL]... [--dllpath DIR]... [--expect FILE] PROGRAM [ARGS...]
# By default the program runs in the prefix named by WINEPREFIX: the prepared
# prefix that the tests of a ctest run share (scripts/wine-prefix.sh), whose
# wineserver keeps running.  Exits with the program's exit code.
#
#   --own-prefix DIR  runs in a prefix of the program's own instead: DIR is
#                     made a copy of the prepared prefix and gets a wineserver
#                     of its own, which is ended (by process id, with the
#                     prefix's Wine processes) and DIR removed when the
#                     program ends, also when it fails
#   --register DLL    puts the DLL's folder on WINEDLLPATH (the folder must
#                     hold NAME.dll.so next to its stub NAME.dll) and
#                     registers the DLL with Wine's regsvr32 first
#   --dllpath DIR     puts DIR on WINEDLLPATH without registering anything
#   --expect FILE     compares the program's whole standard output (carriage
#                     returns removed) with FILE; a difference fails the run
#                     and is shown
#
# PROGRAM is a Winelib program (NAME.exe.so) or a Wine program name such as
# cscript, which is run from the prefix's system folder.  Its output goes
# through files, so that no Wine process it leaves running holds the
# caller's output open.
set -u
source "$(dirname "$0")/lib.sh"

registers=()
expect=
own=
while [ $# -gt 0 ]; do
  case $1 in
    --own-prefix) own=$2; shift 2 ;;
    --register) registers+=("$2"); shift 2 ;;
    --dllpath) export WINEDLLPATH="$(cd "$2" && pwd)${WINEDLLPATH:+:$WINEDLLPATH}"; shift 2 ;;
    --expect) expect=$2; shift 2 ;;
    --) shift; break ;;
    -*) echo "wine-test: unknown option $1" >&2; exit 2 ;;
    *) break ;;
  esac
done
[ $# -ge 1 ] || { echo "usage: wine-test.sh [options] PROGRAM [ARGS...]" >&2; exit 2; }
[ -d "${WINEPREFIX:-}/drive_c" ] || { echo "wine-test: WINEPREFIX names no prepared prefix" >&2; exit 2; }
program=$1; shift
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

work=$(mktemp -d)
cleanup() {
  [ -n "$own" ] && { lumo_stop_wineserver "$LUMO_WINESERVER_PID"; rm -rf "$own"; }
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

if [ -n "$own" ]; then
  rm -rf "$own"
  mkdir -p "$(dirname "$own")"
  cp -a "$WINEPREFIX" "$own" || exit 1
  export WINEPREFIX=$own
  lumo_start_wineserver "$work/wineserver.log" || exit 1
fi

# Wine looks a program name up in the current folder first: run from the
# prefix so that no file of the build shadows a system program.
cd "$WINEPREFIX" || exit 1
system32='C:\windows\system32'

for dll in "${registers[@]}"; do
  dll=$(cd "$(dirname "$dll")" && pwd)/$(basename "$dll")
  export WINEDLLPATH="$(dirname "$dll")${WINEDLLPATH:+:$WINEDLLPATH}"
  if ! wine "$system32\\regsvr32.exe" /s "Z:${dll//\//\\}" >"$work/out" 2>&1; then
    cat "$work/out" >&2
    echo "wine-test: regsvr32 could not register $dll" >&2
    exit 1
  fi
done

case $program in
  */*) ;;                                 # a Winelib program by its path
  *) program="$system32\\$program.exe" ;; # a program of Wine's own
esac

wine "$program" "$@" >"$work/out" 2>"$work/err" </dev/null
status=$?
cat "$work/err" >&2
if [ -z "$expect" ]; then
  cat "$work/out"
  exit $status
fi
if ! diff -u "$expect" <(tr -d '\r' <"$work/out") >&2; then
  echo "wine-test: the output differs from $expect" >&2
  exit 1
fi
exit $status

#!/usr/bin/env bash
# Runs one Winelib program under Wine in a private prefix of its own.
#   wine-test.sh [--register DLL]... [--dllpath DIR]... [--expect FILE] PREFIX_DIR PROGRAM [ARGS...]
# Creates PREFIX_DIR afresh, runs the program, then ends exactly this
# prefix's wineserver and removes the prefix, also when the program fails.
# Exits with the program's exit code.
#
#   --register DLL  puts the DLL's folder on WINEDLLPATH (the folder must hold
#                   NAME.dll.so next to its stub NAME.dll) and registers the
#                   DLL with Wine's regsvr32 before the program runs
#   --dllpath DIR   puts DIR on WINEDLLPATH without registering anything
#   --expect FILE   compares the program's whole standard output (carriage
#                   returns removed) with FILE; a difference fails the run
#                   and is shown
#
# PROGRAM is a Winelib program (NAME.exe.so) or a Wine program name such as
# cscript, which is run from the prefix's system folder.
set -u

registers=()
expect=
while [ $# -gt 0 ]; do
  case $1 in
    --register) registers+=("$2"); shift 2 ;;
    --dllpath) export WINEDLLPATH="$(cd "$2" && pwd)${WINEDLLPATH:+:$WINEDLLPATH}"; shift 2 ;;
    --expect) expect=$2; shift 2 ;;
    --) shift; break ;;
    -*) echo "wine-test: unknown option $1" >&2; exit 2 ;;
    *) break ;;
  esac
done
if [ $# -lt 2 ]; then
  echo "usage: wine-test.sh [--register DLL]... [--dllpath DIR]... [--expect FILE] PREFIX_DIR PROGRAM [ARGS...]" >&2
  exit 2
fi
prefix=$1; shift
program=$1; shift

export WINEPREFIX=$prefix
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

output=
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  # wineserver -k returns before the server has gone; wait for it.
  wineserver -w >/dev/null 2>&1 || true
  rm -rf "$prefix"
  [ -n "$output" ] && rm -f "$output"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# The Windows form of an absolute Unix path, as Wine shows it (Z:\...).
windows_path() { local p=$1; printf 'Z:%s' "${p//\//\\}"; }

rm -rf "$prefix"
mkdir -p "$(dirname "$prefix")"
wineboot -i >/dev/null 2>&1 || { echo "wine-test: could not create the prefix $prefix" >&2; exit 1; }

# Wine looks a program name up in the current folder first: run from the
# prefix so that no file of the build shadows a system program.
cd "$prefix" || exit 1
system32='C:\windows\system32'

for dll in "${registers[@]}"; do
  dll=$(cd "$(dirname "$dll")" && pwd)/$(basename "$dll")
  export WINEDLLPATH="$(dirname "$dll")${WINEDLLPATH:+:$WINEDLLPATH}"
  if ! wine "$system32\\regsvr32.exe" /s "$(windows_path "$dll")"; then
    echo "wine-test: regsvr32 could not register $dll" >&2
    exit 1
  fi
done

case $program in
  */*) ;;                                 # a Winelib program by its path
  *) program="$system32\\$program.exe" ;; # a program of Wine's own
esac

if [ -z "$expect" ]; then
  wine "$program" "$@"
  exit $?
fi

output=$(mktemp)
wine "$program" "$@" >"$output"
status=$?
if ! diff -u "$expect" <(tr -d '\r' <"$output") >&2; then
  echo "wine-test: the output differs from $expect" >&2
  exit 1
fi
exit $status

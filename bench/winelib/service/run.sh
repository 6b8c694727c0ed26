#!/usr/bin/env bash
# Runs bench_service against a private Naming Service and one reference
# server (both stopped by process id when it ends), with the module
# registered in a Wine prefix of its own (scripts/wine-prefix.sh, ended and
# removed when it ends).
#
#   bench/winelib/service/run.sh [NATIVE_BUILD_DIR] [benchmark options...]
#
# NATIVE_BUILD_DIR defaults to build/ (the Winelib tree is its winelib/).
set -euo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
build=$root/build
if [ $# -gt 0 ] && [ "${1#-}" = "$1" ]; then build=$(cd "$1" && pwd); shift; fi
winelib=$build/winelib
export LUMO_BUILD_DIR=$build
wine=$winelib/bench_service/wine
"$root/scripts/wine-prefix.sh" up "$wine" "$winelib/bin/LumoCommentary.dll"
trap '"$root/scripts/wine-prefix.sh" down "$wine"' EXIT
WINEPREFIX=$wine/prefix "$root/scripts/with-services.sh" --servers 1 --dir "$winelib/bench_service/services" -- \
  "$root/scripts/wine-test.sh" --dllpath "$winelib/bin" "$winelib/bin/bench_service.exe.so" "$@"

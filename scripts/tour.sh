#!/usr/bin/env bash
# Sets everything up and runs the main job: a tour of the commentary service.
#
#   scripts/tour.sh          the VBScript tour (examples/tour.vbs)
#   scripts/tour.sh --js     the JScript tour (examples/tour.js)
#
# Installs what is missing, builds, starts a private Naming Service and a
# reference commentary server (SQLite in data/), registers the module in a
# private Wine prefix (build/wineprefix-tour) and runs the tour through the
# host program.  Everything it starts is stopped when it ends.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
cd "$LUMO_ROOT"

script=examples/tour.vbs
[ "${1:-}" = "--js" ] && script=examples/tour.js

lumo_install_packages
lumo_build "$LUMO_BUILD_DIR"

data=$LUMO_ROOT/data
mkdir -p "$data"
trap 'lumo_stop_wine; lumo_stop_started' EXIT

lumo_log "Starting a Naming Service and a commentary server"
lumo_start_naming "$data/naming"
[ -s "$data/token-secret" ] || lumo_make_secret "$data/token-secret"
lumo_start_server tour-server "$data/commentary.db" "$data/token-secret" "$data/logs"

lumo_prepare_wine "$LUMO_BUILD_DIR/wineprefix-tour"

lumo_log "Running $script"
wine "$LUMO_WINE_BIN/lumo_host.exe.so" --naming "$LUMO_NAMING" --token-secret-file "$data/token-secret" \
  --user "${USER:-tour}" "$script"

#!/usr/bin/env bash
# Sets everything up and runs the main job: a tour of the commentary service.
#
#   scripts/tour.sh [--js] [--tls] [--no-build]
#
#   --js        the JScript tour (examples/tour.js) instead of the VBScript one
#               (examples/tour.vbs)
#   --tls       module and server talk TLS only: a throw-away CA and server
#               certificate are made in data/tls, the server runs --tls-only
#               and the host program checks it against the CA
#               (LUMO_TLS_CA_FILE)
#   --no-build  use what is built already (no package check, no build)
#
# Installs what is missing, builds, starts a private Naming Service and a
# reference commentary server (SQLite in data/, or $LUMO_DATA_DIR), registers
# the module in a private Wine prefix (build/wineprefix-tour, or
# $LUMO_WINE_PREFIX) and runs the tour through the host program.  Everything it starts is stopped when it ends.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
cd "$LUMO_ROOT"

script=examples/tour.vbs tls=0 build=1
for option in "$@"; do
  case $option in
    --js) script=examples/tour.js ;;
    --tls) tls=1 ;;
    --no-build) build=0 ;;
    *) echo "tour.sh: unknown option $option" >&2; exit 2 ;;
  esac
done

if [ "$build" = 1 ]; then
  lumo_install_packages
  lumo_build "$LUMO_BUILD_DIR"
fi

data=${LUMO_DATA_DIR:-$LUMO_ROOT/data}
mkdir -p "$data"
trap 'lumo_stop_wine; lumo_stop_started' EXIT

lumo_log "Starting a Naming Service and a commentary server"
lumo_start_naming "$data/naming"
[ -s "$data/token-secret" ] || lumo_make_secret "$data/token-secret"
server_options=()
if [ "$tls" = 1 ]; then
  lumo_make_tls "$data/tls"
  server_options=(--tls-only --tls-cert "$data/tls/server.pem" --tls-key "$data/tls/server.key")
  export LUMO_TLS_CA_FILE=$data/tls/ca.pem
fi
lumo_start_server tour-server "$data/commentary.db" "$data/token-secret" "$data/logs" "${server_options[@]}"

lumo_prepare_wine "${LUMO_WINE_PREFIX:-$LUMO_BUILD_DIR/wineprefix-tour}"

lumo_log "Running $script"
wine "$LUMO_WINE_BIN/lumo_host.exe.so" --naming "$LUMO_NAMING" --token-secret-file "$data/token-secret" \
  --user "${USER:-tour}" "$script"

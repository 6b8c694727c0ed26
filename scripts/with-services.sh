#!/usr/bin/env bash
# Runs a command with a private Naming Service and commentary servers:
#
#   with-services.sh [--servers N] [--dir DIR] [--server-option OPT]... -- COMMAND [ARGS...]
#
# Starts omniNames and N reference servers (default 2) on free ports of
# 127.0.0.1, all sharing one SQLite file, runs the command with these in its
# environment, then stops exactly the processes it started (also when the
# command fails) and exits with the command's status:
#
#   LUMO_NAMING              corbaloc of the Naming Service
#   LUMO_TOKEN_SECRET_FILE   the logon secret the servers check
#   LUMO_TEST_SERVER_NAMES   the servers' names, blank-separated
#   LUMO_TEST_SERVER_PIDS    their process ids, in the same order
#   LUMO_TEST_REQUEST_LOGS   their request logs (one line per request received)
#   LUMO_TEST_DATABASE       the SQLite file
#
# LUMO_BUILD_DIR names the build folder that holds bin/lumo_commentary_server.
set -euo pipefail
source "$(dirname "$0")/lib.sh"

count=2
dir=
server_options=()
while [ $# -gt 0 ]; do
  case $1 in
    --servers) count=$2; shift 2 ;;
    --dir) dir=$2; shift 2 ;;
    --server-option) server_options+=("$2"); shift 2 ;;
    --) shift; break ;;
    *) echo "with-services: unknown option $1" >&2; exit 2 ;;
  esac
done
[ $# -gt 0 ] || { echo "with-services: no command given" >&2; exit 2; }
[ -n "$dir" ] || dir=$(mktemp -d /tmp/lumo-services.XXXXXX)
rm -rf "$dir"
mkdir -p "$dir"
trap 'lumo_stop_started' EXIT

lumo_start_naming "$dir/naming"
lumo_make_secret "$dir/token-secret"
names=() pids=() logs=()
for i in $(seq "$count"); do
  name=server-$i
  lumo_start_server "$name" "$dir/commentary.db" "$dir/token-secret" "$dir/logs" "${server_options[@]}"
  names+=("$name"); pids+=("${LUMO_PIDS[-1]}"); logs+=("$dir/logs/$name.requests")
done

export LUMO_TOKEN_SECRET_FILE=$dir/token-secret
export LUMO_TEST_SERVER_NAMES="${names[*]}"
export LUMO_TEST_SERVER_PIDS="${pids[*]}"
export LUMO_TEST_REQUEST_LOGS="${logs[*]}"
export LUMO_TEST_DATABASE=$dir/commentary.db

status=0
"$@" || status=$?
exit $status

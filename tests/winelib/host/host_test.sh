#!/usr/bin/env bash
# The examples and the host program lumo_host, run as a person runs them:
#
#   host_test.sh WINELIB_BIN_DIR WORK_DIR readme|cases|tour-tls
#
# readme: the README's "Using it by hand" (folders in WORK_DIR, a copy of the
# prepared prefix).  cases: in the prepared prefix (WINEPREFIX), against the
# servers of scripts/with-services.sh.  tour-tls: scripts/tour.sh --tls.
# Stops what it started, also on failure; exits 1 when a case failed.
set -u
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../../.." && pwd)
export LUMO_WINE_BIN=$(cd "$1" && pwd)
work=$2 part=$3
source "$root/scripts/lib.sh"
rm -rf "$work"
mkdir -p "$work"
trap 'lumo_stop_started' EXIT

failures=0
fail() {
  echo "FAILED: $*" >&2
  failures=$((failures + 1))
}

# A tour's output with what changes from run to run masked: the document
# name, the times, and the comment ids (numbered in order of appearance).
mask() {
  python3 -c '
import re, sys
lines = sys.stdin.read().replace("\r", "").splitlines()
document = lines[0][len("Document "):] if lines and lines[0].startswith("Document ") else None
ids = {}
for line in lines:
    line = line.replace(document, "<document>") if document else line
    line = re.sub(r"[A-Z][a-z]{2} \d{2} \d{4} \d{2}:\d{2}:\d{2}", "<time>", line)
    print(re.sub(r"#(\d+)", lambda m: "#" + ids.setdefault(m.group(1), str(len(ids) + 1)), line))'
}

# expect STATUS STREAM LINES TEXT ARGS...: runs lumo_host with ARGS (output
# in $work/out and $work/err, carriage returns removed) and checks its exit
# status and the given lines (a sed address) of STREAM, out or err.
expect() {
  local status=$1 stream=$2 lines=$3 text=$4
  shift 4
  wine "$LUMO_WINE_BIN/lumo_host.exe.so" "$@" >"$work/out.raw" 2>"$work/err.raw"
  local rc=$?
  tr -d '\r' <"$work/out.raw" >"$work/out"
  tr -d '\r' <"$work/err.raw" >"$work/err"
  [ "$rc" -eq "$status" ] || fail "'$*' exited with $rc, not $status: $(cat "$work/err")"
  [ "$(sed -n "${lines}p" "$work/$stream")" = "$text" ] || fail "'$*' printed to $stream: $(cat "$work/$stream")"
}

# recorded FILE TEXT...: the TEXTs found in FILE as UTF-8 or UTF-16 (either
# order), one a line.
recorded() {
  python3 -c 'import sys; data = open(sys.argv[1], "rb").read()
print("\n".join(t for t in sys.argv[2:] if any(t.encode(e) in data for e in ("utf-8", "utf-16-le", "utf-16-be"))))' "$@"
}

case $part in
readme)
  # The README's commands, run from the source folder.
  sed -n '/^## Using it by hand/,/^```$/p' "$root/README.md" | sed '1,/^```sh$/d;$d' |
    sed -e "s|/tmp/lumo|$work/lumo|g" -e "s|\"\$PWD/build/wineprefix\"|\"$work/wineprefix\"|" \
        -e "s|build/winelib/bin|$LUMO_WINE_BIN|g" >"$work/readme.sh"
  cp -a "$WINEPREFIX" "$work/wineprefix"
  (cd "$root" && bash -c 'trap "lumo_stop_wine; lumo_stop_started" EXIT; source "$0"' "$work/readme.sh") \
    >"$work/out" 2>"$work/err" || fail "the README's commands: $(cat "$work/err")"
  mask <"$work/out" | diff -u - <(cat "$here/tour.expected" "$here/cpp_client.expected") >&2 ||
    fail "the README's commands printed something else"
  rm -rf "$work/wineprefix"
  ;;
cases)
  usage='usage: lumo_host [options] SCRIPT'
  expect 0 err '1,$' "" "$root/examples/tour.js"
  mask <"$work/out" | diff -u "$here/tour.expected" - >&2 || fail "tour.js printed another tour"
  expect 1 out '1,$' "before the error" "$here/broken.vbs"
  grep -q "^$here/broken.vbs(3,9): " "$work/err" || fail "no '<file>(<line>,<column>): ' error line: $(cat "$work/err")"
  expect 0 out 1 "$usage" --help
  expect 2 err '1p;3' "lumo_host: no script given"$'\n'"$usage"
  expect 2 err '1p;3' "lumo_host: unknown option --bogus"$'\n'"$usage" --bogus tour.vbs
  (umask 077 && echo "not the servers' secret" >"$work/wrong-secret")
  expect 0 out '1,$' "5 401 CMNTRY 202 Logon token invalid" --token-secret-file "$work/wrong-secret" "$here/wrong_secret.vbs"

  # Another user may not modify alice's comment: the script gets the error
  # response object.  alice's run is traced: the trace file is private and
  # holds her token masked, never whole.
  LUMO_TRACE_FILE=$work/trace LUMO_TRACE_LEVEL=0 expect 0 out '1,$' "3 0 success" --user alice "$here/modify_first.vbs"
  [ "$(stat -c %a "$work/trace")" = 600 ] || fail "the trace file has mode $(stat -c %a "$work/trace")"
  grep -q '"logonToken":"LT1:alic\.\.\."' "$work/trace" || fail "no masked token in the trace: $(cat "$work/trace")"
  grep -Eq '[0-9a-f]{64}' "$work/trace" && fail "a token signature is in the trace: $(cat "$work/trace")"
  expect 0 out '1,$' "5 403 CMNTRY 211 Not allowed: comment <id> belongs to another user" --user bob "$here/modify_first.vbs"

  # TLS on the wire, seen by a recording relay between the module and a server
  # that publishes the relay's address in its IOR.  Without TLS the token and
  # the comment text are in the recording (the check can fail); with TLS neither.
  lumo_make_tls "$work/tls"
  for tls in off on; do
    port=$(lumo_free_port) relay=$(lumo_free_port) bytes=$work/relay-$tls.bytes
    python3 "$here/relay.py" "$relay" "$port" "$bytes" &
    LUMO_PIDS+=($!)
    lumo_wait_port "$relay" || fail "the relay did not start"
    if [ $tls = on ]; then
      options=(--tls-only --tls-cert "$work/tls/server.pem" --tls-key "$work/tls/server.key"
               --tls-endpoint "giop:ssl:127.0.0.1:$port" -ORBendPointPublish "giop:ssl:127.0.0.1:$relay")
      export LUMO_TLS_CA_FILE=$work/tls/ca.pem
    else
      options=(--endpoint "giop:tcp:127.0.0.1:$port" -ORBendPointPublish "giop:tcp:127.0.0.1:$relay")
    fi
    lumo_start_server "relayed-$tls" "$work/relayed.db" "$LUMO_TOKEN_SECRET_FILE" "$work/logs" --cluster "Relayed-$tls" \
      "${options[@]}" || fail "the TLS $tls server did not start"
    expect 0 out '1,$' "1 0 success" --cluster "Relayed-$tls" --user relayed "$here/wrong_secret.vbs"
    unset LUMO_TLS_CA_FILE
    [ -s "$bytes" ] || fail "nothing went through the relay with TLS $tls"
    [ "$(stat -c %a "$work/logs/relayed-$tls.requests")" = 600 ] || fail "the request log is not private"
    found=$(recorded "$bytes" "LT1:relayed:" "refused or not")
    if [ $tls = on ]; then [ -z "$found" ] || fail "'$found' crossed the wire in clear with TLS on"
    else [ "$found" = $'LT1:relayed:\nrefused or not' ] || fail "with TLS off the recording holds only '$found': the check is blind"; fi
  done
  ;;
tour-tls)
  # The tour with TLS on, as a person runs it (the server accepts TLS only).
  cp -a "$WINEPREFIX" "$work/tour-prefix"
  LUMO_DATA_DIR=$work/tour-data LUMO_WINE_PREFIX=$work/tour-prefix "$root/scripts/tour.sh" --tls --no-build \
    >"$work/tour.raw" 2>"$work/err" || fail "scripts/tour.sh --tls failed: $(cat "$work/err")"
  mask <"$work/tour.raw" | diff -u "$here/tour.expected" - >&2 || fail "scripts/tour.sh --tls printed another tour"
  rm -rf "$work/tour-prefix"
  ;;
esac

[ "$failures" -eq 0 ] && echo "host $part: all cases passed"
[ "$failures" -eq 0 ]

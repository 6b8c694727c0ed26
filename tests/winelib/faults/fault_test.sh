#!/usr/bin/env bash
# Faults around a report script that adds comments through the registered
# module (the host program running adds.vbs); each case starts its own
# omniNames and reference servers (one SQLite file, free ports on 127.0.0.1,
# stopped by process id):
#   restart  the only server is killed and restarted (about 1 s down) during
#            300 adds: no call fails, none is lost, none is stored twice
#   lock     the database is locked from outside for 30 s: every call ends
#            within the call deadline plus 2 s with the 503 error response,
#            and nothing is stored later
#   freeze   the server in use (of two) is stopped with SIGSTOP for 12 s:
#            calls move to the other within one attempt timeout (plus its wait
#            for the database the frozen one may hold); nothing stored twice
#   naming   the Naming Service is killed, then the server in use (of two),
#            during 300 adds: no call fails
# Usage: fault_test.sh WINELIB_BIN_DIR WORK_DIR [CASE...] (all cases when none
# is named; LUMO_BUILD_DIR names the native build).  The host program runs in
# the prepared prefix of the ctest run (WINEPREFIX); without one, a prefix
# with the module registered is made in WORK_DIR.
set -u
here=$(cd "$(dirname "$0")" && pwd) work=$2
export LUMO_WINE_BIN=$(cd "$1" && pwd)
shift 2
source "$here/../../../scripts/lib.sh"

# The client's limits (framework defaults) and the server's database wait.
deadline_ms=15000 attempt_ms=8000 busy_ms=3000

rm -rf "$work" && mkdir -p "$work"
trap 'lumo_stop_started; lumo_stop_wine; rm -rf "$work/prefix"' EXIT
[ -n "${WINEPREFIX:-}" ] || lumo_prepare_wine "$work/prefix" || exit 1
failures=0
fail() { echo "FAILED: $case: $*" >&2; failures=$((failures + 1)); }

# start_services CASE SERVERS: a Naming Service and servers server-1 ...
start_services() {
  case=$1 dir=$work/$1 doc=fault-$1-$$
  mkdir -p "$dir" && lumo_make_secret "$dir/secret"
  lumo_start_naming "$dir/naming" && naming_pid=${LUMO_PIDS[-1]}
  server_pids=()
  for i in $(seq "$2"); do start_server "$i" && server_pids+=("${LUMO_PIDS[-1]}"); done
}
start_server() {
  lumo_start_server "server-$1" "$dir/db" "$dir/secret" "$dir/logs" --ior-file "$dir/logs/server-$1.ior" ||
    fail "server-$1 did not start"
}
stop_hard() { kill "-$1" "$2" && wait "$2" 2>/dev/null; }

# Runs adds.vbs with COUNT adds in the background (its lines in $dir/calls).
run_adds() {
  printf 'Option Explicit\nConst kAdds = %s\nConst kDoc = "%s"\n' "$1" "$doc" | cat - "$here/adds.vbs" >"$dir/adds.vbs"
  wine "$LUMO_WINE_BIN/lumo_host.exe.so" --naming "$LUMO_NAMING" --user fault-test \
    --token-secret-file "$dir/secret" "$dir/adds.vbs" >"$dir/calls.raw" 2>"$dir/host.err" &
  host_pid=$!
}
wait_adds() { wait "$host_pid" || fail "the script failed: $(cat "$dir/host.err")"; tr -d '\r' <"$dir/calls.raw" >"$dir/calls"; }

# Requests the servers received (their request logs), in total or of server N.
requests() { cat "$dir/logs/server-"${1:-*}".requests" 2>/dev/null | wc -l; }
# pause_at N: once the servers received N requests, the script is stopped
# (SIGSTOP) until resume, so that the fault that follows lands while calls
# are still to come however fast they are.
pause_at() {
  while kill -0 "$host_pid" 2>/dev/null; do
    [ "$(requests)" -ge "$1" ] && kill -STOP "$host_pid" && return 0
    sleep 0.02
  done
  fail "the script ended before the servers received $1 requests"; }
resume() { kill -CONT "$host_pid"; }
in_use() { [ "$(requests 1)" -ge "$(requests 2)" ] && echo 1 || echo 2; }  # of two servers

# check ADDS MAX_MS OUTCOME...: the script made ADDS calls, each in at most
# MAX_MS, with the given outcomes only; the document holds exactly the texts
# of the calls that answered ok, each once (asked of a server still running).
check() {
  local client=$LUMO_BUILD_DIR/bin/lumo_commentary_client ior token
  token=$("$client" --print-token --user fault-test --token-secret-file "$dir/secret")
  for ior in "$dir"/logs/server-*.ior; do
    echo "{\"requestType\":2,\"logonToken\":\"$token\",\"comment\":{\"sourceCUID\":\"$doc\",\"hidden\":true},\"sortparams\":[],\"qualifiers\":[]}" |
      "$client" --ior-file "$ior" >"$dir/stored.json" 2>/dev/null && break
  done
  CASE=$case python3 - "$dir/calls" "$dir/stored.json" "$@" <<'PY' || fail "$(cat "$dir/check")"
import collections, json, os, sys
calls_path, stored_path, adds, max_ms, outcomes = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4]), sys.argv[5:]
calls = [line.split(" ", 2) for line in open(calls_path).read().splitlines()]
stored = collections.Counter(c.get("text") for c in json.load(open(stored_path)).get("comments", []))
problems = []
if [int(c[0]) for c in calls] != list(range(1, adds + 1)):
    problems.append("%d calls instead of %d" % (len(calls), adds))
problems += ["call %s took %s ms" % (c[0], c[1]) for c in calls if int(c[1]) > max_ms]
problems += ["call %s: %s" % (c[0], c[2]) for c in calls if c[2] not in outcomes]
ok = collections.Counter("add-" + c[0] for c in calls if c[2] == "ok")
if stored != ok:
    problems.append("stored differs from the calls that answered: lost %s, twice or unasked %s"
                    % (sorted(ok - stored), sorted(stored - ok)))
print("%s: %d calls, slowest %d ms, %s" % (os.environ["CASE"], len(calls), max([int(c[1]) for c in calls] or [0]),
      dict(collections.Counter(c[2] for c in calls))))
if problems:
    open(calls_path.replace("calls", "check"), "w").write("; ".join(problems[:10]))
    sys.exit(1)
PY
  lumo_stop_started
}

case_restart() {
  start_services restart 1
  run_adds 300
  pause_at 40
  stop_hard KILL "${server_pids[0]}"
  resume
  sleep 1
  start_server 1
  wait_adds
  check 300 $((deadline_ms + 2000)) ok
}

# The lock is held for 30 s, and until the script has ended.
case_lock() {
  start_services lock 1
  python3 -c 'import os, sqlite3, sys, time
c = sqlite3.connect(sys.argv[1], isolation_level=None)
c.execute("BEGIN IMMEDIATE")
print("locked", flush=True)
time.sleep(30)
while not os.path.exists(sys.argv[2]): time.sleep(0.1)' "$dir/db" "$dir/release" >"$dir/lock.out" 2>&1 &
  LUMO_PIDS+=($!)
  local lock_pid=$!
  for _ in $(seq 100); do grep -q locked "$dir/lock.out" && break; sleep 0.1; done
  run_adds 6
  wait_adds
  touch "$dir/release"
  wait "$lock_pid"
  sleep 2  # anything the server still held would be stored by now
  check 6 $((deadline_ms + 2000)) "error 503 CMNTRY 502"
}

case_freeze() {
  start_services freeze 2
  run_adds 300
  pause_at 40
  local victim=$(in_use) before
  before=$(requests $((3 - victim)))
  kill -STOP "${server_pids[victim - 1]}"
  resume
  sleep 12
  kill -CONT "${server_pids[victim - 1]}"
  wait_adds
  [ "$(requests $((3 - victim)))" -gt "$before" ] || fail "the other server took no call"
  sleep 2  # the frozen server finishes what it held
  check 300 $((attempt_ms + busy_ms + 2000)) ok "error 503 CMNTRY 502"
}

case_naming() {
  start_services naming 2
  run_adds 300
  pause_at 40
  stop_hard KILL "$naming_pid"
  resume
  pause_at 100
  stop_hard KILL "${server_pids[$(in_use) - 1]}"
  resume
  wait_adds
  check 300 $((deadline_ms + 2000)) ok
}

for c in ${@:-restart lock freeze naming}; do "case_$c"; done
[ "$failures" -eq 0 ] && echo "faults: all cases passed"
[ "$failures" -eq 0 ]

#!/usr/bin/env bash
# The host program lumo_host against running commentary servers:
#
#   host_test.sh WINELIB_BIN_DIR WORK_DIR
#
# Run under scripts/with-services.sh (it provides LUMO_NAMING and
# LUMO_TOKEN_SECRET_FILE, which lumo_host takes by default).  Registers the
# module in a private Wine prefix below WORK_DIR, runs the cases below, ends
# the prefix's wineserver and removes the prefix, also on failure.  Exits 1
# when a case failed.
#
#   - examples/tour.vbs and examples/tour.js exit 0 and print the tour: the
#     output is compared with tour.expected after masking the document name,
#     the times and the comment ids (numbered in order of first appearance)
#   - a script that fails exits 1 and names "<file>(<line>,<column>): " on
#     standard error
#   - --help exits 0 with the usage text; no script, and an unknown option,
#     exit 2 with the reason and the usage on standard error
#   - a wrong logon secret: the server refuses the request, and its status
#     and error code reach the script
set -u
here=$(cd "$(dirname "$0")" && pwd)
export LUMO_WINE_BIN=$(cd "$1" && pwd)
work=$2
source "$here/../../../scripts/lib.sh"

rm -rf "$work"
mkdir -p "$work"
trap 'lumo_stop_wine; rm -rf "$work/prefix"' EXIT
lumo_prepare_wine "$work/prefix" || exit 1
host=$LUMO_WINE_BIN/lumo_host.exe.so
failures=0

fail() {
  echo "FAILED: $*" >&2
  failures=$((failures + 1))
}

# Runs lumo_host with the given arguments; output in $work/out and $work/err
# (carriage returns removed), exit code in $status.
run_host() {
  wine "$host" "$@" >"$work/out.raw" 2>"$work/err.raw"
  status=$?
  tr -d '\r' <"$work/out.raw" >"$work/out"
  tr -d '\r' <"$work/err.raw" >"$work/err"
}

# The tour's output with the parts that change from run to run masked.  Two
# blocks list comments newest first: comments added in the same millisecond
# share a time there and come in id order, so for these blocks the lines are
# sorted ("Newest first", all four comments) or stand for any comment of the
# tour ("The two most recently changed").
mask_tour() {
  python3 - "$1" <<'PY'
import re, sys
lines = open(sys.argv[1], encoding="utf-8").read().splitlines()
document = lines[0][len("Document "):] if lines and lines[0].startswith("Document ") else None
added = [m.group(1) for m in (re.match(r'Added "(.*)": ', l) for l in lines) if m]
ids = {}
def number(match):
    return "#" + ids.setdefault(match.group(1), str(len(ids) + 1))
out, block, title = [], [], None
def flush():
    global block
    if title == "Newest first":
        block.sort()
    elif title == "The two most recently changed":
        block = ["  <one of the added comments>" if l.split("  ", 3)[-1] in added else l for l in block]
    out.extend(block)
    block = []
for line in lines:
    if document:
        line = line.replace(document, "<document>")
    line = re.sub(r"[A-Z][a-z]{2} \d{2} \d{4} \d{2}:\d{2}:\d{2}", "<time>", line)
    line = re.sub(r"#(\d+)", number, line)
    if line.startswith("  #"):
        block.append(line)
        continue
    flush()
    title = line.split(":")[0]
    out.append(line)
flush()
print("\n".join(out))
PY
}

for tour in tour.vbs tour.js; do
  run_host "$here/../../../examples/$tour"
  [ "$status" -eq 0 ] || fail "$tour exited with $status: $(cat "$work/err")"
  mask_tour "$work/out" >"$work/$tour.masked"
  diff -u "$here/tour.expected" "$work/$tour.masked" >&2 || fail "$tour printed another tour"
done

run_host "$here/broken.vbs"
[ "$status" -eq 1 ] || fail "a failing script exited with $status"
[ "$(cat "$work/out")" = "before the error" ] || fail "a failing script printed: $(cat "$work/out")"
grep -q "^$here/broken.vbs(3,9): " "$work/err" || fail "no '<file>(<line>,<column>): ' error line: $(cat "$work/err")"

run_host --help
[ "$status" -eq 0 ] || fail "--help exited with $status"
head -n 1 "$work/out" | grep -qx 'usage: lumo_host \[options\] SCRIPT' || fail "--help printed: $(head -n 1 "$work/out")"

usage_first_line='usage: lumo_host [options] SCRIPT'
for case in "no script given|" "unknown option --bogus|--bogus tour.vbs"; do
  reason=${case%%|*}
  read -r -a arguments <<<"${case#*|}"
  run_host "${arguments[@]}"
  [ "$status" -eq 2 ] || fail "'${arguments[*]}' exited with $status"
  [ "$(head -n 1 "$work/err")" = "lumo_host: $reason" ] || fail "'${arguments[*]}' said: $(head -n 1 "$work/err")"
  [ "$(sed -n 3p "$work/err")" = "$usage_first_line" ] || fail "'${arguments[*]}' printed no usage"
done

run_host --token-secret "not the servers' secret" "$here/wrong_secret.vbs"
[ "$status" -eq 0 ] || fail "the wrong-secret script exited with $status: $(cat "$work/err")"
[ "$(cat "$work/out")" = "5 401 CMNTRY 202 Logon token invalid" ] || fail "with a wrong secret: $(cat "$work/out")"

[ "$failures" -eq 0 ] && echo "host: all cases passed"
[ "$failures" -eq 0 ]

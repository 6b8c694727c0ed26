#!/usr/bin/env bash
# The host program lumo_host against running commentary servers:
#
#   host_test.sh WINELIB_BIN_DIR WORK_DIR
#
# Run under scripts/with-services.sh (it provides LUMO_NAMING and
# LUMO_TOKEN_SECRET_FILE, which lumo_host takes by default).  Registers the
# module in a private Wine prefix below WORK_DIR and runs the cases below;
# ends the prefix's wineserver and removes the prefix, also on failure.
# Exits 1 when a case failed.
set -u
here=$(cd "$(dirname "$0")" && pwd)
export LUMO_WINE_BIN=$(cd "$1" && pwd)
work=$2
source "$here/../../../scripts/lib.sh"

rm -rf "$work"
mkdir -p "$work"
trap 'lumo_stop_wine; rm -rf "$work/prefix"' EXIT
lumo_prepare_wine "$work/prefix" || exit 1
failures=0
fail() {
  echo "FAILED: $*" >&2
  failures=$((failures + 1))
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

# The tour's output with the parts that change from run to run masked: the
# document name, the times, the comment ids (numbered in order of first
# appearance).  Comments added in the same millisecond share a time and come
# in id order, so the "Newest first" block is sorted and the block of the two
# most recently changed stands for any comment of the tour.
mask_tour() {
  python3 - "$1" <<'PY'
import re, sys
lines = open(sys.argv[1], encoding="utf-8").read().splitlines()
document = lines[0][len("Document "):] if lines and lines[0].startswith("Document ") else None
added = [m.group(1) for m in (re.match(r'Added "(.*)": ', l) for l in lines) if m]
ids, out, block, title = {}, [], [], None
def flush():
    if title == "Newest first":
        block.sort()
    elif title == "The two most recently changed":
        block[:] = ["  <one of the added comments>" if l.split("  ", 3)[-1] in added else l for l in block]
    out.extend(block)
    block.clear()
for line in lines:
    if document:
        line = line.replace(document, "<document>")
    line = re.sub(r"[A-Z][a-z]{2} \d{2} \d{4} \d{2}:\d{2}:\d{2}", "<time>", line)
    line = re.sub(r"#(\d+)", lambda m: "#" + ids.setdefault(m.group(1), str(len(ids) + 1)), line)
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

usage='usage: lumo_host [options] SCRIPT'
for tour in tour.vbs tour.js; do
  expect 0 err '1,$' "" "$here/../../../examples/$tour"
  mask_tour "$work/out" | diff -u "$here/tour.expected" - >&2 || fail "$tour printed another tour"
done
expect 1 out '1,$' "before the error" "$here/broken.vbs"
grep -q "^$here/broken.vbs(3,9): " "$work/err" || fail "no '<file>(<line>,<column>): ' error line: $(cat "$work/err")"
expect 0 out 1 "$usage" --help
expect 2 err '1p;3' "lumo_host: no script given"$'\n'"$usage"
expect 2 err '1p;3' "lumo_host: unknown option --bogus"$'\n'"$usage" --bogus tour.vbs
expect 0 out '1,$' "5 401 CMNTRY 202 Logon token invalid" --token-secret "not the servers' secret" "$here/wrong_secret.vbs"

[ "$failures" -eq 0 ] && echo "host: all cases passed"
[ "$failures" -eq 0 ]

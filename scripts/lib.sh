# Shared shell helpers of the project's scripts (sourced, not run).

LUMO_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
LUMO_BUILD_DIR=${LUMO_BUILD_DIR:-$LUMO_ROOT/build}

# Debian packages the build, the tests and the tour need.
LUMO_PACKAGES=(
  build-essential cmake pkg-config git clang lld libclang-rt-14-dev
  wine wine64 wine64-tools libwine-dev
  libomniorb4-dev omniidl omniorb-idl omniorb-nameserver
  rapidjson-dev googletest libgtest-dev libgmock-dev libbenchmark-dev
  libsqlite3-dev sqlite3 libpq-dev postgresql libssl-dev
  procps psmisc
  prometheus-cpp-dev curl systemd
)

lumo_log() { printf '\033[1m==> %s\033[0m\n' "$*" >&2; }

# Installs whatever of LUMO_PACKAGES is missing (apt-get; as root or via sudo).
lumo_install_packages() {
  local missing=()
  for p in "${LUMO_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  lumo_log "Installing ${missing[*]}"
  local sudo=
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# Configures and builds the main tree (native and Winelib) in $1 (default: build).
lumo_build() {
  local dir=${1:-$LUMO_ROOT/build}
  lumo_log "Building in $dir"
  cmake -S "$LUMO_ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$dir" -j"$(nproc)"
}

# Prints a TCP port on 127.0.0.1 that is free right now.
lumo_free_port() {
  python3 - <<'PY'
import socket
s = socket.socket()
s.bind(("127.0.0.1", 0))
print(s.getsockname()[1])
s.close()
PY
}

# ---------------------------------------------------------------------------
# Services.  Every process started here is recorded in LUMO_PIDS and stopped
# by lumo_stop_started, by process id; callers install it as an EXIT trap.

LUMO_PIDS=()

# Waits while process $1 lives for the command "$4..." to succeed, trying it
# up to $2 times, $3 seconds apart; false when the process ended or the tries
# ran out.
lumo_await() {
  local pid=$1 tries=$2 pause=$3
  shift 3
  for _ in $(seq "$tries"); do
    "$@" && return 0
    kill -0 "$pid" 2>/dev/null || return 1
    sleep "$pause"
  done
  return 1
}

# Waits up to 10 s for process $1 to end; false when it is still there.
lumo_await_exit() {
  for _ in $(seq 100); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.1; done
  return 1
}

lumo_stop_started() {
  # Newest first, one at a time: servers unbind from the Naming Service
  # before it goes.
  local i pid
  for ((i = ${#LUMO_PIDS[@]} - 1; i >= 0; i--)); do
    pid=${LUMO_PIDS[i]}
    kill -TERM "$pid" 2>/dev/null || continue
    lumo_await_exit "$pid" || kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  LUMO_PIDS=()
}

# Waits up to $2 seconds (default 20) for a TCP port on 127.0.0.1 to accept.
lumo_wait_port() {
  local port=$1 limit=${2:-20}
  for _ in $(seq $((limit * 10))); do
    (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && return 0
    sleep 0.1
  done
  echo "nothing listens on 127.0.0.1:$port" >&2
  return 1
}

# Starts a private Naming Service with its data in $1; sets LUMO_NAMING.
lumo_start_naming() {
  local dir=$1 port
  port=$(lumo_free_port)
  mkdir -p "$dir"
  omniNames -start "$port" -always -datadir "$dir" -errlog "$dir/omniNames.log" \
    -ORBendPoint "giop:tcp:127.0.0.1:$port" >/dev/null 2>&1 &
  LUMO_PIDS+=($!)
  lumo_wait_port "$port"
  export LUMO_NAMING="corbaloc::127.0.0.1:$port/NameService"
}

# Starts a reference commentary server registered in $LUMO_NAMING.
#   lumo_start_server NAME SQLITE_FILE SECRET_FILE LOG_DIR [extra options...]
lumo_start_server() {
  local name=$1 db=$2 secret=$3 logdir=$4; shift 4
  local bin=$LUMO_BUILD_DIR/bin/lumo_commentary_server
  mkdir -p "$logdir"
  : >"$logdir/$name.out"
  "$bin" --naming "$LUMO_NAMING" --name "$name" --sqlite "$db" --token-secret-file "$secret" \
    --request-log "$logdir/$name.requests" "$@" >"$logdir/$name.out" 2>"$logdir/$name.err" &
  LUMO_PIDS+=($!)
  lumo_await "${LUMO_PIDS[-1]}" 200 0.1 grep -qs '^ready' "$logdir/$name.out" && return 0
  echo "the commentary server $name did not start:" >&2
  cat "$logdir/$name.err" >&2
  return 1
}

# Writes a fresh random logon secret to $1 (readable by the owner only).
lumo_make_secret() {
  (umask 077 && head -c 32 /dev/urandom | od -An -tx1 | tr -d ' \n' >"$1")
}

# Makes a throw-away CA and a certificate for a server on 127.0.0.1 in the
# folder $1 (keys readable by the owner only): ca.pem, server.pem and
# server.key.  For tests and the tour; a real cluster uses its own CA.
lumo_make_tls() {
  local dir=$1
  mkdir -p "$dir"
  (
    umask 077
    cd "$dir"
    openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=LumoCommentary test CA" \
      -keyout ca.key -out ca.pem 2>/dev/null
    openssl req -newkey rsa:2048 -nodes -subj "/CN=127.0.0.1" -keyout server.key -out server.csr 2>/dev/null
    printf 'subjectAltName=IP:127.0.0.1,DNS:localhost\n' >server.ext
    openssl x509 -req -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 \
      -extfile server.ext -out server.pem 2>/dev/null
    rm -f ca.key server.csr server.ext ca.srl
  )
}

# ---------------------------------------------------------------------------
# Wine.  A private prefix per use, with a wineserver started and ended by
# process id; the module's folder on WINEDLLPATH.

LUMO_WINE_BIN=${LUMO_WINE_BIN:-$LUMO_BUILD_DIR/winelib/bin}
LUMO_WINESERVER_PID=

# Starts a persistent wineserver for $WINEPREFIX (the folder is created when
# missing), its output in $1.  Sets LUMO_WINESERVER_PID and returns once the
# server accepts clients, so that no Wine command starts a server of its own.
lumo_start_wineserver() {
  mkdir -p "$WINEPREFIX"
  wineserver -f -p >"$1" 2>&1 </dev/null &
  LUMO_WINESERVER_PID=$!
  # It listens in its server folder, which is its working folder.
  lumo_await "$LUMO_WINESERVER_PID" 300 0.05 test -S "/proc/$LUMO_WINESERVER_PID/cwd/socket" && return 0
  echo "the wineserver of $WINEPREFIX did not start:" >&2
  cat "$1" >&2
  return 1
}

# Ends the wineserver $1 of $WINEPREFIX together with every Wine process of
# that prefix (wineserver -k), waiting up to 10 s for it to go; a server that
# is still there then gets SIGKILL.  A process id that is not a wineserver
# (gone, or reused) is left alone.
lumo_stop_wineserver() {
  local pid=$1
  [ -n "$pid" ] && grep -qs wineserver "/proc/$pid/cmdline" || return 0
  wineserver -k >/dev/null 2>&1
  lumo_await_exit "$pid" || kill -KILL "$pid" 2>/dev/null || true
}

# Prepares the prefix $1 (created once, kept between runs): starts its
# wineserver, registers the module in it and exports what Wine needs.
# lumo_stop_wine ends that server.
lumo_prepare_wine() {
  export WINEPREFIX=$1
  export WINEDEBUG=${WINEDEBUG:--all}
  export WINEDLLPATH=$LUMO_WINE_BIN${WINEDLLPATH:+:$WINEDLLPATH}
  export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
  lumo_start_wineserver "$WINEPREFIX/wineserver.log" || return 1
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    lumo_log "Creating the Wine prefix $WINEPREFIX"
    wineboot -i >/dev/null 2>&1
  fi
  wine 'C:\windows\system32\regsvr32.exe' /s "Z:${LUMO_WINE_BIN//\//\\}\\LumoCommentary.dll" >/dev/null 2>&1 || {
    echo "registering LumoCommentary.dll failed" >&2
    return 1
  }
}

lumo_stop_wine() {
  [ -n "${WINEPREFIX:-}" ] || return 0
  lumo_stop_wineserver "$LUMO_WINESERVER_PID"
  LUMO_WINESERVER_PID=
}

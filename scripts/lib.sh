# Shared shell helpers of the project's scripts (sourced, not run).

LUMO_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Debian packages the build, the tests and the tour need.
LUMO_PACKAGES=(
  build-essential cmake pkg-config git clang libclang-rt-14-dev
  wine wine64 wine64-tools libwine-dev
  libomniorb4-dev omniidl omniorb-idl omniorb-nameserver
  rapidjson-dev googletest libgtest-dev libgmock-dev libbenchmark-dev
  libsqlite3-dev sqlite3 libpq-dev postgresql libssl-dev
  procps psmisc
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

#!/usr/bin/env bash
# Sets everything up and runs the main job.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
cd "$LUMO_ROOT"

lumo_install_packages
lumo_build "$LUMO_ROOT/build"
lumo_log "Writing and reading comment JSON"
build/bin/model_demo

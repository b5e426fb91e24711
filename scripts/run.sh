#!/usr/bin/env bash
# Builds the analyser and starts it, installing what it needs first: the i686
# release program under 32-bit Wine, or the x86_64 build where this machine
# cannot execute 32-bit code natively (it says so). The set-up makes 32-bit
# code run under emulation where it can (for the test command; see
# ensure_32bit_emulation).
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"
cd "$FRELOX_ROOT"
ensure_packages
ensure_32bit_emulation
choose_windows_build
[ "$FRELOX_ARCH" = i686 ] || echo "Running the x86_64 build ($FRELOX_BUILD_NOTE)."
ensure_program run || {
  cat build/run.build.log
  exit 1
}
export FRELOX_EXE
exec scripts/demo.sh

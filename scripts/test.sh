#!/usr/bin/env bash
# Runs every test of the project, installing what it needs first:
#   1. native unit tests (g++), 2. the same under AddressSanitizer and
#   UndefinedBehaviorSanitizer, 3. the Windows tests of the x86_64 build under
#   Wine in Xvfb, 4. the i686 release build and its checks, 5. end-to-end tests.
# Prints one line per stage and exits non-zero if any stage failed.
set -uo pipefail
source "$(dirname "$0")/lib/common.sh"
cd "$FRELOX_ROOT"

JOBS=$(nproc)
declare -a STAGES=()
FAILED=0

stage() {
  local name=$1
  shift
  log "$name"
  if "$@"; then
    STAGES+=("PASS  $name")
  else
    STAGES+=("FAIL  $name")
    FAILED=$((FAILED + 1))
  fi
}

# Configures and builds a preset, showing only diagnostics, not progress lines.
build_preset() {
  local preset=$1
  cmake --preset "$preset" -G Ninja >/dev/null || return 1
  cmake --build --preset "$preset" -j "$JOBS" >"build/$preset.build.log" 2>&1
  local rc=$?
  grep -vE '^\[[0-9]+/[0-9]+\]|^ninja: ' "build/$preset.build.log"
  return $rc
}

build_and_ctest() {
  build_preset "$1" && ctest --preset "$1" -j "$JOBS" --output-on-failure
}

native_tests() { build_and_ctest native; }

sanitized_tests() {
  # Any sanitizer report aborts the test program, which fails its test.
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    build_and_ctest sanitize
}

windows_tests() {
  start_xvfb 95 || return 1
  # A sound server playing the test tones, so that the tests on the real
  # wave input have a device and know what it hears.
  local tone_pid=""
  if start_pulse frelox-tests; then
    play_test_tones frelox-tests &
    tone_pid=$!
    export FRELOX_TEST_TONES
  else
    echo "no sound server: tests of the real device are skipped"
  fi
  init_wine_prefix "$FRELOX_ROOT/build/wine-prefix"
  build_and_ctest win64
  local rc=$?
  [ -n "$tone_pid" ] && kill "$tone_pid" 2>/dev/null
  stop_wine
  stop_pulse
  kill "$FRELOX_XVFB_PID" 2>/dev/null
  return $rc
}

release_build() {
  build_preset win32 || return 1
  if [ -x scripts/check-release.sh ]; then scripts/check-release.sh build/win32; fi
}

ensure_packages
mkdir -p build
stage "native unit tests" native_tests
stage "native unit tests with ASan and UBSan" sanitized_tests
stage "Windows tests under Wine (x86_64)" windows_tests
stage "i686 release build" release_build
if [ -x scripts/e2e.sh ]; then stage "end-to-end tests under Wine and PulseAudio" scripts/e2e.sh; fi

log "summary"
printf '%s\n' "${STAGES[@]}"
PASSED=$((${#STAGES[@]} - FAILED))
echo "stages: $PASSED passed, $FAILED failed"
[ "$FAILED" -eq 0 ]

#!/usr/bin/env bash
# Runs every test of the project, installing what it needs first:
#   1. native unit tests (g++), 2. the same under AddressSanitizer and
#   UndefinedBehaviorSanitizer, 3. the x86_64 Windows build, 4. the Windows
#   tests of the i686 release build under 32-bit Wine in Xvfb, 5. the release
#   package and its checks, 6. end-to-end tests of the program in that package.
# Where this machine cannot execute 32-bit code natively (found by running
# some), the Windows and end-to-end tests run the x86_64 build instead; where
# the set-up made 32-bit code run under emulation (ensure_32bit_emulation),
# the release's arithmetic and resource tests and a short end-to-end check of
# the release exe run under the emulated 32-bit Wine besides. The summary
# lines say which build ran each stage, and whether emulated.
# Prints one line per stage with its time and exits non-zero if any stage failed.
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
  local started=$SECONDS
  if "$@"; then
    STAGES+=("PASS  $name ($((SECONDS - started)) s)")
  else
    STAGES+=("FAIL  $name ($((SECONDS - started)) s)")
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
  build_preset "$FRELOX_PRESET" || return 1
  # In Xvfb, a fresh Wine prefix and a sound server playing the test tones,
  # so that the tests on the real wave input have a device and know what it
  # hears (without a server they are skipped).
  surroundings --display --optional-sound --tones --prefix build/wine-prefix --fresh \
    --wine "$FRELOX_WINE" -- ctest --preset "$FRELOX_PRESET" -j "$JOBS" --output-on-failure
}

release_package() { scripts/package.sh; }

# The Windows test programs of the release build that run under emulated
# 32-bit Wine: those of the arithmetic and the resources, and those whose
# faults only the i686 build can have (structure sizes in the device layer,
# calling conventions of thread routines, the x87 precision of the geometry).
# The others run on the x86_64 build there: the capture ring's portable
# logic, the drawing and the program (which the short end-to-end check runs),
# and the real-device ring test, which crashed the emulator.
EMULATED_TEST_PROGRAMS=(analysis_tests resource_tests display_geometry_tests windowing_tests capture_tests)
# Made afresh by the short end-to-end check of the release, then used by
# these test programs: a new prefix costs minutes under emulation.
EMULATED_PREFIX=build/wine-prefix-i686

# Under emulation a test program took up to 247 s on two cores shared with
# builds (the limit elsewhere is 300 s).
EMULATED_TEST_TIMEOUT_S=1200

emulated_windows_tests() {
  cmake --preset win32 -G Ninja -DFRELOX_WINE_TEST_TIMEOUT_S=$EMULATED_TEST_TIMEOUT_S >/dev/null &&
    cmake --build --preset win32 --target "${EMULATED_TEST_PROGRAMS[@]}" -j "$JOBS" \
    >build/win32.tests.build.log 2>&1
  local rc=$?
  grep -vE '^\[[0-9]+/[0-9]+\]|^ninja: ' build/win32.tests.build.log
  [ $rc -eq 0 ] || return 1
  local only
  only="^($(IFS='|' && echo "${EMULATED_TEST_PROGRAMS[*]}"))\$"
  with_emulated_wine32 surroundings --display --prefix "$EMULATED_PREFIX" --wine "$(wine32_path)" \
    -- ctest --preset win32 -R "$only" -j "$JOBS" --output-on-failure
}

# The end-to-end tests of the program users download: the exe taken out of
# the release zip, checked to be the very bytes of the i686 build. Where
# 32-bit code runs only under emulation, the full suite runs the x86_64
# build, and with "--release-check" the short check runs the release exe.
end_to_end_tests() {
  if [ "$FRELOX_ARCH" != i686 ] && [ "${1:-}" != --release-check ]; then
    FRELOX_EXE=$FRELOX_ROOT/build/win64/shell/Frelox.exe scripts/e2e.sh
    return
  fi
  local unpacked
  unpacked=$(mktemp -d "$FRELOX_ROOT/build/release-exe.XXXXXX")
  unzip -q -o "$(release_zip)" Frelox.exe -d "$unpacked" || return 1
  if ! cmp "$unpacked/Frelox.exe" build/win32/shell/Frelox.exe; then
    echo "the zip's Frelox.exe is not the i686 build's"
    return 1
  fi
  echo "testing $(release_zip):Frelox.exe ($(sha256sum <"$unpacked/Frelox.exe" | cut -c1-16)...)," \
    "the same bytes as build/win32/shell/Frelox.exe"
  FRELOX_EXE=$unpacked/Frelox.exe scripts/e2e.sh "$@"
  local rc=$?
  rm -rf "$unpacked"
  return $rc
}

ensure_packages
ensure_32bit_emulation
choose_windows_build
mkdir -p build
stage "native unit tests" native_tests
stage "native unit tests with ASan and UBSan" sanitized_tests
if [ "$FRELOX_ARCH" = i686 ]; then
  # Built so that it does not rot; tested only where 32-bit code cannot run.
  stage "x86_64 build (not tested here)" build_preset win64
  stage "Windows tests under Wine (i686)" windows_tests
  stage "release package and its checks (i686)" release_package
  stage "end-to-end tests of the release (i686)" end_to_end_tests
elif [ "$FRELOX_32BIT" = emulated ]; then
  stage "Windows tests under Wine ($FRELOX_BUILD_NOTE; not emulated)" windows_tests
  stage "release package and its checks (i686)" release_package
  stage "end-to-end tests of the x86_64 build (not emulated)" end_to_end_tests
  stage "short end-to-end check of the release (i686, emulated)" \
    with_emulated_wine32 end_to_end_tests --release-check --kept-prefix "$EMULATED_PREFIX"
  stage "Windows tests of the release: ${EMULATED_TEST_PROGRAMS[*]} (i686, emulated)" \
    emulated_windows_tests
else
  stage "Windows tests under Wine ($FRELOX_BUILD_NOTE)" windows_tests
  stage "release package and its checks (i686, not run here)" release_package
  stage "end-to-end tests of the x86_64 build (this machine cannot execute 32-bit code)" \
    end_to_end_tests
fi

log "summary"
printf '%s\n' "${STAGES[@]}"
PASSED=$((${#STAGES[@]} - FAILED))
echo "stages: $PASSED passed, $FAILED failed"
[ "$FAILED" -eq 0 ]

#!/usr/bin/env bash
# Runs every test of the project, installing what it needs first:
#   1. native unit tests (g++), 2. the same under AddressSanitizer and
#   UndefinedBehaviorSanitizer, 3. the x86_64 Windows build, 4. the Windows
#   tests of the i686 release build under 32-bit Wine in Xvfb, 5. the release
#   package and its checks, 6. end-to-end tests of the program in that package.
# Where this machine cannot execute 32-bit code (found by running some), the
# Windows tests and the end-to-end suite run the x86_64 build instead, and
# the release's Windows tests and its short end-to-end check run under Debian
# 13's user-mode emulator (scripts/i386-emulated); where that is refused, one
# line says why and only the x86_64 build is tested. The summary names the
# build of each stage and whether it ran under emulation.
# Prints one line per stage with its time and exits non-zero if any stage
# failed.
#
#   scripts/test.sh [--emulate-i386]
#
# --emulate-i386 tests as on a machine without 32-bit code, the emulator
# included, also where 32-bit code runs natively.
set -uo pipefail
source "$(dirname "$0")/lib/common.sh"
cd "$FRELOX_ROOT"

case "${1:-}" in
  "") FORCE_EMULATION=false ;;
  --emulate-i386) FORCE_EMULATION=true ;;
  *)
    echo "usage: scripts/test.sh [--emulate-i386]" >&2
    exit 2
    ;;
esac

JOBS=$(nproc)
declare -a STAGES=() NOTES=()
FAILED=0

stage() {
  local name=$1
  shift
  log "$name"
  local started_s=$SECONDS
  if "$@"; then
    STAGES+=("PASS  $name ($((SECONDS - started_s)) s)")
  else
    STAGES+=("FAIL  $name ($((SECONDS - started_s)) s)")
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

# The end-to-end tests of the program users download: the exe taken out of
# the release zip, checked to be the very bytes of the i686 build; the
# arguments go to scripts/e2e.sh, after RUNNER (scripts/i386-emulated or
# nothing) if given as "--runner RUNNER".
release_end_to_end_tests() {
  local runner=()
  if [ "${1:-}" = --runner ]; then
    runner=("$2")
    shift 2
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
  FRELOX_EXE=$unpacked/Frelox.exe "${runner[@]}" scripts/e2e.sh "$@"
  local rc=$?
  rm -rf "$unpacked"
  return $rc
}

x86_64_end_to_end_tests() { FRELOX_EXE=$FRELOX_ROOT/build/win64/shell/Frelox.exe scripts/e2e.sh; }

# Under the emulator, in a prefix of their own: the release's test programs of
# the arithmetic and the resources, and those whose faults only an i686 build
# can have (the structure sizes of the wave input calls, the x87 precision of
# the view's geometry). The other six (portable logic, the drawing, the
# capture ring, the shell) run on the x86_64 build here: all ten under the
# emulator took 165 s and their build 6 minutes on the shared machine, past
# the test command's 20 minutes. Then the release's short end-to-end check
# (the tests marked release_check): one spectrum of the test tones, the
# channel and input menus, "&Beenden", no sound server.
EMULATED_TEST_PROGRAMS=(analysis_tests resource_tests capture_tests display_geometry_tests)
EMULATED_PREFIX=build/wine-prefix-i686
EMULATED_BUILD_PID=""

# The emulated test programs are built while the x86_64 end-to-end suite runs,
# at the lowest priority: that suite mostly waits for sound and screenshots,
# and it and everything else on the machine go first.
start_emulated_build() {
  cmake --preset win32 -G Ninja >/dev/null &&
    nice -n 19 cmake --build --preset win32 --target "${EMULATED_TEST_PROGRAMS[@]}" -j "$JOBS" \
      >build/win32.tests.build.log 2>&1 &
  EMULATED_BUILD_PID=$!
}

emulated_windows_tests() {
  wait "$EMULATED_BUILD_PID"
  local rc=$?
  grep -vE '^\[[0-9]+/[0-9]+\]|^ninja: ' build/win32.tests.build.log
  [ $rc -eq 0 ] || return 1
  # A program run as several CTest tests has them named PROGRAM-1, PROGRAM-2, ...
  local only
  only="^($(IFS='|' && echo "${EMULATED_TEST_PROGRAMS[*]}"))(-[0-9]+)?\$"
  scripts/i386-emulated "$FRELOX_PYTHON" tests/e2e/surroundings.py --display --optional-sound \
    --tones --prefix "$EMULATED_PREFIX" --fresh --wine "$(wine32_path)" \
    -- ctest --preset win32 -R "$only" -j "$JOBS" --output-on-failure
}

emulated_release_check() {
  release_end_to_end_tests --runner scripts/i386-emulated -m release_check
}

ensure_packages
if $FORCE_EMULATION; then
  use_windows_build x86_64 "x86_64: emulation of 32-bit code asked for"
else
  choose_windows_build
fi
mkdir -p build
stage "native unit tests" native_tests
stage "native unit tests with ASan and UBSan" sanitized_tests
if [ "$FRELOX_ARCH" = i686 ]; then
  # Built so that it does not rot; tested only where 32-bit code cannot run.
  stage "x86_64 build (not tested here)" build_preset win64
  stage "Windows tests under Wine (i686)" windows_tests
  stage "release package and its checks (i686)" release_package
  stage "end-to-end tests of the release (i686)" release_end_to_end_tests
else
  stage "Windows tests under Wine ($FRELOX_BUILD_NOTE)" windows_tests
  stage "release package and its checks (i686)" release_package
  log "i386 emulation"
  # Fetches the emulator the first time; what is refused comes as one line.
  if refusal=$(scripts/i386-emulated "$(wine32_path)" --version 2>&1 >/dev/null); then
    echo "i386 programs run under $("$I386_EMULATOR" --version | head -n 1)"
    start_emulated_build
    stage "end-to-end tests of the x86_64 build (not emulated)" x86_64_end_to_end_tests
    stage "Windows tests of the release: ${EMULATED_TEST_PROGRAMS[*]} (i686, under emulation)" \
      emulated_windows_tests
    stage "short end-to-end check of the release (i686, under emulation)" emulated_release_check
  else
    refusal=${refusal##*$'\n'}
    echo "$refusal"
    NOTES+=("NOTE  the release (i686) is not run here: $refusal")
    stage "end-to-end tests of the x86_64 build (not emulated)" x86_64_end_to_end_tests
  fi
fi

log "summary"
printf '%s\n' "${STAGES[@]}" "${NOTES[@]}"
echo "stages: $((${#STAGES[@]} - FAILED)) passed, $FAILED failed"
[ "$FAILED" -eq 0 ]

# Shared helpers of the project's scripts. Source it; it defines functions only.

FRELOX_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

# Everything the builds and tests use, from Debian's archive.
FRELOX_PACKAGES=(
  cmake ninja-build g++ libgtest-dev googletest libbenchmark-dev libfftw3-dev
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
  binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
  wine64 wine32:i386 xvfb xauth xdotool x11-utils imagemagick
  pulseaudio pulseaudio-utils libasound2-plugins libasound2-plugins:i386 sox zip unzip python3
  python3-pefile clang-format
)

# Debian's own Python, which has the PE reading library (python3-pefile);
# the python3 first on PATH may be another one.
FRELOX_PYTHON=/usr/bin/python3

# The program's version, as the build states it.
frelox_version() {
  sed -n 's/^project(Frelox VERSION \([0-9.]*\).*/\1/p' "$FRELOX_ROOT/CMakeLists.txt"
}

# The release package that scripts/package.sh makes.
release_zip() { echo "$FRELOX_ROOT/dist/Frelox-$(frelox_version).zip"; }

log() { printf '\n=== %s\n' "$*"; }

# Sets FRELOX_EXE to the program of the chosen Windows build (see
# choose_windows_build), building it first (log in build/NAME.build.log),
# unless FRELOX_EXE already names another build.
ensure_program() {
  [ -n "${FRELOX_EXE:-}" ] && return 0
  choose_windows_build
  FRELOX_EXE=$FRELOX_ROOT/build/$FRELOX_PRESET/shell/Frelox.exe
  mkdir -p "$FRELOX_ROOT/build"
  cmake --preset "$FRELOX_PRESET" -G Ninja >/dev/null &&
    cmake --build --preset "$FRELOX_PRESET" --target Frelox -j 2 \
      >"$FRELOX_ROOT/build/$1.build.log" 2>&1
}

# Installs whatever of FRELOX_PACKAGES is missing (as root, with apt).
ensure_packages() {
  local missing=()
  local p
  for p in "${FRELOX_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  if ((${#missing[@]})); then
    log "installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    # 32-bit Wine and its ALSA plugin come from the i386 architecture.
    dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null ||
      install_from_main_suites "${missing[@]}"
  fi
}

# Installs the given packages from Debian's main suites alone, leaving out the
# security suite. Seen on these machines: a mirror serving the security
# suite's i386 index out of step with its release file; apt then ignores that
# index, the 32-bit libraries' versions no longer match the 64-bit ones, and
# nothing can be installed. In the main suites both architectures agree.
install_from_main_suites() {
  local alt
  alt=$(mktemp -d /tmp/frelox-apt.XXXXXX)
  mkdir -p "$alt/parts" "$alt/lists/partial"
  local f
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -e "$f" ] || continue
    # deb822 stanzas are separated by blank lines; drop the security ones.
    awk -v RS= -v ORS='\n\n' '!/-security/' "$f" >"$alt/parts/$(basename "$f")"
  done
  [ -e /etc/apt/sources.list ] && grep -v -- '-security' /etc/apt/sources.list >"$alt/parts/main.list"
  echo "the security suite's index is out of step: installing from the main suites"
  local options=(-o "Dir::Etc::SourceParts=$alt/parts" -o Dir::Etc::SourceList=/dev/null
    -o "Dir::State::Lists=$alt/lists")
  apt-get "${options[@]}" update -qq &&
    apt-get "${options[@]}" install -y -qq --no-install-recommends "$@" >/dev/null
  local rc=$?
  rm -rf "$alt"
  return $rc
}

# The Wine loaders. Debian puts no wine64 on PATH, and /usr/bin/wine (which
# runs the 32-bit loader) only with the package wine; the loaders themselves
# are in /usr/lib/wine.
wine64_path() {
  if command -v wine64 >/dev/null 2>&1; then command -v wine64; else echo /usr/lib/wine/wine64; fi
}
wine32_path() { echo /usr/lib/wine/wine; }

# The loader for a Windows program built for ARCH (i686 or x86_64).
wine_loader_for() {
  if [ "$1" = i686 ]; then wine32_path; else wine64_path; fi
}

# True when this machine executes 32-bit x86 code. Found out by running the
# 32-bit Wine loader (an i386 program), not assumed: some kernels are built
# without 32-bit support.
runs_32bit_code() {
  local loader
  loader=${FRELOX_WINE32_PROBE:-$(wine32_path)}
  [ -x "$loader" ] && "$loader" --version >/dev/null 2>&1
}

# Chooses the Windows build that the tests, the run command and the
# measurements run: the i686 release where 32-bit code runs, otherwise the
# x86_64 build. Sets FRELOX_ARCH (i686 or x86_64), FRELOX_PRESET (win32 or
# win64), FRELOX_WINE (its Wine loader) and FRELOX_BUILD_NOTE (what a summary
# line says of it).
choose_windows_build() {
  [ -n "${FRELOX_ARCH:-}" ] && return 0
  if runs_32bit_code; then
    FRELOX_ARCH=i686 FRELOX_PRESET=win32 FRELOX_BUILD_NOTE="i686"
  else
    FRELOX_ARCH=x86_64 FRELOX_PRESET=win64
    FRELOX_BUILD_NOTE="x86_64: this machine cannot execute 32-bit code"
  fi
  FRELOX_WINE=$(wine_loader_for "$FRELOX_ARCH")
  export FRELOX_ARCH FRELOX_PRESET FRELOX_WINE FRELOX_BUILD_NOTE
}

# Starts Xvfb on a free display and exports DISPLAY; the server ends with this shell.
start_xvfb() {
  local n=${1:-91}
  while [ -e "/tmp/.X${n}-lock" ]; do n=$((n + 1)); done
  Xvfb ":${n}" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  FRELOX_XVFB_PID=$!
  export DISPLAY=":${n}"
  local i
  for i in $(seq 1 50); do
    [ -e "/tmp/.X11-unix/X${n}" ] && return 0
    sleep 0.1
  done
  echo "Xvfb did not start" >&2
  return 1
}

# A throw-away Wine prefix under the given folder, made by the loader of the
# chosen Windows build; exports what Wine needs.
init_wine_prefix() {
  choose_windows_build
  export WINEPREFIX="$1"
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
  rm -rf "$WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  "$FRELOX_WINE" wineboot -i >/dev/null 2>&1
  # Without a window manager, Wine waits up to 2 s for every managed
  # top-level window to be unmapped; unmanaged windows close at once.
  "$FRELOX_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  use_wine_alsa_driver
  export FRELOX_PREFIX_READY=1
  # Keep one wineserver for the whole run: every test program starts faster.
  "$(wineserver_path)" -p >/dev/null 2>&1 || true
}

# Makes the prefix in WINEPREFIX record through Wine's ALSA driver, which
# reaches a running PulseAudio server through ALSA's PulseAudio plugin (its
# "default" device is the server's default source; without a server it is a
# real sound card, or no device at all). Wine's own PulseAudio driver hands
# the program captures that are not one contiguous stretch of sound, which
# shows as a broad skirt around every tone; through ALSA each capture is
# contiguous. Idempotent: safe on every start, also in an older prefix.
use_wine_alsa_driver() {
  "${FRELOX_WINE:-$(wine64_path)}" reg add 'HKCU\Software\Wine\Drivers' /v Audio /d alsa /f \
    >/dev/null 2>&1
}

wineserver_path() { echo "$(dirname "$(wine64_path)")/wineserver"; }

stop_wine() { "$(wineserver_path)" -k >/dev/null 2>&1 || true; }

# Starts a private PulseAudio server with a null sink NAME whose monitor is
# the default source, so wave input device 0 hears what is played into NAME.
# Exports XDG_RUNTIME_DIR and FRELOX_PULSE_SINK. Stop it with stop_pulse.
start_pulse() {
  local sink=${1:-frelox}
  export XDG_RUNTIME_DIR
  XDG_RUNTIME_DIR=$(mktemp -d /tmp/frelox-pulse.XXXXXX)
  FRELOX_PULSE_DIR=$XDG_RUNTIME_DIR
  chmod 700 "$XDG_RUNTIME_DIR"
  export FRELOX_PULSE_SINK=$sink
  pulseaudio --daemonize=yes --exit-idle-time=-1 -n \
    --load="module-null-sink sink_name=$sink" --load="module-native-protocol-unix" \
    >/dev/null 2>&1 || return 1
  local i
  for i in $(seq 1 50); do
    pactl info >/dev/null 2>&1 && break
    sleep 0.1
  done
  pactl set-default-source "$sink.monitor"
}

# Stops only a server that start_pulse started, and removes only its folder.
stop_pulse() {
  [ -n "${FRELOX_PULSE_DIR:-}" ] || return 0
  XDG_RUNTIME_DIR=$FRELOX_PULSE_DIR pulseaudio -k >/dev/null 2>&1 || true
  rm -rf "$FRELOX_PULSE_DIR"
  FRELOX_PULSE_DIR=
}

# The test tones: frequency (Hz) and amplitude (full scale 1) on the left,
# then on the right. Tones off the 100 Hz grid show at once if a capture is
# not one contiguous stretch of sound.
FRELOX_TEST_TONES="1234.5 0.5 4321 0.1"

# Plays the test tones into the given sink, 16-bit stereo at 44100 Hz, for
# up to ten minutes.
play_test_tones() {
  local tones
  read -r -a tones <<<"$FRELOX_TEST_TONES"
  sox -n -t raw -r 44100 -c 2 -b 16 -e signed - synth 600 sine "${tones[0]}" sine "${tones[2]}" \
    remix "1v${tones[1]}" "2v${tones[3]}" |
    pacat --device="$1" --format=s16le --rate=44100 --channels=2 2>/dev/null
}

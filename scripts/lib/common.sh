# Shared helpers of the project's scripts. Source it; it defines functions only.

FRELOX_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

# Everything the builds and tests use, from Debian's archive.
FRELOX_PACKAGES=(
  cmake ninja-build g++ libgtest-dev googletest libbenchmark-dev libfftw3-dev
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
  binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
  wine64 xvfb xauth xdotool x11-utils imagemagick
  pulseaudio pulseaudio-utils libasound2-plugins sox zip unzip python3 python3-pefile clang-format
)

log() { printf '\n=== %s\n' "$*"; }

# Sets FRELOX_EXE to the x86_64 program, building it first (log in
# build/NAME.build.log), unless FRELOX_EXE already names another build.
ensure_program() {
  [ -n "${FRELOX_EXE:-}" ] && return 0
  FRELOX_EXE=$FRELOX_ROOT/build/win64/shell/Frelox.exe
  mkdir -p "$FRELOX_ROOT/build"
  cmake --preset win64 -G Ninja >/dev/null &&
    cmake --build --preset win64 --target Frelox -j 2 >"$FRELOX_ROOT/build/$1.build.log" 2>&1
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
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  fi
}

# The 64-bit Wine loader; Debian puts no wine64 on PATH.
wine64_path() {
  if command -v wine64 >/dev/null 2>&1; then command -v wine64; else echo /usr/lib/wine/wine64; fi
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

# A throw-away Wine prefix under the given folder; exports what Wine needs.
init_wine_prefix() {
  export WINEPREFIX="$1"
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
  export FRELOX_WINE64
  FRELOX_WINE64=$(wine64_path)
  rm -rf "$WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  "$FRELOX_WINE64" wineboot -i >/dev/null 2>&1
  # Without a window manager, Wine waits up to 2 s for every managed
  # top-level window to be unmapped; unmanaged windows close at once.
  "$FRELOX_WINE64" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  use_wine_alsa_driver
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
  "${FRELOX_WINE64:-$(wine64_path)}" reg add 'HKCU\Software\Wine\Drivers' /v Audio /d alsa /f \
    >/dev/null 2>&1
}

wineserver_path() { echo "$(dirname "${FRELOX_WINE64:-$(wine64_path)}")/wineserver"; }

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

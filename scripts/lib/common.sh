# Shared helpers of the project's scripts. Source it; it defines functions only.

FRELOX_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

# Everything the builds and tests use, from Debian's archive.
FRELOX_PACKAGES=(
  cmake ninja-build g++ libgtest-dev googletest libbenchmark-dev libfftw3-dev
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
  binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
  wine64 wine32:i386 xvfb xauth xdotool x11-utils openbox wmctrl
  pulseaudio pulseaudio-utils libasound2-plugins libasound2-plugins:i386 sox zip unzip python3
  python3-pefile python3-pytest python3-numpy python3-pil clang-format tesseract-ocr
)

# Debian's own Python, which has the libraries above (python3-pefile,
# python3-pytest, ...); the python3 first on PATH may be another one.
FRELOX_PYTHON=/usr/bin/python3

# Runs a command in Xvfb, a private sound server, the test tones and a Wine
# prefix, as asked (see tests/e2e/surroundings.py), and ends them afterwards.
surroundings() { "$FRELOX_PYTHON" "$FRELOX_ROOT/tests/e2e/surroundings.py" "$@"; }

# The program's version, as the build states it.
frelox_version() {
  sed -n 's/^project(Frelox VERSION \([0-9.]*\).*/\1/p' "$FRELOX_ROOT/CMakeLists.txt"
}

# The release package that scripts/package.sh makes.
release_zip() { echo "$FRELOX_ROOT/dist/Frelox-$(frelox_version).zip"; }

# Checks a release zip and the program the build made (packaging/check_release.py):
# a line per check and pytest's closing line; non-zero on any failure.
check_release() {
  "$FRELOX_PYTHON" -m pytest "$FRELOX_ROOT/packaging/check_release.py" -v -p no:cacheprovider \
    --zip "$1" --exe "$2"
}

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

# Runs the measurement bench/SCRIPT (its arguments: the program, a work
# folder, then ARGS) on the program ensure_program NAME builds, in a folder
# of its own under build/ that is removed afterwards. It drives the program
# with the end-to-end tests' helpers, which it imports from tests/e2e.
measure_program() {
  local name=$1 script=$2
  shift 2
  ensure_packages
  ensure_program "$name" || {
    cat "$FRELOX_ROOT/build/$name.build.log"
    exit 1
  }
  mkdir -p "$FRELOX_ROOT/build"
  WORK=$(mktemp -d "$FRELOX_ROOT/build/$name.XXXXXX")
  trap 'rm -rf "$WORK"' EXIT
  PYTHONPATH="$FRELOX_ROOT/tests/e2e${PYTHONPATH:+:$PYTHONPATH}" \
    "$FRELOX_PYTHON" "$FRELOX_ROOT/bench/$script" "$FRELOX_EXE" "$WORK" "$@"
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

# Debian 13's user-mode emulator for i386 programs, where scripts/i386-emulated
# keeps it (with the package it came in).
I386_EMULATOR=$FRELOX_ROOT/build/i386-emulator/qemu-i386

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
    use_windows_build i686 "i686"
  else
    use_windows_build x86_64 "x86_64: this machine cannot execute 32-bit code"
  fi
}

# use_windows_build ARCH NOTE: sets what choose_windows_build sets, for ARCH.
use_windows_build() {
  FRELOX_ARCH=$1 FRELOX_BUILD_NOTE=$2
  if [ "$1" = i686 ]; then FRELOX_PRESET=win32; else FRELOX_PRESET=win64; fi
  FRELOX_WINE=$(wine_loader_for "$FRELOX_ARCH")
  export FRELOX_ARCH FRELOX_PRESET FRELOX_WINE FRELOX_BUILD_NOTE
}

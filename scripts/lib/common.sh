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
# unless FRELOX_EXE already names another build. Either way says whether
# 32-bit Wine runs emulated here (FRELOX_32BIT), which lengthens the waits.
ensure_program() {
  choose_windows_build
  [ -n "${FRELOX_EXE:-}" ] && return 0
  FRELOX_EXE=$FRELOX_ROOT/build/$FRELOX_PRESET/shell/Frelox.exe
  mkdir -p "$FRELOX_ROOT/build"
  cmake --preset "$FRELOX_PRESET" -G Ninja >/dev/null &&
    cmake --build --preset "$FRELOX_PRESET" --target Frelox -j 2 \
      >"$FRELOX_ROOT/build/$1.build.log" 2>&1
}

# Installs whatever of FRELOX_PACKAGES is missing (as root, with apt).
ensure_packages() { install_missing "${FRELOX_PACKAGES[@]}"; }

# Installs whatever of the given packages is missing (as root, with apt).
install_missing() {
  local missing=()
  local p
  for p in "$@"; do
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

# True when 32-bit x86 code runs here, natively or through a binfmt_misc
# handler. Found out by running the 32-bit Wine loader (an i386 program), not
# assumed: some kernels are built or started without 32-bit support.
# FRELOX_WINE32_PROBE names another program to run for it.
runs_32bit_code() {
  local loader
  loader=${FRELOX_WINE32_PROBE:-$(wine32_path)}
  [ -x "$loader" ] && QEMU_RESERVED_VA=$I386_EMULATOR_RESERVED_VA "$loader" --version >/dev/null 2>&1
}

BINFMT_DIR=/proc/sys/fs/binfmt_misc
I386_EMULATOR=/usr/bin/qemu-i386-static
I386_HANDLER_NAME=qemu-i386
# The header of every i386 ELF program (executable or shared object, any OS
# ABI), as binfmt_misc's magic and mask: the emulator's own registration.
I386_ELF_MAGIC='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
I386_ELF_MASK='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
# The emulated 32-bit Wine needs the whole 32-bit address space reserved up
# front (QEMU_RESERVED_VA): without it, it stops with "failed to map the
# shared user data", here only after minutes.
I386_EMULATOR_RESERVED_VA=0xffff0000
# Less than any program needs: the emulator then refuses every i386 program
# at once. The x86_64 build's Wine runs so, as where 32-bit code does not
# run at all; otherwise each of its new prefixes would get a 32-bit part made
# under emulation (5 minutes instead of 20 s on 2 shared cores).
I386_EMULATOR_REFUSING_VA=0x1000

# Prints the name of the binfmt_misc handler that claims the 32-bit Wine
# loader (the first 128 bytes of the file against each entry's offset, magic
# and mask), and fails when there is none. With "enabled", only a handler the
# kernel would use now counts.
i386_handler() {
  local only_enabled=${1:-} loader entry line state header offset magic mask i
  loader=${FRELOX_WINE32_PROBE:-$(wine32_path)}
  [ -r "$BINFMT_DIR/status" ] && [ -r "$loader" ] || return 1
  if [ "$only_enabled" = enabled ] && [ "$(cat "$BINFMT_DIR/status")" != enabled ]; then
    return 1
  fi
  header=$(od -An -tx1 -N128 "$loader" | tr -d ' \n')
  for entry in "$BINFMT_DIR"/*; do
    case ${entry##*/} in register | status) continue ;; esac
    state="" offset=0 magic="" mask=""
    while read -r line; do
      case $line in
        enabled | disabled) state=$line ;;
        "offset "*) offset=${line#offset } ;;
        "magic "*) magic=${line#magic } ;;
        "mask "*) mask=${line#mask } ;;
      esac
    done <"$entry"
    [ -n "$magic" ] || continue # a handler by file name extension
    [ "$only_enabled" = enabled ] && [ "$state" != enabled ] && continue
    [ -n "$mask" ] || mask=$(printf 'f%.0s' $(seq ${#magic}))
    for ((i = 0; i < ${#magic}; i += 2)); do
      (((0x${header:2*offset+i:2} & 0x${mask:i:2}) == (0x${magic:i:2} & 0x${mask:i:2}))) 2>/dev/null ||
        continue 2
    done
    echo "${entry##*/}"
    return 0
  done
  return 1
}

# How this machine executes 32-bit x86 code: "native", "emulated" (through
# a binfmt_misc handler, which the kernel asks before running an ELF program
# itself) or "none".
how_32bit_code_runs() {
  if ! runs_32bit_code; then
    echo none
  elif i386_handler enabled >/dev/null; then
    echo emulated
  else
    echo native
  fi
}

# Set-up (as root, by the run and test commands): where 32-bit code does not
# run, makes the i386 programs (32-bit Wine) run under Debian's user-mode
# emulator: installs qemu-user-static, mounts binfmt_misc if needed,
# registers the emulator for i386 programs unless a handler for them exists
# (one is never replaced) and probes again. A machine where 32-bit code runs,
# natively or so, is not touched. A step that is refused is said in one line,
# and everything goes on as without emulation.
ensure_32bit_emulation() {
  runs_32bit_code && return 0
  local cannot="32-bit code does not run here, and its emulation cannot be set up"
  if [ "$(id -u)" != 0 ]; then
    echo "$cannot: not root"
    return 0
  fi
  install_missing qemu-user-static || true
  if [ ! -x "$I386_EMULATOR" ]; then
    echo "$cannot: $I386_EMULATOR did not install"
    return 0
  fi
  if [ ! -e "$BINFMT_DIR/register" ]; then
    if ! grep -qw binfmt_misc /proc/filesystems; then
      echo "$cannot: this kernel has no binfmt_misc"
      return 0
    fi
    if ! mount -t binfmt_misc binfmt_misc "$BINFMT_DIR" 2>/dev/null; then
      echo "$cannot: binfmt_misc could not be mounted on $BINFMT_DIR"
      return 0
    fi
  fi
  local handler
  if handler=$(i386_handler); then
    echo "$cannot: i386 programs have a binfmt_misc handler ($handler), left as it is"
    return 0
  fi
  if ! printf '%s' ":$I386_HANDLER_NAME:M::$I386_ELF_MAGIC:$I386_ELF_MASK:$I386_EMULATOR:F" \
    2>/dev/null >"$BINFMT_DIR/register"; then
    echo "$cannot: binfmt_misc refused the handler for i386 programs"
    return 0
  fi
  if runs_32bit_code; then
    echo "32-bit code does not run here natively: i386 programs now run under $I386_EMULATOR" \
      "(binfmt_misc handler $I386_HANDLER_NAME)"
  else
    echo "$cannot: 32-bit Wine does not start under $I386_EMULATOR either"
  fi
}

# Chooses the Windows build that the tests, the run command and the
# measurements run: the i686 release where 32-bit code runs natively,
# otherwise the x86_64 build. Sets FRELOX_ARCH (i686 or x86_64),
# FRELOX_PRESET (win32 or win64), FRELOX_WINE (its Wine loader),
# FRELOX_BUILD_NOTE (what a summary line says of it) and FRELOX_32BIT
# (how_32bit_code_runs). Where 32-bit code runs only under emulation, the
# emulator refuses i386 programs unless QEMU_RESERVED_VA says otherwise
# (with_emulated_wine32).
choose_windows_build() {
  [ -n "${FRELOX_ARCH:-}" ] && return 0
  FRELOX_32BIT=$(how_32bit_code_runs)
  if [ "$FRELOX_32BIT" = native ]; then
    FRELOX_ARCH=i686 FRELOX_PRESET=win32 FRELOX_BUILD_NOTE="i686"
  else
    FRELOX_ARCH=x86_64 FRELOX_PRESET=win64
    FRELOX_BUILD_NOTE="x86_64: this machine cannot execute 32-bit code natively"
  fi
  if [ "$FRELOX_32BIT" = emulated ]; then
    export QEMU_RESERVED_VA=${QEMU_RESERVED_VA:-$I386_EMULATOR_REFUSING_VA}
  fi
  FRELOX_WINE=$(wine_loader_for "$FRELOX_ARCH")
  export FRELOX_ARCH FRELOX_PRESET FRELOX_WINE FRELOX_BUILD_NOTE FRELOX_32BIT
}

# Runs a command whose 32-bit Wine runs under the emulator (with what it needs).
with_emulated_wine32() { QEMU_RESERVED_VA=$I386_EMULATOR_RESERVED_VA "$@"; }

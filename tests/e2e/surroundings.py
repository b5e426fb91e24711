"""What the program needs around it on a Linux machine without a desktop, in
one place: a private X server (Xvfb), a private PulseAudio server whose null
sink's monitor is the default source (so that wave input device 0 hears what
is played into the sink), the test tones played into that sink, and a Wine
prefix that records through Wine's ALSA driver.

The end-to-end tests, the soak and the program measurement use the classes;
the shell scripts (the headless run, the Windows tests, the CTest emulator)
use the command:

    surroundings.py [--display] [--sound | --optional-sound] [--tones]
                    [--prefix DIR [--fresh]] [--wine LOADER] -- COMMAND ...

It starts what is asked for, runs COMMAND with DISPLAY, the sound server's
and Wine's variables set (and, while the tones play, FRELOX_TEST_TONES as
"left_hz left_amplitude right_hz right_amplitude"), ends everything it
started, also when interrupted, and exits with COMMAND's status."""

import argparse
import contextlib
import os
import select
import shutil
import signal
import struct
import subprocess
import sys
import tempfile

from clock import wait_until

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
COMMON_SH = os.path.join(ROOT, "scripts", "lib", "common.sh")

# The test tones (frequency in Hz, amplitude with full scale 1.0), left and
# right: off the 100 Hz grid and one of them between whole hertz, so that a
# capture that is not one contiguous stretch of sound breaks their phase and
# shows as a broad skirt of leakage, which tones on whole multiples of 100 Hz
# would hide.
LEFT_TONE = (1234.5, 0.5)
RIGHT_TONE = (4321.0, 0.1)
TONES_VARIABLE = "FRELOX_TEST_TONES"
# Set, to the prefix's path, for a command run in a prefix made ready here
# (scripts/wine-run then starts programs in it directly).
PREFIX_READY_VARIABLE = "FRELOX_PREFIX_READY"

SCREEN_GEOMETRY = "1280x1024x24"
SINK_NAME = "frelox"
SAMPLE_RATE_HZ = 44100
TONE_LENGTH_S = 24 * 3600  # longer than any run, the soak too; the player is stopped explicitly
START_TIMEOUT_S = 10
STOP_TIMEOUT_S = 5
PREFIX_TIMEOUT_S = 120
WINE_TIMEOUT_S = 20
# The machine field of a PE image's file header.
PE_ARCHITECTURES = {0x014C: "i686", 0x8664: "x86_64"}
PE_HEADER_OFFSET_AT = 0x3C
X11_DRIVER_KEY = "HKCU\\Software\\Wine\\X11 Driver"
# Where the program keeps its settings, in the prefix's registry.
SETTINGS_KEY = "HKCU\\Software\\Frelox"


def exe_architecture(exe):
    """"i686" or "x86_64", read from the Windows program's PE header."""
    with open(exe, "rb") as image:
        data = image.read(4096)
    (pe_offset,) = struct.unpack_from("<I", data, PE_HEADER_OFFSET_AT)
    if data[pe_offset:pe_offset + 4] != b"PE\0\0":
        raise ValueError("%s is not a PE image" % exe)
    (machine,) = struct.unpack_from("<H", data, pe_offset + 4)
    if machine not in PE_ARCHITECTURES:
        raise ValueError("%s is built for machine 0x%04x" % (exe, machine))
    return PE_ARCHITECTURES[machine]


def wine_loader_for(architecture):
    """The Wine loader for a program of this architecture (the scripts' choice)."""
    return subprocess.run(["bash", "-c", 'source "$0"; wine_loader_for "$1"', COMMON_SH,
                           architecture], capture_output=True, text=True, check=True,
                          timeout=WINE_TIMEOUT_S).stdout.strip()


class VirtualDisplay:
    """Xvfb on a display number the server picks itself."""

    def __init__(self):
        self.process = None
        self.name = None

    def start(self):
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", SCREEN_GEOMETRY,
             "-nolisten", "tcp"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        number = b""
        with os.fdopen(read_end, "rb", buffering=0) as announcement:
            # Xvfb writes the number once it listens, then a newline.
            while not number.endswith(b"\n"):
                ready, _, _ = select.select([announcement], [], [], START_TIMEOUT_S)
                chunk = announcement.read(16) if ready else b""
                if not chunk:
                    break
                number += chunk
        number = number.strip()
        if not number:
            self.stop()
            raise RuntimeError("Xvfb did not start")
        self.name = ":" + number.decode()
        return self.name

    def stop(self):
        if self.process and self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(START_TIMEOUT_S)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.process = None


class SoundServer:
    """A private PulseAudio server with one null sink, its monitor the
    default source, in a runtime folder of its own."""

    def __init__(self, runtime_dir):
        self.runtime_dir = runtime_dir
        self.pid = None

    def client_env(self, base_env):
        """The environment under which clients find this server (and no other)."""
        env = dict(base_env)
        env["XDG_RUNTIME_DIR"] = self.runtime_dir
        env["PULSE_RUNTIME_PATH"] = os.path.join(self.runtime_dir, "pulse")
        env["PULSE_STATE_PATH"] = os.path.join(self.runtime_dir, "state")
        env.pop("PULSE_SERVER", None)
        return env

    def start(self):
        shutil.rmtree(self.runtime_dir, ignore_errors=True)
        os.makedirs(self.runtime_dir, mode=0o700)
        os.chmod(self.runtime_dir, 0o700)
        env = self.client_env(os.environ)
        subprocess.run(
            ["pulseaudio", "--daemonize=yes", "--exit-idle-time=-1", "-n",
             "--load=module-null-sink sink_name=" + SINK_NAME,
             "--load=module-native-protocol-unix"],
            env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            timeout=START_TIMEOUT_S, check=True)
        self.pid = self._read_pid()
        if not wait_until(lambda: self._answers(env), START_TIMEOUT_S):
            raise RuntimeError("the private PulseAudio server does not answer")
        subprocess.run(["pactl", "set-default-source", SINK_NAME + ".monitor"], env=env,
                       timeout=START_TIMEOUT_S, check=True, stdout=subprocess.DEVNULL)

    def add_sink(self, name):
        """Loads another null sink; returns its module's number (for
        remove_sink). Its monitor is then an input of its own."""
        done = subprocess.run(["pactl", "load-module", "module-null-sink", "sink_name=" + name],
                              env=self.client_env(os.environ), stdout=subprocess.PIPE,
                              stderr=subprocess.DEVNULL, timeout=START_TIMEOUT_S, check=True)
        return int(done.stdout.decode().strip())

    def remove_sink(self, module):
        """Unloads a sink as a pulled device goes: its recorders lose it."""
        subprocess.run(["pactl", "unload-module", str(module)], env=self.client_env(os.environ),
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       timeout=START_TIMEOUT_S, check=True)

    def kill(self):
        """Ends the server at once, as a crash would."""
        if self.pid and _alive(self.pid):
            os.kill(self.pid, signal.SIGKILL)
            wait_until(lambda: not _alive(self.pid), STOP_TIMEOUT_S)
        self.pid = None

    def stop(self):
        if self.pid and _alive(self.pid):
            subprocess.run(["pulseaudio", "-k"], env=self.client_env(os.environ),
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                           timeout=STOP_TIMEOUT_S)
            if not wait_until(lambda: not _alive(self.pid), STOP_TIMEOUT_S):
                os.kill(self.pid, signal.SIGKILL)
        self.pid = None
        shutil.rmtree(self.runtime_dir, ignore_errors=True)

    def _read_pid(self):
        pid_file = os.path.join(self.runtime_dir, "pulse", "pid")
        text = wait_until(lambda: _read_text(pid_file), START_TIMEOUT_S)
        if not text:
            raise RuntimeError("the private PulseAudio server wrote no pid file")
        return int(text)

    @staticmethod
    def _answers(env):
        return subprocess.run(["pactl", "info"], env=env, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL, timeout=START_TIMEOUT_S).returncode == 0


# Writes the tones of argv (left Hz, amplitude, right Hz, amplitude) plus
# Gaussian white noise of the RMS argv[5] on both channels, and the left
# tone's harmonics (pairs of order and level in dB relative to it) after
# that, as 16-bit stereo, second by second, until it is killed.
NOISY_TONES_SCRIPT = """
import sys
import numpy as np
left_hz, left_amplitude, right_hz, right_amplitude, noise_rms = map(float, sys.argv[1:6])
harmonics = list(zip(map(int, sys.argv[6::2]), map(float, sys.argv[7::2])))
rate = %d
random = np.random.default_rng(1)
start = 0
while True:
    t = (start + np.arange(rate)) / rate
    block = np.stack([left_amplitude * np.sin(2 * np.pi * left_hz * t),
                      right_amplitude * np.sin(2 * np.pi * right_hz * t)], axis=1)
    for order, db in harmonics:
        block[:, 0] += left_amplitude * 10 ** (db / 20) * np.sin(2 * np.pi * order * left_hz * t)
    if noise_rms:
        block += random.normal(0.0, noise_rms, block.shape)
    sys.stdout.buffer.write(np.clip(np.round(block * 32767), -32768, 32767).astype("<i2").tobytes())
    start += rate
""" % SAMPLE_RATE_HZ


class TonePlayer:
    """Plays a sine of given frequency and amplitude (full scale 1.0) on each
    channel into the server's sink, as 16-bit stereo at 44100 Hz; with
    noise_rms, white noise of that RMS is added to both; left_harmonics,
    pairs of order and level in dB relative to the left tone, are added to
    the left channel."""

    def __init__(self, server, left=LEFT_TONE, right=RIGHT_TONE, latency_ms=None, sink=SINK_NAME,
                 noise_rms=0.0, left_harmonics=()):
        self.server = server
        self.sink = sink
        self.left = left    # (frequency in Hz, amplitude)
        self.right = right
        self.noise_rms = noise_rms
        self.left_harmonics = tuple(left_harmonics)
        self.latency_ms = latency_ms  # the player's buffering; the server's default if None
        self.generator = None
        self.player = None

    def variable(self):
        """The tones as FRELOX_TEST_TONES states them."""
        return "%r %r %r %r" % (self.left + self.right)

    def start(self):
        env = self.server.client_env(os.environ)
        (left_hz, left_amplitude), (right_hz, right_amplitude) = self.left, self.right
        if self.noise_rms or self.left_harmonics:
            generator = [sys.executable, "-c", NOISY_TONES_SCRIPT] + [
                repr(v) for v in (left_hz, left_amplitude, right_hz, right_amplitude, self.noise_rms)
            ] + [repr(v) for harmonic in self.left_harmonics for v in harmonic]
        else:
            generator = ["sox", "-n", "-t", "raw", "-r", str(SAMPLE_RATE_HZ), "-c", "2", "-b", "16",
                         "-e", "signed", "-", "synth", str(TONE_LENGTH_S),
                         "sine", repr(left_hz), "sine", repr(right_hz),
                         "remix", "1v%r" % left_amplitude, "2v%r" % right_amplitude]
        self.generator = subprocess.Popen(generator, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        latency = ["--latency-msec=%d" % self.latency_ms] if self.latency_ms else []
        self.player = subprocess.Popen(
            ["pacat", "--device=" + self.sink, "--format=s16le",
             "--rate=%d" % SAMPLE_RATE_HZ, "--channels=2"] + latency,
            stdin=self.generator.stdout, env=env,
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.generator.stdout.close()

    def stop(self):
        for process in (self.player, self.generator):
            if process and process.poll() is None:
                process.kill()
            if process:
                process.wait()
        self.player = self.generator = None


class WinePrefix:
    """A Wine prefix for the given loader, recording through Wine's ALSA
    driver, with one wineserver kept for as long as it is in use."""

    def __init__(self, path, loader):
        self.path = path
        self.loader = loader
        self.wineserver = os.path.join(os.path.dirname(loader), "wineserver")
        self.fresh = False
        self.display = None

    def env(self, base_env):
        """The environment of a command in the prefix. Its commands run on the
        prefix's display: the first Wine process after the prefix's desktop
        process ended starts it anew, and one started without a display
        leaves every later program in the prefix without a window."""
        env = dict(base_env)
        if self.display:
            env["DISPLAY"] = self.display
        env["WINEPREFIX"] = self.path
        env["WINEDLLOVERRIDES"] = "mscoree,mshtml="
        env.setdefault("WINEDEBUG", "-all")
        return env

    def open(self, display, fresh, private_display=True):
        """Makes the prefix, anew if fresh, otherwise only if missing. On a
        private Xvfb, which has no window manager, Wine would wait up to 2 s
        for every managed top-level window to be unmapped, so windows are
        unmanaged there (Managed=N). On the user's own display the window
        manager manages them: a Managed=N that an earlier headless run left
        in the prefix is removed. Wine's PulseAudio driver hands over
        captures that are not one contiguous stretch of sound; its ALSA
        driver, reaching the sound server through ALSA's PulseAudio plugin,
        does not: it is set in every prefix, an older one too. A fresh
        prefix is this run's alone: it keeps one wineserver until close(),
        so that every program starts faster."""
        self.fresh = fresh
        self.display = display
        if fresh:
            shutil.rmtree(self.path, ignore_errors=True)
        env = dict(self.env(os.environ), DISPLAY=display or "")
        if not os.path.isdir(self.path):
            os.makedirs(self.path)
            self._run(env, "wineboot", "-i")
        if private_display:
            self._reg(env, X11_DRIVER_KEY, "Managed", "N")
        elif self.query(X11_DRIVER_KEY).get("Managed") == "N":
            self._run(env, "reg", "delete", X11_DRIVER_KEY, "/v", "Managed", "/f")
        self._reg(env, "HKCU\\Software\\Wine\\Drivers", "Audio", "alsa")
        if fresh:
            subprocess.run([self.wineserver, "-p"], env=env, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, timeout=WINE_TIMEOUT_S)

    def set_extra_input_devices(self, alsa_names):
        """Makes Wine's ALSA driver list these ALSA devices as wave inputs
        after its "default" one; none for an empty list."""
        key = "HKCU\\Software\\Wine\\Drivers\\winealsa.drv"
        if alsa_names:
            self._run(self.env(os.environ), "reg", "add", key, "/v", "ALSAInputDevices",
                      "/t", "REG_MULTI_SZ", "/d", "\\0".join(alsa_names), "/f")
        else:
            self._run(self.env(os.environ), "reg", "delete", key, "/v", "ALSAInputDevices", "/f")

    def query(self, key):
        """{value name: data as `reg query` prints it} of a registry key in
        the prefix; empty when the key is missing."""
        listing = subprocess.run([self.loader, "reg", "query", key], env=self.env(os.environ),
                                 capture_output=True, timeout=PREFIX_TIMEOUT_S)
        values = {}
        for line in listing.stdout.decode("utf-8", "replace").splitlines():
            fields = line.split(None, 2)
            if len(fields) >= 2 and fields[1].startswith("REG_"):
                values[fields[0]] = fields[2].strip() if len(fields) > 2 else ""
        return values

    def forget_settings(self):
        """Removes what the program stored, so that it starts as the first time."""
        self._run(self.env(os.environ), "reg", "delete", SETTINGS_KEY, "/f")

    def close(self):
        """Ends every process of a fresh prefix, the wineserver included; a
        prefix made before may be in use by others and is left alone."""
        if not self.fresh:
            return
        for option in ("-k", "-w"):
            subprocess.run([self.wineserver, option], env=self.env(os.environ),
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                           timeout=WINE_TIMEOUT_S)

    def add_value(self, key, value, data, kind="REG_SZ"):
        """Sets a registry value in the prefix, as `reg add` does."""
        self._reg(self.env(os.environ), key, value, data, kind)

    def _reg(self, env, key, value, data, kind="REG_SZ"):
        self._run(env, "reg", "add", key, "/v", value, "/t", kind, "/d", data, "/f")

    def _run(self, env, *command):
        subprocess.run([self.loader, *command], env=env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=PREFIX_TIMEOUT_S)


@contextlib.contextmanager
def started(thing, *args):
    """Starts (or opens) a display, server, player or prefix and stops (or
    closes) it on leaving, also after a failure."""
    (thing.start if hasattr(thing, "start") else thing.open)(*args)
    try:
        yield thing
    finally:
        (thing.stop if hasattr(thing, "stop") else thing.close)()


def _alive(pid):
    try:
        os.kill(pid, 0)
    except ProcessLookupError:
        return False
    # A zombie is dead for our purposes.
    try:
        with open("/proc/%d/stat" % pid) as stat:
            return stat.read().split(") ")[-1][:1] != "Z"
    except OSError:
        return False


def _read_text(path):
    try:
        with open(path) as text:
            return text.read().strip()
    except OSError:
        return ""


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--display", action="store_true", help="start a private Xvfb")
    parser.add_argument("--sound", action="store_true", help="start a private sound server")
    parser.add_argument("--optional-sound", action="store_true",
                        help="the same, but go on without one if it does not start")
    parser.add_argument("--tones", action="store_true", help="play the test tones into it")
    parser.add_argument("--prefix", help="the Wine prefix to use, made if missing")
    parser.add_argument("--fresh", action="store_true", help="make the prefix anew")
    parser.add_argument("--wine", help="the Wine loader for the prefix")
    parser.add_argument("command", nargs=argparse.REMAINDER)
    args = parser.parse_args(argv)
    command = args.command[1:] if args.command[:1] == ["--"] else args.command
    if not command or (args.prefix and not args.wine):
        parser.error("a command, and --wine with --prefix, are needed")
    # Ended from outside, still end everything started here.
    signal.signal(signal.SIGTERM, lambda number, frame: sys.exit(128 + number))
    env = dict(os.environ)
    with contextlib.ExitStack() as stack:
        if args.display:
            env["DISPLAY"] = stack.enter_context(started(VirtualDisplay())).name
        if args.sound or args.optional_sound:
            runtime = stack.enter_context(tempfile.TemporaryDirectory(prefix="frelox-sound-"))
            server = SoundServer(os.path.join(runtime, "pulse"))
            try:
                stack.enter_context(started(server))
            except (OSError, RuntimeError, subprocess.SubprocessError) as error:
                if not args.optional_sound:
                    raise
                print("no sound server (%s): going on without one" % error, file=sys.stderr)
                server = None
            if server:
                env = server.client_env(env)
                if args.tones:
                    env[TONES_VARIABLE] = stack.enter_context(started(TonePlayer(server))).variable()
        if args.prefix:
            prefix = WinePrefix(os.path.abspath(args.prefix), args.wine)
            stack.enter_context(started(prefix, env.get("DISPLAY"), args.fresh, args.display))
            env = prefix.env(env)
            env[PREFIX_READY_VARIABLE] = prefix.path
        return subprocess.run(command, env=env).returncode


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))

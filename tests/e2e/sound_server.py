"""A private PulseAudio server with one null sink, and test tones played into it.

The sink's monitor is made the default source, so the first wave input
device that Wine lists ("PulseAudio", the default source) hears exactly what
is played into the sink."""

import os
import shutil
import signal
import subprocess

from clock import wait_until

SINK_NAME = "frelox_e2e"
# The tones every case plays (frequency in Hz, amplitude with full scale 1.0),
# off the 100 Hz grid and one of them between whole hertz: a capture that is
# not one contiguous stretch of sound breaks their phase and shows as a broad
# skirt of leakage, which tones on whole multiples of 100 Hz would hide.
LEFT_TONE = (1234.5, 0.5)
RIGHT_TONE = (4321.0, 0.1)
SAMPLE_RATE_HZ = 44100
START_TIMEOUT_S = 10
STOP_TIMEOUT_S = 5
TONE_LENGTH_S = 24 * 3600  # longer than any run, the soak too; the player is stopped explicitly


class PrivateSoundServer:
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


class TonePlayer:
    """Plays a sine of given frequency and amplitude (full scale 1.0) on each
    channel into the server's sink, as 16-bit stereo at 44100 Hz."""

    def __init__(self, server, left=LEFT_TONE, right=RIGHT_TONE, latency_ms=None):
        self.server = server
        self.left = left    # (frequency in Hz, amplitude)
        self.right = right
        self.latency_ms = latency_ms  # the player's buffering; the server's default if None
        self.generator = None
        self.player = None

    def start(self):
        env = self.server.client_env(os.environ)
        (left_hz, left_amplitude), (right_hz, right_amplitude) = self.left, self.right
        self.generator = subprocess.Popen(
            ["sox", "-n", "-t", "raw", "-r", str(SAMPLE_RATE_HZ), "-c", "2", "-b", "16",
             "-e", "signed", "-", "synth", str(TONE_LENGTH_S),
             "sine", repr(left_hz), "sine", repr(right_hz),
             "remix", "1v%r" % left_amplitude, "2v%r" % right_amplitude],
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        latency = ["--latency-msec=%d" % self.latency_ms] if self.latency_ms else []
        self.player = subprocess.Popen(
            ["pacat", "--device=" + SINK_NAME, "--format=s16le",
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

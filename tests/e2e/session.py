"""One end-to-end run's surroundings: a virtual display, one Wine prefix for
every case, and per case a private sound server (or none) and the program.

Every process started here is ended in close(), also after a failure."""

import os
import shutil
import tempfile

from program import INFO_CAPTION, RunningProgram
from sound_server import PrivateSoundServer, TonePlayer
from virtual_display import VirtualDisplay
from wine_prefix import WinePrefix

DEVICE_INFO_TEXT = "Using PulseAudio."
START_TIMEOUT_S = 30
FIRST_SPECTRA = 3


class Session:
    def __init__(self, exe, work_dir):
        self.exe = exe
        self.work_dir = work_dir
        self.display = VirtualDisplay()
        self.prefix = WinePrefix(os.path.join(work_dir, "wine-prefix"))
        self.sound = None
        self.tone = None
        self.programs = []
        self.runtime_root = tempfile.mkdtemp(prefix="frelox-e2e-")

    def open(self):
        os.makedirs(self.work_dir, exist_ok=True)
        display = self.display.start()
        self.prefix.create(display)

    def close(self):
        self.end_case()
        self.prefix.kill_all()
        self.display.stop()
        shutil.rmtree(self.runtime_root, ignore_errors=True)
        shutil.rmtree(self.prefix.path, ignore_errors=True)

    def start_sound(self, left=None, right=None):
        """A private sound server; with a tone (frequency, amplitude) per
        channel played into it if given."""
        self.sound = PrivateSoundServer(os.path.join(self.runtime_root, "pulse"))
        self.sound.start()
        if left and right:
            self.tone = TonePlayer(self.sound, left, right)
            self.tone.start()

    def env(self):
        env = self.prefix.env(os.environ)
        env["DISPLAY"] = self.display.name
        env["FRELOX_WINE64"] = self.prefix.loader
        if self.sound:
            return self.sound.client_env(env)
        # No server: an empty private runtime folder, and no server started on demand.
        empty = os.path.join(self.runtime_root, "no-sound")
        os.makedirs(empty, mode=0o700, exist_ok=True)
        env["XDG_RUNTIME_DIR"] = empty
        env["PULSE_RUNTIME_PATH"] = os.path.join(empty, "pulse")
        env["PULSE_SERVER"] = "unix:" + os.path.join(empty, "no-server")
        return env

    def launch(self, name):
        """Starts the program; its Wine trace goes to <work_dir>/<name>.log."""
        program = RunningProgram(self.exe, self.env(), os.path.join(self.work_dir, name + ".log"))
        self.programs.append(program)
        return program

    def launch_measuring(self, name):
        """Starts the program with the sound server running, dismisses the box
        that names the device (Wine lists two), and waits for the first
        spectra. Returns the program, or None with the reason."""
        program = self.launch(name)
        if not program.wait_for_message_box(DEVICE_INFO_TEXT, START_TIMEOUT_S):
            return None, "no %r box; boxes: %r" % (DEVICE_INFO_TEXT, program.message_boxes())
        if not program.dismiss(INFO_CAPTION):
            return None, "the Info box could not be dismissed"
        if not program.wait_for_captures(FIRST_SPECTRA, START_TIMEOUT_S):
            return None, "no spectra within %d s" % START_TIMEOUT_S
        return program, ""

    def end_case(self):
        for program in self.programs:
            program.kill()
        self.programs = []
        if self.tone:
            self.tone.stop()
            self.tone = None
        if self.sound:
            self.sound.stop()
            self.sound = None

"""One end-to-end run's surroundings: a virtual display, one Wine prefix for
every case, and per case a private sound server (or none) and the program.

Every process started here is ended in close(), also after a failure."""

import os
import shutil
import tempfile

from program import INFO_CAPTION, RunningProgram
from sound_server import LEFT_TONE, RIGHT_TONE, PrivateSoundServer, TonePlayer
from virtual_display import VirtualDisplay
from wine_prefix import WinePrefix, exe_architecture

START_TIMEOUT_S = 30
FIRST_SPECTRA = 3


class Session:
    def __init__(self, exe, work_dir):
        self.exe = exe
        self.work_dir = work_dir
        self.display = VirtualDisplay()
        self.prefix = WinePrefix(os.path.join(work_dir, "wine-prefix"), exe_architecture(exe))
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

    def start_sound(self, tones=True):
        """A private sound server, playing the test tones (LEFT_TONE,
        RIGHT_TONE) into its sink unless tones is False."""
        self.sound = PrivateSoundServer(os.path.join(self.runtime_root, "pulse"))
        self.sound.start()
        if tones:
            self.tone = TonePlayer(self.sound, LEFT_TONE, RIGHT_TONE)
            self.tone.start()

    def env(self):
        env = self.prefix.env(os.environ)
        env["DISPLAY"] = self.display.name
        env["FRELOX_WINE"] = self.prefix.loader
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

    def launch_measuring(self, name, device_box=None):
        """Starts the program with the sound server running and waits for the
        first spectra. The sound server is the only device, so no box may
        appear; with device_box, the text of the "Info" box that names the
        device when there are several, that box must appear and is dismissed.
        Returns the program, or None with the reason."""
        program = self.launch(name)
        if device_box:
            if not program.wait_for_message_box(device_box, START_TIMEOUT_S):
                return None, "no %r box; boxes: %r" % (device_box, program.message_boxes())
            if not program.dismiss(INFO_CAPTION):
                return None, "the Info box could not be dismissed"
        if not program.wait_for_captures(FIRST_SPECTRA, START_TIMEOUT_S):
            return None, "no spectra within %d s; boxes: %r" % (START_TIMEOUT_S, program.message_boxes())
        if program.message_boxes() != ([device_box] if device_box else []):
            return None, "unexpected boxes: %r" % program.message_boxes()
        return program, ""

    def end_case_programs(self):
        for program in self.programs:
            program.kill()
        self.programs = []

    def end_case(self):
        self.end_case_programs()
        if self.tone:
            self.tone.stop()
            self.tone = None
        if self.sound:
            self.sound.stop()
            self.sound = None

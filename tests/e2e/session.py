"""One run's surroundings for the program under test: a virtual display and
one Wine prefix for the whole run, a private sound server (or none) and the
programs started in it. The end-to-end tests' fixtures, the soak and the
program measurement build on it.

Every process started here is ended on leaving the session (and on leaving
sound() and running()), also after a failure."""

import contextlib
import os
import shutil
import tempfile

import surroundings
from program import INFO_CAPTION, RunningProgram
from surroundings import LEFT_TONE, RIGHT_TONE, SoundServer, TonePlayer, VirtualDisplay, WinePrefix

START_TIMEOUT_S = 30
FIRST_SPECTRA = 3


class Session:
    def __init__(self, exe, work_dir):
        self.exe = exe
        self.work_dir = work_dir
        self.display = VirtualDisplay()
        loader = surroundings.wine_loader_for(surroundings.exe_architecture(exe))
        self.prefix = WinePrefix(os.path.join(work_dir, "wine-prefix"), loader)
        self.server = None
        self.tone = None
        self.programs = []
        self.runtime_root = None

    def __enter__(self):
        os.makedirs(self.work_dir, exist_ok=True)
        self.runtime_root = tempfile.mkdtemp(prefix="frelox-e2e-")
        try:
            self.prefix.open(self.display.start(), fresh=True)
        except BaseException:
            self.__exit__()
            raise
        return self

    def __exit__(self, *failure):
        self.end_programs()
        self.prefix.close()
        self.display.stop()
        shutil.rmtree(self.runtime_root, ignore_errors=True)
        shutil.rmtree(self.prefix.path, ignore_errors=True)

    @contextlib.contextmanager
    def sound(self, tones=True, latency_ms=None):
        """A private sound server while inside, playing the test tones
        (LEFT_TONE, RIGHT_TONE) into its sink unless tones is False; the
        tones' player is self.tone."""
        self.server = SoundServer(os.path.join(self.runtime_root, "pulse"))
        try:
            with surroundings.started(self.server):
                try:
                    if tones:
                        self.tone = TonePlayer(self.server, LEFT_TONE, RIGHT_TONE, latency_ms)
                        self.tone.start()
                    yield self.server
                finally:
                    self.end_programs()
                    if self.tone:
                        self.tone.stop()
        finally:
            self.server = self.tone = None

    def env(self):
        env = self.prefix.env(os.environ)
        env["DISPLAY"] = self.display.name
        if self.server:
            return self.server.client_env(env)
        # No server: an empty private runtime folder, and no server started on demand.
        empty = os.path.join(self.runtime_root, "no-sound")
        os.makedirs(empty, mode=0o700, exist_ok=True)
        env["XDG_RUNTIME_DIR"] = empty
        env["PULSE_RUNTIME_PATH"] = os.path.join(empty, "pulse")
        env["PULSE_SERVER"] = "unix:" + os.path.join(empty, "no-server")
        return env

    def launch(self, name, keep_settings=False, trace=True):
        """Starts the program; its Wine trace goes to <work_dir>/<name>.log
        (none without trace). It starts with the first start's settings
        unless keep_settings, with what an earlier program in this prefix
        stored."""
        if not keep_settings:
            self.prefix.forget_settings()
        program = RunningProgram(self.prefix.loader, self.exe, self.env(),
                                 os.path.join(self.work_dir, name + ".log"), trace)
        self.programs.append(program)
        return program

    @contextlib.contextmanager
    def running(self, name):
        """The program while inside; killed on leaving if it still runs."""
        program = self.launch(name)
        try:
            yield program
        finally:
            program.kill()

    def launch_measuring(self, name, device_box=None, keep_settings=False):
        """Starts the program with the sound server running and waits for the
        first spectra. The sound server is the only device, so no box may
        appear; with device_box, the text of the "Info" box that names the
        device when there are several, that box must appear and is dismissed.
        Returns the program, or None with the reason."""
        program = self.launch(name, keep_settings)
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

    def end_programs(self):
        for program in self.programs:
            program.kill()
        self.programs = []

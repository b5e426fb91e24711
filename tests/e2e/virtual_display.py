"""A private X server (Xvfb) on a display number the server picks itself."""

import os
import select
import subprocess

SCREEN_GEOMETRY = "1280x1024x24"
START_TIMEOUT_S = 10


class VirtualDisplay:
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

"""The program under test, running under Wine in the virtual display.

Everything here acts from outside as a user would (keys to the focused
window) or reads what the system shows: screenshots, Wine's traces, the exit
status, the process's memory in /proc."""

import subprocess
import time

import wine_trace
from clock import now_s, wait_until
from picture import Picture, Rect

FRAME_TITLE = "Frelox"
INFO_CAPTION = "Info"
ERROR_CAPTION = "Error"
KEY_DELAY_MS = 150
FOCUS_SETTLE_S = 0.2
TOOL_TIMEOUT_S = 20
WINDOW_TIMEOUT_S = 20


class RunningProgram:
    def __init__(self, loader, exe, env, log_path, trace=True):
        """Wine traces the wave input calls and the boxes unless trace is
        False (then only its own errors, as for a user)."""
        self.log_path = log_path
        env = dict(env, WINEDEBUG=wine_trace.TRACE_CHANNELS if trace else "-all")
        self.env = env
        self._log = open(log_path, "wb")
        self.started_s = now_s()
        self.process = subprocess.Popen([loader, exe], env=env,
                                        stdout=subprocess.DEVNULL, stderr=self._log)
        self.ended_s = None

    # What Wine traced.

    def log_text(self):
        with open(self.log_path, "rb") as log:
            return log.read().decode("utf-8", "replace")

    def message_boxes(self):
        return wine_trace.message_box_texts(self.log_text())

    def captures_queued(self):
        return wine_trace.call_times(self.log_text(), wine_trace.CAPTURE_QUEUED)

    def captures_returned(self):
        return wine_trace.call_times(self.log_text(), wine_trace.CAPTURE_TAKEN_BACK)

    def wait_for_message_box(self, text, timeout_s=WINDOW_TIMEOUT_S):
        return wait_until(lambda: text in self.message_boxes(), timeout_s)

    def wait_for_captures(self, count, timeout_s):
        """Waits until `count` more captures than now have been queued; each
        capture queued after the first follows a spectrum just drawn."""
        target = len(self.captures_queued()) + count
        return wait_until(lambda: len(self.captures_queued()) >= target or not self.running(),
                          timeout_s) and self.running()

    # Windows and keys.

    def window(self, title, timeout_s=WINDOW_TIMEOUT_S):
        """The X window id of the visible top-level window with this title, or None."""
        def find():
            found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^%s$" % title],
                                   env=self.env, capture_output=True, text=True,
                                   timeout=TOOL_TIMEOUT_S).stdout.split()
            return found[0] if found else None
        return wait_until(find, timeout_s, poll_s=0.1)

    def dismiss(self, caption, timeout_s=WINDOW_TIMEOUT_S):
        """Presses Return in the message box with this caption; False if none came."""
        box = self.window(caption, timeout_s)
        if not box:
            return False
        self._xdotool("windowfocus", box)
        time.sleep(FOCUS_SETTLE_S)
        self._xdotool("key", "Return")
        return bool(wait_until(lambda: not self.window(caption, 0), timeout_s))

    def choose_file(self, title, path, type_number=1, timeout_s=WINDOW_TIMEOUT_S):
        """Types the path (of this machine; Wine's drive Z: is its root) into
        the file dialog with this title, chooses its file type number
        `type_number` (from 1, the first chosen when the dialog opens: Tab
        from the name to the type list, Down for each next type) and presses
        Return. False if no such dialog came or it did not close."""
        dialog = self.window(title, timeout_s)
        if not dialog:
            return False
        self._xdotool("windowfocus", dialog)
        time.sleep(FOCUS_SETTLE_S)
        self._xdotool("type", "--delay", str(KEY_DELAY_MS // 5), "Z:" + path.replace("/", "\\"))
        if type_number > 1:
            for key in ["Tab"] + ["Down"] * (type_number - 1):
                time.sleep(KEY_DELAY_MS / 1000)
                self._xdotool("key", key)
            time.sleep(KEY_DELAY_MS / 1000)
        self._xdotool("key", "Return")
        return bool(wait_until(lambda: not self.window(title, 0), timeout_s))

    def type_into(self, title, *keys, timeout_s=WINDOW_TIMEOUT_S):
        """Types keys into the window with this title (a dialog); False if none came."""
        window = self.window(title, timeout_s)
        if not window:
            return False
        self._xdotool("windowfocus", window)
        time.sleep(FOCUS_SETTLE_S)
        for key in keys:
            self._xdotool("key", key)
            time.sleep(KEY_DELAY_MS / 1000)
        return True

    def keys(self, *keys):
        """Types keys (xdotool names, e.g. "alt+a", "k") into the frame, one by
        one. Returns the time the last key was sent, or None without a frame."""
        frame = self.window(FRAME_TITLE)
        if not frame:
            return None
        self._xdotool("windowfocus", frame)
        sent_s = None
        for key in keys:
            time.sleep(KEY_DELAY_MS / 1000)
            sent_s = now_s()
            self._xdotool("key", key)
        time.sleep(KEY_DELAY_MS / 1000)
        return sent_s

    def frame_rect(self):
        """The frame's Rect on the screen, or None."""
        frame = self.window(FRAME_TITLE, 0)
        if not frame:
            return None
        found = subprocess.run(["xdotool", "getwindowgeometry", "--shell", frame], env=self.env,
                               capture_output=True, text=True, timeout=TOOL_TIMEOUT_S).stdout
        geometry = dict(line.split("=", 1) for line in found.split())
        if not {"X", "Y", "WIDTH", "HEIGHT"} <= geometry.keys():
            return None
        return Rect(*(int(geometry[key]) for key in ("X", "Y", "WIDTH", "HEIGHT")))

    def screenshot(self):
        rect = self.frame_rect()
        return Picture.grab(self.env["DISPLAY"], rect) if rect else None

    def move_pointer(self, x, y):
        """Moves the mouse pointer to (x, y) of the frame's screenshot."""
        rect = self.frame_rect()
        if rect:
            self.move_pointer_on_screen(max(rect.left, 0) + x, max(rect.top, 0) + y)

    def click(self, button, repeat=1):
        """Clicks a mouse button where the pointer is: 1 the left one, 4 and
        5 the wheel's notches away from and towards the user; repeat 2 with
        the button 1 is a double click."""
        self._xdotool("click", "--repeat", str(repeat), "--delay", "60", str(button))
        time.sleep(FOCUS_SETTLE_S)

    def move_pointer_on_screen(self, x, y):
        self._xdotool("mousemove", str(x), str(y))
        time.sleep(FOCUS_SETTLE_S)

    def _xdotool(self, *args):
        subprocess.run(["xdotool", *args], env=self.env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=TOOL_TIMEOUT_S)

    # The process.

    def running(self):
        return self.process.poll() is None

    def wait_exit(self, timeout_s):
        """The exit status, or None if the program still runs after timeout_s."""
        try:
            status = self.process.wait(timeout_s)
        except subprocess.TimeoutExpired:
            return None
        if self.ended_s is None:
            self.ended_s = now_s()
        return status

    def watch_exit(self, timeout_s, poll_s=0.01):
        """Like wait_exit, but notes the end time to within poll_s."""
        ended = wait_until(lambda: not self.running(), timeout_s, poll_s)
        if ended and self.ended_s is None:
            self.ended_s = now_s()
        return self.process.returncode if ended else None

    def rss_kib(self):
        try:
            with open("/proc/%d/status" % self.process.pid) as status:
                for line in status:
                    if line.startswith("VmRSS:"):
                        return int(line.split()[1])
        except OSError:
            pass
        return None

    def kill(self):
        if self.running():
            self.process.kill()
            self.process.wait()
        self._log.close()

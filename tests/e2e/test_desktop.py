"""The run command on a desktop with a window manager (openbox, on a display
of its own): the program's window is managed (it is in the window manager's
_NET_CLIENT_LIST), a Managed=N that an earlier headless run left in the
prefix is removed, and the window manager's close ends the program with
status 1."""

import os
import subprocess

import pytest

from case_support import QUIT_STATUS, Outcomes
from clock import now_s, wait_until
from program import FRAME_TITLE
from surroundings import ROOT, X11_DRIVER_KEY, VirtualDisplay, WinePrefix, exe_architecture

START_TIMEOUT_S = 60
END_TIMEOUT_S = 30
TOOL_TIMEOUT_S = 20
STEPS = ("the window manager runs", "the frame appears", "the prefix no longer says Managed=N",
         "the frame is managed", "the window manager's close ends the program with status 1")


@pytest.fixture(scope="module")
def on_desktop(tones):
    outcomes = Outcomes(tones.work_dir)
    display = VirtualDisplay()
    manager = run = None
    prefix = WinePrefix(os.path.join(tones.work_dir, "desktop-prefix"), tones.prefix.loader)
    try:
        name = display.start()
        # What an earlier headless run left: a prefix with unmanaged windows.
        prefix.open(name, fresh=True, private_display=True)
        manager = subprocess.Popen(["openbox"], env=dict(os.environ, DISPLAY=name),
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        running = wait_until(
            lambda: "window id" in _root_property(name, "_NET_SUPPORTING_WM_CHECK"), TOOL_TIMEOUT_S)
        if outcomes.record(STEPS[0], running, "openbox did not announce itself"):
            run = _run_command(tones, name, prefix)
            _judge(outcomes, name, prefix, run, _run_log(tones))
    finally:
        for process in (run, manager):
            if process and process.poll() is None:
                process.kill()
                process.wait()
        prefix.close()
        display.stop()
    return outcomes


@pytest.mark.parametrize("step", STEPS, ids=["manager", "frame", "managed-removed", "managed",
                                             "closed"])
def test_the_run_command_on_a_desktop(on_desktop, step):
    on_desktop.judge(step)


def _run_command(session, display, prefix):
    """scripts/demo.sh as the run command starts it on a user's desktop:
    the user's display and sound server, the prefix of an earlier run."""
    env = session.server.client_env(os.environ)
    env.update(DISPLAY=display, WINEPREFIX=prefix.path, FRELOX_EXE=session.exe,
               FRELOX_ARCH=exe_architecture(session.exe), FRELOX_PRESET="",
               FRELOX_WINE=prefix.loader, FRELOX_BUILD_NOTE="")
    with open(_run_log(session), "wb") as log:
        return subprocess.Popen(["bash", os.path.join(ROOT, "scripts", "demo.sh")], env=env,
                                stdout=log, stderr=subprocess.STDOUT)


def _judge(outcomes, display, prefix, run, log_path):
    frame = wait_until(lambda: _frame(display), START_TIMEOUT_S, poll_s=0.2)
    if not outcomes.record(STEPS[1], frame is not None, "no window titled %r" % FRAME_TITLE):
        return
    managed = prefix.query(X11_DRIVER_KEY).get("Managed")
    outcomes.record(STEPS[2], managed != "N", "Managed is %r" % managed)
    listed = wait_until(lambda: frame in _client_list(display), TOOL_TIMEOUT_S)
    if not outcomes.record(STEPS[3], listed, "frame 0x%x, _NET_CLIENT_LIST %s" % (
            frame, _root_property(display, "_NET_CLIENT_LIST"))):
        return
    subprocess.run(["wmctrl", "-c", FRAME_TITLE], env=dict(os.environ, DISPLAY=display),
                   timeout=TOOL_TIMEOUT_S)
    closed_s = now_s()
    try:
        status = run.wait(END_TIMEOUT_S)
    except subprocess.TimeoutExpired:
        status = None
    with open(log_path, "rb") as log:
        said = log.read().decode("utf-8", "replace")
    outcomes.record(STEPS[4], status == 0 and "exit status %d" % QUIT_STATUS in said,
                    "run command's status %s after %.2f s; it said: %s" % (
                        status, now_s() - closed_s, said.strip()[-300:]))


def _run_log(session):
    """Where the run command's output goes."""
    return os.path.join(session.work_dir, "desktop-run.log")


def _frame(display):
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^%s$" % FRAME_TITLE],
                           env=dict(os.environ, DISPLAY=display), capture_output=True, text=True,
                           timeout=TOOL_TIMEOUT_S).stdout.split()
    return int(found[0]) if found else None


def _root_property(display, name):
    return subprocess.run(["xprop", "-root", name], env=dict(os.environ, DISPLAY=display),
                          capture_output=True, text=True, timeout=TOOL_TIMEOUT_S).stdout


def _client_list(display):
    """The window ids the window manager manages."""
    text = _root_property(display, "_NET_CLIENT_LIST")
    return [int(word.strip(","), 16) for word in text.split() if word.startswith("0x")]


"""Two inputs, each the monitor of a sink of its own with tones of its own:
the program starts on device 0, "&Eingang" switches to the second input and
back, each input's tones show soon after the choice; the second input pulled
(its sink unloaded) while it is measured gives the one "Error" box and keeps
the last spectrum, and choosing device 0 then measures again; a choice of an
input that is gone gives the system's text in a box and keeps the program
running; a close right after a choice ends the program with status 1."""

import statistics
import time

import pytest

import case_support
import menu_keys
import plot_checks
import wine_trace
from case_support import (EXIT_ALLOWANCE_S, QUIT_STATUS, WAIT_MARGIN_S, Outcomes, capture_s,
                          plot_now)
from clock import now_s, wait_until
from picture import LEFT_GREEN, RIGHT_RED
from program import ERROR_CAPTION
from surroundings import LEFT_TONE, RIGHT_TONE, TonePlayer

FFT_SIZE = 2048
WINDOW = "hanning"
SECOND_SINK = "frelox2"
SECOND_INPUT = "pulse:%s.monitor" % SECOND_SINK
DEVICE_0_BOX = "Using In: default."
# Off the 100 Hz grid and apart from device 0's tones.
SECOND_LEFT_TONE = (3456.7, 0.3)
SECOND_RIGHT_TONE = (765.4, 0.2)
STOPPED_TEXT = "The input device stopped delivering sound."
# After a choice, the chosen input's first spectrum comes within its capture
# time plus a second, besides the time the freshly opened device takes to
# deliver its first sound (the platform's, not the program's: traced, from
# its first capture's queueing to its return, less the capture time); the
# slack is for the screenshots.
SWITCH_BOUND_S = capture_s(FFT_SIZE) + 1.0
SWITCH_SLACK_S = 0.3
# The overdue report: the capture time plus the 2 s the ring grants a late
# buffer, counted from the last capture queued (traced), and slack for Wine
# and the box's start. A pulled input may go on delivering for a while (seen:
# three captures in 2.4 s after its sink was unloaded); that is the platform's.
STOPPED_BOX_BOUND_S = capture_s(FFT_SIZE) + 2.0 + 1.0
SWITCHES_MEASURED = 10

STEPS = ("device 0 measures its tones at start",
         "&Eingang switches to the second input: its tones",
         "&Eingang switches back to device 0: its tones",
         "the second input pulled while measured: one box, the last spectrum kept",
         "device 0 chosen then: its tones, no further box",
         "an input gone since: the system's text in a box, the program runs on",
         "a close right after a choice ends the program with status 1, no further box")


def _tones_shown(left, right):
    def shown(plot):
        return (plot_checks.tone_shown(plot, LEFT_GREEN, left[0])
                and plot_checks.tone_shown(plot, RIGHT_RED, right[0]))
    return shown


DEVICE_0_SHOWN = _tones_shown(LEFT_TONE, RIGHT_TONE)
SECOND_SHOWN = _tones_shown(SECOND_LEFT_TONE, SECOND_RIGHT_TONE)


def _peaks_match(plot, left, right):
    details = []
    for colour, tone in ((LEFT_GREEN, left), (RIGHT_RED, right)):
        ok, detail = plot_checks.peak_matches_tone(plot, colour, tone[0], tone[1], FFT_SIZE, WINDOW)
        if not ok:
            details.append(detail)
    return not details, "; ".join(details)


def _device_start_s(program):
    """How much longer than its sound the first capture after the last open
    took to come back: the device's start."""
    calls = wine_trace.calls(program.log_text())
    opens = [index for index, (_, name) in enumerate(calls) if name == "waveInOpen"]
    after = calls[opens[-1]:] if opens else []
    queued = [stamp for stamp, name in after if name == wine_trace.CAPTURE_QUEUED]
    returned = [stamp for stamp, name in after if name == wine_trace.CAPTURE_TAKEN_BACK]
    if not queued or not returned:
        return 0.0
    return max(0.0, returned[0] - queued[0] - capture_s(FFT_SIZE))


def _box_after_last_queued_s(program, text):
    """Seconds from the last capture queued before the box with this text to
    the box (both traced), or None without either."""
    log_text = program.log_text()
    shown = [stamp for stamp, shown_text in wine_trace.message_box_times(log_text) if shown_text == text]
    queued = [stamp for stamp in wine_trace.call_times(log_text, wine_trace.CAPTURE_QUEUED)
              if shown and stamp < shown[0]]
    return shown[0] - queued[-1] if queued else None


def _switch(program, keys, shown):
    """Types the choice and waits for the first picture that shows the
    chosen input's tones (and none of the other's). Returns (seconds from the
    last key to that picture or None, the picture)."""
    sent_s = program.keys(*keys)
    found = []

    def arrived():
        plot = plot_now(program)
        try:
            seen = plot is not None and shown(plot)
        except ValueError:  # a picture taken while the window redraws: no view in it yet
            seen = False
        if seen:
            found.append(plot)
            return True
        return False

    if sent_s is None or not wait_until(arrived, SWITCH_BOUND_S + WAIT_MARGIN_S, poll_s=0.02):
        return None, None
    return now_s() - sent_s, found[0]


class Switching:
    def __init__(self, tones):
        self.outcomes = Outcomes(tones.work_dir)
        self.switch_times_s = []
        self.device_starts_s = []
        self.tones = tones
        self.module = tones.server.add_sink(SECOND_SINK)
        self.player = TonePlayer(tones.server, SECOND_LEFT_TONE, SECOND_RIGHT_TONE,
                                 sink=SECOND_SINK)
        self.player.start()
        tones.prefix.set_extra_input_devices([SECOND_INPUT])
        try:
            self._run()
        finally:
            tones.prefix.set_extra_input_devices([])
            self.player.stop()

    def _run(self):
        record = self.outcomes.record
        program, why = self.tones.launch_measuring("input-switch", DEVICE_0_BOX)
        if not record(STEPS[0], program is not None, why):
            return
        plot = case_support.plot_when(program, DEVICE_0_SHOWN)
        ok, detail = _peaks_match(plot, LEFT_TONE, RIGHT_TONE) if plot else (False, "no tones")
        if not record(STEPS[0], ok, detail, plot and plot.picture):
            return

        for index in range(SWITCHES_MEASURED):
            to_second = index % 2 == 0
            took_s, plot = _switch(program, menu_keys.INPUT_1 if to_second else menu_keys.INPUT_0,
                                   SECOND_SHOWN if to_second else DEVICE_0_SHOWN)
            step = STEPS[1] if to_second else STEPS[2]
            if took_s is None:
                record(step, False, "the tones never showed; boxes %r" % program.message_boxes())
                return
            start_s = _device_start_s(program)
            self.switch_times_s.append(took_s)
            self.device_starts_s.append(start_s)
            tones = (SECOND_LEFT_TONE, SECOND_RIGHT_TONE) if to_second else (LEFT_TONE, RIGHT_TONE)
            ok, detail = _peaks_match(plot, *tones)
            bound_s = SWITCH_BOUND_S + start_s + SWITCH_SLACK_S
            ok = ok and took_s <= bound_s and program.message_boxes() == [DEVICE_0_BOX]
            if not record(step, ok, "%s; after %.2f s (at most %.2f s, the device's start "
                          "%.2f s of it); boxes %r" % (detail, took_s, bound_s, start_s,
                                                        program.message_boxes()), plot.picture):
                return

        if _switch(program, menu_keys.INPUT_1, SECOND_SHOWN)[0] is None:
            record(STEPS[3], False, "the second input did not measure again")
            return
        self.tones.server.remove_sink(self.module)
        pulled_s = now_s()
        shown = program.wait_for_message_box(STOPPED_TEXT, STOPPED_BOX_BOUND_S + WAIT_MARGIN_S)
        box_after_s = now_s() - pulled_s
        after_queued_s = _box_after_last_queued_s(program, STOPPED_TEXT)
        boxes = program.message_boxes()
        dismissed = program.dismiss(ERROR_CAPTION)
        time.sleep(0.5)
        plot = plot_now(program)
        kept = plot is not None and SECOND_SHOWN(plot)
        if not record(STEPS[3], shown and after_queued_s is not None and after_queued_s <= STOPPED_BOX_BOUND_S
                      and dismissed and kept and boxes == [DEVICE_0_BOX, STOPPED_TEXT] and program.running(),
                      "box %s s after the last capture queued (at most %.2f s), %.2f s after the pull; "
                      "boxes %r; last spectrum kept %s"
                      % ("-" if after_queued_s is None else "%.2f" % after_queued_s, STOPPED_BOX_BOUND_S,
                         box_after_s, boxes, kept), plot and plot.picture):
            return

        took_s, plot = _switch(program, menu_keys.INPUT_0, DEVICE_0_SHOWN)
        boxes = program.message_boxes()
        if not record(STEPS[4], took_s is not None and boxes == [DEVICE_0_BOX, STOPPED_TEXT],
                      "after %s s; boxes %r" % (took_s, boxes)):
            return

        program.keys(*menu_keys.INPUT_1)
        refused = wait_until(lambda: len(program.message_boxes()) == 3, WAIT_MARGIN_S)
        boxes = program.message_boxes()
        dismissed = program.dismiss(ERROR_CAPTION)
        time.sleep(0.5)
        plot = plot_now(program)
        kept = plot is not None and DEVICE_0_SHOWN(plot)
        if not record(STEPS[5], refused and dismissed and kept and program.running()
                      and boxes[-1] not in (STOPPED_TEXT, DEVICE_0_BOX),
                      "boxes %r; last spectrum kept %s" % (boxes, kept), plot and plot.picture):
            return
        took_s, _ = _switch(program, menu_keys.INPUT_0, DEVICE_0_SHOWN)
        if not record(STEPS[5], took_s is not None, "device 0 did not measure again"):
            return

        self.module = self.tones.server.add_sink(SECOND_SINK)
        program.keys(*(menu_keys.INPUT_1 + menu_keys.EXIT))
        status = program.watch_exit(EXIT_ALLOWANCE_S + WAIT_MARGIN_S)
        record(STEPS[6], status == QUIT_STATUS and len(program.message_boxes()) == 3,
               "status %s; boxes %r" % (status, program.message_boxes()))


@pytest.fixture(scope="module")
def switching(tones):
    return Switching(tones)


@pytest.mark.parametrize("step", STEPS, ids=["device-0", "to-second", "back", "pulled",
                                             "device-0-again", "gone", "close-during-switch"])
def test_choosing_the_input(switching, step):
    switching.outcomes.judge(step)


def test_report_switch_times(switching):
    """Prints the time from the choice to the chosen input's first picture."""
    times = switching.switch_times_s
    assert len(times) == SWITCHES_MEASURED, "the switches did not all happen"
    starts = switching.device_starts_s
    print("\nfrom the choice to the chosen input's first picture, %d switches at %d points: "
          "median %.2f s, largest %.2f s; of it the device's start (its first capture's return "
          "less its sound): median %.2f s, largest %.2f s"
          % (len(times), FFT_SIZE, statistics.median(times), max(times),
             statistics.median(starts), max(starts)))

"""With a second wave input device listed, device 0 is still the sound
server's default source: the "Info" box names it, and both tones show."""

import pytest

from case_support import plot_when, has_colour
from picture import LEFT_GREEN, RIGHT_RED
from test_tones import TRACES, judge_peak, judge_quiet, judge_traces_drawn

FFT_SIZE = 2048
# A second device that records only silence: if the program opened it
# instead of device 0, no tone would show.
SILENT_ALSA_DEVICE = "null"
SEVERAL_DEVICES_BOX = "Using In: default."


@pytest.fixture(scope="module")
def two_devices(tones):
    """(the program or None, why not, its first screenshot with both traces)."""
    tones.prefix.set_extra_input_devices([SILENT_ALSA_DEVICE])
    try:
        program, why = tones.launch_measuring("spectrum-two-devices", SEVERAL_DEVICES_BOX)
        plot = program and plot_when(program, has_colour(LEFT_GREEN, RIGHT_RED))
        return program, why, plot
    finally:
        tones.prefix.set_extra_input_devices([])


def test_the_info_box_names_device_0_the_default_source(two_devices):
    program, why, _ = two_devices
    assert program is not None, why


def test_a_screenshot_shows_both_traces(two_devices):
    judge_traces_drawn(two_devices[2])


@TRACES
def test_the_trace_peaks_at_the_tones_column_and_level(two_devices, trace, keep):
    judge_peak(two_devices[2], trace, FFT_SIZE, keep)


@TRACES
def test_the_trace_stays_quiet_far_below_the_tone(two_devices, trace, keep):
    judge_quiet(two_devices[2], trace, keep)

"""No sound server and no sound card, so no wave input device: the program
says so in its "Error" box and, once that is dismissed, ends with status 1.
Without a display either, the command line analyses a recording: its
spectrum file, its picture and its peak lines on standard output, bad
arguments and refused files with their status and reason."""

import os
import subprocess

import pytest

import surroundings
from case_support import QUIT_STATUS, Outcomes
from picture import LEFT_GREEN, RIGHT_RED, Picture
from plot_checks import peak_matches_tone
from plot_reading import Plot
from program import ERROR_CAPTION
from surroundings import WinePrefix
from tone_model import expected_peak, tone_level_db

NO_DEVICE_TEXT = "No input device found!"
BOX_TIMEOUT_S = 30
STILL_OPEN_CHECK_S = 1.0
END_AFTER_DISMISSAL_S = 5.0
STEPS = ('an "Error" box says "%s"' % NO_DEVICE_TEXT, "the program waits while the box is open",
         "once the box is dismissed the program ends with status 1, without another box")


@pytest.fixture(scope="module")
def without_device(session):
    outcomes = Outcomes(session.work_dir)
    with session.running("no-device") as program:
        shown = program.wait_for_message_box(NO_DEVICE_TEXT, BOX_TIMEOUT_S)
        box = program.window(ERROR_CAPTION) if shown else None
        if not outcomes.record(STEPS[0], bool(shown and box), "boxes %r, window titled %r: %s" % (
                program.message_boxes(), ERROR_CAPTION, box)):
            return outcomes
        outcomes.record(STEPS[1], program.watch_exit(STILL_OPEN_CHECK_S) is None)
        dismissed = program.dismiss(ERROR_CAPTION)
        status = program.watch_exit(END_AFTER_DISMISSAL_S)
        outcomes.record(STEPS[2], dismissed and status == QUIT_STATUS
                        and program.message_boxes() == [NO_DEVICE_TEXT],
                        "dismissed %s, status %s, boxes %r" % (dismissed, status, program.message_boxes()))
    return outcomes


@pytest.mark.release_check
@pytest.mark.parametrize("step", STEPS, ids=["error-box", "waits-while-open", "ends-after-dismissal"])
def test_without_a_device(without_device, step):
    without_device.judge(step)


# The recording: 3 s of 16-bit stereo at 44100 Hz, a tone on each channel,
# analysed at the first start's 2048 points with the Hanning window.
RECORDING_TONES = {"L": (LEFT_GREEN, 1000.0, 0.5), "R": (RIGHT_RED, 3000.0, 0.5)}
FIRST_START_POINTS = 2048
FIRST_START_WINDOW = "hanning"
LINE_SPACING_HZ = 44100 / FIRST_START_POINTS
# What a peak value promises with a window: its frequency to 0.1 line, its
# level to 0.05 dB; a file's row holds its line's level to its two decimals.
PEAK_LINES = 0.1
PEAK_DB = 0.05
ROW_DB = 0.01
PICTURE_SIZE = (1000, 600)
COMMAND_TIMEOUT_S = 60
BAD_ARGUMENTS_STATUS = 2
REFUSED_STATUS = 3
CLI_STEPS = ("the analysis ends with status 0 and nothing on standard error",
             "standard output names the columns and each channel's peak at its tone",
             "a redirection into a file receives the same lines",
             "the spectrum file's strongest row of each channel is the tone's line at its level",
             "the picture shows each channel's peak at its tone's column and level",
             "bad arguments end with status 2, the reason on standard error",
             "a missing file, a folder and a file that is no wave file end with status 3 and their reason")
REFUSED_FILES = (("fehlt.wav", "Die Datei gibt es nicht."),
                 ("ordner", "Das ist ein Ordner, keine Wave-Datei."),
                 ("text.wav", "keine Wave-Datei"))


def peak_lines(text):
    """{channel: (frequency, level, unit)} from the peak lines after the header."""
    lines = text.splitlines()
    peaks = {}
    for line in lines[1:]:
        channel, frequency, level, unit = line.split("\t")
        peaks[channel] = (float(frequency), float(level), unit)
    return lines[0], peaks


def strongest_rows(path):
    """[(frequency, level)] of each channel's strongest row in a .txt spectrum file."""
    rows = []
    with open(path, encoding="cp1252") as spectrum:
        for line in spectrum:
            if not line.startswith("*"):
                rows.append([float(value) for value in line.split("\t")])
    return [max(((row[0], row[1 + channel]) for row in rows), key=lambda row: row[1])
            for channel in (0, 1)]


def command_line_scenario(outcomes, run, folder):
    """The program runs in `folder`, the files named relative to it."""
    recording = "zwei-toene.wav"
    subprocess.run(["sox", "-n", "-r", "44100", "-c", "2", "-b", "16", recording, "synth", "3",
                    "sine", "1000", "sine", "3000", "vol", "0.5"], cwd=folder, check=True)
    done = run(["/analysieren", recording, "/spektrum", "spektrum.txt", "-BILD", "bild.png"])
    spectrum, picture = os.path.join(folder, "spektrum.txt"), os.path.join(folder, "bild.png")
    if not outcomes.record(CLI_STEPS[0], done.returncode == 0 and done.stderr == "",
                           "status %s, stderr %r" % (done.returncode, done.stderr)):
        return
    header, peaks = peak_lines(done.stdout)
    wrong = []
    for channel, (_, frequency_hz, amplitude) in RECORDING_TONES.items():
        level_db = tone_level_db(amplitude, FIRST_START_POINTS, FIRST_START_WINDOW)
        found = peaks.get(channel)
        if (found is None or abs(found[0] - frequency_hz) > PEAK_LINES * LINE_SPACING_HZ
                or abs(found[1] - level_db) > PEAK_DB or found[2] != "dB"):
            wrong.append("%s: %r, expected %.1f Hz %.2f dB" % (channel, found, frequency_hz, level_db))
    outcomes.record(CLI_STEPS[1], header == "Kanal\tFrequenz (Hz)\tPegel\tEinheit"
                    and sorted(peaks) == ["L", "R"] and not wrong,
                    "%r; %s" % (done.stdout, wrong))

    redirected = os.path.join(folder, "ausgabe.txt")
    with open(redirected, "w") as output:
        into_file = run(["/analysieren", recording], stdout=output)
    with open(redirected, encoding="utf-8") as output:
        outcomes.record(CLI_STEPS[2], into_file.returncode == 0 and output.read() == done.stdout,
                        "status %s" % into_file.returncode)

    rows = strongest_rows(spectrum) if os.path.isfile(spectrum) else []
    expected = [expected_peak(frequency_hz, amplitude, FIRST_START_POINTS, FIRST_START_WINDOW)
                for _, frequency_hz, amplitude in RECORDING_TONES.values()]
    outcomes.record(CLI_STEPS[3], len(rows) == 2 and all(
        abs(row[0] - line_hz) < 1e-4 and abs(row[1] - level_db) <= ROW_DB + 0.005
        for row, (line_hz, level_db) in zip(rows, expected)),
        "rows %r, expected %r" % (rows, expected))

    shown = Picture.from_file(picture) if os.path.isfile(picture) else None
    checks = [peak_matches_tone(Plot(shown), colour, frequency_hz, amplitude, FIRST_START_POINTS,
                                FIRST_START_WINDOW)
              for colour, frequency_hz, amplitude in RECORDING_TONES.values()] if shown else []
    outcomes.record(CLI_STEPS[4], shown is not None and (shown.width, shown.height) == PICTURE_SIZE
                    and len(checks) == 2 and all(ok for ok, _ in checks), repr(checks), shown)

    bad = [(arguments, run(arguments)) for arguments in (
        ["/punkte", "1000", "/analysieren", recording], ["/analysieren", recording, "/farbe", "rot"],
        ["/analysieren"])]
    outcomes.record(CLI_STEPS[5], all(
        done.returncode == BAD_ARGUMENTS_STATUS and done.stdout == "" and "Frelox.exe /?" in done.stderr
        for _, done in bad), repr([(arguments, done.returncode, done.stderr) for arguments, done in bad]))

    os.makedirs(os.path.join(folder, "ordner"), exist_ok=True)
    with open(os.path.join(folder, "text.wav"), "w") as text:
        text.write("Keine Aufnahme, nur Text.\n" * 10)
    refused = [(reason, run(["/analysieren", name]))
               for name, reason in REFUSED_FILES]
    outcomes.record(CLI_STEPS[6], all(
        done.returncode == REFUSED_STATUS and done.stdout == "" and reason in done.stderr
        for reason, done in refused), repr([(done.returncode, done.stderr) for _, done in refused]))


@pytest.fixture(scope="module")
def command_line(pytestconfig, tmp_path_factory):
    """The command line in a Wine prefix of its own that never had a display
    (a program started without one would leave the session's prefix without
    windows), with no sound server to be found."""
    exe = os.path.abspath(pytestconfig.getoption("exe"))
    folder = pytestconfig.getoption("work_dir") or str(tmp_path_factory.mktemp("e2e"))
    folder = os.path.join(folder, "command-line")
    os.makedirs(folder, exist_ok=True)
    prefix = WinePrefix(os.path.join(folder, "wine-prefix"),
                        surroundings.wine_loader_for(surroundings.exe_architecture(exe)))
    prefix.open(None, fresh=True)
    env = prefix.env(os.environ)
    env.pop("DISPLAY", None)
    env["PULSE_SERVER"] = "unix:" + os.path.join(folder, "no-server")

    def run(arguments, stdout=subprocess.PIPE):
        return subprocess.run([prefix.loader, exe, *arguments], env=env, cwd=folder, stdout=stdout,
                              stderr=subprocess.PIPE, encoding="utf-8", timeout=COMMAND_TIMEOUT_S)

    outcomes = Outcomes(folder)
    try:
        command_line_scenario(outcomes, run, folder)
    finally:
        prefix.close()
    return outcomes


@pytest.mark.parametrize("step", CLI_STEPS, ids=["analysed", "peak-lines", "redirected", "spectrum-file",
                                                 "picture", "bad-arguments", "refused-files"])
def test_the_command_line_without_display_or_sound(command_line, step):
    command_line.judge(step)

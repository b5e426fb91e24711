"""What the analyser must show for a sine: the level of each spectral line,
computed from first principles (the sampled sine, times the weighting window,
through a discrete Fourier transform, normalised by N / 2)."""

import cmath
import math

SAMPLE_RATE_HZ = 44100
LINES_EACH_SIDE = 3

WINDOWS = {
    "off": lambda j, n: 1.0,
    "hanning": lambda j, n: 0.5 - 0.5 * math.cos(2 * math.pi * j / (n - 1)),
}


def line_frequency_hz(line, fft_size):
    return line * SAMPLE_RATE_HZ / fft_size


def line_levels_db(frequency_hz, amplitude, fft_size, window):
    """{line: level in dB} for the lines around a sine of the given frequency
    and amplitude (full scale 1.0)."""
    weight = WINDOWS[window]
    centre = round(frequency_hz * fft_size / SAMPLE_RATE_HZ)
    lines = range(max(1, centre - LINES_EACH_SIDE), centre + LINES_EACH_SIDE + 1)
    step = 2 * math.pi * frequency_hz / SAMPLE_RATE_HZ
    samples = [amplitude * math.sin(step * j) * weight(j, fft_size) for j in range(fft_size)]
    levels = {}
    for line in lines:
        rotation = cmath.exp(-2j * math.pi * line / fft_size)
        phasor = 1 + 0j
        total = 0j
        for sample in samples:
            total += sample * phasor
            phasor *= rotation
        magnitude = abs(total) / (fft_size / 2)
        levels[line] = 20 * math.log10(magnitude)
    return levels


def tone_level_db(amplitude, fft_size, window):
    """The level of a sine of the given amplitude in a line right on its
    frequency: half the amplitude times the sum of the weights, normalised by
    N / 2 (the mirror image's share, far off, left out). The peak values show
    it for a tone between lines too."""
    weight = WINDOWS[window]
    return 20 * math.log10(amplitude * sum(weight(j, fft_size) for j in range(fft_size)) / fft_size)


def expected_peak(frequency_hz, amplitude, fft_size, window):
    """(frequency of the strongest line, its level in dB)."""
    levels = line_levels_db(frequency_hz, amplitude, fft_size, window)
    line = max(levels, key=levels.get)
    return line_frequency_hz(line, fft_size), levels[line]

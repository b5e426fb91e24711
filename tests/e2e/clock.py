"""Time on the clock Wine stamps its trace lines with, and bounded waiting."""

import time


def now_s():
    """Seconds on CLOCK_MONOTONIC_RAW, the clock of Wine's +timestamp traces."""
    return time.clock_gettime(time.CLOCK_MONOTONIC_RAW)


def wait_until(condition, timeout_s, poll_s=0.05):
    """Polls condition() until it returns something true or timeout_s passes.

    Returns the last value of condition()."""
    deadline = now_s() + timeout_s
    while True:
        value = condition()
        if value or now_s() >= deadline:
            return value
        time.sleep(poll_s)

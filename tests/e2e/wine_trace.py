"""Reading what Wine traces about a running program.

The program runs with WINEDEBUG=-all,+timestamp,+winmm,trace+msgbox:
 - trace+msgbox prints the text of every message box: MSGBOX_OnInit L"...";
 - +winmm prints each wave input call; the program queues a capture with
   waveInAddBuffer and takes a returned one back with waveInUnprepareHeader;
 - +timestamp prefixes each line with seconds on CLOCK_MONOTONIC_RAW."""

import re

TRACE_CHANNELS = "-all,+timestamp,+winmm,trace+msgbox"

_MESSAGE_BOX = re.compile(r'MSGBOX_OnInit L"((?:[^"\\]|\\.)*)"')
_STAMPED_MESSAGE_BOX = re.compile(
    r'^\s*(\d+\.\d{3}):[0-9a-f]+:trace:msgbox:MSGBOX_OnInit L"((?:[^"\\]|\\.)*)"', re.MULTILINE)
_STAMPED_CALL = re.compile(r"^\s*(\d+\.\d{3}):[0-9a-f]+:trace:winmm:(\w+) ", re.MULTILINE)

CAPTURE_QUEUED = "waveInAddBuffer"
CAPTURE_TAKEN_BACK = "waveInUnprepareHeader"
DEVICE_RESET = "waveInReset"


def message_box_texts(log_text):
    return [_unescape(text) for text in _MESSAGE_BOX.findall(log_text)]


def message_box_times(log_text):
    """Every message box as (timestamp, text), in order."""
    return [(float(stamp), _unescape(text)) for stamp, text in _STAMPED_MESSAGE_BOX.findall(log_text)]


def call_times(log_text, function_name):
    """Timestamps (seconds, CLOCK_MONOTONIC_RAW) of every traced call of a
    wave input function, in order."""
    return [float(stamp) for stamp, name in _STAMPED_CALL.findall(log_text)
            if name == function_name]


def calls(log_text):
    """Every traced wave input call as (timestamp, function name), in order."""
    return [(float(stamp), name) for stamp, name in _STAMPED_CALL.findall(log_text)]


def _unescape(text):
    return re.sub(r"\\(.)", lambda match: {"n": "\n", "t": "\t"}.get(match[1], match[1]), text)

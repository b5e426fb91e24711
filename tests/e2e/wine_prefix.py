"""A throw-away Wine prefix, set up by the project's shell helper
(scripts/lib/common.sh: init_wine_prefix), with one wineserver kept alive for
the whole run, and the Wine loader (32- or 64-bit) for the program under test."""

import os
import struct
import subprocess

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
COMMON_SH = os.path.join(ROOT, "scripts", "lib", "common.sh")
INIT_TIMEOUT_S = 120
KILL_TIMEOUT_S = 20
# The machine field of a PE image's file header.
PE_ARCHITECTURES = {0x014C: "i686", 0x8664: "x86_64"}
PE_HEADER_OFFSET_AT = 0x3C


def exe_architecture(exe):
    """"i686" or "x86_64", read from the Windows program's PE header."""
    with open(exe, "rb") as image:
        data = image.read(4096)
    (pe_offset,) = struct.unpack_from("<I", data, PE_HEADER_OFFSET_AT)
    if data[pe_offset:pe_offset + 4] != b"PE\0\0":
        raise ValueError("%s is not a PE image" % exe)
    (machine,) = struct.unpack_from("<H", data, pe_offset + 4)
    if machine not in PE_ARCHITECTURES:
        raise ValueError("%s is built for machine 0x%04x" % (exe, machine))
    return PE_ARCHITECTURES[machine]


def _helper(shell_code, *args, timeout_s):
    result = subprocess.run(
        ["bash", "-c", 'source "$0"; ' + shell_code, COMMON_SH, *args],
        capture_output=True, text=True, timeout=timeout_s)
    return result.stdout.strip()


class WinePrefix:
    def __init__(self, path, architecture):
        self.path = path
        self.architecture = architecture
        self.loader = _helper('wine_loader_for "$1"', architecture, timeout_s=KILL_TIMEOUT_S)
        self.wineserver = os.path.join(os.path.dirname(self.loader), "wineserver")

    def env(self, base_env):
        env = dict(base_env)
        env["WINEPREFIX"] = self.path
        env["WINEDLLOVERRIDES"] = "mscoree,mshtml="
        env["WINEDEBUG"] = "-all"
        return env

    def create(self, display):
        env = dict(os.environ, DISPLAY=display, FRELOX_ARCH=self.architecture,
                   FRELOX_WINE=self.loader)
        subprocess.run(["bash", "-c", 'source "$0"; init_wine_prefix "$1"', COMMON_SH, self.path],
                       env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       timeout=INIT_TIMEOUT_S, check=True)

    def set_extra_input_devices(self, alsa_names):
        """Makes Wine's ALSA driver list these ALSA devices as wave inputs
        after its "default" one; none for an empty list."""
        key = "HKCU\\Software\\Wine\\Drivers\\winealsa.drv"
        if alsa_names:
            command = ["reg", "add", key, "/v", "ALSAInputDevices", "/t", "REG_MULTI_SZ",
                       "/d", "\\0".join(alsa_names), "/f"]
        else:
            command = ["reg", "delete", key, "/v", "ALSAInputDevices", "/f"]
        subprocess.run([self.loader] + command, env=self.env(os.environ),
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=INIT_TIMEOUT_S)

    def kill_all(self):
        """Ends every process of this prefix, the wineserver included."""
        subprocess.run([self.wineserver, "-k"], env=self.env(os.environ),
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       timeout=KILL_TIMEOUT_S)
        subprocess.run([self.wineserver, "-w"], env=self.env(os.environ),
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       timeout=KILL_TIMEOUT_S)

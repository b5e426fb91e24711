"""Checks a release package: the zip holds the 32-bit program and the user
README; the program is an i386 GUI image that needs nothing but Windows'
own DLLs and carries its menu, dialog and icon.

Usage: check_release.py ZIP BUILT_EXE
Prints one PASS/FAIL line per check and a verdict; exits non-zero on failure."""

import sys
import zipfile

from pe_image import MACHINE_I386, PE32_MAGIC, SUBSYSTEM_WINDOWS_GUI, PeImage

EXE_NAME = "Frelox.exe"
README_NAME = "README.txt"
README_ENCODING = "cp1252"
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "winmm.dll", "msvcrt.dll"}
SYSTEM_DLL_PREFIX = "api-ms-win-"
RESOURCE_MENU = 4
RESOURCE_DIALOG = 5
RESOURCE_ICON = 3
RESOURCE_GROUP_ICON = 14
MAIN_MENU_ID = 1
ABOUT_DIALOG_ID = 1
ICON_GROUP_ID = 128
# What the README must tell, in both languages.
README_MUST_NAME = (
    "Deutsch", "English", "Wave-Eingabegerät 0", "wave input device 0",
    "32-Bit-Windows", "32-bit Windows", "Installation: keine", "Installation: none",
    "Programm", "Beenden", "Ansicht", "Kanäle", "Links", "Rechts", "Beide", "Maximum anzeigen",
    "Messung", "Anzahl Stützpunkte", "Meßgeschwindigkeit", "Bewertungsfenster",
    "Automatische Offsetkorrektur", "Über...")


class Checks:
    def __init__(self):
        self.failed = 0

    def check(self, name, ok, detail=""):
        print("%s  %s%s" % ("PASS" if ok else "FAIL", name, ("  (%s)" % detail) if detail else ""))
        if not ok:
            self.failed += 1
        return ok


def check_program(checks, image):
    checks.check("i386 machine (32-bit)", image.machine == MACHINE_I386, "machine 0x%04x" % image.machine)
    checks.check("PE32 optional header", image.magic == PE32_MAGIC, "magic 0x%03x" % image.magic)
    checks.check("GUI subsystem", image.subsystem == SUBSYSTEM_WINDOWS_GUI, "subsystem %d, version %d.%d"
                 % (image.subsystem, image.major_subsystem_version, image.minor_subsystem_version))
    dlls = image.imported_dlls()
    foreign = [dll for dll in dlls
               if dll.lower() not in SYSTEM_DLLS and not dll.lower().startswith(SYSTEM_DLL_PREFIX)]
    checks.check("imports only system DLLs", dlls and not foreign,
                 "imports %s%s" % (", ".join(dlls), ("; not a system DLL: %s" % ", ".join(foreign)) if foreign else ""))
    resources = image.resources()
    for name, kind, identifier in (("menu 1", RESOURCE_MENU, MAIN_MENU_ID),
                                   ("dialog 1", RESOURCE_DIALOG, ABOUT_DIALOG_ID),
                                   ("icon group 128", RESOURCE_GROUP_ICON, ICON_GROUP_ID)):
        checks.check("carries %s" % name, identifier in resources.get(kind, []),
                     "resources of this type: %s" % resources.get(kind, []))
    checks.check("carries the icons of its group", len(resources.get(RESOURCE_ICON, [])) > 0,
                 "%d icon images" % len(resources.get(RESOURCE_ICON, [])))


def check_package(checks, zip_path, built_exe):
    try:
        archive = zipfile.ZipFile(zip_path)
    except (OSError, zipfile.BadZipFile) as error:
        checks.check("the zip opens", False, str(error))
        return None
    names = sorted(archive.namelist())
    checks.check("the zip holds exactly %s and %s" % (EXE_NAME, README_NAME),
                 names == sorted([EXE_NAME, README_NAME]), "holds %s" % names)
    if EXE_NAME not in names:
        return None
    program = archive.read(EXE_NAME)
    with open(built_exe, "rb") as built:
        checks.check("the zipped program is the one just built", program == built.read())
    if README_NAME in names:
        readme = archive.read(README_NAME)
        text = " ".join(readme.decode(README_ENCODING, "replace").split())
        missing = [term for term in README_MUST_NAME if term not in text]
        checks.check("the README tells what it does, the menu, the device and the requirements "
                     "in German and English", not missing, "missing %s" % missing if missing else "")
        checks.check("the README has Windows line ends", b"\r\n" in readme and b"\n" not in readme.replace(b"\r\n", b""))
        checks.check("the README names no placeholder", "@" not in text)
    return program


def main(zip_path, built_exe):
    checks = Checks()
    program = check_package(checks, zip_path, built_exe)
    if program is None:
        with open(built_exe, "rb") as built:
            program = built.read()
    try:
        check_program(checks, PeImage(program))
    except (ValueError, IndexError) as error:
        checks.check("the program is a readable PE image", False, str(error))
    verdict = "PASS" if checks.failed == 0 else "FAIL"
    print("release check: %s (%s)" % (verdict, zip_path))
    return 0 if checks.failed == 0 else 1


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    sys.exit(main(sys.argv[1], sys.argv[2]))

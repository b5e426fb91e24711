"""Checks a release package: the zip holds the 32-bit program and the user
README; the program is an i386 GUI image that needs nothing but Windows'
own DLLs and carries its menu, dialog and icon.

Usage: check_release.py ZIP BUILT_EXE
Prints one PASS/FAIL line per check and a verdict; exits non-zero on failure."""

import sys
import zipfile

import pefile

MACHINE_I386 = pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_I386"]
PE32_MAGIC = pefile.OPTIONAL_HEADER_MAGIC_PE
SUBSYSTEM_WINDOWS_GUI = pefile.SUBSYSTEM_TYPE["IMAGE_SUBSYSTEM_WINDOWS_GUI"]
# Windows Vista: what the statically linked thread library needs (GetTickCount64).
MINIMUM_WINDOWS_VERSION = (6, 0)

EXE_NAME = "Frelox.exe"
README_NAME = "README.txt"
README_ENCODING = "cp1252"
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "winmm.dll", "msvcrt.dll"}
SYSTEM_DLL_PREFIX = "api-ms-win-"
RESOURCE_MENU = pefile.RESOURCE_TYPE["RT_MENU"]
RESOURCE_DIALOG = pefile.RESOURCE_TYPE["RT_DIALOG"]
RESOURCE_ICON = pefile.RESOURCE_TYPE["RT_ICON"]
RESOURCE_GROUP_ICON = pefile.RESOURCE_TYPE["RT_GROUP_ICON"]
MAIN_MENU_ID = 1
ABOUT_DIALOG_ID = 1
ICON_GROUP_ID = 128
# What the README must tell, in both languages.
README_MUST_NAME = (
    "Deutsch", "English", "Wave-Eingabegerät 0", "wave input device 0",
    "32-Bit-Windows", "32-bit Windows", "Installation: keine", "Installation: none",
    "Windows Vista", "SSE2",
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


def imported_dlls(image):
    return [entry.dll.decode("ascii", "replace") for entry in getattr(image, "DIRECTORY_ENTRY_IMPORT", [])]


def resources(image):
    """{type: [name, ...]} of the resource directory's first two levels;
    numbered types and names are ints, named ones strings."""
    found = {}
    for kind in getattr(image, "DIRECTORY_ENTRY_RESOURCE", None) and image.DIRECTORY_ENTRY_RESOURCE.entries or []:
        if hasattr(kind, "directory"):
            found[_identifier(kind)] = [_identifier(name) for name in kind.directory.entries]
    return found


def _identifier(entry):
    return str(entry.name) if entry.name is not None else entry.id


def check_program(checks, image):
    machine = image.FILE_HEADER.Machine
    header = image.OPTIONAL_HEADER
    checks.check("i386 machine (32-bit)", machine == MACHINE_I386, "machine 0x%04x" % machine)
    checks.check("PE32 optional header", header.Magic == PE32_MAGIC, "magic 0x%03x" % header.Magic)
    checks.check("GUI subsystem", header.Subsystem == SUBSYSTEM_WINDOWS_GUI, "subsystem %d"
                 % header.Subsystem)
    subsystem_version = (header.MajorSubsystemVersion, header.MinorSubsystemVersion)
    os_version = (header.MajorOperatingSystemVersion, header.MinorOperatingSystemVersion)
    checks.check("subsystem and OS version %d.%d (Windows Vista)" % MINIMUM_WINDOWS_VERSION,
                 subsystem_version == MINIMUM_WINDOWS_VERSION and os_version == MINIMUM_WINDOWS_VERSION,
                 "subsystem version %d.%d, OS version %d.%d" % (subsystem_version + os_version))
    dlls = imported_dlls(image)
    foreign = [dll for dll in dlls
               if dll.lower() not in SYSTEM_DLLS and not dll.lower().startswith(SYSTEM_DLL_PREFIX)]
    checks.check("imports only system DLLs", dlls and not foreign,
                 "imports %s%s" % (", ".join(dlls), ("; not a system DLL: %s" % ", ".join(foreign)) if foreign else ""))
    resources_found = resources(image)
    for name, kind, identifier in (("menu 1", RESOURCE_MENU, MAIN_MENU_ID),
                                   ("dialog 1", RESOURCE_DIALOG, ABOUT_DIALOG_ID),
                                   ("icon group 128", RESOURCE_GROUP_ICON, ICON_GROUP_ID)):
        checks.check("carries %s" % name, identifier in resources_found.get(kind, []),
                     "resources of this type: %s" % resources_found.get(kind, []))
    icons = resources_found.get(RESOURCE_ICON, [])
    checks.check("carries the icons of its group", len(icons) > 0, "%d icon images" % len(icons))


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
        check_program(checks, pefile.PE(data=program))
    except pefile.PEFormatError as error:
        checks.check("the program is a readable PE image", False, str(error))
    verdict = "PASS" if checks.failed == 0 else "FAIL"
    print("release check: %s (%s)" % (verdict, zip_path))
    return 0 if checks.failed == 0 else 1


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    sys.exit(main(sys.argv[1], sys.argv[2]))

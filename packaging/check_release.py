"""Checks of a release package, run by pytest: the zip holds the 32-bit
program and the user README; the program is an i386 GUI image that needs
nothing but Windows' own DLLs and carries its menu, dialog and icon.

    python3 -m pytest packaging/check_release.py --zip ZIP --exe BUILT_EXE

(the options come from packaging/conftest.py)."""

import zipfile

import pefile
import pytest

MACHINE_I386 = pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_I386"]
PE32_MAGIC = pefile.OPTIONAL_HEADER_MAGIC_PE
SUBSYSTEM_WINDOWS_GUI = pefile.SUBSYSTEM_TYPE["IMAGE_SUBSYSTEM_WINDOWS_GUI"]
# Windows Vista: what the statically linked thread library needs (GetTickCount64).
MINIMUM_WINDOWS_VERSION = (6, 0)

EXE_NAME = "Frelox.exe"
README_NAME = "README.txt"
README_ENCODING = "cp1252"
# Windows' own; advapi32.dll holds the registry functions, comdlg32.dll the
# file dialogs, ole32.dll COM for the imaging component that writes PNG,
# shell32.dll the splitting of the command line into its arguments.
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "winmm.dll", "msvcrt.dll",
               "advapi32.dll", "comdlg32.dll", "ole32.dll", "shell32.dll"}
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
    "Automatische Offsetkorrektur", "Standardeinstellungen", "Über...",
    "Spitzenwerte anzeigen", "HKEY_CURRENT_USER\\Software\\Frelox", "Gespeicherte Einstellungen",
    "Stored settings", "Sinuspegel (dBFS)", "Rauschdichte (dB/Hz)", "Frequenzbewertung",
    "Pegel kalibrieren...", "Kalibrierung entfernen", "Kalibrieren:", "Calibrating:",
    "Frelox.exe /analysieren AUFNAHME.wav", "Aufnahmen ohne Fenster analysieren",
    "Analysing recordings without a window")


@pytest.fixture(scope="module")
def archive(pytestconfig):
    try:
        with zipfile.ZipFile(pytestconfig.getoption("zip")) as opened:
            yield opened
    except (OSError, zipfile.BadZipFile) as error:
        pytest.fail("the zip does not open: %s" % error)


@pytest.fixture(scope="module")
def built_exe(pytestconfig):
    with open(pytestconfig.getoption("exe"), "rb") as built:
        return built.read()


@pytest.fixture(scope="module")
def zipped_exe(archive):
    assert EXE_NAME in archive.namelist(), "the zip holds no %s" % EXE_NAME
    return archive.read(EXE_NAME)


@pytest.fixture(scope="module")
def readme(archive):
    assert README_NAME in archive.namelist(), "the zip holds no %s" % README_NAME
    return archive.read(README_NAME)


@pytest.fixture(scope="module")
def image(archive, built_exe):
    """The zip's program, or the one built where the zip lacks it."""
    program = archive.read(EXE_NAME) if EXE_NAME in archive.namelist() else built_exe
    try:
        return pefile.PE(data=program)
    except pefile.PEFormatError as error:
        pytest.fail("the program is not a readable PE image: %s" % error)


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


def test_the_zip_holds_exactly_the_program_and_the_readme(archive):
    assert sorted(archive.namelist()) == sorted([EXE_NAME, README_NAME])


def test_the_zipped_program_is_the_one_just_built(zipped_exe, built_exe):
    assert zipped_exe == built_exe


def test_the_readme_tells_what_it_does_the_menu_the_device_and_the_requirements_in_both_languages(readme):
    text = " ".join(readme.decode(README_ENCODING, "replace").split())
    assert [term for term in README_MUST_NAME if term not in text] == []


def test_the_readme_has_windows_line_ends(readme):
    assert b"\r\n" in readme and b"\n" not in readme.replace(b"\r\n", b"")


def test_the_readme_names_no_placeholder(readme):
    assert "@" not in readme.decode(README_ENCODING, "replace")


def test_an_i386_machine_32_bit(image):
    machine = image.FILE_HEADER.Machine
    assert machine == MACHINE_I386, "machine 0x%04x" % machine


def test_a_pe32_optional_header(image):
    magic = image.OPTIONAL_HEADER.Magic
    assert magic == PE32_MAGIC, "magic 0x%03x" % magic


def test_the_gui_subsystem(image):
    subsystem = image.OPTIONAL_HEADER.Subsystem
    assert subsystem == SUBSYSTEM_WINDOWS_GUI


def test_subsystem_and_os_version_of_windows_vista(image):
    header = image.OPTIONAL_HEADER
    subsystem_version = (header.MajorSubsystemVersion, header.MinorSubsystemVersion)
    os_version = (header.MajorOperatingSystemVersion, header.MinorOperatingSystemVersion)
    assert (subsystem_version, os_version) == (MINIMUM_WINDOWS_VERSION, MINIMUM_WINDOWS_VERSION)


def test_it_imports_only_system_dlls(image):
    dlls = imported_dlls(image)
    foreign = [dll for dll in dlls
               if dll.lower() not in SYSTEM_DLLS and not dll.lower().startswith(SYSTEM_DLL_PREFIX)]
    assert dlls and not foreign, "imports %s" % ", ".join(dlls)


@pytest.mark.parametrize("kind, identifier", [(RESOURCE_MENU, MAIN_MENU_ID), (RESOURCE_DIALOG, ABOUT_DIALOG_ID),
                                              (RESOURCE_GROUP_ICON, ICON_GROUP_ID)],
                         ids=["menu-1", "dialog-1", "icon-group-128"])
def test_it_carries_its_resource(image, kind, identifier):
    of_this_kind = resources(image).get(kind, [])
    assert identifier in of_this_kind


def test_it_carries_the_icons_of_its_group(image):
    icons = resources(image).get(RESOURCE_ICON, [])
    assert len(icons) > 0

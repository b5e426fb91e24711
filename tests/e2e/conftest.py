"""The end-to-end tests' surroundings as fixtures: one virtual display and
Wine prefix for the whole run (session), a private sound server playing the
test tones per module (tones), and the pictures a failed test leaves for its
reader (keep). The program under test is --exe; --work-dir holds the Wine
prefix (unless --kept-prefix names its place), the programs' traces and the
pictures of failed tests."""

import os
import re

import pytest

from session import Session


def pytest_addoption(parser):
    group = parser.getgroup("frelox")
    group.addoption("--exe", help="the program under test (a Windows exe)")
    group.addoption("--work-dir", help="where the Wine prefix, traces and failures' pictures go")
    group.addoption("--long-run-minutes", type=float,
                    help="the long run's length (the soak); two rounds of its commands by default")
    group.addoption("--kept-prefix", help="make the Wine prefix afresh here and leave it after the run")
    group.addoption("--release-check", action="store_true",
                    help="only the short check of the release (%s)" % ", ".join(RELEASE_CHECK))


# The short check of the release where it runs only under emulation, too
# slow there for the whole suite; the whole suite has the same cases.
RELEASE_CHECK_ALONE = "test_release_check.py"
RELEASE_CHECK = (RELEASE_CHECK_ALONE, "test_no_device.py")


def pytest_collection_modifyitems(config, items):
    if config.getoption("release_check"):
        wanted = [item for item in items if item.path.name in RELEASE_CHECK]
    else:
        wanted = [item for item in items if item.path.name != RELEASE_CHECK_ALONE]
    config.hook.pytest_deselected(items=[item for item in items if item not in wanted])
    items[:] = wanted


@pytest.hookimpl(hookwrapper=True)
def pytest_runtest_makereport(item, call):
    outcome = yield
    report = outcome.get_result()
    if report.when == "call":
        item.call_failed = report.failed


@pytest.fixture(scope="session")
def session(pytestconfig, tmp_path_factory):
    exe = pytestconfig.getoption("exe")
    if not exe or not os.path.isfile(exe):
        pytest.fail("--exe names no program file: %r" % exe)
    work_dir = pytestconfig.getoption("work_dir") or str(tmp_path_factory.mktemp("e2e"))
    kept_prefix = pytestconfig.getoption("kept_prefix")
    with Session(os.path.abspath(exe), work_dir, kept_prefix and os.path.abspath(kept_prefix)) as running:
        yield running
        if running.emulated:
            pytestconfig.emulated_start_ups = running.start_ups


def pytest_terminal_summary(terminalreporter, config):
    for name, queued_s, measuring_s in getattr(config, "emulated_start_ups", []):
        terminalreporter.write_line("start-up under the emulator (%s): first capture queued after %.1f s, "
                                    "measuring after %.1f s" % (name, queued_s, measuring_s))


@pytest.fixture(scope="module")
def tones(session):
    """A private sound server playing the test tones (session.tone) for the
    module's tests; its programs end with it."""
    with session.sound():
        yield session


@pytest.fixture
def keep(request, session):
    """keep(picture): saved into the work folder if the test fails."""
    pictures = []
    yield pictures.append
    if getattr(request.node, "call_failed", False):
        for index, picture in enumerate(p for p in pictures if p is not None):
            name = "%s-%d.png" % (re.sub(r"[^A-Za-z0-9_.-]+", "-", request.node.name), index)
            picture.save_png(os.path.join(session.work_dir, name))

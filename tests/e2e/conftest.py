"""The end-to-end tests' surroundings as fixtures: one virtual display and
Wine prefix for the whole run (session), a private sound server playing the
test tones per module (tones), and the pictures a failed test leaves for its
reader (keep). The program under test is --exe; --work-dir holds the Wine
prefix, the programs' traces and the pictures of failed tests."""

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


def pytest_configure(config):
    config.addinivalue_line(
        "markers", "release_check: the release's short check (-m release_check), where the "
        "release runs only under emulation, too slow there for the whole suite")


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
    with Session(os.path.abspath(exe), work_dir) as running:
        yield running


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

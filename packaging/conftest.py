"""The release check's options: the zip and the program the build made."""


def pytest_addoption(parser):
    parser.addoption("--zip", required=True, help="the release zip")
    parser.addoption("--exe", required=True, help="the program the build made")

"""Fixtures for the end-to-end scenarios: one prepared display and Wine prefix per run
(made by scripts/test) or per worker of a parallel one, a fresh program folder and an identity
gamma ramp per scenario."""

import os
import subprocess
import sys
from pathlib import Path

import pytest

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "scripts" / "e2e"))

import harness  # noqa: E402

REQUIRED = ("DISPLAY", "WINEPREFIX", "LUMORA_EXE", "LUMORA_PROBE", "LUMORA_CLOCK_SHIM")


def pytest_configure(config):
    missing = [name for name in REQUIRED if not os.environ.get(name)]
    if missing:
        raise pytest.UsageError(
            f"the end-to-end tests need {', '.join(missing)}; run them through scripts/test")
    if not Path(os.environ["LUMORA_EXE"]).is_file():
        raise pytest.UsageError(f"no program at {os.environ['LUMORA_EXE']}")
    # In a parallel run (pytest -n) the first worker uses the run's display and prefix.
    if os.environ.get("PYTEST_XDIST_WORKER", "gw0") != "gw0":
        config.add_cleanup(harness.own_display_and_prefix())
    harness.clock_setup(os.environ["LUMORA_CLOCK_SHIM"], Path(os.environ["WINEPREFIX"]))


def pytest_collection_finish(session):
    # The install scenarios' own prefix is made while the others run; in a parallel run only
    # the worker they land on makes it, when they start.
    if "PYTEST_XDIST_WORKER" not in os.environ and any(
            item.path.name == "test_install.py" for item in session.items):
        harness.make_spare_prefix()


@pytest.fixture
def program_dir(tmp_path):
    """A fresh program folder holding Lumora.exe and monitor.txt."""
    return harness.Lumora.install(tmp_path / "Lumora")


def _launch(program_dir, desktop):
    harness.wine_kill()
    harness.gamma_reset()
    harness.focus_reset()
    app = harness.Lumora(program_dir, desktop=desktop)
    yield app
    harness.wine_kill()  # first: a desktop's explorer ends with it, so no launcher is waited for
    app.stop()


@pytest.fixture
def lumora(program_dir):
    """The program in a plain Wine session (each window an X window), not yet started."""
    yield from _launch(program_dir, desktop=False)


@pytest.fixture
def lumora_desktop(program_dir):
    """The program inside a Wine desktop with a taskbar, not yet started."""
    yield from _launch(program_dir, desktop=True)


@pytest.fixture(params=[False, True], ids=["plain", "desktop"])
def lumora_any(request, program_dir):
    """The program in each mode in turn."""
    yield from _launch(program_dir, desktop=request.param)


@pytest.fixture
def swapped_buttons():
    """The mouse's buttons swapped for a left hand, as the X server maps them (Wine 8 does not
    act on the system's own swap setting). Yields the physical button that is now primary."""
    subprocess.run(["xmodmap", "-e", "pointer = 3 2 1"], check=True, capture_output=True)
    try:
        yield "3"
    finally:
        subprocess.run(["xmodmap", "-e", "pointer = default"], check=True, capture_output=True)

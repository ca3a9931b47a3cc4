"""What the tests of the module kelvaro share: the example models and kelvaro-batch.

CTest runs them with PYTHONPATH at the build's python/ folder and KELVARO_BATCH naming
the batch tool of the same build."""

import os
import pathlib
import subprocess

import pytest

EXAMPLES = pathlib.Path(__file__).resolve().parents[2] / "examples"


@pytest.fixture
def examples(monkeypatch):
    """The examples folder, made the current one (field lines read ElectronData there)."""
    monkeypatch.chdir(EXAMPLES)
    return EXAMPLES


@pytest.fixture
def batch(examples):
    """Runs kelvaro-batch in the examples folder and answers its standard output."""
    tool = os.environ.get("KELVARO_BATCH")
    assert tool, "KELVARO_BATCH must name kelvaro-batch (ctest sets it)"

    def run(*arguments):
        done = subprocess.run([tool, *arguments], cwd=examples, capture_output=True, text=True, check=False)
        assert done.returncode == 0, done.stderr
        return done.stdout

    return run

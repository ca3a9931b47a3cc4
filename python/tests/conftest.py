"""What the tests of the package kelvaro share as fixtures: the example models and
kelvaro-batch (helpers.py holds the rest)."""

import os
import subprocess

import pytest

from helpers import EXAMPLES


@pytest.fixture
def examples(monkeypatch):
    """The examples folder, made the current one (kelvaro-batch reads ElectronData there)."""
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

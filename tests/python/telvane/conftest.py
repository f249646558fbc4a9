import os
import sys

import pytest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "scripts"))

from pbxsim_process import running_pbxsim  # noqa: E402


@pytest.fixture
def sim():
    with running_pbxsim(os.environ["TELVANE_PBXSIM"], "--answer-delay", "50",
                        "--prompt-ms", "50") as running:
        yield running


@pytest.fixture
def control(sim):
    import telvane

    with telvane.Control() as c:
        assert c.Connect("127.0.0.1", sim.port, 5, "101", "secret") is True
        yield c

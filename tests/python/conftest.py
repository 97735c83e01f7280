# The built package is on PYTHONPATH (tests/python/CMakeLists.txt); the
# swirl command and the examples come by environment.
import os
import pathlib
import subprocess

import pytest

SWIRL = os.environ.get("SWIRL_PATH", "swirl")
EXAMPLES = pathlib.Path(os.environ.get("EXAMPLES_DIR", pathlib.Path(__file__).parents[2] / "examples"))


def run_swirl(*args, cwd=None, check=True):
    r = subprocess.run([SWIRL, *map(str, args)], cwd=cwd, capture_output=True)
    if check and r.returncode != 0:
        raise AssertionError(f"swirl {' '.join(map(str, args))}: exit {r.returncode}: {r.stderr.decode()}")
    return r


@pytest.fixture
def examples():
    return EXAMPLES

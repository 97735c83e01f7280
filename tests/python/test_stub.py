# The stub of the extension against the extension itself (stubtest), and the
# package with a user's typed code under mypy --strict.
import os
import subprocess
import sys

import swirl


def test_the_stub_and_the_package_pass_mypy(tmp_path):
    here = os.path.dirname(os.path.abspath(__file__))
    config = tmp_path / "mypy.ini"
    # A cache kept in the build tree: numpy's stubs are analysed once.
    cache = os.environ.get("SWIRL_MYPY_CACHE", str(tmp_path / "cache"))
    config.write_text(f"[mypy]\nignore_missing_imports = True\ncache_dir = {cache}\n")
    # The two at once: each takes some seconds.
    typed = subprocess.Popen([sys.executable, "-m", "mypy", "--config-file", str(config), "--strict",
                              os.path.dirname(swirl.__file__), os.path.join(here, "typed_use.py")],
                             stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    stub = subprocess.Popen([sys.executable, "-m", "mypy.stubtest", "--mypy-config-file", str(config),
                             "--allowlist", os.path.join(here, "stubtest_allowlist.txt"), "swirl._swirl"],
                            stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    typed_out, _ = typed.communicate(timeout=100)
    stub_out, _ = stub.communicate(timeout=100)
    assert typed.returncode == 0, typed_out
    assert stub.returncode == 0, stub_out

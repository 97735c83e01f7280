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
    typed = subprocess.run([sys.executable, "-m", "mypy", "--config-file", str(config), "--strict",
                            os.path.dirname(swirl.__file__), os.path.join(here, "typed_use.py")], capture_output=True, text=True)
    assert typed.returncode == 0, typed.stdout + typed.stderr
    stub = subprocess.run([sys.executable, "-m", "mypy.stubtest", "--mypy-config-file", str(config),
                           "--allowlist", os.path.join(here, "stubtest_allowlist.txt"), "swirl._swirl"],
                          capture_output=True, text=True)
    assert stub.returncode == 0, stub.stdout + stub.stderr

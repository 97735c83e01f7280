#!/usr/bin/env bash
# The Python module as docs/PYTHON.md installs it: a venv made from Debian's
# interpreter with the system's site packages, the build installed with the
# venv as its prefix, and the venv's interpreter importing swirl from there
# (not from the build tree) and computing what the installed `swirl show`
# shows.
#
#   python_venv.sh BUILD_DIR PYTHON SCRATCH
set -euo pipefail
build=$1 python=$2 scratch=$3
rm -rf "$scratch"
mkdir -p "$scratch"
"$python" -m venv --system-site-packages --without-pip "$scratch/env"
cmake --install "$build" --prefix "$scratch/env" >/dev/null
cd "$scratch"
unset PYTHONPATH
"$scratch/env/bin/python" -c '
import swirl, sys
assert swirl.__file__.startswith(sys.prefix + "/"), f"swirl imported from {swirl.__file__}, not from the venv"
swirl.DataFile.from_bytes(swirl.example("BILM"), path="BILM.DAT").set(Q=0.0002).write()
'
"$scratch/env/bin/swirl" show --json BILM.DAT >shown.json
"$scratch/env/bin/python" -c '
import json, numpy as np, swirl
shown = {r["name"]: r["value"] for r in json.load(open("shown.json"))["results"]}
r = swirl.DataFile.read("BILM.DAT").compute()
assert {k: np.float32(v) for k, v in shown.items()} == r.results, (shown, r.results)
print("the venv imports the installed module: HO", r.results["HO"], "as swirl show computes it")
'

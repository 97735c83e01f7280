# A user's typed code over the package: mypy --strict checks it against the
# stub and the package's annotations (test_module.py).
import numpy as np

import swirl


def depth(q: float) -> float:
    f = swirl.DataFile.from_bytes(swirl.example("BILM"), program="BILM").set(Q=q)
    r: swirl.Result = f.compute()
    return float(r.check().results["HO"])


def curve() -> object:
    f = swirl.DataFile.from_bytes(swirl.example("KERVA"))
    return swirl.evaluate(f, jobs=1, D50=np.geomspace(1e-6, 1e-4, 5))


try:
    print(depth(0.002), curve())
except swirl.InvalidInputs as e:
    print(e.reason, e.messages)
except swirl.ReadError as e:
    print(e.line, e.field, e.first_column, e.last_column, e.found, e.reason)

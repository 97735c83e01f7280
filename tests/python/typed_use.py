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


def design() -> float:
    f = swirl.DataFile.from_bytes(swirl.example("BILM"))
    s: swirl.Solution = swirl.solve(f, find="Q=1e-4:1e-2:log", target="HO=0.2", scan="all", jobs=1)
    o: swirl.Optimum = swirl.optimize(f, vary=["Q=1e-4:1e-2:log"], maximize="Q", subject_to=["HO<=0.2"])
    slack = o.constraints[0].slack
    u = swirl.sample(f, vary=["Q=normal(0.001,0.00005)"], count=10, design="lhs", seed=7)
    m: swirl.Summary = swirl.summary(u, spec=["HO<=0.36"])
    t: swirl.Sensitivity = swirl.sensitivity(f, vary=["Q=0.0009:0.0011"], method="oat")
    print(m.cases, t.evaluations)
    return float(s.crossings[0].point.value) + (slack if slack is not None else 0.0)


try:
    print(depth(0.002), curve(), design())
except swirl.InvalidInputs as e:
    print(e.reason, e.messages)
except swirl.ReadError as e:
    print(e.line, e.field, e.first_column, e.last_column, e.found, e.reason)

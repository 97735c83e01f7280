"""The Python module's rates beside swirl sweep's (scripts/bench runs it).

For each program, on its example and the studies of swirl_sweep_bench.cpp:
  swirl sweep --jobs 1       the command's sweep in its process (CSV to /dev/null)
  swirl.evaluate jobs=1      the same cases as columns, held, into arrays
  swirl.sweep jobs=1         the module's sweep into a table
  swirl.evaluate jobs=0      one thread per core
Cases per second of processor time on one core (of wall-clock time on all
cores), the best of the rounds, so that the other processes of a busy
machine count little; the ratio of evaluate on one core to the command's
sweep, against the goal 0.90.  Then the time of one
DataFile.compute() of BILM's example and its overhead over the computation
itself (the goal: under 20 microseconds).

  python3 bench/python_bench.py SWIRL EXAMPLES_DIR [ROUNDS]
"""
import os
import resource
import subprocess
import sys
import time

import numpy as np

import swirl

STUDIES = {
    "BILM": ["RCR=0.05:0.2:10", "Q=0.00001:0.01:10000:log"],
    "KERVA": ["LGSG=0:0.6:4", "D50=0.000001:0.0001:5000:log"],
    "ZARN1": ["NVS=0:1:2", "RK=0.08:0.12:4", "R1=0.01:0.05:2500"],
}


def grid_values(text):
    name, grid = text.split("=")
    parts = grid.split(":")
    lo, hi, count = float(parts[0]), float(parts[1]), int(parts[2])
    i = np.arange(count, dtype=np.float64)
    if len(parts) == 4:
        v = lo * (hi / lo) ** (i / (count - 1))
    else:
        v = lo + i * (hi - lo) / (count - 1)
    v[0], v[-1] = lo, hi
    return name, v


def columns(grids):
    names, values = zip(*(grid_values(g) for g in grids))
    mesh = np.meshgrid(*values, indexing="ij")
    return {n: m.ravel() for n, m in zip(names, mesh)}


def best(rounds, f, clock=time.perf_counter):
    times = []
    for _ in range(rounds):
        t = clock()
        f()
        times.append(clock() - t)
    return min(times)


def children_cpu():
    r = resource.getrusage(resource.RUSAGE_CHILDREN)
    return r.ru_utime + r.ru_stime


def own_cpu():
    return time.process_time()


def main(swirl_path, examples, rounds):
    cores = os.cpu_count() or 1
    print(f"{'program':<8} {'cases':>7} {'sweep cmd/s':>12} {'evaluate/s':>11} {'module sweep/s':>15} "
          f"{'evaluate x{0}/s'.format(cores):>14} {'ratio':>6}")
    for program, grids in STUDIES.items():
        path = os.path.join(examples, program + ".DAT")
        f = swirl.DataFile.read(path)
        cols = columns(grids)
        n = len(next(iter(cols.values())))
        args = [swirl_path, "sweep", path, "--jobs", "1", "--no-progress"]
        for g in grids:
            args += ["--vary", g]
        with open(os.devnull, "wb") as sink:
            command = best(rounds, lambda: subprocess.run(args, stdout=sink, check=True), children_cpu)
        one = best(rounds, lambda: swirl.evaluate(f, jobs=1, frame=False, **cols), own_cpu)
        table = best(rounds, lambda: swirl.sweep(f, vary=grids, jobs=1, frame=False), own_cpu)
        every = best(rounds, lambda: swirl.evaluate(f, jobs=0, frame=False, **cols))
        ratio = command / one
        print(f"{program:<8} {n:>7} {n / command:>12,.0f} {n / one:>11,.0f} {n / table:>15,.0f} "
              f"{n / every:>14,.0f} {ratio:>6.2f}{'' if ratio >= 0.9 else '  below the goal 0.90'}")

    f = swirl.DataFile.read(os.path.join(examples, "BILM.DAT"))
    calls = 20000
    per_call = best(rounds, lambda: [f.compute() for _ in range(calls)], own_cpu) / calls
    cases = 200000
    bare = best(rounds, lambda: swirl.evaluate(f, jobs=1, frame=False, Q=np.full(cases, 0.001)), own_cpu) / cases
    overhead = per_call - bare
    print(f"\nBILM DataFile.compute(): {per_call * 1e6:.2f} us a call, {overhead * 1e6:.2f} us over the "
          f"computation ({bare * 1e6:.2f} us){'' if overhead < 20e-6 else '  above the goal 20 us'}")


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2], int(sys.argv[3]) if len(sys.argv) > 3 else 3)

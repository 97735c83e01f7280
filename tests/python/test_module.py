# The module against the swirl command: the same values bit for bit, the same
# held values and bytes, every exception with its fields, objects that pickle,
# threads that change nothing.
import csv
import io
import json
import pickle
import threading

import numpy as np
import pandas as pd
import pytest

import swirl
from conftest import run_swirl

# A study of each data file that reaches valid and invalid cases, messages
# and verdicts, integer and real inputs.
STUDIES = {
    "BILM.DAT": ["Q=0.00002:0.002:4:log", "R1=-0.01:0.02:4"],
    "KERVA.DAT": ["ROP=0:1.2:3", "NI=1:3:2", "D50=0.000001:0.001:3:log"],
    "ZARN1.DAT": ["R1=0:0.05:3", "DRK=0.0002:0.002:2", "NVS=0:1:2"],
    "ZARN1-nvs1.DAT": ["G=0.01:0.1:3", "RK=0.05:0.2:3:log"],
}


def cli_table(path, grids, *extra):
    args = ["sweep", path, "--jobs", "2", *extra]
    for g in grids:
        args += ["--vary", g]
    text = run_swirl(*args).stdout.decode("utf-8")
    rows = list(csv.reader(io.StringIO(text, newline="")))
    return rows[0], rows[1:]


def bits(values):
    a = np.asarray(values)
    return a.view(np.uint32 if a.dtype == np.float32 else np.uint64)


def assert_table_is_csv(frame, header, rows):
    assert list(frame.columns) == header
    assert len(frame) == len(rows)
    for j, name in enumerate(header):
        cells = [r[j] for r in rows]
        column = frame[name].to_numpy()
        if column.dtype == np.float32:
            expected = np.array([np.float32(c) if c else np.float32("nan") for c in cells], dtype=np.float32)
            assert np.array_equal(np.isnan(column), np.isnan(expected)), name
            ok = ~np.isnan(column)
            assert np.array_equal(bits(column[ok]), bits(expected[ok])), name
        elif column.dtype == np.int32:
            assert column.tolist() == [int(c) for c in cells], name
        elif column.dtype == np.float64:  # an integer result
            assert [None if np.isnan(v) else int(v) for v in column] == [int(c) if c else None for c in cells], name
        else:
            assert column.tolist() == cells, name


@pytest.mark.parametrize("name", sorted(STUDIES))
def test_sweep_and_evaluate_are_the_csv_of_swirl_sweep(examples, name):
    grids = STUDIES[name]
    header, rows = cli_table(examples / name, grids)
    f = swirl.DataFile.read(examples / name)
    table = swirl.sweep(f, vary=grids, jobs=2)
    assert_table_is_csv(table, header, rows)
    assert set(table["status"]) == {"ok", "invalid"} or name.startswith("ZARN1-")
    # evaluate holds the values as the sweep does: given the grid's values
    # (here as held), it gives the same table.
    varied = {g.split("=")[0]: table[g.split("=")[0]].to_numpy() for g in grids}
    again = swirl.evaluate(f, jobs=2, **varied)
    assert_table_is_csv(again, header, rows)
    # A shard is its part of the CSV, numbered by case.
    shard = swirl.sweep(examples / name, vary=grids, shard=(2, 3))
    h, part = cli_table(examples / name, grids, "--shard", "2/3")
    assert_table_is_csv(shard, h, part)
    assert shard.index[0] == len(rows) - len(part) - (len(rows) // 3)
    assert pd.concat([swirl.sweep(f, vary=grids, shard=f"{k}/3") for k in (1, 2, 3)]).equals(table)


def test_sweep_of_a_case_list_is_swirl_sweep_cases(examples, tmp_path):
    listed = tmp_path / "tanks.csv"
    listed.write_text("q,UPOD,R1\n0.001,0.05,0.01\n0.0025,0.08,0\n 3.3333e-3 ,0.123456789,0.02\n")
    header, rows = cli_table(examples / "BILM.DAT", [], "--cases", listed)
    cases = pd.read_csv(listed, dtype=str)
    for given in (listed, cases, {c: cases[c].astype(float).to_numpy() for c in cases}):
        table = swirl.sweep(examples / "BILM.DAT", cases=given, jobs=2)
        assert_table_is_csv(table, header, rows)
    h, part = cli_table(examples / "BILM.DAT", [], "--cases", listed, "--shard", "2/2")
    assert_table_is_csv(swirl.sweep(examples / "BILM.DAT", cases=listed, shard=(2, 2)), h, part)
    for refused in ({"NOPE": [1.0]}, {"Q": []}):
        with pytest.raises(swirl.UsageError):
            swirl.sweep(examples / "BILM.DAT", cases=refused)
    with pytest.raises(swirl.UsageError):
        swirl.sweep(examples / "BILM.DAT", vary="Q=1:2:2", cases=listed)


def test_compute_is_swirl_show(examples, tmp_path):
    import json

    for name in ("BILM.DAT", "KERVA.DAT", "ZARN1.DAT"):
        shown = json.loads(run_swirl("show", "--json", examples / name).stdout)
        r = swirl.DataFile.read(examples / name).compute()
        assert r.status == "ok"
        expected = {x["name"]: x["value"] for x in shown["results"] if x["value"] is not None}
        assert {k: float(v) for k, v in r.results.items()} == {k: float(np.float32(v)) for k, v in expected.items()}
        assert all(isinstance(v, (np.float32, int)) for v in r.results.values())
        if "profiles" in shown:
            for table, shown_table in zip(r.profiles, shown["profiles"]):
                assert list(table) == [c["name"] for c in shown_table]
                for c in shown_table:
                    assert table[c["name"]].dtype == np.float32
                    assert np.array_equal(table[c["name"]], np.array(c["values"], dtype=np.float32))


# (input, typed): held as swirl set holds them, exact or not.
HELD = [
    ("BILM.DAT", "Q", 0.0033333),
    ("BILM.DAT", "Q", 0.123456789),
    ("BILM.DAT", "HG", 2),
    ("BILM.DAT", "UPOD", "5e-2"),
    ("KERVA.DAT", "NI", 3),
    ("KERVA.DAT", "NU", 1.23456789e-5),
    ("ZARN1.DAT", "NVS", 1),
    ("ZARN1.DAT", "PVN", 101325.4),
]


@pytest.mark.parametrize("name,field,typed", HELD)
def test_held_values_are_those_of_swirl_set(examples, tmp_path, name, field, typed):
    path = tmp_path / name
    path.write_bytes((examples / name).read_bytes())
    f = swirl.DataFile.read(path)
    value = f.held(field, typed)
    changed = f.set(**{field: typed})
    assert f.bytes == path.read_bytes()  # nothing written
    run_swirl("set", path, f"{field}={typed}")
    assert changed.bytes == path.read_bytes()
    assert swirl.DataFile.read(path).inputs[field] == value == changed.inputs[field]
    assert type(value) is (int if isinstance(f.inputs[field], int) else np.float32)
    # evaluate holds a value as set does; unheld, a real is the float32 given.
    assert swirl.evaluate(f, frame=False, **{field: float(typed)})[field][0] == value
    loose = swirl.evaluate(f, held=False, frame=False, **{field: float(typed)})[field][0]
    assert loose == np.float32(float(typed))


def test_write_replaces_the_file_keeping_mode_and_link(examples, tmp_path):
    target = tmp_path / "tank.dat"
    target.write_bytes((examples / "BILM.DAT").read_bytes())
    target.chmod(0o640)
    link = tmp_path / "link.dat"
    link.symlink_to(target)
    f = swirl.DataFile.read(link, program="BILM").set(Q=0.002)
    f.write()
    assert link.is_symlink() and target.read_bytes() == f.bytes
    assert target.stat().st_mode & 0o777 == 0o640
    with pytest.raises(swirl.WriteError) as e:
        f.write(tmp_path / "no" / "such.dat")
    assert e.value.code == 1 and "is as it was" in str(e.value)


def test_run_and_report_are_the_programs(examples, tmp_path):
    for name in ("BILM.DAT", "KERVA.DAT"):
        mine, theirs = tmp_path / ("a-" + name), tmp_path / ("b-" + name)
        theirs.write_bytes((examples / name).read_bytes())
        f = swirl.DataFile.read(examples / name)
        cli = run_swirl("run", theirs)
        run = f.run(mine)
        assert mine.read_bytes() == theirs.read_bytes() == run.file.bytes == f.report()
        assert run.console == (cli.stdout + cli.stderr).decode("cp866")


def replaced_field(data, line, first, last, text):
    lines = data.split(b"\r\n")
    row = lines[line - 1].ljust(last)
    lines[line - 1] = row[: first - 1] + text.rjust(last - first + 1) + row[last:]
    return b"\r\n".join(lines)


# (file, line, columns, text put there, field, reason)
READS = [
    ("BILM.DAT", 7, (39, 50), b"abc", "Q", "not-a-number"),
    ("BILM.DAT", 9, (39, 50), b"1.0E+39", "R1", "beyond-single-precision"),
    ("BILM.DAT", 8, (39, 50), b"\x1a", "HG", "end-of-file-mark"),
    ("KERVA.DAT", None, None, b"x", "NI", "not-a-whole-number"),
]


@pytest.mark.parametrize("name,line,columns,text,field,reason", READS)
def test_read_errors_carry_the_place(examples, tmp_path, name, line, columns, text, field, reason):
    f = swirl.DataFile.read(examples / name)
    fields = swirl.fields(f.program).set_index("name")
    if line is None:
        line = int(fields.loc[field, "line"])
        first, last = map(int, fields.loc[field, "columns"].split("-"))
    else:
        first, last = columns
    path = tmp_path / name
    path.write_bytes(replaced_field(f.bytes, line, first, last, text))
    with pytest.raises(swirl.ReadError) as e:
        swirl.DataFile.read(path)
    err = e.value
    assert (err.line, err.field, err.first_column, err.last_column, err.reason) == (line, field, first, last, reason)
    assert err.found.strip() == text.decode("cp866").strip() and err.path == str(path) and err.code == 2
    # The message is swirl show's.
    shown = run_swirl("show", path, check=False)
    assert shown.returncode == 2 and str(err) in shown.stderr.decode()
    assert pickle.loads(pickle.dumps(err)).__dict__ == err.__dict__


def test_the_end_of_the_file_and_a_missing_file(examples, tmp_path):
    cut = b"\r\n".join(swirl.example("BILM").split(b"\r\n")[:8])
    with pytest.raises(swirl.ReadError) as e:
        swirl.DataFile.from_bytes(cut, program="BILM")
    assert (e.value.line, e.value.reason, e.value.found) == (9, "end-of-file", "")
    with pytest.raises(FileNotFoundError):
        swirl.DataFile.read(tmp_path / "none.dat", program="BILM")


def test_usage_errors(examples):
    f = swirl.DataFile.read(examples / "KERVA.DAT")
    refused = [
        lambda: swirl.fields("FUNNEL"),
        lambda: f.set(NOPE=1),
        lambda: f.set(QH=1e40),
        lambda: f.set(NI=1.5),
        lambda: f.set(QH=True),
        lambda: f.held("QH", "1,5"),
        lambda: swirl.evaluate(f, NOPE=[1, 2]),
        lambda: swirl.evaluate(f, NI=[1, 2.5]),
        lambda: swirl.evaluate(f, QH=[1, 2], qh=[3, 4]),
        lambda: swirl.evaluate(f, QH=1.0, jobs=-1),
        lambda: swirl.sweep(f, vary="QH=1:2"),
        lambda: swirl.sweep(f, vary="QH=1:2:2", shard="4/3"),
        lambda: swirl.sweep(f, vary=[]),
        lambda: swirl.DataFile.from_bytes(b"no program\r\n"),
    ]
    for call in refused:
        with pytest.raises(swirl.UsageError) as e:
            call()
        assert e.value.code == 64 and str(e.value)
        assert isinstance(e.value, ValueError)
    with pytest.raises(swirl.UsageError, match=r"NI=2\.5"):
        swirl.evaluate(f, NI=[1, 2.5], jobs=1)


def test_invalid_inputs(examples):
    f = swirl.DataFile.read(examples / "BILM.DAT").set(R1=0)
    r = f.compute()
    assert (r.status, r.results, r.ok) == ("invalid", {}, False)
    assert "R1=0" in r.reason
    for call in (f.report, r.check):
        with pytest.raises(swirl.InvalidInputs) as e:
            call()
        assert (e.value.code, e.value.program, e.value.reason) == (3, "BILM", r.reason)
        back = pickle.loads(pickle.dumps(e.value))
        assert (type(back), back.__dict__) == (swirl.InvalidInputs, e.value.__dict__)


def test_objects_pickle(examples):
    for name in ("BILM.DAT", "ZARN1.DAT"):
        f = swirl.DataFile.read(examples / name).set(DRK=0.001) if name.startswith("ZARN1") else \
            swirl.DataFile.read(examples / name)
        g = pickle.loads(pickle.dumps(f))
        assert (g, g.path, g.program, g.inputs) == (f, f.path, f.program, f.inputs)
        r, s = f.compute(), pickle.loads(pickle.dumps(f.compute()))
        assert (s.results, s.messages, s.verdicts, s.status) == (r.results, r.messages, r.verdicts, r.status)
        if r.profiles is not None:
            assert all(np.array_equal(a[k], b[k]) for a, b in zip(r.profiles, s.profiles) for k in a)


def test_threads_give_the_values_of_one_thread(examples):
    f = swirl.DataFile.read(examples / "KERVA.DAT")
    d50 = np.geomspace(1e-7, 1e-3, 3000)
    rop = np.linspace(-100, 3000, 3000)  # invalid cases among them
    one = swirl.evaluate(f, jobs=1, D50=d50, ROP=rop)
    assert set(one["status"]) == {"ok", "invalid"}
    assert swirl.evaluate(f, jobs=3, D50=d50, ROP=rop).equals(one)
    # Python threads at once, each running its own threads without the GIL.
    out = [None] * 3
    def work(k):
        out[k] = swirl.evaluate(f, jobs=2, D50=d50, ROP=rop)
    threads = [threading.Thread(target=work, args=(k,)) for k in range(3)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    assert all(o.equals(one) for o in out)


def test_evaluate_broadcasts_and_keeps_dtypes(examples):
    f = swirl.DataFile.read(examples / "ZARN1.DAT")
    grid = swirl.evaluate(f, G=np.array([[0.01], [0.05]]), NVS=np.array([0, 1, 0]), frame=False)
    assert grid["G"].tolist() == [np.float32(0.01)] * 3 + [np.float32(0.05)] * 3
    assert grid["NVS"].dtype == np.int32 and grid["NVS"].tolist() == [0, 1, 0] * 2
    assert grid["VMAX"].dtype == np.float32 and grid["NK"].dtype == np.float64
    assert grid["status"].dtype == object and len(grid["reason"]) == 6
    single = swirl.evaluate(f)  # no column: the file's own case
    assert len(single) == 1 and single["VMAX"][0] == f.compute().results["VMAX"]


def test_fields_are_swirl_fields(examples):
    listed = run_swirl("fields", "BILM").stdout.decode()
    for _, row in swirl.fields("BILM").iterrows():
        assert row["name"] in listed and row["columns"] in listed
    assert swirl.programs() == ["BILM", "KERVA", "ZARN1"]


def test_the_docstrings_examples():
    import doctest

    failed, attempted = doctest.testmod(swirl, extraglobs={"swirl": swirl}, optionflags=doctest.ELLIPSIS)
    assert attempted > 0 and failed == 0


def assert_is_json(value, doc, where="doc"):
    """value (a dataclass of the module) holds the document of the command's
    --json, key for key: reals bit for bit (a float32 as the float the JSON
    number reads back to; a double written as a float as that float)."""
    if isinstance(doc, dict):
        for key, v in doc.items():
            assert_is_json(getattr(value, key), v, f"{where}.{key}")
    elif isinstance(doc, list):
        assert isinstance(value, tuple) and len(value) == len(doc), where
        for k, (a, b) in enumerate(zip(value, doc)):
            assert_is_json(a, b, f"{where}[{k}]")
    elif isinstance(doc, float):
        if isinstance(value, np.float32):
            assert bits(value) == bits(np.float32(doc)), where
        else:
            assert type(value) is float, where
            assert value == doc or (np.float32(value) == value and np.float32(doc) == np.float32(value)), where
    else:
        assert type(value) is type(doc) and value == doc, where


def cli_json(*args, code=0):
    r = run_swirl(*map(str, args), "--json", check=False)
    assert r.returncode == code, r.stderr.decode()
    return json.loads(r.stdout)


# A crossing, a scan of every held value, none (exit 4), a gap of invalid
# cases, an integer input and an integer result.
SOLVES = [
    ("BILM.DAT", "Q=1e-4:1e-2:log", "HO=0.2", 1000, 0),
    ("BILM.DAT", "Q=0.00026:0.000265", "HO=0.2", "all", 0),
    ("BILM.DAT", "Q=1e-4:1e-2:log", "HO=5", 50, 4),
    ("BILM.DAT", "R1=-0.01:0.02", "HO=0.3", 200, 0),
    ("ZARN1.DAT", "NVS=0:1", "VMAX=80", "all", 0),
    ("ZARN1.DAT", "DRK=0.0002:0.002", "NK=300", 100, 0),
]


@pytest.mark.parametrize("name,find,target,scan,code", SOLVES)
def test_solve_is_swirl_solve_json(examples, name, find, target, scan, code):
    f = swirl.DataFile.read(examples / name)
    cli = run_swirl("solve", examples / name, "--find", find, "--target", target, "--scan", scan, "--json",
                    check=False)
    if code is not None:
        assert cli.returncode == code, cli.stderr.decode()
    if cli.returncode == 3:
        with pytest.raises(swirl.InvalidInputs):
            swirl.solve(f, find=find, target=target, scan=scan)
        return
    doc = json.loads(cli.stdout)
    s = swirl.solve(f, find=find, target=target, scan=scan, jobs=2)
    assert_is_json(s, doc)
    assert s.ok == (cli.returncode == 0) and s.status in ("ok", "none")
    assert pickle.loads(pickle.dumps(s)) == s


# A single input, an objective that is an input, two inputs with a seed, an
# integer input, and one without a feasible point (exit 4).
OPTIMIZES = [
    ("BILM.DAT", ["Q=0.0001:0.01:log"], "maximize", "Q", ["HO<=0.2"], None, None),
    ("BILM.DAT", ["Q=0.0001:0.01:log", "UPOD=0.02:0.2"], "minimize", "HO", ["VMAX>=1.5"], 300, 7),
    ("KERVA.DAT", ["NI=1:3", "D50=0.000001:0.0001:log"], "maximize", "ETA1", [], 200, 3),
    ("BILM.DAT", ["Q=0.0001:0.01:log"], "maximize", "Q", ["HO<=0.0001", "VMAX>=0"], 50, None),
]


@pytest.mark.parametrize("name,vary,sense,objective,subject_to,evaluations,seed", OPTIMIZES)
def test_optimize_is_swirl_optimize_json(examples, name, vary, sense, objective, subject_to, evaluations, seed):
    args = ["optimize", examples / name, f"--{sense}", objective]
    for v in vary:
        args += ["--vary", v]
    for c in subject_to:
        args += ["--subject-to", c]
    if evaluations is not None:
        args += ["--evaluations", evaluations]
    if seed is not None:
        args += ["--seed", seed]
    cli = run_swirl(*args, "--json", check=False)
    assert cli.returncode in (0, 4), cli.stderr.decode()
    o = swirl.optimize(swirl.DataFile.read(examples / name), vary=vary, subject_to=subject_to,
                       evaluations=evaluations, seed=seed, **{sense: objective})
    assert_is_json(o, json.loads(cli.stdout))
    assert o.ok == (cli.returncode == 0)
    assert (o.violation is None) == o.ok or o.status == "infeasible"
    assert pickle.loads(pickle.dumps(o)) == o


def test_optimisations_on_threads_give_their_answers_alone(examples):
    # NLopt's random numbers may be the process's: without turns, the global
    # stages of optimisations at once would draw from each other's sequence.
    f = swirl.DataFile.read(examples / "BILM.DAT")
    def problem(seed):
        return swirl.optimize(f, vary=["Q=0.0001:0.01:log", "UPOD=0.02:0.2", "RCR=0.05:0.2"], minimize="HO",
                              subject_to="VMAX>=1.5", evaluations=3000, seed=seed)
    alone = [problem(seed) for seed in (1, 2, 3, 4)]
    out = [None] * 4
    start = threading.Barrier(4)
    def work(k):
        start.wait()
        out[k] = problem(k + 1)
    threads = [threading.Thread(target=work, args=(k,)) for k in range(4)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    assert out == alone


def test_solve_and_optimize_refuse_what_the_command_refuses(examples):
    f = swirl.DataFile.read(examples / "BILM.DAT")
    refused = [
        lambda: swirl.solve(f, find="Q=1e-4", target="HO=0.2"),
        lambda: swirl.solve(f, find="Q=0.01:1e-4", target="HO=0.2"),
        lambda: swirl.solve(f, find="HO=1e-4:1e-2", target="HO=0.2"),
        lambda: swirl.solve(f, find="Q=1e-4:1e-2", target="Q=0.2"),
        lambda: swirl.solve(f, find="Q=1e-4:1e-2", target="HO=0.2", scan=1),
        lambda: swirl.solve(f, find="Q=1e-4:1e-2", target="HO=0.2", scan="every"),
        lambda: swirl.solve(f, find="Q=1e-4:1e-2", target="HO=0.2", jobs=-1),
        lambda: swirl.optimize(f, vary="Q=1e-4:1e-2", minimize="HO", maximize="HO"),
        lambda: swirl.optimize(f, vary="Q=1e-4:1e-2"),
        lambda: swirl.optimize(f, vary=[], minimize="HO"),
        lambda: swirl.optimize(f, vary=["Q=1e-4:1e-2", "q=1e-3:1e-2"], minimize="HO"),
        lambda: swirl.optimize(f, vary="Q=1e-4:1e-2", minimize="NOPE"),
        lambda: swirl.optimize(f, vary="Q=1e-4:1e-2", minimize="HO", subject_to="HO=1"),
        lambda: swirl.optimize(f, vary="Q=1e-4:1e-2", minimize="HO", evaluations=9),
        lambda: swirl.optimize(f, vary="Q=1e-4:1e-2", minimize="HO", seed=-1),
    ]
    for call in refused:
        with pytest.raises(swirl.UsageError) as e:
            call()
        assert e.value.code == 64 and str(e.value)


# Samples of each design, an integer input held constant, a truncated
# distribution, invalid cases among them.
SAMPLES = [
    ("BILM.DAT", ["Q=normal(0.001,0.00005)", "UPOD=uniform(0.045,0.055)"], 40, "lhs", 7),
    ("BILM.DAT", ["R1=normal(0.003,0.004)[-0.01,0.02]"], 30, "random", 1),
    ("KERVA.DAT", ["QH=lognormal(1000,1.1)", "ROG=triangular(1.14,1.2,1.26)", "NI=const(2)"], 33, "sobol", 5),
    ("ZARN1.DAT", ["G=uniform(0.01,0.1)"], 5, "random", 2),
]


def assert_sample_is_csv(frame, header, rows):
    assert header[0] == "case" and frame.index.name == "case"
    assert frame.index.tolist() == [int(r[0]) for r in rows]
    assert_table_is_csv(frame, header[1:], [r[1:] for r in rows])


@pytest.mark.parametrize("name,vary,count,design,seed", SAMPLES)
def test_sample_is_the_csv_of_swirl_sample(examples, name, vary, count, design, seed):
    args = ["sample", examples / name, "--count", count, "--design", design, "--seed", seed, "--jobs", "2"]
    for v in vary:
        args += ["--vary", v]
    rows = list(csv.reader(io.StringIO(run_swirl(*args).stdout.decode("utf-8"), newline="")))
    f = swirl.DataFile.read(examples / name)
    table = swirl.sample(f, vary=vary, count=count, design=design, seed=seed, jobs=2)
    assert_sample_is_csv(table, rows[0], rows[1:])
    part = list(csv.reader(io.StringIO(run_swirl(*args, "--shard", "2/3").stdout.decode("utf-8"), newline="")))
    shard = swirl.sample(f, vary=vary, count=count, design=design, seed=seed, shard=(2, 3))
    assert_sample_is_csv(shard, part[0], part[1:])
    shards = [swirl.sample(f, vary=vary, count=count, design=design, seed=seed, shard=f"{k}/3") for k in (1, 2, 3)]
    assert pd.concat(shards).equals(table)
    plain = swirl.sample(f, vary=vary, count=count, design=design, seed=seed, frame=False)
    assert list(plain) == ["case", *table.columns] and plain["case"].tolist() == list(range(count))
    assert all(np.array_equal(plain[c], table[c].to_numpy()) for c in table.columns if table[c].dtype != np.float32)


def assert_frame_is_json(frame, records, float32=()):
    """The rows of a table of the module against the records of a --json."""
    assert len(frame) == len(records)
    for k, record in enumerate(records):
        for key, v in record.items():
            cell = frame[key].iloc[k] if key in frame else frame.index[k]
            if v is None:
                assert np.isnan(cell), (k, key)
            elif isinstance(v, float):
                if key in float32:
                    assert frame[key].dtype == np.float32 and bits(cell) == bits(np.float32(v)), (k, key)
                else:
                    assert cell == v or (np.float32(cell) == cell and np.float32(cell) == np.float32(v)), (k, key)
            else:
                assert cell == v, (k, key)


SENSITIVITIES = [
    ("BILM.DAT", ["Q=0.0009:0.0011", "UPOD=0.045:0.055"], "oat", []),
    ("BILM.DAT", ["R1=-0.01:0.02", "UPOD=0.045:0.055"], "morris", ["--count", "6", "--levels", "6", "--seed", "3"]),
    ("KERVA.DAT", ["QH=900:1100", "ROG=1.14:1.26", "D50=0.000001:0.00001"], "sobol", ["--count", "64"]),
    ("ZARN1.DAT", ["G=0.04:0.06", "NVS=0:1"], "oat", ["--results", "VMAX,nk"]),
]


@pytest.mark.parametrize("name,vary,method,extra", SENSITIVITIES)
def test_sensitivity_is_swirl_sensitivity_json(examples, name, vary, method, extra):
    args = ["sensitivity", examples / name, "--method", method, *extra]
    for v in vary:
        args += ["--vary", v]
    doc = cli_json(*args)
    options = dict(zip(extra[::2], extra[1::2]))
    kw = {k.lstrip("-"): (v if k == "--results" else int(v)) for k, v in options.items()}
    t = swirl.sensitivity(swirl.DataFile.read(examples / name), vary=vary, method=method, jobs=2, **kw)
    assert (t.method, t.evaluations, t.invalid) == (doc["method"], doc["evaluations"], doc["invalid"])
    assert_frame_is_json(t.indices, doc["indices"], float32=("low", "high"))
    assert len(doc["indices"]) > 0


def test_summary_is_swirl_summary_json(examples, tmp_path):
    specs = ["HO<=0.36", "VMAX>1.25", "ho>=0"]
    f = swirl.DataFile.read(examples / "BILM.DAT")
    vary = ["Q=normal(0.001,0.00005)", "R1=uniform(-0.002,0.02)"]
    run_swirl("sample", examples / "BILM.DAT", "--vary", vary[0], "--vary", vary[1], "--count", "300",
              "-o", tmp_path / "b.csv")
    sweep_args = ["sweep", examples / "ZARN1.DAT", "--vary", "R1=0:0.05:3", "--vary", "NVS=0:2:3",
                  "-o", tmp_path / "z.csv"]
    run_swirl(*sweep_args)
    cases = {
        "b.csv": (swirl.sample(f, vary=vary, count=300), specs),
        "z.csv": (swirl.sweep(examples / "ZARN1.DAT", vary=["R1=0:0.05:3", "NVS=0:2:3"]), ["NK>=100", "VMAX<90"]),
    }
    for csv_name, (table, spec) in cases.items():
        args = ["summary", tmp_path / csv_name]
        for s in spec:
            args += ["--spec", s]
        doc = cli_json(*args)
        for source in (tmp_path / csv_name, table, {c: table[c].to_numpy() for c in table.columns}):
            s = swirl.summary(source, spec=spec)
            assert_frame_is_json(s.results, doc["results"])
            assert_frame_is_json(s.specs, doc["specs"])
            assert s.cases == len(table)
    with pytest.raises(swirl.UsageError):
        swirl.summary(tmp_path / "b.csv", spec="NOPE>1")
    (tmp_path / "other.csv").write_text("a,b\n1,2\n")
    with pytest.raises(swirl.UsageError):
        swirl.summary(tmp_path / "other.csv")
    (tmp_path / "bad.csv").write_bytes((tmp_path / "b.csv").read_bytes().replace(b",ok,", b",maybe,", 1))
    with pytest.raises(swirl.ReadError):
        swirl.summary(tmp_path / "bad.csv")


def test_studies_refuse_what_the_commands_refuse(examples):
    f = swirl.DataFile.read(examples / "BILM.DAT")
    refused = [
        lambda: swirl.sample(f, vary="Q=normal(0.001)", count=4),
        lambda: swirl.sample(f, vary="Q=normal(0.001,0.0001)", count=0),
        lambda: swirl.sample(f, vary="Q=normal(0.001,0.0001)", count=4, design="grid"),
        lambda: swirl.sample(f, vary="Q=normal(0.001,0.0001)", count=4, seed=-1),
        lambda: swirl.sample(f, vary="NOPE=uniform(0,1)", count=4),
        lambda: swirl.sensitivity(f, vary="Q=0.0009:0.0011", method="anova"),
        lambda: swirl.sensitivity(f, vary="Q=0.0011:0.0009", method="oat"),
        lambda: swirl.sensitivity(f, vary="Q=0.0009:0.0011", method="oat", count=5),
        lambda: swirl.sensitivity(f, vary="Q=0.0009:0.0011", method="morris", levels=5),
        lambda: swirl.sensitivity(f, vary="Q=0.0009:0.0011", method="oat", results="NOPE"),
    ]
    for call in refused:
        with pytest.raises(swirl.UsageError) as e:
            call()
        assert e.value.code == 64 and str(e.value)

"""The swirl suite's computation in Python: BILM, KERVA and ZARN1 on data files,
their values held as the fields hold them, and studies over many cases.

The same library as the ``swirl`` command: a value, a result and a reason
here are bit for bit those of ``swirl show`` and ``swirl sweep``.  Reals are
single precision (``numpy.float32``), integers ``int``; arrays are float32
and int32.

>>> import swirl
>>> f = swirl.DataFile.from_bytes(swirl.example("BILM"))
>>> f.inputs["Q"]
0.001
>>> g = f.set(Q=0.0025)
>>> r = g.compute()
>>> r.status, r.results["HO"]
('ok', 0.3448979)

Failures are exceptions: :class:`UsageError` (a request that cannot be
accepted), :class:`ReadError` (a data file whose input section does not
read), :class:`InvalidInputs` (inputs that make the computation invalid) and
:class:`WriteError` (a file not written); all are :class:`Error`.
"""

from __future__ import annotations

import builtins
import dataclasses
import os
from typing import Any, Dict, List, Mapping, Optional, Sequence, Tuple, Union

import numpy as np

from . import _swirl

__all__ = [
    "DataFile", "Result", "Run", "Error", "UsageError", "ReadError", "InvalidInputs", "WriteError",
    "programs", "fields", "example", "evaluate", "sweep",
    "solve", "Solution", "Target", "Point", "Crossing",
    "optimize", "Optimum", "Objective", "Setting", "ConstraintState", "Neighbour",
    "sample", "sensitivity", "Sensitivity", "summary", "Summary",
]

PathLike = Union[str, "os.PathLike[str]"]


class Error(Exception):
    """A request of the module that ends early; ``code`` is the exit code the
    swirl command ends with for the same failure."""

    code = 1

    def __init__(self, message: str) -> None:
        super().__init__(message)
        self.message = message

    def __reduce__(self) -> Any:
        return (type(self), (self.message,))


class UsageError(Error, ValueError):
    """A request that cannot be accepted: an unknown program or input, a value
    its field cannot hold, a grid or shard that does not parse (exit 64)."""

    code = 64


class ReadError(Error):
    """A data file that does not read (exit 2).  For an input section that stops
    reading: ``line`` (1-based), ``field`` (the input's name, None for a header
    or label line), ``first_column`` and ``last_column`` (1-based, inclusive),
    ``found`` (the text there) and ``reason`` ("not-a-number",
    "not-a-whole-number", "beyond-single-precision", "end-of-file-mark",
    "end-of-file"); otherwise these are None and ``reason`` is "unreadable"."""

    code = 2

    def __init__(self, message: str, path: Optional[str] = None, line: Optional[int] = None,
                 field: Optional[str] = None, first_column: Optional[int] = None,
                 last_column: Optional[int] = None, found: Optional[str] = None,
                 reason: str = "unreadable") -> None:
        super().__init__(message)
        self.path = path
        self.line = line
        self.field = field
        self.first_column = first_column
        self.last_column = last_column
        self.found = found
        self.reason = reason

    def __reduce__(self) -> Any:
        return (type(self), (self.message, self.path, self.line, self.field, self.first_column,
                             self.last_column, self.found, self.reason))


class InvalidInputs(Error):
    """Inputs that make the computation invalid (exit 3): ``reason`` is the
    program's line that says so, ``messages`` the console lines before it."""

    code = 3

    def __init__(self, message: str, program: Optional[str] = None, reason: str = "",
                 messages: Optional[List[str]] = None) -> None:
        super().__init__(message)
        self.program = program
        self.reason = reason
        self.messages = list(messages or [])

    def __reduce__(self) -> Any:
        return (type(self), (self.message, self.program, self.reason, self.messages))


class WriteError(Error, OSError):
    """A file not written (exit 1); the file is as it was."""

    code = 1

    def __init__(self, message: str) -> None:
        Error.__init__(self, message)

    def __str__(self) -> str:
        return self.message


_swirl._set_exceptions(UsageError, ReadError, InvalidInputs, WriteError)


def programs() -> List[str]:
    """The programs: ``['BILM', 'KERVA', 'ZARN1']``."""
    return _swirl.programs()


def _frame(columns: Dict[str, Any], index: Any = None) -> Any:
    import pandas as pd  # only when a table is asked for

    return pd.DataFrame(columns, index=index, copy=False)


def _pandas() -> bool:
    try:
        import pandas  # noqa: F401
    except ImportError:
        return False
    return True


def fields(program: str) -> Any:
    """The inputs and results of a program, as ``swirl fields`` lists them: a
    DataFrame (a list of dicts without pandas) with kind ("input" or
    "result"), line (0 for a result), name, type ("real" or "integer"),
    columns, read (the input's read format), report (the report's field),
    unit and meaning.

    >>> swirl.fields("BILM").loc[0, ["line", "name", "columns"]].tolist()
    [7, 'Q', '39-50']
    """
    rows = _swirl.fields(program)
    return _frame({k: [r[k] for r in rows] for k in rows[0]}) if _pandas() else rows


def example(program: str) -> bytes:
    """The bytes of the program's bundled example data file."""
    return bytes(_swirl.example(program))


def _value_text(name: str, value: Any) -> str:
    if isinstance(value, str):
        return value
    if isinstance(value, (bool, np.bool_)) or not isinstance(value, (int, float, np.integer, np.floating)):
        raise UsageError(f"{name}={value!r}: a value is a number")
    # str() of a float is the shortest decimal that reads back to it, and
    # that of a numpy.float32 the shortest for single precision.
    return str(value)


@dataclasses.dataclass(frozen=True)
class Result:
    """One computation (``DataFile.compute``).

    ``status`` is "ok" or "invalid"; ``results`` the results the run computed
    (numpy.float32 for a real, int for an integer; empty when invalid);
    ``messages`` the console lines; ``reason`` the line saying why the
    computation is invalid ("" when ok); ``verdicts`` what the run says in
    words, by verdict name; ``profiles`` (ZARN1) the radial profile tables,
    each a dict of float32 arrays by column name, else None."""

    program: str
    status: str
    results: Dict[str, Any]
    messages: List[str]
    reason: str
    verdicts: Dict[str, str]
    profiles: Optional[List[Dict[str, "np.ndarray[Any, np.dtype[np.float32]]"]]] = None

    @property
    def ok(self) -> bool:
        return self.status == "ok"

    def check(self) -> "Result":
        """This result when ok; InvalidInputs otherwise."""
        if not self.ok:
            raise InvalidInputs(f"the inputs make the computation of {self.program} invalid", self.program,
                                self.reason, self.messages)
        return self


@dataclasses.dataclass(frozen=True)
class Run:
    """A program's whole run (``DataFile.run``): its console and the data file
    with the report it wrote."""

    console: str
    file: "DataFile"


class DataFile:
    """A data file of BILM, KERVA or ZARN1, read with the program's own rules.

    >>> f = swirl.DataFile.read("tank7.dat")       # doctest: +SKIP
    >>> f.program, f.inputs["Q"], f.printed["Q"]    # doctest: +SKIP
    ('BILM', 0.001, '.10000E-02')

    A DataFile never changes: ``set`` gives a new one, ``write`` puts one on
    disk.  It pickles (its bytes, path and program)."""

    __slots__ = ("_f",)

    def __init__(self, native: _swirl.DataFile) -> None:
        self._f = native

    @classmethod
    def read(cls, path: PathLike, program: Optional[str] = None) -> "DataFile":
        """The data file at ``path``; ``program`` when neither the file's name nor
        its report banner tells it.  OSError when it cannot be read, ReadError
        when its input section does not read, UsageError for an unknown
        program."""
        return cls(_swirl.DataFile.read(os.fspath(path), program))

    @classmethod
    def from_bytes(cls, data: builtins.bytes, program: Optional[str] = None, path: Optional[str] = None) -> "DataFile":
        """A data file from its bytes (code page 866).  ``path`` names it in
        messages and in ``write``/``run`` by default (the program's own data file
        name when only ``program`` is given)."""
        if path is None:
            path = _swirl.data_file_name(program) if program is not None else "DATA"
        return cls(_swirl.DataFile.from_bytes(bytes(data), path, program))

    def __reduce__(self) -> Any:
        return (_restore, (self.bytes, self.program, self.path))

    def __repr__(self) -> str:
        return f"<swirl.DataFile {self.program} {self.path!r}>"

    def __eq__(self, other: object) -> bool:
        return isinstance(other, DataFile) and (self.program, self.bytes) == (other.program, other.bytes)

    def __hash__(self) -> int:
        return hash((self.program, self.bytes))

    @property
    def program(self) -> str:
        """"BILM", "KERVA" or "ZARN1"."""
        return self._f.program

    @property
    def path(self) -> str:
        return self._f.path

    @property
    def bytes(self) -> bytes:
        """The whole file."""
        return self._f.bytes

    @property
    def inputs(self) -> Dict[str, Any]:
        """Every input as the program reads it: numpy.float32 or int, by name."""
        return self._f.inputs

    @property
    def printed(self) -> Dict[str, str]:
        """Every input's field as the file holds it, blanks trimmed."""
        return self._f.printed

    @property
    def findings(self) -> List[Tuple[str, int, str, str]]:
        """What ``swirl show`` warns of (a hand edit's traces): (kind, line, input,
        message) each."""
        return self._f.findings

    def set(self, **values: Any) -> "DataFile":
        """A new DataFile with these inputs (any case) written into their fields
        as ``swirl set`` writes them, every other byte kept.  A value is a
        number or a decimal text.

        >>> f.set(Q=0.0025, UPOD=0.05).inputs["Q"]    # doctest: +SKIP
        0.0025
        """
        return DataFile(self._f.set([(k, _value_text(k, v)) for k, v in values.items()]))

    def held(self, name: str, value: Any) -> Any:
        """The value the program would read once ``value`` is in the field of
        ``name``, nothing written: ``f.held("Q", 0.0033333)`` gives 0.0033333."""
        return self._f.held(name, _value_text(name, value))

    def compute(self, profiles: bool = True) -> Result:
        """The program's computation on the inputs; ZARN1's profile tables unless
        ``profiles=False``."""
        valid, results, messages, reason, verdicts, tables = self._f.compute(profiles)
        return Result(self.program, "ok" if valid else "invalid", results, messages, reason, verdicts, tables)

    def report(self) -> builtins.bytes:
        """The report the program writes for these inputs; InvalidInputs when it
        writes none."""
        return self._f.report()

    def write(self, path: Optional[PathLike] = None) -> None:
        """The file's bytes to ``path`` (default: its own path), whole or not at
        all: the mode, owner and links of a file there are kept.  WriteError
        when it cannot be written."""
        self._f.write(os.fspath(path) if path is not None else self.path)

    def run(self, path: Optional[PathLike] = None) -> Run:
        """The program's whole run on the data file at ``path`` (default: its own
        path) once it holds this file's bytes, as ``swirl run`` runs it: the
        report replaces the file.  Exit codes become exceptions (WriteError,
        ReadError, InvalidInputs) with the console as message."""
        where = os.fspath(path) if path is not None else self.path
        code, console = self._f.run(where)
        if code == 0:
            return Run(console, DataFile.read(where, self.program))
        text = console.strip() or f"{self.program} ended with exit code {code}"
        if code == 1:
            raise WriteError(text)
        if code == 2:
            raise ReadError(text, where)
        if code == 3:
            lines = console.splitlines()
            raise InvalidInputs(text, self.program, lines[-1] if lines else "", lines[:-1])
        raise Error(text)


def _restore(data: bytes, program: str, path: str) -> DataFile:
    return DataFile.from_bytes(data, program=program, path=path)


def _file_of(file: Union[DataFile, PathLike], program: Optional[str]) -> DataFile:
    return file if isinstance(file, DataFile) else DataFile.read(file, program)


def _table(columns: Dict[str, Any], frame: Optional[bool], index: Any) -> Any:
    if frame is None:
        frame = _pandas()
    if frame:
        return _frame(columns, index)
    return {k: (v if isinstance(v, np.ndarray) else np.array(v, dtype=object)) for k, v in columns.items()}


def evaluate(file: Union[DataFile, PathLike], *, jobs: int = 0, held: bool = True, frame: Optional[bool] = None,
             **columns: Any) -> Any:
    """Every case of columns of inputs over the file's other inputs, computed on
    ``jobs`` threads (0: one per core) with the GIL released.

    Each keyword names an input (any case) and gives an array or a scalar;
    they broadcast to one length (the cases, flattened).  Every value is held
    as its field holds it, as ``swirl sweep`` holds a grid's values, unless
    ``held=False``: then a real is the float32 given, which no data file may
    be able to carry.

    Returns a DataFrame (a dict of numpy arrays with ``frame=False`` or
    without pandas) with swirl sweep's columns: every input (float32 or int32),
    every result (float32; NaN where the case is invalid or its path does not
    compute it; an integer result, such as ZARN1's NK, float64 so that it can
    be NaN), status ("ok"/"invalid"), reason, messages and the verdicts ("" when
    none).

    >>> curve = swirl.evaluate(kerva, DCH=np.geomspace(1e-6, 1e-4, 50))   # doctest: +SKIP
    """
    f = _file_of(file, None)
    names = list(columns)
    arrays = [np.asarray(v, dtype=np.float64) for v in columns.values()]
    if arrays:
        arrays = [np.ascontiguousarray(a).ravel() for a in np.broadcast_arrays(*arrays)]
    table = _swirl.evaluate(f._f, names, arrays, held, jobs)
    return _table(table, frame, None)


def sweep(file: Union[DataFile, PathLike], vary: Union[str, Sequence[str], Mapping[str, str], None] = None, *,
          cases: Any = None, shard: Union[str, Tuple[int, int]] = "1/1", jobs: int = 0,
          program: Optional[str] = None, frame: Optional[bool] = None) -> Any:
    """``swirl sweep FILE --vary ... --shard K/N --jobs N --program P`` as a
    table: the same cases, in the same order, with the CSV's values (reals as
    float32, integers as int32, results NaN where the CSV cell is empty, texts
    "" where it is empty).  The DataFrame's index is the case number, so the
    shards of a study concatenate into the whole study.

    ``vary`` is a grid NAME=FROM:TO:COUNT[:log], a list of them, or a mapping
    {NAME: "FROM:TO:COUNT[:log]"}; ``shard`` "K/N" or (K, N).  Instead of
    grids, ``cases`` is a case list, as ``--cases CASES.csv`` takes it: the
    path of the CSV, or a table (a DataFrame or a mapping of columns by input
    name) whose rows are the cases.

    >>> q = swirl.sweep("tank7.dat", vary="Q=1e-5:0.01:31:log")             # doctest: +SKIP
    """
    f = _file_of(file, program)
    if not isinstance(shard, str):
        shard = f"{shard[0]}/{shard[1]}"
    if cases is not None:
        if vary is not None:
            raise UsageError("cases and vary do not go together: give the varied values as columns of the cases")
        if isinstance(cases, (str, os.PathLike)):
            name = os.fspath(cases)
            with open(name, "rb") as listed:
                data = listed.read()
        else:
            name, data = "the cases", _csv_text(cases, case_index=False)
        table, begin, end, _total = _swirl.sweep_cases(f._f, data, name, shard, jobs)
    else:
        grids = [] if vary is None else _texts("vary", vary)
        table, begin, end, _total = _swirl.sweep(f._f, grids, shard, jobs)
    if frame is None:
        frame = _pandas()
    if frame:
        import pandas as pd

        return _frame(table, pd.RangeIndex(begin, end, name="case"))
    result = _table(table, False, None)
    result["case"] = np.arange(begin, end, dtype=np.int64)
    return result


# solve and optimize: the documents of the commands' --json as dataclasses,
# field for field.  A JSON number that is a value of the programs (an input, a
# result, a target or a limit) is a numpy.float32 (an int for an integer
# field); a slack or a violation, a difference taken in double precision, a
# float.

def _real(v: Any) -> Any:
    return np.float32(v) if isinstance(v, float) else v


def _texts(name: str, v: Union[str, Sequence[str], Mapping[str, str]]) -> List[str]:
    if isinstance(v, str):
        return [v]
    if isinstance(v, Mapping):
        return [f"{k}={t}" for k, t in v.items()]
    if not all(isinstance(t, str) for t in v):
        raise UsageError(f"{name}: texts as the command takes them, such as Q=0.0001:0.01:log")
    return list(v)


@dataclasses.dataclass(frozen=True)
class Target:
    """The result solved for and the value it should pass (float32)."""

    name: str
    value: Any


@dataclasses.dataclass(frozen=True)
class Point:
    """A held value of the input solved for: ``value`` (float32 or int),
    ``printed`` (its field's text) and ``result`` (the result there)."""

    value: Any
    printed: str
    result: Any


@dataclasses.dataclass(frozen=True)
class Crossing:
    """Two neighbouring held values whose results lie on different sides of the
    target (or, in ``across_invalid``, the valid values on each side of a gap
    of invalid cases).  ``nearer`` is "lower" or "upper": the one whose result
    is nearer the target; ``exact`` when one of them equals it."""

    lower: Point
    upper: Point
    nearer: str
    exact: bool

    @property
    def point(self) -> Point:
        """The nearer of the two: what ``swirl solve --write`` writes."""
        return self.upper if self.nearer == "upper" else self.lower


@dataclasses.dataclass(frozen=True)
class Solution:
    """What :func:`solve` found: the fields of ``swirl solve --json``.

    ``status`` is "ok" with at least one crossing, "none" without (the
    command's exit 4); then ``nearest`` is the held value whose result is
    nearest the target and ``results_seen`` the (min, max) of the results
    computed, else both None.  ``range`` is the first and the last held
    value of the range, ``held_values`` their number, ``scan`` the points
    scanned (or "all"), ``evaluations`` the cases computed."""

    program: str
    file: str
    find: str
    target: Target
    range: Tuple[Any, Any]
    evaluations: int
    crossings: Tuple[Crossing, ...]
    across_invalid: Tuple[Crossing, ...]
    status: str
    scan: Union[int, str]
    held_values: int
    nearest: Optional[Point]
    results_seen: Optional[Tuple[Any, Any]]
    note: str

    @property
    def ok(self) -> bool:
        return self.status == "ok"


def _point(d: Dict[str, Any]) -> Point:
    return Point(_real(d["value"]), d["printed"], _real(d["result"]))


def _crossing(d: Dict[str, Any]) -> Crossing:
    return Crossing(_point(d["lower"]), _point(d["upper"]), d["nearer"], d["exact"])


def solve(file: Union[DataFile, PathLike], find: str, target: str, *, scan: Union[int, str] = 1000,
          jobs: int = 0, program: Optional[str] = None) -> Solution:
    """``swirl solve FILE --find NAME=LO:HI[:log] --target RESULT=VALUE --scan N
    --jobs N --program P``: the pairs of neighbouring held values of one input
    between which a result passes a target, every other input as the file
    holds it, computed on ``jobs`` threads (0: one per core) with the GIL
    released.

    No crossing is not an error: the Solution's ``status`` is "none" (where
    the command ends with exit 4).  InvalidInputs when every case computed is
    invalid (exit 3); UsageError for what the command refuses (exit 64).
    Ctrl-C stops the search.

    >>> s = swirl.solve(swirl.DataFile.from_bytes(swirl.example("BILM")), find="Q=1e-4:1e-2:log", target="HO=0.2")
    >>> s.status, s.crossings[0].point
    ('ok', Point(value=0.00026182, printed='.26182E-03', result=0.2000001))
    """
    f = _file_of(file, program)
    d = _swirl.solve(f._f, find, target, scan, jobs)
    nearest = d.get("nearest")
    seen = d.get("results_seen")
    return Solution(d["program"], d["file"], d["find"], Target(d["target"]["name"], _real(d["target"]["value"])),
                    (_real(d["range"][0]), _real(d["range"][1])), d["evaluations"],
                    tuple(_crossing(c) for c in d["crossings"]), tuple(_crossing(c) for c in d["across_invalid"]),
                    d["status"], d["scan"], d["held_values"], _point(nearest) if nearest is not None else None,
                    (_real(seen[0]), _real(seen[1])) if seen is not None else None, d["note"])


@dataclasses.dataclass(frozen=True)
class Objective:
    """The objective: ``name`` (a result or an input), ``sense`` ("minimize"
    or "maximize") and ``value`` at the answer (float32; None when not
    computed)."""

    name: str
    sense: str
    value: Any


@dataclasses.dataclass(frozen=True)
class Setting:
    """An input of the answer: ``value`` (float32 or int) and ``printed``
    (its field's text)."""

    name: str
    value: Any
    printed: str


@dataclasses.dataclass(frozen=True)
class ConstraintState:
    """A constraint at the answer: ``op`` (">=" or "<="), ``limit`` (float32),
    ``value`` (None when not computed), ``slack`` (a float, negative when
    violated) and ``active`` (a neighbour of the answer violates it)."""

    name: str
    op: str
    limit: Any
    value: Any
    slack: Optional[float]
    active: bool


@dataclasses.dataclass(frozen=True)
class Neighbour:
    """An input of the answer one held step ``direction`` ("up" or "down"):
    ``value`` and ``printed`` (None beyond the range), ``status`` ("no
    better", "infeasible", "invalid", "bound") and the ``objective`` there."""

    name: str
    direction: str
    value: Any
    printed: Optional[str]
    status: str
    objective: Any


@dataclasses.dataclass(frozen=True)
class Optimum:
    """What :func:`optimize` found: the fields of ``swirl optimize --json``.

    ``status`` is "ok" (the best feasible point: no neighbour in
    ``certificate`` is feasible and better) or "infeasible" (no feasible point
    found, the command's exit 4: ``inputs`` is the point of least violation,
    ``violation`` the total relative violation, None when no case computed
    what the constraints need; ``certificate`` is empty)."""

    program: str
    file: str
    status: str
    objective: Objective
    inputs: Tuple[Setting, ...]
    constraints: Tuple[ConstraintState, ...]
    certificate: Tuple[Neighbour, ...]
    evaluations: int
    seed: int
    violation: Optional[float]
    note: str

    @property
    def ok(self) -> bool:
        return self.status == "ok"

    @property
    def values(self) -> Dict[str, Any]:
        """The answer's inputs by name, for ``DataFile.set(**o.values)``."""
        return {s.name: s.value for s in self.inputs}


def optimize(file: Union[DataFile, PathLike], vary: Union[str, Sequence[str], Mapping[str, str]], *,
             minimize: Optional[str] = None, maximize: Optional[str] = None,
             subject_to: Union[str, Sequence[str]] = (), evaluations: Optional[int] = None,
             seed: Optional[int] = None, program: Optional[str] = None) -> Optimum:
    """``swirl optimize FILE --vary NAME=LO:HI[:log]... --minimize|--maximize
    RESULT --subject-to "RESULT>=VALUE"... --evaluations N --seed S``: the
    best feasible point over the held values of the varied inputs, with its
    certificate, computed with the GIL released.  ``vary`` is a range, a list
    of them or a mapping {NAME: "LO:HI[:log]"}; the objective may be an input
    too.  ``evaluations`` defaults to 2000 and ``seed`` to 1, as the command's;
    the same problem and seed give the same answer, also with optimisations
    running on other threads.

    No feasible point is not an error: the Optimum's ``status`` is
    "infeasible" (where the command ends with exit 4).  UsageError for what
    the command refuses (exit 64).  Ctrl-C stops the search.

    >>> o = swirl.optimize(swirl.DataFile.from_bytes(swirl.example("BILM")), vary="Q=0.0001:0.01:log",
    ...                    maximize="Q", subject_to="HO<=0.2")
    >>> o.status, o.values, o.constraints[0].value
    ('ok', {'Q': 0.00026181}, 0.19999354)
    """
    if (minimize is None) == (maximize is None):
        raise UsageError("give one of minimize=RESULT and maximize=RESULT")
    if evaluations is None:
        evaluations = 2000
    if seed is None:
        seed = 1
    for name, n in (("evaluations", evaluations), ("seed", seed)):
        if isinstance(n, bool) or not isinstance(n, (int, np.integer)):
            raise UsageError(f"{name}: a whole number")
    if not 0 <= seed < 2 ** 64:
        raise UsageError(f"seed {seed}: 0 to 2**64-1")
    if not -2 ** 63 <= evaluations < 2 ** 63:
        raise UsageError(f"evaluations {evaluations}: at least 10")
    f = _file_of(file, program)
    objective = maximize if maximize is not None else minimize
    assert objective is not None
    d = _swirl.optimize(f._f, _texts("vary", vary), objective, maximize is not None,
                        _texts("subject_to", subject_to), int(evaluations), int(seed))
    o = d["objective"]
    return Optimum(
        d["program"], d["file"], d["status"], Objective(o["name"], o["sense"], _real(o["value"])),
        tuple(Setting(i["name"], _real(i["value"]), i["printed"]) for i in d["inputs"]),
        tuple(ConstraintState(c["name"], c["op"], _real(c["limit"]), _real(c["value"]), c["slack"], c["active"])
              for c in d["constraints"]),
        tuple(Neighbour(n["name"], n["direction"], _real(n["value"]), n["printed"], n["status"], _real(n["objective"]))
              for n in d["certificate"]),
        d["evaluations"], d["seed"], d.get("violation"), d["note"])


def _whole(name: str, n: Any, least: int, most: int = 2 ** 63 - 1) -> int:
    if isinstance(n, bool) or not isinstance(n, (int, np.integer)) or not least <= n <= most:
        raise UsageError(f"{name} {n!r}: a whole number from {least} to {most}")
    return int(n)


def _cases(table: Dict[str, Any], begin: int, end: int, frame: Optional[bool]) -> Any:
    if frame is None:
        frame = _pandas()
    if frame:
        import pandas as pd

        return _frame(table, pd.RangeIndex(begin, end, name="case"))
    result = {"case": np.arange(begin, end, dtype=np.int64)}
    result.update(_table(table, False, None))
    return result


def sample(file: Union[DataFile, PathLike], vary: Union[str, Sequence[str], Mapping[str, str]], *, count: int,
           design: str = "random", seed: int = 1, shard: Union[str, Tuple[int, int]] = "1/1", jobs: int = 0,
           program: Optional[str] = None, frame: Optional[bool] = None) -> Any:
    """``swirl sample FILE --vary NAME=DIST... --count N --design D --seed S
    --shard K/N --jobs N`` as a table: the same cases with the CSV's values,
    as :func:`sweep` gives a sweep's.  The CSV's first column, ``case`` (the
    case's number in the whole sample), is the DataFrame's index (a column
    ``case`` with ``frame=False``), so the shards concatenate into the whole
    sample.  ``vary`` is NAME=DIST, a list of them or {NAME: DIST}, DIST as
    the command takes it: uniform(LO,HI), normal(MEAN,SD), lognormal(MEDIAN,GSD),
    triangular(LO,MODE,HI), const(V), optionally truncated [LO,HI].

    >>> s = swirl.sample(swirl.DataFile.from_bytes(swirl.example("BILM")), vary="Q=normal(0.001,0.00005)",
    ...                  count=4, design="lhs", seed=7)
    >>> s["Q"].to_numpy()
    array([0.00097405, 0.0010192 , 0.00094309, 0.0011425 ], dtype=float32)
    """
    f = _file_of(file, program)
    if not isinstance(shard, str):
        shard = f"{shard[0]}/{shard[1]}"
    table, begin, end, _total = _swirl.sample(f._f, _texts("vary", vary), _whole("count", count, 1),
                                              design, _whole("seed", seed, 0, 2 ** 64 - 1), shard, jobs)
    return _cases(table, begin, end, frame)


@dataclasses.dataclass(frozen=True)
class Sensitivity:
    """What :func:`sensitivity` found: the fields of ``swirl sensitivity
    --json``.  ``indices`` is a DataFrame (a dict of arrays without pandas)
    with a row per input and result: input, result, then for "oat" low and
    high (the result with the input at LO and at HI, float32) and swing; for
    "morris" mu_star, mu and sigma; for "sobol" S1, S1_low, S1_high, ST, ST_low
    and ST_high (95 % bootstrap intervals).  NaN where the command's JSON has
    null."""

    method: str
    evaluations: int
    invalid: int
    indices: Any


def sensitivity(file: Union[DataFile, PathLike], vary: Union[str, Sequence[str], Mapping[str, str]], *,
                method: str, count: Optional[int] = None, seed: int = 1, levels: int = 4, jobs: int = 0,
                results: Union[str, Sequence[str]] = (), program: Optional[str] = None,
                frame: Optional[bool] = None) -> Sensitivity:
    """``swirl sensitivity FILE --vary NAME=LO:HI... --method oat|morris|sobol
    --count N --seed S --levels P --jobs N --results R,...``: which input moves
    which result most over its range, computed with the GIL released.
    ``count`` is Morris's trajectories (default 20) or Sobol's base points
    (default 1024); ``results`` keeps those results only.  The tornado chart
    of ``--plot`` is a plot of ``indices`` here.

    >>> t = swirl.sensitivity(swirl.DataFile.from_bytes(swirl.example("BILM")),
    ...                       vary=["Q=0.0009:0.0011", "UPOD=0.045:0.055"], method="oat", results="HO")
    >>> list(t.indices["input"]), t.indices["high"].to_numpy()
    (['UPOD', 'Q'], array([0.41732645, 0.3448979 ], dtype=float32))
    """
    f = _file_of(file, program)
    if isinstance(results, str):
        results = [r for r in results.split(",") if r]
    given = None if count is None else _whole("count", count, 1)
    d = _swirl.sensitivity(f._f, _texts("vary", vary), method, given, _whole("seed", seed, 0, 2 ** 64 - 1),
                           _whole("levels", levels, 2, 2 ** 31 - 1), jobs, list(results))
    columns: Dict[str, Any] = {}
    for name, values in d["indices"].items():
        if name in ("input", "result"):
            columns[name] = np.array(values, dtype=object)
        else:
            columns[name] = np.array(values, dtype=np.float32 if name in ("low", "high") else np.float64)
    return Sensitivity(d["method"], d["evaluations"], d["invalid"], _table(columns, frame, None))


@dataclasses.dataclass(frozen=True)
class Summary:
    """What :func:`summary` found: the fields of ``swirl summary --json``, and
    the table's ``program`` and ``cases``.  ``results`` is a DataFrame (a dict
    of arrays without pandas) indexed by the result's name: ok, invalid,
    not_computed (counts of cases), mean, sd, min, p5, p50, p95, max (of the ok
    values; NaN without); ``specs`` one indexed by the requirement as written:
    met, cases, share, low, high (its 95 % Wilson interval)."""

    program: str
    cases: int
    results: Any
    specs: Any


def _csv_text(table: Any, case_index: bool = True) -> builtins.bytes:
    # A table of this module: the CSV's own texts (pandas writes a float32
    # as its shortest decimal, as the command does); a sample's index is its
    # column case.
    if isinstance(table, Mapping):
        import pandas as pd

        table = pd.DataFrame(dict(table))
    with_index = case_index and table.index.name == "case" and "case" not in table.columns
    text: str = table.to_csv(index=with_index, lineterminator="\n")
    return text.encode("utf-8")


def summary(table: Any, spec: Union[str, Sequence[str]] = (), *, frame: Optional[bool] = None) -> Summary:
    """``swirl summary TABLE.csv --spec "RESULT>=VALUE"...``: the statistics of
    each result of a sweep's or a sample's table, and the share of the cases
    that meet each requirement.  ``table`` is the path of a CSV the command
    wrote or a table of :func:`sweep`, :func:`sample` or :func:`evaluate` (a
    DataFrame or a dict of arrays), read as its CSV.  ReadError for a CSV that
    does not read, UsageError for one no sweep or sample wrote.

    >>> s = swirl.sample(swirl.DataFile.from_bytes(swirl.example("BILM")), vary="UPOD=uniform(0.045,0.055)",
    ...                  count=200, seed=3)
    >>> q = swirl.summary(s, spec="HO<=0.36").specs.loc["HO<=0.36"]
    >>> int(q["met"]), int(q["cases"])
    (114, 200)
    """
    if isinstance(table, (str, os.PathLike)):
        name = os.fspath(table)
        with open(name, "rb") as f:
            data = f.read()
    else:
        name = "the table"
        data = _csv_text(table)
    d = _swirl.summary(data, name, [spec] if isinstance(spec, str) else list(spec))
    if frame is None:
        frame = _pandas()

    def rows(records: List[Dict[str, Any]], key: str, keys: List[str]) -> Any:
        columns = {k: np.array([r[k] for r in records], dtype=np.int64 if k in ("ok", "invalid", "not_computed",
                                                                            "met", "cases") else np.float64)
                   for k in keys}
        index = [r[key] for r in records]
        if frame:
            import pandas as pd

            return _frame(columns, pd.Index(index, name=key, dtype=object))
        columns[key] = np.array(index, dtype=object)
        return columns

    return Summary(d["program"], d["cases"],
                   rows(d["results"], "name", ["ok", "invalid", "not_computed", "mean", "sd", "min", "p5", "p50",
                                               "p95", "max"]),
                   rows(d["specs"], "spec", ["met", "cases", "share", "low", "high"]))

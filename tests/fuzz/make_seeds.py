#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets (tests/fuzz/corpus/<target>/).

The seeds are the shipped example files (each one a report, hence a valid
input), the same files with other line ends, cut short, with a damaged
field, with a Ctrl-Z inside a number, and a few special values for the
output edits.  Run from anywhere; the seed files are rewritten in place.
Inputs found by fuzzing are kept apart, in tests/fuzz/regressions/<target>/.
"""
import pathlib
import struct

HERE = pathlib.Path(__file__).resolve().parent
ROOT = HERE.parent.parent
CORPUS = HERE / "corpus"

PROGRAM_EXAMPLES = {
    "bilm": ["BILM.DAT"],
    "zarn1": ["ZARN1.DAT", "ZARN1-nvs1.DAT"],
    "kerva": ["KERVA.DAT"],
}


def lines_of(data: bytes):
    return data.split(b"\r\n")


def first_value_line(lines, column):
    """Index of the first line with a digit at or after `column` (0-based)."""
    for i, line in enumerate(lines):
        if len(line) > column and any(chr(c).isdigit() for c in line[column:]):
            return i
    raise ValueError("no value line")


def variants(name: str, data: bytes, column: int):
    lines = lines_of(data)
    v = first_value_line(lines, column)
    out = {name: data}
    out[name + ".lf"] = data.replace(b"\r\n", b"\n")
    out[name + ".cr"] = data.replace(b"\r\n", b"\r")
    out[name + ".half"] = data[: len(data) // 2]
    out[name + ".head"] = b"\r\n".join(lines[:v]) + b"\r\n"
    damaged = list(lines)
    damaged[v] = damaged[v][:column] + b"  1.2.3x" + damaged[v][column + 8:]
    out[name + ".badfield"] = b"\r\n".join(damaged)
    ctrlz = list(lines)
    ctrlz[v] = ctrlz[v][: column + 3] + b"\x1a" + ctrlz[v][column + 4:]
    out[name + ".ctrlz"] = b"\r\n".join(ctrlz)
    blank = list(lines)
    blank[v] = blank[v][:column]
    out[name + ".blank"] = b"\r\n".join(blank)
    longhead = list(lines)
    longhead[0] = longhead[0] + b"=" * 3000
    out[name + ".longhead"] = b"\r\n".join(longhead)
    return out


def write(target: str, files: dict):
    d = CORPUS / target
    d.mkdir(parents=True, exist_ok=True)
    for name, data in files.items():
        (d / name).write_bytes(data)


def main():
    # Value columns: BILM reads E12.5 from column 39, ZARN1 and KERVA their
    # fields from column 42.
    column = {"bilm": 38, "zarn1": 41, "kerva": 41}
    every = {}
    for target, names in PROGRAM_EXAMPLES.items():
        files = {"empty": b""}
        for n in names:
            data = (ROOT / "examples" / n).read_bytes()
            files.update(variants(n, data, column[target]))
            every[n] = data
        write(target, files)

    # read_fields: the first byte picks the order of the input formats.
    fields = {}
    for sel, (n, data) in enumerate(every.items()):
        fields[n] = bytes([sel]) + data
    fields["ctrlz"] = bytes([1]) + b"x" * 38 + b"  0.1\x1a345E+01\r\nnext\r\n"
    fields["noend"] = bytes([4]) + b" " * 46 + b"7"
    write("read_fields", fields)

    # edit_output: 4 bytes per value (a float's bits, also read as an integer).
    floats = [0.0, -0.0, 1.0, -1.0, 0.5, 9.99995, 99999.99995, 999999.94, 1.0e6, 1.0e7,
              -99999.99, 1.0e-5, -4.9e-5, 3.4028235e38, 1.17549435e-38, 1.4e-45,
              123456.78, 0.099999994, float("inf"), float("-inf"), float("nan")]
    ints = [0, 9, 10, -1, -10, 99, 100, 999, 1000, -99, -100, 2**31 - 1, -2**31]
    blob_f = b"".join(struct.pack("<f", f) for f in floats)
    blob_i = b"".join(struct.pack("<i", i) for i in ints)
    write("edit_output", {"floats": blob_f, "integers": blob_i})

    # swirl_input: "<PROGRAM> edit" and an edited UTF-8 text, or
    # "<PROGRAM> set", NAME=VALUE lines and optionally NUL and a data file.
    inputs = {
        "BILM": ["Q", "HG", "R1", "RCR", "UPOD"],
        "KERVA": ["QH", "ROG", "NU", "DK", "L", "R2", "B", "HI", "NI", "UVX", "VID", "BETA", "D50",
                  "LGSG", "ROP", "QGE"],
        "ZARN1": ["G", "RK", "L", "R1", "H", "FVX", "PSIVX", "VID", "NU", "RO", "PVN", "TK", "DRK", "NVS"],
    }
    swirl = {}
    for program, names in inputs.items():
        data = (ROOT / "examples" / (program + ".DAT")).read_bytes()
        text = data.decode("cp866").replace("\r\n", "\n")
        lines = text.split("\n")
        col = column[program.lower()]
        v = {"BILM": 7, "KERVA": 11, "ZARN1": 11}[program] - 1  # the line of the first input
        head = program + " edit\n"
        swirl[program + ".edit"] = head + text
        swirl[program + ".edit.crlf"] = head + text.replace("\n", "\r\n")
        swirl[program + ".edit.quote"] = head + "\u201c" + text
        bad = list(lines)
        bad[v] = bad[v][: col + 2] + "1.2.3x" + bad[v][col + 8:]
        swirl[program + ".edit.badfield"] = head + "\n".join(bad)
        swirl[program + ".edit.short"] = head + "\n".join(lines[:v])
        head = program + " set\n"
        values = ["0.25", "-3", "2.5e-3", "7", "1e-40", "99999.5"]
        swirl[program + ".set"] = head + "\n".join(
            n + "=" + values[k % len(values)] for k, n in enumerate(names))
        swirl[program + ".set.refused"] = head + "\n".join(
            n + "=" + v for n, v in zip(names, ["1e39", "1,5", "inf", "0x1"]))
        swirl[program + ".set.lower"] = head + names[0].lower() + "=0.001\n"
        swirl[program + ".set.file"] = (head + names[-1] + "=12.5\x00" +
                                         data.replace(b"\r\n", b"\n")[: len(data) * 2 // 3].decode("cp866"))
    # Counts that one digit does not hold: the report's field is two wide.
    swirl["KERVA.set.counts"] = "KERVA set\nNI=10\nVID=-9"
    # The seeds are UTF-8 texts; a set seed's data file is code page 866.
    swirl = {n: (t.encode("utf-8") if ".set.file" not in n else
                 t[: t.index("\x00") + 1].encode("utf-8") + t[t.index("\x00") + 1:].encode("cp866"))
             for n, t in swirl.items()}
    write("swirl_input", swirl)


if __name__ == "__main__":
    main()

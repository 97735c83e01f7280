#!/usr/bin/env bash
# swirl sweep --cases, sample, summary, sensitivity and plot --hist built:
# a case list's rows are the rows of one-value sweeps, a sample's bytes do not
# depend on the threads and its shards join to the whole, the summary's
# figures are what Python computes from the same table, and every refusal
# ends with exit code 64 and writes nothing.
#
#   study_sampling_e2e.sh SWIRL EXAMPLES_DIR
set -u
swirl=$1
examples=$2
scratch=$(mktemp -d) || exit 2
trap 'rm -rf "$scratch"' EXIT
cd "$scratch" || exit 2
cp "$examples"/*.DAT .
export LC_ALL=C.UTF-8
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# A case list against one-value grids.
printf 'upod,Q\r\n0.04,0.001\r\n0.06,0.0015\r\n0.05,2e-3\r\n' > cases.csv
"$swirl" sweep BILM.DAT --cases cases.csv -o list.csv || fail "sweep --cases"
{
  "$swirl" sweep BILM.DAT --vary Q=0.001:0.001:1 --vary UPOD=0.04:0.04:1
  "$swirl" sweep BILM.DAT --vary Q=0.0015:0.0015:1 --vary UPOD=0.06:0.06:1 | tail -n +2
  "$swirl" sweep BILM.DAT --vary Q=0.002:0.002:1 --vary UPOD=0.05:0.05:1 | tail -n +2
} > grids.csv
cmp -s list.csv grids.csv || fail "a case list's rows are not those of its one-value sweeps"

# A sample: the same bytes for 1, 2 and 8 jobs; shards join to the whole.
vary=(--vary "QH=normal(1000,50)" --vary "ROG=lognormal(1.2,1.05)" --vary "D50=triangular(5e-6,1e-5,2e-5)"
      --vary "LGSG=uniform(0.1,0.5)[0.2,0.4]")
for design in random lhs sobol; do
  for jobs in 1 2 8; do
    "$swirl" sample KERVA.DAT "${vary[@]}" --count 300 --design "$design" --seed 9 --jobs "$jobs" -o "s$jobs.csv" ||
      fail "sample --design $design --jobs $jobs"
  done
  cmp -s s1.csv s2.csv && cmp -s s1.csv s8.csv || fail "$design: the bytes depend on --jobs"
  { head -n 1 s1.csv; for k in 1 2 3 4 5; do "$swirl" sample KERVA.DAT "${vary[@]}" --count 300 --design "$design" \
      --seed 9 --shard "$k/5" | tail -n +2; done; } > joined.csv
  cmp -s s1.csv joined.csv || fail "$design: the shards do not join to the whole"
done

# The summary against Python (numpy's default percentile is the type-7 one).
"$swirl" sample BILM.DAT --vary "Q=uniform(0.0009,0.0011)" --vary "R1=normal(0.01,0.004)" \
    --vary "UPOD=uniform(0.045,0.055)" --count 400 --design lhs -o b.csv || fail "sample BILM"
"$swirl" summary b.csv --json --spec "HO<=0.35" --spec "VMAX>1.3" > summary.json || fail "summary --json"
"$swirl" summary b.csv --spec "HO<=0.35" > /dev/null || fail "summary"
/usr/bin/python3 - b.csv summary.json <<'PY' || fail "the summary differs from Python's figures"
import csv, json, math, statistics, sys
import numpy
rows = list(csv.DictReader(open(sys.argv[1], newline="", encoding="utf-8")))
doc = json.load(open(sys.argv[2]))
def close(a, b):
    return (a is None and b is None) or (a is not None and b is not None and math.isclose(a, b, rel_tol=1e-9, abs_tol=1e-15))
bad = 0
for r in doc["results"]:
    values = [float(x[r["name"]]) for x in rows if x["status"] == "ok" and x[r["name"]] != ""]
    invalid = sum(1 for x in rows if x["status"] == "invalid")
    want = {"ok": len(values), "invalid": invalid, "not_computed": len(rows) - invalid - len(values),
            "mean": statistics.fmean(values), "sd": statistics.stdev(values), "min": min(values), "max": max(values),
            "p5": numpy.percentile(values, 5), "p50": numpy.percentile(values, 50), "p95": numpy.percentile(values, 95)}
    for key, value in want.items():
        if not close(r[key], value):
            print(r["name"], key, r[key], value); bad += 1
z = 1.959963984540054
tests = {"HO<=0.35": lambda v: v <= 0.35, "VMAX>1.3": lambda v: v > 1.3}
for s in doc["specs"]:
    name = s["spec"][:2] if s["spec"].startswith("HO") else "VMAX"
    met = sum(1 for x in rows if x["status"] == "ok" and x[name] != "" and tests[s["spec"]](float(x[name])))
    n = len(rows); p = met / n
    centre = (p + z * z / (2 * n)) / (1 + z * z / n)
    half = z / (1 + z * z / n) * math.sqrt(p * (1 - p) / n + z * z / (4 * n * n))
    for key, value in {"met": met, "cases": n, "share": p, "low": centre - half, "high": centre + half}.items():
        if not close(s[key], value):
            print(s["spec"], key, s[key], value); bad += 1
if doc["results"][0]["invalid"] == 0: print("expected invalid cases (R1 below 0)"); bad += 1
sys.exit(1 if bad else 0)
PY

# Pictures and JSON.
"$swirl" plot b.csv --hist HO --spec "HO<=0.35" -o hist.svg && xmllint --noout hist.svg || fail "plot --hist"
"$swirl" sensitivity BILM.DAT --vary Q=0.0009:0.0011 --vary R1=0.009:0.011 --method oat --plot t.svg --json > oat.json &&
  xmllint --noout t.svg || fail "sensitivity --plot"
for method in morris sobol; do
  "$swirl" sensitivity BILM.DAT --vary Q=0.0009:0.0011 --vary R1=0.009:0.011 --method "$method" --count 64 --json \
      > "$method.json" || fail "sensitivity --method $method"
done
/usr/bin/python3 - <<'PY' || fail "the JSON of sensitivity"
import json
keys = {"oat": ["input", "result", "low", "high", "swing"], "morris": ["input", "result", "mu_star", "mu", "sigma"],
        "sobol": ["input", "result", "S1", "S1_low", "S1_high", "ST", "ST_low", "ST_high"]}
evaluations = {"oat": 4, "morris": 64 * 3, "sobol": 64 * 4}
for method, k in keys.items():
    doc = json.load(open(method + ".json"))
    assert list(doc) == ["method", "evaluations", "invalid", "indices"], doc.keys()
    assert doc["method"] == method and doc["evaluations"] == evaluations[method], doc
    assert len(doc["indices"]) == 6 and all(list(e) == k for e in doc["indices"]), doc["indices"][0]
PY

# Refusals: exit 64, nothing written.
refuse() {  # description command...
  local what=$1
  shift
  rm -f out.csv out.svg
  "$@" > /dev/null 2> err.txt
  local code=$?
  [ "$code" -eq 64 ] || fail "$what: exit $code, not 64 ($(cat err.txt))"
  [ ! -e out.csv ] && [ ! -e out.svg ] || fail "$what: wrote its output"
  grep -q '^swirl: ' err.txt || fail "$what: no message"
}
s=(sample BILM.DAT --count 10 -o out.csv)
refuse "unknown distribution" "$swirl" "${s[@]}" --vary "Q=gauss(1,2)"
refuse "SD <= 0" "$swirl" "${s[@]}" --vary "Q=normal(0.001,0)"
refuse "LO >= HI" "$swirl" "${s[@]}" --vary "Q=uniform(0.002,0.001)"
refuse "MODE outside" "$swirl" "${s[@]}" --vary "Q=triangular(1,3,2)"
refuse "GSD <= 1" "$swirl" "${s[@]}" --vary "Q=lognormal(0.001,0.5)"
refuse "no probability mass" "$swirl" "${s[@]}" --vary "Q=uniform(0,1)[2,3]"
refuse "unknown input" "$swirl" "${s[@]}" --vary "QQ=uniform(0,1)"
refuse "a field that cannot hold it" "$swirl" "${s[@]}" --vary "Q=normal(0,1e38)"
refuse "no --vary" "$swirl" "${s[@]}"
refuse "count 0" "$swirl" sample BILM.DAT --vary "Q=uniform(0,1)" --count 0 -o out.csv
refuse "count x" "$swirl" sample BILM.DAT --vary "Q=uniform(0,1)" --count x -o out.csv
refuse "unknown design" "$swirl" "${s[@]}" --vary "Q=uniform(0,1)" --design grid
refuse "bad seed" "$swirl" "${s[@]}" --vary "Q=uniform(0,1)" --seed -1
refuse "bad shard" "$swirl" "${s[@]}" --vary "Q=uniform(0,1)" --shard 3/2
refuse "--cases with --vary" "$swirl" sweep BILM.DAT --cases cases.csv --vary Q=1:2:2 -o out.csv
printf 'Q,UPD\n1,2\n' > c1.csv
refuse "unknown column" "$swirl" sweep BILM.DAT --cases c1.csv -o out.csv
printf 'Q,UPOD\n1,2\n3\n' > c2.csv
refuse "short row" "$swirl" sweep BILM.DAT --cases c2.csv -o out.csv
printf 'Q,UPOD\n1,1e39\n' > c3.csv
refuse "a value its field cannot hold" "$swirl" sweep BILM.DAT --cases c3.csv -o out.csv
refuse "bad spec" "$swirl" summary b.csv --spec "HO=1"
refuse "unknown result" "$swirl" summary b.csv --spec "HX>=1"
refuse "not a study's table" "$swirl" summary cases.csv
refuse "unknown method" "$swirl" sensitivity BILM.DAT --vary Q=1:2 --method sobl
refuse "LO >= HI" "$swirl" sensitivity BILM.DAT --vary Q=2:1 --method oat
refuse "--plot with sobol" "$swirl" sensitivity BILM.DAT --vary Q=0.001:0.002 --method sobol --plot out.svg
refuse "count 0" "$swirl" sensitivity BILM.DAT --vary Q=0.001:0.002 --method sobol --count 0
refuse "--count with oat" "$swirl" sensitivity BILM.DAT --vary Q=0.001:0.002 --method oat --count 5
refuse "odd levels" "$swirl" sensitivity BILM.DAT --vary Q=0.001:0.002 --method morris --levels 3
refuse "unknown --hist" "$swirl" plot b.csv --hist HX -o out.svg
refuse "--spec without --hist" "$swirl" plot b.csv --x Q --y HO --spec "HO>1" -o out.svg

[ "$failures" -eq 0 ] && echo "all checks pass"
exit $((failures > 0))

# docs/PYTHON.md's Dask recipe as the guide prints it (so that the guide
# cannot drift): its script run on a LocalCluster of two worker processes,
# which checks that the shards put together are the study computed here.
# Then, on a cluster of this test's own: a shard that fails is rerun alone
# by its future's retry(), and a failure of the module on a worker comes back
# as the module's exception with its fields.  Every cluster is closed also
# when a step fails.
import os
import re
import subprocess
import sys
import tempfile

import pandas as pd

import swirl

EXAMPLES = os.environ.get("EXAMPLES_DIR", os.path.join(os.path.dirname(__file__), "..", "..", "examples"))
VARY = ["UPOD=0.02:0.2:3", "Q=1e-5:0.01:11:log"]


def the_guides_script(guide):
    with open(guide, encoding="utf-8") as f:
        text = f.read()
    found = re.search(r"<!-- shards\.py -->\n```python\n(.*?)```\n", text, flags=re.S)
    if not found:
        raise SystemExit(f"{guide}: no shards.py block after <!-- shards.py -->")
    return found.group(1)


def flaky_shard(file, k, n, marker):
    """Fails the first time it runs (the marker is not there yet)."""
    if not os.path.exists(marker):
        open(marker, "w").close()
        raise RuntimeError("the worker was lost")
    return swirl.sweep(file, vary=VARY, shard=(k, n), jobs=1)


def retried_and_refused(scratch):
    from distributed import Client, LocalCluster, wait

    file = swirl.DataFile.read(os.path.join(EXAMPLES, "BILM.DAT"))
    with LocalCluster(n_workers=2, threads_per_worker=1, processes=True, host="127.0.0.1",
                      dashboard_address=None, local_directory=scratch) as cluster, Client(cluster) as client:
        marker = os.path.join(scratch, "failed-once")
        futures = [client.submit(flaky_shard, file, k, 3, marker if k == 2 else os.devnull, pure=False)
                   for k in (1, 2, 3)]
        wait(futures)
        statuses = [f.status for f in futures]
        assert statuses == ["finished", "error", "finished"], statuses
        futures[1].retry()
        table = pd.concat(client.gather(futures))
        assert table.equals(swirl.sweep(file, vary=VARY)), "the retried study differs from the local one"

        refused = client.submit(swirl.sweep, file, vary="Q=1:2", pure=False)
        try:
            refused.result()
        except swirl.UsageError as e:
            assert e.code == 64 and "Q=1:2" in str(e), str(e)
        else:
            raise AssertionError("a grid that does not parse was accepted on a worker")


def main(guide):
    with tempfile.TemporaryDirectory() as scratch:
        script = os.path.join(scratch, "shards.py")
        with open(script, "w", encoding="utf-8") as f:
            f.write(the_guides_script(guide))
        run = subprocess.run([sys.executable, script, os.path.join(EXAMPLES, "BILM.DAT")], cwd=scratch,
                             capture_output=True, text=True, timeout=100)
        if run.returncode != 0 or run.stdout != "244 cases, 244 ok\n":
            print(run.stdout, run.stderr, file=sys.stderr)
            return 1
        retried_and_refused(scratch)
    print("the guide's Dask study, a retried shard and a refusal on a worker: ok")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))

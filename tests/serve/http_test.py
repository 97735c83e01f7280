"""swirl serve over real HTTP: every answer's values against the command
line's (show --json, set, new, sweep and plot), and every rule of the gate.

    http_test.py SWIRL
"""
import concurrent.futures
import http.client
import json
import os
import re
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import unittest

SWIRL = os.path.abspath(sys.argv.pop(1)) if len(sys.argv) > 1 else "swirl"


def swirl(*args, cwd, check=True):
    r = subprocess.run([SWIRL, *args], cwd=cwd, capture_output=True, timeout=60)
    if check and r.returncode != 0:
        raise AssertionError(f"swirl {' '.join(args)}: {r.returncode} {r.stderr.decode()}")
    return r


class Server:
    def __init__(self, folder):
        self.proc = subprocess.Popen([SWIRL, "serve", folder], stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        self.first_line = self.proc.stdout.readline().decode()
        m = re.fullmatch(r"http://127\.0\.0\.1:(\d+)/\?token=([0-9a-f]{32})\n", self.first_line)
        if not m:
            self.stop()
            raise AssertionError("first line: " + repr(self.first_line))
        self.port, self.token = int(m.group(1)), m.group(2)
        self.host = f"127.0.0.1:{self.port}"
        self.origin = "http://" + self.host
        self.cookie = f"swirl_token_{self.port}={self.token}"

    def request(self, method, target, body=None, headers=None, auth=True, raw_body=None):
        conn = http.client.HTTPConnection("127.0.0.1", self.port, timeout=30)
        h = {"Host": self.host}
        if auth:
            h["Cookie"] = self.cookie
        if body is not None:
            raw_body = json.dumps(body).encode()
            h["Content-Type"] = "application/json"
            h["Origin"] = self.origin
        h.update(headers or {})
        h = {k: v for k, v in h.items() if v is not None}
        conn.request(method, target, body=raw_body, headers=h)
        r = conn.getresponse()
        data = r.read()
        conn.close()
        return r.status, dict(r.getheaders()), data

    def json(self, method, target, body=None, **kw):
        status, _, data = self.request(method, target, body, **kw)
        return status, json.loads(data)

    def stop(self):
        if self.proc.poll() is None:
            self.proc.send_signal(signal.SIGINT)
            try:
                self.proc.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()


class ServeTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.mkdtemp(prefix="swirl-serve-")
        cls.dir = os.path.join(cls.tmp, "files")
        cls.ref = os.path.join(cls.tmp, "ref")
        os.mkdir(cls.dir)
        os.mkdir(cls.ref)
        for p in ("BILM", "KERVA", "ZARN1"):
            swirl("new", p, p + ".DAT", cwd=cls.dir)
        with open(os.path.join(cls.dir, "BROKEN.DAT"), "wb") as f:
            f.write(open(os.path.join(cls.dir, "BILM.DAT"), "rb").read().replace(b".10000E-02", b"1.2.3E-02 "))
        with open(os.path.join(cls.tmp, "secret.DAT"), "wb") as f:
            f.write(open(os.path.join(cls.dir, "BILM.DAT"), "rb").read())
        os.symlink(os.path.join(cls.tmp, "secret.DAT"), os.path.join(cls.dir, "OUT.DAT"))
        cls.server = Server(cls.dir)

    @classmethod
    def tearDownClass(cls):
        cls.server.stop()
        shutil.rmtree(cls.tmp)

    def copy_to_ref(self, name):
        shutil.copyfile(os.path.join(self.dir, name), os.path.join(self.ref, name))

    def show(self, name, cwd=None):
        r = swirl("show", "--json", name, cwd=cwd or self.dir, check=False)
        return json.loads(r.stdout)

    # -- values -------------------------------------------------------------

    def test_files_and_shown_values_equal_show_json(self):
        status, doc = self.server.json("GET", "/api/files")
        self.assertEqual(status, 200)
        listed = {f["name"]: f for f in doc["files"]}
        self.assertEqual(listed["BROKEN.DAT"]["status"], "unreadable")
        self.assertNotIn("OUT.DAT", listed)  # a link out of the folder
        for name in ("BILM.DAT", "KERVA.DAT", "ZARN1.DAT", "BROKEN.DAT"):
            status, doc = self.server.json("GET", "/api/file?name=" + name)
            self.assertEqual(status, 200)
            self.assertEqual(doc["show"], self.show(name), name)

    def test_computed_values_equal_show_json_after_set(self):
        cases = [("BILM.DAT", {"Q": "0.0033333", "UPOD": "0.05"}),
                 ("KERVA.DAT", {"D50": "2e-5"}),
                 ("ZARN1.DAT", {"G": "0.07", "NVS": "1"}),
                 ("BILM.DAT", {"Q": "-1"})]  # the exit-3 line
        for name, values in cases:
            status, doc = self.server.json("POST", "/api/compute", {"name": name, "values": values})
            self.assertEqual(status, 200, doc)
            self.copy_to_ref(name)
            swirl("set", name, *[f"{k}={v}" for k, v in values.items()], cwd=self.ref)
            expected = self.show(name, cwd=self.ref)
            self.assertEqual(doc["show"], expected, (name, values))
        status, doc = self.server.json("POST", "/api/compute", {"name": "BILM.DAT", "values": {"Q": "0.0033333"}})
        self.assertEqual(status, 200)
        self.assertTrue(doc["values"][0]["exact"])
        status, doc = self.server.json("POST", "/api/compute", {"name": "BILM.DAT", "values": {"Q": "0.00333333"}})
        self.assertEqual((doc["values"][0]["exact"], doc["values"][0]["holds"]), (False, "0.0033333"))
        status, doc = self.server.json("POST", "/api/compute", {"name": "BILM.DAT", "values": {"Q": "1e60", "HG": "0.4"}})
        self.assertEqual(status, 200)
        bad, good = doc["values"]
        self.assertIn("error", bad)
        self.assertNotIn("error", good)

    def test_save_writes_what_set_writes_and_refuses_a_stale_version(self):
        swirl("new", "BILM", "SAVE.DAT", cwd=self.dir)
        status, doc = self.server.json("GET", "/api/file?name=SAVE.DAT")
        version = doc["version"]
        status, saved = self.server.json("POST", "/api/save", {"name": "SAVE.DAT", "version": version,
                                                              "values": {"Q": "0.0025", "HG": "0.75"}})
        self.assertEqual(status, 200, saved)
        swirl("new", "BILM", "SAVE.DAT", cwd=self.ref)
        swirl("set", "SAVE.DAT", "Q=0.0025", "HG=0.75", cwd=self.ref)
        written = open(os.path.join(self.dir, "SAVE.DAT"), "rb").read()
        self.assertEqual(written, open(os.path.join(self.ref, "SAVE.DAT"), "rb").read())
        # The old version again, and a file changed on disk meanwhile: 409, nothing written.
        status, doc = self.server.json("POST", "/api/save", {"name": "SAVE.DAT", "version": version, "values": {"Q": "0.5"}})
        self.assertEqual(status, 409)
        swirl("set", "SAVE.DAT", "HG=0.6", cwd=self.dir)
        changed = open(os.path.join(self.dir, "SAVE.DAT"), "rb").read()
        status, doc = self.server.json("POST", "/api/save", {"name": "SAVE.DAT", "version": saved["version"],
                                                            "values": {"Q": "0.5"}})
        self.assertEqual(status, 409)
        self.assertIn("changed on disk", doc["error"])
        self.assertEqual(open(os.path.join(self.dir, "SAVE.DAT"), "rb").read(), changed)
        # Two saves from one version racing: exactly one is written.
        status, doc = self.server.json("GET", "/api/file?name=SAVE.DAT")
        body = lambda q: {"name": "SAVE.DAT", "version": doc["version"], "values": {"Q": q}}
        with concurrent.futures.ThreadPoolExecutor(8) as pool:
            answers = list(pool.map(lambda q: self.server.json("POST", "/api/save", body(q))[0],
                                    ["0.001", "0.002", "0.003", "0.004", "0.005", "0.006", "0.007", "0.008"]))
        self.assertEqual(sorted(answers), [200] + [409] * 7)

    def test_new_from_the_example(self):
        status, doc = self.server.json("POST", "/api/new", {"program": "kerva", "name": "NEW.DAT"})
        self.assertEqual(status, 201, doc)
        swirl("new", "KERVA", "NEW.DAT", cwd=self.ref)
        self.assertEqual(open(os.path.join(self.dir, "NEW.DAT"), "rb").read(),
                         open(os.path.join(self.ref, "NEW.DAT"), "rb").read())
        status, doc = self.server.json("POST", "/api/new", {"program": "BILM", "name": "NEW.DAT"})
        self.assertEqual(status, 409)

    def test_pictures_equal_swirl_plot(self):
        status, _, svg = self.server.request("POST", "/api/plot", {"name": "ZARN1.DAT", "values": {}})
        self.assertEqual(status, 200)
        self.assertEqual(svg, swirl("plot", "ZARN1.DAT", "-o", "-", cwd=self.dir).stdout)
        status, _, svg = self.server.request("POST", "/api/plot", {"name": "BILM.DAT", "values": {"HG": "0.4"},
                                                                   "x": "Q", "from": 1e-4, "to": 1e-2, "count": 21,
                                                                   "log": True, "y": "HO"})
        self.assertEqual(status, 200, svg)
        self.copy_to_ref("BILM.DAT")
        swirl("set", "BILM.DAT", "HG=0.4", cwd=self.ref)
        table = swirl("sweep", "BILM.DAT", "--vary", "Q=1e-4:1e-2:21:log", cwd=self.ref).stdout
        os.makedirs(os.path.join(self.ref, "t"), exist_ok=True)
        open(os.path.join(self.ref, "t", "BILM.DAT"), "wb").write(table)
        expected = swirl("plot", "BILM.DAT", "--x", "Q", "--y", "HO", "--logx", "-o", "-", cwd=os.path.join(self.ref, "t"))
        self.assertEqual(svg, expected.stdout)

    def test_solve_equals_swirl_solve(self):
        body = {"name": "BILM.DAT", "values": {"HG": "0.4"}, "find": "Q=1e-4:1e-2:log", "target": "HO=0.2", "scan": 200}
        status, doc = self.server.json("POST", "/api/solve", body)
        self.assertEqual(status, 200, doc)
        self.copy_to_ref("BILM.DAT")
        swirl("set", "BILM.DAT", "HG=0.4", cwd=self.ref)
        r = swirl("solve", "BILM.DAT", "--find", "Q=1e-4:1e-2:log", "--target", "HO=0.2", "--scan", "200", "--json",
                  cwd=self.ref, check=False)
        self.assertEqual(doc, json.loads(r.stdout))
        status, doc = self.server.json("POST", "/api/solve", dict(body, target="NOPE=1"))
        self.assertEqual(status, 422)

    # -- the gate -----------------------------------------------------------

    def test_the_token_and_its_cookie(self):
        s = self.server
        for target in ("/", "/app.js", "/api/files", "/api/file?name=BILM.DAT"):
            self.assertEqual(s.request("GET", target, auth=False)[0], 403, target)
            self.assertEqual(s.request("GET", target, auth=False, headers={"Cookie": f"swirl_token_{s.port}=" + "0" * 32})[0], 403)
        self.assertEqual(s.request("GET", "/?token=" + "f" * 32, auth=False)[0], 403)
        status, headers, _ = s.request("GET", "/?token=" + s.token, auth=False)
        self.assertEqual(status, 200)
        cookie = headers["Set-Cookie"]
        self.assertIn("HttpOnly", cookie)
        self.assertIn("SameSite=Strict", cookie)
        self.assertIn("default-src 'none'", headers["Content-Security-Policy"])

    def test_refusals(self):
        s = self.server
        before = {n: open(os.path.join(self.dir, n), "rb").read() for n in ("BILM.DAT",)}
        secret = open(os.path.join(self.tmp, "secret.DAT"), "rb").read()
        ok = {"name": "BILM.DAT", "values": {"Q": "0.002"}}
        cases = [
            ("another Host", 403, lambda: s.request("GET", "/api/files", headers={"Host": "evil.example:%d" % s.port})),
            ("another port", 403, lambda: s.request("GET", "/api/files", headers={"Host": "127.0.0.1:1"})),
            ("empty Host", 403, lambda: s.request("GET", "/api/files", headers={"Host": ""})),
            ("no Origin", 403, lambda: s.request("POST", "/api/compute", ok, headers={"Origin": None})),
            ("foreign Origin", 403, lambda: s.request("POST", "/api/save", ok, headers={"Origin": "http://evil.example"})),
            ("form-encoded", 403, lambda: s.request("POST", "/api/save", raw_body=b"name=BILM.DAT",
                                                    headers={"Origin": s.origin,
                                                             "Content-Type": "application/x-www-form-urlencoded"})),
            ("GET to save", 405, lambda: s.request("GET", "/api/save?name=BILM.DAT")),
            ("parent", 403, lambda: s.request("GET", "/api/file?name=..%2Fsecret.DAT")),
            ("absolute", 403, lambda: s.request("GET", "/api/file?name=%2Fetc%2Fpasswd")),
            ("link out", 403, lambda: s.request("GET", "/api/file?name=OUT.DAT")),
            ("save through a link out", 403, lambda: s.request("POST", "/api/save", {"name": "OUT.DAT", "version": "x",
                                                                                    "values": {"Q": "0.5"}})),
            ("control characters", 403, lambda: s.request("POST", "/api/new", {"program": "BILM", "name": "a\nb.DAT"})),
            ("a folder", 403, lambda: s.request("GET", "/api/file?name=.")),
            ("new outside", 403, lambda: s.request("POST", "/api/new", {"program": "BILM", "name": "../x.DAT"})),
            ("not JSON", 400, lambda: s.request("POST", "/api/compute", raw_body=b"{",
                                                headers={"Origin": s.origin, "Content-Type": "application/json"})),
            ("large body", 413, lambda: s.request("POST", "/api/compute", raw_body=b" " * (2 << 20),
                                                  headers={"Origin": s.origin, "Content-Type": "application/json"})),
            ("large head", 413, lambda: s.request("GET", "/api/files", headers={"X-Filler": "x" * 20000})),
        ]
        for what, expected, call in cases:
            try:
                status = call()[0]
            except (ConnectionError, http.client.HTTPException) as e:
                status = repr(e)
            self.assertEqual(status, expected, what)
        self.assertFalse(os.path.exists(os.path.join(self.tmp, "x.DAT")))
        self.assertEqual(open(os.path.join(self.tmp, "secret.DAT"), "rb").read(), secret)
        for n, b in before.items():
            self.assertEqual(open(os.path.join(self.dir, n), "rb").read(), b)

    def test_500_requests_at_once(self):
        barrier = threading.Barrier(100)

        def one(i):
            if i < 100:
                barrier.wait()
            if i % 2:
                r = self.server.request("POST", "/api/compute", {"name": "BILM.DAT", "values": {"Q": "%g" % (1e-4 * (i + 1))}})
            else:
                r = self.server.request("GET", "/api/file?name=KERVA.DAT")
            return r[0] if r[0] == 200 else r

        with concurrent.futures.ThreadPoolExecutor(250) as pool:
            statuses = list(pool.map(one, range(500)))
        self.assertEqual([s for s in statuses if s != 200], [])


class StopTest(unittest.TestCase):
    def test_ctrl_c_stops_cleanly(self):
        tmp = tempfile.mkdtemp(prefix="swirl-serve-")
        try:
            server = Server(tmp)
            server.proc.send_signal(signal.SIGINT)
            self.assertEqual(server.proc.wait(timeout=10), 0)
            with self.assertRaises(OSError):
                socket.create_connection(("127.0.0.1", server.port), timeout=2).close()
        finally:
            server.stop()
            shutil.rmtree(tmp)


if __name__ == "__main__":
    unittest.main(verbosity=1)

// The page of swirl serve in headless Chromium, as a person uses it: found by
// the labels and names a screen reader gives, values typed, results compared
// with swirl show, the file saved and compared with what swirl set writes.
//
//   node page_test.mjs SWIRL [SCREENSHOT_DIR]
import { chromium } from "playwright-core";
import { spawn, execFileSync } from "node:child_process";
import { mkdtempSync, rmSync, readFileSync, copyFileSync, mkdirSync } from "node:fs";
import { tmpdir } from "node:os";
import { join, resolve } from "node:path";
import { createInterface } from "node:readline";
import assert from "node:assert/strict";

const swirlPath = resolve(process.argv[2]);
const shots = process.argv[3];
const tmp = mkdtempSync(join(tmpdir(), "swirl-page-"));
const dir = join(tmp, "files");
const ref = join(tmp, "ref");
mkdirSync(dir);
mkdirSync(ref);
const swirl = (cwd, ...args) => execFileSync(swirlPath, args, { cwd, encoding: "utf8" });
for (const p of ["BILM", "ZARN1", "KERVA"]) swirl(dir, "new", p, `${p}.DAT`);

// What swirl show prints of a copy of NAME with the values set.
function expected(name, values) {
  copyFileSync(join(dir, name), join(ref, name));
  if (values.length) swirl(ref, "set", name, ...values);
  return JSON.parse(swirl(ref, "show", "--json", name));
}

const server = spawn(swirlPath, ["serve", dir], { stdio: ["ignore", "pipe", "inherit"] });
let browser;
try {
  const firstLine = await new Promise((resolve, reject) => {
    createInterface({ input: server.stdout }).once("line", resolve);
    server.once("exit", () => reject(new Error("swirl serve ended before printing its address")));
  });
  assert.match(firstLine, /^http:\/\/127\.0\.0\.1:\d+\/\?token=[0-9a-f]{32}$/);
  browser = await chromium.launch({
    executablePath: process.env.CHROMIUM || "/usr/bin/chromium",
    args: ["--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run", "--disable-background-networking",
           "--disable-component-update", "--disable-sync"],
  });
  const page = await browser.newPage({ viewport: { width: 1400, height: 1000 } });
  const problems = [];
  page.on("pageerror", (e) => problems.push(e.message));
  page.on("console", (m) => { if (m.type() === "error") problems.push(m.text()); });
  await page.goto(firstLine + "#BILM.DAT");

  const result = (name) => page.getByRole("row", { name: new RegExp("^" + name + " ") }).getByRole("cell").first();
  const q = page.getByLabel("Q", { exact: true });
  await assert.doesNotReject(q.waitFor());
  assert.equal(await q.inputValue(), ".10000E-02");

  // Typed values: the results become those swirl show gives for them.
  await q.fill("0.002");
  const want = expected("BILM.DAT", ["Q=0.002"]);
  for (const r of want.results.filter((r) => r.computed))
    await page.waitForFunction(([n, v]) => {
      const row = [...document.querySelectorAll("#results tbody tr")].find((tr) => tr.cells[0].textContent === n);
      return row && row.cells[1].textContent === v;
    }, [r.name, r.printed], { timeout: 5000 });

  // A value the field does not hold exactly, and one it cannot hold.
  await q.fill("0.0033333333");
  await page.getByText("the field holds 0.0033333").waitFor();
  await q.fill("1e60");
  await page.waitForFunction(() => document.getElementById("in-Q").getAttribute("aria-invalid") === "true");
  await page.getByText("Computed with Q as the file holds it").waitFor();
  if (shots) await page.screenshot({ path: join(shots, "serve-invalid.png") });

  // Revert, then save a value: the file's bytes are what swirl set writes.
  await page.getByRole("button", { name: "Revert" }).click();
  assert.equal(await q.inputValue(), ".10000E-02");
  await q.fill("0.002");
  await page.getByLabel("UPOD", { exact: true }).fill("0.05");
  await page.getByRole("button", { name: "Save" }).click();
  await page.getByText("Saved BILM.DAT.").waitFor();
  swirl(ref, "new", "BILM", "B2.DAT");
  swirl(ref, "set", "B2.DAT", "Q=0.002", "UPOD=0.05");
  assert.deepEqual(readFileSync(join(dir, "BILM.DAT")), readFileSync(join(ref, "B2.DAT")));
  if (shots) await page.screenshot({ path: join(shots, "serve-bilm.png") });

  // The round trip of one recompute, as the page makes it.
  const times = await page.evaluate(async () => {
    const t = [];
    for (let i = 0; i < 40; i++) {
      const start = performance.now();
      const r = await fetch("/api/compute", { method: "POST", headers: { "Content-Type": "application/json" },
                                              body: JSON.stringify({ name: "BILM.DAT", values: { Q: String(0.001 + i * 1e-5) } }) });
      await r.json();
      t.push(performance.now() - start);
    }
    return t.sort((a, b) => a - b);
  });
  console.log(`recompute round trip, BILM: median ${times[20].toFixed(2)} ms`);

  // A curve of a result against an input: the picture swirl plot draws.
  await page.getByRole("button", { name: "Draw" }).click();
  await page.getByRole("img", { name: "HO against Q" }).waitFor();

  // The solve panel: the Q at which HO passes 0.2, put into the field.
  await page.getByLabel("Input", { exact: true }).selectOption("Q");
  await page.getByLabel("from", { exact: true }).nth(1).fill("0.0001");
  await page.getByLabel("to", { exact: true }).nth(1).fill("0.01");
  await page.getByLabel("so that").selectOption("HO");
  await page.getByLabel("equals").fill("0.2");
  await page.getByRole("button", { name: "Solve" }).click();
  await page.getByText(/crossings? in \d+ evaluations/).waitFor();
  await page.getByRole("button", { name: /^Use / }).first().click();
  assert.notEqual(await q.inputValue(), ".20000E-02");

  // ZARN1: its profiles are drawn beside the results.
  await page.getByRole("link", { name: "ZARN1.DAT" }).click();
  await page.getByRole("img", { name: "radial profiles of ZARN1.DAT" }).waitFor();
  await page.getByLabel("G", { exact: true }).fill("0.07");
  const z = expected("ZARN1.DAT", ["G=0.07"]);
  const vmax = z.results.find((r) => r.name === "VMAX").printed;
  await page.waitForFunction((v) => {
    const row = [...document.querySelectorAll("#results tbody tr")].find((tr) => tr.cells[0].textContent === "VMAX");
    return row && row.cells[1].textContent === v;
  }, vmax, { timeout: 5000 });
  assert.equal(await result("VMAX").textContent(), vmax);
  if (shots) await page.screenshot({ path: join(shots, "serve-zarn1.png"), fullPage: true });

  assert.deepEqual(problems, []);
  console.log("page test: ok");
} finally {
  if (browser) await browser.close();
  server.kill("SIGINT");
  rmSync(tmp, { recursive: true, force: true });
}

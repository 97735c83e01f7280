// The page of swirl serve: a folder's data files, one file's inputs as a form,
// its results recomputed by the server as the inputs change.
"use strict";

const state = { name: null, version: null, show: null, original: {}, seq: 0, timer: null, program: null };

const $ = (id) => document.getElementById(id);

function el(tag, attrs, ...children) {
  const e = document.createElement(tag);
  for (const [k, v] of Object.entries(attrs || {})) {
    if (k === "class") e.className = v; else if (k === "text") e.textContent = v; else e.setAttribute(k, v);
  }
  for (const c of children) e.append(c);
  return e;
}

async function api(method, path, body) {
  const options = { method, headers: {}, credentials: "same-origin" };
  if (body !== undefined) {
    options.headers["Content-Type"] = "application/json";
    options.body = JSON.stringify(body);
  }
  const r = await fetch(path, options);
  const type = r.headers.get("Content-Type") || "";
  const data = type.startsWith("application/json") ? await r.json() : await r.text();
  return { status: r.status, data };
}

function say(text) { $("status").textContent = text; }

async function loadFiles() {
  const { status, data } = await api("GET", "/api/files");
  if (status !== 200) { say(data.error || "cannot list the folder"); return; }
  $("folder").textContent = data.folder;
  const box = $("files");
  box.replaceChildren();
  const select = $("new-program");
  if (select.options.length === 0) for (const p of data.programs) select.append(el("option", { value: p, text: p }));
  for (const program of data.programs) {
    const mine = data.files.filter((f) => f.program === program);
    box.append(el("div", { class: "program", text: program }));
    const list = el("ul", { "aria-label": program + " files" });
    if (mine.length === 0) list.append(el("li", { text: "(none)" }));
    for (const f of mine) {
      const link = el("a", { href: "#" + encodeURIComponent(f.name), text: f.name });
      if (f.name === state.name) link.setAttribute("aria-current", "page");
      const item = el("li", {}, link);
      if (f.status !== "ok") item.append(el("span", { class: "note unreadable", text: f.error }));
      list.append(item);
    }
    box.append(list);
  }
}

function changedValues() {
  const values = {};
  for (const input of document.querySelectorAll("#inputs input")) {
    const name = input.dataset.name;
    if (input.value.trim() !== state.original[name]) values[name] = input.value.trim();
  }
  return values;
}

function setDirty() {
  const dirty = Object.keys(changedValues()).length > 0;
  $("save").disabled = !dirty;
  $("revert").disabled = !dirty;
}

function renderInputs(show) {
  const body = $("inputs").tBodies[0];
  body.replaceChildren();
  state.original = {};
  for (const input of show.inputs) {
    state.original[input.name] = input.printed;
    const id = "in-" + input.name;
    const field = el("input", { id, "data-name": input.name, "aria-describedby": "note-" + input.name, inputmode: "decimal" });
    field.value = input.printed;
    field.addEventListener("input", () => { setDirty(); schedule(); });
    body.append(el("tr", {},
      el("td", { class: "num", text: String(input.line) }),
      el("th", { scope: "row" }, el("label", { for: id, text: input.name })),
      el("td", {}, field, el("span", { id: "note-" + input.name, class: "note" })),
      el("td", { text: input.unit }),
      el("td", { text: input.meaning })));
  }
}

function renderResults(show) {
  const body = $("results").tBodies[0];
  body.replaceChildren();
  const invalid = $("invalid");
  invalid.hidden = show.status !== "invalid";
  invalid.textContent = show.status === "invalid" ? show.reason : "";
  for (const r of show.results || []) {
    body.append(el("tr", {},
      el("th", { scope: "row", text: r.name }),
      el("td", { class: "num", text: r.computed ? r.printed : "not computed" }),
      el("td", { text: r.unit }),
      el("td", { text: r.meaning })));
  }
  const verdicts = $("verdicts");
  verdicts.replaceChildren();
  for (const v of show.verdicts || []) if (v.text) verdicts.append(el("li", { text: v.meaning + ": " + v.text }));
  const lines = (show.messages || []).slice();
  $("console").textContent = lines.length ? lines.join("\n") : "nothing";
  for (const id of ["curve-y", "solve-result"]) {
    const select = $(id);
    if (select.options.length === 0 && show.results)
      for (const r of show.results) select.append(el("option", { value: r.name, text: r.name }));
  }
}

function renderNotes(values) {
  for (const input of document.querySelectorAll("#inputs input")) {
    input.removeAttribute("aria-invalid");
    const note = $("note-" + input.dataset.name);
    note.textContent = "";
    note.className = "note";
  }
  for (const v of values) {
    const input = $("in-" + v.name);
    const note = $("note-" + v.name);
    if (!input || !note) continue;
    if (v.error) {
      input.setAttribute("aria-invalid", "true");
      note.textContent = v.error;
      note.className = "note bad";
    } else if (!v.exact) {
      note.textContent = "the field holds " + v.holds;
    }
  }
}

function svgImage(svg, alt) {
  return el("img", { src: "data:image/svg+xml;charset=utf-8," + encodeURIComponent(svg), alt });
}

async function drawProfiles(values) {
  if (state.program !== "ZARN1") return;
  const { status, data } = await api("POST", "/api/plot", { name: state.name, values });
  const box = $("profiles");
  box.replaceChildren();
  if (status === 200) box.append(svgImage(data, "radial profiles of " + state.name));
  else box.append(el("p", { class: "failure", text: data.error || "no profiles" }));
}

function schedule() {
  clearTimeout(state.timer);
  state.timer = setTimeout(recompute, 120);
}

async function recompute() {
  const seq = ++state.seq;
  const values = changedValues();
  const { status, data } = await api("POST", "/api/compute", { name: state.name, values });
  if (seq !== state.seq) return;  // a later change is on its way
  if (status !== 200) { say(data.error || "cannot compute"); return; }
  renderNotes(data.values);
  renderResults(data.show);
  const refused = data.values.filter((v) => v.error).map((v) => v.name);
  $("partial").hidden = refused.length === 0;
  $("partial").textContent = refused.length
    ? "Computed with " + refused.join(", ") + " as the file holds " + (refused.length > 1 ? "them" : "it") +
      ": the field cannot hold the value typed."
    : "";
  drawProfiles(Object.fromEntries(data.values.filter((v) => !v.error).map((v) => [v.name, v.typed])));
}

function showFile(name, version, show) {
  state.name = name;
  state.version = version;
  state.show = show;
  state.program = show.program;
  $("main").hidden = false;
  $("file-title").textContent = name + " (" + show.program + ")";
  $("reload").hidden = true;
  $("save-status").textContent = "";
  const failure = $("file-failure");
  $("curve-y").replaceChildren();
  $("solve-result").replaceChildren();
  $("crossings").hidden = true;
  $("solve-status").textContent = "";
  $("solve-note").textContent = "";
  $("curve").replaceChildren();
  $("profiles").replaceChildren();
  $("profiles-section").hidden = show.program !== "ZARN1" || show.status === "unreadable";
  if (show.status === "unreadable") {
    failure.hidden = false;
    failure.textContent = "The input section does not read: " + show.failure.message;
    $("inputs").tBodies[0].replaceChildren();
    $("results").tBodies[0].replaceChildren();
    $("console").textContent = "";
    $("save").disabled = true;
    $("revert").disabled = true;
    return;
  }
  failure.hidden = true;
  renderInputs(show);
  renderResults(show);
  const curveX = $("curve-x");
  curveX.replaceChildren();
  for (const i of show.inputs) curveX.append(el("option", { value: i.name, text: i.name }));
  curveRange();
  const solveInput = $("solve-input");
  solveInput.replaceChildren();
  for (const i of show.inputs) solveInput.append(el("option", { value: i.name, text: i.name }));
  solveRange();
  setDirty();
  drawProfiles({});
}

async function openFile(name) {
  const { status, data } = await api("GET", "/api/file?name=" + encodeURIComponent(name));
  if (status !== 200) { say(data.error || "cannot open " + name); return; }
  say("");
  showFile(data.name, data.version, data.show);
  loadFiles();
}

async function save() {
  const values = changedValues();
  const { status, data } = await api("POST", "/api/save", { name: state.name, version: state.version, values });
  if (status === 200) {
    showFile(data.name, data.version, data.show);
    $("save-status").textContent = "Saved " + data.name + ".";
  } else {
    $("save-status").textContent = data.error || "not saved";
    if (status === 409) $("reload").hidden = false;
  }
}

function revert() {
  $("partial").hidden = true;
  renderInputs(state.show);
  renderNotes([]);
  renderResults(state.show);
  setDirty();
  drawProfiles({});
  $("save-status").textContent = "Reverted to the file's values.";
}

// A range around the chosen input's value: half of it to twice it.
function curveRange() {
  const input = state.show.inputs.find((i) => i.name === $("curve-x").value);
  if (!input) return;
  const v = Math.abs(Number(input.value)) || 1;
  $("curve-from").value = String(v / 2);
  $("curve-to").value = String(v * 2);
}

function solveRange() {
  const input = state.show.inputs.find((i) => i.name === $("solve-input").value);
  if (!input) return;
  const v = Math.abs(Number(input.value)) || 1;
  $("solve-from").value = String(v / 10);
  $("solve-to").value = String(v * 10);
}

// Puts a held value found by the solve into its input field.
function useValue(input, printed) {
  const field = $("in-" + input);
  field.value = printed;
  setDirty();
  schedule();
  field.focus();
}

async function solveTarget(event) {
  event.preventDefault();
  const input = $("solve-input").value;
  const body = {
    name: state.name, values: changedValues(),
    find: input + "=" + $("solve-from").value.trim() + ":" + $("solve-to").value.trim() + ($("solve-log").checked ? ":log" : ""),
    target: $("solve-result").value + "=" + $("solve-value").value.trim(),
  };
  $("solve-status").textContent = "Solving...";
  const { status, data } = await api("POST", "/api/solve", body);
  const table = $("crossings");
  const rows = table.tBodies[0];
  rows.replaceChildren();
  if (status !== 200) {
    table.hidden = true;
    $("solve-status").textContent = data.error || "cannot solve";
    $("solve-note").textContent = "";
    return;
  }
  const n = data.crossings.length;
  data.crossings.forEach((c, k) => {
    const nearer = c.nearer === "upper" ? c.upper : c.lower;
    const use = el("button", { type: "button", text: "Use " + nearer.printed });
    use.addEventListener("click", () => useValue(input, nearer.printed));
    rows.append(el("tr", {},
      el("th", { scope: "row", text: String(k + 1) + (c.exact ? " (exact)" : "") }),
      el("td", { class: "num", text: c.lower.printed }), el("td", { class: "num", text: String(c.lower.result) }),
      el("td", { class: "num", text: c.upper.printed }), el("td", { class: "num", text: String(c.upper.result) }),
      el("td", { text: c.nearer }), el("td", {}, use)));
  });
  table.hidden = n === 0;
  if (data.status === "ok") {
    const across = data.across_invalid.length ? "; " + data.across_invalid.length + " change(s) of side across invalid inputs" : "";
    $("solve-status").textContent = n + (n === 1 ? " crossing" : " crossings") + " in " + data.evaluations + " evaluations" + across;
  } else if (data.status === "none") {
    const near = data.nearest ? "; nearest: " + input + " = " + data.nearest.printed + " gives " + data.nearest.result : "";
    $("solve-status").textContent = "No crossing in the range (exit 4 of swirl solve)" + near;
  } else {
    $("solve-status").textContent = "Every case of the range is invalid";
  }
  $("solve-note").textContent = data.note || "";
}

async function drawCurve(event) {
  event.preventDefault();
  const body = {
    name: state.name, values: changedValues(), x: $("curve-x").value, y: $("curve-y").value,
    from: Number($("curve-from").value), to: Number($("curve-to").value),
    count: Number($("curve-count").value), log: $("curve-log").checked,
  };
  const { status, data } = await api("POST", "/api/plot", body);
  const failure = $("curve-failure");
  const box = $("curve");
  box.replaceChildren();
  failure.hidden = status === 200;
  if (status === 200) box.append(svgImage(data, body.y + " against " + body.x));
  else failure.textContent = data.error || "nothing to draw";
}

async function newFile(event) {
  event.preventDefault();
  const name = $("new-name").value.trim();
  const { status, data } = await api("POST", "/api/new", { program: $("new-program").value, name });
  if (status !== 201) { say(data.error || "not written"); return; }
  say(name + ": the example data file of " + data.program);
  $("new-name").value = "";
  location.hash = "#" + encodeURIComponent(name);
}

function fromHash() {
  const name = decodeURIComponent(location.hash.slice(1));
  if (name) openFile(name);
}

window.addEventListener("DOMContentLoaded", () => {
  // The token has become a cookie: the address bar need not show it.
  if (location.search) history.replaceState(null, "", "/" + location.hash);
  $("save").addEventListener("click", save);
  $("revert").addEventListener("click", revert);
  $("reload").addEventListener("click", () => openFile(state.name));
  $("curve-form").addEventListener("submit", drawCurve);
  $("curve-x").addEventListener("change", curveRange);
  $("solve-form").addEventListener("submit", solveTarget);
  $("solve-input").addEventListener("change", solveRange);
  $("new-form").addEventListener("submit", newFile);
  $("inputs-form").addEventListener("submit", (e) => e.preventDefault());
  window.addEventListener("hashchange", fromHash);
  loadFiles().then(fromHash);
});

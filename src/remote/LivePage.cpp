#include "remote/LivePage.h"

// One file with its style and script inside: the page loads nothing from elsewhere, and draws its
// chart itself on a canvas. The token, when the page was opened with one, goes with every request.
QByteArray LivePageHtml() {
    return QByteArrayLiteral(R"html(<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<meta name="referrer" content="no-referrer">
<title>vantello-log</title>
<style>
body { font-family: sans-serif; margin: 0; padding: 12px 16px; background: #f6f7f9; color: #1b1f24; }
header { display: flex; gap: 12px; align-items: baseline; flex-wrap: wrap; }
h1 { font-size: 1.1em; margin: 0; font-weight: 600; }
.badge { padding: 2px 8px; border-radius: 10px; background: #ccc; font-size: .9em; }
.badge.reading, .badge.live { background: #2e7d32; color: #fff; }
.badge.waiting, .badge.starting, .badge.lost { background: #e65100; color: #fff; }
.badge.ended { background: #555; color: #fff; }
#reading { margin: 8px 0; }
#value { font-size: 5em; font-weight: 700; line-height: 1.05; font-variant-numeric: tabular-nums; }
#unit { font-size: 2em; margin-left: .2em; }
#kind, #time { color: #555; }
#trh { font-size: 1.6em; margin: 4px 0 10px; font-variant-numeric: tabular-nums; }
canvas { width: 100%; height: 240px; background: #fff; border: 1px solid #ccd; display: block; }
section { margin-top: 12px; }
h2 { font-size: 1em; margin: 0 0 4px; }
ul { margin: 0; padding-left: 1.2em; }
li.raised { color: #b71c1c; font-weight: 600; }
#note { width: min(40em, 70%); }
</style>
</head>
<body>
<header><h1>vantello-log <span id="port"></span></h1>
<span id="state" class="badge">starting</span><span id="stream" class="badge">connecting</span></header>
<div id="reading" data-time="" data-shown=""><span id="value">&ndash;</span><span id="unit"></span>
<div><span id="kind"></span> <span id="time">no reading yet</span></div></div>
<div id="trh"><span id="temperature">&ndash;</span> &middot; <span id="humidity">&ndash;</span></div>
<canvas id="chart" width="900" height="240" aria-label="the last hour"></canvas>
<section><h2>Alarms</h2><ul id="alarms"><li>none set</li></ul></section>
<section><h2>Events</h2><ul id="events"><li>none yet</li></ul></section>
<section><h2>Note</h2><form id="noteform"><input id="note" maxlength="500" placeholder="a note on the record">
<button type="submit">Add note</button> <span id="noteresult"></span></form></section>
<script>
"use strict";
const token = new URLSearchParams(location.search).get("token") || "";
const withToken = (path) => token ? path + (path.includes("?") ? "&" : "?") + "token=" + encodeURIComponent(token) : path;
const $ = (id) => document.getElementById(id);
const hourMs = 3600 * 1000;
let points = [];   // [ms, value] of the last hour
let unitShown = "";
let drawPending = false;
let lastDraw = 0;

function badge(el, cls, text) { el.className = "badge " + cls; el.textContent = text; }
function clock(ms) { return new Date(ms).toLocaleTimeString(); }

function showReading(r) {
  if (!r) return;
  $("value").textContent = r.data;
  $("unit").textContent = r.unit || "";
  $("kind").textContent = r.kind === "FLOW" ? "flow" : r.kind === "VEL" ? "velocity" : "";
  const ms = Date.parse(r.time);
  $("time").textContent = "no. " + r.no + " at " + clock(ms);
  $("temperature").textContent = r.temperature + " " + (r.temperature_unit || "") + (r.mode ? " (" + r.mode + ")" : "");
  $("humidity").textContent = r.humidity + " %RH";
  $("reading").dataset.time = r.time;
  $("reading").dataset.shown = new Date().toISOString();
  if (r.unit !== unitShown) { points = []; unitShown = r.unit; }
  points.push([ms, r.value]);
  scheduleDraw();
}

function showState(s) { if (s) badge($("state"), s, s === "reading" ? "meter reading" : s === "waiting" ? "meter away, waited for" : s); }

function eventText(e) {
  const when = e.time ? clock(Date.parse(e.time)) + "  " : "";
  if (e.event === "note") return when + "note: " + e.note;
  const value = e.value !== null && e.value !== undefined ? " (" + e.value + (e.unit ? " " + e.unit : "") + ")" : "";
  return when + e.event + " " + (e.change || "") + ": " + (e.rule || "") + value;
}
function showEvents(list) {
  const ul = $("events");
  if (!list.length) return;
  if (ul.dataset.filled !== "1") { ul.textContent = ""; ul.dataset.filled = "1"; }
  for (const e of list) {
    const li = document.createElement("li");
    li.textContent = eventText(e);
    ul.prepend(li);
  }
  while (ul.children.length > 50) ul.lastChild.remove();
}
function showAlarms(list) {
  const ul = $("alarms");
  ul.textContent = "";
  if (!list || !list.length) { ul.innerHTML = "<li>none set</li>"; return; }
  for (const a of list) {
    const li = document.createElement("li");
    li.textContent = (a.rule || "") + ": " + (a.raised ? "RAISED" : "clear");
    if (a.raised) li.className = "raised";
    ul.append(li);
  }
}

function niceStep(span) {
  const p = Math.pow(10, Math.floor(Math.log10(span / 4)));
  for (const m of [1, 2, 5, 10]) if (span / (m * p) <= 6) return m * p;
  return 10 * p;
}
// At most four drawings a second, the first at once.
function scheduleDraw() {
  const wait = lastDraw + 250 - Date.now();
  if (wait <= 0) draw();
  else if (!drawPending) { drawPending = true; setTimeout(draw, wait); }
}
function draw() {
  drawPending = false;
  lastDraw = Date.now();
  const c = $("chart"), g = c.getContext("2d");
  const w = c.clientWidth || 900, h = c.clientHeight || 240;
  if (c.width !== w) c.width = w;
  if (c.height !== h) c.height = h;
  g.clearRect(0, 0, w, h);
  const end = Date.now(), start = end - hourMs;
  while (points.length && points[0][0] < start) points.shift();
  const left = 56, right = w - 10, top = 10, bottom = h - 24;
  let lo = Infinity, hi = -Infinity;
  for (const p of points) { lo = Math.min(lo, p[1]); hi = Math.max(hi, p[1]); }
  if (!isFinite(lo)) { lo = 0; hi = 1; }
  if (hi - lo < 1e-9) { hi += 0.5; lo = Math.max(0, lo - 0.5); }
  const step = niceStep(hi - lo);
  lo = Math.floor(lo / step) * step; hi = Math.ceil(hi / step) * step;
  const x = (ms) => left + (ms - start) / hourMs * (right - left);
  const y = (v) => bottom - (v - lo) / (hi - lo) * (bottom - top);
  g.font = "12px sans-serif"; g.fillStyle = "#333"; g.strokeStyle = "#dde";
  g.textAlign = "right"; g.textBaseline = "middle";
  for (let v = lo; v <= hi + step / 2; v += step) {
    g.beginPath(); g.moveTo(left, y(v)); g.lineTo(right, y(v)); g.stroke();
    g.fillText(+v.toPrecision(6) + "", left - 4, y(v));
  }
  g.textAlign = "center"; g.textBaseline = "top";
  const tenMin = 600000;
  for (let t = Math.ceil(start / tenMin) * tenMin; t <= end; t += tenMin) {
    g.beginPath(); g.moveTo(x(t), top); g.lineTo(x(t), bottom); g.stroke();
    const d = new Date(t);
    g.fillText(String(d.getHours()).padStart(2, "0") + ":" + String(d.getMinutes()).padStart(2, "0"), x(t), bottom + 4);
  }
  g.save(); g.textAlign = "left"; g.fillText(unitShown || "", 2, 0); g.restore();
  // One column a pixel: its lowest and highest value, so an hour of readings stays one line.
  g.strokeStyle = "#1565c0"; g.lineWidth = 1.5; g.beginPath();
  let column = null, cLo = 0, cHi = 0, first = true;
  const flush = () => {
    if (column === null) return;
    if (first) { g.moveTo(column, y(cLo)); first = false; } else g.lineTo(column, y(cLo));
    g.lineTo(column, y(cHi));
  };
  for (const p of points) {
    const px = Math.round(x(p[0]));
    if (px !== column) { flush(); column = px; cLo = cHi = p[1]; }
    else { cLo = Math.min(cLo, p[1]); cHi = Math.max(cHi, p[1]); }
  }
  flush(); g.stroke();
  c.dataset.points = points.length;
  c.dataset.span = points.length ? Math.round(x(points[0][0])) + "-" + Math.round(x(points[points.length - 1][0])) : "";
}

async function loadHistory() {
  const since = new Date(Date.now() - hourMs).toISOString().replace(/\.\d+Z$/, "Z");
  const res = await fetch(withToken("/readings.csv?since=" + since), { cache: "no-store" });
  if (!res.ok) return;
  const lines = (await res.text()).split("\n");
  const older = [];
  let unit = null;
  for (const line of lines.slice(1)) {
    const f = line.split(",");
    if (f.length < 9) continue;
    if (unit !== null && f[3] !== unit) older.length = 0;
    unit = f[3];
    older.push([Date.parse(f[1]), parseFloat(f[2])]);
  }
  if (unit !== null && (unitShown === "" || unit === unitShown)) {
    const firstLive = points.length ? points[0][0] : Infinity;
    points = older.filter((p) => p[0] < firstLive).concat(points);
    unitShown = unit;
  }
  scheduleDraw();
}

async function start() {
  const res = await fetch(withToken("/latest.json"), { cache: "no-store" });
  if (res.status === 401) { badge($("stream"), "lost", "token refused: open the address printed at the logger's start"); return; }
  const latest = await res.json();
  $("port").textContent = latest.port ? "on " + latest.port : "";
  showState(latest.state);
  showAlarms(latest.alarms);
  showEvents(latest.events || []);
  showReading(latest.reading);
  const stream = new EventSource(withToken("/events"));
  stream.onopen = () => badge($("stream"), "live", "live");
  stream.onerror = () => badge($("stream"), "lost", "connection lost, trying again");
  stream.addEventListener("reading", (e) => showReading(JSON.parse(e.data)));
  stream.addEventListener("state", (e) => showState(JSON.parse(e.data).state));
  stream.addEventListener("event", (e) => showEvents([JSON.parse(e.data)]));
  stream.addEventListener("alarms", (e) => showAlarms(JSON.parse(e.data)));
  loadHistory();
  setInterval(scheduleDraw, 5000);
}

$("noteform").addEventListener("submit", async (e) => {
  e.preventDefault();
  const text = $("note").value.trim();
  if (!text) return;
  const res = await fetch(withToken("/note"), { method: "POST", headers: { "Content-Type": "text/plain;charset=utf-8" }, body: text });
  $("noteresult").textContent = res.ok ? "added" : "not added: " + (await res.text());
  if (res.ok) $("note").value = "";
});
start();
</script>
</body>
</html>
)html");
}

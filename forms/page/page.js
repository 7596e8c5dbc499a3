// The page of one build, or of two compared (the old one first): the
// summary, what changed, the treemaps, the functions, the deepest chains.
"use strict";
/* global element, placeOf, baseName, hex, signed, percentText, stackText, matchedName, sortableTable, drawTreemap */

const data = JSON.parse(document.getElementById("vadrimel-data").textContent);
const builds = data.builds;
const build = builds[builds.length - 1];
const sizes = build.sizes;
const calls = data.calls[data.calls.length - 1];
const KIND_COLORS = {
  "code": "#6a9fd8", "strings": "#e3a34a", "rom data": "#b58ad6",
  "initial values": "#8fbf6a", "config": "#d66a6a", "variables": "#5bb5b0",
  "stack": "#aaaaaa"
};
const CHANGE_COLORS = { "grown": "#d9534f", "shrunk": "#5cb85c", "new": "#f0a030", "unchanged": "#cccccc" };
const PROGRAM_KINDS = ["code", "strings", "rom data", "initial values", "config"];
// The new build coloured by change where both builds have a map to compare.
const comparing = builds.length > 1 && builds[0].sizes.map !== null && sizes.map !== null;

// A build's figures, as the summary shows them: each a number or null.
function figuresOf(index) {
  const entry = builds[index];
  const program = entry.sizes.program_memory;
  const stacks = data.calls[index];
  const known = stacks && stacks.roots.length > 0;
  const software = known ? stacks.software_stack : null;
  return {
    program: program.used,
    share: program.size ? 100 * program.used / program.size : null,
    size: program.size,
    data: entry.sizes.data_memory === null ? null : entry.sizes.data_memory.used,
    returnStack: known ? stacks.worst_case : undefined,
    levels: known ? stacks.levels : null,
    software: software ? software.worst_case : undefined,
    softwareAtLeast: software ? software.at_least : false,
    softwareSize: software ? software.size : null
  };
}

function drawOneSummary(facts, fact) {
  fact("listing", sizes.listing);
  fact("map", sizes.map === null ? "none beside the listing" : sizes.map);
  const figures = figuresOf(builds.length - 1);
  const used = element("span");
  if (figures.size !== null) {
    const bar = element("span", null, "bar");
    const fill = element("span", null, "fill");
    fill.style.width = Math.min(100, figures.share) + "%";
    bar.appendChild(fill);
    used.appendChild(bar);
    used.appendChild(document.createTextNode(" " + figures.program + " of " + figures.size + " bytes (" +
      percentText(figures.share, false) + ")"));
  } else {
    used.textContent = figures.program + " bytes of code in the listing";
  }
  fact("program memory", used);
  if (figures.data !== null) fact("data memory", figures.data + " bytes");
  if (figures.returnStack !== undefined) {
    const worst = figures.returnStack;
    fact("return stack", element("span", worst === null ? "unbounded (a cycle of calls)" :
      worst + " of " + figures.levels + " levels at worst", worst === null || worst > figures.levels ? "over" : ""));
  }
  if (figures.software !== undefined) {
    const worst = figures.software;
    fact("software stack", element("span", worst === null ? "not known" :
      stackText(worst, figures.softwareAtLeast) + (figures.softwareSize === null ? "" : " of " + figures.softwareSize) +
      " bytes at worst", worst !== null && figures.softwareSize !== null && worst > figures.softwareSize ? "over" : ""));
  }
}

// Two builds: their names, then a row per figure with old, new and change.
function drawTwoSummaries(facts, fact, summary) {
  fact("old", builds[0].sizes.listing + (builds[0].sizes.map === null ? " (no map)" : ""));
  fact("new", sizes.listing + (sizes.map === null ? " (no map)" : ""));
  const before = figuresOf(0);
  const after = figuresOf(1);
  const table = element("table");
  table.id = "figures";
  const head = element("tr");
  for (const title of ["", "old", "new", "change"]) head.appendChild(element("th", title));
  table.appendChild(head);
  function row(title, old, now, change) {
    const line = element("tr");
    line.appendChild(element("td", title));
    for (const cell of [old, now, change]) line.appendChild(element("td", cell, "n"));
    table.appendChild(line);
  }
  const mapped = before.size !== null && after.size !== null;
  row(mapped ? "program memory, bytes" : "program memory (code in the listing), bytes",
    before.program, after.program, signed(after.program - before.program));
  if (mapped) {
    row("share of the part (" + after.size + ")", percentText(before.share, false), percentText(after.share, false),
      percentText(after.share - before.share, true));
  }
  if (before.data !== null && after.data !== null) row("data memory, bytes", before.data, after.data, signed(after.data - before.data));
  if (before.returnStack !== undefined && after.returnStack !== undefined) {
    const known = before.returnStack !== null && after.returnStack !== null;
    row("return stack, of " + after.levels + " levels", stackText(before.returnStack, false), stackText(after.returnStack, false),
      known ? signed(after.returnStack - before.returnStack) : "");
  }
  if (before.software !== undefined && after.software !== undefined) {
    // Two lower bounds tell no change.
    const known = before.software !== null && after.software !== null && !before.softwareAtLeast && !after.softwareAtLeast;
    row("software stack" + (after.softwareSize === null ? "" : ", of " + after.softwareSize) + " bytes",
      stackText(before.software, before.softwareAtLeast), stackText(after.software, after.softwareAtLeast),
      known ? signed(after.software - before.software) : "");
  }
  summary.appendChild(facts);
  summary.appendChild(table);
}

function drawSummary() {
  const summary = document.getElementById("summary");
  const title = builds.length > 1 ? "Build of " + baseName(sizes.listing) + " against " + baseName(builds[0].sizes.listing) :
    "Build of " + baseName(sizes.listing);
  document.getElementById("title").textContent = title;
  document.title = "vadrimel: " + title;
  const facts = element("dl");
  function fact(term, value) {
    facts.appendChild(element("dt", term));
    const description = element("dd");
    if (value instanceof Node) description.appendChild(value); else description.textContent = value;
    facts.appendChild(description);
  }
  if (builds.length > 1) {
    drawTwoSummaries(facts, fact, summary);
  } else {
    drawOneSummary(facts, fact);
    summary.appendChild(facts);
  }
}

function blocksOf(entry, program) {
  return entry.blocks.filter(block => (PROGRAM_KINDS.includes(block.kind)) === program && block.bytes > 0)
    .map(block => Object.assign({ group: block.owner }, block));
}

// How each block of the new build changed, by its matched name and file.
function changeColors() {
  const keyOf = block => matchedName(block.name) + "|" + baseName(block.owner);
  const totals = entry => {
    const bytes = new Map();
    for (const block of entry.blocks) bytes.set(keyOf(block), (bytes.get(keyOf(block)) || 0) + block.bytes);
    return bytes;
  };
  const before = totals(builds[0]);
  const after = totals(build);
  return block => {
    const old = before.get(keyOf(block));
    const now = after.get(keyOf(block));
    block.change = old === undefined ? "new" : now > old ? "grown" : now < old ? "shrunk" : "unchanged";
    return CHANGE_COLORS[block.change];
  };
}

function drawMaps() {
  const program = document.getElementById("program");
  if (sizes.map === null) {
    const files = sizes.files.filter(file => file.flash > 0).map(file => ({
      group: file.file, name: baseName(file.file), file: file.file, line: null, bytes: file.flash,
      kind: "code", address: 0
    }));
    drawTreemap(program, files, () => KIND_COLORS.code);
    document.getElementById("data-section").hidden = true;
    return new Set(["code"]);
  }
  const colorOf = comparing ? changeColors() : block => KIND_COLORS[block.kind] || "#999";
  const shown = [blocksOf(build, true), blocksOf(build, false)];
  drawTreemap(program, shown[0], colorOf);
  drawTreemap(document.getElementById("data-map"), shown[1], colorOf);
  return new Set(shown.flat().map(block => comparing ? block.change : block.kind));
}

// The legend of what the maps show, and the blocks the new build lost.
function drawLegend(shown) {
  const legend = document.getElementById("legend");
  for (const [name, color] of Object.entries(comparing ? CHANGE_COLORS : KIND_COLORS)) {
    if (!shown.has(name)) continue;
    const key = element("span", name);
    key.style.background = color;
    legend.appendChild(key);
  }
  const removed = data.changes ? data.changes.blocks.filter(block => block.bytes.new === 0) : [];
  if (removed.length > 0) {
    const list = document.getElementById("removed");
    list.appendChild(element("h3", "Removed blocks"));
    const items = element("ul");
    for (const block of removed) {
      items.appendChild(element("li", block.name + " (" + block.bytes.old + " bytes, " + block.kind + ", " + block.file + ")"));
    }
    list.appendChild(items);
  }
}

function drawFunctions() {
  const rows = sizes.functions.map((function_, index) => Object.assign({ depth: build.depths[index] }, function_));
  if (rows.length === 0) {
    document.getElementById("functions-section").hidden = true;
    return;
  }
  const depthValue = row => !row.depth || !row.depth.listed ? -2 : row.depth.depth === null ? Infinity : row.depth.depth;
  const depthText = row => {
    if (!row.depth || !row.depth.listed) return "";
    return (row.depth.depth === null ? "unbounded" : String(row.depth.depth)) + (row.depth.reached ? "" : " (no root reaches it)");
  };
  sortableTable(document.getElementById("functions"), [
    { title: "function", value: row => row.name },
    { title: "bytes", value: row => row.bytes, numeric: true },
    { title: "address", value: row => row.address, text: row => hex(row.address), numeric: true },
    { title: "depth", value: depthValue, text: depthText, numeric: true },
    { title: "place", value: row => placeOf(row) }
  ], rows);
}

function drawChains() {
  const chains = document.getElementById("chains");
  if (!calls || calls.roots.length === 0) {
    document.getElementById("chains-section").hidden = true;
    return;
  }
  const via = level => level.via && level.via.length > 0 ? "via " + level.via.join(", ") + " \u2192 " : "";
  for (const root of calls.roots) {
    chains.appendChild(element("h3", "From " + root.root + ": " + (root.depth === null ? "unbounded" : root.depth + " levels")));
    const list = element("ol");
    for (const level of root.chain) {
      list.appendChild(element("li", via(level) + level.name + "  " + (level.file === null ? "(not in the listing)" : level.file + ":" + level.line)));
    }
    chains.appendChild(list);
  }
  for (const root of calls.software_stack.roots) {
    chains.appendChild(element("h3", "Software stack from " + root.root + ": " +
      (root.height === null ? "not known" : stackText(root.height, root.at_least) + " bytes")));
    if (root.chain.length === 0 || root.height === null) continue;
    const table = element("table");
    sortableTable(table, [
      { title: "offset", value: level => level.offset, numeric: true },
      { title: "frame", value: level => level.frame === null ? -1 : level.frame, text: level => level.frame === null ? "unknown" : level.frame, numeric: true },
      { title: "function", value: level => via(level) + level.name }
    ], root.chain.slice());
    chains.appendChild(table);
  }
}

function drawChanges() {
  if (!data.changes) {
    document.getElementById("changes-section").hidden = true;
    return;
  }
  const changes = data.changes;
  const files = changes.files.filter(file => file.flash.change !== 0);
  const blocks = changes.blocks.filter(block => block.bytes.change !== 0);
  if (files.length === 0 && blocks.length === 0) {
    document.getElementById("changes-section").appendChild(element("p", "No file and no block changed."));
    return;
  }
  sortableTable(document.getElementById("changed-files"), [
    { title: "file", value: row => row.file },
    { title: "old", value: row => row.flash.old, numeric: true },
    { title: "new", value: row => row.flash.new, numeric: true },
    { title: "change", value: row => row.flash.change, text: row => signed(row.flash.change), numeric: true }
  ], files);
  sortableTable(document.getElementById("changed-blocks"), [
    { title: "block", value: row => row.name },
    { title: "kind", value: row => row.kind },
    { title: "file", value: row => baseName(row.file) },
    { title: "old", value: row => row.bytes.old, numeric: true },
    { title: "new", value: row => row.bytes.new, numeric: true },
    { title: "change", value: row => row.bytes.change, text: row => signed(row.bytes.change), numeric: true }
  ], blocks);
}

function drawLines() {
  if (sizes.lines.length === 0) {
    document.getElementById("lines-section").hidden = true;
    return;
  }
  sortableTable(document.getElementById("lines"), [
    { title: "bytes", value: row => row.bytes, numeric: true },
    { title: "place", value: row => row.file + ":" + row.line },
    { title: "source line", value: row => row.text }
  ], sizes.lines.slice());
}

drawSummary();
drawChanges();
let drawnWidth = document.getElementById("program").clientWidth;
drawLegend(drawMaps());
// The maps fill the window's width, drawn again when it changes.
window.addEventListener("resize", () => {
  const width = document.getElementById("program").clientWidth;
  if (width !== drawnWidth) {
    drawnWidth = width;
    drawMaps();
  }
});
drawFunctions();
drawChains();
drawLines();

"use strict";
const data = JSON.parse(document.getElementById("vadrimel-data").textContent);
const builds = data.builds;
const build = builds[builds.length - 1];
const sizes = build.sizes;
const calls = data.calls[data.calls.length - 1];
const KIND_COLORS = {
  "code": "#6a9fd8", "strings": "#e3a34a", "rom data": "#b58ad6",
  "initial values": "#8fbf6a", "config": "#d66a6a", "variables": "#5bb5b0",
  "stack": "#aaaaaa", "source file": "#6a9fd8"
};
const CHANGE_COLORS = {
  "grown": "#d9534f", "shrunk": "#5cb85c", "new": "#f0a030", "unchanged": "#cccccc"
};
const PROGRAM_KINDS = ["code", "strings", "rom data", "initial values", "config"];

function element(tag, text, className) {
  const made = document.createElement(tag);
  if (text !== undefined && text !== null) made.textContent = String(text);
  if (className) made.className = className;
  return made;
}
function placeOf(item) {
  return item.line !== null && item.line !== undefined ? item.file + ":" + item.line : item.file;
}
function baseName(path) {
  const cut = Math.max(path.lastIndexOf("\\"), path.lastIndexOf("/"));
  return cut < 0 ? path : path.slice(cut + 1);
}
function hex(address) {
  return "0x" + address.toString(16).padStart(6, "0");
}

// Squarified treemap: each item gets a rectangle whose area is its share of
// the whole rectangle, as near a square as the row allows.
function worstRatio(row, side) {
  const sum = row.reduce((total, part) => total + part.area, 0);
  let worst = 0;
  for (const part of row) {
    const ratio = Math.max(side * side * part.area / (sum * sum), sum * sum / (side * side * part.area));
    worst = Math.max(worst, ratio);
  }
  return worst;
}
function squarify(items, x, y, width, height) {
  const total = items.reduce((sum, item) => sum + item.value, 0);
  if (total <= 0) return;
  let rest = items.map(item => ({ item, area: item.value * width * height / total }));
  while (rest.length > 0) {
    const side = Math.min(width, height);
    let row = [rest[0]];
    let taken = 1;
    let worst = worstRatio(row, side);
    while (taken < rest.length) {
      const longer = row.concat([rest[taken]]);
      const ratio = worstRatio(longer, side);
      if (ratio > worst) break;
      row = longer;
      worst = ratio;
      ++taken;
    }
    const rowArea = row.reduce((sum, part) => sum + part.area, 0);
    if (width >= height) {
      const columnWidth = rowArea / height;
      let top = y;
      for (const part of row) {
        const partHeight = part.area / columnWidth;
        part.item.rect = { x, y: top, width: columnWidth, height: partHeight };
        top += partHeight;
      }
      x += columnWidth;
      width -= columnWidth;
    } else {
      const rowHeight = rowArea / width;
      let left = x;
      for (const part of row) {
        const partWidth = part.area / rowHeight;
        part.item.rect = { x: left, y, width: partWidth, height: rowHeight };
        left += partWidth;
      }
      y += rowHeight;
      height -= rowHeight;
    }
    rest = rest.slice(taken);
  }
}

// A treemap of blocks grouped by file: a rectangle per file tiled by a
// rectangle per block, so that every block's area is proportional to its
// bytes across the whole map.
function drawTreemap(container, blocks, colorOf) {
  const width = container.clientWidth;
  const height = container.clientHeight;
  const byFile = new Map();
  for (const block of blocks) {
    if (!byFile.has(block.group)) byFile.set(block.group, []);
    byFile.get(block.group).push(block);
  }
  const files = [...byFile.entries()].map(([name, members]) => ({
    name, members, value: members.reduce((sum, block) => sum + block.bytes, 0)
  })).sort((a, b) => b.value - a.value || (a.name < b.name ? -1 : 1));
  squarify(files, 0, 0, width, height);
  for (const file of files) {
    file.members.sort((a, b) => b.bytes - a.bytes || a.address - b.address);
    squarify(file.members.map(block => Object.assign(block, { value: block.bytes })),
      file.rect.x, file.rect.y, file.rect.width, file.rect.height);
    for (const block of file.members) {
      const box = element("div", null, "block");
      const r = block.rect;
      box.style.left = r.x + "px";
      box.style.top = r.y + "px";
      box.style.width = r.width + "px";
      box.style.height = r.height + "px";
      box.style.background = colorOf(block);
      box.dataset.name = block.name;
      box.dataset.bytes = String(block.bytes);
      box.title = block.name + "\n" + block.bytes + " bytes, " + block.kind + "\n" + placeOf(block);
      if (r.width > 44 && r.height > 14) box.textContent = block.name;
      container.appendChild(box);
    }
    const frame = element("div", null, "file");
    const r = file.rect;
    frame.style.left = r.x + "px";
    frame.style.top = r.y + "px";
    frame.style.width = r.width + "px";
    frame.style.height = r.height + "px";
    frame.title = file.name;
    if (r.width > 60 && r.height > 28) frame.appendChild(element("span", baseName(file.name), "file-name"));
    container.appendChild(frame);
  }
}

function sortableTable(table, columns, rows) {
  let sortedBy = -1;
  let ascending = true;
  const head = element("thead");
  const headRow = element("tr");
  const body = element("tbody");
  columns.forEach((column, index) => {
    const cell = element("th", column.title);
    cell.addEventListener("click", () => {
      ascending = sortedBy === index ? !ascending : !column.numeric;
      sortedBy = index;
      rows.sort((a, b) => {
        const left = column.value(a);
        const right = column.value(b);
        const order = left < right ? -1 : left > right ? 1 : 0;
        return ascending ? order : -order;
      });
      fill();
    });
    headRow.appendChild(cell);
  });
  head.appendChild(headRow);
  function fill() {
    body.replaceChildren();
    for (const row of rows) {
      const line = element("tr");
      for (const column of columns) {
        line.appendChild(element("td", column.text ? column.text(row) : column.value(row), column.numeric ? "n" : ""));
      }
      body.appendChild(line);
    }
  }
  table.replaceChildren(head, body);
  fill();
}

function drawSummary() {
  const summary = document.getElementById("summary");
  document.getElementById("title").textContent = "Build of " + baseName(sizes.listing);
  const facts = element("dl");
  function fact(term, value) {
    facts.appendChild(element("dt", term));
    const description = element("dd");
    if (value instanceof Node) description.appendChild(value); else description.textContent = value;
    facts.appendChild(description);
  }
  fact("listing", sizes.listing);
  fact("map", sizes.map === null ? "none beside the listing" : sizes.map);
  const program = sizes.program_memory;
  const used = element("span");
  if (program.size !== null) {
    const bar = element("span", null, "bar");
    const fill = element("span", null, "fill");
    fill.style.width = Math.min(100, 100 * program.used / program.size) + "%";
    bar.appendChild(fill);
    used.appendChild(bar);
    used.appendChild(document.createTextNode(" " + program.used + " of " + program.size + " bytes (" +
      (100 * program.used / program.size).toFixed(1) + "%)"));
  } else {
    used.textContent = program.used + " bytes of code in the listing";
  }
  fact("program memory", used);
  if (sizes.data_memory !== null) fact("data memory", sizes.data_memory.used + " bytes");
  if (calls && calls.roots.length > 0) {
    const worst = calls.worst_case;
    const stack = element("span", worst === null ? "unbounded (a cycle of calls)" :
      worst + " of " + calls.levels + " levels at worst", worst === null || worst > calls.levels ? "over" : "");
    fact("return stack", stack);
  }
  summary.appendChild(facts);
}

function blocksOf(entry, program) {
  return entry.blocks.filter(block => (PROGRAM_KINDS.includes(block.kind)) === program && block.bytes > 0)
    .map(block => Object.assign({ group: block.owner }, block));
}

function drawMaps() {
  const legend = document.getElementById("legend");
  const comparing = builds.length > 1;
  let colorOf = block => KIND_COLORS[block.kind] || "#999";
  if (comparing) {
    const before = new Map();
    for (const block of builds[0].blocks) before.set(block.name + "|" + baseName(block.owner), block.bytes);
    colorOf = block => {
      const key = block.name + "|" + baseName(block.owner);
      const old = before.get(key);
      block.change = old === undefined ? "new" : block.bytes > old ? "grown" : block.bytes < old ? "shrunk" : "unchanged";
      return CHANGE_COLORS[block.change];
    };
    const after = new Set(build.blocks.map(block => block.name + "|" + baseName(block.owner)));
    const removed = builds[0].blocks.filter(block => !after.has(block.name + "|" + baseName(block.owner)));
    const list = document.getElementById("removed");
    if (removed.length > 0) {
      list.appendChild(element("h3", "Removed blocks"));
      const items = element("ul");
      for (const block of removed) items.appendChild(element("li", block.name + " (" + block.bytes + " bytes, " + block.owner + ")"));
      list.appendChild(items);
    }
  }
  for (const [name, color] of Object.entries(comparing ? CHANGE_COLORS : KIND_COLORS)) {
    if (!comparing && name === "source file") continue;
    const key = element("span", name);
    key.style.background = color;
    legend.appendChild(key);
  }
  if (sizes.map === null) {
    const files = sizes.files.filter(file => file.flash > 0).map(file => ({
      group: file.file, name: baseName(file.file), file: file.file, line: null, bytes: file.flash,
      kind: "source file", address: 0
    }));
    drawTreemap(document.getElementById("program"), files, () => KIND_COLORS["source file"]);
    document.getElementById("data-section").hidden = true;
    return;
  }
  drawTreemap(document.getElementById("program"), blocksOf(build, true), colorOf);
  drawTreemap(document.getElementById("data-map"), blocksOf(build, false), colorOf);
}

function drawFunctions() {
  const depths = new Map();
  if (calls) for (const function_ of calls.functions) depths.set(function_.address, function_.depth);
  const rows = sizes.functions.map(function_ => Object.assign({ depth: depths.has(function_.address) ? depths.get(function_.address) : null }, function_));
  if (rows.length === 0) {
    document.getElementById("functions-section").hidden = true;
    return;
  }
  sortableTable(document.getElementById("functions"), [
    { title: "function", value: row => row.name },
    { title: "bytes", value: row => row.bytes, numeric: true },
    { title: "address", value: row => row.address, text: row => hex(row.address), numeric: true },
    { title: "depth", value: row => row.depth === null ? -1 : row.depth, text: row => row.depth === null ? "" : row.depth, numeric: true },
    { title: "place", value: row => placeOf(row) }
  ], rows);
}

function drawChains() {
  const chains = document.getElementById("chains");
  if (!calls || calls.roots.length === 0) {
    document.getElementById("chains-section").hidden = true;
    return;
  }
  for (const root of calls.roots) {
    chains.appendChild(element("h3", "From " + root.root + ": " + (root.depth === null ? "unbounded" : root.depth + " levels")));
    const list = element("ol");
    for (const level of root.chain) list.appendChild(element("li", level.name + "  " + (level.file === null ? "(not in the listing)" : level.file + ":" + level.line)));
    chains.appendChild(list);
  }
}

function drawChanges() {
  if (!data.changes) {
    document.getElementById("changes-section").hidden = true;
    return;
  }
  const changes = data.changes;
  const files = changes.files.filter(file => file.flash.change !== 0);
  const functions = changes.functions.filter(function_ => function_.bytes.change !== 0);
  sortableTable(document.getElementById("changed-files"), [
    { title: "file", value: row => row.file },
    { title: "old", value: row => row.flash.old, numeric: true },
    { title: "new", value: row => row.flash.new, numeric: true },
    { title: "change", value: row => row.flash.change, numeric: true }
  ], files);
  sortableTable(document.getElementById("changed-functions"), [
    { title: "function", value: row => row.name },
    { title: "file", value: row => baseName(row.file) },
    { title: "old", value: row => row.bytes.old, numeric: true },
    { title: "new", value: row => row.bytes.new, numeric: true },
    { title: "change", value: row => row.bytes.change, numeric: true }
  ], functions);
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
drawMaps();
drawFunctions();
drawChains();
drawChanges();
drawLines();

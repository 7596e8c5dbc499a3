// The treemaps: a rectangle per file tiled by a rectangle per block, with
// labels that stay inside their rectangles and never cover one another.
"use strict";
/* global element, placeOf, baseName */
/* exported drawTreemap */

// The height of a label's line, in pixels, as the style sets it.
const LABEL_HEIGHT = 14;

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

function place(box, rect) {
  box.style.left = rect.x + "px";
  box.style.top = rect.y + "px";
  box.style.width = rect.width + "px";
  box.style.height = rect.height + "px";
}

// Every block's area is proportional to its bytes across the whole map. A
// file's name stands in the top line of its rectangle where it has room
// (cut with an ellipsis where it is too long, whole in its tooltip); the
// name of a block under that line moves below it, or is left out.
function drawTreemap(container, blocks, colorOf) {
  container.replaceChildren();
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
    const r = file.rect;
    const named = r.width >= 3 * LABEL_HEIGHT && r.height >= LABEL_HEIGHT + 2;
    const nameBottom = r.y + 1 + LABEL_HEIGHT;
    file.members.sort((a, b) => b.bytes - a.bytes || a.address - b.address);
    squarify(file.members.map(block => Object.assign(block, { value: block.bytes })), r.x, r.y, r.width, r.height);
    for (const block of file.members) {
      const box = element("div", null, "block");
      const b = block.rect;
      place(box, b);
      box.style.background = colorOf(block);
      box.dataset.name = block.name;
      box.dataset.bytes = String(block.bytes);
      box.title = block.name + "\n" + block.bytes + " bytes, " + block.kind + "\n" + placeOf(block);
      const top = named ? Math.max(0, nameBottom - b.y) : 0;
      if (b.width > 44 && b.height - top >= LABEL_HEIGHT) {
        const label = element("span", block.name, "block-name");
        label.style.top = top + "px";
        box.appendChild(label);
      }
      container.appendChild(box);
    }
    const frame = element("div", null, "file");
    place(frame, r);
    if (named) {
      const label = element("span", baseName(file.name), "file-name");
      label.style.maxWidth = r.width - 4 + "px";
      label.title = file.name;
      frame.appendChild(label);
    }
    container.appendChild(frame);
  }
}

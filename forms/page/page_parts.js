// The page's helpers: elements, names, numbers and sortable tables.
"use strict";
/* exported element, placeOf, baseName, hex, signed, percentText, stackText, matchedName, sortableTable */

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
// A change with its sign, a minus sign for less.
function signed(value) {
  return value > 0 ? "+" + value : value < 0 ? "\u2212" + -value : "0";
}
// A percentage to a tenth, with more digits where a share that is not zero
// would show as zero.
function percentText(value, sign) {
  let digits = 1;
  while (digits < 6 && value !== 0 && Number(Math.abs(value).toFixed(digits)) === 0) ++digits;
  const text = Math.abs(value).toFixed(digits) + "%";
  if (!sign) return text;
  return (value > 0 ? "+" : value < 0 ? "\u2212" : "") + text;
}
// A worst case of the software stack: a lower bound where code it rests on
// cannot be seen.
function stackText(worst, atLeast) {
  return worst === null ? "unknown" : (atLeast ? "at least " : "") + worst;
}
// The name a block is matched by across builds: the numbered blocks of
// procedural abstraction and strings, renumbered in every build, as one.
function matchedName(name) {
  if (/^__pa_[0-9]+$/.test(name)) return "__pa_*";
  if (/^__string_[0-9]+$/.test(name)) return "__string_*";
  return name;
}

function sortableTable(table, columns, rows) {
  let sortedBy = -1;
  let ascending = true;
  const head = element("thead");
  const headRow = element("tr");
  const body = element("tbody");
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
  table.replaceChildren(head, body);
  fill();
}

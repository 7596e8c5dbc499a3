// The page of -H in a real browser: it loads from a file with no error and
// no request to the network, its treemap has a rectangle per block with an
// area proportional to the bytes, a tooltip names a block's bytes and place,
// a click on a column's header sorts the table, and a listing whose paths
// hold a script runs none, and the page parses as HTML with no text astray.
// Its labels stay inside their rectangles and never cover one another, on
// every listing's page of CORPUS_FOLDER, at two sizes of window, and the
// maps take the window's width. Two builds' page leads with both builds, the
// change of each figure and what changed. Writes a screenshot of the page.
//
// node page_test.cjs PROGRAM LISTING SCRATCH_FOLDER CORPUS_FOLDER
"use strict";
const childProcess = require("child_process");
const fs = require("fs");
const path = require("path");

const [program, listing, scratch, corpus] = process.argv.slice(2);
const SKIP = 77;
const browserPath = process.env.VADRIMEL_BROWSER || "/usr/bin/chromium";

function skip(reason) {
  console.log("SKIPPED: " + reason);
  process.exit(process.env.CI === "true" ? 1 : SKIP);
}

let puppeteer;
try {
  puppeteer = require("puppeteer-core");
} catch (error) {
  skip("no puppeteer-core (npm install puppeteer-core, then NODE_PATH=.../node_modules)");
}
if (!fs.existsSync(browserPath)) skip("no browser at " + browserPath + " (apt-get install chromium)");
if (!fs.existsSync(listing)) skip("no listing " + listing);

fs.mkdirSync(scratch, { recursive: true });
const failures = [];
function check(condition, what) {
  if (!condition) failures.push(what);
  console.log((condition ? "ok   " : "FAIL ") + what);
}

function page(arguments_, name) {
  const file = path.join(scratch, name);
  fs.writeFileSync(file, childProcess.execFileSync(program, arguments_, { maxBuffer: 1 << 26 }));
  return file;
}

// The page as an HTML validator reads it, with the settings its own HTML is
// checked with; under CI=true the validator must be there.
let validator = null;
try {
  const { HtmlValidate } = require("html-validate");
  validator = new HtmlValidate(
    JSON.parse(fs.readFileSync(path.join(__dirname, "../../forms/page/htmlvalidate.json"))));
} catch (error) {
  if (process.env.CI === "true") skip("no html-validate (npm install html-validate)");
  console.log("SKIPPED: the HTML validator's checks (no html-validate)");
}
async function checkMarkup(file, tab) {
  if (validator !== null) {
    const report = await validator.validateString(fs.readFileSync(file, "utf8"));
    const messages = report.results.flatMap(result => result.messages)
      .map(message => message.line + ":" + message.column + " " + message.message);
    check(report.valid, path.basename(file) + " is valid HTML: " + messages.slice(0, 3).join("; "));
  }
  const astray = await tab.evaluate(() => {
    const found = [];
    const walk = node => {
      for (const child of node.childNodes) {
        if (child.nodeType === Node.TEXT_NODE && child.textContent.trim() !== "" &&
            ["BODY", "SECTION"].includes(node.nodeName)) found.push(child.textContent.trim());
        if (child.nodeType === Node.ELEMENT_NODE) walk(child);
      }
    };
    walk(document.body);
    return found;
  });
  check(astray.length === 0, path.basename(file) + " has no text outside its elements: " +
        astray.slice(0, 3).join("; "));
}

// The labels of the treemaps that leave their rectangle or cover another,
// by a sweep over their boxes; how many were looked at.
function labelFaults() {
  const slack = 0.5;
  const boxes = [];
  const faults = [];
  for (const label of document.querySelectorAll(".file-name, .block-name")) {
    const box = label.getBoundingClientRect();
    if (box.width === 0 || box.height === 0) continue;
    const own = label.parentElement.getBoundingClientRect();
    if (box.left < own.left - slack || box.right > own.right + slack ||
        box.top < own.top - slack || box.bottom > own.bottom + slack) {
      faults.push(label.textContent + " leaves its rectangle");
    }
    boxes.push({ box, name: label.textContent });
  }
  boxes.sort((a, b) => a.box.left - b.box.left);
  for (let index = 0; index < boxes.length; ++index) {
    const { box, name } = boxes[index];
    for (let next = index + 1; next < boxes.length && boxes[next].box.left < box.right - slack; ++next) {
      const other = boxes[next].box;
      if (other.top < box.bottom - slack && box.top < other.bottom - slack) {
        faults.push(name + " covers " + boxes[next].name);
      }
    }
  }
  return { count: boxes.length, faults };
}
const SIZES = [{ width: 1280, height: 800 }, { width: 1920, height: 1080 }];

// A listing whose paths and source text hold what a page must show as text.
const hostile = path.join(scratch, "hostile.lst");
const sneaky = "C:\\x</script><script>window.pwned=1</script>&\"'.c";
const row = (columns, source) => (columns + " ".repeat(43)).slice(0, 43) + source;
fs.writeFileSync(hostile, "MP2COD 5.00, COFF to COD File Converter\n" +
  "Address  Value    Disassembly              Source\n" +
  (row("000000   0012     RETURN    0x0", "<img src=x onerror=window.pwned=2>") +
   " ".repeat(60)).slice(0, 123) + " " + sneaky + "\n");

(async () => {
  const browser = await puppeteer.launch({
    executablePath: browserPath, headless: true,
    args: ["--no-sandbox", "--disable-gpu", "--no-first-run"]
  });
  try {
    const tab = await browser.newPage();
    await tab.setViewport({ width: 1100, height: 1400 });
    const errors = [];
    const requests = [];
    tab.on("console", message => { if (message.type() === "error") errors.push(message.text()); });
    tab.on("pageerror", error => errors.push(String(error)));
    tab.on("request", request => {
      if (!request.url().startsWith("file:")) requests.push(request.url());
    });

    const built = page(["-H", "-s20", listing], "build.html");
    await tab.goto("file://" + built, { waitUntil: "load" });
    check(errors.length === 0, "no error in the console: " + errors.join("; "));
    await checkMarkup(built, tab);
    check(requests.length === 0, "no request to the network: " + requests.join(", "));
    const map = await tab.evaluate(() => {
      const data = JSON.parse(document.getElementById("vadrimel-data").textContent);
      const kinds = ["code", "strings", "rom data", "initial values", "config"];
      const expected = data.builds[0].blocks.filter(block => kinds.includes(block.kind) && block.bytes > 0);
      const boxes = [...document.querySelectorAll("#program .block")].map(box => {
        const rect = box.getBoundingClientRect();
        return { name: box.dataset.name, bytes: Number(box.dataset.bytes), width: rect.width,
                 height: rect.height, title: box.title };
      });
      return { expected: expected.length, boxes };
    });
    check(map.boxes.length === map.expected && map.expected > 100,
          "a rectangle per block: " + map.boxes.length + " of " + map.expected);
    const area = map.boxes.reduce((sum, box) => sum + box.width * box.height, 0);
    const bytes = map.boxes.reduce((sum, box) => sum + box.bytes, 0);
    const scale = area / bytes;
    const off = map.boxes.filter(box =>
      Math.abs(box.width * box.height - box.bytes * scale) > box.width + box.height + 1);
    check(off.length === 0, "areas proportional to the bytes, to a pixel: " +
          off.slice(0, 3).map(box => box.name).join(", "));
    const isr = map.boxes.find(box => box.name === "high_ISR");
    check(isr !== undefined && isr.title.includes("2838 bytes") && isr.title.includes("ebb.c:466"),
          "the tooltip of high_ISR names its bytes and place: " + (isr ? isr.title : "none"));
    const largest = map.boxes.filter(box => box.title.includes("ebb.c"))
      .sort((a, b) => b.width * b.height - a.width * a.height)[0];
    check(largest !== undefined && largest.name === "high_ISR", "high_ISR is ebb.c's largest block");

    await tab.screenshot({ path: path.join(scratch, "page.png") });
    const column = async () => tab.evaluate(() =>
      [...document.querySelectorAll("#functions tbody tr")].map(row => Number(row.children[1].textContent)));
    const headers = await tab.$$("#functions th");
    await headers[1].click();
    const down = await column();
    await headers[1].click();
    const up = await column();
    check(down.length > 100 && down.every((value, index) => index === 0 || down[index - 1] >= value),
          "a click on bytes sorts the functions, most first");
    check(up.every((value, index) => index === 0 || up[index - 1] <= value),
          "a second click sorts them the other way");

    // high_ISR, which its vector jumps to, has the depth of its own calls.
    const depth = await tab.evaluate(() => [...document.querySelectorAll("#functions tbody tr")]
      .filter(row => row.children[0].textContent === "high_ISR").map(row => row.children[3].textContent)[0]);
    check(depth === "4", "high_ISR's depth is its own calls': " + depth);
    const legend = await tab.evaluate(() => [...document.querySelectorAll("#legend span")].map(key => key.textContent));
    check(!legend.includes("config") && legend.includes("code"), "the legend names the kinds shown: " + legend.join(", "));

    // The labels at each size, the maps as wide as the window allows; a
    // label moved onto another is found.
    const pages = [built];
    if (corpus && fs.existsSync(corpus)) {
      const listings = fs.readdirSync(corpus, { recursive: true }).filter(name => name.endsWith(".lst")).sort();
      for (const name of listings) {
        const result = childProcess.spawnSync(program, ["-H", path.join(corpus, name)], { maxBuffer: 1 << 26 });
        if (result.status !== 0) continue;
        const file = path.join(scratch, name.replace(/[\\/]/g, "-") + ".html");
        fs.writeFileSync(file, result.stdout);
        pages.push(file);
      }
    } else if (process.env.CI === "true") {
      check(false, "the corpus folder " + corpus + " is there");
    }
    check(pages.length > 10 || process.env.CI !== "true", pages.length + " pages whose labels are checked");
    for (const size of SIZES) {
      await tab.setViewport(size);
      for (const file of pages) {
        await tab.goto("file://" + file, { waitUntil: "load" });
        const labels = await tab.evaluate(labelFaults);
        check(labels.faults.length === 0 && (file !== built || labels.count > 50),
              path.basename(file) + " at " + size.width + " x " + size.height + ": " + labels.count +
              " labels, none astray: " + labels.faults.slice(0, 3).join("; "));
      }
    }
    await tab.setViewport(SIZES[0]);
    await tab.goto("file://" + built, { waitUntil: "load" });
    const narrow = await tab.evaluate(() => document.getElementById("program").getBoundingClientRect().width);
    await tab.setViewport(SIZES[1]);
    await new Promise(resolve => setTimeout(resolve, 200));
    const wide = await tab.evaluate(() => {
      const map = document.getElementById("program");
      const right = Math.max(...[...map.querySelectorAll(".file")].map(box => box.getBoundingClientRect().right));
      return { width: map.getBoundingClientRect().width, filled: right - map.getBoundingClientRect().left };
    });
    check(narrow > 1200 && wide.width > 1850 && Math.abs(wide.filled - wide.width) < 4,
          "the map takes the window's width and is drawn again: " + Math.round(narrow) + ", then " +
          Math.round(wide.width) + " filled to " + Math.round(wide.filled));
    await tab.evaluate(() => {
      const label = document.querySelector("#program .file-name");
      const copy = label.cloneNode(true);
      copy.style.left = "6px";
      label.parentElement.appendChild(copy);
    });
    const planted = (await tab.evaluate(labelFaults)).faults.length;
    check(planted > 0, "a label moved onto another is found: " + planted);

    // Two builds: both named, each figure's change, what changed on the
    // first screen.
    if (corpus && fs.existsSync(path.join(corpus, "history"))) {
      const history = path.join(corpus, "history", "evilmad-eggbot-");
      const two = page(["-H", history + "2023-11-22-5caed29.lst", history + "2024-01-27-5e1d5be.lst"], "two.html");
      await tab.setViewport(SIZES[0]);
      await tab.goto("file://" + two, { waitUntil: "load" });
      await checkMarkup(two, tab);
      const compared = await tab.evaluate(() => ({
        title: document.getElementById("title").textContent,
        figures: [...document.querySelectorAll("#figures tr")].map(row => [...row.children].map(cell => cell.textContent).join("|")),
        changed: document.getElementById("changed-files").getBoundingClientRect().top,
        removed: [...document.querySelectorAll("#removed li")].map(item => item.textContent)
      }));
      check(compared.title.includes("5e1d5be") && compared.title.includes("5caed29"), "the title names both builds: " + compared.title);
      check(compared.figures.includes("program memory, bytes|33464|32669|\u2212795"),
            "the program memory's old, new and change: " + compared.figures[1]);
      check(compared.changed < 800 - 100, "what changed starts on the first screen, at " + Math.round(compared.changed));
      check(compared.removed.length > 0 && compared.removed.every(item => !/^__pa_[0-9]/.test(item)),
            "removed blocks, the renumbered ones as one: " + compared.removed.slice(0, 3).join("; "));
    } else if (process.env.CI === "true") {
      check(false, "the history folder is there");
    }

    const hostilePage = page(["-H", hostile], "hostile.html");
    await tab.goto("file://" + hostilePage, { waitUntil: "load" });
    await checkMarkup(hostilePage, tab);
    const shown = await tab.evaluate(() => ({ pwned: window.pwned, text: document.body.innerText }));
    check(shown.pwned === undefined, "a listing's paths and source run no script");
    check(shown.text.includes("</script><script>window.pwned=1</script>") &&
          shown.text.includes("<img src=x onerror=window.pwned=2>"), "they show as text");
  } finally {
    await browser.close();
  }
  if (failures.length > 0) {
    console.log(failures.length + " checks failed");
    process.exit(1);
  }
  console.log("all checks passed; screenshot in " + path.join(scratch, "page.png"));
})().catch(error => {
  console.log("FAIL " + error.stack);
  process.exit(1);
});

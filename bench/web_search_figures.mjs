// The figures of bench/web_search_figures.sh for one reference and its web
// edition:
//   node web_search_figures.mjs LABEL REFERENCE_FOLDER SITE_FOLDER
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { pathToFileURL } from 'node:url';
import { chromium } from 'playwright-core';

const [label, reference, site] = process.argv.slice(2);
const bytesOf = (folder, files) =>
  files.reduce((sum, file) => sum + fs.statSync(path.join(folder, file)).size, 0);
const referenceBytes = bytesOf(reference, fs.readdirSync(reference));
const dataBytes = bytesOf(site, ['search-index.js']);
const kb = (bytes) => `${(bytes / 1024).toFixed(0)} KB`;
console.log(`${label}: reference ${kb(referenceBytes)}, search data ${kb(dataBytes)} ` +
  `(${(100 * dataBytes / referenceBytes).toFixed(1)}% of the reference), ` +
  `search.js ${kb(bytesOf(site, ['search.js']))}`);

const userData = fs.mkdtempSync(path.join(os.tmpdir(), 'marlix-figures-'));
const context = await chromium.launchPersistentContext(userData, {
  executablePath: '/usr/bin/chromium',
  headless: true,
  args: ['--headless', '--no-sandbox', '--disable-gpu', '--no-first-run',
    '--disable-background-networking', '--disable-component-update', '--disable-sync'],
});
const url = (file) => pathToFileURL(path.join(site, file)).href;

// What the pages other than the search page load.
for (const file of ['Index.htm', 'Topic0.htm', 'B0P0.htm']) {
  const page = await context.newPage();
  const files = [];
  page.on('request', (request) => files.push(path.basename(new URL(request.url()).pathname)));
  await page.goto(url(file), { waitUntil: 'load' });
  await page.keyboard.press('/');
  await page.keyboard.type('screen');
  console.log(`${label}: ${file} loads ${files.join(', ')}`);
  await page.close();
}

// Puts query into the field as one input event; milliseconds until the
// status names the query (the results are in the page by then) and until
// the frame after that.
async function timeQuery(page, query) {
  return page.evaluate(async (q) => {
    const field = document.getElementById('q');
    const status = document.getElementById('status');
    const start = performance.now();
    field.value = q;
    field.dispatchEvent(new Event('input'));
    const shown = `\u201c${q.trim()}\u201d`;
    await new Promise((resolve) => {
      const check = () => (status.textContent.includes(shown) ? resolve() : setTimeout(check, 1));
      check();
    });
    const inPage = performance.now() - start;
    await new Promise((resolve) => requestAnimationFrame(() => setTimeout(resolve, 0)));
    return { inPage, painted: performance.now() - start, status: status.textContent };
  }, query);
}

const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
const ms = (value) => `${value.toFixed(1)} ms`;

const page = await context.newPage();
await page.goto(url('search.htm'), { waitUntil: 'load' });
const first = await timeQuery(page, 'marker');
console.log(`${label}: first query, loading the data: shown after ${ms(first.painted)}, ` +
  `in the page after ${ms(first.inPage)} (${first.status})`);

const queries = {
  'a name': 'Block Counter',
  'the start of names': 'block',
  'a common word': 'from',
  'three words of text': 'screen origin then',
  'code': 'FOR i = 1 TO 64',
  'a single letter': 'e',
  'nothing': 'no such thing',
};
const rounds = Object.fromEntries(Object.keys(queries).map((kind) => [kind, []]));
const inPage = Object.fromEntries(Object.keys(queries).map((kind) => [kind, []]));
let statuses = {};
for (let round = 0; round < 5; ++round) {
  for (const [kind, query] of Object.entries(queries)) {
    // A different query in between, so that each one is new to the page.
    await timeQuery(page, `x${round}${kind.length}`);
    const time = await timeQuery(page, query);
    rounds[kind].push(time.painted);
    inPage[kind].push(time.inPage);
    statuses[kind] = time.status;
  }
}
for (const [kind, times] of Object.entries(rounds)) {
  console.log(`${label}: ${kind} (${queries[kind]}): shown after median ${ms(median(times))}, ` +
    `max ${ms(Math.max(...times))}; in the page after median ${ms(median(inPage[kind]))}; ` +
    `${statuses[kind]}`);
}

// Typed one key at a time: each keystroke's time to its results.
const typed = 'screen origin then';
const keystrokes = [];
const keystrokesInPage = [];
for (let i = 1; i <= typed.length; ++i) {
  if (typed[i - 1] === ' ') continue;  // the same words as before: no new results
  const time = await timeQuery(page, typed.slice(0, i));
  keystrokes.push(time.painted);
  keystrokesInPage.push(time.inPage);
}
console.log(`${label}: typing "${typed}": each keystroke shown after median ` +
  `${ms(median(keystrokes))}, max ${ms(Math.max(...keystrokes))}; in the page after median ` +
  `${ms(median(keystrokesInPage))}, max ${ms(Math.max(...keystrokesInPage))}`);

await context.close();
fs.rmSync(userData, { recursive: true, force: true });

// The figures of bench/web_search_figures.sh for one reference and its web
// edition:
//   node web_search_figures.mjs LABEL REFERENCE_FOLDER SITE_FOLDER
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { pathToFileURL } from 'node:url';
import zlib from 'node:zlib';
import { chromium } from 'playwright-core';

const [label, reference, site] = process.argv.slice(2);
const bytesOf = (folder, files) =>
  files.reduce((sum, file) => sum + fs.statSync(path.join(folder, file)).size, 0);
const referenceBytes = bytesOf(reference, fs.readdirSync(reference));
const dataBytes = bytesOf(site, ['search-index.js']);
const kb = (bytes) => `${(bytes / 1024).toFixed(0)} KB`;
const gzipBytes = zlib.gzipSync(fs.readFileSync(path.join(site, 'search-index.js')), { level: 9 }).length;
const percent = (bytes) => `${(100 * bytes / referenceBytes).toFixed(1)}%`;
console.log(`${label}: reference ${kb(referenceBytes)}, search data ${kb(dataBytes)} raw ` +
  `(${percent(dataBytes)} of the reference), ${kb(gzipBytes)} gzipped (${percent(gzipBytes)}), ` +
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
// status names the query and the results are laid out (the layout forced
// at once, the items in view included: what the next frame would paint),
// and until the frame after that
// (which adds the wait for the display's next frame).
async function timeQuery(page, query) {
  return page.evaluate(async (q) => {
    const field = document.getElementById('q');
    const status = document.getElementById('status');
    const start = performance.now();
    field.value = q;
    field.dispatchEvent(new Event('input'));
    const shown = `\u201c${q.trim()}\u201d`;
    if (!status.textContent.includes(shown)) {
      await new Promise((resolve) => {
        const check = () => (status.textContent.includes(shown) ? resolve() : setTimeout(check, 1));
        check();
      });
    }
    void document.body.offsetHeight;
    // A result item (content-visibility: auto) is laid out only once the
    // browser finds it in view, in the frame that paints it: lay out those
    // in view now too, or the time leaves out what the reader sees.
    for (const item of document.getElementById('results').children) {
      if (item.getBoundingClientRect().top >= innerHeight) break;
      void item.lastElementChild.getBoundingClientRect();
    }
    const inPage = performance.now() - start;
    await new Promise((resolve) => requestAnimationFrame(() => setTimeout(resolve, 0)));
    return { inPage, painted: performance.now() - start, status: status.textContent };
  }, query);
}

// Empties the field.
async function clearField(page) {
  await page.evaluate(() => {
    const field = document.getElementById('q');
    field.value = '';
    field.dispatchEvent(new Event('input'));
  });
}

const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
const percentile95 = (values) =>
  [...values].sort((a, b) => a - b)[Math.min(values.length - 1, Math.ceil(values.length * 0.95) - 1)];
const ms = (value) => `${value.toFixed(1)} ms`;

// The first result of a page opened with a query in its address: from the
// page being ready (DOMContentLoaded) to the frame after the first result
// is in the page. Each round in a new tab.
const firstTimes = [];
for (let round = 0; round < 5; ++round) {
  const tab = await context.newPage();
  await tab.addInitScript(() => {
    document.addEventListener('DOMContentLoaded', () => {
      const ready = performance.now();
      const list = document.getElementById('results');
      new MutationObserver((changes, observer) => {
        if (!list.firstChild) return;
        observer.disconnect();
        requestAnimationFrame(() => setTimeout(() => {
          window.firstResult = performance.now() - ready;
        }, 0));
      }).observe(list, { childList: true });
    });
  });
  await tab.goto(url('search.htm') + `?q=${encodeURIComponent(round % 2 ? 'block counter' : 'screen')}`);
  await tab.waitForFunction(() => window.firstResult !== undefined);
  firstTimes.push(await tab.evaluate(() => window.firstResult));
  await tab.close();
}
console.log(`${label}: first result of search.htm?q=..., after the page is ready: median ` +
  `${ms(median(firstTimes))}, max ${ms(Math.max(...firstTimes))}`);

const page = await context.newPage();
await page.goto(url('search.htm'), { waitUntil: 'load' });

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
  console.log(`${label}: ${kind} (${queries[kind]}): laid out after median ` +
    `${ms(median(inPage[kind]))}, max ${ms(Math.max(...inPage[kind]))}; next frame after median ` +
    `${ms(median(times))}; ${statuses[kind]}`);
}

// Typed one key at a time: each keystroke's time to its results (the
// first query loaded the data long before).
const typedQueries = ['screen origin then', 'block counter', 'FOR i = 1 TO 64', 'palete merge',
  'delete$', 'x < y', 'window shaddow', 'e'];
const keystrokes = [];
const keystrokesInPage = [];
for (const typed of typedQueries) {
  for (let i = 1; i <= typed.length; ++i) {
    if (typed[i - 1] === ' ') continue;  // the same words as before: no new results
    const time = await timeQuery(page, typed.slice(0, i));
    keystrokes.push(time.painted);
    keystrokesInPage.push(time.inPage);
  }
  await clearField(page);
}
console.log(`${label}: typing ${typedQueries.map((q) => `"${q}"`).join(', ')}: ` +
  `${keystrokes.length} keystrokes, each laid out after median ${ms(median(keystrokesInPage))}, ` +
  `95th percentile ${ms(percentile95(keystrokesInPage))}, max ${ms(Math.max(...keystrokesInPage))}; ` +
  `next frame after median ${ms(median(keystrokes))}, 95th percentile ${ms(percentile95(keystrokes))}`);

await context.close();
fs.rmSync(userData, { recursive: true, force: true });

// The web edition of the sample reference in a real browser: Debian's
// chromium, headless, driven through playwright-core.
//
//   node browser_test.mjs SITE_FOLDER SCREENSHOT_FOLDER CLI HOSTILE_SITE_FOLDER
//
// HOSTILE_SITE_FOLDER is the web edition of a reference whose names, titles
// and text hold markup and script; CLI converts the references that some
// tests write for themselves.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import vm from 'node:vm';
import { pathToFileURL } from 'node:url';
import { createRequire } from 'node:module';
import { chromium } from 'playwright-core';

// axe-core's rules, from the npm package beside this script.
const axeScript = createRequire(import.meta.url).resolve('axe-core/axe.min.js');

const [site, shots, cli, hostileSite] = process.argv.slice(2);
assert.ok(site && shots && cli && hostileSite,
  'usage: browser_test.mjs SITE_FOLDER SCREENSHOT_FOLDER CLI HOSTILE_SITE_FOLDER');
fs.mkdirSync(shots, { recursive: true });

// The reference's name: NAME of the conversion, the site folder's name.
const siteName = path.basename(site);
const url = (file, folder = site) => pathToFileURL(path.join(folder, file)).href;
const pages = fs.readdirSync(site).filter((f) => f.endsWith('.htm')).sort();
const topicPages = pages.filter((f) => /^B\d+P\d+\.htm$/.test(f));

// The letters of code page 437 besides a to z: 0x80-0xA5 and 0xE0-0xEE but
// infinity.
const CP437_LETTERS = '\u00c7\u00fc\u00e9\u00e2\u00e4\u00e0\u00e5\u00e7\u00ea\u00eb' +
  '\u00e8\u00ef\u00ee\u00ec\u00c4\u00c5\u00c9\u00e6\u00c6\u00f4\u00f6\u00f2\u00fb\u00f9\u00ff' +
  '\u00d6\u00dc\u00a2\u00a3\u00a5\u20a7\u0192\u00e1\u00ed\u00f3\u00fa\u00f1\u00d1' +
  '\u03b1\u00df\u0393\u03c0\u03a3\u03c3\u00b5\u03c4\u03a6\u0398\u03a9\u03b4\u03c6\u03b5';

// The search data of a site, read as its format describes: each topic's text
// is its word codes, a code being "more" characters (leading digits, base K)
// and one "final" character (the last digit, base F), counted from the first
// number of its length.
function readSearchData(folder) {
  const sandbox = { window: {} };
  vm.runInNewContext(fs.readFileSync(path.join(folder, 'search-index.js'), 'utf8'), sandbox);
  // Copied into this script's own arrays and objects, for deepEqual.
  const data = JSON.parse(JSON.stringify(sandbox.window.marlixSearchData));
  const words = data.words.split(' ');
  const F = data.final.length;
  const K = data.more.length;
  const decode = (codes) => {
    const numbers = [];
    let value = 0;
    let first = 0;
    let span = F;
    for (const c of codes) {
      if (data.more.includes(c)) {
        value = value * K + data.more.indexOf(c);
        first += span;
        span *= K;
      } else {
        numbers.push(first + value * F + data.final.indexOf(c));
        value = 0;
        first = 0;
        span = F;
      }
    }
    return numbers;
  };
  // The characters that make words besides 0-9, A-Z and a-z: "_", "$" and
  // the letters of code page 437.
  assert.equal(data.letters, `$_${CP437_LETTERS}`);
  return data.topics.map(([page, section, title, codes, ...names]) => ({
    page, section: data.sections[section], title, names,
    text: decode(codes).map((n) => words[n]).join(' '),
  }));
}
const topics = readSearchData(site);
const pageOf = (name) => topics.find((topic) => topic.names.includes(name)).page;

// The pages a query must list, in order, by the rules of the search page,
// worked out from the whole text of every topic (where the page uses its
// index):
// - Tokens: runs of word characters (0-9, A-Z, a-z, "_", "$", the accented
//   and Greek letters of code page 437) or runs of other characters;
//   blanks and box drawing are gaps. Compared with a to z folded and hex
//   numbers bare ("10h", "0x10": "10"). What counts of a text is its word
//   tokens, or its sign tokens when it has no word.
// - A word of the query matches the token that is it (weight 1); as the last
//   word of three characters or more, tokens that start with it (0.7); if it
//   has five or more and matched neither way, tokens one edit away (0.5);
//   with three or more, tokens that hold it further in (0.3).
// - A name that is the query, as tokens, ranks first; a name that starts
//   with it next. Then the topics that hold every word; when none does,
//   those that hold every word but one. Within a rank, by the sum over the
//   words of the best weight * BM25 (k1 1.2, b 0.75; a name counts as 5 uses,
//   the title as 3) of its tokens, times 1 + 0.5 * the share of the query's
//   pairs of following words that stand next to each other in a name, the
//   title or the text; then reading order. (The page adds that bonus to the
//   first 100 it shows; the sample has fewer topics than that.)
const LETTERS = `0-9A-Za-z_$${CP437_LETTERS}`;
function tokens(text) {
  const found = text.match(new RegExp(`[${LETTERS}]+|[^\\s\\u2500-\\u259f${LETTERS}]+`, 'g')) || [];
  const bare = (token) => {
    const t = token.replace(/[a-z]/g, (c) => c.toUpperCase());
    if (/^\d[\dA-F]*H$/.test(t)) return t.slice(0, -1);
    return /^0X[\dA-F]+$/.test(t) ? t.slice(2) : t;
  };
  const all = found.map((t) => ({ key: bare(t), word: new RegExp(`^[${LETTERS}]`).test(t) }));
  const words = all.filter((t) => t.word);
  return { all, words, signs: all.filter((t) => !t.word) };
}
function expectedResults(query, from = topics) {
  const cut = tokens(query);
  const signs = cut.words.length === 0;
  const keys = (signs ? cut.signs : cut.words).map((t) => t.key);
  const words = [...new Set(keys)];
  if (words.length === 0) return [];
  const counting = (text) => tokens(text)[signs ? 'signs' : 'words'].map((t) => t.key);
  const docs = from.map((topic, order) => ({
    topic, order,
    names: topic.names.map((name) => tokens(name)),
    title: tokens(topic.title).all.map((t) => t.key),
    text: tokens(topic.text).all.map((t) => t.key),
  }));
  const vocabulary = new Set();
  for (const d of docs) {
    for (const n of d.names) n.all.forEach((t) => vocabulary.add(t.key));
    d.title.forEach((t) => vocabulary.add(t));
    d.text.forEach((t) => vocabulary.add(t));
  }
  const oneEdit = (a, b) => {
    if (a === b || Math.abs(a.length - b.length) > 1) return false;
    for (let i = 0; i < Math.max(a.length, b.length); ++i) {
      if (a[i] !== b[i]) {
        return a.slice(i + 1) === b.slice(i + 1) || a.slice(i + 1) === b.slice(i) ||
          a.slice(i) === b.slice(i + 1);
      }
    }
    return false;
  };
  // For each word, its tokens with their weights.
  const matched = words.map((word, w) => {
    const weights = new Map();
    const last = w === words.length - 1;
    for (const token of vocabulary) {
      if (token === word) weights.set(token, 1);
      else if (last && word.length >= 3 && token.startsWith(word)) weights.set(token, 0.7);
    }
    if (weights.size === 0 && word.length >= 5) {
      for (const token of vocabulary) if (oneEdit(token, word)) weights.set(token, 0.5);
    }
    if (word.length >= 3) {
      for (const token of vocabulary) {
        if (!weights.has(token) && token.indexOf(word, 1) > 0) weights.set(token, 0.3);
      }
    }
    return weights;
  });
  const uses = (d, token) => d.text.filter((t) => t === token).length +
    (d.names.some((n) => n.all.some((t) => t.key === token)) ? 5 : 0) +
    (d.title.includes(token) ? 3 : 0);
  const average = Math.max(1, docs.reduce((sum, d) => sum + d.text.length, 0) / docs.length);
  const df = new Map();
  for (const token of vocabulary) df.set(token, docs.filter((d) => uses(d, token) > 0).length);
  const whole = keys.join(' ');
  const ranked = docs.map((d) => {
    const nameKeys = d.names.map((n) => (n.words.length > 0 ? n.words : n.all).map((t) => t.key).join(' '));
    const rank = nameKeys.includes(whole) ? 0 : nameKeys.some((n) => n.startsWith(whole)) ? 1 : 2;
    let holds = 0;
    let score = 0;
    matched.forEach((weights) => {
      let best = 0;
      let held = false;
      for (const [token, weight] of weights) {
        const u = uses(d, token);
        if (u === 0) continue;
        held = true;
        const idf = Math.log(1 + (docs.length - df.get(token) + 0.5) / (df.get(token) + 0.5));
        const norm = 1.2 * (1 - 0.75 + 0.75 * d.text.length / average);
        best = Math.max(best, weight * idf * u * 2.2 / (u + norm));
      }
      if (held) ++holds;
      score += best;
    });
    if (rank < 2) holds = words.length;
    if (keys.length > 1) {
      const fields = [counting(d.topic.text), counting(d.topic.title), ...d.topic.names.map(counting)];
      let pairs = 0;
      for (let k = 0; k + 1 < keys.length; ++k) {
        const a = matched[words.indexOf(keys[k])];
        const b = matched[words.indexOf(keys[k + 1])];
        if (fields.some((f) => f.some((t, i) => i + 1 < f.length && a.has(t) && b.has(f[i + 1])))) ++pairs;
      }
      score *= 1 + 0.5 * pairs / (keys.length - 1);
    }
    return { page: d.topic.page, order: d.order, rank, holds, score };
  });
  const most = Math.max(0, ...ranked.map((r) => r.holds));
  const needed = most === words.length ? most : words.length - 1;
  if (needed === 0 || most < needed) return [];
  return ranked.filter((r) => r.holds === needed).sort((a, b) => a.rank - b.rank ||
    (Math.abs(a.score - b.score) > 1e-6 * Math.max(a.score, b.score) ? b.score - a.score : 0) ||
    a.order - b.order).map((r) => r.page);
}

let userData;
let context;

before(async () => {
  userData = fs.mkdtempSync(path.join(os.tmpdir(), 'marlix-chromium-'));
  context = await chromium.launchPersistentContext(userData, {
    executablePath: '/usr/bin/chromium',
    headless: true,
    args: [
      '--headless', '--no-sandbox', '--disable-gpu', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync',
    ],
    viewport: { width: 1280, height: 900 },
  });
});

after(async () => {
  await context?.close();
  fs.rmSync(userData, { recursive: true, force: true });
});

// Opens file in a new tab and collects what goes wrong while it loads, and
// the files it asks for (page.requested).
async function open(file, options = {}) {
  const page = await context.newPage();
  const problems = [];
  page.requested = [];
  page.on('request', (request) => page.requested.push(path.basename(new URL(request.url()).pathname)));
  page.on('console', (message) => {
    if (message.type() === 'error' || message.type() === 'warning') {
      problems.push(`console ${message.type()}: ${message.text()}`);
    }
  });
  page.on('pageerror', (error) => problems.push(`script error: ${error.message}`));
  page.on('requestfailed', (request) => problems.push(`failed: ${request.url()}`));
  if (options.viewport) await page.setViewportSize(options.viewport);
  if (options.colorScheme) await page.emulateMedia({ colorScheme: options.colorScheme });
  await page.goto(url(file, options.folder) + (options.query ?? ''), { waitUntil: 'load' });
  return { page, problems };
}

// Loads every file in turn in one tab and calls check(page, file, problems).
async function visitEach(files, options, check) {
  const { page, problems } = await open(files[0], options);
  for (const file of files) {
    problems.length = 0;
    await page.goto(url(file, options.folder), { waitUntil: 'load' });
    await check(page, file, problems);
  }
  await page.close();
}

test('every page loads without a console message, script error or missing file', async () => {
  assert.ok(topicPages.length > 30, `only ${topicPages.length} topic pages`);
  await visitEach(pages, {}, async (page, file, problems) => {
    assert.deepEqual(problems, [], file);
    const sheets = await page.evaluate(() => document.styleSheets.length);
    assert.equal(sheets, 1, `${file}: style sheet`);
  });
});

test('every topic page has its title as its one level-one heading', async () => {
  await visitEach(topicPages, {}, async (page, file) => {
    const headings = await page.locator('h1').allInnerTexts();
    const topic = topics.find((t) => t.page === file);
    assert.deepEqual(headings, [topic.title || topic.names[0]], file);
  });
});

test('code page 437 text shows as its Unicode characters', async () => {
  const { page } = await open(pageOf('Character Set'));
  const text = await page.locator('main').innerText();
  assert.match(text, /a café in\s+Zürich, Ångström, señor, garçon; 25°C ± 0\.5°, 5 µs, r² and ½\./);
  assert.match(text, /│  ░  │  ▒  │  ▓  │  █  │/);
  await page.close();
});

test("a box-drawing table's lines all have the same width", async () => {
  for (const name of ['Data Types', 'Greek Letters', 'Operators']) {
    const { page } = await open(pageOf(name));
    // A line's width is that of its text (the line's box is as wide as the
    // text block at least).
    const lines = await page.locator('.table').first().evaluate((table) =>
      [...table.children].map((line) => {
        const range = document.createRange();
        range.selectNodeContents(line);
        return {
          text: line.textContent,
          width: range.getBoundingClientRect().width,
          top: line.getBoundingClientRect().top,
          bottom: line.getBoundingClientRect().bottom,
        };
      }));
    assert.ok(lines.length >= 5, `${name}: ${lines.length} table lines`);
    // Every line is as wide as the first, and as wide as that many ASCII
    // letters: no character of the drawing comes from a font of other widths.
    const probe = await page.evaluate((count) => {
      const span = document.createElement('span');
      span.textContent = 'M'.repeat(count);
      document.querySelector('.table > *').appendChild(span);
      const width = span.getBoundingClientRect().width;
      span.remove();
      return width;
    }, [...lines[0].text].length);
    for (const [i, line] of lines.entries()) {
      assert.equal([...line.text].length, [...lines[0].text].length, `${name}: ${line.text}`);
      // One line under the other, with no gap for the vertical lines to break at.
      if (i > 0) assert.ok(Math.abs(line.top - lines[i - 1].bottom) < 0.5, `${name}: gap`);
      assert.ok(Math.abs(line.width - lines[0].width) < 0.5, `${name}: ${line.text} ${line.width}`);
    }
    assert.ok(Math.abs(lines[0].width - probe) < 0.5, `${name}: ${lines[0].width} vs ${probe}`);
    await page.close();
  }
});

test('a "~" link leads to its topic, and a name no topic has stays bold', async () => {
  const { page } = await open(pageOf('Introduction'));
  await page.locator('main a', { hasText: 'Program Structure' }).first().click();
  await page.waitForLoadState('load');
  assert.equal(path.basename(new URL(page.url()).pathname), pageOf('Program Structure'));
  assert.equal(await page.title(), `Program Structure \u2014 ${siteName}`);
  await page.close();

  const holder = topicPages.find((file) =>
    fs.readFileSync(path.join(site, file), 'utf8').includes('<b>GRAPHICS</b>'));
  assert.ok(holder, 'no page shows the unresolved name GRAPHICS in bold');
  const bold = await open(holder);
  const weight = await bold.page.locator('b', { hasText: 'GRAPHICS' }).evaluate(
    (element) => Number(getComputedStyle(element).fontWeight));
  assert.ok(weight >= 600, `weight ${weight}`);
  await bold.page.close();
});

test('previous and next walk every topic in reading order', async () => {
  // Reading order: the topics of the search data.
  const order = topics.map((topic) => topic.page);
  assert.equal(order.length, topicPages.length);

  const index = await open('Index.htm');
  await index.page.locator('ul.sections a').first().click();
  await index.page.locator('ol.topics a').first().click();
  const page = index.page;
  const walked = [];
  for (;;) {
    walked.push(path.basename(new URL(page.url()).pathname));
    const previous = page.locator('main .pager a[rel=prev]');
    if (walked.length === 1) {
      assert.equal(await previous.count(), 0, 'the first topic has no previous one');
    } else {
      assert.equal(await previous.getAttribute('href'), walked[walked.length - 2]);
    }
    const next = page.locator('main .pager a[rel=next]');
    if ((await next.count()) === 0) break;
    await next.click();
    await page.waitForLoadState('load');
    assert.ok(walked.length <= order.length, 'the walk does not end');
  }
  assert.deepEqual(walked, order);
  // Up leads to the topic's section, home to the contents.
  await page.locator('main .pager a[rel=up]').click();
  assert.match(page.url(), /Topic\d+\.htm$/);
  await page.locator('header a[rel=home]').click();
  assert.match(page.url(), /Index\.htm$/);
  await page.close();
});

// Types query into the search page's field, as a paste would, and returns the
// pages of the results once they are there.
// Waits until the results in the page are on the screen: the browser lays
// out a result (content-visibility: auto) only once a frame has found it in
// view, and until then its innerText is empty.
async function rendered(page) {
  await complete(page);
  await page.evaluate(() => new Promise((resolve) =>
    requestAnimationFrame(() => requestAnimationFrame(resolve))));
}

// Waits until every result is in the list: past the first screenful they
// come after the browser has painted those, the list aria-busy until then.
async function complete(page) {
  await page.waitForFunction(() => !document.getElementById('results').hasAttribute('aria-busy'));
}

async function search(page, query) {
  await page.locator('#q').fill(query);
  await page.waitForFunction(() => !/Loading/.test(document.getElementById('status').textContent));
  await rendered(page);
  return page.locator('#results > li').evaluateAll((items) =>
    items.map((item) => item.querySelector('a').getAttribute('href')));
}

test('search finds topics by names, titles and text, one result each, best first', async () => {
  const { page, problems } = await open('search.htm');
  // Against the rules, over names, titles and text of the whole reference.
  for (const query of ['print', 'PRINT USING', 'loop', 'Find', 'sin', 'str$', 'Appendix F',
    'type mismatch', 'SQR(-1)', '###,###.##', 'a semicolon', 'the', 'e', '~', '"a" + 1',
    '\u2551 Syntax error \u2551', 'Ångström', 'no such words here', 'squre root', 'procedre',
    'sq', 'squ', 'termin', 'print zebra', 'ROUND(-2.5)', '3.14', 'end loop', 'loop end',
    'x = 1', 'box', 'Greek', 'ment', 'Marlix 2.10']) {
    assert.deepEqual(await search(page, query), expectedResults(query).slice(0, 100), query);
  }
  // The same by hand: a name that is the query comes first, then names that
  // start with it; one result per topic however many of its names match.
  const print = await search(page, 'print');
  assert.deepEqual(print.slice(0, 1), [pageOf('PRINT')]);
  assert.equal(new Set(print).size, print.length);
  assert.deepEqual((await search(page, 'print using')).slice(0, 1), [pageOf('PRINT USING')]);
  const loop = await search(page, 'LOOP');
  assert.deepEqual(loop.slice(0, 1), [pageOf('LOOP')]);
  // Only one title says "Appendix F" (any text with "of" holds an "F");
  // only a table's text says "type mismatch".
  assert.deepEqual((await search(page, 'appendix f')).slice(0, 1), [pageOf('Error Codes')]);
  assert.deepEqual(await search(page, 'Type Mismatch'), [pageOf('Error Codes')]);
  // Code as it is written: signs alone are found as signs.
  assert.deepEqual(await search(page, '###,###.##'), [pageOf('PRINT')]);
  // Letter case is ignored for a to z only: "é" is not "É".
  assert.deepEqual(await search(page, 'CAFé'), [pageOf('Character Set')]);
  assert.deepEqual(await search(page, 'CAFÉ'), []);
  // Box drawing is no text of its own.
  assert.deepEqual(await search(page, '\u2550\u2550\u2550'), []);
  assert.deepEqual(problems, []);
  await page.close();
});

test('the order of a few queries, pinned by hand', async () => {
  const { page } = await open('search.htm');
  const first = async (query, count = 1) => (await search(page, query)).slice(0, count);
  // A name that is the query; names that start with it.
  assert.deepEqual(await first('print'), [pageOf('PRINT')]);
  assert.deepEqual(await search(page, 'sq'), [pageOf('SQR')]);
  assert.deepEqual(await first('squ'), [pageOf('Square Root')]);
  // The topic about procedures before the ones that mention one in passing
  // (and come before it in reading order).
  const procedure = await search(page, 'procedure');
  assert.deepEqual(procedure.slice(0, 1), [pageOf('PROC')]);
  assert.ok(procedure.indexOf(pageOf('Identifiers')) > 0);
  // One letter left out, and then also a word that stands nowhere.
  assert.deepEqual(await first('procedre'), [pageOf('PROC')]);
  assert.deepEqual(await search(page, 'squre root'),
    [pageOf('Square Root'), pageOf('Greek Letters')]);
  // Code with signs inside.
  assert.deepEqual(await search(page, 'ROUND(-2.5)'), [pageOf('ROUND'), pageOf('Version History')]);
  assert.deepEqual(await first('SQR(-1)', 2), [pageOf('SQR'), pageOf('Error Codes')]);
  await page.close();
});

test('names compare as tokens, and hex numbers match with or without their h or 0x', async () => {
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'marlix-hex-'));
  const source = ['@Interrupts',
    ':INT 21,4C:Terminate', ' Terminate with a return code', ' AH = 4Ch, AL = return code.',
    ':INT 21', ' Function dispatcher', ' AH = function number; see INT 21,4C to end a program.',
    ':INT 13', ' Disk services', ' Reads and writes sectors; AH holds 4C nowhere.',
    ':INT 13,13', ' Unused', ' Nothing here.',
    ':Serial Ports', ' Serial ports', ' COM1 is at port 3F8h and COM2 at 2F8h.',
    ':Printer Port', ' Printer port', ' LPT1 is at 0x378; write 0Ch or 10h for a new page.', ''];
  fs.mkdirSync(path.join(folder, 'source'));
  fs.writeFileSync(path.join(folder, 'source', 'INT.TXT'), source.join('\r\n'), 'latin1');
  execFileSync(cli, ['--quiet', '--web', path.join(folder, 'source'), folder, 'site']);
  const written = path.join(folder, 'site');
  try {
    const ints = readSearchData(written);
    const pageOfInt = (name) => ints.find((topic) => topic.names.includes(name)).page;
    const { page } = await open('search.htm', { folder: written });
    const expected = {
      'int 21,4c': [pageOfInt('INT 21,4C')],
      'INT 21 4C': [pageOfInt('INT 21,4C')],
      'int 13': [pageOfInt('INT 13'), pageOfInt('INT 13,13')],
      'int 21': [pageOfInt('INT 21'), pageOfInt('INT 21,4C')],
      '3f8': [pageOfInt('Serial Ports')],
      '3F8h': [pageOfInt('Serial Ports')],
      '0x3f8': [pageOfInt('Serial Ports')],
      '378H': [pageOfInt('Printer Port')],
      '10': [pageOfInt('Printer Port')],
      'ch': [],
      // Next to each other first, where both hold the words.
      'AH = 4C': [pageOfInt('INT 21,4C'), pageOfInt('INT 13')],
    };
    for (const [query, pages] of Object.entries(expected)) {
      const found = await search(page, query);
      assert.deepEqual(found, expectedResults(query, ints), query);
      assert.deepEqual(found.slice(0, pages.length), pages, query);
      if (pages.length === 0) assert.deepEqual(found, [], query);
    }
    await page.close();
  } finally {
    fs.rmSync(folder, { recursive: true, force: true });
  }
});

test('a result shows its name, title and section, and a line of the text with the words marked',
  async () => {
    const { page } = await open('search.htm');
    await search(page, 'mismatch TYPE');
    const item = page.locator('#results > li').first();
    assert.equal(await item.locator('a').innerText(), 'Error Codes');
    assert.equal(await item.locator('.title').innerText(), 'Appendix F: Error Codes');
    assert.match(await item.locator('.section').innerText(), /Appendices/);
    const snippet = item.locator('.snippet');
    assert.match(await snippet.innerText(), /13 Type mismatch: "a" \+ 1/);
    assert.deepEqual(await snippet.locator('mark').allInnerTexts(), ['Type', 'mismatch']);
    // The snippet is one line.
    const box = await snippet.boundingBox();
    const lineHeight = await snippet.evaluate((e) => parseFloat(getComputedStyle(e).lineHeight));
    assert.ok(box.height < lineHeight * 1.5, `${box.height} / ${lineHeight}`);

    // Titles and names are marked too, word by word, the signs between
    // the words left out.
    await search(page, 'appendix f:');
    const titled = page.locator('#results > li').first();
    assert.deepEqual(await titled.locator('.title mark').allInnerTexts(), ['Appendix', 'F']);
    await search(page, 'print usi');
    const named = page.locator('#results > li').first();
    assert.deepEqual(await named.locator('a mark').allInnerTexts(), ['PRINT', 'USING']);
    // The snippet is the passage with the most words of the query, not the
    // first place that holds one.
    await search(page, 'fixed round');
    const passage = page.locator('#results > li', { hasText: 'Version History' }).locator('.snippet');
    assert.match(await passage.innerText(), /Fixed: ROUND\(-2\.5\)/);
    assert.deepEqual((await passage.locator('mark').allInnerTexts()).slice(0, 2), ['Fixed', 'ROUND']);

    // The count, in words.
    await search(page, 'print using');
    assert.match(await page.locator('#status').innerText(),
      new RegExp(`^${expectedResults('print using').length} topics match`));
    await search(page, 'zebra crossing');
    assert.equal(await page.locator('#status').innerText(),
      'No topic holds all of \u201czebra crossing\u201d in its names, its title or its text.');
    assert.equal(await page.locator('#results > li').count(), 0);
    // When no topic holds every word, those that hold all but one.
    const fallback = await search(page, 'square zebra root');
    assert.ok(fallback.length > 0);
    assert.deepEqual(fallback, expectedResults('square zebra root'));
    assert.equal(await page.locator('#status').innerText(), `No topic holds all of \u201csquare zebra ` +
      `root\u201d; ${fallback.length === 1 ? '1 topic holds' : `${fallback.length} topics hold`} ` +
      'all its words but one.');
    await page.close();
  });

test('results follow the field as the reader types, and the address keeps the query', async () => {
  const { page } = await open('search.htm');
  const results = page.locator('#results > li');
  await page.locator('#q').pressSequentially('sq');
  await page.waitForFunction(() => /match/.test(document.getElementById('status').textContent));
  await complete(page);
  assert.deepEqual(await results.evaluateAll((items) => items.map((i) => i.querySelector('a').getAttribute('href'))),
    expectedResults('sq'));
  await page.locator('#q').pressSequentially('r');
  await page.waitForFunction(() => /\u201csqr\u201d/.test(document.getElementById('status').textContent));
  await rendered(page);
  assert.equal(await results.first().locator('a').innerText(), 'SQR');
  // The address follows once the typing pauses.
  await page.waitForURL(/search\.htm\?q=sqr$/);
  await page.locator('#q').fill('');
  assert.equal(await results.count(), 0);
  await page.close();

  // A query in the address, as a form sends it.
  const linked = await open('search.htm', { query: '?q=print+using' });
  await linked.page.waitForFunction(() => /match/.test(document.getElementById('status').textContent));
  assert.equal(await linked.page.locator('#q').inputValue(), 'print using');
  await rendered(linked.page);
  assert.equal(await linked.page.locator('#results a').first().innerText(), 'PRINT USING');
  await linked.page.close();
});

test('typed a key at a time, the results show just what a fresh search shows', async () => {
  // The page keeps the items of results that stay the same from key to key.
  const listed = (page) => page.locator('#results').evaluate((list) => list.innerHTML);
  const { page } = await open('search.htm');
  for (const query of ['print usi', 'type mismatch', 'sq', 'the end', 'loop']) {
    await page.locator('#q').fill('');
    await page.locator('#q').pressSequentially(query);
    await page.waitForFunction((q) => document.getElementById('status').textContent.includes(q), query);
    const fresh = await open('search.htm', { query: `?q=${encodeURIComponent(query)}` });
    await fresh.page.waitForFunction(() => /match|hold/.test(document.getElementById('status').textContent));
    await complete(page);
    await complete(fresh.page);
    assert.equal(await listed(page), await listed(fresh.page), query);
    await fresh.page.close();
  }
  await page.close();
});

test('Up and Down move through the results, and Enter opens one', async () => {
  const { page } = await open('search.htm');
  const expected = expectedResults('print');
  await search(page, 'print');
  const focused = () => page.evaluate(() =>
    document.activeElement.id || document.activeElement.getAttribute('href'));
  await page.keyboard.press('ArrowDown');
  assert.equal(await focused(), expected[0]);
  await page.keyboard.press('ArrowDown');
  await page.keyboard.press('ArrowDown');
  assert.equal(await focused(), expected[2]);
  await page.keyboard.press('ArrowUp');
  assert.equal(await focused(), expected[1]);
  await page.keyboard.press('ArrowUp');
  await page.keyboard.press('ArrowUp');
  assert.equal(await focused(), 'q');
  await page.keyboard.press('ArrowDown');
  await page.keyboard.press('ArrowDown');
  await page.keyboard.press('Enter');
  await page.waitForURL((address) => address.pathname.endsWith(`/${expected[1]}`));
  await page.close();
  // From "/", a query and Enter on another page, Down reaches the results
  // at once: the field has the focus.
  const topic = await open(pageOf('LOOP'));
  await topic.page.keyboard.press('/');
  await topic.page.keyboard.type('print');
  await topic.page.keyboard.press('Enter');
  await topic.page.waitForURL(/search\.htm\?q=print$/);
  await topic.page.waitForFunction(() => /match/.test(document.getElementById('status').textContent));
  assert.equal(await topic.page.evaluate(() => document.activeElement.id), 'q');
  await topic.page.keyboard.press('ArrowDown');
  assert.equal(await topic.page.evaluate(() => document.activeElement.getAttribute('href')),
    expected[0]);
  await topic.page.close();
});

test('every page has the search field: "/" reaches it, Enter opens the search page', async () => {
  for (const file of ['Index.htm', 'Topic0.htm', pageOf('Data Types')]) {
    const { page, problems } = await open(file);
    assert.equal(await page.locator('header #q').count(), 1, file);
    await page.keyboard.press('/');
    assert.equal(await page.evaluate(() => document.activeElement.id), 'q', file);
    // "/" only moves the cursor; in the field it is a character like any other.
    await page.keyboard.type('int 21,4c / x');
    assert.equal(await page.locator('#q').inputValue(), 'int 21,4c / x', file);
    await page.keyboard.press('Enter');
    await page.waitForURL(/search\.htm\?q=int\+21%2C4c\+%2F\+x$/);
    await page.waitForFunction(() => /topic/.test(document.getElementById('status').textContent));
    assert.equal(await page.locator('#q').inputValue(), 'int 21,4c / x', file);
    assert.deepEqual(problems, [], file);
    await page.close();
  }
});

test('only a search loads the search data, and only once', async () => {
  // Pages other than the search page never load it, even when their field is used.
  for (const file of ['Index.htm', 'Topic1.htm', pageOf('PRINT')]) {
    const { page } = await open(file);
    await page.keyboard.press('/');
    await page.keyboard.type('print');
    assert.ok(!page.requested.includes('search-index.js'), `${file}: ${page.requested}`);
    assert.ok(page.requested.includes('search.js'), `${file}: ${page.requested}`);
    await page.close();
  }
  // The search page loads it when the reader starts typing, and not again.
  const { page } = await open('search.htm');
  assert.ok(!page.requested.includes('search-index.js'), `${page.requested}`);
  assert.equal(await page.evaluate(() => 'marlixSearchData' in window), false);
  await page.locator('#q').pressSequentially('loop');
  await page.waitForFunction(() => /match/.test(document.getElementById('status').textContent));
  await page.locator('#q').fill('print');
  await page.waitForFunction(() => /\u201cprint\u201d/.test(document.getElementById('status').textContent));
  assert.equal(page.requested.filter((f) => f === 'search-index.js').length, 1);
  await page.close();
  // ... or at once when it opens with a query.
  const linked = await open('search.htm', { query: '?q=loop' });
  await linked.page.waitForFunction(() => /match/.test(document.getElementById('status').textContent));
  assert.equal(linked.page.requested.filter((f) => f === 'search-index.js').length, 1);
  await linked.page.close();
});

test('at most 100 results show at first, and a button shows the rest', async () => {
  // A reference of 130 topics that all say "common", written for this test.
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'marlix-many-'));
  let source = '@Many topics\r\n';
  for (let i = 0; i < 130; ++i) source += `:Topic ${i}\r\n Title ${i}\r\n Some common text.\r\n`;
  fs.mkdirSync(path.join(folder, 'source'));
  fs.writeFileSync(path.join(folder, 'source', 'MANY.TXT'), source, 'latin1');
  execFileSync(cli, ['--quiet', '--web', path.join(folder, 'source'), folder, 'site']);
  const many = path.join(folder, 'site');
  try {
    const { page } = await open('search.htm', { folder: many, query: '?q=common' });
    await page.waitForFunction(() => /match/.test(document.getElementById('status').textContent));
    assert.equal(await page.locator('#status').innerText(),
      '130 topics match \u201ccommon\u201d; the first 100 are shown.');
    await complete(page);
    assert.equal(await page.locator('#results > li').count(), 100);
    const more = page.locator('.more button');
    assert.equal(await more.innerText(), 'Show the other 30');
    // Down past the last result reaches the button.
    await page.locator('#results > li:last-child a').focus();
    await page.keyboard.press('ArrowDown');
    assert.equal(await page.evaluate(() => document.activeElement.tagName), 'BUTTON');
    await page.keyboard.press('Enter');
    const shown = await page.locator('#results > li a').allTextContents();
    assert.deepEqual(shown, Array.from({ length: 130 }, (_, i) => `Topic ${i}`));
    assert.equal(await more.isVisible(), false);
    assert.equal(await page.evaluate(() => document.activeElement.textContent), 'Topic 100');

    // Before the results past the first screenful are in the list, Down from
    // the last one there goes on to the next, and the button adds the rest
    // after them: all in one go, so that none comes in between.
    const early = await page.evaluate(() => {
      const field = document.getElementById('q');
      const list = document.getElementById('results');
      field.value = 'common text';
      field.dispatchEvent(new Event('input'));
      const before = list.children.length;
      list.lastElementChild.firstChild.focus();
      list.lastElementChild.dispatchEvent(new KeyboardEvent('keydown', { key: 'ArrowDown', bubbles: true }));
      const next = document.activeElement.textContent;
      field.value = 'common';
      field.dispatchEvent(new Event('input'));
      document.querySelector('.more button').click();
      return { before, next, all: Array.from(list.querySelectorAll('li a'), (a) => a.textContent) };
    });
    assert.ok(early.before < 100, `${early.before}`);
    assert.equal(early.next, `Topic ${early.before}`);
    assert.deepEqual(early.all, Array.from({ length: 130 }, (_, i) => `Topic ${i}`));
    await page.close();
  } finally {
    fs.rmSync(folder, { recursive: true, force: true });
  }
});

test('markup in the reference and in the query shows as text and runs nothing', async () => {
  const hostilePages = fs.readdirSync(hostileSite).filter((f) => f.endsWith('.htm')).sort();
  const hostile = readSearchData(hostileSite);
  const noScriptRan = (page) => page.evaluate(() => window.pwned === undefined &&
    document.querySelectorAll('main img, main svg, main script, main b b, main i').length === 0 &&
    document.querySelectorAll('header :is(img, svg, b), #toc :is(img, svg, script, b, i)').length === 0);
  await visitEach(hostilePages, { folder: hostileSite }, async (page, file, problems) => {
    assert.ok(await noScriptRan(page), file);
    assert.deepEqual(problems, [], file);
  });

  const { page, problems } = await open('search.htm', { folder: hostileSite });
  for (const query of ['img', 'script', 'onerror', '<b>', 'svg onload', '&amp;', '"', '\\']) {
    const found = await search(page, query);
    assert.deepEqual(found, expectedResults(query, hostile), query);
    assert.ok(found.length > 0, query);
    assert.ok(await noScriptRan(page), query);
  }
  await search(page, 'img');
  const first = page.locator('#results > li').first();
  assert.equal(await first.locator('a').innerText(), '<img src=x onerror=window.pwned=1>');
  assert.equal(await first.locator('.title').innerText(), '<script>window.pwned=3</script> title');
  assert.equal(await first.locator('.section').innerText(), ' \u2014 Hostile <b>section</b> & "quotes"');
  await search(page, 'svg');
  assert.match(await page.locator('.snippet').first().innerText(),
    /Mentions <svg onload=window.pwned=6> once, and "AH = 4C" too\./);
  assert.deepEqual(await search(page, 'AH = 4C'), [hostile[1].page]);
  // A query that is markup, typed and in the address.
  const typed = '<img src=x onerror=window.pwned=7><script>window.pwned=8</script>';
  await search(page, typed);
  assert.match(await page.locator('#status').innerText(), /No topic holds all of .<img src=x/);
  assert.ok(await noScriptRan(page));
  assert.deepEqual(problems, []);
  await page.close();

  const linked = await open('search.htm', { folder: hostileSite, query: `?q=${encodeURIComponent(typed)}` });
  await linked.page.waitForFunction(() => /topic/i.test(document.getElementById('status').textContent));
  assert.equal(await linked.page.locator('#q').inputValue(), typed);
  assert.ok(await noScriptRan(linked.page));
  assert.equal(await linked.page.evaluate(() => document.querySelectorAll('img, svg').length), 0);
  await linked.page.close();
});

test('a query of more words than count still finds the topic it was copied from', async () => {
  // The first 30 different words count; the rest still stand between them.
  const words = (text) => text.split(' ').filter((w) => /^[A-Za-z]+$/.test(w));
  const source = topics.find((topic) => new Set(words(topic.text)).size > 31);
  const query = words(source.text).slice(0, 60).join(' ');
  const { page, problems } = await open('search.htm');
  assert.ok((await search(page, query)).includes(source.page), query);
  assert.deepEqual(problems, []);
  await page.close();
});

test('with JavaScript off the search page says that it needs it', async () => {
  const browser = await chromium.launch({
    executablePath: '/usr/bin/chromium',
    args: ['--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
      '--disable-component-update', '--disable-sync'],
  });
  const off = await browser.newContext({ javaScriptEnabled: false });
  const page = await off.newPage();
  await page.goto(url('search.htm'));
  assert.match(await page.locator('#status').innerText(), /Search needs JavaScript/);
  await browser.close();
});

test("on a 360-pixel screen no page scrolls sideways, only a topic's text", async () => {
  await visitEach(pages, { viewport: { width: 360, height: 740 } }, async (page, file) => {
    const wide = await page.evaluate(() => {
      const root = document.documentElement;
      const out = [];
      if (root.scrollWidth > root.clientWidth) out.push(`page ${root.scrollWidth}`);
      for (const element of document.querySelectorAll('body *')) {
        if (element.parentElement.closest('.text')) continue;
        if (element.getBoundingClientRect().right > root.clientWidth + 0.5) {
          out.push(`${element.tagName} ${element.textContent.slice(0, 40)}`);
        }
      }
      return out;
    });
    assert.deepEqual(wide, [], file);
  });
});

test('dark and light colours follow the system, and print leaves out the navigation', async () => {
  const file = pageOf('Data Types');
  const background = async (colorScheme) => {
    const { page } = await open(file, { colorScheme });
    const colour = await page.evaluate(() => getComputedStyle(document.body).backgroundColor);
    await page.close();
    return colour;
  };
  const light = await background('light');
  const dark = await background('dark');
  assert.notEqual(light, dark);
  const luminance = (rgb) => rgb.match(/\d+/g).slice(0, 3).map(Number).reduce((a, b) => a + b);
  assert.ok(luminance(light) > 600 && luminance(dark) < 150, `${light} / ${dark}`);

  const { page } = await open(file);
  await page.emulateMedia({ media: 'print' });
  assert.equal(await page.locator('header').evaluate((e) => getComputedStyle(e).display), 'none');
  assert.equal(await page.locator('footer').evaluate((e) => getComputedStyle(e).display), 'none');
  assert.ok(await page.locator('.text').isVisible());
  await page.close();
});

const isForward = (file, folder = site) =>
  fs.readFileSync(path.join(folder, file), 'utf8').includes('http-equiv="refresh"');

test("the reference's name is the site's title, the contents' heading and every title's end",
  async () => {
    await visitEach(pages.filter((file) => !isForward(file)), {}, async (page, file) => {
      const title = await page.title();
      if (file === 'Index.htm') {
        assert.equal(title, siteName);
        assert.equal(await page.locator('h1').innerText(), siteName);
      } else {
        assert.ok(title.endsWith(` \u2014 ${siteName}`), `${file}: ${title}`);
      }
      assert.equal(await page.locator('header .site').innerText(), siteName, file);
    });
  });

test('the header is the same on every page, one row, at most 12% of a phone\'s height', async () => {
  const files = ['Index.htm', 'Topic0.htm', pageOf('Data Types'), 'search.htm'];
  for (const viewport of [{ width: 1280, height: 900 }, { width: 390, height: 844 }]) {
    const boxes = [];
    for (const file of files) {
      const { page } = await open(file, { viewport });
      const round = (box) => Object.values(box).map((v) => Math.round(v)).join(' ');
      boxes.push({
        header: round(await page.locator('body > header').boundingBox()),
        field: round(await page.locator('header #q').boundingBox()),
        main: Math.round((await page.locator('main').boundingBox()).y),
      });
      const height = (await page.locator('body > header').boundingBox()).height;
      if (viewport.width < 500) assert.ok(height <= 0.12 * viewport.height, `${file}: ${height}`);
      await page.close();
    }
    for (const [i, box] of boxes.entries()) assert.deepEqual(box, boxes[0], `${files[i]} ${viewport.width}`);
  }
});

// The left edge of the first text of a line that holds word, and of the
// line's first column, measured on the rendered text.
async function columnOf(page, word) {
  return page.evaluate((word) => {
    const text = document.querySelector('.text');
    for (const line of text.querySelectorAll(':scope > *, .table > *')) {
      const walker = document.createTreeWalker(line, NodeFilter.SHOW_TEXT);
      for (let node = walker.nextNode(); node; node = walker.nextNode()) {
        const at = node.data.indexOf(word);
        if (at < 0) continue;
        const range = document.createRange();
        range.setStart(node, at);
        range.setEnd(node, at + word.length);
        const box = range.getBoundingClientRect();
        // One column: the width of a digit of the same text.
        const probe = document.createElement('span');
        probe.textContent = '0'.repeat(10);
        line.appendChild(probe);
        const column = probe.getBoundingClientRect().width / 10;
        probe.remove();
        const start = line.getBoundingClientRect().left + parseFloat(getComputedStyle(line).paddingLeft);
        return { left: box.left, column: (box.left - start) / column };
      }
    }
    return null;
  }, word);
}

test("a heading's columns and its rows' columns line up, every tab at a multiple of 8", async () => {
  const hostile = readSearchData(hostileSite);
  const file = hostile.find((topic) => topic.names.includes('Columns')).page;
  for (const viewport of [{ width: 1280, height: 900 }, { width: 390, height: 844 }]) {
    const { page } = await open(file, { folder: hostileSite, viewport });
    const at = {};
    for (const word of ['Interrupt', 'Function', 'Divide', 'DOS', 'Plain topic ab', 'Named',
      'Shown text', 'A tilde', 'Plain topic']) {
      at[word] = await columnOf(page, word);
      assert.ok(at[word], word);
    }
    // Columns as a text screen shows them: "~" markup counts as what it shows.
    const columns = Object.fromEntries(Object.entries(at).map(([w, p]) => [w, Math.round(p.column * 100) / 100]));
    assert.deepEqual(columns, { Interrupt: 8, Function: 26, Divide: 16, DOS: 16, 'Plain topic ab': 8,
      Named: 24, 'Shown text': 24, 'A tilde': 16, 'Plain topic': 8 }, `${viewport.width}`);
    // Headings and rows side by side, on the screen.
    for (const [heading, row] of [['Interrupt', 'Plain topic ab'], ['Named', 'Shown text'],
      ['Plain topic', 'Plain topic ab'], ['Divide', 'A tilde']]) {
      assert.ok(Math.abs(at[heading].left - at[row].left) < 0.5, `${heading} / ${row}`);
    }
    await page.close();
  }
});

test('at 390 pixels no line of a topic wraps: the text scrolls sideways as one block', async () => {
  const viewport = { width: 390, height: 844 };
  const check = async (page, file) => {
    const result = await page.evaluate(() => {
      const text = document.querySelector('.text');
      const wrapped = [];
      for (const line of text.querySelectorAll(':scope > :not(.table), .table > *')) {
        const style = getComputedStyle(line);
        const height = line.getBoundingClientRect().height - parseFloat(style.paddingTop) -
          parseFloat(style.paddingBottom);
        if (height > 1.5 * parseFloat(style.lineHeight)) wrapped.push(line.textContent);
      }
      const root = document.documentElement;
      return { wrapped, page: root.scrollWidth - root.clientWidth, wide: text.scrollWidth > text.clientWidth };
    });
    assert.deepEqual(result.wrapped, [], file);
    assert.equal(result.page, 0, `${file}: the page scrolls sideways`);
    return result.wide;
  };
  let wide = 0;
  await visitEach(topicPages.filter((file) => !isForward(file)), { viewport }, async (page, file) => {
    if (await check(page, file)) ++wide;
  });
  assert.ok(wide > 5, `only ${wide} topics are wider than the screen`);

  // A line of 79 columns is there whole, and scrolling the block shows its end.
  const hostile = readSearchData(hostileSite);
  const { page } = await open(hostile.find((t) => t.names.includes('Columns')).page,
    { folder: hostileSite, viewport });
  assert.ok(await check(page, 'Columns'));
  const end = await page.evaluate(() => {
    const text = document.querySelector('.text');
    const line = [...text.children].find((l) => l.textContent.startsWith('0123'));
    text.scrollLeft = text.scrollWidth;
    const range = document.createRange();
    range.setStart(line.firstChild, line.firstChild.length - 1);
    range.setEnd(line.firstChild, line.firstChild.length);
    const last = range.getBoundingClientRect();
    const box = text.getBoundingClientRect();
    return { length: line.textContent.length, inside: last.left >= box.left && last.right <= box.right + 0.5,
      pageScrolled: window.scrollX };
  });
  assert.deepEqual(end, { length: 79, inside: true, pageScrolled: 0 });
  await page.close();
});

test('a bold heading line has room above it', async () => {
  let seen = 0;
  await visitEach(topicPages.filter((file) => !isForward(file)), {}, async (page, file) => {
    const gaps = await page.evaluate(() => [...document.querySelectorAll('.text > .b')]
      .filter((h) => h.previousElementSibling)
      .map((h) => h.getBoundingClientRect().top - h.previousElementSibling.getBoundingClientRect().bottom));
    for (const gap of gaps) assert.ok(gap >= 8, `${file}: ${gap}`);
    seen += gaps.length;
  });
  assert.ok(seen > 3, `${seen} headings`);
});

test('the contents beside the text mark the current topic in view; a button shows them on a phone',
  async () => {
    // The topic last in the longest section, on a screen too low for the whole list.
    const counts = topics.reduce((m, t) => m.set(t.section, (m.get(t.section) ?? 0) + 1), new Map());
    const longest = [...counts.entries()].sort((a, b) => b[1] - a[1])[0][0];
    const file = topics.filter((t) => t.section === longest).at(-1).page;
    const { page } = await open(file, { viewport: { width: 1280, height: 360 } });
    const toc = page.locator('#toc');
    assert.ok(await toc.isVisible());
    const current = toc.locator('a[aria-current=page]');
    assert.equal(await current.count(), 1);
    assert.equal(await current.getAttribute('href'), file);
    // Every section, and the topics of this one only.
    const sectionCount = (await open('Index.htm')).page;
    const sections = await sectionCount.locator('ul.sections > li').count();
    await sectionCount.close();
    assert.equal(await toc.locator(':scope > ul > li').count(), sections);
    assert.equal(await toc.locator('ul ul a').count(), counts.get(longest));
    // Beside the text, and the marked entry inside the list's view.
    const [tocBox, mainBox, currentBox] = await Promise.all([toc.boundingBox(), page.locator('main').boundingBox(), current.boundingBox()]);
    assert.ok(tocBox.x + tocBox.width <= mainBox.x, `${tocBox.x + tocBox.width} / ${mainBox.x}`);
    assert.ok(await toc.evaluate((nav) => nav.scrollTop > 0 && nav.scrollHeight > nav.clientHeight));
    assert.ok(currentBox.y >= tocBox.y && currentBox.y + currentBox.height <= tocBox.y + tocBox.height,
      `${JSON.stringify(currentBox)} in ${JSON.stringify(tocBox)}`);

    // The keyboard: first the link past the header, then the header, then the contents.
    await page.keyboard.press('Tab');
    assert.equal(await page.evaluate(() => document.activeElement.className), 'skip');
    assert.ok(await page.locator('.skip').isVisible());
    let reached = false;
    for (let i = 0; i < 6 && !reached; ++i) {
      await page.keyboard.press('Tab');
      reached = await page.evaluate(() => document.activeElement.closest('#toc') !== null);
    }
    assert.ok(reached, 'Tab does not reach the contents');
    await page.close();

    // On a phone they wait behind the header's button.
    const phone = await open(file, { viewport: { width: 390, height: 844 } });
    const button = phone.page.locator('header .toc-button');
    assert.equal(await phone.page.locator('#toc').isVisible(), false);
    assert.equal(await button.getAttribute('aria-expanded'), 'false');
    await button.click();
    assert.equal(await button.getAttribute('aria-expanded'), 'true');
    assert.ok(await phone.page.locator('#toc a[aria-current=page]').isVisible());
    await button.click();
    assert.equal(await phone.page.locator('#toc').isVisible(), false);
    await phone.page.close();

    // "Skip to text" leads past the header.
    const skip = await open('Topic0.htm');
    await skip.page.keyboard.press('Tab');
    await skip.page.keyboard.press('Enter');
    assert.match(skip.page.url(), /#text$/);
    await skip.page.close();
  });

test('axe finds nothing on the contents, a section, a topic and the search page, light and dark',
  async () => {
    for (const colorScheme of ['light', 'dark']) {
      for (const viewport of [{ width: 1280, height: 900 }, { width: 390, height: 844 }]) {
        for (const file of ['Index.htm', 'Topic0.htm', pageOf('Data Types'), 'search.htm']) {
          const query = file === 'search.htm' ? '?q=print' : undefined;
          const { page } = await open(file, { colorScheme, viewport, query });
          if (query) {
            await page.waitForFunction(() => /match/.test(document.getElementById('status').textContent));
          }
          if (viewport.width < 500) await page.locator('header .toc-button').click();
          await page.addScriptTag({ path: axeScript });
          const violations = await page.evaluate(async () => (await window.axe.run(document)).violations
            .map((v) => `${v.id}: ${v.nodes.map((n) => n.target.join(' ')).join(', ')}`));
          assert.deepEqual(violations, [], `${file}, ${colorScheme}, ${viewport.width}`);
          await page.close();
        }
      }
    }
  });

test('screenshots of a topic page: desktop and phone, light and dark', async () => {
  const shoot = async (file, name, viewport, colorScheme, query, folder) => {
    const { page } = await open(file, { viewport, colorScheme, query, folder });
    if (query) {
      await page.waitForFunction(() => /match/.test(document.getElementById('status').textContent));
    }
    const target = path.join(shots, `${name}.png`);
    await page.screenshot({ path: target, fullPage: true });
    assert.ok(fs.statSync(target).size > 5000, target);
    await page.close();
  };
  for (const [device, viewport] of [['desktop', { width: 1024, height: 640 }],
    ['phone', { width: 360, height: 740 }]]) {
    for (const colorScheme of ['light', 'dark']) {
      await shoot(pageOf('Character Set'), `topic-${device}-${colorScheme}`, viewport, colorScheme);
    }
  }
  await shoot('search.htm', 'search-phone-light', { width: 360, height: 740 }, 'light', '?q=str');
  await shoot('search.htm', 'search-text-desktop-dark', { width: 1024, height: 640 }, 'dark',
    '?q=type%20mismatch');
  await shoot('Index.htm', 'contents-desktop-light', { width: 1024, height: 640 }, 'light');
  await shoot(pageOf('Data Types'), 'topic-wide-light', { width: 1280, height: 800 }, 'light');
  const columns = readSearchData(hostileSite).find((t) => t.names.includes('Columns')).page;
  await shoot(columns, 'columns-desktop-light', { width: 1024, height: 640 }, 'light', undefined, hostileSite);
  await shoot(columns, 'columns-phone-dark', { width: 390, height: 844 }, 'dark', undefined, hostileSite);
});

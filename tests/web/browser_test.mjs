// The web edition of the sample reference in a real browser: Debian's
// chromium, headless, driven through playwright-core.
//
//   node browser_test.mjs SITE_FOLDER SCREENSHOT_FOLDER
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import vm from 'node:vm';
import { pathToFileURL } from 'node:url';
import { chromium } from 'playwright-core';

const [site, shots] = process.argv.slice(2);
assert.ok(site && shots, 'usage: browser_test.mjs SITE_FOLDER SCREENSHOT_FOLDER');
fs.mkdirSync(shots, { recursive: true });

const url = (file) => pathToFileURL(path.join(site, file)).href;
const pages = fs.readdirSync(site).filter((f) => f.endsWith('.htm')).sort();
const topicPages = pages.filter((f) => /^B\d+P\d+\.htm$/.test(f));

// The search index as the pages see it: sections and [name, section, page].
const searchIndex = (() => {
  const sandbox = { window: {} };
  vm.runInNewContext(fs.readFileSync(path.join(site, 'search-index.js'), 'utf8'), sandbox);
  return sandbox.window.marlixSearchIndex;
})();
const pageOf = (name) => searchIndex.names.find((entry) => entry[0] === name)[2];

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

// Opens file in a new tab and collects what goes wrong while it loads.
async function open(file, options = {}) {
  const page = await context.newPage();
  const problems = [];
  page.on('console', (message) => {
    if (message.type() === 'error' || message.type() === 'warning') {
      problems.push(`console ${message.type()}: ${message.text()}`);
    }
  });
  page.on('pageerror', (error) => problems.push(`script error: ${error.message}`));
  page.on('requestfailed', (request) => problems.push(`failed: ${request.url()}`));
  if (options.viewport) await page.setViewportSize(options.viewport);
  if (options.colorScheme) await page.emulateMedia({ colorScheme: options.colorScheme });
  await page.goto(url(file) + (options.query ?? ''), { waitUntil: 'load' });
  return { page, problems };
}

// Loads every file in turn in one tab and calls check(page, file, problems).
async function visitEach(files, options, check) {
  const { page, problems } = await open(files[0], options);
  for (const file of files) {
    problems.length = 0;
    await page.goto(url(file), { waitUntil: 'load' });
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
    const lines = await page.locator('.table').first().evaluate((table) =>
      [...table.children].map((line) => ({
        text: line.textContent,
        width: line.getBoundingClientRect().width,
        top: line.getBoundingClientRect().top,
        bottom: line.getBoundingClientRect().bottom,
      })));
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
    const indent = await page.locator('.table > *').first().evaluate(
      (line) => parseFloat(getComputedStyle(line).paddingLeft));
    assert.ok(Math.abs(lines[0].width - indent - probe) < 0.5, `${name}: ${lines[0].width} vs ${probe}`);
    await page.close();
  }
});

test('a "~" link leads to its topic, and a name no topic has stays bold', async () => {
  const { page } = await open(pageOf('Introduction'));
  await page.locator('main a', { hasText: 'Program Structure' }).first().click();
  await page.waitForLoadState('load');
  assert.equal(path.basename(new URL(page.url()).pathname), pageOf('Program Structure'));
  assert.equal(await page.title(), 'Program Structure');
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
  // Reading order: the pages of the search index in the order of first mention.
  const order = [...new Set(searchIndex.names.map((entry) => entry[2]))];
  assert.equal(order.length, topicPages.length);

  const index = await open('Index.htm');
  await index.page.locator('ul.sections a').first().click();
  await index.page.locator('ol.topics a').first().click();
  const page = index.page;
  const walked = [];
  for (;;) {
    walked.push(path.basename(new URL(page.url()).pathname));
    const previous = page.locator('header a[rel=prev]');
    if (walked.length === 1) {
      assert.equal(await previous.count(), 0, 'the first topic has no previous one');
    } else {
      assert.equal(await previous.getAttribute('href'), walked[walked.length - 2]);
    }
    const next = page.locator('header a[rel=next]');
    if ((await next.count()) === 0) break;
    await next.click();
    await page.waitForLoadState('load');
    assert.ok(walked.length <= order.length, 'the walk does not end');
  }
  assert.deepEqual(walked, order);
  // Up leads to the topic's section, home to the contents.
  await page.locator('header a[rel=up]').click();
  assert.match(page.url(), /Topic\d+\.htm$/);
  await page.locator('header a[rel=home]').click();
  assert.match(page.url(), /Index\.htm$/);
  await page.close();
});

test('search lists matching names with their section as you type, and opens them', async () => {
  const { page, problems } = await open('search.htm');
  await page.locator('#q').pressSequentially('loop');
  const results = page.locator('#results li');
  const texts = await results.allInnerTexts();
  assert.ok(texts.some((t) => /^LOOP\b.*Language Reference/.test(t)), texts.join(' | '));
  assert.ok(texts.some((t) => /^EXIT LOOP\b/.test(t)), texts.join(' | '));
  assert.ok(texts.every((t) => /loop/i.test(t.split(' \u2014 ')[0])), texts.join(' | '));
  await page.locator('#results a', { hasText: /^LOOP$/ }).click();
  await page.waitForLoadState('load');
  assert.equal(path.basename(new URL(page.url()).pathname), pageOf('LOOP'));
  assert.deepEqual(problems, []);
  await page.close();

  // A query in the address; letter case is ignored for a to z only.
  const linked = await open('search.htm', { query: '?q=print%20using' });
  assert.equal(await linked.page.locator('#q').inputValue(), 'print using');
  assert.deepEqual(await linked.page.locator('#results a').allInnerTexts(), ['PRINT USING']);
  await linked.page.close();

  // The field of the contents page leads to the search page with its query.
  const index = await open('Index.htm');
  await index.page.locator('#q').fill('sqr');
  await index.page.locator('#q').press('Enter');
  await index.page.waitForURL(/search\.htm\?q=sqr$/);
  assert.ok((await index.page.locator('#results a').allInnerTexts()).includes('SQR'));
  await index.page.close();
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

test('on a 360-pixel screen no page scrolls sideways except inside a drawing', async () => {
  await visitEach(pages, { viewport: { width: 360, height: 740 } }, async (page, file) => {
    const wide = await page.evaluate(() => {
      const root = document.documentElement;
      const out = [];
      if (root.scrollWidth > root.clientWidth) out.push(`page ${root.scrollWidth}`);
      for (const element of document.querySelectorAll('body *')) {
        if (element.closest('.table')) continue;
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

test('screenshots of a topic page: desktop and phone, light and dark', async () => {
  const shoot = async (file, name, viewport, colorScheme, query) => {
    const { page } = await open(file, { viewport, colorScheme, query });
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
  await shoot('Index.htm', 'contents-desktop-light', { width: 1024, height: 640 }, 'light');
});

#include "engine/web_assets.h"

namespace marlix {

const char kWebStyleSheet[] = R"css(/* Marlix reference, web edition */
:root {
  color-scheme: light dark;
  --bg: #fcfcfa;
  --fg: #1f2023;
  --muted: #5d6167;
  --link: #1f56b8;
  --visited: #6b3fb3;
  --rule: #d9dad5;
  --band: #eff0eb;
  --mark: #8a2c12;
}
@media (prefers-color-scheme: dark) {
  :root {
    --bg: #15171a;
    --fg: #e4e4e0;
    --muted: #a2a6ab;
    --link: #8fb6f9;
    --visited: #c6a6ff;
    --rule: #3b3e44;
    --band: #23262b;
    --mark: #f0a07e;
  }
}
*, *::before, *::after { box-sizing: border-box; }
html { -webkit-text-size-adjust: 100%; text-size-adjust: 100%; }
body {
  margin: 0;
  background: var(--bg);
  color: var(--fg);
  font: 16px/1.5 system-ui, -apple-system, "Segoe UI", Roboto, "DejaVu Sans", sans-serif;
}
header, main, footer { max-width: 54rem; margin: 0 auto; padding: 0 1rem; }
a { color: var(--link); }
a:visited { color: var(--visited); }
a:focus-visible, input:focus-visible { outline: 2px solid var(--link); outline-offset: 2px; }
nav ul {
  display: flex;
  flex-wrap: wrap;
  gap: 0.25rem 1.25rem;
  list-style: none;
  margin: 0;
  padding: 0.75rem 0;
}
header nav ul { border-bottom: 1px solid var(--rule); }
footer nav ul { border-top: 1px solid var(--rule); }
nav a { overflow-wrap: anywhere; }
h1 { font-size: 1.6rem; line-height: 1.25; margin: 1.25rem 0 0.75rem; overflow-wrap: anywhere; }
.count, .aka, .section, .status, .credit { color: var(--muted); }
.credit { font-size: 0.875rem; margin: 2rem 0 1rem; }
ul.sections, ol.topics, ol.results { padding-left: 1.5rem; }
ul.sections li, ol.topics li, ol.results li { margin: 0.25rem 0; overflow-wrap: anywhere; }
.find { display: flex; flex-wrap: wrap; gap: 0.5rem; align-items: center; margin: 1rem 0; }
.find input {
  flex: 1 1 12rem;
  min-width: 0;
  font: inherit;
  padding: 0.4rem 0.6rem;
  color: var(--fg);
  background: var(--bg);
  border: 1px solid var(--muted);
  border-radius: 4px;
}
.note { padding: 0.5rem 0.75rem; background: var(--band); border-left: 4px solid var(--mark); }

/* The text of a topic: every line keeps its columns, and a long one wraps. */
.text {
  font-family: "DejaVu Sans Mono", ui-monospace, "Cascadia Mono", Menlo, Consolas,
    "Liberation Mono", monospace;
  font-size: 0.9375rem;
  line-height: 1.4;
  margin: 1rem 0;
}
.text > *, .table > * {
  margin: 0;
  font: inherit;
  white-space: pre-wrap;
  overflow-wrap: anywhere;
}
.text .i { padding-left: 4ch; }
.text .c {
  margin: 0.4em 0;
  padding: 0.3em 0.5em;
  text-align: center;
  font-weight: bold;
  background: var(--band);
  border-radius: 4px;
}
.text .b { font-weight: bold; }
.text b { color: var(--mark); }
/* Lines drawn with box characters stay whole and scroll on a narrow screen. */
.text .table { white-space: normal; overflow-x: auto; line-height: 1.17; }
.text .table > * { width: max-content; white-space: pre; overflow-wrap: normal; }

@media print {
  header, footer, .find { display: none; }
  body { background: #fff; color: #000; font-size: 10pt; }
  main { max-width: none; padding: 0; }
  a, a:visited { color: inherit; text-decoration: none; }
  .text .c { background: none; border: 1px solid #999; }
  .text b { color: inherit; }
  .table { overflow: visible; }
}
)css";

const char kWebSearchScript[] = R"js(// Filters the topic names of search-index.js as the reader types.
(function () {
  'use strict';
  var MAX_SHOWN = 200;
  var data = window.marlixSearchIndex || { sections: [], names: [] };
  var field = document.getElementById('q');
  var list = document.getElementById('results');
  var status = document.getElementById('status');

  // Letter case is ignored for a to z only, as everywhere in the reference.
  function fold(text) {
    return text.replace(/[a-z]+/g, function (letters) { return letters.toUpperCase(); });
  }
  var folded = data.names.map(function (entry) { return fold(entry[0]); });

  function show(query) {
    list.textContent = '';
    var key = fold(query);
    if (key === '') {
      status.textContent = data.names.length + ' topic names. Type part of a name.';
      return;
    }
    var found = 0;
    for (var i = 0; i < data.names.length; ++i) {
      if (folded[i].indexOf(key) < 0) continue;
      ++found;
      if (found > MAX_SHOWN) continue;
      var entry = data.names[i];
      var item = document.createElement('li');
      var link = document.createElement('a');
      link.href = entry[2];
      link.textContent = entry[0];
      var section = document.createElement('span');
      section.className = 'section';
      section.textContent = ' \u2014 ' + (data.sections[entry[1]] || '');
      item.appendChild(link);
      item.appendChild(section);
      list.appendChild(item);
    }
    status.textContent = found === 0 ? 'No topic name contains \u201c' + query + '\u201d.'
        : found === 1 ? '1 topic name.'
        : found > MAX_SHOWN ? found + ' topic names; the first ' + MAX_SHOWN + ' are shown.'
        : found + ' topic names.';
  }

  function remember(query) {
    try {
      var url = location.pathname + (query ? '?q=' + encodeURIComponent(query) : '');
      history.replaceState(null, '', url);
    } catch (e) {
      // Some browsers keep the address of a local file fixed; search still works.
    }
  }

  var initial = new URLSearchParams(location.search).get('q') || '';
  field.value = initial;
  show(initial);
  field.addEventListener('input', function () {
    show(field.value);
    remember(field.value);
  });
  document.getElementById('find').addEventListener('submit', function (event) {
    event.preventDefault();
    show(field.value);
    remember(field.value);
  });
})();
)js";

}  // namespace marlix

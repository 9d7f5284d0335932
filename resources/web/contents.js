// The contents beside the text, on every page: the sections, and under the
// section of this page its topics, with this page marked. On a wide screen
// they stand at the left; on a narrow one a button in the header shows and
// hides them. The data comes first in this file: window.marlixContents, one
// array per section, [section page, title, page, name, page, name, ...], the
// texts HTML already (escaped where the conversion wrote them). A page works
// without this script: its header leads to the contents page.
(function () {
  'use strict';
  var sections = window.marlixContents;
  var header = document.querySelector('body > header');
  if (!sections || !header) return;
  var here = decodeURIComponent(location.pathname.replace(/^.*\//, ''));

  var current = -1;
  sections.forEach(function (section, i) {
    for (var at = 0; at < section.length; at += 2) {
      if (section[at] === here) current = i;
    }
  });
  var link = function (page, text) {
    return '<a href="' + page + '"' + (page === here ? ' aria-current="page"' : '') + '>' +
      text + '</a>';
  };
  var html = link('Index.htm', 'Contents') + '\n<ul>';
  sections.forEach(function (section, i) {
    html += '\n<li>' + link(section[0], section[1]);
    if (i === current && section.length > 2) {
      html += '\n<ul>';
      for (var at = 2; at < section.length; at += 2) {
        html += '\n<li>' + link(section[at], section[at + 1]) + '</li>';
      }
      html += '\n</ul>';
    }
    html += '</li>';
  });
  var nav = document.createElement('nav');
  nav.id = 'toc';
  nav.className = 'toc';
  nav.setAttribute('aria-label', 'Contents');
  nav.innerHTML = html + '\n</ul>';
  header.parentNode.insertBefore(nav, header.nextSibling);
  document.body.classList.add('has-toc');

  // Brings the marked entry into the middle of the list, scrolling the list
  // only (never the page).
  var reveal = function () {
    var marked = nav.querySelector('[aria-current]');
    if (!marked || nav.scrollHeight <= nav.clientHeight) return;
    var top = marked.getBoundingClientRect().top - nav.getBoundingClientRect().top;
    nav.scrollTop += top - nav.clientHeight / 3;
  };

  var button = document.createElement('button');
  button.type = 'button';
  button.className = 'toc-button';
  button.textContent = 'Contents';
  button.setAttribute('aria-controls', 'toc');
  button.setAttribute('aria-expanded', 'false');
  button.addEventListener('click', function () {
    var open = document.body.classList.toggle('toc-open');
    button.setAttribute('aria-expanded', open ? 'true' : 'false');
    if (open) reveal();
  });
  header.insertBefore(button, header.firstChild);
  reveal();
})();

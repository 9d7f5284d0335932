// Search of the web edition.
//
// On every page "/" puts the cursor in the search field of the header, and
// Enter there opens search.htm?q=... (the field's form does that by itself).
// On the search page the results follow the field as the reader types. They
// come from the search data, a script the page loads the first time it is
// needed (its name is the data-source of the results list), so that only a
// search pays for it.
//
// Nothing of the query or of the reference becomes markup: names, titles,
// snippets and the query are put into the page as text nodes, and the marks
// around the words found are elements made one by one.
(function () {
  'use strict';
  var field = document.getElementById('q');
  if (!field) return;

  function isTypingIn(target) {
    return Boolean(target) && (target.isContentEditable ||
        /^(INPUT|TEXTAREA|SELECT)$/.test(target.tagName));
  }
  document.addEventListener('keydown', function (event) {
    if (event.key !== '/' || event.ctrlKey || event.metaKey || event.altKey ||
        event.defaultPrevented || isTypingIn(event.target)) {
      return;
    }
    event.preventDefault();
    field.focus();
    field.select();
  });

  var list = document.getElementById('results');
  var status = document.getElementById('status');
  if (!list || !status) return;

  var MAX_SHOWN = 100;
  var SNIPPET_BEFORE = 20;   // characters of text shown before the first match
  var SNIPPET_LENGTH = 140;  // characters of text shown in all, about

  // The order of the results: a name that is the query, a name that starts
  // with it, a name that holds it, a title that holds every word, the rest.
  var NAME_IS = 0, NAME_STARTS = 1, NAME_HOLDS = 2, TITLE = 3, TEXT = 4;

  // Letter case is ignored for a to z only, as everywhere in the reference.
  // Both ways keep the length, so a place in the folded text is the same
  // place in the text.
  function fold(text) {
    if (!/[^\x00-\x7f]/.test(text)) return text.toUpperCase();
    return text.replace(/[a-z]+/g, function (letters) { return letters.toUpperCase(); });
  }

  // The query's words: split at blanks and at box-drawing characters, which
  // the search data leaves out of the text.
  function wordsOf(query) {
    return fold(query).split(/[\s\u2500-\u259f]+/).filter(function (word) {
      return word !== '';
    });
  }

  // The search data made ready for searching: each topic's text rebuilt from
  // its word codes, and folded copies of names, titles and texts.
  function prepare(data) {
    var finalValue = {};
    var moreValue = {};
    var i;
    for (i = 0; i < data.final.length; ++i) finalValue[data.final.charAt(i)] = i;
    for (i = 0; i < data.more.length; ++i) moreValue[data.more.charAt(i)] = i;
    // first[k]: the first number whose code has k more characters.
    var first = [0];
    var span = data.final.length;
    for (i = 1; i < 8; ++i) {
      first.push(first[i - 1] + span);
      span *= data.more.length;
    }
    var words = data.words === '' ? [] : data.words.split(' ');
    var foldedWords = words.map(fold);

    function decode(codes) {
      var numbers = [];
      var value = 0;
      var digits = 0;
      for (var at = 0; at < codes.length; ++at) {
        var c = codes.charAt(at);
        if (c in moreValue) {
          value = value * data.more.length + moreValue[c];
          ++digits;
          continue;
        }
        var number = first[digits] + value * data.final.length + finalValue[c];
        if (number < words.length) numbers.push(number);
        value = 0;
        digits = 0;
      }
      return numbers;
    }

    return data.topics.map(function (entry, order) {
      var numbers = decode(entry[3]);
      var names = entry.slice(4);
      return {
        order: order,
        page: entry[0],
        section: data.sections[entry[1]] || '',
        title: entry[2],
        titleKey: fold(entry[2]),
        names: names,
        nameKeys: names.map(fold),
        text: numbers.map(function (n) { return words[n]; }).join(' '),
        textKey: numbers.map(function (n) { return foldedWords[n]; }).join(' '),
      };
    });
  }

  function holdsWord(keys, word) {
    for (var i = 0; i < keys.length; ++i) {
      if (keys[i].indexOf(word) >= 0) return true;
    }
    return false;
  }

  // The name to show for a topic found by its title or text: the one that
  // holds the most words of the query, the first one on a tie.
  function bestName(topic, words) {
    var best = topic.names.length > 0 ? 0 : -1;
    var bestCount = 0;
    topic.nameKeys.forEach(function (name, i) {
      var count = words.filter(function (word) { return name.indexOf(word) >= 0; }).length;
      if (count > bestCount) {
        best = i;
        bestCount = count;
      }
    });
    return best;
  }

  // Every topic that holds every word, one result each, best first and in
  // reading order within a rank.
  function find(topics, words) {
    var whole = words.join(' ');
    var found = [];
    topics.forEach(function (topic) {
      var rank = TEXT + 1;
      var name = -1;
      for (var i = 0; i < topic.nameKeys.length; ++i) {
        var key = topic.nameKeys[i];
        if (key === whole) {
          rank = NAME_IS;
          name = i;
          break;
        }
        if (rank > NAME_STARTS && key.lastIndexOf(whole, 0) === 0) {
          rank = NAME_STARTS;
          name = i;
        } else if (rank > NAME_HOLDS && key.indexOf(whole) >= 0) {
          rank = NAME_HOLDS;
          name = i;
        }
      }
      if (rank > NAME_HOLDS) {
        var inTitle = true;
        for (var w = 0; w < words.length; ++w) {
          if (topic.titleKey.indexOf(words[w]) >= 0) continue;
          inTitle = false;
          if (topic.textKey.indexOf(words[w]) < 0 && !holdsWord(topic.nameKeys, words[w])) return;
        }
        rank = inTitle ? TITLE : TEXT;
        name = bestName(topic, words);
      }
      found.push({ topic: topic, rank: rank, name: name });
    });
    found.sort(function (a, b) { return a.rank - b.rank || a.topic.order - b.topic.order; });
    return found;
  }

  // Appends text to parent, each occurrence of a word of the query in a mark.
  function appendMarked(parent, text, words) {
    var key = fold(text);
    var spans = [];
    words.forEach(function (word) {
      for (var at = key.indexOf(word); at >= 0; at = key.indexOf(word, at + word.length)) {
        spans.push([at, at + word.length]);
      }
    });
    spans.sort(function (a, b) { return a[0] - b[0]; });
    var done = 0;
    var i = 0;
    while (i < spans.length) {
      var start = Math.max(spans[i][0], done);
      var end = spans[i][1];
      // Overlapping and touching matches make one mark.
      while (++i < spans.length && spans[i][0] <= end) end = Math.max(end, spans[i][1]);
      if (end <= done) continue;
      if (start > done) parent.appendChild(document.createTextNode(text.slice(done, start)));
      var mark = document.createElement('mark');
      mark.textContent = text.slice(start, end);
      parent.appendChild(mark);
      done = end;
    }
    if (done < text.length) parent.appendChild(document.createTextNode(text.slice(done)));
  }

  // A line of the topic's text around the first place that holds a word of
  // the query, from the start of a word; null when the text holds none.
  function snippet(topic, words) {
    var at = -1;
    words.forEach(function (word) {
      var here = topic.textKey.indexOf(word);
      if (here >= 0 && (at < 0 || here < at)) at = here;
    });
    if (at < 0) return null;
    var text = topic.text;
    var start = Math.max(0, at - SNIPPET_BEFORE);
    if (start > 0) {
      var blank = text.indexOf(' ', start - 1);
      if (blank >= 0 && blank < at) start = blank + 1;
    }
    var end = Math.min(text.length, start + SNIPPET_LENGTH);
    if (end < text.length) {
      var last = text.lastIndexOf(' ', end);
      if (last > at) end = last;
    }
    return (start > 0 ? '\u2026 ' : '') + text.slice(start, end) +
        (end < text.length ? ' \u2026' : '');
  }

  function resultItem(result, words) {
    var topic = result.topic;
    var item = document.createElement('li');
    var link = document.createElement('a');
    link.href = topic.page;
    link.textContent = result.name >= 0 ? topic.names[result.name] : topic.title || topic.page;
    item.appendChild(link);
    var section = document.createElement('span');
    section.className = 'section';
    section.textContent = ' \u2014 ' + topic.section;
    item.appendChild(section);
    if (topic.title !== '') {
      var title = document.createElement('span');
      title.className = 'title';
      if (result.rank >= TITLE) {
        appendMarked(title, topic.title, words);
      } else {
        title.textContent = topic.title;
      }
      item.appendChild(title);
    }
    if (result.rank === TEXT) {
      var line = snippet(topic, words);
      if (line !== null) {
        var text = document.createElement('span');
        text.className = 'snippet';
        appendMarked(text, line, words);
        item.appendChild(text);
      }
    }
    return item;
  }

  // The button that shows the results past the first MAX_SHOWN.
  var moreLine = document.createElement('p');
  moreLine.className = 'more';
  moreLine.hidden = true;
  var moreButton = document.createElement('button');
  moreButton.type = 'button';
  moreLine.appendChild(moreButton);
  list.parentNode.insertBefore(moreLine, list.nextSibling);
  var rest = [];
  var restWords = [];

  moreButton.addEventListener('click', function () {
    var firstNew = null;
    rest.forEach(function (result) {
      var item = list.appendChild(resultItem(result, restWords));
      firstNew = firstNew || item.firstChild;
    });
    rest = [];
    moreLine.hidden = true;
    if (firstNew) firstNew.focus();
  });

  function quoted(query) { return '\u201c' + query.trim() + '\u201d'; }

  function showResults(topics, query) {
    var words = wordsOf(query);
    list.textContent = '';
    rest = [];
    moreLine.hidden = true;
    if (words.length === 0) {
      status.textContent = 'Type a name, a title, or words of the text.';
      return;
    }
    var found = find(topics, words);
    found.slice(0, MAX_SHOWN).forEach(function (result) {
      list.appendChild(resultItem(result, words));
    });
    if (found.length === 0) {
      status.textContent = (words.length === 1 ? 'No topic holds ' : 'No topic holds all of ') +
          quoted(query) + ' in its names, its title or its text.';
    } else if (found.length === 1) {
      status.textContent = '1 topic matches ' + quoted(query) + '.';
    } else if (found.length <= MAX_SHOWN) {
      status.textContent = found.length + ' topics match ' + quoted(query) + '.';
    } else {
      status.textContent = found.length + ' topics match ' + quoted(query) + '; the first ' +
          MAX_SHOWN + ' are shown.';
      rest = found.slice(MAX_SHOWN);
      restWords = words;
      moreButton.textContent = 'Show the other ' + rest.length;
      moreLine.hidden = false;
    }
  }

  // The search data, loaded once and then kept.
  var topics = null;
  var loading = false;
  function withData(then) {
    if (topics) {
      then();
      return;
    }
    if (loading) return;
    loading = true;
    status.textContent = 'Loading the search data\u2026';
    var script = document.createElement('script');
    script.src = list.getAttribute('data-source');
    script.onload = function () {
      if (!window.marlixSearchData) {
        script.onerror();
        return;
      }
      topics = prepare(window.marlixSearchData);
      window.marlixSearchData = null;
      then();
    };
    script.onerror = function () {
      status.textContent = 'The search data (' + list.getAttribute('data-source') +
          ') could not be loaded. Every topic can be reached from the contents.';
    };
    document.head.appendChild(script);
  }

  function update() {
    if (wordsOf(field.value).length === 0) {
      showResults([], field.value);
      return;
    }
    // The field as it is once the data is there, not as it was when asked for.
    withData(function () { showResults(topics, field.value); });
  }

  function remember(query) {
    try {
      history.replaceState(null, '', location.pathname +
          (query ? '?q=' + encodeURIComponent(query) : ''));
    } catch (e) {
      // Some browsers keep the address of a local file fixed; search still works.
    }
  }

  field.addEventListener('input', function () {
    update();
    remember(field.value);
  });
  field.form.addEventListener('submit', function (event) {
    event.preventDefault();
    update();
    remember(field.value);
  });

  // Down from the field goes to the first result; Up and Down move through
  // the results (and Up from the first back to the field); Enter opens the
  // result that has the focus, as on any link.
  field.addEventListener('keydown', function (event) {
    if (event.key !== 'ArrowDown') return;
    var firstLink = list.querySelector('li > a');
    if (!firstLink) return;
    event.preventDefault();
    firstLink.focus();
  });
  list.addEventListener('keydown', function (event) {
    if (event.key !== 'ArrowDown' && event.key !== 'ArrowUp') return;
    var links = Array.prototype.slice.call(list.querySelectorAll('li > a'));
    var at = links.indexOf(document.activeElement);
    if (at < 0) return;
    event.preventDefault();
    if (event.key === 'ArrowUp') {
      (at > 0 ? links[at - 1] : field).focus();
    } else if (at + 1 < links.length) {
      links[at + 1].focus();
    } else if (!moreLine.hidden) {
      moreButton.focus();
    }
  });

  var initial = new URLSearchParams(location.search).get('q') || '';
  field.value = initial;
  update();
  if (initial === '') field.focus();
})();

// Search of the web edition.
//
// On every page "/" puts the cursor in the search field of the header, and
// Enter there opens search.htm?q=... (the field's form does that by itself).
// On the search page the results follow the field as the reader types. They
// come from the search data, a script the page loads the first time it is
// needed (its name is the data-source of the results list), so that only a
// search pays for it.
//
// The data holds an index written by the converter: the sorted table of the
// reference's tokens and, for each, the topics that hold it, in a name, in
// the title or so many times in the text. A query is cut into tokens the same
// way and looked up there; a topic's text is decoded only to show it.
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
  var SNIPPET_BEFORE = 20;   // characters of text shown before the best passage
  var SNIPPET_LENGTH = 140;  // characters of text shown in all, about
  var MAX_WORDS = 30;        // the words of a query that count

  // Ranking. A topic's score is the sum, over the query's words, of the best
  // BM25 weight of the tokens the word matches, scaled by how it matches; a
  // name or the title holding a token counts as that many uses in the text.
  var K1 = 1.2;
  var B = 0.75;
  var NAME_USES = 5;
  var TITLE_USES = 3;
  var EXACT = 1;
  var PREFIX = 0.7;    // the last word as the start of a token
  var ONE_EDIT = 0.5;  // a word of five letters or more, spelt one edit away
  var INSIDE = 0.3;    // a word inside a token
  // The score grows by this share when every two words that follow each
  // other in the query stand next to each other in a name, the title or the
  // text (and by a part of it for some of them).
  var ADJACENT = 0.5;

  // Letter case is ignored for a to z only, as everywhere in the reference.
  function fold(text) {
    if (!/[^\x00-\x7f]/.test(text)) return text.toUpperCase();
    return text.replace(/[a-z]+/g, function (letters) { return letters.toUpperCase(); });
  }

  // Tokens, as the converter cuts them: a run of word characters (0-9, A-Z,
  // a-z and the data's "letters") or a run of other characters; blanks and
  // box drawing are gaps. A token is compared folded, hex numbers bare
  // ("10h" and "0x10" as "10").
  var tokenPattern = null;
  function useLetters(letters) {
    var word = '0-9A-Za-z' + letters.replace(/[\\\]\^\-]/g, '\\$&');
    tokenPattern = new RegExp('([' + word + ']+)|[^\\s\\u2500-\\u259f' + word + ']+', 'g');
  }
  // A folded token with a hex number bare.
  function bare(token) {
    if (token.charCodeAt(token.length - 1) === 72 && /^[0-9][0-9A-F]*H$/.test(token)) {
      return token.slice(0, -1);
    }
    if (token.charCodeAt(0) === 48 && /^0X[0-9A-F]+$/.test(token)) return token.slice(2);
    return token;
  }
  // The tokens of text: {key, start, end, word} each. Folding keeps the
  // length, so a place in the folded text is the same place in the text.
  function tokensOf(text) {
    var out = [];
    var folded = fold(text);
    tokenPattern.lastIndex = 0;
    for (var m = tokenPattern.exec(folded); m; m = tokenPattern.exec(folded)) {
      out.push({ key: bare(m[0]), start: m.index, end: m.index + m[0].length,
        word: m[1] !== undefined, match: -1 });
    }
    return out;
  }
  // The tokens that count of text: its word tokens, or its sign tokens when
  // it holds no word (signs is true then).
  function cut(text) {
    var tokens = tokensOf(text);
    var words = tokens.filter(function (t) { return t.word; });
    return {
      keys: (words.length > 0 ? words : tokens).map(function (t) { return t.key; }),
      signs: words.length === 0,
    };
  }

  function decoderOf(data) {
    // kind[c]: for the character code c, its value + 1 as a final character,
    // -(value + 1) as a "more" character, 0 when it is neither.
    var kind = new Int32Array(65536);
    var i;
    for (i = data.more.length - 1; i >= 0; --i) kind[data.more.charCodeAt(i)] = -(i + 1);
    for (i = data.final.length - 1; i >= 0; --i) kind[data.final.charCodeAt(i)] = i + 1;
    var finals = data.final.length;
    var mores = data.more.length;
    // first[k]: the first number whose code has k more characters.
    var first = [0];
    var span = finals;
    for (i = 1; i < 8; ++i) {
      first.push(first[i - 1] + span);
      span *= mores;
    }
    return function (codes) {
      var numbers = [];
      var value = 0;
      var digits = 0;
      for (var at = 0; at < codes.length; ++at) {
        var k = kind[codes.charCodeAt(at)];
        if (k < 0) {
          value = value * mores - k - 1;
          ++digits;
          continue;
        }
        numbers.push(first[digits] + value * finals + (k > 0 ? k - 1 : NaN));
        value = 0;
        digits = 0;
      }
      return numbers;
    };
  }

  // The search data made ready for searching. Nothing is decoded here but
  // the lengths.
  function prepare(data) {
    useLetters(data.letters || '');
    var decode = decoderOf(data);
    var words = data.words === '' ? [] : data.words.split(' ');
    var tokens = data.tokens ? data.tokens.split(' ') : [];
    var postings = data.tokens ? data.postings.split(' ') : [];
    // Where each token starts in data.tokens, for matches inside tokens.
    var starts = new Int32Array(tokens.length + 1);
    for (var i = 0; i < tokens.length; ++i) starts[i + 1] = starts[i] + tokens[i].length + 1;
    var lengths = decode(data.lengths || '');
    var total = 0;
    lengths.forEach(function (length) { total += length; });
    var topics = data.topics.map(function (entry, order) {
      var names = entry.slice(4);
      return {
        order: order,
        page: entry[0],
        section: data.sections[entry[1]] || '',
        title: entry[2],
        codes: entry[3],
        names: names,
        nameKeys: null,  // made when first needed
        titleTokens: null,  // the tokens of the title and of each name,
        nameTokens: null,   // made when the topic is first shown
        length: lengths[order] || 0,
      };
    });
    return {
      topics: topics,
      tokens: tokens,
      tokenText: data.tokens || '',
      starts: starts,
      postings: postings,
      parsed: [],
      averageLength: topics.length > 0 ? Math.max(1, total / topics.length) : 1,
      // A topic's text as shown: its word codes decoded, joined by blanks.
      textOf: function (topic) {
        return decode(topic.codes).map(function (n) { return words[n] || ''; }).join(' ');
      },
      decode: decode,
    };
  }

  // Token i's postings, decoded once: the topics that hold it and where.
  function postingsOf(index, i) {
    var done = index.parsed[i];
    if (done) return done;
    var numbers = index.decode(index.postings[i]);
    var topics = [];
    var where = [];
    var topic = 0;
    for (var k = 0; k + 1 < numbers.length; k += 2) {
      topic += numbers[k];
      topics.push(topic);
      where.push(numbers[k + 1]);
    }
    done = { topics: topics, where: where };
    index.parsed[i] = done;
    return done;
  }

  // The first token not below key in the sorted table.
  function lowerBound(tokens, key) {
    var low = 0;
    var high = tokens.length;
    while (low < high) {
      var mid = (low + high) >> 1;
      if (tokens[mid] < key) low = mid + 1; else high = mid;
    }
    return low;
  }

  function withinOneEdit(a, b) {
    if (Math.abs(a.length - b.length) > 1) return false;
    var i = 0;
    while (i < a.length && i < b.length && a.charAt(i) === b.charAt(i)) ++i;
    var restA = a.length - i;
    var restB = b.length - i;
    if (restA === restB) return a.slice(i + 1) === b.slice(i + 1);  // one changed
    return restA > restB ? a.slice(i + 1) === b.slice(i) : a.slice(i) === b.slice(i + 1);
  }

  // The tokens word matches, as [token number, weight]: the token that is
  // the word; for the last word of three characters or more the tokens it
  // starts; for a word of three or more the tokens that hold it further in;
  // for a word of five or more with no token that is it or starts with it,
  // the tokens one edit away.
  function matchesOf(index, word, last) {
    var tokens = index.tokens;
    var out = [];
    var taken = {};
    function take(i, weight) {
      if (taken[i]) return;
      taken[i] = true;
      out.push([i, weight]);
    }
    var at = lowerBound(tokens, word);
    if (at < tokens.length && tokens[at] === word) take(at, EXACT);
    if (last && word.length >= 3) {
      for (var p = at; p < tokens.length && tokens[p].lastIndexOf(word, 0) === 0; ++p) take(p, PREFIX);
    }
    if (out.length === 0 && word.length >= 5) {
      for (var f = 0; f < tokens.length; ++f) {
        if (tokens[f] !== word && withinOneEdit(tokens[f], word)) take(f, ONE_EDIT);
      }
    }
    if (word.length >= 3) {
      var text = index.tokenText;
      var starts = index.starts;
      for (var hit = text.indexOf(word); hit >= 0; hit = text.indexOf(word, hit + 1)) {
        var t = lowerBound(starts, hit + 1) - 1;  // the token the hit lies in
        if (hit > starts[t]) {
          take(t, INSIDE);
          hit = starts[t + 1] - 1;  // on to the next token
        }
      }
    }
    return out;
  }

  // The topics with a name that is the query's tokens (0) or starts with
  // them (1), as an object. Such a name holds the query's first token (or,
  // for a query of one token, a token that starts with it), so only the
  // topics with that in a name are looked at.
  function nameRanksOf(index, keys) {
    var whole = keys.join(' ');
    var ranks = {};
    var tokens = index.tokens;
    var first = keys[0];
    for (var i = lowerBound(tokens, first); i < tokens.length &&
         (keys.length === 1 ? tokens[i].lastIndexOf(first, 0) === 0 : tokens[i] === first); ++i) {
      var postings = postingsOf(index, i);
      for (var k = 0; k < postings.topics.length; ++k) {
        if ((postings.where[k] & 1) === 0) continue;
        var topic = index.topics[postings.topics[k]];
        if (!topic.nameKeys) {
          topic.nameKeys = topic.names.map(function (name) { return cut(name).keys.join(' '); });
        }
        var rank = 2;
        for (var n = 0; n < topic.nameKeys.length && rank > 0; ++n) {
          if (topic.nameKeys[n] === whole) rank = 0;
          else if (topic.nameKeys[n].lastIndexOf(whole, 0) === 0) rank = 1;
        }
        if (rank < 2) ranks[topic.order] = rank;
      }
    }
    return ranks;
  }

  function bitCount(bits) {
    var count = 0;
    for (; bits; bits &= bits - 1) ++count;
    return count;
  }

  // Scores within a millionth of each other are a tie, settled by reading
  // order: sums of the same terms in another order differ in the last bits.
  function compareResults(a, b) {
    if (a.rank !== b.rank) return a.rank - b.rank;
    if (Math.abs(a.score - b.score) > 1e-6 * Math.max(a.score, b.score)) return b.score - a.score;
    return a.topic.order - b.topic.order;
  }

  // The results of a query, best first: {words, found, allButOne}. A name
  // that is the query (compared as tokens) comes first, then names that start
  // with it; then the topics that hold every word (or, when none does, every
  // word but one) by score.
  function find(index, text) {
    var query = cut(text);
    var keys = query.keys;
    var words = [];
    keys.forEach(function (key) {
      if (words.indexOf(key) < 0 && words.length < MAX_WORDS) words.push(key);
    });
    // matched[w]: the tokens word w matches, as keys of an object.
    var result = { words: words, keys: keys, signs: query.signs, found: [], allButOne: false,
      matched: [] };
    if (words.length === 0) return result;
    var topics = index.topics;
    var count = topics.length;
    var best = words.map(function () { return new Float64Array(count); });
    var held = new Int32Array(count);
    var touched = [];  // the topics that hold a word, once each
    var averageLength = index.averageLength;

    words.forEach(function (word, w) {
      var matches = matchesOf(index, word, w === words.length - 1);
      var matched = {};
      result.matched.push(matched);
      matches.forEach(function (match) {
        matched[index.tokens[match[0]]] = true;
        var postings = postingsOf(index, match[0]);
        var df = postings.topics.length;
        var idf = Math.log(1 + (count - df + 0.5) / (df + 0.5));
        for (var k = 0; k < df; ++k) {
          var t = postings.topics[k];
          var where = postings.where[k];
          var uses = (where >> 2) + (where & 1) * NAME_USES + ((where >> 1) & 1) * TITLE_USES;
          var norm = K1 * (1 - B + B * topics[t].length / averageLength);
          var score = match[1] * idf * uses * (K1 + 1) / (uses + norm);
          if (score > best[w][t]) best[w][t] = score;
          if (held[t] === 0) touched.push(t);
          held[t] |= 1 << w;
        }
      });
    });

    var nameRanks = nameRanksOf(index, keys);
    var all = (1 << words.length) - 1;
    Object.keys(nameRanks).forEach(function (t) {
      if (held[t] === 0) touched.push(Number(t));
      held[t] = all;
    });
    var most = 0;
    var ranked = [];
    for (var i = 0; i < touched.length; ++i) {
      var t = touched[i];
      var topic = topics[t];
      var rank = t in nameRanks ? nameRanks[t] : 2;
      var holds = bitCount(held[t]);
      if (holds > most) most = holds;
      var score = 0;
      for (var w = 0; w < words.length; ++w) score += best[w][t];
      ranked.push({ topic: topic, rank: rank, holds: holds, score: score });
    }
    var needed = most === words.length ? most : words.length - 1;
    if (needed === 0 || most < needed) return result;
    result.allButOne = needed < words.length;
    result.found = ranked.filter(function (r) { return r.holds === needed; });
    result.found.sort(compareResults);
    return result;
  }

  // Which word of the query a token key matches, or -1.
  function wordOf(result, key) {
    for (var w = 0; w < result.matched.length; ++w) {
      if (result.matched[w][key] === true) return w;
    }
    return -1;
  }

  // The tokens of text that count for the query (of the query's kind: words,
  // or signs for a query of signs), each with the word it matches or -1.
  // text: a string, or its tokens.
  function countingTokens(result, text) {
    var tokens = typeof text === 'string' ? tokensOf(text) : text;
    var out = [];
    for (var i = 0; i < tokens.length; ++i) {
      var t = tokens[i];
      if (t.word === result.signs) continue;
      t.match = wordOf(result, t.key);
      out.push(t);
    }
    return out;
  }

  // How many of the query's pairs of following words stand next to each
  // other in one of texts.
  function adjacentPairs(result, texts) {
    var keys = result.keys;
    var pairs = 0;
    for (var k = 0; k + 1 < keys.length; ++k) {
      var a = result.words.indexOf(keys[k]);
      var b = result.words.indexOf(keys[k + 1]);
      var found = texts.some(function (tokens) {
        for (var i = 0; i + 1 < tokens.length; ++i) {
          if (result.matched[a][tokens[i].key] === true &&
              result.matched[b][tokens[i + 1].key] === true) {
            return true;
          }
        }
        return false;
      });
      if (found) ++pairs;
    }
    return pairs;
  }

  // A topic's text and its tokens, kept for the topics shown lately: while
  // the reader types, most of the results shown stay the same.
  var decodedCount = 0;
  var decodedTopics = [];
  function decodedText(index, topic) {
    if (topic.decoded) return topic.decoded;
    if (decodedCount >= 1000) {
      decodedTopics.forEach(function (t) { t.decoded = null; });
      decodedTopics = [];
      decodedCount = 0;
    }
    var text = index.textOf(topic);
    topic.decoded = { text: text, tokens: tokensOf(text) };
    decodedTopics.push(topic);
    ++decodedCount;
    return topic.decoded;
  }

  // The tokens of a topic's title and of its names, cut once: every keystroke
  // that shows the topic marks and weighs them again.
  function titleTokens(topic) {
    if (!topic.titleTokens) topic.titleTokens = tokensOf(topic.title);
    return topic.titleTokens;
  }
  function nameTokens(topic) {
    if (!topic.nameTokens) topic.nameTokens = topic.names.map(tokensOf);
    return topic.nameTokens;
  }

  // Decodes the text of the results to be shown, adds the adjacency bonus
  // and sorts them again.
  function prepareShown(index, result, shown) {
    shown.forEach(function (r) {
      var decoded = decodedText(index, r.topic);
      r.text = decoded.text;
      r.textTokens = countingTokens(result, decoded.tokens);
      if (result.keys.length < 2) return;
      var texts = [r.textTokens, countingTokens(result, titleTokens(r.topic))];
      nameTokens(r.topic).forEach(function (tokens) { texts.push(countingTokens(result, tokens)); });
      r.score *= 1 + ADJACENT * adjacentPairs(result, texts) / (result.keys.length - 1);
    });
    shown.sort(compareResults);
  }

  // Appends text to parent, each of its tokens that matches a word of the
  // query in a mark.
  function appendMarked(parent, text, tokens, result) {
    var done = 0;
    countingTokens(result, tokens).forEach(function (t) {
      if (t.match < 0) return;
      if (t.start > done) parent.appendChild(document.createTextNode(text.slice(done, t.start)));
      var mark = document.createElement('mark');
      mark.textContent = text.slice(t.start, t.end);
      parent.appendChild(mark);
      done = t.end;
    });
    if (done < text.length) parent.appendChild(document.createTextNode(text.slice(done)));
  }

  // The passage of the text with the most different words of the query
  // (then the most matches) within a snippet's length, from the start of a
  // word, appended to parent with the words marked; false when the text
  // holds none.
  function appendSnippet(parent, r) {
    var hits = r.textTokens.filter(function (t) { return t.match >= 0; });
    if (hits.length === 0) return false;
    var bestStart = 0;
    var bestValue = -1;
    for (var a = 0; a < hits.length; ++a) {
      var seen = {};
      var different = 0;
      var b = a;
      for (; b < hits.length && hits[b].end - hits[a].start <= SNIPPET_LENGTH - SNIPPET_BEFORE; ++b) {
        if (!seen[hits[b].match]) {
          seen[hits[b].match] = true;
          ++different;
        }
      }
      var value = different * 1000 + (b - a);
      if (value > bestValue) {
        bestValue = value;
        bestStart = hits[a].start;
      }
    }
    var text = r.text;
    var start = Math.max(0, bestStart - SNIPPET_BEFORE);
    if (start > 0) {
      var blank = text.indexOf(' ', start - 1);
      if (blank >= 0 && blank < bestStart) start = blank + 1;
    }
    var end = Math.min(text.length, start + SNIPPET_LENGTH);
    if (end < text.length) {
      var lastBlank = text.lastIndexOf(' ', end);
      if (lastBlank > bestStart) end = lastBlank;
    }
    var done = start;
    if (start > 0) parent.appendChild(document.createTextNode('\u2026 '));
    hits.forEach(function (t) {
      if (t.start < start || t.end > end) return;
      if (t.start > done) parent.appendChild(document.createTextNode(text.slice(done, t.start)));
      var mark = document.createElement('mark');
      mark.textContent = text.slice(t.start, t.end);
      parent.appendChild(mark);
      done = t.end;
    });
    parent.appendChild(document.createTextNode(text.slice(done, end) +
        (end < text.length ? ' \u2026' : '')));
    return true;
  }

  // The name to show: the one that holds the most words of the query, the
  // first one on a tie.
  function bestName(topic, result) {
    var best = topic.names.length > 0 ? 0 : -1;
    var bestCount = 0;
    nameTokens(topic).forEach(function (tokens, i) {
      var count = countingTokens(result, tokens).filter(function (t) { return t.match >= 0; }).length;
      if (count > bestCount) {
        best = i;
        bestCount = count;
      }
    });
    return best;
  }

  function resultItem(r, result) {
    var topic = r.topic;
    var item = document.createElement('li');
    var link = document.createElement('a');
    link.href = topic.page;
    var name = bestName(topic, result);
    if (name >= 0) {
      appendMarked(link, topic.names[name], nameTokens(topic)[name], result);
    } else {
      link.textContent = topic.title || topic.page;
    }
    item.appendChild(link);
    var section = document.createElement('span');
    section.className = 'section';
    section.textContent = ' \u2014 ' + topic.section;
    item.appendChild(section);
    if (topic.title !== '') {
      var title = document.createElement('span');
      title.className = 'title';
      appendMarked(title, topic.title, titleTokens(topic), result);
      item.appendChild(title);
    }
    var text = document.createElement('span');
    text.className = 'snippet';
    if (appendSnippet(text, r)) item.appendChild(text);
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
  var restResult = null;

  // The search data, loaded once and then kept.
  var index = null;
  var loading = false;

  moreButton.addEventListener('click', function () {
    var firstNew = null;
    prepareShown(index, restResult, rest);
    rest.forEach(function (r) {
      var item = list.appendChild(resultItem(r, restResult));
      firstNew = firstNew || item.firstChild;
    });
    rest = [];
    moreLine.hidden = true;
    if (firstNew) firstNew.focus();
  });

  function quoted(query) { return '\u201c' + query.trim() + '\u201d'; }

  function topicsText(count) { return count === 1 ? '1 topic' : count + ' topics'; }

  function showResults(query) {
    list.textContent = '';
    rest = [];
    moreLine.hidden = true;
    var result = index ? find(index, query) : { words: [], found: [] };
    if (result.words.length === 0) {
      status.textContent = 'Type a name, a title, or words of the text.';
      return;
    }
    var found = result.found;
    var shown = found.slice(0, MAX_SHOWN);
    prepareShown(index, result, shown);
    var items = document.createDocumentFragment();
    shown.forEach(function (r) { items.appendChild(resultItem(r, result)); });
    list.appendChild(items);
    var firstShown = found.length > MAX_SHOWN ? '; the first ' + MAX_SHOWN + ' are shown.' : '.';
    if (found.length === 0) {
      status.textContent = (result.words.length === 1 ? 'No topic holds ' : 'No topic holds all of ') +
          quoted(query) + ' in its names, its title or its text.';
    } else if (result.allButOne) {
      status.textContent = 'No topic holds all of ' + quoted(query) + '; ' +
          topicsText(found.length) + (found.length === 1 ? ' holds' : ' hold') +
          ' all its words but one' + firstShown;
    } else {
      status.textContent = topicsText(found.length) + (found.length === 1 ? ' matches ' : ' match ') +
          quoted(query) + firstShown;
    }
    if (found.length > MAX_SHOWN) {
      rest = found.slice(MAX_SHOWN);
      restResult = result;
      moreButton.textContent = 'Show the other ' + rest.length;
      moreLine.hidden = false;
    }
  }

  function withData(then) {
    if (index) {
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
      index = prepare(window.marlixSearchData);
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
    if (!/[^\s\u2500-\u259f]/.test(field.value)) {
      list.textContent = '';
      rest = [];
      moreLine.hidden = true;
      status.textContent = 'Type a name, a title, or words of the text.';
      return;
    }
    // The field as it is once the data is there, not as it was when asked for.
    withData(function () { showResults(field.value); });
  }

  // The address follows the query once the reader pauses (or leaves the
  // page): changing it costs the browser several milliseconds, too much for
  // every keystroke.
  var REMEMBER_AFTER = 300;  // milliseconds without a keystroke
  var rememberTimer = 0;
  function rememberSoon() {
    clearTimeout(rememberTimer);
    rememberTimer = setTimeout(rememberNow, REMEMBER_AFTER);
  }
  function rememberNow() {
    clearTimeout(rememberTimer);
    rememberTimer = 0;
    var query = field.value;
    try {
      history.replaceState(null, '', location.pathname +
          (query ? '?q=' + encodeURIComponent(query) : ''));
    } catch (e) {
      // Some browsers keep the address of a local file fixed; search still works.
    }
  }

  field.addEventListener('input', function () {
    update();
    rememberSoon();
  });
  field.form.addEventListener('submit', function (event) {
    event.preventDefault();
    update();
    rememberNow();
  });
  // Before the reader goes to a result (or away), the address gets the query
  // at once, so that Back comes back to it.
  function rememberPending() {
    if (rememberTimer) rememberNow();
  }
  list.addEventListener('focusin', rememberPending);
  list.addEventListener('click', rememberPending);
  window.addEventListener('pagehide', rememberPending);

  // Down from the field (or from nowhere in particular) goes to the first
  // result; Up and Down move through the results (and Up from the first back
  // to the field); Enter opens the result that has the focus, as on any link.
  document.addEventListener('keydown', function (event) {
    if (event.key !== 'ArrowDown' || event.defaultPrevented ||
        (event.target !== field && event.target !== document.body)) {
      return;
    }
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

  // The field has the focus from the start, a query from the address in it,
  // so that Down reaches the results at once.
  var initial = new URLSearchParams(location.search).get('q') || '';
  field.value = initial;
  update();
  field.focus();
})();

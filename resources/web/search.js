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
  // The tokens of text: {key, word} each.
  function tokensOf(text) {
    var out = [];
    var folded = fold(text);
    tokenPattern.lastIndex = 0;
    for (var m = tokenPattern.exec(folded); m; m = tokenPattern.exec(folded)) {
      out.push({ key: bare(m[0]), word: m[1] !== undefined });
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
  // the lengths, and no topic is looked at: a topic is made ready when it is
  // first shown or its names first matter (topicAt).
  function prepare(data) {
    useLetters(data.letters || '');
    var decode = decoderOf(data);
    var tokens = data.tokens ? data.tokens.split(' ') : [];
    // Where each token starts in data.tokens, for matches inside tokens.
    var starts = new Int32Array(tokens.length + 1);
    for (var i = 0; i < tokens.length; ++i) starts[i + 1] = starts[i] + tokens[i].length + 1;
    // Where each token's postings start in data.postings (and one more, past
    // the end), found without cutting the string into pieces.
    var postingText = data.tokens ? data.postings : '';
    var postingStarts = new Int32Array(tokens.length + 1);
    var at = 0;
    for (var p = 1; p < tokens.length; ++p) {
      at = postingText.indexOf(' ', at) + 1;
      if (at === 0) at = postingText.length + 1;
      postingStarts[p] = at;
    }
    postingStarts[tokens.length] = postingText.length + 1;
    var lengths = decode(data.lengths || '');
    var total = 0;
    for (var t = 0; t < lengths.length; ++t) total += lengths[t];
    var count = data.topics.length;
    return {
      entries: data.topics,
      sections: data.sections,
      words: data.words === '' ? [] : data.words.split(' '),
      count: count,
      topics: new Array(count),  // made by topicAt
      tokens: tokens,
      tokenText: data.tokens || '',
      starts: starts,
      postingText: postingText,
      postingStarts: postingStarts,
      parsed: [],
      lengths: lengths,
      averageLength: count > 0 ? Math.max(1, total / count) : 1,
      decode: decode,
      // Of each word of the text (by number), its tokens (see cutText).
      wordCuts: [],
      // Of each token, the words of the query shown last that match it, one
      // bit each (see install).
      masks: new Int32Array(tokens.length),
      installed: null,
      numbers: null,  // of each token, see tokenNumber
      names: null,  // of all topics, see prepareWhenIdle
    };
  }

  // Topic t, made ready when first asked for.
  function topicAt(index, t) {
    var topic = index.topics[t];
    if (topic) return topic;
    var entry = index.entries[t];
    topic = {
      order: t,
      page: entry[0],
      section: index.sections[entry[1]] || '',
      title: entry[2],
      codes: entry[3],
      names: entry.slice(4),
      nameKeys: null,  // made when first needed
      titleCut: null,  // the tokens of the title and of each name,
      nameCuts: null,  // made when the topic is first shown
      decoded: null,   // its text, see decodedText
    };
    index.topics[t] = topic;
    return topic;
  }

  // The number of token key in the index, or -1. The table of numbers is
  // made when first needed: a look-up there is the browser's own work, where
  // a search of the sorted tokens would be a dozen comparisons of script.
  function tokenNumber(index, key) {
    if (!index.numbers) {
      index.numbers = new Map();
      index.tokens.forEach(function (token, i) { index.numbers.set(token, i); });
    }
    var number = index.numbers.get(key);
    return number === undefined ? -1 : number;
  }

  // The tokens of text, four numbers each: its number in the index (-1 when
  // the index lacks it), where it starts and ends in text, and 1 for a word
  // token, 0 for a sign token.
  function cutText(index, text) {
    // Most words of a text are ASCII letters and digits only: one word token.
    var plain = text.length > 0;
    for (var i = 0; plain && i < text.length; ++i) {
      var c = text.charCodeAt(i);
      plain = (c >= 48 && c <= 57) || (c >= 65 && c <= 90) || (c >= 97 && c <= 122);
    }
    if (plain) return [tokenNumber(index, bare(text.toUpperCase())), 0, text.length, 1];
    var out = [];
    var folded = fold(text);
    tokenPattern.lastIndex = 0;
    for (var m = tokenPattern.exec(folded); m; m = tokenPattern.exec(folded)) {
      out.push(tokenNumber(index, bare(m[0])), m.index, m.index + m[0].length,
          m[1] !== undefined ? 1 : 0);
    }
    return out;
  }

  // Token i's postings, decoded once: the topics that hold it and where.
  function postingsOf(index, i) {
    var done = index.parsed[i];
    if (done) return done;
    var numbers = index.decode(index.postingText.slice(index.postingStarts[i],
        index.postingStarts[i + 1] - 1));
    var pairs = numbers.length >> 1;
    var topics = new Int32Array(pairs);
    var where = new Int32Array(pairs);
    var topic = 0;
    for (var k = 0; k < pairs; ++k) {
      topic += numbers[2 * k];
      topics[k] = topic;
      where[k] = numbers[2 * k + 1];
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

  // A name as the tokens that count of it, joined by blanks.
  function nameKey(name) { return cut(name).keys.join(' '); }

  // The topics with a name that is the query's tokens (rank 0) or starts
  // with them (rank 1), as ranks[topic]; their numbers are added to found.
  // Such a name holds the query's first token (or, for a query of one token,
  // a token that starts with it), so only the topics with that in a name
  // are looked at; when that is many tokens (a query of a letter or two) and
  // the table of all names is there, every name is looked at instead.
  function nameRanksOf(index, keys, ranks, found) {
    var whole = keys.join(' ');
    var tokens = index.tokens;
    var first = keys[0];
    function rankBy(t, key) {
      var rank = key === whole ? 0 : key.lastIndexOf(whole, 0) === 0 ? 1 : 2;
      if (rank >= ranks[t]) return;
      if (ranks[t] === 2) found.push(t);
      ranks[t] = rank;
    }
    var start = lowerBound(tokens, first);
    var end = start;
    while (end < tokens.length && end - start <= 16 &&
           (keys.length === 1 ? tokens[end].lastIndexOf(first, 0) === 0 : tokens[end] === first)) {
      ++end;
    }
    var table = index.names;
    if (end - start > 16 && table) {
      for (var n = 0; n < table.keys.length; ++n) rankBy(table.topics[n], table.keys[n]);
      return;
    }
    for (var i = start; i < tokens.length &&
         (keys.length === 1 ? tokens[i].lastIndexOf(first, 0) === 0 : tokens[i] === first); ++i) {
      var postings = postingsOf(index, i);
      for (var k = 0; k < postings.topics.length; ++k) {
        if ((postings.where[k] & 1) === 0) continue;
        var topic = topicAt(index, postings.topics[k]);
        if (!topic.nameKeys) topic.nameKeys = topic.names.map(nameKey);
        for (var m = 0; m < topic.nameKeys.length && ranks[topic.order] > 0; ++m) {
          rankBy(topic.order, topic.nameKeys[m]);
        }
      }
    }
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
    return a.t - b.t;
  }

  // The best limit of results, in order; the others are left in results, in
  // no order. A heap keeps the best found so far, the worst of them on top:
  // most results are turned away by one comparison, and nothing sorts them
  // all (the others are sorted only when the reader asks for them).
  function takeBest(results, limit) {
    var heap = [];
    var others = [];
    function swap(a, b) {
      var kept = heap[a];
      heap[a] = heap[b];
      heap[b] = kept;
    }
    for (var i = 0; i < results.length; ++i) {
      var r = results[i];
      var at;
      if (heap.length < limit) {
        heap.push(r);
        for (at = heap.length - 1; at > 0 && compareResults(heap[(at - 1) >> 1], heap[at]) < 0;
             at = (at - 1) >> 1) {
          swap(at, (at - 1) >> 1);
        }
        continue;
      }
      if (compareResults(r, heap[0]) >= 0) {
        others.push(r);
        continue;
      }
      others.push(heap[0]);
      heap[0] = r;
      for (at = 0; ;) {
        var worst = at;
        var left = 2 * at + 1;
        if (left < heap.length && compareResults(heap[left], heap[worst]) > 0) worst = left;
        if (left + 1 < heap.length && compareResults(heap[left + 1], heap[worst]) > 0) worst = left + 1;
        if (worst === at) break;
        swap(at, worst);
        at = worst;
      }
    }
    results.length = 0;
    Array.prototype.push.apply(results, others);
    return heap.sort(compareResults);
  }

  // The results of a query: {words, found, others, count, allButOne}, found
  // the best MAX_SHOWN in order and others the rest, in no order. A name
  // that is the query (compared as tokens) comes first, then names that
  // start with it; then the topics that hold every word (or, when none does,
  // every word but one) by score. A result is {t, rank, score} and gets its
  // topic when shown.
  function find(index, text) {
    var query = cut(text);
    var keys = query.keys;
    var words = [];
    keys.forEach(function (key) {
      if (words.indexOf(key) < 0 && words.length < MAX_WORDS) words.push(key);
    });
    // The tokens the words match, each with its word's bit (see install).
    var result = { words: words, keys: keys, signs: query.signs, found: [], others: [], count: 0,
      allButOne: false, matched: [], bits: [] };
    if (words.length === 0) return result;
    var count = index.count;
    var score = new Float64Array(count);
    var best = new Float64Array(count);  // of the word at hand
    var held = new Int32Array(count);
    var touched = [];  // the topics that hold a word, once each
    var averageLength = index.averageLength;
    var lengths = index.lengths;

    words.forEach(function (word, w) {
      var bit = 1 << w;
      var hit = [];  // the topics that hold this word, once each
      matchesOf(index, word, w === words.length - 1).forEach(function (match) {
        result.matched.push(match[0]);
        result.bits.push(bit);
        var postings = postingsOf(index, match[0]);
        var df = postings.topics.length;
        var idf = Math.log(1 + (count - df + 0.5) / (df + 0.5));
        for (var k = 0; k < df; ++k) {
          var t = postings.topics[k];
          var where = postings.where[k];
          var uses = (where >> 2) + (where & 1) * NAME_USES + ((where >> 1) & 1) * TITLE_USES;
          var norm = K1 * (1 - B + B * (lengths[t] || 0) / averageLength);
          var s = match[1] * idf * uses * (K1 + 1) / (uses + norm);
          if (s > best[t]) best[t] = s;
          if (held[t] === 0) touched.push(t);
          if ((held[t] & bit) === 0) hit.push(t);
          held[t] |= bit;
        }
      });
      for (var i = 0; i < hit.length; ++i) {
        score[hit[i]] += best[hit[i]];
        best[hit[i]] = 0;
      }
    });

    var ranks = new Uint8Array(count).fill(2);
    var named = [];
    nameRanksOf(index, keys, ranks, named);
    var all = (1 << words.length) - 1;
    named.forEach(function (t) {
      if (held[t] === 0) touched.push(t);
      held[t] = all;
    });
    var most = 0;
    for (var i = 0; i < touched.length; ++i) most = Math.max(most, bitCount(held[touched[i]]));
    var needed = most === words.length ? most : words.length - 1;
    if (needed === 0 || most < needed) return result;
    result.allButOne = needed < words.length;
    var found = [];
    for (i = 0; i < touched.length; ++i) {
      var t = touched[i];
      if (bitCount(held[t]) === needed) found.push({ t: t, rank: ranks[t], score: score[t] });
    }
    result.count = found.length;
    result.found = takeBest(found, MAX_SHOWN);
    result.others = found;
    return result;
  }

  // Marks the tokens result's words match, in index.masks: of each token,
  // one bit for each word of the query that matches it. Only one result is
  // marked at a time.
  function install(index, result) {
    if (index.installed === result) return;
    var masks = index.masks;
    var i;
    if (index.installed) {
      var before = index.installed.matched;
      for (i = 0; i < before.length; ++i) masks[before[i]] = 0;
    }
    for (i = 0; i < result.matched.length; ++i) masks[result.matched[i]] |= result.bits[i];
    index.installed = result;
  }

  // The tokens of a cut text (see cutText) that count for the query shown
  // (of the query's kind: words, or signs for a query of signs) and match a
  // word of it, as {start, end, match}, match the first word they match.
  function hitsOf(index, result, tokens) {
    var hits = [];
    var kind = result.signs ? 0 : 1;
    var masks = index.masks;
    for (var k = 0; k < tokens.length; k += 4) {
      if (tokens[k + 3] !== kind || tokens[k] < 0) continue;
      var mask = masks[tokens[k]];
      if (mask !== 0) {
        hits.push({ start: tokens[k + 1], end: tokens[k + 2], match: 31 - Math.clz32(mask & -mask) });
      }
    }
    return hits;
  }

  // How many of the query's pairs of following words stand next to each
  // other (as tokens that count) in one of texts, each a cut text.
  function adjacentPairs(index, result, texts) {
    var keys = result.keys;
    var first = [];   // of each pair, the bit of its first word
    var second = [];  // and of its second (0: a word past the first MAX_WORDS)
    for (var k = 0; k + 1 < keys.length; ++k) {
      var a = result.words.indexOf(keys[k]);
      var b = result.words.indexOf(keys[k + 1]);
      first.push(a < 0 || b < 0 ? 0 : 1 << a);
      second.push(a < 0 || b < 0 ? 0 : 1 << b);
    }
    var seen = new Uint8Array(first.length);
    var pairs = 0;
    var kind = result.signs ? 0 : 1;
    var masks = index.masks;
    texts.forEach(function (tokens) {
      var previous = 0;
      for (var i = 0; i < tokens.length; i += 4) {
        if (tokens[i + 3] !== kind) continue;
        var mask = tokens[i] < 0 ? 0 : masks[tokens[i]];
        if (previous !== 0 && mask !== 0) {
          for (var p = 0; p < first.length; ++p) {
            if (seen[p] === 0 && (previous & first[p]) !== 0 && (mask & second[p]) !== 0) {
              seen[p] = 1;
              ++pairs;
            }
          }
        }
        previous = mask;
      }
    });
    return pairs;
  }

  // A topic's text and its tokens (see cutText), kept for the topics shown
  // lately: while the reader types, most of the results shown stay the
  // same. The text is its words; each distinct word is cut into tokens once.
  var decodedTopics = [];
  function decodedText(index, topic) {
    if (topic.decoded) return topic.decoded;
    if (decodedTopics.length >= 1000) {
      decodedTopics.forEach(function (t) { t.decoded = null; });
      decodedTopics = [];
    }
    var numbers = index.decode(topic.codes);
    var shown = [];
    var tokens = [];
    var at = 0;
    for (var i = 0; i < numbers.length; ++i) {
      var word = index.words[numbers[i]] || '';
      shown.push(word);
      if (word !== '') {
        var cuts = index.wordCuts[numbers[i]];
        if (!cuts) cuts = index.wordCuts[numbers[i]] = cutText(index, word);
        for (var k = 0; k < cuts.length; k += 4) {
          tokens.push(cuts[k], cuts[k + 1] + at, cuts[k + 2] + at, cuts[k + 3]);
        }
      }
      at += word.length + 1;
    }
    topic.decoded = { text: shown.join(' '), tokens: tokens };
    decodedTopics.push(topic);
    return topic.decoded;
  }

  // While the page is idle, a slice at a time, makes the table of all names
  // (see nameRanksOf) and then cuts the words of the text into tokens ahead
  // of need, so that a topic shown for the first time costs only its
  // decoding.
  function prepareWhenIdle(index) {
    var idle = window.requestIdleCallback || function (work) {
      return setTimeout(function () { work({ timeRemaining: function () { return 5; } }); }, 20);
    };
    var names = { keys: [], topics: [] };
    var topic = 0;
    var word = 0;
    function work(deadline) {
      while ((topic < index.count || word < index.words.length) && deadline.timeRemaining() > 1) {
        var end;
        if (topic < index.count) {
          for (end = Math.min(index.count, topic + 50); topic < end; ++topic) {
            var entry = index.entries[topic];
            for (var n = 4; n < entry.length; ++n) {
              names.keys.push(nameKey(entry[n]));
              names.topics.push(topic);
            }
          }
          if (topic === index.count) index.names = names;
          continue;
        }
        for (end = Math.min(index.words.length, word + 100); word < end; ++word) {
          if (!index.wordCuts[word]) index.wordCuts[word] = cutText(index, index.words[word]);
        }
      }
      if (word < index.words.length || topic < index.count) idle(work);
    }
    idle(work);
  }

  // The tokens of a topic's title and of its names, cut once: every keystroke
  // that shows the topic marks and weighs them again.
  function titleCut(index, topic) {
    if (!topic.titleCut) topic.titleCut = cutText(index, topic.title);
    return topic.titleCut;
  }
  function nameCuts(index, topic) {
    if (!topic.nameCuts) topic.nameCuts = topic.names.map(function (name) { return cutText(index, name); });
    return topic.nameCuts;
  }

  // Gives the results to be shown their topics and the hits in their text,
  // adds the adjacency bonus and sorts them again.
  function prepareShown(index, result, shown) {
    install(index, result);
    shown.forEach(function (r) {
      r.topic = topicAt(index, r.t);
      var decoded = decodedText(index, r.topic);
      r.text = decoded.text;
      r.hits = hitsOf(index, result, decoded.tokens);
      if (result.keys.length < 2) return;
      var texts = [decoded.tokens, titleCut(index, r.topic)].concat(nameCuts(index, r.topic));
      r.score *= 1 + ADJACENT * adjacentPairs(index, result, texts) / (result.keys.length - 1);
    });
    shown.sort(compareResults);
  }

  // Appends text to parent, the hits (of hitsOf) from start to end in marks.
  function appendMarked(parent, text, hits, start, end) {
    var done = start;
    hits.forEach(function (t) {
      if (t.start < start || t.end > end) return;
      if (t.start > done) parent.appendChild(document.createTextNode(text.slice(done, t.start)));
      var mark = document.createElement('mark');
      mark.textContent = text.slice(t.start, t.end);
      parent.appendChild(mark);
      done = t.end;
    });
    if (done < end) parent.appendChild(document.createTextNode(text.slice(done, end)));
  }

  // The passage of the text with the most different words of the query
  // (then the most matches) within a snippet's length, from the start of a
  // word: {start, end}; null when the text holds none.
  function snippetOf(r) {
    var hits = r.hits;
    if (hits.length === 0) return null;
    var bestStart = 0;
    var bestValue = -1;
    for (var a = 0; a < hits.length; ++a) {
      var seen = 0;
      var different = 0;
      var b = a;
      for (; b < hits.length && hits[b].end - hits[a].start <= SNIPPET_LENGTH - SNIPPET_BEFORE; ++b) {
        if ((seen & (1 << hits[b].match)) === 0) {
          seen |= 1 << hits[b].match;
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
    return { start: start, end: end };
  }

  // The places of hits from start to end, as text.
  function placesOf(hits, start, end) {
    var places = '';
    hits.forEach(function (t) {
      if (t.start >= start && t.end <= end) places += t.start + '-' + t.end + ',';
    });
    return places;
  }

  // What a result shows: the name that holds the most words of the query
  // (the first one on a tie), the title and the snippet, each with its hits;
  // key says it all, for keeping an item that shows the same.
  function describe(r, result) {
    var topic = r.topic;
    var d = { topic: topic, name: topic.names.length > 0 ? 0 : -1, nameHits: [], titleHits: [],
      snippet: snippetOf(r), hits: r.hits, text: r.text, key: '' };
    nameCuts(index, topic).forEach(function (tokens, i) {
      var hits = hitsOf(index, result, tokens);
      if (hits.length > d.nameHits.length) {
        d.name = i;
        d.nameHits = hits;
      }
    });
    if (topic.title !== '') d.titleHits = hitsOf(index, result, titleCut(index, topic));
    d.key = topic.order + ' ' + d.name + ' ' + placesOf(d.nameHits, 0, Infinity) + ' ' +
        placesOf(d.titleHits, 0, Infinity) +
        (d.snippet ? ' ' + d.snippet.start + '-' + d.snippet.end + ' ' +
          placesOf(d.hits, d.snippet.start, d.snippet.end) : '');
    return d;
  }

  function resultItem(d) {
    var topic = d.topic;
    var item = document.createElement('li');
    var link = document.createElement('a');
    link.href = topic.page;
    if (d.name >= 0) {
      var name = topic.names[d.name];
      appendMarked(link, name, d.nameHits, 0, name.length);
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
      appendMarked(title, topic.title, d.titleHits, 0, topic.title.length);
      item.appendChild(title);
    }
    if (d.snippet) {
      var text = document.createElement('span');
      text.className = 'snippet';
      var start = d.snippet.start;
      var end = d.snippet.end;
      if (start > 0) text.appendChild(document.createTextNode('\u2026 '));
      appendMarked(text, d.text, d.hits, start, end);
      if (end < d.text.length) text.appendChild(document.createTextNode(' \u2026'));
      item.appendChild(text);
    }
    return item;
  }

  // The keys (see describe) of the results in the list, in order, and
  // their items by key. The results before the first one that differs from
  // what a keystroke shows stay in the list untouched, and the browser need
  // not lay them out again; of the others, a result shown just as before
  // keeps its item. While the reader types, many results stay the same.
  // Only the first FIRST_SHOWN results (more than a screenful) go into the
  // list at once; the others, described but not yet made, wait in pending
  // (their keys at the end of keysShown) for the browser to paint those, and
  // the list is aria-busy until then.
  var FIRST_SHOWN = 25;
  var keysShown = [];
  var itemsShown = new Map();
  var pending = [];
  var pendingRound = 0;
  function dropPending() {
    keysShown.length -= pending.length;
    pending = [];
    ++pendingRound;
    list.removeAttribute('aria-busy');
  }
  function completeList() {
    if (pending.length === 0) return;
    var items = document.createDocumentFragment();
    pending.forEach(function (d) {
      var item = itemsShown.get(d.key) || resultItem(d);
      itemsShown.set(d.key, item);
      items.appendChild(item);
    });
    pending = [];
    ++pendingRound;
    list.appendChild(items);
    list.removeAttribute('aria-busy');
  }
  function completeAfterPaint() {
    var round = pendingRound;
    requestAnimationFrame(function () {
      setTimeout(function () {
        if (round === pendingRound) completeList();
      }, 0);
    });
  }
  function clearList() {
    dropPending();
    list.textContent = '';
    keysShown = [];
  }
  function showItems(shown, result) {
    dropPending();
    var described = shown.map(function (r) { return describe(r, result); });
    var same = 0;
    if (list.childNodes.length === keysShown.length) {
      while (same < described.length && same < keysShown.length &&
             described[same].key === keysShown[same]) {
        ++same;
      }
    }
    if (same === 0) {
      list.textContent = '';
    } else {
      while (list.childNodes.length > same) list.removeChild(list.lastChild);
    }
    var items = document.createDocumentFragment();
    var kept = new Map();
    keysShown = described.map(function (d, i) {
      var item = itemsShown.get(d.key);
      if (i >= same && i >= FIRST_SHOWN) {
        pending.push(d);
      } else {
        item = item || resultItem(d);
        if (i >= same) items.appendChild(item);
      }
      if (item) kept.set(d.key, item);
      return d.key;
    });
    itemsShown = kept;
    list.appendChild(items);
    if (pending.length > 0) {
      list.setAttribute('aria-busy', 'true');
      completeAfterPaint();
    }
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
    completeList();
    var firstNew = null;
    prepareShown(index, restResult, rest);  // sorts them too
    rest.forEach(function (r) {
      var item = list.appendChild(resultItem(describe(r, restResult)));
      firstNew = firstNew || item.firstChild;
    });
    rest = [];
    moreLine.hidden = true;
    if (firstNew) firstNew.focus();
  });

  function quoted(query) { return '\u201c' + query.trim() + '\u201d'; }

  function topicsText(count) { return count === 1 ? '1 topic' : count + ' topics'; }

  function showResults(query) {
    rest = [];
    moreLine.hidden = true;
    var result = index ? find(index, query) : { words: [] };
    if (result.words.length === 0) {
      clearList();
      status.textContent = 'Type a name, a title, or words of the text.';
      return;
    }
    var count = result.count;
    var shown = result.found;
    prepareShown(index, result, shown);
    showItems(shown, result);
    var firstShown = count > MAX_SHOWN ? '; the first ' + MAX_SHOWN + ' are shown.' : '.';
    if (count === 0) {
      status.textContent = (result.words.length === 1 ? 'No topic holds ' : 'No topic holds all of ') +
          quoted(query) + ' in its names, its title or its text.';
    } else if (result.allButOne) {
      status.textContent = 'No topic holds all of ' + quoted(query) + '; ' +
          topicsText(count) + (count === 1 ? ' holds' : ' hold') +
          ' all its words but one' + firstShown;
    } else {
      status.textContent = topicsText(count) + (count === 1 ? ' matches ' : ' match ') +
          quoted(query) + firstShown;
    }
    if (count > MAX_SHOWN) {
      rest = result.others;
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
      prepareWhenIdle(index);
    };
    script.onerror = function () {
      status.textContent = 'The search data (' + list.getAttribute('data-source') +
          ') could not be loaded. Every topic can be reached from the contents.';
    };
    document.head.appendChild(script);
  }

  function update() {
    if (!/[^\s\u2500-\u259f]/.test(field.value)) {
      clearList();
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
    completeList();
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

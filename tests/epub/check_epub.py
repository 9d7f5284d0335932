#!/usr/bin/env python3
"""Checks an e-book's container as a reader opens it, and its documents as
XML parsers read them:

    check_epub.py BOOK.epub [SOURCE_FOLDER]

- the first entry is "mimetype", stored, without extra field, holding
  exactly "application/epub+zip", its bytes at offset 38;
- every entry's CRC and sizes are right (zipfile.testzip), every entry
  carries the same time, and none carries an extra field or a comment;
- every XML entry parses; every XHTML page has lang and xml:lang, its
  headings go down one level at a time, and no blank text stands between
  the line elements of a topic's text;
- every link between the documents leads to a document in the book, and
  none leads outside it;
- with SOURCE_FOLDER: every topic name in the sources (the ":" lines) is a
  link in the navigation document's contents, or a further name of a topic
  it lists.
Standard library only."""
import os
import re
import sys
import zipfile
import xml.etree.ElementTree as ET

XHTML = "{http://www.w3.org/1999/xhtml}"
XML_LANG = "{http://www.w3.org/XML/1998/namespace}lang"
failures = []


def fail(message):
    failures.append(message)


def check(path, sources):
    with open(path, "rb") as f:
        head = f.read(60)
    if head[:4] != b"PK\x03\x04" or head[8:10] != b"\0\0" or head[28:30] != b"\0\0":
        fail("the first entry is not stored, or has an extra field")
    if head[30:38] != b"mimetype" or head[38:58] != b"application/epub+zip":
        fail("the first entry is not the mimetype")
    book = zipfile.ZipFile(path)
    infos = book.infolist()
    if infos[0].filename != "mimetype" or infos[0].compress_type != zipfile.ZIP_STORED:
        fail("mimetype is not first and stored")
    bad = book.testzip()
    if bad:
        fail("entry %s is damaged" % bad)
    times = {info.date_time for info in infos}
    if len(times) != 1:
        fail("entries carry %d different times" % len(times))
    for info in infos:
        if info.extra or info.comment:
            fail("%s carries an extra field or comment" % info.filename)
    names = {info.filename for info in infos}
    for info in infos:
        name = info.filename
        if not name.endswith((".xhtml", ".xml", ".opf")):
            continue
        data = book.read(name)
        try:
            root = ET.fromstring(data)
        except ET.ParseError as error:
            fail("%s: not well-formed: %s" % (name, error))
            continue
        if name.endswith(".xhtml"):
            check_page(name, root, data, names)
    if sources:
        check_names(book, sources)


def check_page(name, root, data, names):
    if root.get("lang") is None or root.get(XML_LANG) is None:
        fail("%s: no lang and xml:lang" % name)
    level = 0
    for element in root.iter():
        match = re.fullmatch(re.escape(XHTML) + "h([1-6])", element.tag)
        if match:
            new = int(match.group(1))
            if new > level + 1:
                fail("%s: h%d after h%d" % (name, new, level))
            level = new
        if element.tag == XHTML + "a":
            href = element.get("href", "")
            target = href.split("#")[0]
            if re.match(r"[a-z]+:", href) or ("EPUB/" + target) not in names:
                fail("%s: link to %s leads nowhere in the book" % (name, href))
    for text in root.iter(XHTML + "div"):
        if text.get("class") == "text":
            if text.text and not text.text.strip():
                fail("%s: blank text before the first line" % name)
            for line in text.iter():
                if line is not text and line.tail and not line.tail.strip() and \
                        line.tag in (XHTML + "div", XHTML + "h2", XHTML + "h3"):
                    fail("%s: blank text between lines" % name)
                    return


def check_names(book, sources):
    nav = ET.fromstring(book.read("EPUB/nav.xhtml"))
    listed = set()
    for a in nav.iter(XHTML + "a"):
        listed.add("".join(a.itertext()))
    sections = []
    for page in sorted(n for n in book.namelist() if re.fullmatch(r"EPUB/Topic\d+\.xhtml", n)):
        sections.append("".join(ET.fromstring(book.read(page)).itertext()))
    everything = "\n".join(sections)
    for file in sorted(os.listdir(sources)):
        if not file.lower().endswith(".txt"):
            continue
        with open(os.path.join(sources, file), "rb") as f:
            text = f.read()
        if not text.startswith(b"@"):
            continue
        for line in text.split(b"\n")[1:]:
            if not line.startswith(b":"):
                continue
            first = line[1:].rstrip(b"\r").split(b":")[0].decode("cp437")
            if first.strip() and first not in listed and first not in everything:
                fail("%s: topic %r is not in the contents" % (file, first))


def main():
    if len(sys.argv) not in (2, 3):
        print(__doc__)
        return 2
    check(sys.argv[1], sys.argv[2] if len(sys.argv) == 3 else None)
    for message in failures[:20]:
        print("%s: %s" % (sys.argv[1], message))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())

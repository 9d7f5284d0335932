#!/usr/bin/env python3
"""Checks a docset folder against the reference it was made from.

  check_docset.py DOCSET NAME SOURCE_FOLDER
      the folder's files, its Info.plist (read with plistlib), its index (read
      with Python's own SQLite module) and its pages; the index's topic names
      and their pages are compared with those read here from the source
      files, without the program's help, and every name's row must lead to
      its anchor, which stands before the page's heading
  check_docset.py --plist PLIST_FILE NAME_FILE
      the Info.plist made for the bytes in NAME_FILE parses, and carries that
      name as UTF-8 with every broken sequence and every character XML cannot
      hold shown as U+FFFD

Prints one line per problem and exits with status 1 when there is any.
"""
import os
import plistlib
import re
import sqlite3
import struct
import sys
import urllib.parse

problems = []


def problem(text):
    problems.append(text)
    print("check_docset: " + text)


def shown_reference_name(raw):
    """The name the pages show: NAME without ".docset", "Marlix" for a blank one."""
    name = raw[:-len(b".docset")] if raw.endswith(b".docset") and raw != b".docset" else raw
    return name if name.strip(b" ") else b"Marlix"


def expected_plist_name(raw):
    text = shown_reference_name(raw).decode("utf-8", "replace")
    return "".join(
        "\ufffd" if (ord(c) < 0x20 and c not in "\t\n\r") or c in "\ufffe\uffff" else c
        for c in text)


def expected_identifier(raw):
    """marlix. and the shown name's ASCII letters and digits, each run of
    anything else between them as one "-"."""
    words = re.findall(rb"[A-Za-z0-9]+", shown_reference_name(raw))
    return "marlix." + (b"-".join(words).decode("ascii") if words else "docset")


def check_plist(path, raw_name):
    try:
        with open(path, "rb") as file:
            data = file.read()
        plist = plistlib.loads(data)
    except Exception as error:  # any parse failure is the finding
        problem(f"{path}: does not parse: {error}")
        return
    if data.split(b"\n")[1:2] != [b'<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" '
                                  b'"http://www.apple.com/DTDs/PropertyList-1.0.dtd">']:
        problem(f"{path}: no property list's DOCTYPE as its second line")
    name = expected_plist_name(raw_name)
    expected = {
        "CFBundleIdentifier": expected_identifier(raw_name),
        "CFBundleName": name,
        "DocSetPlatformFamily": "marlix",
        "DashDocSetFamily": "dashtoc",
        "isDashDocset": True,
        "dashIndexFilePath": "Index.htm",
    }
    if plist != expected:
        problem(f"{path}: holds {plist!r}, not {expected!r}")
    if not re.fullmatch(r"[A-Za-z0-9.-]+", str(plist.get("CFBundleIdentifier"))):
        problem(f"{path}: the bundle identifier {plist.get('CFBundleIdentifier')!r} holds "
                "characters other than letters, digits, '-' and '.'")


def png_size(path):
    with open(path, "rb") as file:
        head = file.read(24)
    if head[:8] != b"\x89PNG\r\n\x1a\n" or head[12:16] != b"IHDR":
        return None
    return struct.unpack(">II", head[16:24])


def listing_key(name):
    """The order the program numbers its source files in on Linux."""
    return (bytes(b - 32 if 97 <= b <= 122 else b for b in name), name)


def shown_name(raw):
    """A name as the docset stores it: code page 437 as UTF-8, tabs as blanks."""
    if any((b < 0x20 and b != 9) or b == 0x7F for b in raw):
        raise ValueError(f"name {raw!r} holds control bytes, which this check does not model")
    return raw.replace(b"\t", b" ").decode("cp437")


def read_sources(folder):
    """Section titles, and topic names with their pages, read from the files
    without the program: a topic line's page is B<file>P<topic>.htm, the
    file counted among the valid ones from 0, the topic over all of them."""
    files = sorted((entry for entry in os.listdir(folder)
                    if entry.lower().endswith(".txt") and os.path.isfile(os.path.join(folder, entry))),
                   key=lambda entry: listing_key(os.fsencode(entry)))
    sections, names = [], set()
    topic = 0
    for entry in files:
        with open(os.path.join(folder, entry), "rb") as file:
            data = file.read()
        if not data.startswith(b"@"):
            continue
        lines = data.split(b"\n")
        for line in lines:
            if len(line.rstrip(b"\r")) > 80:
                raise ValueError(f"{entry}: a line longer than 80 bytes, which this check does not model")
        title = shown_name(lines[0].rstrip(b"\r")[1:])
        page_file = len(sections)
        sections.append(title if title.strip(" ") else "Untitled section")
        for line in lines[1:]:
            if line.startswith(b":"):
                for raw in line.rstrip(b"\r")[1:].split(b":"):
                    name = shown_name(raw)
                    if name.strip(" "):
                        names.add((name, f"B{page_file}P{topic}.htm"))
                topic += 1
    return sections, names


def check_index(path, documents, sources):
    database = sqlite3.connect(f"file:{path}?mode=ro", uri=True)
    columns = [(row[1], row[2], row[5]) for row in database.execute("PRAGMA table_info(searchIndex)")]
    if columns != [("id", "INTEGER", 1), ("name", "TEXT", 0), ("type", "TEXT", 0), ("path", "TEXT", 0)]:
        problem(f"{path}: table searchIndex has the columns {columns}")
    indexes = [(row[1], row[2]) for row in database.execute("PRAGMA index_list(searchIndex)")]
    if indexes != [("anchor", 1)]:
        problem(f"{path}: indexes {indexes}, not the unique index anchor alone")
    indexed = [row[2] for row in database.execute("PRAGMA index_info(anchor)")]
    if indexed != ["name", "type", "path"]:
        problem(f"{path}: index anchor is on {indexed}")
    integrity = database.execute("PRAGMA integrity_check").fetchone()[0]
    if integrity != "ok":
        problem(f"{path}: integrity check says {integrity}")
    rows = database.execute("SELECT name, type, path FROM searchIndex ORDER BY id").fetchall()
    database.close()

    pages_cache = {}

    def page_text(page):
        if page not in pages_cache:
            with open(os.path.join(documents, page), encoding="utf-8") as file:
                pages_cache[page] = file.read()
        return pages_cache[page]

    entries, sections, names_of_page = set(), [], {}
    for name, kind, path_in_index in rows:
        page, _, fragment = path_in_index.partition("#")
        if not isinstance(name, str) or not name.strip(" "):
            problem(f"{path}: a blank name {name!r}")
        if kind not in ("Entry", "Section"):
            problem(f"{path}: {name!r} has the type {kind!r}")
        if not os.path.isfile(os.path.join(documents, page)):
            problem(f"{path}: {name!r} points at {path_in_index}, which is not in Documents")
            continue
        if kind != "Entry":
            sections.append((name, path_in_index))
            continue
        entries.add((name, page))
        names_of_page.setdefault(page, set()).add(name)
        # The row leads to the name's anchor, which stands before the page's
        # heading (a forward page has none), so that a jump shows it.
        anchor = "//apple_ref/cpp/Entry/" + urllib.parse.quote(name.encode("utf-8"), safe="")
        if fragment != anchor:
            problem(f"{path}: {name!r} leads to {path_in_index}, not to {page}#{anchor}")
            continue
        text = page_text(page)
        at = text.find(f'<a name="{anchor}" class="dashAnchor"></a>')
        heading = text.find("<h1>")
        if at < 0:
            problem(f"{page}: no anchor for {name!r}")
        elif heading >= 0 and at > heading:
            problem(f"{page}: the anchor of {name!r} stands after the heading")
    shared = sum(1 for names in names_of_page.values() if len(names) > 1)
    source_sections, source_names = sources
    if entries != source_names:
        problem(f"{path}: names and pages only in the index {sorted(entries - source_names)}, "
                f"only in the sources {sorted(source_names - entries)}")
    expected_sections = [(title, f"Topic{i}.htm") for i, title in enumerate(source_sections)]
    if sorted(sections) != sorted(expected_sections):
        problem(f"{path}: sections {sections}, not {expected_sections}")
    return len(rows), shared


def check_pages(documents):
    pages = 0
    for entry in sorted(os.listdir(documents)):
        if entry in ("search.htm", "search.js", "search-index.js"):
            problem(f"{documents}: holds the web edition's {entry}")
        if not entry.endswith(".htm"):
            continue
        pages += 1
        with open(os.path.join(documents, entry), "rb") as file:
            data = file.read()
        try:
            text = data.decode("utf-8")
        except UnicodeDecodeError as error:
            problem(f"{entry}: not UTF-8: {error}")
            continue
        if not text.startswith("<!DOCTYPE html>\r\n<html lang=\"en\">") or '<meta charset="utf-8">' not in text:
            problem(f"{entry}: no HTML5 page in UTF-8")
        for search in ("search.htm", "<script", 'id="find"'):
            if search in text:
                problem(f"{entry}: holds the web edition's search ({search})")
    return pages


def main(arguments):
    if len(arguments) == 3 and arguments[0] == "--plist":
        with open(arguments[2], "rb") as file:
            check_plist(arguments[1], file.read())
        return 1 if problems else 0
    if len(arguments) != 3:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    docset, name, source = arguments
    check_plist(os.path.join(docset, "Contents", "Info.plist"), os.fsencode(name))
    for icon, pixels in (("icon.png", 16), ("icon@2x.png", 32)):
        size = png_size(os.path.join(docset, icon))
        if size != (pixels, pixels):
            problem(f"{docset}/{icon}: {size}, not a PNG of {pixels} x {pixels}")
    documents = os.path.join(docset, "Contents", "Resources", "Documents")
    rows, shared = check_index(os.path.join(docset, "Contents", "Resources", "docSet.dsidx"), documents,
                       read_sources(source))
    pages = check_pages(documents)
    print(f"check_docset: {docset}: {rows} rows, {pages} pages ({shared} with several names), "
          f"{len(problems)} problems")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))

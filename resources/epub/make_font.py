#!/usr/bin/env python3
"""Makes the e-book's font: DejaVu Sans Mono cut down to the characters of
code page 437 (each byte as a DOS screen shows it, the control bytes as their
graphics) and the few the pages add, so that box drawings line up on readers
whose own monospaced font lacks them. Run it again only to change the font;
the result is kept beside this script and built into the program.

    resources/epub/make_font.py [DejaVuSansMono.ttf]

Needs Debian's fonts-dejavu-core and python3-fonttools. The font keeps its
name, which holds neither "Bitstream" nor "Vera", as its licence asks of a
changed copy; the licence goes into every book (font-licence.txt)."""
import os
import sys

from fontTools import subset
from fontTools.ttLib import TTFont

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = sys.argv[1] if len(sys.argv) > 1 else "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf"
TARGET = os.path.join(HERE, "DejaVuSansMono-cp437.ttf")

# The graphics a DOS screen shows for the control bytes 0x01 to 0x1F, and 0x7F.
CONTROL_GRAPHICS = [
    0x263A, 0x263B, 0x2665, 0x2666, 0x2663, 0x2660, 0x2022, 0x25D8, 0x25CB, 0x25D9, 0x2642,
    0x2640, 0x266A, 0x266B, 0x263C, 0x25BA, 0x25C4, 0x2195, 0x203C, 0x00B6, 0x00A7, 0x25AC,
    0x21A8, 0x2191, 0x2193, 0x2192, 0x2190, 0x221F, 0x2194, 0x25B2, 0x25BC, 0x2302,
]
# The printable half and the upper half, as the codec knows them; the
# arrows of the pages' navigation and the replacement character.
code_points = set(CONTROL_GRAPHICS)
code_points.update(ord(c) for c in bytes(range(0x20, 0x7F)).decode("cp437"))
code_points.update(ord(c) for c in bytes(range(0x80, 0x100)).decode("cp437"))
code_points.update([0x2191, 0xFFFD])

font = TTFont(SOURCE)
cmap = font.getBestCmap()
missing = sorted(cp for cp in code_points if cp not in cmap)
if missing:
    print("not in the font:", " ".join("U+%04X" % cp for cp in missing))

options = subset.Options()
options.layout_features = []      # no ligatures or kerning in a monospaced text
options.name_IDs = [0, 1, 2, 3, 4, 5, 6]
options.notdef_outline = True
options.recalc_timestamp = False  # the same bytes every time
options.drop_tables += ["FFTM"]
subsetter = subset.Subsetter(options)
subsetter.populate(unicodes=sorted(code_points))
subsetter.subset(font)
font.save(TARGET, reorderTables=True)
print(TARGET, os.path.getsize(TARGET), "bytes,", len(code_points) - len(missing), "characters")

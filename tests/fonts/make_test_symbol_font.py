#!/usr/bin/python3
# Makes OrvaTestSymbol.ttf, the symbol font of the text tests: the capital letters of DejaVu
# Sans placed in the private-use page at U+F041..U+F05A in reverse order (U+F041 shows 'Z',
# U+F05A shows 'A'), so that text addressed through the symbol page measures and inks
# differently from the same letters in DejaVu Sans. Needs python3-fonttools (Debian).
#   tests/fonts/make_test_symbol_font.py [SOURCE.ttf] [OUT.ttf]
# The glyph outlines are those of DejaVu Sans (Bitstream Vera licence, kept in the
# name table: a renamed derivative).
import os
import sys

from fontTools import subset
from fontTools.ttLib import TTFont

FAMILY = "OrvaTestSymbol"
here = os.path.dirname(os.path.abspath(__file__))
source = sys.argv[1] if len(sys.argv) > 1 else "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"
target = sys.argv[2] if len(sys.argv) > 2 else os.path.join(here, FAMILY + ".ttf")

font = TTFont(source)
options = subset.Options()
options.layout_features = []          # no kerning or substitutions: plain advances
options.name_IDs = [0, 13, 14]     # copyright and licence of the source stay with it
options.notdef_outline = True
options.drop_tables += ["GPOS", "GSUB", "GDEF", "kern", "FFTM"]
subsetter = subset.Subsetter(options)
subsetter.populate(unicodes=[ord(c) for c in "ABCDEFGHIJKLMNOPQRSTUVWXYZ "])
subsetter.subset(font)

best = font.getBestCmap()
mapping = {0x20: best[0x20]}
for i in range(26):
    mapping[0xF041 + i] = best[ord("Z") - i]
cmap = font["cmap"]
cmap.tables = [t for t in cmap.tables if (t.platformID, t.platEncID) == (3, 1)]
cmap.tables[0].cmap = mapping

name = font["name"]
name.names = [n for n in name.names if n.nameID in (0, 13, 14)]
for name_id, text in ((1, FAMILY), (2, "Regular"), (3, FAMILY + " 1.0"), (4, FAMILY), (6, FAMILY)):
    name.setName(text, name_id, 3, 1, 0x409)
font["OS/2"].usFirstCharIndex = 0x20
font["OS/2"].usLastCharIndex = 0xF05A
font.recalcTimestamp = False          # the same bytes on every run
font.save(target)

#!/usr/bin/python3
# Builds the music font "Quorella" from the OpenType music fonts of Debian's lilypond-fonts,
# through the character map data/fonts/quorella.map: Quorella.ttf with OFL.txt beside it, and
# engraving/glyphs.h naming every code. Needs python3-fonttools. The output depends only on
# the inputs: two runs give the same bytes.
#   mkfont.py --map MAP --music SIZE20.otf --brace BRACE.otf --licence OFL-1.1.txt
#             --font-dir DIR --header FILE
import argparse
import math
import os
import re
import sys


def fail(message):
    print("mkfont: " + message, file=sys.stderr)
    sys.exit(1)


try:
    from fontTools.fontBuilder import FontBuilder
    from fontTools.pens.cu2quPen import Cu2QuPen
    from fontTools.pens.transformPen import TransformPen
    from fontTools.pens.ttGlyphPen import TTGlyphPen
    from fontTools.ttLib import TTFont
except ImportError:
    fail("python3-fonttools is not installed: run scripts/install-deps.sh")

FAMILY = "Quorella"
VERSION = "1.000"
UNITS_PER_EM = 1000          # the sources' em: one staff height
MAX_CURVE_ERROR = 1.0        # font units a quadratic may stray from the source's cubic

# The licence of the source glyphs, as their packagers declare it (the font files still
# carry an older notice in their name records, which this font does not copy). The source
# drawings are offered under either the GPL or the Open Font License; this font takes the
# Open Font License, whose reserved names it must not use as its own.
SOURCE_COPYRIGHT = ("Copyright (c) 1996-2017 The LilyPond authors (lilypond.org), "
                    "with Reserved Font Names \"Emmentaler\" and \"Feta\".")
MODIFICATION = ("Quorella is a Modified Version: glyphs selected, placed at new character "
                "codes and converted to TrueType outlines for the Ondrak Music Plug-in.")
LICENCE_DESCRIPTION = ("This Font Software is licensed under the SIL Open Font License, "
                       "Version 1.1. This license is available with a FAQ at: "
                       "https://openfontlicense.org")
LICENCE_URL = "https://openfontlicense.org"

# Codes whose twins below U+0100 text layout treats as controls or soft hyphens, so a glyph
# there could not be reached the same way through both pages.
SYMBOL_PAGE = range(0xF021, 0xF100)
MARK_PAGE = range(0xF100, 0xF200)
RESERVED = set(range(0xF07F, 0xF0A1)) | {0xF0AD}
SPACE_CODES = (0x0020, 0xF020)

PART = re.compile(r"^(?:(brace):)?([A-Za-z0-9_.*]+?)"
                  r"(?:\*(-?[0-9.]+(?:,-?[0-9.]+)*))?"
                  r"(?:@(-?[0-9.]+),(-?[0-9.]+))?$")
ROLE = re.compile(r"^[A-Z][A-Za-z0-9]*$")


def parse_part(text, where):
    match = PART.match(text)
    if not match:
        fail("%s: cannot read the source part \"%s\"" % (where, text))
    font, glyph, scale, dx, dy = match.groups()
    numbers = [float(v) for v in scale.split(",")] if scale else [1.0]
    if len(numbers) == 1:
        matrix = (numbers[0], 0.0, 0.0, numbers[0])
    elif len(numbers) == 2:
        matrix = (numbers[0], 0.0, 0.0, numbers[1])
    elif len(numbers) == 4:
        matrix = tuple(numbers)
    else:
        fail("%s: a scale takes 1, 2 or 4 numbers, not \"%s\"" % (where, scale))
    offset = (float(dx or 0), float(dy or 0))
    return (font or "music", glyph, matrix + offset)


def read_map(path):
    """Rows (code, parts, role), in the file's order; every fault is reported by line."""
    rows, codes, roles = [], set(), set()
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.split("#", 1)[0].strip()
            if not line:
                continue
            where = "%s:%d" % (path, number)
            fields = line.split()
            if len(fields) != 3:
                fail("%s: a row is code, source and role" % where)
            try:
                code = int(fields[0], 16)
            except ValueError:
                fail("%s: \"%s\" is not a hexadecimal code" % (where, fields[0]))
            if code not in SYMBOL_PAGE and code not in MARK_PAGE:
                fail("%s: U+%04X is outside U+F021..U+F1FF" % (where, code))
            if code in RESERVED:
                fail("%s: U+%04X must stay empty" % (where, code))
            if code in codes:
                fail("%s: U+%04X is mapped twice" % (where, code))
            role = fields[2]
            if not ROLE.match(role) or role in roles:
                fail("%s: the role \"%s\" is not a new CamelCase name" % (where, role))
            codes.add(code)
            roles.add(role)
            parts = [parse_part(p, where) for p in fields[1].split("+")]
            rows.append((code, parts, role, where))
    if not rows:
        fail("%s holds no rows" % path)
    return sorted(rows)


def draw_row(parts, sources, where):
    """The row's TrueType outline and advance width."""
    pen = TTGlyphPen(None)
    advance = None
    for font, name, transform in parts:
        glyphs = sources[font]
        if name not in glyphs:
            fail("%s: the %s font has no glyph \"%s\"" % (where, font, name))
        xx, xy, yx, yy, dx, dy = transform
        # A mirrored part runs its contours the other way: keep TrueType's clockwise outsides.
        mirrored = xx * yy - xy * yx < 0
        quadratic = Cu2QuPen(pen, MAX_CURVE_ERROR, reverse_direction=not mirrored)
        glyphs[name].draw(TransformPen(quadratic, transform))
        if advance is None:
            advance = xx * glyphs[name].width + dx
    glyph = pen.glyph()
    return glyph, advance


def build_font(rows, sources, source_head):
    order = [".notdef", "space"] + [role for _, _, role, _ in rows]
    glyphs, metrics, cmap = {}, {}, {}
    box = TTGlyphPen(None)   # .notdef: an open box, never drawn by a mapped code
    for contour in (((50, 0), (50, 700), (450, 700), (450, 0)),
                    ((100, 50), (400, 50), (400, 650), (100, 650))):
        box.moveTo(contour[0])
        for point in contour[1:]:
            box.lineTo(point)
        box.closePath()
    glyphs[".notdef"] = box.glyph()
    glyphs["space"] = TTGlyphPen(None).glyph()
    metrics[".notdef"] = 500
    metrics["space"] = sources["music"]["space"].width
    for code in SPACE_CODES:
        cmap[code] = "space"
    for code, parts, role, where in rows:
        glyph, advance = draw_row(parts, sources, where)
        if glyph.numberOfContours == 0:
            fail("%s: the row draws nothing" % where)
        glyphs[role] = glyph
        metrics[role] = advance
        cmap[code] = role
        if code in SYMBOL_PAGE:
            cmap[code - 0xF000] = role

    builder = FontBuilder(UNITS_PER_EM, isTTF=True)
    builder.setupGlyphOrder(order)
    builder.setupCharacterMap(cmap)
    builder.setupGlyf(glyphs)
    glyf = builder.font["glyf"]
    horizontal, low, high = {}, 0, 0
    for name in order:
        glyph = glyf[name]
        glyph.recalcBounds(glyf)
        has_ink = glyph.numberOfContours != 0
        x_min = glyph.xMin if has_ink else 0
        x_max = glyph.xMax if has_ink else 0
        # Never a zero advance: a run that measures less than a pixel is not drawn.
        horizontal[name] = (max(int(round(metrics[name])), x_max, 1), x_min)
        if has_ink:
            low, high = min(low, glyph.yMin), max(high, glyph.yMax)
    builder.setupHorizontalMetrics(horizontal)
    # Ascent and descent cover every glyph, the brace included, so that the areas marked
    # for redrawing hold all the ink of a run.
    builder.setupHorizontalHeader(ascent=high, descent=low)
    builder.setupNameTable({
        "copyright": SOURCE_COPYRIGHT + " " + MODIFICATION,
        "familyName": FAMILY,
        "styleName": "Regular",
        "uniqueFontIdentifier": "%s %s" % (FAMILY, VERSION),
        "fullName": FAMILY,
        "version": "Version " + VERSION,
        "psName": FAMILY,
        "licenseDescription": LICENCE_DESCRIPTION,
        "licenseInfoURL": LICENCE_URL,
    }, mac=False)
    codes = sorted(cmap)
    builder.setupOS2(version=4, achVendID="NONE", fsType=0, fsSelection=0x40,
                     usWeightClass=400, usWidthClass=5,
                     usFirstCharIndex=codes[0], usLastCharIndex=codes[-1],
                     sTypoAscender=high, sTypoDescender=low, sTypoLineGap=0,
                     usWinAscent=high, usWinDescent=-low)
    builder.font["OS/2"].recalcUnicodeRanges(builder.font)
    builder.setupPost(keepGlyphNames=True)
    # The source's own dates, so that the bytes change only with the source.
    builder.updateHead(created=source_head.created, modified=source_head.modified,
                       fontRevision=float(VERSION))
    return builder


def glyph_metrics(builder):
    glyf, hmtx = builder.font["glyf"], builder.font["hmtx"]
    found = {}
    for code, name in builder.font.getBestCmap().items():
        if code >= 0xF000:
            glyph = glyf[name]
            found[code] = (name, hmtx[name][0], glyph.xMin, glyph.yMin, glyph.xMax, glyph.yMax)
    return found


def write_header(path, rows, builder, map_name):
    metrics = glyph_metrics(builder)
    lines = [
        "// Character codes of the music font \"%s\" and the outline box of each glyph." % FAMILY,
        "// Generated by tools/mkfont/mkfont.py from %s: edit the map, not this file." % map_name,
        "#pragma once",
        "",
        "// Units are thousandths of the text size; at text size s a staff is s pixels high, so a",
        "// staff space is 250 units. Codes U+F021..U+F0FF are also reached as the byte code & 0xFF",
        "// of 8-bit text and as U+0021..U+00FF; U+F100 + t is the glyph of mark type t.",
        "inline constexpr char kMusicFontFamily[] = \"%s\";" % FAMILY,
        "inline constexpr int kMusicFontUnitsPerEm = %d;" % UNITS_PER_EM,
        "inline constexpr int kMusicFontStaffSpace = %d;" % (UNITS_PER_EM // 4),
        "inline constexpr unsigned short kGlyphSpace = 0xF020;",
        "inline constexpr unsigned short kGlyphMarkBase = 0xF100;",
        "",
    ]
    width = max(len(role) for _, _, role, _ in rows)
    for code, _, role, _ in rows:
        lines.append("inline constexpr unsigned short kGlyph%s = 0x%04X;" % (role.ljust(width), code))
    lines += [
        "",
        "struct MusicGlyphMetrics {",
        "    unsigned short code;",
        "    short advance;                  // pen advance",
        "    short xMin, yMin, xMax, yMax;   // ink box, y up from the baseline",
        "};",
        "// Sorted by code.",
        "inline constexpr MusicGlyphMetrics kMusicGlyphMetrics[] = {",
    ]
    for code in sorted(metrics):
        name, advance, x_min, y_min, x_max, y_max = metrics[code]
        if name == "space":
            x_min = y_min = x_max = y_max = 0
        lines.append("    {0x%04X, %d, %d, %d, %d, %d},  // %s" %
                     (code, advance, x_min, y_min, x_max, y_max, name))
    lines += ["};", ""]
    write_text(path, "\n".join(lines))


def write_licence(path, licence_path):
    with open(licence_path, encoding="utf-8") as f:
        licence = f.read()
    text = "\n".join([
        SOURCE_COPYRIGHT,
        "",
        MODIFICATION,
        "",
        "This Font Software is licensed under the SIL Open Font License, Version 1.1.",
        "This license is copied below, and is also available with a FAQ at:",
        LICENCE_URL,
        "",
        "",
        licence.rstrip("\n"),
        "",
    ])
    write_text(path, text)


def write_text(path, text):
    os.makedirs(os.path.dirname(os.path.abspath(path)), exist_ok=True)
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write(text)


def open_source(path, what):
    if not os.path.isfile(path):
        fail("%s is missing (%s): install lilypond-fonts with scripts/install-deps.sh" % (path, what))
    try:
        return TTFont(path)
    except Exception as error:  # fontTools raises many kinds for a damaged file
        fail("%s cannot be read: %s" % (path, error))


def main():
    parser = argparse.ArgumentParser(description="Builds the music font " + FAMILY + ".")
    parser.add_argument("--map", required=True)
    parser.add_argument("--music", required=True, help="the size-20 music font")
    parser.add_argument("--brace", required=True, help="the brace font")
    parser.add_argument("--licence", required=True, help="text of the Open Font License 1.1")
    parser.add_argument("--font-dir", required=True)
    parser.add_argument("--header", required=True)
    args = parser.parse_args()

    music = open_source(args.music, "music font")
    brace = open_source(args.brace, "brace font")
    for source in (music, brace):
        if source["head"].unitsPerEm != UNITS_PER_EM:
            fail("a source font does not have %d units per em" % UNITS_PER_EM)
    sources = {"music": music.getGlyphSet(), "brace": brace.getGlyphSet()}
    rows = read_map(args.map)
    builder = build_font(rows, sources, music["head"])

    os.makedirs(args.font_dir, exist_ok=True)
    font_path = os.path.join(args.font_dir, FAMILY + ".ttf")
    builder.save(font_path + ".part")
    os.replace(font_path + ".part", font_path)
    write_licence(os.path.join(args.font_dir, "OFL.txt"), args.licence)
    write_header(args.header, rows, builder, os.path.join("data", "fonts", os.path.basename(args.map)))


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
# Writes platform/core/encoding_tables.cpp: the code-page, Shift-JIS, case and HTML entity
# tables of the text converters, with the reverse indexes the converters search.
# Run by hand when a table must change; the output is committed and the build never runs it.
#   tools/gen-encoding-tables/gen_encoding_tables.py [output.cpp]
# Needs python3, the C library's iconv program (MACINTOSH, CP1252, CP437, ISO-8859-15, SHIFT_JIS) and
# its C.UTF-8 locale (simple upper-case mapping through towupper).

import ctypes
import ctypes.util
import html.entities
import os
import subprocess
import sys

REPLACEMENT = 0xFFFD


def iconv(data, source, target, discard=False):
    args = ['iconv', '-f', source, '-t', target]
    if discard:
        args.insert(1, '-c')
    result = subprocess.run(args, input=data, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    if result.returncode != 0 and not discard:
        raise SystemExit('iconv %s -> %s failed' % (source, target))
    return result.stdout


def utf16_units(data):
    return [int.from_bytes(data[i:i + 2], 'little') for i in range(0, len(data), 2)]


def split_lines(units):
    lines, current = [], []
    for u in units:
        if u == 0x0A:
            lines.append(current)
            current = []
        else:
            current.append(u)
    return lines


def code_page(name, first):
    """Unicode values of bytes first..0xFF of a code page, one iconv call per byte so that
    an undefined byte shows as U+FFFD instead of shifting the others."""
    values = []
    for byte in range(first, 0x100):
        units = utf16_units(iconv(bytes([byte]), name, 'UTF-16LE', discard=True))
        values.append(units[0] if len(units) == 1 else REPLACEMENT)
    return values


def mac_roman():
    values = code_page('MACINTOSH', 0x80)
    values[0xC6 - 0x80] = 0x2206  # INCREMENT, as the system fonts draw it
    values[0xF0 - 0x80] = 0xF8FF  # the apple logo's private code
    return values


def windows():
    values = code_page('CP1252', 0x7F)
    for byte in (0x7F, 0x81, 0x8D, 0x8F, 0x90, 0x9D):
        values[byte - 0x7F] = REPLACEMENT
    return values


def ms_dos():
    return code_page('CP437', 0x80)


def latin9():
    return code_page('ISO-8859-15', 0x80)


def shift_jis_single_bytes():
    rows = []
    for byte in range(0x20, 0x7F):
        rows.append((byte, 0x00A5 if byte == 0x5C else byte))
    rows.append((0x80, 0x005C))
    rows.append((0xA0, 0x00A0))
    for byte in range(0xA1, 0xE0):
        rows.append((byte, 0xFF61 + byte - 0xA1))  # half-width katakana
    rows.append((0xFD, 0x00A9))
    rows.append((0xFE, 0x2122))
    return rows


def shift_jis_double_bytes():
    """Every double-byte code that the C library's SHIFT_JIS (the JIS X 0208 arrangement)
    decodes to one BMP unit and encodes back to the same two bytes."""
    codes = []
    for lead in list(range(0x81, 0xA0)) + list(range(0xE0, 0xFD)):
        for trail in list(range(0x40, 0x7F)) + list(range(0x80, 0xFD)):
            codes.append((lead << 8) | trail)
    data = b''.join(bytes([c >> 8, c & 0xFF]) + b'\n' for c in codes)
    lines = split_lines(utf16_units(iconv(data, 'SHIFT_JIS', 'UTF-16LE', discard=True)))
    assert len(lines) == len(codes)
    candidates = [(c, l[0]) for c, l in zip(codes, lines) if len(l) == 1 and l[0] >= 0x80]
    back = b''.join(chr(u).encode('utf-8') + b'\n' for _, u in candidates)
    encoded = iconv(back, 'UTF-8', 'SHIFT_JIS', discard=True).split(b'\n')
    rows = []
    for (code, unit), again in zip(candidates, encoded):
        if again == bytes([code >> 8, code & 0xFF]):
            rows.append((code, unit))
    return rows


def shift_jis():
    single = shift_jis_single_bytes()
    double = shift_jis_double_bytes()
    rows = sorted(single + double)
    units = [u for _, u in rows]
    assert len(set(units)) == len(units), 'a Shift-JIS unit is listed twice'
    return rows


DIGRAPHS = set(range(0x01C4, 0x01CD)) | set(range(0x01F1, 0x01F4))


def case_pairs():
    libc = ctypes.CDLL(ctypes.util.find_library('c'))
    libc.setlocale.restype = ctypes.c_char_p
    libc.setlocale.argtypes = [ctypes.c_int, ctypes.c_char_p]
    lc_ctype = 0
    if not libc.setlocale(lc_ctype, b'C.UTF-8'):
        raise SystemExit('the C.UTF-8 locale is missing')
    libc.towupper.restype = ctypes.c_uint32
    libc.towupper.argtypes = [ctypes.c_uint32]
    rows = []
    for unit in range(0x10000):
        if 0xD800 <= unit <= 0xDFFF:
            continue
        if unit in DIGRAPHS:
            title = chr(unit).title()
            upper = ord(title) if len(title) == 1 else unit
        else:
            upper = libc.towupper(unit)
        if upper != unit and upper < 0x10000:
            rows.append((unit, upper))
    return rows


EXTRA_ENTITIES = [
    ('Delta', 916), ('fnof', 402), ('Omega', 937), ('OElig', 338), ('oelig', 339),
    ('Scaron', 352), ('scaron', 353), ('Yuml', 376), ('inodot', 305), ('circ', 710),
    ('caron', 711), ('breve', 728), ('dot', 729), ('ring', 730), ('ogon', 731),
    ('tilde', 732), ('dblac', 733), ('ndash', 8211), ('mdash', 8212), ('dagger', 8224),
    ('Dagger', 8225), ('bull', 8226), ('hellip', 8230), ('lsquo', 8216), ('rsquo', 8217),
    ('lsquor', 8218), ('ldquo', 8220), ('rdquo', 8221), ('ldquor', 8222), ('lsaquo', 8249),
    ('rsaquo', 8250), ('euro', 8364), ('trade', 8482), ('radic', 8730), ('infin', 8734),
    ('int', 8747), ('part', 8706), ('ap', 8773), ('ne', 8800), ('le', 8804), ('ge', 8805),
    ('sum', 931), ('permil', 8240), ('prod', 8719), ('pi', 960), ('loz', 9674),
]


def entities():
    rows = [(34, 'quot'), (38, 'amp'), (39, 'apos'), (60, 'lt'), (62, 'gt')]
    for unit in range(160, 256):
        rows.append((unit, html.entities.codepoint2name[unit]))
    rows += [(unit, name) for name, unit in EXTRA_ENTITIES]
    assert len(rows) == 147
    assert len(set(u for u, _ in rows)) == len(rows), 'an entity code is listed twice'
    assert all(len(n) <= 7 for _, n in rows)
    return rows


def first_position_index(pairs):
    """(key, value) pairs sorted by key, keeping for each key the value of its first
    position in the given order: what a linear scan from the start finds."""
    seen = {}
    for key, value in pairs:
        seen.setdefault(key, value)
    return sorted(seen.items())


def hex_rows(values, per_line, width=4):
    lines = []
    for i in range(0, len(values), per_line):
        lines.append('    ' + ' '.join('0x%0*X,' % (width, v) for v in values[i:i + per_line]))
    return '\n'.join(lines)


def pair_rows(pairs, per_line=6):
    lines = []
    for i in range(0, len(pairs), per_line):
        lines.append('    ' + ' '.join('{0x%04X, 0x%04X},' % p for p in pairs[i:i + per_line]))
    return '\n'.join(lines)


def main():
    root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    output = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, 'platform/core/encoding_tables.cpp')

    roman, win, dos, latin = mac_roman(), windows(), ms_dos(), latin9()
    sjis = shift_jis()
    case = case_pairs()
    ents = entities()

    roman_index = first_position_index([(u, 0x80 + i) for i, u in enumerate(roman)])
    win_index = first_position_index([(u, 0x7F + i) for i, u in enumerate(win)])
    dos_index = first_position_index([(u, 0x80 + i) for i, u in enumerate(dos)])
    upper_index = first_position_index([(up, low) for low, up in case])
    entity_units = first_position_index([(u, i) for i, (u, _) in enumerate(ents)])
    entity_names = sorted(range(len(ents)), key=lambda i: ents[i][1].encode('ascii'))

    out = []
    out.append('// Generated by tools/gen-encoding-tables/gen_encoding_tables.py; do not edit.')
    out.append('// Code pages, Shift-JIS, case pairs and HTML entities with their reverse indexes.')
    out.append('#include "platform/core/encoding_tables.h"')
    out.append('')
    out.append('const UniChar kMacRomanToUnicode[128] = {\n%s\n};' % hex_rows(roman, 8))
    out.append('')
    out.append('const UniChar kWindowsToUnicode[129] = {\n%s\n};' % hex_rows(win, 8))
    out.append('')
    out.append('const UniChar kMSDosToUnicode[128] = {\n%s\n};' % hex_rows(dos, 8))
    out.append('')
    out.append('const UniChar kLatin9ToUnicode[128] = {\n%s\n};' % hex_rows(latin, 8))
    out.append('')
    for name, index in (('kMacRomanByUnit', roman_index), ('kWindowsByUnit', win_index),
                        ('kMSDosByUnit', dos_index)):
        out.append('const UnitIndexEntry %s[] = {\n%s\n};' % (name, pair_rows(index)))
        out.append('const SInt32 %sCount = %d;' % (name, len(index)))
        out.append('')
    out.append('const ShiftJisPair kShiftJisTable[] = {\n%s\n    {0xFFFF, 0xFFFF},\n};' % pair_rows(sjis))
    out.append('const SInt32 kShiftJisPairCount = %d;' % len(sjis))
    out.append('')
    out.append('const CasePair kCaseTable[] = {\n%s\n    {0x0000, 0x0000},\n};' % pair_rows(case))
    out.append('const SInt32 kCasePairCount = %d;' % len(case))
    out.append('')
    out.append('const UnitIndexEntry kCaseByUpper[] = {\n%s\n};' % pair_rows(upper_index))
    out.append('const SInt32 kCaseByUpperCount = %d;' % len(upper_index))
    out.append('')
    rows = '\n'.join('    {%d, "%s"},' % e for e in ents)
    out.append('const EntityEntry kEntityTable[] = {\n%s\n    {0, ""},\n};' % rows)
    out.append('const SInt32 kEntityCount = %d;' % len(ents))
    out.append('')
    out.append('const UnitIndexEntry kEntityByUnit[] = {\n%s\n};' % pair_rows(entity_units))
    out.append('')
    out.append('const UInt8 kEntityByName[] = {\n%s\n};' % hex_rows(entity_names, 12, 2))
    out.append('')
    with open(output, 'w') as f:
        f.write('\n'.join(out))
    print('%s: %d Shift-JIS pairs, %d case pairs, %d entities' % (output, len(sjis), len(case), len(ents)))


if __name__ == '__main__':
    main()

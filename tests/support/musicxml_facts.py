#!/usr/bin/env python3
"""Facts of a MusicXML document, found with Python's standard XML, zip and gzip modules and
nothing of the importer, for the importer's tests: the staves, braces, instruments and bar
records that the import rules give, the titles, the measures and every note's staff, time,
pitch and length, read from the durations, backups, forwards, chords and pitches of the file,
and counts of tie stops, beamed notes, grace notes and marks. Printed in the line form of
scoredump (docs/scoredump.md), each line with only the fields these rules decide; NOTE lines
carry no index (they are compared as a multiset).

    musicxml_facts.py FILE      FILE: .xml, .musicxml, .mxl or .xmz
"""
import gzip
import html
import math
import re
import struct
import sys
import xml.etree.ElementTree as ET
import zipfile

MAX_STAVES = 16          # staff numbers of a part
MAX_VOICES = 16          # voice numbers of a staff number
MAX_PART_INSTRUMENTS = 64
MAX_PART_STAVES = 256    # engine staves of one part
MAX_SCORE_STAVES = 512
MAX_INSTRUMENTS = 4096
NAME_BYTES = 1023        # a staff name keeps this many bytes, cut on a character boundary
NO_LONG = 2147483647     # what a number that cannot be read is taken for
NO_FLOAT = struct.unpack('f', struct.pack('f', 1e30))[0]
STEPS = {'A': 9, 'B': 11, 'C': 0, 'D': 2, 'E': 4, 'F': 5, 'G': 7}
LONG_MAX = 2 ** 63 - 1
WHOLE = 161280           # score units of a whole note
QUARTER = 40320
BAR_UNIT = 1260          # bar lengths are whole 128th notes
MAX_BAR = 128 * WHOLE
MAX_BEATS = 128
MAX_DIVISIONS = 1 << 20
TYPES = {'long': 645120, 'breve': 322560, 'whole': 161280, 'half': 80640, 'quarter': 40320, 'eighth': 20160,
         '16th': 10080, '32nd': 5040, '64th': 2520}
EVENT_KINDS = ('direction', 'attributes', 'harmony', 'figured-bass', 'print', 'sound', 'barline', 'grouping')
# Children of ornaments, technical and articulations that mark a note ("fingering" only 0..5).
MARKED = {'trill-mark', 'turn', 'delayed-turn', 'mordent', 'inverted-mordent', 'tremolo', 'up-bow', 'down-bow',
          'harmonic', 'open-string', 'thumb-position', 'hammer-on', 'pull-off', 'bend', 'tap', 'accent',
          'strong-accent', 'staccato', 'tenuto', 'detached-legato', 'staccatissimo', 'breath-mark', 'caesura'}


def document(path):
    lower = path.lower()
    if lower.endswith('.mxl'):
        with zipfile.ZipFile(path) as archive:
            names = archive.namelist()
            member = None
            if 'META-INF/container.xml' in names:
                try:
                    container = ET.fromstring(archive.read('META-INF/container.xml'))
                    rootfile = container.find('rootfiles/rootfile')
                    if rootfile is not None and rootfile.get('full-path'):
                        member = rootfile.get('full-path')
                except ET.ParseError:
                    pass
            if member is None:
                member = next(n for n in names if not n.startswith('META-INF/') and
                              (n.lower().endswith('.xml') or n.lower().endswith('.musicxml')))
            return archive.read(member)
    if lower.endswith('.xmz'):
        with gzip.open(path) as f:
            return f.read()
    with open(path, 'rb') as f:
        return f.read()


def text(element):
    """An element's text as the importer's tree keeps it: blank text between children dropped,
    entity references decoded once more, every line break a single CR."""
    if element is None:
        return None
    if len(element):
        pieces = [element.text] + [child.tail for child in element]
        value = ''.join(p for p in pieces if p and p.strip(' \t\n\r\x0b\x0c' + ''.join(map(chr, range(32)))))
    else:
        value = element.text
    if not value:
        return None
    value = html.unescape(value)
    out, i = [], 0
    while i < len(value):
        c = value[i]
        if c in '\r\n':
            out.append('\r')
            if i + 1 < len(value) and value[i + 1] in '\r\n' and value[i + 1] != c:
                i += 1
        else:
            out.append(c)
        i += 1
    return ''.join(out)


def c_long(value):
    """A leading decimal integer as the C library reads it; NO_LONG when there is none."""
    if not value:
        return NO_LONG
    m = re.match(r'[ \t\n\v\f\r]*([+-]?[0-9]+)', value)
    if not m:
        return NO_LONG
    return max(-LONG_MAX - 1, min(LONG_MAX, int(m.group(1))))


def attribute_long(value):
    """An attribute's leading integer: it must start with a sign or a digit."""
    return c_long(value) if value and value[0] in '+-0123456789' else NO_LONG


def c_float(value):
    """A leading decimal number as a single-precision float; NO_FLOAT when there is none."""
    if not value:
        return NO_FLOAT
    m = re.match(r'[ \t\n\v\f\r]*([+-]?(?:inf(?:inity)?|nan|(?:[0-9]+\.?[0-9]*|\.[0-9]+)(?:[eE][+-]?[0-9]+)?))',
                 value, re.IGNORECASE)
    if not m:
        return NO_FLOAT
    number = float(m.group(1))
    try:
        return struct.unpack('f', struct.pack('f', number))[0]
    except OverflowError:
        return float('inf') if number > 0 else float('-inf')


def whole(value):
    """A text that is a whole number and nothing else (blanks around it allowed), or None."""
    if value is None:
        return None
    m = re.fullmatch(r'[ \t\n\v\f\r]*([+-]?[0-9]+)[ \t\n\v\f\r]*', value)
    return max(-LONG_MAX - 1, min(LONG_MAX, int(m.group(1)))) if m else None


def rounded(value):
    """The nearest whole number, halves away from zero."""
    return int(math.floor(abs(value) + 0.5)) * (1 if value >= 0 else -1)


def type_value(name):
    return 0 if name is None else TYPES.get(name.lower(), 1260)


def spanned(length):
    """The length a time signature made for a bar of that length spans: the length itself when
    some power-of-two denominator up to 128 spans it in at most 128 beats, else rounded up."""
    length = min(max(length, BAR_UNIT), MAX_BAR)
    for d in (1, 2, 4, 8, 16, 32, 64, 128):
        if length % (WHOLE // d) == 0 and length // (WHOLE // d) <= MAX_BEATS:
            return length
    numerator, denominator = -(-length // BAR_UNIT), 128
    while numerator > MAX_BEATS:
        numerator, denominator = (numerator + 1) // 2, denominator // 2
    return numerator * (WHOLE // denominator)


def time_signature(time):
    """(beats, beat type) of a time element, None when it has no usable count of beats."""
    symbol = time.get('symbol')
    if symbol in ('common', 'cut'):
        return (4, 4) if symbol == 'common' else (2, 2)
    total, seen, beat_type = 0, False, None
    for child in time:
        if child.tag == 'beats':
            value = text(child)
            m = re.fullmatch(r'[ \t]*([0-9]+(?:[ \t]*\+[ \t]*[0-9]+)*)[ \t]*\+?.*', value or '', re.S)
            if not m:
                return None
            parts = [int(x) for x in re.split(r'[ \t]*\+[ \t]*', m.group(1))]
            if any(x > MAX_BEATS for x in parts):
                return None
            total += sum(parts)
            seen = True
            if total > MAX_BEATS:
                return None
        elif child.tag == 'beat-type' and beat_type is None:
            beat_type = c_long(text(child))
    if not seen or total < 1:
        return None
    if beat_type is not None and beat_type != NO_LONG and not 1 <= beat_type <= MAX_BEATS:
        return None
    return total, 4 if beat_type in (None, NO_LONG) else beat_type


def clamp(value, low, high):
    return low if value != value or value < low else high if value > high else int(value)


def quoted(value):
    out = bytearray(b'"')
    for b in (value or '').encode('utf-8') if isinstance(value, str) else (value or b''):
        out += b'\\x%02x' % b if b in b'"\\' or b < 0x20 or b == 0x7f else bytes([b])
    return bytes(out + b'"')


def cut(name):
    data = name.encode('utf-8')
    if len(data) <= NAME_BYTES:
        return data
    end = NAME_BYTES
    while end > 0 and (data[end] & 0xC0) == 0x80:
        end -= 1
    return data[:end]


def staff_index(value):
    n = whole(value)
    if n is None or n < 1:
        return 0
    return MAX_STAVES - 1 if n > MAX_STAVES else n - 1


class Facts:
    def __init__(self, root):
        self.root = root
        self.lines = []
        self.staves = []        # (name, short) of each staff, for the braces
        self.instruments = 0
        self.bars = []          # number bytes, implicit
        self.first_bar = {}
        self.nodes = []         # (part, staff number, voice, instrument, staff index) in staff order
        self.instrument_ids = {}  # part -> {score-instrument id: instrument index}
        self.aliases = {}       # part -> {(staff number, voice text): voice}
        self.parts = []         # (part index, part element) in part-list order
        self.bar_lines = []     # the BNUM line of each bar record, its fields as a list
        self.instrument_lines = []  # where each instrument's INSTR line stands in lines
        self.unpitched = []     # each instrument's unpitched flag

    def emit(self, *fields):
        self.lines.append(b' '.join(f if isinstance(f, bytes) else str(f).encode() for f in fields))

    def titles(self):
        slots = [None, None, None]
        work = self.root.find('work')
        for child in (work if work is not None else []):
            if child.tag == 'work-title':
                slots[0] = text(child)
        if not slots[0]:
            slots[0] = text(self.root.find('movement-title'))
        identification = self.root.find('identification')
        for child in (identification if identification is not None else []):
            if child.tag != 'creator':
                continue
            kind = child.get('type')
            if kind is None or kind == 'composer':
                slots[1] = text(child)
            elif kind == 'poet':
                slots[2] = text(child)
        names = [cut(s or '') for s in slots]
        self.emit('DOC', b'title=' + quoted(names[0]), b'composer=' + quoted(names[1]), b'poet=' + quoted(names[2]))

    def instrument(self, score_part, score_instrument, transposition, ordinal):
        if self.instruments == MAX_INSTRUMENTS:
            return -1
        index = self.instruments
        self.instruments += 1
        v = dict(channel=1, program=0, bank=0, volume=127, pan=64, volumegiven=0, pangiven=0, unpitched=0,
                 transposition=transposition)
        name = ''
        identifier = score_instrument.get('id') if score_instrument is not None else None
        if score_instrument is not None:
            name = text(score_instrument.find('instrument-name')) or ''
        if identifier is not None:
            midi = next((m for m in score_part.findall('midi-instrument') if m.get('id') == identifier), None)
            if midi is not None:
                self.midi(midi, v)
        else:
            name = 'def %d' % ordinal
        if v['channel'] == 10:
            sound = 16384 + 128 * (v['program'] % 128) + v['transposition']
        else:
            sound = v['program'] + 128 * v['bank']
        fields = ['INSTR', index]
        if name.isascii() and all(' ' <= c < '\x7f' for c in name):
            fields.append(b'name=' + quoted(name[:79]))
        fields += ['%s=%d' % (k, v[k]) for k in ('program', 'bank', 'channel', 'volume', 'volumegiven', 'pan',
                                                  'pangiven', 'unpitched', 'transposition')]
        fields.append('sound=%d' % sound)
        self.emit(*fields)
        self.instrument_lines.append(len(self.lines) - 1)
        self.unpitched.append(v['unpitched'])
        return index

    @staticmethod
    def midi(midi, v):
        def long_of(tag):
            return c_long(text(midi.find(tag)))

        def float_of(tag):
            return c_float(text(midi.find(tag)))
        if long_of('midi-channel') != NO_LONG:
            v['channel'] = clamp(long_of('midi-channel'), 1, 16)
        bank = long_of('midi-bank')
        if bank != NO_LONG and bank >= 1:
            v['bank'] = clamp(bank - 1, 0, 127)
        if long_of('midi-program') != NO_LONG:
            v['program'] = clamp(long_of('midi-program') - 1, 0, 127)
        if long_of('midi-volume') != NO_LONG:
            v['volume'], v['volumegiven'] = clamp(long_of('midi-volume'), 0, 127), 1
        if float_of('volume') != NO_FLOAT:
            percent = float_of('volume')
            v['volume'] = clamp(percent * 127 / 100 if percent != percent or abs(percent) == float('inf')
                                else int(percent * 127 / 100), 0, 127)
            v['volumegiven'] = 1
        for tag in ('midi-panning', 'pan'):
            degrees = float_of(tag)
            if degrees != NO_FLOAT:
                value = (degrees + 90) * 7 / 10
                v['pan'] = clamp(value if value != value or abs(value) == float('inf') else int(value), 0, 127)
                v['pangiven'] = 1
        if long_of('midi-unpitched') != NO_LONG:
            v['transposition'], v['unpitched'] = clamp(long_of('midi-unpitched') - 1, 0, 127), 1

    def bar_records(self, part):
        for m, measure in enumerate(part.findall('measure')):
            number = measure.get('number')
            key = number.encode('utf-8')[:19] if number is not None else b''
            implicit = 1 if (measure.get('implicit') or '').lower() == 'yes' else 0
            rest = next((r for a in measure.findall('attributes') for s in a.findall('measure-style')
                         for r in s.findall('multiple-rest')), None)
            rests = c_long(text(rest))
            rests = 0 if rests == NO_LONG or rests < 0 else min(rests, 65535)
            if m < len(self.bars) and (number is None or self.bars[m] == (key, implicit)):
                continue
            if number is not None and key in self.first_bar:
                continue
            self.first_bar.setdefault(key, len(self.bars))
            line = [b'BNUM', b'%d' % len(self.bars), b'number=' + quoted(key), b'implicit=%d' % implicit,
                    b'rests=%d' % rests]
            self.lines.append(line)
            self.bar_lines.append(line)
            self.bars.append((key, implicit))

    def part(self, score_part, part, p, k):
        first_transpose = next((t for m in part.findall('measure') for a in m.findall('attributes')
                                for t in a.findall('transpose')), None)
        chromatic = c_long(text(first_transpose.find('chromatic'))) if first_transpose is not None else NO_LONG
        transposition = 0 if chromatic == NO_LONG else clamp(chromatic, -127, 127)
        score_instruments = score_part.findall('score-instrument')[:MAX_PART_INSTRUMENTS]
        instruments = [self.instrument(score_part, si, transposition, k) for si in score_instruments]
        self.instrument_ids[p] = {si.get('id'): index for si, index in zip(score_instruments, instruments)
                                  if si.get('id') is not None}
        if not instruments:
            instruments = [self.instrument(score_part, None, 0, k)]
        clef = next((c for m in part.findall('measure') for a in m.findall('attributes')
                     for c in a.findall('clef')), None)
        sign = (text(clef.find('sign')) or '') if clef is not None else ''
        kind = 7 if sign.lower() == 'tab' else 8 if sign.lower() == 'percussion' else 0
        name = text(score_part.find('part-name')) or ''
        abbreviation_element = score_part.find('part-abbreviation')
        abbreviation = ' ' if abbreviation_element is None else text(abbreviation_element) or ''
        self.bar_records(part)
        staves = 1
        for attributes in (a for m in part.findall('measure') for a in m.findall('attributes')):
            for element in attributes.findall('staves'):
                count = c_long(text(element))
                if count != NO_LONG and count > staves:
                    staves = min(count, MAX_STAVES)
        used = [0] * MAX_STAVES
        odd = []
        notes = [n for m in part.findall('measure') for n in m.findall('note')]
        for note in notes:
            s = staff_index(text(note.find('staff')))
            staves = max(staves, s + 1)
            voice = text(note.find('voice'))
            number = whole(voice)
            if not voice:
                used[s] |= 1
            elif number is not None and 1 <= number <= MAX_VOICES:
                used[s] |= 1 << (number - 1)
            else:
                odd.append((s, voice))
        aliases = self.aliases[p] = {}
        for s, voice in odd:
            if (s, voice) in aliases:
                continue
            free = next((v for v in range(MAX_VOICES) if not used[s] & (1 << v)), 0)
            aliases[(s, voice)] = free
            used[s] |= 1 << free
        lines, tuning = 5, {}
        first = part.find('measure')
        details = next((d for a in first.findall('attributes') for d in a.findall('staff-details')), None) \
            if first is not None else None
        if details is not None:
            count = c_long(text(details.find('staff-lines')))
            if count != NO_LONG:
                lines = clamp(count, 0, 16)
            for t in details.findall('staff-tuning') if kind == 7 else []:
                line = attribute_long(t.get('line'))
                if not 1 <= line <= 16:
                    continue
                step = text(t.find('tuning-step')) or ''
                octave = c_long(text(t.find('tuning-octave')))
                alter = c_long(text(t.find('tuning-alter')))
                pitch = 12 * ((3 if octave == NO_LONG else octave) + 1) + STEPS.get(step[:1], 0) + \
                    (0 if alter == NO_LONG else alter)
                tuning[line] = clamp(pitch, 0, 127)
        strings = max(tuning) if tuning else 0
        made, first_staff = 0, None
        for s in range(staves):
            voices = max([v + 1 for v in range(MAX_VOICES) if used[s] & (1 << v)] + [1])
            last = None
            for v in range(voices):
                for instrument in instruments:
                    if made == MAX_PART_STAVES or len(self.staves) == MAX_SCORE_STAVES:
                        break
                    made += 1
                    long_name = cut(name if v == 0 or not name or len(name.encode()) >= 200
                                    else '%s-%d' % (name, v + 1))
                    short_name = cut(abbreviation if v == 0 or not abbreviation else '%s-%d' % (abbreviation, v + 1))
                    index = len(self.staves)
                    self.nodes.append((p, s, v, instrument, index))
                    first_staff = index if first_staff is None else first_staff
                    self.staves.append((long_name, short_name))
                    fields = ['STAFF', index, b'name=' + quoted(long_name), b'short=' + quoted(short_name),
                              'type=%d' % kind, 'instrument=%d' % instrument, 'merge=2', 'continued=1',
                              'part=%d' % p, 'staf=%d' % s, 'voic=%d' % v, 'lines=%d' % lines]
                    if kind == 7:
                        pitches = [tuning.get(strings - k, 65535) for k in range(strings)] if strings else \
                            [64, 59, 55, 50, 45, 40]
                        fields += ['strings=%d' % len(pitches), 'tuning=' + ','.join(map(str, pitches))]
                    self.lines.append(None)
                    last = len(self.lines) - 1
                    self.lines[last] = fields
            if last is not None:
                self.lines[last][7] = 'continued=0'
        self.lines = [b' '.join(f if isinstance(f, bytes) else str(f).encode() for f in line)
                      if isinstance(line, list) and line[0] == 'STAFF' else line for line in self.lines]
        if staves > 1 and first_staff is not None:
            long_name, short_name = self.staves[first_staff]
            self.groups.append((first_staff, len(self.staves) - 1, long_name, short_name))

    def run(self):
        self.titles()
        self.groups = []
        part_list = self.root.find('part-list')
        parts = self.root.findall('part')
        p = 0
        for k, score_part in enumerate(part_list if part_list is not None else []):
            if score_part.tag != 'score-part':
                continue
            identifier = score_part.get('id')
            part = next((x for x in parts if x.get('id') == identifier), None) if identifier is not None else None
            if part is not None:
                self.part(score_part, part, p, k)
                self.parts.append((p, part))
            p += 1
        groups = [(0, 1, first, last, long_name, short_name) for first, last, long_name, short_name in self.groups]
        groups += self.part_groups(part_list)
        for index, (kind, barlines, first, last, long_name, short_name) in enumerate(groups):
            self.emit('GROUP', index, 'kind=%d' % kind, 'barlines=%d' % barlines, 'first=%d' % first, 'last=%d' % last,
                      b'name=' + quoted(long_name), b'short=' + quoted(short_name))
        for p, part in self.parts:
            self.transpose(p, part)

    def staff_of(self, p, s):
        return next((node[4] for node in self.nodes if node[:3] == (p, s, 0)), None)

    def part_groups(self, part_list):
        """The part-groups of the part list: from the first staff of the part after the start to the
        last staff (with the staves merged with it) of the part before the stop."""
        made, open_groups, p = [], [], 0
        continued = [b' continued=1 ' in line for line in self.lines
                     if isinstance(line, bytes) and line.startswith(b'STAFF ')]
        for child in part_list if part_list is not None else []:
            if child.tag == 'score-part':
                p += 1
                continue
            if child.tag != 'part-group':
                continue
            number = child.get('number') or '1'
            if child.get('type') == 'start':
                symbol, first = child.find('group-symbol'), self.staff_of(p, 0)
                if symbol is None or first is None:
                    continue
                kind = {'bracket': 1, 'brace': 0, 'line': 4}.get(text(symbol), 5)
                barline = text(child.find('group-barline'))
                barlines = 1 if barline == 'yes' else 2 if barline == 'Mensurstrich' else 0
                made.append([kind, barlines, first, first, cut(text(child.find('group-name')) or ''),
                             cut(text(child.find('group-abbreviation')) or '')])
                open_groups.append((number, len(made) - 1))
            elif child.get('type') == 'stop':
                staves = 1 + max([node[1] for node in self.nodes if node[0] == p - 1] or [0])
                last = self.staff_of(p - 1, staves - 1) if p > 0 else None
                last = len(self.staves) - 1 if last is None else last
                while last + 1 < len(self.staves) and continued[last]:
                    last += 1
                for group in [g for g in open_groups if g[0] == number]:
                    made[group[1]][3] = last
                    open_groups.remove(group)
        return [tuple(group) for group in made]

    def transpose(self, p, part):
        """The last transposition of a part is its pitched instruments'."""
        last = None
        for measure in part.findall('measure'):
            for attributes in measure.findall('attributes'):
                for element in attributes.findall('transpose'):
                    last = element
        if last is None:
            return
        chromatic, octaves = c_long(text(last.find('chromatic'))), c_long(text(last.find('octave-change')))
        semitones = clamp((0 if chromatic == NO_LONG else chromatic) + 12 * (0 if octaves == NO_LONG else octaves),
                          -127, 127)
        for index in {node[3] for node in self.nodes if node[0] == p and node[3] >= 0}:
            if not self.unpitched[index]:
                at = self.instrument_lines[index]
                self.lines[at] = re.sub(rb' transposition=-?[0-9]+', b' transposition=%d' % semitones, self.lines[at])


class Timing:
    """The measure-frame rules: every note's start and length in its bar, the bars' lengths and
    starts, the measures made of them (split where a key, clef, time or bar line stands inside
    one), then the notes as the notes pass inserts them."""

    def __init__(self, facts):
        self.facts = facts
        self.bars = [dict(length=0, signature=0, beat_type=0) for _ in facts.bars]
        self.notes = {}      # id(note element) -> (bar, position, length)
        self.splits = []     # (bar, position, part, document order)
        self.chord = None    # the notes of the last beamed chord, while its members come
        self.beams = {}      # voice -> members of the beam being read

    def bar_index(self, ordinal, number):
        if number is None:
            return 0
        key = number.encode('utf-8')[:19]
        if ordinal < len(self.facts.bars) and self.facts.bars[ordinal][0] == key:
            return ordinal
        return self.facts.first_bar.get(key, -1)

    def run(self):
        order = {id(e): i for i, e in enumerate(self.facts.root.iter())}
        for p, part in self.facts.parts:
            divisions, scale = 16, 1.0
            for ordinal, measure in enumerate(part.findall('measure')):
                b = self.bar_index(ordinal, measure.get('number'))
                if b < 0:
                    continue
                bar, position, last = self.bars[b], 0, 0
                for child in measure:
                    if child.tag == 'note':
                        position, last = self.note(child, b, position, last, divisions, scale)
                    elif child.tag in ('forward', 'backup') and child.find('duration') is not None:
                        units = self.units(child.find('duration'), divisions, scale)
                        position = min(max(position + (units if child.tag == 'forward' else -units), 0), MAX_BAR)
                    elif child.tag in EVENT_KINDS:
                        if child.tag == 'attributes':
                            divisions, scale = self.attributes(child, bar, divisions, scale)
                            if any(child.find(x) is not None for x in ('key', 'clef', 'time')):
                                self.splits.append((b, position, p, order[id(child)]))
                        elif child.tag == 'barline' and child.get('location') not in ('left', 'right'):
                            self.splits.append((b, position, p, order[id(child)]))
                    bar['length'] = max(bar['length'], position)
        self.measures()

    @staticmethod
    def units(duration, divisions, scale):
        value = c_float(text(duration))
        if value == NO_FLOAT or value != value or abs(value) == float('inf'):
            return 0
        units = math.floor(rounded(value * 40320.0 / divisions) * scale + 0.5)
        return int(min(max(units, -4.0 * MAX_BAR), 4.0 * MAX_BAR))

    @staticmethod
    def attributes(attributes, bar, divisions, scale):
        element = attributes.find('divisions')
        if element is not None:
            value = c_long(text(element))
            if value != NO_LONG and 1 <= value <= MAX_DIVISIONS:
                divisions = value
        time = attributes.find('time')
        signature = time_signature(time) if time is not None else None
        if signature:
            length = rounded(WHOLE * signature[0] / signature[1])
            if bar['signature'] == 0:
                bar['signature'] = length
            scale = bar['signature'] / length
            bar['beat_type'] = signature[1]
        return divisions, scale

    def note(self, note, b, position, last, divisions, scale):
        grace = note.find('grace') is not None
        duration = note.find('duration')
        d = self.units(duration, divisions, scale) if duration is not None and not grace else 0
        value = type_value(text(note.find('type')))
        added = value // 2
        for _ in note.findall('dot'):
            if added == 0:
                break
            value, added = value + added, added // 2
        modification = note.find('time-modification')
        if modification is not None:
            actual = c_long(text(modification.find('actual-notes')))
            normal = c_long(text(modification.find('normal-notes')))
            actual = 3 if actual == NO_LONG or actual < 1 else min(actual, 99)
            normal = 2 if normal == NO_LONG or normal < 1 else min(normal, 99)
            value = value * normal // actual
        n = math.floor(value * scale + 0.5)
        d = max(d, 0)
        if d and n and d != n and note.find('rest') is None and abs(d - n) < 40320.0 * scale / divisions:
            d = n
        if duration is None and not grace:
            d = n
        d = min(max(d, 0), MAX_BAR)
        if note.find('chord') is not None:
            self.notes[id(note)] = (b, min(max(position - last, 0), MAX_BAR), d)
            return position, last
        self.notes[id(note)] = (b, position, d)
        return min(max(position + d, 0), MAX_BAR), d

    def measures(self):
        start, previous = 0, WHOLE
        for b, bar in enumerate(self.bars):
            length = -(-bar['length'] // BAR_UNIT) * BAR_UNIT or bar['signature'] or (WHOLE if b == 0 else previous)
            bar['start'], bar['length'] = start, spanned(length)
            previous = bar['length']
            start += bar['length']
        pieces = [[bar['start'], bar['length']] for bar in self.bars]
        for b, position, _, _ in sorted(self.splits):
            bar = self.bars[b]
            at = bar['start'] + min(position, bar['length'])
            for piece in pieces:
                first, after = at - piece[0], piece[0] + piece[1] - at
                if first > 0 and after > 0:
                    if spanned(first) == first and spanned(after) == after:
                        pieces.append([at, after])
                        piece[1] = first
                    break
        self.pieces = sorted(pieces)

    def emit(self):
        facts = self.facts
        starts = [piece[0] for piece in self.pieces]
        left = 0
        for b, bar in enumerate(self.bars):
            # A multiple rest's first bar keeps no count; the bars it covers are marked 1.
            line = facts.bar_lines[b]
            rests = int(line[4].split(b'=')[1])
            marker = 0 if rests else 1 if left > 0 else 0
            left = rests - 1 if rests else max(left - 1, 0)
            line[4] = b'rests=%d' % marker
            line += [b'start=%d' % bar['start'], b'length=%d' % bar['length'], b'measure=%d' % starts.index(bar['start'])]
        for m, (start, length) in enumerate(self.pieces):
            facts.emit('MEASURE', m, 'start=%d' % start, 'length=%d' % length)
        counts = dict(ties=0, graces=0, marks=0)
        for p, part in facts.parts:
            lyrics = any(n.find('lyric') is not None for m in part.findall('measure') for n in m.findall('note'))
            self.beams = {}
            for measure in part.findall('measure'):
                for note in measure.findall('note'):
                    self.note_line(p, note, lyrics, counts)
        for name in ('ties', 'graces', 'marks'):
            facts.emit(name.upper(), 'count=%d' % counts[name])

    def beam(self, p, note, staff, time, duration, pitch):
        """Beams of number 1 whose notes follow one another on one staff with one stem direction:
        every note but those of the last chord is grouped with the next one (chord notes written
        on another staff and last notes in a tuplet, which an open tuplet groups, are left out)."""
        tuplet = note.find('time-modification') is not None
        stem = text(note.find('stem')) == 'down'
        if note.find('chord') is not None:
            if self.chord is not None:
                self.chord.append((staff, time, pitch, tuplet))
            return
        self.chord = None
        element = next((x for x in note.findall('beam') if (x.get('number') or '1') == '1'), None)
        if element is None:
            return
        voice = text(note.find('voice'))
        kind = text(element) or 'begin'
        members = self.beams.setdefault(voice, [])
        if kind == 'begin':
            members.clear()
        if kind not in ('begin', 'continue', 'end'):
            return
        self.chord = [(staff, time, pitch, tuplet)]
        members.append(dict(staff=staff, time=time, duration=duration, stem=stem, notes=self.chord))
        if kind != 'end':
            return
        regular = len(members) >= 2 and all(
            m['staff'] == members[0]['staff'] and m['stem'] == members[0]['stem'] and
            m['time'] in (prev['time'], prev['time'] + prev['duration']) for prev, m in zip(members, members[1:]))
        for k, member in enumerate(members if regular else []):
            for staff_, time_, pitch_, tuplet_ in member['notes']:
                last = k == len(members) - 1
                if staff_ == member['staff'] and not (last and tuplet_):
                    self.facts.emit('BEAM', 'staff=%d' % staff_, 'time=%d' % time_, 'pitch=%d' % pitch_,
                                    'bit=%d' % (0 if last else 1))
        members.clear()

    def staff(self, p, note, lyrics):
        s = staff_index(text(note.find('staff')))
        voice = text(note.find('voice'))
        number = whole(voice)
        v = 0 if lyrics or not voice else number - 1 if number is not None and 1 <= number <= MAX_VOICES \
            else self.facts.aliases[p].get((s, voice), 0)
        element = note.find('instrument')
        instrument = -1 if lyrics or element is None else self.facts.instrument_ids[p].get(element.get('id'), -1)
        for want in ((s, v, instrument), (0, 0, -1)):
            for node in self.facts.nodes:
                if node[:3] == (p,) + want[:2] and (want[2] < 0 or node[3] == want[2]):
                    return node[4]
        return None

    def note_line(self, p, note, lyrics, counts):
        timing = self.notes.get(id(note))
        staff = self.staff(p, note, lyrics)
        if timing is None or staff is None:
            return
        b, position, d = timing
        bar = self.bars[b]
        if note.find('grace') is not None:
            counts['graces'] += d == 0 and note.find('rest') is None
            return
        if d == 0:
            return
        notations = note.findall('notations')
        if note.find('rest') is not None:
            self.facts.emit('NOTE', 'staff=%d' % staff, 'time=%d' % (bar['start'] + position), 'dur=%d' % d, 'pitch=-1')
            return
        source = note.find('unpitched')
        if source is None:
            source = note.find('pitch')
        if source is None:
            return
        step = text(source.find('display-step' if source.tag == 'unpitched' else 'step')) or ''
        octave = c_long(text(source.find('display-octave' if source.tag == 'unpitched' else 'octave')))
        alter = 0 if source.tag == 'unpitched' else c_long(text(source.find('alter')))
        pitch = STEPS.get(step[:1], 0) + (0 if alter == NO_LONG else alter) + 12 * ((4 if octave == NO_LONG else octave) + 1)
        if not 0 <= pitch <= 127:
            return
        self.facts.emit('NOTE', 'staff=%d' % staff, 'time=%d' % (bar['start'] + position), 'dur=%d' % d,
                        'pitch=%d' % pitch)
        counts['ties'] += sum(1 for n in notations for t in n.findall('tied') if t.get('type') == 'stop')
        self.beam(p, note, staff, bar['start'] + position, d, pitch)
        for n in notations:
            for child in n:
                if child.tag in ('fermata', 'arpeggiate', 'accidental-mark'):
                    counts['marks'] += 1
                elif child.tag in ('ornaments', 'technical', 'articulations'):
                    for mark in child:
                        finger = c_long(text(mark)) if mark.tag == 'fingering' else NO_LONG
                        counts['marks'] += mark.tag in MARKED or 0 <= finger <= 5


def main():
    if len(sys.argv) != 2:
        sys.stderr.write(__doc__)
        return 2
    root = ET.fromstring(document(sys.argv[1]))
    if root.tag != 'score-partwise':
        sys.stderr.write('not a score-partwise document\n')
        return 1
    facts = Facts(root)
    facts.run()
    timing = Timing(facts)
    timing.run()
    timing.emit()
    facts.lines = [b' '.join(line) if isinstance(line, list) else line for line in facts.lines]
    order = {b'DOC': 0, b'STAFF': 1, b'GROUP': 2, b'INSTR': 3, b'BNUM': 4, b'MEASURE': 5, b'NOTE': 6, b'BEAM': 7,
             b'TIES': 8, b'GRACES': 9, b'MARKS': 10}
    lines = sorted(facts.lines, key=lambda line: order[line.split(b' ')[0]])
    sys.stdout.buffer.write(b''.join(line + b'\n' for line in lines))
    return 0


if __name__ == '__main__':
    sys.exit(main())

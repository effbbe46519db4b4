#!/usr/bin/env python3
"""Facts of a MusicXML document, found with Python's standard XML, zip and gzip modules and
nothing of the importer, for the importer's tests: the staves, braces, instruments and bar
records that the import rules give, and the titles. Printed in the line form of scoredump
(docs/scoredump.md), each line with only the fields these rules decide.

    musicxml_facts.py FILE      FILE: .xml, .musicxml, .mxl or .xmz
"""
import gzip
import html
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
            self.emit('BNUM', len(self.bars), b'number=' + quoted(key), 'implicit=%d' % implicit,
                      'measure=%d' % m, 'rests=%d' % rests)
            self.bars.append((key, implicit))

    def part(self, score_part, part, p, k):
        first_transpose = next((t for m in part.findall('measure') for a in m.findall('attributes')
                                for t in a.findall('transpose')), None)
        chromatic = c_long(text(first_transpose.find('chromatic'))) if first_transpose is not None else NO_LONG
        transposition = 0 if chromatic == NO_LONG else clamp(chromatic, -127, 127)
        instruments = [self.instrument(score_part, si, transposition, k)
                       for si in score_part.findall('score-instrument')[:MAX_PART_INSTRUMENTS]]
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
        aliases = set()
        for s, voice in odd:
            if (s, voice) in aliases:
                continue
            aliases.add((s, voice))
            free = next((v for v in range(MAX_VOICES) if not used[s] & (1 << v)), 0)
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
                      if isinstance(line, list) else line for line in self.lines]
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
            p += 1
        for index, (first, last, long_name, short_name) in enumerate(self.groups):
            self.emit('GROUP', index, 'kind=0', 'barlines=1', 'first=%d' % first, 'last=%d' % last,
                      b'name=' + quoted(long_name), b'short=' + quoted(short_name))


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
    order = {b'DOC': 0, b'STAFF': 1, b'GROUP': 2, b'INSTR': 3, b'BNUM': 4}
    lines = sorted(facts.lines, key=lambda line: order[line.split(b' ')[0]])
    sys.stdout.buffer.write(b''.join(line + b'\n' for line in lines))
    return 0


if __name__ == '__main__':
    sys.exit(main())

#!/usr/bin/env bash
# Makes the -lh5- fixtures of the decoder tests: deterministic originals and their packed
# streams. The results are committed; only a change of fixture needs this script.
# Needs: python3, jlha-utils (the archiver front end and its library), a JDK for LzhPack.java.
set -euo pipefail
cd "$(dirname "$0")"
missing=()
command -v jlha >/dev/null || missing+=(jlha-utils)
[ -f /usr/share/java/jlha.jar ] || missing+=(libjlha-java)
command -v javac >/dev/null || missing+=(openjdk-17-jdk-headless)
command -v python3 >/dev/null || missing+=(python3)
if [ ${#missing[@]} -ne 0 ]; then
  echo "make_fixtures.sh: install the Debian packages: ${missing[*]}" >&2
  exit 1
fi

python3 - <<'PY'
import random
rng = random.Random(20240613)
words = ("the score plays each staff and voice with its own instrument while the page turns "
         "measure after measure a quarter note lasts one beat tied notes sound as one "
         "chords stack pitches repeats send the reader back to the start of the section "
         "lyrics follow the melody under the staff dynamics change the volume").split()

def text(size):
    out, line = [], []
    total = 0
    while total < size:
        line.append(rng.choice(words))
        if sum(len(w) + 1 for w in line) > 68:
            s = " ".join(line).capitalize() + ".\n"
            out.append(s)
            total += len(s)
            line = []
    return "".join(out).encode()[:size]

open("one.bin", "wb").write(b"O")
open("text20k.txt", "wb").write(text(20480))
open("random.bin", "wb").write(bytes(rng.randrange(256) for _ in range(12000)))
open("text1m.txt", "wb").write(text(1 << 20))
PY

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
for original in one.bin text20k.txt random.bin text1m.txt; do
  stream=${original%.*}.lh5
  cp "$original" "$tmp/$original"
  (cd "$tmp" && jlha aq2 x.lzh "$original" >/dev/null)
  # Level-2 header: its size in the first two bytes, the method at 2..6, packed size at 7.
  python3 - "$tmp/x.lzh" "$stream" <<'PY' || java -cp /usr/share/java/jlha.jar LzhPack.java "$original" "$stream"
import struct, sys
a = open(sys.argv[1], "rb").read()
if a[2:7] != b"-lh5-":
    sys.exit(1)
h = struct.unpack_from("<H", a, 0)[0]
p = struct.unpack_from("<I", a, 7)[0]
open(sys.argv[2], "wb").write(a[h:h + p])
PY
  rm -f "$tmp/x.lzh"
  echo "$stream: $(stat -c %s "$stream") bytes for $(stat -c %s "$original")"
done

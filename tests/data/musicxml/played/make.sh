#!/usr/bin/env bash
# Writes what MuseScore 3 plays of chosen corpus files as lists of (onset, pitch) lines, one
# <file>.txt each beside this script: MuseScore exports the score as a standard MIDI file
# (repeats unrolled, transposing instruments at sounding pitch) and abcmidi's mftext lists its
# events. Onsets are quarter notes of MIDI ticks, written with four decimals; lines are sorted by
# onset, then pitch. The lists are committed; the tests compare scoredump --played with them
# and need neither program. Run again after a corpus file changes:
#   scripts/install-deps.sh --bench && tests/data/musicxml/played/make.sh
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
corpus=$here/../../corpus/musicxml
files=(
  45b-RepeatWithAlternatives.xml
  test_staverepetitions_coda_etc.musicxml
  72a-TransposingInstruments.xml
  Schumann_The_Wild_Horseman_Op._68_No._8.mxl
  ScottJoplin_The_Entertainer.xml
  JohannSebastianBach_Air.xml
)
for tool in mscore3 mftext; do
  command -v $tool >/dev/null || { echo "make.sh: $tool is missing (scripts/install-deps.sh --bench)" >&2; exit 1; }
done
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
export QT_QPA_PLATFORM=offscreen HOME=$tmp/home
mkdir -p "$HOME"
for file in "${files[@]}"; do
  mscore3 -o "$tmp/score.mid" "$corpus/$file" >"$tmp/mscore.log" 2>&1 || { cat "$tmp/mscore.log" >&2; exit 1; }
  # A note starts at a note-on of non-zero velocity; ticks count division to the quarter note.
  mftext "$tmp/score.mid" | awk '
    /^Header/ { for (i = 1; i <= NF; i++) if ($i ~ /^division=/) { split($i, d, "="); division = d[2] } }
    /Note on/ {
      time = $1; sub(/^Time=/, "", time)
      for (i = 1; i <= NF; i++) {
        if ($i ~ /^pitch=/) { split($i, p, "="); pitch = p[2] }
        if ($i ~ /^vol=/) { split($i, v, "="); velocity = v[2] }
      }
      if (velocity > 0) printf "%.4f %d\n", time / division, pitch
    }' | sort -k1,1g -k2,2n >"$here/${file%.*}.txt"
  echo "$file: $(wc -l <"$here/${file%.*}.txt") notes"
done

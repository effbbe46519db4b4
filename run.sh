#!/usr/bin/env bash
# Installs what is missing, builds, and runs the main job.
# Until the browser plug-in exists, the main job runs the project's demonstration
# tools for what is built and says where their output went.
set -euo pipefail
cd "$(dirname "$0")"
root=$PWD
build=$root/build/release
out=$root/out

scripts/install-deps.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVA_BENCH=OFF >/dev/null
cmake --build "$build"
mkdir -p "$out"

# Each demonstration is a tool named orva-demo-*; each writes into the folder it is given.
found=0
for demo in "$build"/tools/orva-demo-*; do
  [ -f "$demo" ] && [ -x "$demo" ] || continue
  found=1
  name=$(basename "$demo")
  echo "== $name"
  if [ "$name" = orva-demo-app ]; then
    # The standalone start-up runs until stopped: a first instance, then a second start that
    # hands it two documents; each stops by itself after 30 s should anything go wrong.
    mkdir -p "$out/$name"
    ORVA_DEMO_APP_NAME=orva-demo-app-run ORVA_DEMO_APP_SECONDS=30 \
      xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
        cd "$2"
        "$1" >first.txt 2>&1 & first=$!
        for _ in $(seq 100); do grep -q ready first.txt 2>/dev/null && break; sleep 0.1; done
        "$1" score1.oms score2.oms >second.txt 2>&1
        echo "the second start ended with $?" >>second.txt
        sleep 1; kill $first; wait $first' _ "$demo" "$out/$name"
    cat "$out/$name/first.txt" "$out/$name/second.txt"
    continue
  fi
  xvfb-run -a -s "-screen 0 1280x1024x24" "$demo" "$out/$name"
done
# Every QuickDraw scene drawn into a PNG, and the page scene printed into a PDF.
if [ -x "$build/tools/qdscene" ]; then
  found=1
  echo "== qdscene"
  mkdir -p "$out/qdscene"
  scenes=$("$build/tools/qdscene" 2>&1 | sed -n 's/^scenes: //p' || true)
  for scene in $scenes; do
    xvfb-run -a -s "-screen 0 1280x1024x24" "$build/tools/qdscene" "$scene" "$out/qdscene/$scene.png" \
      >"$out/qdscene/$scene.txt" 2>&1
  done
  xvfb-run -a -s "-screen 0 1280x1024x24" "$build/tools/qdscene" page --print "$out/qdscene/page.pdf" >/dev/null 2>&1 || true
  echo "drew: $scenes"
fi
if [ $found = 0 ]; then
  echo "Built everything in $build; no demonstration tool exists yet."
fi
echo "Output is in $out"

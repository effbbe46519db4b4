#!/usr/bin/env bash
# Installs what is missing, builds the plug-in without sanitizers (build/browser, or the tree
# named by ORVA_BUILD_DIR) and opens the demonstration page data/pages/demo.html in the real
# test browser through tools/browser-run, under Xvfb when there is no display. The browser's
# view is saved as out/run.png (or in the folder named by ORVA_OUT_DIR).
set -euo pipefail
cd "$(dirname "$0")"
root=$PWD
build=${ORVA_BUILD_DIR:-$root/build/browser}
out=${ORVA_OUT_DIR:-$root/out}

scripts/install-deps.sh
cmake -S . -B "$build" -G Ninja -DORVA_BENCH=OFF >/dev/null
cmake --build "$build" --target browser_plugin
mkdir -p "$out"

# The browser gets a plug-in folder, home and temporary folder of its own. The library is
# copied (the browser resolves links, and the plug-in's folder is where it works and traces);
# the files it reads, as cmake/plugin_files.txt lists them, are linked.
run=$(mktemp -d)
trap 'rm -rf "$run"' EXIT
mkdir -p "$run/home" "$run/tmp" "$run/plugins"
cp "$build/plugins/npondrakmusic.so" "$run/plugins/"
while IFS='|' read -r path _; do
  [[ -z $path || $path == \#* ]] && continue
  if [ ! -e "$build/plugins/$path" ]; then
    echo "run.sh: the plug-in's folder $build/plugins lacks $path" >&2
    exit 1
  fi
  top=${path%%/*}
  [ -e "$run/plugins/$top" ] || ln -s "$build/plugins/$top" "$run/plugins/$top"
done < cmake/plugin_files.txt

browser=(tools/browser-run --plugins "$run/plugins" --page data/pages/demo.html --size 1024x768 --wait 5
         --screenshot "$out/run.png")
status=0
if [ -n "${DISPLAY:-}" ]; then
  HOME=$run/home TMPDIR=$run/tmp "${browser[@]}" || status=$?
else
  HOME=$run/home TMPDIR=$run/tmp xvfb-run -a -s "-screen 0 1280x1024x24" "${browser[@]}" || status=$?
fi
if [ $status -ne 0 ]; then
  echo "The browser run failed (status $status); see the messages above." >&2
  exit $status
fi
echo "The demonstration page as the browser showed it: $out/run.png"

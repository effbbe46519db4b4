#!/usr/bin/env bash
# Installs what is missing, builds the test build and runs the whole suite.
#   ./test.sh          AddressSanitizer + UndefinedBehaviorSanitizer build, every test
#   ./test.sh --tsan   ThreadSanitizer build, the tests labelled "threads" (their first line
#                      says so: "// ctest-labels: threads")
# Extra arguments after the option go to ctest (e.g. ./test.sh -L platform-core).
set -euo pipefail
cd "$(dirname "$0")"
root=$PWD

mode=asan
if [ "${1:-}" = "--tsan" ]; then mode=tsan; shift; fi
build=$root/build/test-$mode

scripts/install-deps.sh
cmake -S . -B "$build" -G Ninja -DORVA_SANITIZE=$mode -DORVA_BENCH=OFF >/dev/null
cmake --build "$build"
if [ $mode = asan ]; then
  # The browser loads plug-ins with RTLD_DEEPBIND, which a sanitized library cannot take: the
  # browser tests load the plug-in of this build without sanitizers, and the tests of the tools
  # as a user runs them take its tools.
  cmake -S . -B "$root/build/browser" -G Ninja -DORVA_BENCH=OFF >/dev/null
  cmake --build "$root/build/browser" --target browser_plugin tools
fi

# No test needs a sound card: the project's capture device (tests/alsa) makes the default ALSA
# device write files, and tests that need it fail rather than skip without it.
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
export ALSA_CONFIG_PATH=/usr/share/alsa/alsa.conf:$root/tests/alsa/capture.conf
export ALSA_CAPTURE_FILE=$tmp/capture.wav
export ORVA_CAPTURE_REQUIRED=1
export ORVA_TEST_TMP=$tmp
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export LSAN_OPTIONS=suppressions=$root/tests/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:suppressions=$root/tests/tsan.supp
export HOME=$tmp/home; mkdir -p "$HOME"

args=(--test-dir "$build" --output-on-failure -j "$(nproc)")
[ $mode = tsan ] && args+=(-L '^threads$')
xvfb-run -a -s "-screen 0 1280x1024x24" ctest "${args[@]}" "$@"

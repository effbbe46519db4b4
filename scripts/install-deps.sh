#!/usr/bin/env bash
# Installs the Debian packages the project builds, tests and runs with; only the missing ones.
# Idempotent and quiet when everything is already there.
#   scripts/install-deps.sh          what the build, the tests and the main job need
#   scripts/install-deps.sh --bench  also the peer programs the benchmarks compare with
#                                    (musescore3, abcmidi); ./test.sh never needs them
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libgtk2.0-dev libcairo2-dev libpango1.0-dev libasound2-dev
  libvorbis-dev libogg-dev zlib1g-dev libminizip-dev libexpat1-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth fonts-dejavu-core fonts-freefont-ttf poppler-utils sox alsa-utils
  python3-pyqt5.qtwebkit libxtst6 libx11-dev
  clang libclang-rt-14-dev
  locales
  lsb-release file
  fluid-soundfont-gm fluidsynth
  lilypond-fonts python3-fonttools fontconfig
  libxml2-utils zip unzip
)

if [ "${1:-}" = "--bench" ]; then
  packages+=(musescore3 abcmidi)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo
if [ -n "$SUDO" ] && ! command -v sudo >/dev/null && { [ ${#missing[@]} -ne 0 ] || ! locale -a 2>/dev/null | grep -qiE '^de_DE\.utf-?8$'; }; then
  echo "install-deps: installing ${missing[*]:-the de_DE.UTF-8 locale} needs root, or sudo, which is not installed" >&2
  exit 1
fi
if [ ${#missing[@]} -ne 0 ]; then
  echo "install-deps: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
# A comma-decimal locale for the tests of numbers written into pictures.
if ! locale -a 2>/dev/null | grep -qiE '^de_DE\.utf-?8$'; then
  $SUDO localedef -i de_DE -f UTF-8 de_DE.UTF-8
fi

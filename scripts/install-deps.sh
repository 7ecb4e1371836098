#!/usr/bin/env bash
# Installs the Debian packages Muto needs to build, run and test. Safe to run again.
set -euo pipefail

runtime_pkgs=(
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev libgl-dev libfluidsynth-dev timgm6mb-soundfont librtmidi-dev libx11-dev
  fonts-nanum fonts-freefont-ttf qt6-translations-l10n
)
test_pkgs=(
  googletest libgtest-dev libgmock-dev libbenchmark-dev clang clang-format libclang-rt-14-dev
  xvfb xauth x11-utils xdotool xclip libxtst-dev imagemagick sox libgif-dev
  desktop-file-utils appstream man-db dpkg-dev file librsvg2-bin
)

want=("${runtime_pkgs[@]}")
if [ "${1:-}" = "--with-tests" ]; then
  want+=("${test_pkgs[@]}")
fi

missing=()
for p in "${want[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get -o DPkg::Lock::Timeout=300 update
$SUDO apt-get -o DPkg::Lock::Timeout=300 install -y --no-install-recommends "${missing[@]}"

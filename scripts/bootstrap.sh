#!/usr/bin/env bash
# Installs, once, every Debian package that the build, the tests and the benchmarks need.
# Safe to run again: it only calls apt-get when something is missing.
set -euo pipefail

packages=(
  # native build and tests
  build-essential cmake ninja-build pkg-config clang-format
  libgtest-dev libgmock-dev libbenchmark-dev
  libpng-dev zlib1g-dev
  # fuzzing (libFuzzer ships with clang's runtime)
  clang libclang-rt-14-dev
  # text in the editor: FreeType and fontconfig with a metric-compatible Arial
  libfreetype-dev libfontconfig-dev fonts-liberation fontconfig
  # compositing reference for the raster benchmarks
  libpixman-1-dev
  # the editor window on Linux, and its tests on a virtual X server with a window manager
  libx11-dev libxext-dev libxtst-dev xvfb xauth openbox
  # the command-line host's audio and piano roll
  libfluidsynth-dev timgm6mb-soundfont libsndfile1-dev libcairo2-dev
  # a real host for the delivery test, run headless
  ardour
  # the LV2 build: headers and vocabularies, the Turtle validator, and lilv for the host and tests
  lv2-dev sordi lilv-utils liblilv-dev
  # what qtractor's CLAP scanner needs (the scanner itself is extracted below)
  libqt6core6
)

sudo=""
[[ $(id -u) -eq 0 ]] || sudo="sudo"

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

if ((${#missing[@]})); then
  echo "bootstrap: installing ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
else
  echo "bootstrap: all packages present"
fi

# qtractor's CLAP scanner, a host that is not ours, for the CLAP test: taken out of the package
# without installing qtractor and its JACK and GUI dependencies.
scan_root=$(cd "$(dirname "$0")/.." && pwd)/build/third_party/qtractor
scanner=lib/x86_64-linux-gnu/qtractor/qtractor_plugin_scan
if [[ ! -x /usr/$scanner && ! -x $scan_root/usr/$scanner ]]; then
  echo "bootstrap: extracting qtractor's plug-in scanner"
  download=$(mktemp -d)
  chmod a+rwx "$download"  # apt downloads as its own user
  if ! (cd "$download" && apt-get download -qq qtractor); then
    $sudo apt-get update -qq
    (cd "$download" && apt-get download -qq qtractor)
  fi
  mkdir -p "$scan_root"
  dpkg-deb -x "$download"/qtractor_*.deb "$scan_root"
  rm -rf "$download"
fi

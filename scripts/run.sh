#!/usr/bin/env bash
# Bootstraps, builds the plug-in and the command-line host, and plays a minute of chimes in a
# lively wind: writes tintinna.mid, the chimes heard through a SoundFont synth in tintinna.wav
# and their picture in tintinna.png in the current directory, and prints a summary. Extra
# arguments go to tintinna-host (for example --seconds 300, --instrument celesta or --events).
set -euo pipefail
here="$(pwd)"
cd "$(dirname "$0")/.."
root="$(pwd)"

scripts/bootstrap.sh
cmake --preset default >/dev/null
cmake --build --preset default --target tintinna tintinna-host

plugin="$root/build/default/instrument/tintinna.so"
if [[ ! -f "$plugin" ]]; then
  plugin="$(find "$root/build/default" -name tintinna.so -print -quit)"
fi

cd "$here"
exec "$root/build/default/tools/host/tintinna-host" \
  --seconds 60 --set WSpeed=25 --set Variable=10 --set ClapSize=0.7 \
  --midi tintinna.mid --wav tintinna.wav --plot tintinna.png "$@" "$plugin"

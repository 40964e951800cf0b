#!/usr/bin/env bash
# Runs one fixed scenario through tintinna-host on Linux and through tintinna-host.exe under Wine
# and requires the same event list, the same summary and the same MIDI file bytes.
# Usage: compare_event_streams.sh LINUX_BUILD_DIR HOST.exe PLUGIN.dll OUTPUT_DIR
set -euo pipefail
linux_build=$1 windows_host=$2 windows_dll=$3 out=$4
root=$(cd "$(dirname "$0")/../.." && pwd)

linux_host=$linux_build/tools/host/tintinna-host
linux_plugin=$linux_build/instrument/tintinna.so
if [[ ! -x $linux_host || ! -f $linux_plugin ]]; then
  echo "no Linux build in $linux_build (build the default preset first)" >&2
  # Outside CI a missing reference is a skip; CI always builds the default preset first.
  [[ ${CI:-} == true ]] && exit 1
  exit 77
fi

# Strong wind, two controller streams on different channels, a transposed third tone, a longer
# note, odd block size and tempo: every path of the engine that reaches the MIDI output.
scenario=(--seconds 90 --block 480 --rate 48000 --tempo 97 --set WSpeed=22 --set Variable=12
  --set Sensitiv=40 --set ClapSize=0.8 --set "Algorithm=Favor Neighbors" --set Duration=0.7
  --set "Tone 3=61" --set NumTones=8 --set ChannelB=5 --set "CC Number B=7" --events)

mkdir -p "$out"
rm -f "$out"/linux.* "$out"/windows.*
"$linux_host" "$linux_plugin" "${scenario[@]}" --midi "$out/linux.mid" >"$out/linux.txt"
"$root/scripts/wine-run.sh" "$windows_host" "Z:$windows_dll" "${scenario[@]}" \
  --midi "Z:$out/windows.mid" >"$out/windows.raw"
# The Windows console writes CR LF; the file name line differs by nature.
tr -d '\r' <"$out/windows.raw" | grep -v '^MIDI file:' >"$out/windows.txt"
grep -v '^MIDI file:' "$out/linux.txt" >"$out/linux.cmp" && mv "$out/linux.cmp" "$out/linux.txt"

events=$(grep -c -E '^ +[0-9]+ ' "$out/linux.txt" || true)
notes=$(grep -c ' note-on ' "$out/linux.txt" || true)
if ((notes < 100)); then
  echo "the scenario struck only $notes notes: too few to compare" >&2
  exit 1
fi
if ! diff -u "$out/linux.txt" "$out/windows.txt" >"$out/diff.txt"; then
  echo "event streams differ (first lines of $out/diff.txt):" >&2
  head -n 40 "$out/diff.txt" >&2
  exit 1
fi
if ! cmp "$out/linux.mid" "$out/windows.mid"; then
  echo "MIDI files differ" >&2
  exit 1
fi
echo "identical: $events events ($notes note-ons) and $(stat -c %s "$out/linux.mid") MIDI file bytes"

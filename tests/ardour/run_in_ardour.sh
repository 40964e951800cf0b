#!/usr/bin/env bash
# Rolls Tintinna in a headless Ardour 7 at one block size and checks that every note the engine
# means to send reaches the MIDI logger after it, at its time and in order.
#
# usage: run_in_ardour.sh BLOCK TINTINNA_SO LOGGER_SO TINTINNA_HOST CHECKER
# Exit status 77 (a skip) when Ardour is not installed. Everything Ardour writes (its config,
# plug-in cache, session) stays in a temporary HOME that is removed afterwards.
set -euo pipefail

block=$1 plugin=$2 logger=$3 host=$4 checker=$5
here=$(cd "$(dirname "$0")" && pwd)
rate=48000
roll_seconds=40
# WSpeed 25 (of 0 to 30) and ClapSize 0.70 as raw VST values, the same floats for both hosts.
wspeed=0.8333334 clapsize=0.7

lua=$(command -v ardour7-lua || true)
if [[ -z $lua ]]; then
  echo "ardour7-lua not found: Ardour 7 is not installed, skipping"
  exit 77
fi
# The interpreter's wrapper names Ardour's library folder, where the VST scanner lives.
libdir=$(sed -n 's/^export ARDOUR_DLL_PATH=//p' "$lua")
libdir=${libdir:-/usr/lib/ardour7}
scanner=$libdir/ardour-vst-scanner

work=$(mktemp -d "${TMPDIR:-/tmp}/tintinna-ardour.XXXXXX")
trap 'rm -rf "$work"' EXIT
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_CACHE_HOME=$work/home/.cache
export XDG_DATA_HOME=$work/home/.local/share
export LXVST_PATH=$work/vst VST_PATH=$work/vst
export TINTINNA_MIDI_LOG=$work/logger.txt
mkdir -p "$HOME" "$LXVST_PATH"
cp "$plugin" "$LXVST_PATH/tintinna.so"
cp "$logger" "$LXVST_PATH/tintinna_midi_logger.so"
# The scanner stamps its cache with whole seconds and Ardour ignores a cache older than its
# plug-in, so a plug-in copied within the same second would not be found.
touch -d '1 minute ago' "$LXVST_PATH"/*.so

# Ardour's interpreter reads only cached plug-in descriptions; its scanner writes them.
LD_LIBRARY_PATH=$libdir${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH} \
  "$scanner" -q "$LXVST_PATH/tintinna.so" "$LXVST_PATH/tintinna_midi_logger.so"

status=0
timeout 45 "$lua" "$here/roll_session.lua" "$work/session" "$block" "$roll_seconds" \
  "$wspeed" "$clapsize" >"$work/ardour.txt" 2>&1 || status=$?
if [[ $status -ne 0 || ! -s $TINTINNA_MIDI_LOG ]]; then
  echo "Ardour failed (exit status $status); its last words:"
  grep -v '^\s*$' "$work/ardour.txt" | tail -n 20
  exit 1
fi

"$host" --no-midi --events --rate "$rate" --block "$block" \
  --seconds $((roll_seconds + 5)) --set-normalized "0=$wspeed" --set-normalized "12=$clapsize" \
  "$plugin" >"$work/intended.txt"

status=0
"$checker" "$block" "$TINTINNA_MIDI_LOG" "$work/intended.txt" "$work/ardour.txt" || status=$?
if [[ $status -ne 0 ]]; then
  echo "Ardour's own complaints, first ones:"
  grep -E 'skipped|too late' "$work/ardour.txt" | head -n 5 || true
fi
exit "$status"

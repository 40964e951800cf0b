#!/usr/bin/env bash
# Rolls Tintinna in a headless Ardour 7 at one block size and checks that every note the engine
# means to send reaches the MIDI logger after it, at its time and in order.
#
# usage: run_in_ardour.sh BLOCK TINTINNA LOGGER_SO TINTINNA_HOST CHECKER [FORMAT]
# FORMAT is vst2 (TINTINNA is tintinna.so, the default) or lv2 (TINTINNA is the tintinna.lv2
# bundle; the session is then saved, reloaded, and must give back the same values and state).
# Exit status 77 (a skip) when Ardour is not installed. Everything Ardour writes (its config,
# plug-in cache, session) stays in a temporary HOME that is removed afterwards.
set -euo pipefail

block=$1 plugin=$2 logger=$3 host=$4 checker=$5 format=${6:-vst2}
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
cp "$logger" "$LXVST_PATH/tintinna_midi_logger.so"
vst_plugins=("$LXVST_PATH/tintinna_midi_logger.so")
values=("$wspeed" "$clapsize")
if [[ $format == lv2 ]]; then
  # LV2 needs no scan; Ardour takes its parameters plain (WSpeed runs from 0 to 30).
  export LV2_PATH=$work/lv2:/usr/lib/lv2
  mkdir -p "$work/lv2" && cp -r "$plugin" "$work/lv2/"
  values=("$(awk -v w="$wspeed" 'BEGIN { printf "%.9g", w * 30 }')" "$clapsize")
else
  cp "$plugin" "$LXVST_PATH/tintinna.so"
  vst_plugins+=("$LXVST_PATH/tintinna.so")
fi
# The scanner stamps its cache with whole seconds and Ardour ignores a cache older than its
# plug-in, so a plug-in copied within the same second would not be found.
touch -d '1 minute ago' "$LXVST_PATH"/*.so

# Ardour's interpreter reads only cached plug-in descriptions; its scanner writes them.
LD_LIBRARY_PATH=$libdir${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH} \
  "$scanner" -q "${vst_plugins[@]}"

status=0
timeout 45 "$lua" "$here/roll_session.lua" "$work/session" "$block" "$roll_seconds" \
  "${values[@]}" "$format" >"$work/ardour.txt" 2>&1 || status=$?
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
[[ $status -ne 0 || $format != lv2 ]] && exit "$status"

# The saved session reloaded: the same port values, and the state Ardour saved once (it saves a
# plug-in's state again only when it differs) holding the same values.
timeout 45 "$lua" "$here/reload_session.lua" "$work/session" >"$work/reload.txt" 2>&1 || status=$?
states=$(find "$work/session/plugins" -name state.ttl)
shown() { awk '{ for (i = 1; i <= NF; ++i) printf "%s%.6g", (i > 1 ? " " : ""), $i }' <<<"$*"; }
# The chunk's doubles after its 8-byte header: parameters 0 and 12.
doubles=$(tr -d '\n' <"$states" | grep -o '"""[A-Za-z0-9+/=]*"""' | tr -d '"' | base64 -d |
  od -An -t f8 -j 8 -v | tr -s ' \n' '  ')
saved=$(shown "$(awk '{ print $1, $13 }' <<<"$doubles")")
expected=$(shown "${values[@]}")
reloaded=$(sed -n 's/^reload_session: values //p' "$work/reload.txt")
echo "after the reload: values $reloaded; in the saved state $saved; $(wc -l <<<"$states") state(s)"
if [[ $status -ne 0 || $reloaded != "$expected" || $saved != "$expected" ||
      $(wc -l <<<"$states") -ne 1 ]]; then
  echo "the reloaded session differs from the saved one (expected $expected in one state)"
  tail -n 20 "$work/reload.txt"
  exit 1
fi

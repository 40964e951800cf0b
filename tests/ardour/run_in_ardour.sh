#!/usr/bin/env bash
# Rolls one Tintinna build in a headless Ardour 7 at one block size and checks that every note
# and controller the engine means to send reaches the MIDI logger after it, at its time and in
# order; then saves the session, reloads it and expects the same parameter values.
#
# usage: run_in_ardour.sh FORMAT BLOCK PLUGIN VST2_SO LOGGER_SO TINTINNA_HOST CHECKER
#   FORMAT  vst2 (PLUGIN is tintinna.so), vst3 (PLUGIN is the tintinna.vst3 bundle folder) or lv2
#           (PLUGIN is the tintinna.lv2 bundle folder)
#   VST2_SO the VST 2 build, which tintinna-host runs for the stream both builds must give
# Exit status 77 (a skip) when Ardour is not installed. Everything Ardour writes (its config,
# plug-in cache, session) stays in a temporary HOME that is removed afterwards, unless
# KEEP_ARDOUR_WORK is set.
set -euo pipefail

format=$1 block=$2 plugin=$3 reference=$4 logger=$5 host=$6 checker=$7
here=$(cd "$(dirname "$0")" && pwd)
rate=48000
roll_seconds=40
# WSpeed 22.5 (of 0 to 30) and ClapSize 0.75 as normalized values, exact in a float, so that
# every host hands the engine the same numbers.
wspeed=0.75 clapsize=0.75

lua=$(command -v ardour7-lua || true)
if [[ -z $lua ]]; then
  echo "ardour7-lua not found: Ardour 7 is not installed, skipping"
  exit 77
fi
# The interpreter's wrapper names Ardour's library folder, where the scanners live.
libdir=$(sed -n 's/^export ARDOUR_DLL_PATH=//p' "$lua")
libdir=${libdir:-/usr/lib/ardour7}

work=$(mktemp -d "${TMPDIR:-/tmp}/tintinna-ardour.XXXXXX")
trap '[[ -n ${KEEP_ARDOUR_WORK:-} ]] || rm -rf "$work"' EXIT
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_CACHE_HOME=$work/home/.cache
export XDG_DATA_HOME=$work/home/.local/share
export LXVST_PATH=$work/vst VST_PATH=$work/vst VST3_PATH=$work/vst3
export TINTINNA_MIDI_LOG=$work/logger.txt
mkdir -p "$HOME" "$LXVST_PATH" "$VST3_PATH"
cp "$logger" "$LXVST_PATH/tintinna_midi_logger.so"
scan=("$LXVST_PATH/tintinna_midi_logger.so")
if [[ $format == vst3 ]]; then
  cp -r "$plugin" "$VST3_PATH/tintinna.vst3"
  module=$VST3_PATH/tintinna.vst3/Contents/x86_64-linux/tintinna.so
  # The Lua host API takes a VST 3 (or LV2) parameter as its plain value.
  type=VST3 values="$(awk "BEGIN { print $wspeed * 30, $clapsize }")"
elif [[ $format == lv2 ]]; then
  # Nothing to scan: Ardour reads the bundle's Turtle from LV2_PATH.
  mkdir -p "$work/lv2" && cp -r "$plugin" "$work/lv2/tintinna.lv2"
  export LV2_PATH=$work/lv2:/usr/lib/lv2
  module=$work/lv2/tintinna.lv2/tintinna.so
  type=LV2 values="$(awk "BEGIN { print $wspeed * 30, $clapsize }")"
else
  cp "$plugin" "$LXVST_PATH/tintinna.so"
  module=$LXVST_PATH/tintinna.so scan+=("$module")
  type=LXVST values="$wspeed $clapsize"
fi
# The scanners stamp their caches with whole seconds and Ardour ignores a cache older than its
# plug-in, so a plug-in copied within the same second would not be found.
touch -d '1 minute ago' "$LXVST_PATH"/*.so "$module"

# Ardour's interpreter reads only cached plug-in descriptions; its scanners write them. The VST 3
# scanner reports success only through the cache file.
export LD_LIBRARY_PATH=$libdir${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}
"$libdir/ardour-vst-scanner" -q "${scan[@]}"
if [[ $format == vst3 ]]; then
  "$libdir/ardour-vst3-scanner" -q -f "$VST3_PATH/tintinna.vst3"
  if ! grep -qs 'n_midi_inputs="1" n_midi_outputs="1"' "$XDG_CACHE_HOME"/ardour7/vst/*.v3i; then
    echo "ardour-vst3-scanner did not list the bundle with its MIDI input and output"
    exit 1
  fi
fi

run_lua() {
  local status=0
  timeout 45 "$lua" "$here/roll_session.lua" "$@" >>"$work/ardour.txt" 2>&1 || status=$?
  if [[ $status -ne 0 ]]; then
    echo "Ardour failed (exit status $status); its last words:"
    grep -v '^\s*$' "$work/ardour.txt" | tail -n 20
    exit 1
  fi
}
run_lua roll "$work/session" "$block" "$type" "$roll_seconds" $values
# The logger starts a new file when the reloaded session processes.
mv "$TINTINNA_MIDI_LOG" "$work/rolled.txt"
run_lua reload "$work/session" "$block" "$type"
# Ardour saves a VST 3 state behind a 48-byte header of its own: the VST 2 chunk must follow it.
if [[ $format == vst3 ]] && [[ $(grep -o -m1 '<chunk>[^<]*' "$work/session/roll.ardour" |
  cut -c8- | base64 -d | tail -c +49 | head -c 4) != tffp ]]; then
  echo "the saved session does not hold the plug-in's chunk after Ardour's header"
  exit 1
fi

# Ardour keeps an LV2 plug-in's state in a file of its own and writes a new one only when the
# state differs: the reloaded plug-in, saved once more, leaves one, the VST 2 chunk with the
# values set.
if [[ $format == lv2 ]]; then
  states=$(find "$work/session/plugins" -name state.ttl)
  bytes=$work/state.bin
  tr -d '\n' <"$states" | grep -o '"""[A-Za-z0-9+/=]*"""' | tr -d '"' | base64 -d >"$bytes"
  saved="$(head -c 4 "$bytes") $(od -An -t f8 -j 8 -v "$bytes" | tr -s ' \n' '  ' |
    awk '{ printf "%g %g", $1, $13 }')"
  if [[ $(wc -l <<<"$states") -ne 1 || $saved != "tffp $values" ]]; then
    echo "LV2 state after the reload: $(wc -l <<<"$states") file(s), '$saved' (expected one,"
    echo "'tffp $values')"
    exit 1
  fi
fi

"$host" --no-midi --events --rate "$rate" --block "$block" \
  --seconds $((roll_seconds + 5)) --set-normalized "0=$wspeed" --set-normalized "12=$clapsize" \
  "$reference" >"$work/intended.txt"

status=0
"$checker" "$block" "$work/rolled.txt" "$work/intended.txt" "$work/ardour.txt" || status=$?
if [[ $status -ne 0 ]]; then
  echo "Ardour's own complaints, first ones:"
  grep -E 'skipped|too late' "$work/ardour.txt" | head -n 5 || true
fi
exit "$status"

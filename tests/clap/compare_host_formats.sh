#!/usr/bin/env bash
# tintinna-host runs the VST 2 and the CLAP build with the same arguments and must write the same
# MIDI file bytes: settings, automation (stepped, normalized, repeated transpose presses), a state
# saved by the other build, MIDI passed through; and the CLAP build refuses --program.
# usage: compare_host_formats.sh HOST VST2_PLUGIN CLAP_PLUGIN OUT_DIR [wine]
# With wine, HOST is a Windows program run under Wine, and every path it is given goes through Z:.
set -euo pipefail
host=$1 vst2=$2 clap=$3 out=$4 wine=${5:-}
root=$(cd "$(dirname "$0")/../.." && pwd)
mkdir -p "$out" && rm -f "$out"/*
z=""
run=("$host")
[[ -n $wine ]] && z="Z:" && run=("$root/scripts/wine-run.sh" "$host")

common=(--seconds 30 --block 480 --rate 48000 --tempo 97 --quiet)
# A name, then the arguments both builds get, as shell words; @state and @in name files that
# the VST 2 build wrote in the first run.
sets=(
  "settings|--set WSpeed=22 --set Variable=12 --set 'Algorithm=Favor Neighbors' --set NumTones=8
     --set Duration=0.7 --set 'Tone 3=61' --set 'CC A=on' --set ChannelB=5 --set 'CC B=on'"
  "automation|--set WSpeed=8 --automate WSpeed=26@5 --automate-normalized NumTones=0.6@9
     --automate 'Tone 3=70@12' --automate-normalized 24=1@15 --automate-normalized 24=1@16
     --automate-normalized 25=1@18 --automate-normalized 25=1@19 --automate Sensitiv=150@20"
  "state|--load-state @state --automate WSpeed=3@25"
  "pass-through|--midi-in @in --set WSpeed=15"
)
for entry in "${sets[@]}"; do
  name=${entry%%|*}
  eval "args=(${entry#*|})"
  args=("${args[@]//@state/${z}$out/settings.vst2.state}")
  args=("${args[@]//@in/${z}$out/settings.vst2.mid}")
  for format in vst2 clap; do
    "${run[@]}" "$z${!format}" "${common[@]}" "${args[@]}" --midi "$z$out/$name.$format.mid" \
      --save-state "$z$out/$name.$format.state"
  done
  size=$(stat -c %s "$out/$name.vst2.mid")
  ((size > 1000)) || { echo "$name: only $size MIDI bytes, too few to compare" >&2; exit 1; }
  cmp "$out/$name.vst2.mid" "$out/$name.clap.mid" || { echo "$name: MIDI files differ" >&2; exit 1; }
  cmp "$out/$name.vst2.state" "$out/$name.clap.state" || { echo "$name: states differ" >&2; exit 1; }
  echo "$name: identical, $size MIDI bytes"
done
if message=$("${run[@]}" "$z$clap" --program 1 --midi "$z$out/program.mid" 2>&1); then
  echo "--program on the CLAP build did not fail" >&2
  exit 1
fi
grep -q "no programs" <<<"$message" || { echo "unclear refusal: $message" >&2; exit 1; }

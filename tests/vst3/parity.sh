#!/usr/bin/env bash
# The VST 3 build and the VST 2 build in tintinna-host: the same arguments must give the same MIDI
# file byte for byte, and the same saved state. The bundle is given as its folder, with a trailing
# separator and as the single module file; a folder that is no bundle is refused. Repeated presses
# of a transpose button with no release between are left out: the VST 2 build acts on every value
# a host sends, the VST 3 build on changes only (VST 3 hosts resend values every block).
# usage: parity.sh HOST VST2_PLUGIN VST3_BUNDLE [RUNNER DRIVE]   (under Wine: wine-run.sh Z:)
set -uo pipefail
host=$1 vst2=$2 vst3=$3 runner=${4:-} drive=${5:-}
work=$(mktemp -d "${TMPDIR:-/tmp}/tintinna-vst3-parity.XXXXXX")
trap 'rm -rf "$work"' EXIT
run() { ${runner:+"$runner"} "$host" --quiet "$@"; }

module=$(find "$vst3/Contents" -type f -name 'tintinna.*' | head -n 1)
cp "$module" "$work/single.vst3" || exit 1
W=$drive$work
run --seconds 8 --set NumTones=8 --set-normalized WSpeed=0.7 --save-state "$W/vst2.state" \
  --midi "$W/in.mid" "$drive$vst2" >/dev/null || exit 1
# One run per line, its arguments separated by '|'.
cases=(
  "--seconds|40|--block|480|--rate|48000|--tempo|97|--set|WSpeed=22|--set|Variable=12|--set|Sensitiv=40|--set|ClapSize=0.8|--set|Algorithm=Favor Neighbors|--set|Duration=0.7|--set|Tone 3=61|--set|NumTones=8|--set|ChannelB=5|--set|CC Number B=7"
  "--seconds|30|--program|3|--set|Sensitiv=150|--set|Channel=4"
  "--seconds|30|--load-state|$W/vst2.state|--save-state|$W/SAVED"
  "--seconds|30|--block|1000|--automate|Tone 1=60@3|--automate-normalized|WSpeed=0.9@5|--automate|MinVelocity=90@12|--automate-normalized|24=1@6|--automate-normalized|24=0@7|--automate-normalized|24=1@9|--automate-normalized|25=1@14"
  "--seconds|30|--block|256|--midi-in|$W/in.mid|--set-normalized|Variable=0.4|--set|CC A=on"
)
bundles=("$vst3" "$vst3/" "$work/single.vst3")
failed=0
for i in "${!cases[@]}"; do
  for format in vst2 vst3; do
    plugin=$vst2
    [[ $format == vst3 ]] && plugin=${bundles[i % 3]}
    IFS='|' read -ra args <<<"${cases[i]//SAVED/$format.saved}"
    run --midi "$W/$format.mid" "${args[@]}" "$drive$plugin" >"$work/$format.txt" 2>&1 ||
      { echo "$format run failed: ${cases[i]}"; cat "$work/$format.txt"; failed=1; }
  done
  cmp -s "$work/vst2.mid" "$work/vst3.mid" || { echo "MIDI differs: ${cases[i]}"; failed=1; }
done
cmp "$work/vst2.saved" "$work/vst3.saved" || { echo "saved states differ"; failed=1; }
# Bundles that are none: refused with the reason, never run.
mkdir "$work/empty.vst3"
for bundle in missing empty; do
  if run --seconds 1 "$W/$bundle.vst3" >"$work/refused.txt" 2>&1 ||
    ! grep -Eq "no such VST 3 bundle|not a VST 3 bundle for this system" "$work/refused.txt"; then
    echo "the $bundle bundle was not refused:"; cat "$work/refused.txt"; failed=1
  fi
done
((failed)) || echo "identical MIDI and state from both builds in ${#cases[@]} runs"
exit $failed

#!/usr/bin/env bash
# The LV2 build and the VST 2 build in tintinna-host: the same arguments must give the same MIDI
# file byte for byte, and the same saved state; a folder that is no bundle is refused. Continuous
# parameters are given normalized: LV2 hosts show a plain number where VST 2 shows the plug-in's
# own text, so a displayed value can resolve to different settings (see README).
# usage: parity.sh HOST VST2_PLUGIN LV2_BUNDLE
set -uo pipefail
host=$1 vst2=$2 lv2=$3
work=$(mktemp -d "${TMPDIR:-/tmp}/tintinna-lv2-parity.XXXXXX")
trap 'rm -rf "$work"' EXIT

"$host" --quiet --seconds 8 --set NumTones=8 --set-normalized WSpeed=0.7 \
  --save-state "$work/vst2.state" --midi "$work/in.mid" "$vst2" >/dev/null || exit 1
# One run per line, its arguments separated by '|'.
cases=(
  "--seconds|40|--set-normalized|WSpeed=0.8333334|--set-normalized|ClapSize=0.7"
  "--seconds|30|--block|256|--set|NumTones=8|--set|CC A=on|--set|CC num A=7|--set|Algorithm=Favor Neighbors|--set-normalized|Duration=0.3"
  "--seconds|30|--program|3|--set|Sensitiv=150|--set|Channel=4"
  "--seconds|30|--load-state|$work/vst2.state|--save-state|$work/SAVED"
  "--seconds|30|--block|1000|--automate|Tone 1=60@3|--automate-normalized|WSpeed=0.9@5|--automate|MinVelocity=90@12"
  "--seconds|30|--midi-in|$work/in.mid|--set-normalized|Variable=0.4"
)
failed=0
for line in "${cases[@]}"; do
  for format in vst2 lv2; do
    plugin=$vst2
    [[ $format == lv2 ]] && plugin=$lv2
    IFS='|' read -ra args <<<"${line//SAVED/$format.saved}"
    "$host" --quiet --midi "$work/$format.mid" "${args[@]}" "$plugin" >"$work/$format.txt" 2>&1 ||
      { echo "$format run failed: $line"; cat "$work/$format.txt"; failed=1; }
  done
  cmp -s "$work/vst2.mid" "$work/lv2.mid" || { echo "MIDI differs: $line"; failed=1; }
done
# Bundles that are none: refused with the reason, never run.
mkdir "$work/empty.lv2"
for bundle in missing empty; do
  if "$host" --quiet --seconds 1 "$work/$bundle.lv2" >"$work/refused.txt" 2>&1 ||
    ! grep -Eq "no such LV2 bundle|describes no LV2 plug-in" "$work/refused.txt"; then
    echo "the $bundle bundle was not refused:"; cat "$work/refused.txt"; failed=1
  fi
done
cmp "$work/vst2.saved" "$work/lv2.saved" || { echo "saved states differ"; failed=1; }
exit $failed

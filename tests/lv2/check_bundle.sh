#!/usr/bin/env bash
# The bundle as LV2 tools see it: its Turtle against lv2-dev's vocabularies (validate), and its
# ports, extension data and UI as lilv reads them (ports).
# usage: check_bundle.sh validate|ports BUNDLE_DIR
set -euo pipefail
mode=$1 bundle=$(cd "$2" && pwd)

if [[ $mode == validate ]]; then
  # Every vocabulary lv2-dev installs, schemas.lv2 (rdf, rdfs, owl, xsd, doap) included.
  mapfile -t vocabularies < <(dpkg -L lv2-dev | grep '\.ttl$')
  exec sord_validate "${vocabularies[@]}" "$bundle"/*.ttl
fi

info=$(LV2_PATH=$(dirname "$bundle") lv2info urn:tintinna:chimes)
# One line per port: index, symbol, then its classes in a fixed order.
actual=$(awk '
  function flush() { if (n != "") print n, s, dir "-" kind }
  /^\tPort [0-9]+:/ { flush(); n = $2; sub(":", "", n) }
  /Symbol:/ { s = $2 }
  /#(InputPort|OutputPort)$/ { dir = $NF; sub(/.*#/, "", dir) }
  /#(ControlPort|AudioPort|AtomPort)$/ { kind = $NF; sub(/.*#/, "", kind) }
  END { flush() }' <<<"$info")
expected=$(
  symbols=(WSpeed Variable NumTones Tone_1 Tone_2 Tone_3 Tone_4 Tone_5 Tone_6 Tone_7 Tone_8
           Sensitiv ClapSize Algorithm Duration Channel MinVelocity ChannelA CC_num_A CC_A
           ChannelB CC_Number_B CC_B param_23 param_24 param_25 param_26 param_27)
  for i in "${!symbols[@]}"; do echo "$i ${symbols[$i]} InputPort-ControlPort"; done
  printf '%s\n' "28 in_l InputPort-AudioPort" "29 in_r InputPort-AudioPort" \
    "30 out_l OutputPort-AudioPort" "31 out_r OutputPort-AudioPort" \
    "32 events_in InputPort-AtomPort" "33 midi_out OutputPort-AtomPort")
status=0
if [[ $actual != "$expected" ]]; then
  echo "ports differ from the parameter order (expected, then as lilv reads them):"
  diff <(echo "$expected") <(echo "$actual") || true
  status=1
fi
for wanted in 'Extension Data: *http://lv2plug.in/ns/ext/state#interface' 'Class: *.*#X11UI' \
              'Designation: http://lv2plug.in/ns/lv2core#control' 'Name: *Tintinna'; do
  grep -Eq "$wanted" <<<"$info" || { echo "lv2info shows no '$wanted'"; status=1; }
done
exit $status

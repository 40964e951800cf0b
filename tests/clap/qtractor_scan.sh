#!/usr/bin/env bash
# qtractor's plug-in scanner, a CLAP host that is not ours, lists tintinna.clap: its name, 2:2
# audio and 1:1 MIDI.
#
# usage: qtractor_scan.sh TINTINNA_CLAP SCANNER...
# The first scanner that exists is used (Debian's qtractor package installed, or only its scanner
# extracted by scripts/bootstrap.sh); exit status 77 (a skip) when there is none.
set -euo pipefail

plugin=$1
shift
for candidate in "$@"; do
  [[ -x $candidate ]] && scanner=$candidate && break
done
if [[ -z ${scanner:-} ]]; then
  echo "qtractor_plugin_scan not found (scripts/bootstrap.sh extracts it): skipping"
  exit 77
fi
line=$(echo "CLAP:$plugin" | timeout 60 "$scanner")
echo "$line"
[[ $line == "CLAP|Tintinna|2:2|1:1|28:0|"*"|$plugin|0|"* ]]

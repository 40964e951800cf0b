#!/usr/bin/env bash
# Redraws docs/tintinna-run.png, the picture in the README, with the README's own command
# (scripts/run.sh) run in a scratch directory. Run it on purpose when the sound changes; the
# tests never do.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
(cd "$scratch" && "$root/scripts/run.sh")
mkdir -p docs
cp "$scratch/tintinna.png" docs/tintinna-run.png
echo "readme-picture: docs/tintinna-run.png"

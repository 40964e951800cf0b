#!/usr/bin/env bash
# Bootstraps, builds and runs the whole test suite: a normal build, an ASan+UBSan build, and the
# fuzz targets for a bounded time.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/bootstrap.sh

for preset in default asan fuzz; do
  echo "== $preset =="
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset"
done

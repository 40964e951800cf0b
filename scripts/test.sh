#!/usr/bin/env bash
# Bootstraps, builds and runs the whole test suite: a normal build, an ASan+UBSan build, and the
# fuzz targets for a bounded time, then the Windows DLL cross-built with mingw-w64 and tested under
# Wine (after the default build, whose Linux event stream the Windows one must match).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/bootstrap.sh
scripts/bootstrap-windows.sh

for preset in default asan fuzz windows; do
  echo "== $preset =="
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset"
  # What each fuzzer reached: executions per second and edges covered.
  if [ "$preset" = fuzz ]; then cat build/fuzz/fuzz/*/*-summary.txt; fi
done
cmake --preset tsan >/dev/null && cmake --build --preset tsan && ctest --preset tsan

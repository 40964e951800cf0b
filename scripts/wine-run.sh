#!/usr/bin/env bash
# Runs a Windows program under Wine for the tests: a prefix inside the build tree, initialised
# once, no Wine chatter, and a virtual X display when none is set.
# Usage: scripts/wine-run.sh PROGRAM.exe [ARGS...]   (WINEPREFIX may be set by the caller)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

export WINEPREFIX=${WINEPREFIX:-$root/build/wine-prefix}
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installers: nothing here needs .NET or HTML.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

if (($# == 0)); then
  echo "usage: $0 PROGRAM.exe [ARGS...]" >&2
  exit 2
fi

mkdir -p "$(dirname "$WINEPREFIX")"
# Parallel tests share the prefix: the first one initialises it while the others wait.
(
  flock 9
  if [[ ! -f $WINEPREFIX/.initialised ]]; then
    wineboot -i >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.initialised"
  fi
) 9>"$WINEPREFIX.lock"

rc=0
if [[ -n ${DISPLAY:-} ]]; then
  wine "$@" || rc=$?
  # The server must not outlive this display; waiting also makes every run start afresh.
  wineserver -w || true
else
  xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@" || rc=$?
fi
exit "$rc"

#!/usr/bin/env bash
# Sets up, builds Zarn.exe against the local portal, starts the portal and runs the program under Wine
# (the build scripts/common.sh picks for this machine), following its whole session: every process of
# the program, not only the first, until all have ended or the time is up. With a display (DISPLAY
# set) the windows appear there; without one it runs on Xvfb and keeps a screenshot whenever the
# screen changed. At the end it prints the paths of a contact sheet and of a text of what it saw
# (the program's processes, windows, shortcuts and the portal's requests).
#
#   scripts/run.sh                  a first start: install, the installed copy's launcher and login
#   scripts/run.sh [arguments]      Zarn.exe with these arguments, e.g. scripts/run.sh /ZarnD
#   scripts/run.sh --tour           the whole road with the test build (scripts/tour.sh)
#   ZARN_RUN_SECONDS=30             how long a headless run may last (default 20)
set -uo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
[ "${1:-}" = --tour ] && exec bash "$ROOT/scripts/tour.sh"
export ZARN_BUILD=${ZARN_BUILD:-$ROOT/build}
SECONDS_TO_RUN=${ZARN_RUN_SECONDS:-20}
cd "$ROOT"
mkdir -p "$ZARN_BUILD"

source scripts/session.sh
zarn_session_setup || exit 1

OUT="$ZARN_BUILD/sessions/run-$(date +%Y%m%d-%H%M%S)"
if [ $# -eq 0 ]; then
  # What a user sees the first time: no install, shortcuts or settings of an earlier run.
  zarn_lookout reset 2>/dev/null
  WHAT="Zarn.exe without arguments (a first start: it installs itself and starts the installed copy)"
else
  WHAT="Zarn.exe $*"
fi
mkdir -p "$OUT"
zarn_session_begin "$OUT" "$WHAT"
wine "$ZARN_BUILD/$ARCH/Zarn.exe" "$@" 2>>"$OUT/wine.log" &
SESSION_PROGRAM=$!

if [ "$HEADLESS" = 1 ]; then
  if zarn_session_follow "$SECONDS_TO_RUN"; then
    echo "every process of the program has ended"
  else
    echo "time is up after ${SECONDS_TO_RUN}s; the program's processes end with the Wine session"
  fi
else
  zarn_session_follow 0
  echo "every process of the program has ended"
fi
zarn_session_end 4
if grep -q "Could not find Wine Gecko" "$OUT/wine.log" 2>/dev/null; then
  echo "Wine here has no HTML engine: the login page, the game and the hall stay empty areas."
fi

#!/usr/bin/env bash
# Sets up, builds Zarn.exe against the local portal, starts the portal and runs the program under Wine:
# the i686 release build where this machine runs 32-bit code, the x86_64 build where it does not.
# With a display (DISPLAY set) the windows appear there; without one it runs on Xvfb and saves a
# screenshot every second into a folder it prints.
#
#   scripts/run.sh [arguments for Zarn.exe]     e.g. scripts/run.sh /ZarnD
#   ZARN_RUN_SECONDS=30                          how long a headless run lasts (default 20)
set -uo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
export ZARN_BUILD=${ZARN_BUILD:-$ROOT/build}
SECONDS_TO_RUN=${ZARN_RUN_SECONDS:-20}
cd "$ROOT"
mkdir -p "$ZARN_BUILD"

bash scripts/setup-deps.sh || exit 1
source scripts/common.sh
zarn_pick_ports
ARCH=$(zarn_runnable_arch)
zarn_build_win "$ARCH" || { echo "build failed"; exit 1; }
source scripts/wine-env.sh
zarn_wine_use "$ARCH"
STATE=$(zarn_state_dir "$ARCH")

HEADLESS=0
if [ -z "${DISPLAY:-}" ]; then
  HEADLESS=1
  zarn_xvfb_start || exit 1
fi
cleanup() {
  zarn_portal_stop portal
  zarn_portal_stop probe
  zarn_wine_stop
  [ "$HEADLESS" = 1 ] && zarn_xvfb_stop
}
trap cleanup EXIT

zarn_prefix_ready || exit 1
zarn_portal_start portal "$STATE"
zarn_portal_start probe "$STATE"
echo "local portal: http://127.0.0.1:$ZARN_PORT/ (requests logged to $STATE/portal-requests.jsonl)"

wine "$ZARN_BUILD/$ARCH/Zarn.exe" "$@" &
PROGRAM=$!

if [ "$HEADLESS" = 0 ]; then
  wait "$PROGRAM"
  exit 0
fi

SHOTS="$ZARN_BUILD/screenshots/$(date +%Y%m%d-%H%M%S)"
mkdir -p "$SHOTS"
for i in $(seq -w 1 "$SECONDS_TO_RUN"); do
  sleep 1
  import -window root "$SHOTS/shot-$i.png" 2>/dev/null
  kill -0 "$PROGRAM" 2>/dev/null || break
done
# Whatever still runs (the launcher, a copy it started, a message box) ends with the Wine session.
kill "$PROGRAM" 2>/dev/null
echo "screenshots: $SHOTS"

#!/usr/bin/env bash
# Idle cost of the launcher: its CPU time (percent of one core) and working set while it idles for
# ZARN_BENCH_SECONDS (default 60) with three stand-in tabs (its 400 ms timer is then its only work),
# beside a bare Win32 window's under the same Wine. Prints figures, asserts nothing.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
cd "$ROOT"
export ZARN_BUILD=${ZARN_BUILD:-$ROOT/build}
SECONDS_IDLE=${ZARN_BENCH_SECONDS:-60}
OUT="$ZARN_BUILD/bench"
mkdir -p "$OUT"

source scripts/bench/session.sh
zarn_bench_session IdleBench_win.cpp:idlebench.exe: BareWindow_win.cpp:barewindow.exe:-mwindows
PEERS="$OUT/idle-peers"
rm -rf "$PEERS" && mkdir -p "$PEERS"
INSTALLED="$WINEPREFIX/drive_c/ProgramData/Mirel/DaruRavoz"
mkdir -p "$INSTALLED"
cp "$ZARN_BUILD/$ARCH/testbuild/Zarn.exe" "$INSTALLED/Zarn.exe"
export ZARN_TEST_GAME_PROGRAM ZARN_TEST_PEER_DIR
ZARN_TEST_GAME_PROGRAM=$(winpath "$ZARN_BUILD/$ARCH/zarn_gamepeer.exe")
ZARN_TEST_PEER_DIR=$(winpath "$PEERS")

echo "idle for ${SECONDS_IDLE} s ($ARCH build under Wine):"
read -r _ bare_cpu _ bare_ws _ bare_peak <<<"$(wine "$OUT/idlebench.exe" "$SECONDS_IDLE" "$(winpath "$OUT/barewindow.exe")" 2>/dev/null | tr -d '\r')"
echo "bare Win32 window:          CPU ${bare_cpu} % of one core, working set ${bare_ws} MB (peak ${bare_peak} MB)"
read -r _ cpu _ ws _ peak <<<"$(wine "$OUT/idlebench.exe" "$SECONDS_IDLE" --launcher "$ZARN_TEST_PEER_DIR" 'C:\ProgramData\Mirel\DaruRavoz\Zarn.exe' /ZarnD 2>/dev/null | tr -d '\r')"
echo "launcher with three tabs:   CPU ${cpu} % of one core, working set ${ws} MB (peak ${peak} MB)"

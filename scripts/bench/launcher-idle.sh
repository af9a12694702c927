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

# Wine's GetProcessTimes gives nothing for other processes, so the CPU time is read from the Linux
# side (/proc, in 10 ms ticks) while idlebench.exe holds the program up; it prints the working set.
ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
measure() { # <name> <pgrep pattern> <ready test> <idlebench arguments...>
  local name=$1 pattern=$2 ready=$3 pid a b out
  shift 3
  out=$(mktemp)
  wine "$OUT/idlebench.exe" $((SECONDS_IDLE + 20)) "$@" >"$out" 2>/dev/null &
  for _ in $(seq 600); do eval "$ready" && break; sleep 0.1; done
  sleep 3
  pid=$(pgrep -f "$pattern" | head -1)
  a=$(ticks "$pid"); sleep "$SECONDS_IDLE"; b=$(ticks "$pid")
  wait
  echo "$name: CPU $(python3 -c "print(f'{($b - $a) / $SECONDS_IDLE:.3f}')") % of one core; $(tr -d '\r' <"$out")"
  rm -f "$out"
}
echo "idle for ${SECONDS_IDLE} s ($ARCH build under Wine):"
measure "bare Win32 window" 'barewindow.exe' 'pgrep -f barewindow.exe >/dev/null' "$(winpath "$OUT/barewindow.exe")"
measure "launcher with three tabs" 'DaruRavoz.Zarn.exe' 'grep -q "^frame " "$PEERS/idle2.log" 2>/dev/null' \
  --launcher "$ZARN_TEST_PEER_DIR" 'C:\ProgramData\Mirel\DaruRavoz\Zarn.exe' /ZarnD

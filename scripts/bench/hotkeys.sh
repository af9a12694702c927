#!/usr/bin/env bash
# Hot keys: the launcher's keyboard-hook procedure's time per key event (median and maximum over
# ZARN_BENCH_EVENTS injected events, default 10000, with one tab so every key is matched against the
# hot keys), then the interception engine's call through a trampoline against a direct call.
# Prints figures, asserts nothing.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
cd "$ROOT"
export ZARN_BUILD=${ZARN_BUILD:-$ROOT/build}
EVENTS=${ZARN_BENCH_EVENTS:-10000}
OUT="$ZARN_BUILD/bench"
mkdir -p "$OUT"

(
  source scripts/bench/session.sh
  zarn_bench_session HookBench_win.cpp:hookbench.exe:
  PEERS="$OUT/hook-peers"
  rm -rf "$PEERS" && mkdir -p "$PEERS"
  INSTALLED="$WINEPREFIX/drive_c/ProgramData/Mirel/DaruRavoz"
  mkdir -p "$INSTALLED"
  cp "$ZARN_BUILD/$ARCH/testbuild/Zarn.exe" "$INSTALLED/Zarn.exe"
  NOTES="$OUT/hook-notes.txt"
  rm -f "$NOTES"
  export ZARN_TEST_GAME_PROGRAM ZARN_TEST_PEER_DIR ZARN_TEST_NOTES
  ZARN_TEST_GAME_PROGRAM=$(winpath "$ZARN_BUILD/$ARCH/zarn_gamepeer.exe")
  ZARN_TEST_PEER_DIR=$(winpath "$PEERS")
  ZARN_TEST_NOTES=$(winpath "$NOTES")
  wine "$OUT/hookbench.exe" "$EVENTS" "$ZARN_TEST_PEER_DIR" 'C:\ProgramData\Mirel\DaruRavoz\Zarn.exe' 2>/dev/null
  line=$(tr -d '\r' <"$NOTES" 2>/dev/null | grep ' hook ' || true)
  if [ -z "$line" ]; then
    echo "keyboard hook: no figures (the launcher did not note any)"
  else
    read -r _ _ calls median maximum <<<"$line"
    echo "keyboard hook ($ARCH build under Wine): $calls calls, median $median µs, maximum $maximum µs per key event"
  fi
)
bash scripts/bench/intercept.sh

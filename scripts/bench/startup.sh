#!/usr/bin/env bash
# Start-up cost: time from process start to the first visible window, and the peak working set then,
# of the program against a bare Win32 window under the same Wine (median of ZARN_BENCH_RUNS, default 7).
# Prints figures and ratios, asserts nothing. Builds what it needs (the build this machine can run).
#   scripts/bench/startup.sh [mode ...]      modes: uninst (default), launcher
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
cd "$ROOT"
export ZARN_BUILD=${ZARN_BUILD:-$ROOT/build}
RUNS=${ZARN_BENCH_RUNS:-7}
OUT="$ZARN_BUILD/bench"
mkdir -p "$OUT"
MODES=("$@")
[ ${#MODES[@]} -gt 0 ] || MODES=(uninst)

source scripts/bench/session.sh
zarn_bench_session StartupBench_win.cpp:startupbench.exe: BareWindow_win.cpp:barewindow.exe:-mwindows
measure() { # <program> [arguments...] -> "ms MB"
  wine "$OUT/startupbench.exe" "$RUNS" "$@" 2>/dev/null | tr -d '\r'
}

# The launcher runs from the install folder.
INSTALLED="$WINEPREFIX/drive_c/ProgramData/Mirel/DaruRavoz"
read -r bare_ms bare_mb <<<"$(measure "$(winpath "$OUT/barewindow.exe")")"
echo "bare Win32 window:   ${bare_ms} ms, peak working set ${bare_mb} MB"
for mode in "${MODES[@]}"; do
  case "$mode" in
    uninst) line=$(measure "$(winpath "$ZARN_BUILD/$ARCH/Zarn.exe")" /uninst) ;;
    launcher)
      mkdir -p "$INSTALLED"
      cp "$ZARN_BUILD/$ARCH/Zarn.exe" "$INSTALLED/Zarn.exe"
      line=$(measure 'C:\ProgramData\Mirel\DaruRavoz\Zarn.exe') ;;
    *) echo "unknown mode $mode"; continue ;;
  esac
  if [ -z "$line" ]; then
    echo "$mode: no window appeared"
    continue
  fi
  read -r ms mb <<<"$line"
  echo "Zarn.exe ($mode): ${ms} ms, peak working set ${mb} MB; ratio time $(python3 -c "print(f'{$ms/$bare_ms:.2f}')"), memory $(python3 -c "print(f'{$mb/$bare_mb:.2f}')")"
done

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

source scripts/common.sh
source scripts/wine-env.sh
ARCH=$(zarn_runnable_arch)
zarn_pick_ports
zarn_build_win "$ARCH" >/dev/null
CXX_WIN="$ARCH-w64-mingw32-g++-posix"
"$CXX_WIN" -O2 -municode -DUNICODE -D_UNICODE scripts/bench/StartupBench_win.cpp -static -lpsapi -o "$OUT/startupbench.exe"
"$CXX_WIN" -O2 -municode -mwindows -DUNICODE -D_UNICODE scripts/bench/BareWindow_win.cpp -static -o "$OUT/barewindow.exe"

zarn_wine_use "$ARCH"
zarn_xvfb_start
STATE=$(zarn_state_dir "$ARCH")
cleanup() {
  zarn_portal_stop portal
  zarn_portal_stop probe
  zarn_wine_stop
  zarn_xvfb_stop
}
trap cleanup EXIT
zarn_prefix_ready
zarn_portal_start portal "$STATE" >/dev/null
zarn_portal_start probe "$STATE" >/dev/null

winpath() { echo "Z:${1//\//\\}"; }
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

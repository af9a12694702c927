#!/usr/bin/env bash
# Start-up cost: time from process start to the first visible window, and the peak working set then,
# of the program against a bare Win32 window under the same Wine (median of ZARN_BENCH_RUNS, default 15;
# the programs take turns).
# Prints figures and ratios, asserts nothing. Builds what it needs (the build this machine can run).
#   scripts/bench/startup.sh [mode ...]      modes: uninst (default), launcher
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
cd "$ROOT"
export ZARN_BUILD=${ZARN_BUILD:-$ROOT/build}
RUNS=${ZARN_BENCH_RUNS:-15}
OUT="$ZARN_BUILD/bench"
mkdir -p "$OUT"
MODES=("$@")
[ ${#MODES[@]} -gt 0 ] || MODES=(uninst)

source scripts/bench/session.sh
zarn_bench_session StartupBench_win.cpp:startupbench.exe: BareWindow_win.cpp:barewindow.exe:-mwindows \
  "BareDialog_win.cpp:baredialog.exe:-mwindows -lcomctl32 -lgdiplus -lwininet -lwinmm -lole32 -loleaut32 -lshell32 -lshlwapi -lmsimg32"
# The launcher runs from the install folder.
INSTALLED="$WINEPREFIX/drive_c/ProgramData/Mirel/DaruRavoz"
mkdir -p "$INSTALLED"
cp "$ZARN_BUILD/$ARCH/Zarn.exe" "$INSTALLED/Zarn.exe"
specs=("$(winpath "$OUT/barewindow.exe")" "$(winpath "$OUT/baredialog.exe")")
for mode in "${MODES[@]}"; do
  case "$mode" in
    uninst) specs+=("$(winpath "$ZARN_BUILD/$ARCH/Zarn.exe")|/uninst") ;;
    launcher) specs+=('C:\ProgramData\Mirel\DaruRavoz\Zarn.exe') ;;
    *) echo "unknown mode $mode"; exit 2 ;;
  esac
done
# One run of each first, so that no program pays for a cold prefix.
wine "$OUT/startupbench.exe" 1 "${specs[@]}" >/dev/null 2>&1 || true
mapfile -t lines < <(wine "$OUT/startupbench.exe" "$RUNS" "${specs[@]}" 2>/dev/null | tr -d '\r')
if [ ${#lines[@]} -ne ${#specs[@]} ]; then
  echo "a program showed no window"
  exit 1
fi
read -r bare_ms bare_mb <<<"${lines[0]}"
ratios() { echo "ratio time $(python3 -c "print(f'{$1/$bare_ms:.2f}')"), memory $(python3 -c "print(f'{$2/$bare_mb:.2f}')")"; }
echo "bare Win32 window:   ${bare_ms} ms, peak working set ${bare_mb} MB"
read -r floor_ms floor_mb <<<"${lines[1]}"
echo "floor (a dialog with common controls 6 and the program's DLLs): ${floor_ms} ms, peak working set ${floor_mb} MB; $(ratios "$floor_ms" "$floor_mb")"
for i in "${!MODES[@]}"; do
  read -r ms mb <<<"${lines[$((i + 2))]}"
  echo "Zarn.exe (${MODES[$i]}): ${ms} ms, peak working set ${mb} MB; $(ratios "$ms" "$mb"); time against the floor $(python3 -c "print(f'{$ms/$floor_ms:.2f}')")"
done

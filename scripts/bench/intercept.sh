#!/usr/bin/env bash
# The interception engine's call cost under Wine: a direct call against a call through the trampoline
# (and a whole intercepted call), in nanoseconds per call, medians of 7 runs of 10 million calls.
# Prints figures and ratios, asserts nothing. Needs the Windows build (scripts/test.sh once).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
cd "$ROOT"
export ZARN_BUILD=${ZARN_BUILD:-$ROOT/build}
OUT="$ZARN_BUILD/bench"
mkdir -p "$OUT"

# shellcheck source=../common.sh
source scripts/common.sh
ARCH=$(zarn_bench_arch)
CXX_WIN="$ARCH-w64-mingw32-g++-posix"

echo "== building the bench program"
"$CXX_WIN" -O2 -std=c++17 -DUNICODE -D_UNICODE -DNOMINMAX -I src scripts/bench/InterceptBench_win.cpp \
  -Wl,--start-group "$ZARN_BUILD/$ARCH/libzarn_win.a" "$ZARN_BUILD/$ARCH/libzarn_portable.a" -Wl,--end-group \
  -static -o "$OUT/interceptbench.exe"

# shellcheck source=../wine-env.sh
source scripts/wine-env.sh
zarn_wine_use "$ARCH"
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
zarn_prefix_ready
line=$(wine "$OUT/interceptbench.exe" 2>/dev/null | tr -d '\r')
direct=$(grep '^direct-call' <<<"$line" | cut -d' ' -f2)
tramp=$(grep '^trampoline-call' <<<"$line" | cut -d' ' -f2)
whole=$(grep '^intercepted-call' <<<"$line" | cut -d' ' -f2)
echo "== call cost ($ARCH build under Wine, ns per call, median of 7 runs)"
echo "direct call:               $direct"
echo "through the trampoline:    $tramp   ratio $(python3 -c "print(f'{$tramp/$direct:.2f}')")"
echo "intercepted (patch+repl.): $whole   ratio $(python3 -c "print(f'{$whole/$direct:.2f}')")"

#!/usr/bin/env bash
# Benchmarks of the update path; prints figures, asserts nothing.
#  1. MD5 throughput of the program's MD5 (Md5OfFile's reading and digest) against md5sum on the same
#     100 MB file: natively (g++ -O2) and under Wine (the mingw build).
#  2. Download throughput of the progress dialog's download (ProgramDownload) against
#     curl, for a 20 MB file from the local portal, under Wine.
# Needs the Windows build (scripts/test.sh once). Ratios are program/reference throughput (>1 = faster).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
cd "$ROOT"
export ZARN_BUILD=${ZARN_BUILD:-$ROOT/build}
OUT="$ZARN_BUILD/bench"
mkdir -p "$OUT"
RUNS=${ZARN_BENCH_RUNS:-3}

# shellcheck source=../common.sh
source scripts/common.sh
ARCH=$(zarn_bench_arch)
CXX_WIN="$ARCH-w64-mingw32-g++-posix"

best() { sort -n | head -1; } # fastest of the runs
ratio() { python3 -c "print(f'{$1/$2:.2f}')"; }

echo "== building the bench programs"
g++ -O2 -std=c++17 -I src scripts/bench/Md5Bench.cpp src/update/Md5.cpp -o "$OUT/md5bench"
"$CXX_WIN" -O2 -std=c++17 -I src scripts/bench/Md5Bench.cpp src/update/Md5.cpp -static \
  -o "$OUT/md5bench.exe"
"$CXX_WIN" -O2 -std=c++17 -municode -DUNICODE -D_UNICODE -DNOMINMAX -I src \
  -I "$ZARN_BUILD/$ARCH/generated" scripts/bench/DownloadBench_win.cpp \
  -Wl,--start-group "$ZARN_BUILD/$ARCH/libzarn_win.a" "$ZARN_BUILD/$ARCH/libzarn_portable.a" -Wl,--end-group \
  -lwininet -lshlwapi -lcomctl32 -lgdiplus -lmsimg32 -lwinmm -ldsound -lole32 -loleaut32 -luuid -lshell32 \
  -ladvapi32 -luser32 -lgdi32 -lcomdlg32 -static \
  -o "$OUT/downloadbench.exe"

FILE="$OUT/md5-100MB.bin"
[ -f "$FILE" ] || head -c 104857600 /dev/urandom >"$FILE"
cat "$FILE" >/dev/null # warm the page cache

echo "== MD5 of 100 MB ($RUNS runs each, fastest)"
ref=$(for _ in $(seq "$RUNS"); do /usr/bin/time -f %e md5sum "$FILE" 2>&1 >/dev/null; done | best)
nat=$(for _ in $(seq "$RUNS"); do "$OUT/md5bench" "$FILE" | cut -d' ' -f1; done | best)
want=$(md5sum "$FILE" | cut -d' ' -f1)
got=$("$OUT/md5bench" "$FILE" | cut -d' ' -f2)
[ "$want" = "$got" ] || { echo "digest mismatch: $got vs $want"; exit 1; }
# shellcheck source=../wine-env.sh
source scripts/wine-env.sh
zarn_wine_use "$ARCH"
zarn_prefix_ready
winfile="Z:${FILE//\//\\}"
wine "$OUT/md5bench.exe" "$winfile" >/dev/null 2>&1 || true
win=$(for _ in $(seq "$RUNS"); do wine "$OUT/md5bench.exe" "$winfile" 2>/dev/null | cut -d' ' -f1; done | best)
echo "md5sum:              ${ref}s  $(python3 -c "print(f'{100/$ref:.0f}')") MB/s"
echo "Md5OfFile (native):  ${nat}s  $(python3 -c "print(f'{100/$nat:.0f}')") MB/s   ratio $(ratio "$ref" "$nat")"
echo "Md5OfFile (Wine):    ${win}s  $(python3 -c "print(f'{100/$win:.0f}')") MB/s   ratio $(ratio "$ref" "$win")"

echo "== download of 20 MB from the local portal ($RUNS runs each, fastest)"
PORT=$(tools/portal/portalctl freeport 28180)
PID_FILE="$OUT/portal.pid"
tools/portal/portalctl start --port "$PORT" --log "$OUT/portal-requests.jsonl" --pidfile "$PID_FILE"
trap 'tools/portal/portalctl stop --pidfile "$PID_FILE" >/dev/null 2>&1; wineserver -k >/dev/null 2>&1 || true' EXIT
URL="http://localhost:$PORT/files/blob?size=20971520"
curl_s=$(for _ in $(seq "$RUNS"); do curl -s -o "$OUT/curl.bin" -w '%{time_total}\n' "$URL"; done | best)
dlg=""; big=""
for _ in $(seq "$RUNS"); do
  line=$(wine "$OUT/downloadbench.exe" "$URL" "Z:${OUT//\//\\}\\dl.bin" 2>/dev/null | tr -d '\r')
  dlg+="$(grep dialog-download <<<"$line" | cut -d' ' -f2)"$'\n'
  big+="$(grep wininet-64k <<<"$line" | cut -d' ' -f2)"$'\n'
  echo "  $(grep dialog-download <<<"$line")"
done
dlg=$(grep . <<<"$dlg" | best); big=$(grep . <<<"$big" | best)
cmp -s "$OUT/dl.bin" "$OUT/curl.bin" && echo "  same bytes as curl" || echo "  BYTES DIFFER from curl"
echo "curl:                       ${curl_s}s  $(python3 -c "print(f'{20/$curl_s:.0f}')") MB/s"
echo "dialog download:            ${dlg}s  $(python3 -c "print(f'{20/$dlg:.0f}')") MB/s   ratio $(ratio "$curl_s" "$dlg")"
echo "WinINet 64 KiB (reference): ${big}s  $(python3 -c "print(f'{20/$big:.0f}')") MB/s   ratio $(ratio "$curl_s" "$big")"
rm -f "$OUT/dl.bin" "$OUT/curl.bin"

# Sourced by the Wine benchmarks: builds the Windows build this machine can run and the given bench
# programs, then starts Xvfb, the Wine prefix and the local portal (stopped again on exit).
#   zarn_bench_session <source.cpp:program.exe:flags> ...     sets ARCH, OUT and STATE
# (a <source>.rc beside the source is compiled and linked in)
# shellcheck source=../common.sh
source scripts/common.sh
# shellcheck source=../wine-env.sh
source scripts/wine-env.sh

zarn_bench_session() {
  ARCH=$(zarn_bench_arch)
  zarn_pick_ports "$ARCH"
  zarn_build_win "$ARCH" >/dev/null
  local cxx="$ARCH-w64-mingw32-g++-posix" spec src exe flags resources
  for spec in "$@"; do
    IFS=: read -r src exe flags <<<"$spec"
    # A program's resources, if any, are the .rc file of its name.
    resources=()
    if [ -f "scripts/bench/${src%.cpp}.rc" ]; then
      (cd scripts/bench && "$ARCH-w64-mingw32-windres" "${src%.cpp}.rc" -O coff -o "$OUT/${exe%.exe}.res.o")
      resources=("$OUT/${exe%.exe}.res.o")
    fi
    # shellcheck disable=SC2086
    "$cxx" -O2 -municode -DUNICODE -D_UNICODE "scripts/bench/$src" "${resources[@]}" -static -lpsapi $flags \
      -o "$OUT/$exe"
  done
  zarn_wine_use "$ARCH"
  zarn_xvfb_start
  STATE=$(zarn_state_dir "$ARCH")
  trap zarn_bench_cleanup EXIT
  zarn_prefix_ready
  zarn_portal_start portal "$STATE" >/dev/null
  zarn_portal_start probe "$STATE" >/dev/null
}

zarn_bench_cleanup() {
  zarn_portal_stop portal
  zarn_portal_stop probe
  zarn_wine_stop
  zarn_xvfb_stop
}

winpath() { echo "Z:${1//\//\\}"; }

#!/usr/bin/env bash
# Sets up, builds and runs every test: the native suite (sanitizers), the portal's own tests, the
# include check, short fuzzing runs, both Windows builds (i686, the release build, and x86_64) with
# their executable checks, and the Windows-side suite under Wine against the local portal on both
# builds: the i686 build with 32-bit Wine where this machine runs 32-bit code, and with its 32-bit
# processes emulated where it does not (if neither can be set up, the i686 run counts as skipped, with
# the reason). Ends with one line "N passed, N failed, N skipped" and exits non-zero on any failure.
#
#   scripts/test.sh            everything
#   ZARN_FUZZ_SECONDS=0        skip the fuzzers
#   ZARN_WIN_FILTER=<regex>    only the Windows-side tests whose CTest name matches
#   ZARN_SKIP_OFFLINE=1        skip the no-network tests
#   ZARN_I686_ROUTE=emulated   run the i686 build emulated even where 32-bit code runs natively
#   ZARN_I686_FULL=1           on the emulated route, run the whole i686 suite, not only its core
#   ZARN_WIN_SEQUENTIAL=1      run the two builds' Windows-side suites one after the other
set -uo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
export ZARN_BUILD=${ZARN_BUILD:-$ROOT/build}
FUZZ_SECONDS=${ZARN_FUZZ_SECONDS:-15}
cd "$ROOT"
mkdir -p "$ZARN_BUILD"

PASSED=0
FAILED=0
SKIPPED=0
WIN_RAN=0
FAILURES=()
SECOND_RUNS=() # tests that passed only on their second run

# Adds a CTest run's numbers from its summary line.
count_ctest() { # <log> <label>
  local line total failed skipped
  line=$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$1" | tail -1)
  if [ -z "$line" ]; then
    if grep -q 'No tests were found' "$1"; then return 0; fi
    FAILED=$((FAILED + 1)); FAILURES+=("$2: no summary"); return 0
  fi
  failed=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
  total=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\2/' <<<"$line")
  # A test that skips itself (GTEST_SKIP) is in the total but neither passed nor failed.
  skipped=$(grep -cE '^\s+[0-9]+ - .*\(Skipped\)$' "$1")
  PASSED=$((PASSED + total - failed - skipped)); FAILED=$((FAILED + failed)); SKIPPED=$((SKIPPED + skipped))
  # With --repeat until-pass a test that failed and then passed shows both results; it is counted.
  local again
  again=$(grep -E 'Test +#[0-9]+: ' "$1" | sed -E 's/.*Test +#[0-9]+: ([^ ]+) .*(\*\*\*[A-Za-z]+|Passed).*/\1 \2/' |
    awk '$2 != "Passed" { bad[$1] = 1 } $2 == "Passed" && bad[$1] { print $1 }' | sort -u)
  if [ -n "$again" ]; then
    SECOND_RUNS+=($(sed "s/^/${2%% *}:/" <<<"$again"))
  fi
  [ "$failed" -eq 0 ] || FAILURES+=("$2: $(grep -E '^\s+[0-9]+ - ' "$1" | grep -v '(Skipped)$' | sed -E 's/^\s+//' | tr '\n' ';')")
}

# A stage's heading, with the time since the start (CI has a time limit; this shows where it goes).
step() { echo; echo "== $* ($((SECONDS / 60))m$(printf %02d $((SECONDS % 60)))s)"; }

cleanup() {
  if [ -n "${PORTALS_STARTED:-}" ]; then zarn_portal_stop portal; zarn_portal_stop probe; fi
  if declare -F zarn_pulse_stop >/dev/null; then zarn_pulse_stop; fi
  if declare -F zarn_wine_stop >/dev/null; then zarn_wine_stop; zarn_xvfb_stop; fi
  local pid pidfile
  for pid in "${SUITE_PIDS[@]}" "${XVFB_PIDS[@]}"; do kill "$pid" 2>/dev/null; done
  # What suites running side by side left when interrupted: their portals, by their PID files.
  for pidfile in "$ZARN_BUILD"/portal-*.pid "$ZARN_BUILD"/probe-*.pid; do
    [ -f "$pidfile" ] && tools/portal/portalctl stop --pidfile "$pidfile" >/dev/null 2>&1
  done
}
SUITE_PIDS=()
XVFB_PIDS=()
trap cleanup EXIT

step "setup"
bash scripts/setup-deps.sh || { echo "0 passed, 1 failed"; exit 1; }

step "native build (AddressSanitizer, UndefinedBehaviorSanitizer)"
if cmake -S . -B "$ZARN_BUILD/native" -G Ninja -DCMAKE_BUILD_TYPE=Debug >"$ZARN_BUILD/native-configure.log" 2>&1 &&
   cmake --build "$ZARN_BUILD/native"; then
  (cd "$ZARN_BUILD/native" && ctest --output-on-failure) >"$ZARN_BUILD/native-tests.log" 2>&1
  tail -3 "$ZARN_BUILD/native-tests.log"
  count_ctest "$ZARN_BUILD/native-tests.log" native
else
  FAILED=$((FAILED + 1)); FAILURES+=("native build")
fi

# A Python unittest run: its tests count as passed, or it counts as one failure.
run_unittests() { # <name> <test files...>
  local name=$1 log="$ZARN_BUILD/$1-tests.log" n
  shift
  if python3 -m unittest "$@" >"$log" 2>&1; then
    n=$(grep -oE '^Ran [0-9]+' "$log" | grep -oE '[0-9]+'); PASSED=$((PASSED + n))
    echo "$name: $n passed"
  else
    FAILED=$((FAILED + 1)); FAILURES+=("$name tests"); tail -20 "$log"
  fi
}

step "portal tests"
run_unittests portal tools/portal/test_portal.py tools/portal/test_pages.py

step "script tests"
run_unittests script scripts/test_session_report.py scripts/test_check_includes.py

# Every #include of src/ runs downwards through the layers (scripts/check-includes.py says which).
step "include check"
if python3 scripts/check-includes.py >"$ZARN_BUILD/include-check.log" 2>&1; then
  PASSED=$((PASSED + 1)); tail -1 "$ZARN_BUILD/include-check.log"
else
  FAILED=$((FAILED + 1)); FAILURES+=("include check"); cat "$ZARN_BUILD/include-check.log"
fi

if [ "$FUZZ_SECONDS" != 0 ]; then
  step "fuzzing (${FUZZ_SECONDS}s each)"
  if CC=clang CXX=clang++ cmake -S . -B "$ZARN_BUILD/fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZARN_FUZZ=ON \
       >"$ZARN_BUILD/fuzz-configure.log" 2>&1 && cmake --build "$ZARN_BUILD/fuzz" >"$ZARN_BUILD/fuzz-build.log" 2>&1; then
    for f in "$ZARN_BUILD"/fuzz/*Fuzz; do
      [ -x "$f" ] || continue
      if "$f" -max_total_time="$FUZZ_SECONDS" -max_len=4096 >"$f.log" 2>&1; then
        PASSED=$((PASSED + 1)); echo "$(basename "$f"): ok"
      else
        FAILED=$((FAILED + 1)); FAILURES+=("fuzz $(basename "$f")"); tail -30 "$f.log"
      fi
    done
  else
    FAILED=$((FAILED + 1)); FAILURES+=("fuzz build"); tail -20 "$ZARN_BUILD/fuzz-build.log"
  fi
fi

# The names of a build's Windows-side tests that match a CTest regex, one a line.
win_test_names() { # <arch> <regex>
  (cd "$ZARN_BUILD/$1" && ctest -N -R "$2") | sed -n 's/^ *Test *#[0-9]*: \(win\..*\)$/\1/p'
}

# A CTest regex that matches exactly the names given one a line.
exact_names() {
  printf '^(%s)$' "$(sed 's/[][\.*^$+?(){}|/]/\\&/g' | paste -sd'|')"
}

# Runs the named tests (one a line) of a build and counts them; a test that fails is run once more: Wine
# window tests without a window manager depend on the X server's timing. The log keeps both runs and
# the summary counts every such test. Extra arguments are environment settings for the run.
run_win_tests() { # <arch> <label> <log> <names> [VAR=value...]
  local arch=$1 label=$2 log=$3 names=$4
  shift 4
  [ -n "$names" ] || return 0
  (cd "$ZARN_BUILD/$arch" && env "$@" ctest -R "$(exact_names <<<"$names")" --output-on-failure \
    --repeat until-pass:2) >"$log" 2>&1
  tail -3 "$log"
  count_ctest "$log" "$label"
}

# What the i686 build runs on the emulated route by default, where the whole suite would not fit in the
# time CI has: everything that calls back into the program or crosses processes in a 32-bit process,
# namely the interception engine, the muting of systems before Vista and of later ones, the window
# objects, the skinned dialogs and message boxes, the page dialogs, the hot keys and their settings, the
# launcher with its tabs, logins and game windows, the crash filter, the install, the program's own
# HTTP with its redirects, the client download, the self-update's swap and the uninstall batch, and
# every run mode without a network. ZARN_I686_FULL=1 runs the whole
# suite there too.
EMULATED_CORE='^win\.(Intercept\.|Http\.|DownGameDlg\.|CrashDump|Install\.|xp\.|SoundMute|WindowObjects\.|ForeignWindow\.|SkinDialog\.|SkinMessageBox\.|HtmlDialogTest\.|SettingDialog\.|Launcher|LoginFlow\.|GameWindow|GameView|SelfUpdate\.|UpdateFlow\.|Uninstall\.|EveryMode/Offline\.)'

# The Windows-side suite of one build under its own Wine prefix: first the no-network cases with the
# probe site down, then the rest with the local portal up. Sets WIN_RAN to the number of tests counted.
run_win_suite() { # i686|x86_64
  local arch=$1 state
  state=$(zarn_state_dir "$arch")
  WIN_RAN=0
  zarn_build_ports "$arch"
  zarn_wine_use "$arch"
  step "Windows-side tests under Wine ($arch build, prefix $(basename "$WINEPREFIX"))"
  if ! zarn_prefix_ready; then
    FAILED=$((FAILED + 1)); FAILURES+=("$arch: Wine cannot run this build here"); return
  fi
  mkdir -p "$state"
  : >"$state/portal-requests.jsonl"
  PORTALS_STARTED=1
  zarn_portal_stop probe
  zarn_portal_start portal "$state"
  local before=$((PASSED + FAILED + SKIPPED))
  local names all
  all=$(win_test_names "$arch" "${ZARN_WIN_FILTER:-.}")
  names=$all
  if [ "$ZARN_WINE_ROUTE" = emulated ] && [ "${ZARN_I686_FULL:-0}" != 1 ]; then
    names=$(grep -E "$EMULATED_CORE" <<<"$all")
    local left_out=$(($(grep -c . <<<"$all") - $(grep -c . <<<"$names")))
    SKIPPED=$((SKIPPED + left_out))
    echo "$arch: $left_out tests left out on the emulated route, for time (ZARN_I686_FULL=1 runs them)"
  fi
  local offline stepwise rest
  offline=$(grep -E 'Offline' <<<"$names")
  [ "${ZARN_SKIP_OFFLINE:-0}" = 1 ] && offline=""
  stepwise=""
  if [ "$ZARN_WINE_ROUTE" = emulated ]; then
    # The emulator runs code in translated blocks and stops a thread only between them, never in the
    # middle of a loop as a processor does; the interception tests need threads stopped at any
    # instruction, so they run with one instruction per block.
    stepwise=$(grep -E '^win\.Intercept\.' <<<"$names")
  fi
  rest=$(grep -vE 'Offline' <<<"$names" | grep -vxF -e "${stepwise:-/}")
  local watcher="" native32="$ZARN_BUILD/$arch-native32.txt"
  if [ "$ZARN_WINE_ROUTE" = emulated ] && bash scripts/probe-32bit.sh >/dev/null; then
    # This machine could run 32-bit code natively, which the machines the route is for cannot: any
    # 32-bit program that runs natively during the suite is a fault of the route.
    : >"$native32"
    python3 scripts/emu32/watch-native32.py "$native32" "$WINEPREFIX" &
    watcher=$!
  fi

  # With the probe site down the program must believe there is no network.
  run_win_tests "$arch" "$arch offline" "$ZARN_BUILD/$arch-offline.log" "$offline"
  zarn_portal_start probe "$state"
  run_win_tests "$arch" "$arch" "$ZARN_BUILD/$arch-tests.log" "$rest"
  run_win_tests "$arch" "$arch interception (one instruction per block)" "$ZARN_BUILD/$arch-intercept.log" \
    "$stepwise" QEMU_ONE_INSN_PER_TB=1

  WIN_RAN=$((PASSED + FAILED + SKIPPED - before))
  if [ -n "$watcher" ]; then
    kill "$watcher" 2>/dev/null; wait "$watcher" 2>/dev/null
    if [ -s "$native32" ]; then
      FAILED=$((FAILED + 1)); FAILURES+=("$arch: 32-bit programs ran natively on the emulated route: $(cut -d' ' -f2 "$native32" | sort -u | tr '\n' ' ')")
    fi
  fi
  zarn_wine_stop
  zarn_portal_stop portal
  zarn_portal_stop probe
}

step "Windows builds against the local portal"
source scripts/common.sh
# shellcheck source=wine-env.sh
source scripts/wine-env.sh
RUN_I686=0
I686_ROUTE=$(zarn_i686_route)
case "$I686_ROUTE" in
  native) RUN_I686=1; echo "i686: 32-bit Wine runs natively here" ;;
  emulated) RUN_I686=1; echo "i686: Wine's 32-bit processes run emulated here (qemu-i386)" ;;
  *) echo "i686: its Windows-side tests cannot run here: ${I686_ROUTE#none: }" ;;
esac
BUILT=()
for arch in "${ZARN_WIN_ARCHES[@]}"; do
  targets=()
  if [ "$arch" = i686 ] && [ "$RUN_I686" = 0 ]; then
    # Its tests cannot run here: build and check the programs (the release one and the test build).
    targets=(Zarn ZarnTestBuild zarn_gamepeer)
    echo "i686: building the programs only; its Windows-side tests cannot run on this machine"
  fi
  zarn_pick_ports "$arch"
  if ! zarn_build_win "$arch" "${targets[@]}"; then
    FAILED=$((FAILED + 1)); FAILURES+=("Windows build ($arch)"); continue
  fi
  BUILT+=("$arch")
  step "executable checks ($arch)"
  if python3 tests/build/check_exe.py "$ZARN_BUILD/$arch/Zarn.exe" "$arch" >"$ZARN_BUILD/$arch-exe-checks.log" 2>&1; then
    n=$(grep -oE '^Ran [0-9]+' "$ZARN_BUILD/$arch-exe-checks.log" | grep -oE '[0-9]+'); PASSED=$((PASSED + n))
    echo "Zarn.exe ($arch): $n checks passed"
  else
    FAILED=$((FAILED + 1)); FAILURES+=("executable checks ($arch)"); tail -20 "$ZARN_BUILD/$arch-exe-checks.log"
  fi
done

built() { [[ " ${BUILT[*]} " == *" $1 "* ]]; }

# The arguments quoted for the shell to read back (nothing for none).
quoted() { [ $# -eq 0 ] || printf '%q ' "$@"; }

# One build's suite in the background, with its own display, sound server, portal pair and Wine
# prefix: its output goes to <arch>-suite.out, its counts to <arch>-suite.counts.
start_suite_beside() { # i686|x86_64 <display>
  local arch=$1
  rm -f "$ZARN_BUILD/$arch-suite.counts" # a suite that dies leaves none, never an earlier run's
  (
    export DISPLAY=$2 ZARN_PULSE_DIR="$ZARN_BUILD/pulse-$arch"
    PASSED=0 FAILED=0 SKIPPED=0 FAILURES=() SECOND_RUNS=()
    if zarn_pulse_start; then
      run_win_suite "$arch"
      zarn_pulse_stop
    else
      FAILED=$((FAILED + 1)); FAILURES+=("$arch: PulseAudio does not start")
    fi
    {
      echo "S_PASSED=$PASSED S_FAILED=$FAILED S_SKIPPED=$SKIPPED"
      echo "S_FAILURES=($(quoted "${FAILURES[@]}"))"
      echo "S_SECOND_RUNS=($(quoted "${SECOND_RUNS[@]}"))"
    } >"$ZARN_BUILD/$arch-suite.counts"
  ) >"$ZARN_BUILD/$arch-suite.out" 2>&1 &
  SUITE_PIDS+=($!)
}

# Waits for a suite started beside the other, prints its output and adds its counts.
join_suite() { # i686|x86_64 <pid>
  local S_PASSED=0 S_FAILED=0 S_SKIPPED=0 S_FAILURES=() S_SECOND_RUNS=()
  wait "$2"
  cat "$ZARN_BUILD/$1-suite.out"
  if [ -f "$ZARN_BUILD/$1-suite.counts" ]; then
    # shellcheck disable=SC1090
    source "$ZARN_BUILD/$1-suite.counts"
  else
    S_FAILED=1 S_FAILURES=("$1: the suite ended without its counts")
  fi
  PASSED=$((PASSED + S_PASSED)); FAILED=$((FAILED + S_FAILED)); SKIPPED=$((SKIPPED + S_SKIPPED))
  [ ${#S_FAILURES[@]} -eq 0 ] || FAILURES+=("${S_FAILURES[@]}")
  [ ${#S_SECOND_RUNS[@]} -eq 0 ] || SECOND_RUNS+=("${S_SECOND_RUNS[@]}")
}

# The sound tests need a sound server: without it they fail (they are not skipped).
# shellcheck source=sound-env.sh
source scripts/sound-env.sh
if [ "$RUN_I686" = 1 ] && built i686 && built x86_64 && [ "${ZARN_WIN_SEQUENTIAL:-0}" != 1 ]; then
  # Both suites at once: most of their time is spent waiting for Wine processes and windows, not
  # computing, so side by side they take little longer than the longer one alone.
  step "Windows-side tests under Wine, both builds side by side"
  displays=()
  for arch in i686 x86_64; do
    if zarn_xvfb_start; then displays+=("$DISPLAY"); XVFB_PIDS+=("$ZARN_XVFB_PID"); ZARN_XVFB_PID=; fi
  done
  if [ ${#displays[@]} -lt 2 ]; then
    FAILED=$((FAILED + 1)); FAILURES+=("Xvfb does not start")
  else
    start_suite_beside i686 "${displays[0]}"
    start_suite_beside x86_64 "${displays[1]}"
    join_suite i686 "${SUITE_PIDS[0]}"
    join_suite x86_64 "${SUITE_PIDS[1]}"
    SUITE_PIDS=()
  fi
  for pid in "${XVFB_PIDS[@]}"; do kill "$pid" 2>/dev/null; done
  XVFB_PIDS=()
elif ! zarn_pulse_start; then
  FAILED=$((FAILED + 1)); FAILURES+=("PulseAudio does not start")
elif ! zarn_xvfb_start; then
  FAILED=$((FAILED + 1)); FAILURES+=("Xvfb does not start")
else
  if [ "$RUN_I686" = 1 ] && built i686; then run_win_suite i686; fi
  if built x86_64; then run_win_suite x86_64; fi
  if [ "$RUN_I686" = 0 ]; then
    # The i686 run is the same suite: every test of it counts as skipped, never as passed.
    SKIPPED=$((SKIPPED + WIN_RAN))
    echo
    echo "i686 Windows-side run skipped ($WIN_RAN tests): ${I686_ROUTE#none: }; the x86_64 build ran alone"
  fi
fi

echo
for f in "${FAILURES[@]}"; do echo "FAILED: $f"; done
if [ ${#SECOND_RUNS[@]} -gt 0 ]; then
  echo "passed only on a second run: ${#SECOND_RUNS[@]} (${SECOND_RUNS[*]})"
fi
echo "took $((SECONDS / 60))m$(printf %02d $((SECONDS % 60)))s"
echo "$PASSED passed, $FAILED failed, $SKIPPED skipped"
[ "$FAILED" -eq 0 ]

# Sourced by scripts/run.sh and scripts/tour.sh: sets up a run of the program under Wine against the
# local portal, and follows the program's whole session: its processes (every Wine process of the
# prefix whose command line names Zarn.exe), its windows (as tests/lookout sees them from inside Wine),
# screenshots, and at the end a contact sheet and a text of what it saw.
# Expects ROOT (the repository) and ZARN_BUILD (the build root).

# Installs what is missing, builds the programs, starts the display (own Xvfb when there is none, or
# when the caller asks with ZARN_SESSION_XVFB=1), the Wine prefix and the two portal sites. Sets ARCH,
# STATE, HEADLESS and an EXIT trap that ends the Wine session, the portal and the display.
zarn_session_setup() {
  bash "$ROOT/scripts/setup-deps.sh" || return 1
  source "$ROOT/scripts/common.sh"
  ARCH=$(zarn_runnable_arch)
  zarn_pick_ports "$ARCH"
  zarn_build_win "$ARCH" Zarn ZarnTestBuild zarn_lookout || { echo "build failed"; return 1; }
  source "$ROOT/scripts/wine-env.sh"
  zarn_wine_use "$ARCH" || return 1
  STATE=$(zarn_state_dir "$ARCH")
  HEADLESS=0
  if [ -z "${DISPLAY:-}" ] || [ "${ZARN_SESSION_XVFB:-0}" = 1 ]; then
    HEADLESS=1
    zarn_xvfb_start || return 1
  fi
  trap zarn_session_cleanup EXIT
  zarn_prefix_ready || return 1
  zarn_portal_start portal "$STATE" >/dev/null || return 1
  zarn_portal_start probe "$STATE" >/dev/null || return 1
  echo "local portal: http://127.0.0.1:$ZARN_PORT/ (requests logged to $STATE/portal-requests.jsonl)"
}

zarn_session_cleanup() {
  zarn_session_stop_watch
  zarn_wine_stop
  zarn_portal_stop portal
  zarn_portal_stop probe
  [ "${HEADLESS:-0}" = 1 ] && zarn_xvfb_stop
  return 0
}

# A Linux path as Wine sees it.
zarn_windows_path() {
  local p
  p=$(realpath -m "$1")
  echo "Z:${p//\//\\}"
}

# The lookout (tests/lookout) inside the prefix; its output is UTF-8 text.
zarn_lookout() {
  wine "$ZARN_BUILD/$ARCH/zarn_lookout.exe" "$@"
}

# Starts following: the folder for the pictures and texts, the start time, the lookout's window watch
# and the count of the portal's log lines before the session.
zarn_session_begin() { # <folder> <what runs, for the text>
  SESSION_DIR=$1
  SESSION_WHAT=$2
  mkdir -p "$SESSION_DIR/shots"
  : >"$SESSION_DIR/processes.tsv"
  : >"$SESSION_DIR/windows.log"
  : >"$SESSION_DIR/shots.tsv"
  SESSION_PORTAL_FROM=$(wc -l <"$STATE/portal-requests.jsonl" 2>/dev/null || echo 0)
  SESSION_LAST_SUM=
  SESSION_SHOTS=0
  rm -f "$SESSION_DIR/watch.stop" "$SESSION_DIR/poll.stop" "$SESSION_DIR/poll.ready"
  zarn_lookout watch "$(zarn_windows_path "$SESSION_DIR/windows.log")" \
    "$(zarn_windows_path "$SESSION_DIR/watch.stop")" >/dev/null 2>>"$SESSION_DIR/wine.log" &
  SESSION_WATCH=$!
  zarn_session_poll &
  SESSION_POLL=$!
  # The program starts only once the poller looks: an install process lives for half a second.
  local i
  for i in $(seq 100); do
    [ -e "$SESSION_DIR/poll.ready" ] && break
    sleep 0.05
  done
  SESSION_START=$(date +%s.%N)
}

zarn_session_stop_watch() {
  if [ -n "${SESSION_POLL:-}" ]; then
    touch "$SESSION_DIR/poll.stop"
    wait "$SESSION_POLL" 2>/dev/null
    SESSION_POLL=
  fi
  [ -n "${SESSION_WATCH:-}" ] || return 0
  touch "$SESSION_DIR/watch.stop"
  local i
  for i in $(seq 50); do
    kill -0 "$SESSION_WATCH" 2>/dev/null || break
    sleep 0.1
  done
  kill "$SESSION_WATCH" 2>/dev/null
  SESSION_WATCH=
}

# "<linux pid> <command line>" of every process of the prefix whose command line names Zarn.exe:
# the program as started, its installed copy, its launchers, logins, game windows and hall.
zarn_session_procs() {
  local file pid cmd
  # One grep over every environment (NUL-separated entries) finds the prefix's processes.
  for file in $(grep -lzxF "WINEPREFIX=$WINEPREFIX" /proc/[0-9]*/environ 2>/dev/null); do
    pid=${file#/proc/}
    pid=${pid%/environ}
    # It may be gone already. An emulated 32-bit process shows as the emulator running Wine's loader:
    # the program's own command line is what follows the loader.
    cmd=$({ tr '\0' ' ' <"/proc/$pid/cmdline"; } 2>/dev/null | sed -e 's/ *$//' -e 's|^.*/qemu-i386 .*/wine\.bin ||')
    [[ ${cmd,,} == *zarn.exe* ]] && echo "$pid $cmd"
  done
}

# Notes each process of the program when it is first seen and when it has gone, five times a second,
# in processes.tsv ("start <time> <pid> <command line>", "end <time> <pid>"), until the stop file
# exists. Runs in the background from zarn_session_begin on.
zarn_session_poll() {
  local now pid line
  declare -A seen=()
  while [ ! -e "$SESSION_DIR/poll.stop" ]; do
    now=$(date +%s.%N)
    declare -A alive=()
    while read -r pid line; do
      [ -n "$pid" ] || continue
      alive[$pid]=1
      if [ -z "${seen[$pid]:-}" ]; then
        seen[$pid]=1
        printf 'start\t%s\t%s\t%s\n' "$now" "$pid" "$line" >>"$SESSION_DIR/processes.tsv"
      fi
    done < <(zarn_session_procs)
    for pid in "${!seen[@]}"; do
      if [ "${seen[$pid]}" = 1 ] && [ -z "${alive[$pid]:-}" ]; then
        seen[$pid]=0
        printf 'end\t%s\t%s\n' "$now" "$pid" >>"$SESSION_DIR/processes.tsv"
      fi
    done
    unset alive
    touch "$SESSION_DIR/poll.ready"
    sleep 0.2
  done
}

# True once a process of the program was seen and every one seen has ended, or when the one started
# (SESSION_PROGRAM, its Linux pid) went before any was seen.
zarn_session_ended() {
  local started ended
  started=$(grep -c '^start' "$SESSION_DIR/processes.tsv")
  ended=$(grep -c '^end' "$SESSION_DIR/processes.tsv")
  if [ "$started" -gt 0 ]; then
    [ "$started" = "$ended" ]
  else
    ! kill -0 "${SESSION_PROGRAM:-0}" 2>/dev/null
  fi
}

# Takes a screenshot. Without a caption it is kept only when the screen changed since the last one
# kept; with one it is always kept, under that caption.
zarn_session_shot() { # [caption]
  local raw="$SESSION_DIR/shots/last.rgb" now sum name
  now=$(date +%s.%N)
  import -window root -depth 8 "rgb:$raw" 2>/dev/null || return 0
  sum=$(md5sum <"$raw")
  if [ $# -eq 0 ] && [ "$sum" = "$SESSION_LAST_SUM" ]; then return 0; fi
  SESSION_LAST_SUM=$sum
  SESSION_SHOTS=$((SESSION_SHOTS + 1))
  name=$(printf 'shot-%03d.png' "$SESSION_SHOTS")
  convert -size "$(zarn_session_screen_size)" -depth 8 "rgb:$raw" "$SESSION_DIR/shots/$name"
  printf '%s\t%s\t%s\n' "$now" "$name" "${1:-}" >>"$SESSION_DIR/shots.tsv"
}

zarn_session_screen_size() {
  [ -n "${SESSION_SCREEN:-}" ] || SESSION_SCREEN=$(xdpyinfo | sed -n 's/^ *dimensions: *\([0-9]*x[0-9]*\) .*/\1/p')
  echo "$SESSION_SCREEN"
}

# Follows the session until every process of the program has ended or `seconds` have passed (0: no
# limit); headless and unless told "noshots", it keeps a screenshot whenever the screen changed, at
# most one a second. 0 when everything ended, 1 when the time was up.
zarn_session_follow() { # <seconds> [noshots]
  local limit=$1 shots=${2:-shots} start now
  start=$(date +%s)
  while :; do
    if [ "$HEADLESS" = 1 ] && [ "$shots" = shots ]; then zarn_session_shot; fi
    # Asked twice, a second apart: a process that a leaving one started shows in the poller's next
    # rounds.
    zarn_session_ended && sleep 1 && zarn_session_ended && return 0
    now=$(date +%s)
    if [ "$limit" != 0 ] && [ $((now - start)) -ge "$limit" ]; then return 1; fi
    sleep 1
  done
}

# Ends following: stops the window watch, reads the shortcuts, writes the contact sheet and the text
# and prints their paths. The Wine session is ended after this, by the caller's trap.
zarn_session_end() { # [columns]
  zarn_session_stop_watch
  zarn_lookout links >"$SESSION_DIR/links.txt" 2>>"$SESSION_DIR/wine.log"
  tail -n +"$((SESSION_PORTAL_FROM + 1))" "$STATE/portal-requests.jsonl" >"$SESSION_DIR/portal.jsonl" 2>/dev/null
  python3 "$ROOT/scripts/session-report.py" --dir "$SESSION_DIR" --start "$SESSION_START" \
    --what "$SESSION_WHAT" --columns "${1:-4}" --build "$ARCH"
}

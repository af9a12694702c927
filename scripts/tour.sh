#!/usr/bin/env bash
# A tour of the whole road of the program under Wine on a private Xvfb display, with one captioned
# screenshot per step and one contact sheet of them: the install, a login accepted, the game tab, a
# second account, the hall, the tab strip's hover and close button, the settings dialog, the
# favourites dialog, muting with the sound button, the tray menu, the exit question and the end of
# every process. Everything is the program's own processes and real mouse and keyboard input
# (xdotool); the test build (testbuild/Zarn.exe) stands in only for what Wine's missing HTML engine
# cannot do: a page completing, the login page's script navigating to its app: command.
#
#   scripts/tour.sh      (also scripts/run.sh --tour)
set -uo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
export ZARN_BUILD=${ZARN_BUILD:-$ROOT/build}
cd "$ROOT"
mkdir -p "$ZARN_BUILD"

source scripts/session.sh
# The mouse and keyboard of the tour must not be the user's: always a display of its own.
ZARN_SESSION_XVFB=1 zarn_session_setup || exit 1

OUT="$ZARN_BUILD/sessions/tour-$(date +%Y%m%d-%H%M%S)"
mkdir -p "$OUT"
# What the program's processes do where no window shows it (a sound state applied) goes here.
NOTES="$OUT/notes.txt"
: >"$NOTES"
ZARN_TEST_NOTES=$(zarn_windows_path "$NOTES")
export ZARN_TEST_NOTES
HOST="127.0.0.1:$ZARN_PORT"
LOGIN_URL="http://$HOST/zarn/client/index.html?cid=4224"
GAME_URL="http://$HOST/zarn/game.html?server=5"
HALL_URL="http://$HOST/webgame.htm"

STEP=0
shot() { # <caption>
  STEP=$((STEP + 1))
  zarn_session_shot "$STEP. $1"
  echo "  $STEP. $1"
}
finish() {
  zarn_session_end 4
}
fail() {
  echo "tour: $*" >&2
  zarn_session_shot "stopped: $*"
  finish
  exit 1
}
lookout() { zarn_lookout "$@" 2>>"$OUT/wine.log"; }
# Moves the real mouse there and clicks (button 1 unless given).
click_at() { # <x> <y> [button]
  xdotool mousemove "$1" "$2" sleep 0.2 click "${3:-1}"
}
# Clicks control <id> of the program's window that has control <marker>.
click_control() { # <marker id> <id>
  local xy
  xy=$(lookout where "$1" "$2") || fail "no control $2 in the window with control $1"
  click_at $xy
}
# Waits (up to 30 s) until the command succeeds.
wait_until() {
  local i
  for i in $(seq 150); do
    "$@" && return 0
    sleep 0.2
  done
  return 1
}
launcher_maximised() {
  local x y w h
  read -r x y w h < <(lookout where 1002 0) && [ "${w:-0}" -gt 600 ]
}
frame_count_is() { [ "$(lookout frames | wc -l)" = "$1" ]; }
noted() { grep -q "^$1 $2" "$NOTES" 2>/dev/null; } # <windows pid> <note>
# Logs the waiting login in as <account> on server 5: what the page's 登录 would do, through the test
# build; then the game page completes. Sets LOGIN_PID to the login's (Windows) process id.
log_in() { # <account>
  local pid
  pid=$(lookout page complete "$LOGIN_URL") || fail "no login page"
  LOGIN_PID=$pid
  sleep 1
  lookout page navigate "app://loadgame/S5服-《雷霆》双线-$1|$GAME_URL" >/dev/null || fail "the login page went"
  lookout frame "$pid" title "Zarn - 5服" || fail "no game frame for $1"
  lookout frame "$pid" complete "$GAME_URL" || fail "no game frame for $1"
}

lookout reset
zarn_session_begin "$OUT" "the tour: the test build's whole road (scripts/tour.sh)"
echo "tour: steps"

# 1. The install, and the installed copy's launcher with its first login in front.
wine "$ZARN_BUILD/$ARCH/testbuild/Zarn.exe" 2>>"$OUT/wine.log" &
SESSION_PROGRAM=$!
lookout page wait - >/dev/null || fail "no login appeared"
sleep 1.5
shot "Installed, the installed copy starts: the launcher (1x1, top left) and its login's backdrop"

# 2-3. The login accepted: the launcher takes the screen with the game's tab.
log_in abc
FIRST=$LOGIN_PID
wait_until launcher_maximised || fail "the launcher did not take the screen"
sleep 1.5
shot "Login accepted (loadgame sent by the test build): the launcher maximised, tab 5服-双线-abc; game pages are not drawn here"

# 4-6. A second account as a second tab, through the drop-down of 登录其他账号.
click_control 1002 1005
lookout where 1023 1 >/dev/null || fail "no drop-down"
sleep 1
shot "登录其他账号: the drop-down asks where the new account plays"
click_control 1023 1
lookout page wait - >/dev/null || fail "no second login"
sleep 1.5
shot "是: the second account's login in front of the launcher"
log_in bob
SECOND=$LOGIN_PID
wait_until frame_count_is 2 || fail "no second tab"
sleep 1.5
shot "Two tabs, the new one selected"

# 7. The game hall: its own process registers as the hall.
click_control 1002 1004
wait_until frame_count_is 3 || fail "no hall"
HALL=$(lookout frames | awk -v a="$FIRST" -v b="$SECOND" '$1 != a && $1 != b { print $1 }')
lookout frame "$HALL" complete "$HALL_URL" || fail "no hall frame"
sleep 1.5
shot "游戏大厅: the hall's process (/gmhall) registered, its button lit (the hall page is not drawn)"
click_control 1002 1004

# 8-9. The tab strip: hovering the second tab shows its close button and tooltip; the button asks.
read -r LX LY LW LH < <(lookout where 1002 0)
xdotool mousemove $((LX + 120 + 189 + 60)) $((LY + 14)) sleep 0.3 mousemove $((LX + 120 + 189 + 70)) $((LY + 14))
sleep 1.5
shot "Hover on the second tab: its close button and the tooltip with the whole title"
click_at $((LX + 296 + 189 + 6)) $((LY + 9))
QUESTION=$(lookout text 5000) || fail "the close button asked nothing"
sleep 1
shot "Its close button asks: $QUESTION"
click_control 5000 5000
wait_until frame_count_is 2 || fail "the second tab stayed"
sleep 1

# 10-11. The launcher menu and its settings dialog.
click_control 1002 1003
sleep 1.5
shot "系统: the launcher menu"
xdotool key Down Down Down Down Down Return
lookout where 1007 0 >/dev/null || fail "no settings dialog"
sleep 1
shot "设置...: the hot-key settings dialog"
click_control 1007 2

# 12. Ctrl+D in the game: the favourites dialog of the game's process.
click_at $((LX + 800)) $((LY + 12))
xdotool key ctrl+d
lookout where 1018 0 >/dev/null || fail "no favourites dialog"
sleep 1
shot "Ctrl+D: the game process's favourites dialog, named after the page's title"
click_control 1018 2

# 13. The sound button mutes the game: the launcher tells the game process, which notes it.
click_control 1002 1002
wait_until noted "$FIRST" "muted 1" || fail "the game process was not muted"
sleep 1
shot "The sound button: muted (crossed out); the game process applied it (noted: muted 1)"

# 14. The tray icon's menu (without a system tray Wine shows the icon in a small window of its own).
TRAY=$(xdotool search --name "^Wine System Tray$" | head -1)
[ -n "$TRAY" ] || fail "no tray window"
eval "$(xdotool getwindowgeometry --shell "$TRAY")"
click_at $((X + 10)) $((Y + 10)) 3
sleep 1.5
shot "The tray icon's menu (Wine's stand-in tray window, top left)"
xdotool key Escape
sleep 0.5

# 15-16. The exit question, and the end of every process of the program.
click_control 1002 50000
QUESTION=$(lookout text 5000) || fail "the close button asked nothing"
sleep 1
shot "The launcher's close button asks: $QUESTION"
click_control 5000 5000
ASKED=$(date +%s.%N)
zarn_session_follow 30 noshots || fail "processes of the program still run 30 s after 是"
ENDED=$(awk -F'\t' '$1 == "end" { t = $2 } END { print t }' "$OUT/processes.tsv")
shot "是: every process of the program has ended, $(awk -v a="$ASKED" -v b="$ENDED" 'BEGIN { printf "%.1f", b - a }') s later"
finish

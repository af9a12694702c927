# Sourced by the scripts: a private 32-bit Wine prefix inside the build folder, Chinese locale, and
# helpers to start and stop Xvfb. Expects ZARN_BUILD (the build root, e.g. <repo>/build).
export WINEPREFIX="$ZARN_BUILD/wineprefix"
export WINEARCH=win32
export WINEDEBUG=-all
# winemenubuilder would mirror the shortcuts the tests make into the Unix desktop and menus.
export WINEDLLOVERRIDES="mscoree=;winemenubuilder.exe=d"
# Without a Chinese locale Wine draws Chinese as boxes and INI files lose it.
export LC_ALL=zh_CN.UTF-8

zarn_prefix_ready() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "wine: creating prefix $WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w
    local fonts="$WINEPREFIX/drive_c/windows/Fonts"
    mkdir -p "$fonts"
    cp -f /usr/share/wine/fonts/marlett.ttf /usr/share/wine/fonts/tahoma*.ttf "$fonts/" 2>/dev/null || true
  fi
  # Keep one wineserver alive for the whole run so that every start is quick.
  wineserver -p >/dev/null 2>&1 || true
  wine cmd /c exit >/dev/null 2>&1 || true
  # A current Flash Player, as on the machines the launcher runs on; tests of the old-player question
  # set their own value and put this one back.
  wine reg add 'HKLM\SOFTWARE\Macromedia\FlashPlayer' /v CurrentVersion /t REG_SZ /d 32,0,0,465 /f \
    >/dev/null 2>&1 || true
}

zarn_xvfb_start() {
  local n
  for n in $(seq 91 140); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
    ZARN_XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do
      [ -e "/tmp/.X11-unix/X$n" ] && return 0
      sleep 0.1
    done
    kill "$ZARN_XVFB_PID" 2>/dev/null || true
  done
  echo "xvfb: no display could be started" >&2
  return 1
}

zarn_xvfb_stop() {
  [ -n "${ZARN_XVFB_PID:-}" ] && kill "$ZARN_XVFB_PID" 2>/dev/null || true
  ZARN_XVFB_PID=
}

zarn_wine_stop() {
  wineserver -k >/dev/null 2>&1 || true
}

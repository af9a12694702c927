# Sourced by the scripts: a private Wine prefix per architecture inside the build folder, the Chinese
# locale, and helpers to start and stop Xvfb. Expects ZARN_BUILD (the build root, e.g. <repo>/build)
# and scripts/common.sh sourced first.
#
#   zarn_wine_use i686|x86_64   selects the loader and the prefix for that build (win32 for the i686
#                               build where 32-bit code runs natively, emu32 where its 32-bit
#                               processes run emulated, win64 for x86_64); after it, `wine` and
#                               `wineserver` run that loader and server.
export WINEDEBUG=-all
# winemenubuilder would mirror the shortcuts the tests make into the Unix desktop and menus.
ZARN_WINEDLLOVERRIDES="mscoree=;winemenubuilder.exe=d"
export WINEDLLOVERRIDES=$ZARN_WINEDLLOVERRIDES
# Without a Chinese locale Wine draws Chinese as boxes and INI files lose it.
export LC_ALL=zh_CN.UTF-8

zarn_wine_use() { # i686|x86_64
  ZARN_WINE_ARCH=$1
  ZARN_WINE=$(zarn_wine_loader "$1") || { echo "wine: unknown architecture $1" >&2; return 1; }
  local overrides=$ZARN_WINEDLLOVERRIDES
  ZARN_WINE_ROUTE=native
  if [ "$1" = i686 ]; then
    ZARN_WINE_ROUTE=$(zarn_i686_route)
    [ "$ZARN_WINE_ROUTE" = emulated ] || ZARN_WINE_ROUTE=native
  fi
  case "$1/$ZARN_WINE_ROUTE" in
    i686/native)
      export WINEARCH=win32
      export WINEPREFIX="$ZARN_BUILD/wine/win32"
      ;;
    i686/emulated)
      # A win64 prefix of its own whose 32-bit processes run emulated. Wine's crash debugger hangs
      # here, so a crashing process ends at once instead.
      export WINEARCH=win64
      export WINEPREFIX="$ZARN_BUILD/wine/emu32"
      overrides+=";winedbg.exe=d"
      ;;
    *)
      export WINEARCH=win64
      export WINEPREFIX="$ZARN_BUILD/wine/win64"
      ;;
  esac
  export WINEDLLOVERRIDES=$overrides
  ZARN_WINESERVER=/usr/lib/wine/wineserver64
  [ -x "$ZARN_WINESERVER" ] || ZARN_WINESERVER=/usr/lib/wine/wineserver32
  # The loader starts this same server when none runs for the prefix.
  export WINESERVER=$ZARN_WINESERVER
  export ZARN_WINE ZARN_WINESERVER ZARN_WINE_ARCH ZARN_WINE_ROUTE
}

wine() { "$ZARN_WINE" "$@"; }
wineserver() { "$ZARN_WINESERVER" "$@"; }

# Makes the selected prefix if it is missing, was left half-made by an interrupted run (the marker is
# written last) or was made for another emulated route, and keeps its server running. Fails with a
# message when the loader cannot start a program of the selected build.
zarn_prefix_ready() {
  local marker="$WINEPREFIX/.zarn-prefix-ready" made_for=""
  if [ ! -x "$ZARN_WINE" ]; then
    echo "wine: no $WINEARCH loader ($ZARN_WINE is missing)" >&2
    return 1
  fi
  [ "$ZARN_WINE_ROUTE" = emulated ] && made_for=$(cat "$(zarn_emu32_dir)/.ready")
  if [ ! -f "$marker" ] || [ "$(cat "$marker")" != "$made_for" ]; then
    echo "wine: creating prefix $WINEPREFIX"
    wineserver -k >/dev/null 2>&1 || true
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    wine wineboot -i >/dev/null 2>&1 || true
    wineserver -w
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      echo "wine: the $WINEARCH prefix could not be created: $("$ZARN_WINE" wineboot -i 2>&1 | head -1)" >&2
      return 1
    fi
    [ "$ZARN_WINE_ROUTE" = emulated ] && zarn_prefix_fill_syswow64
    local fonts="$WINEPREFIX/drive_c/windows/Fonts"
    mkdir -p "$fonts"
    cp -f /usr/share/wine/fonts/marlett.ttf /usr/share/wine/fonts/tahoma*.ttf "$fonts/" 2>/dev/null || true
    printf '%s' "$made_for" >"$marker"
  fi
  # Keep one wineserver alive for the whole run so that every start is quick.
  wineserver -p >/dev/null 2>&1 || true
  local probe=cmd
  [ "$ZARN_WINE_ROUTE" = emulated ] && probe='C:\windows\syswow64\cmd.exe'
  if ! wine "$probe" /c exit >/dev/null 2>&1; then
    echo "wine: the $ZARN_WINE_ARCH loader does not start a program: $(wine "$probe" /c exit 2>&1 | head -1)" >&2
    return 1
  fi
  # A current Flash Player, as on the machines the launcher runs on; tests of the old-player question
  # set their own value and put this one back. A 32-bit program on 64-bit Windows reads the 32-bit view
  # of the machine's software key, so the emulated route's prefix has it there.
  local views=("")
  [ "$ZARN_WINE_ROUTE" = emulated ] && views+=(/reg:32)
  for view in "${views[@]}"; do
    # shellcheck disable=SC2086
    wine reg add 'HKLM\SOFTWARE\Macromedia\FlashPlayer' /v CurrentVersion /t REG_SZ /d 32,0,0,465 /f $view \
      >/dev/null 2>&1 || true
  done
  # On our Xvfb there is no window manager, and Wine waits 2 s for one to withdraw every managed
  # window that is hidden. The test program's own windows are left unmanaged, which saves that wait;
  # the program's windows stay managed as on a desktop, so what the tests see of them is unchanged.
  wine reg delete 'HKCU\Software\Wine\X11 Driver' /v Managed /f >/dev/null 2>&1 || true
  wine reg add 'HKCU\Software\Wine\AppDefaults\zarn_wintests.exe\X11 Driver' /v Managed /t REG_SZ /d N /f \
    >/dev/null 2>&1 || true
}

# A win64 prefix made by the 64-bit loader has its 32-bit system folder empty; the bootstrap update
# fills it with the i386 DLLs. zlib1.dll, which user32 needs, is not among what it copies.
zarn_prefix_fill_syswow64() {
  WINEBOOTSTRAPMODE=1 wine wineboot -u >/dev/null 2>&1 || true
  wineserver -w
  cp -f "$(zarn_emu32_dir)/root/usr/lib/i386-linux-gnu/wine/i386-windows/zlib1.dll" \
    "$WINEPREFIX/drive_c/windows/syswow64/"
}

zarn_xvfb_start() {
  local n
  for n in $(seq 91 140); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
    ZARN_XVFB_PID=$!
    export DISPLAY=":$n"
    # Another run may have taken the same number at the same moment: the display is ours only while
    # our server still runs once its socket is there.
    for _ in $(seq 50); do
      kill -0 "$ZARN_XVFB_PID" 2>/dev/null || break
      if [ -e "/tmp/.X11-unix/X$n" ]; then
        sleep 0.2
        kill -0 "$ZARN_XVFB_PID" 2>/dev/null && return 0
        break
      fi
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
  [ -n "${ZARN_WINESERVER:-}" ] && wineserver -k >/dev/null 2>&1 || true
}

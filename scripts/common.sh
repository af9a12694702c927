# Sourced by the scripts: the Windows build against the local portal, and starting/stopping the two
# portal instances (the portal itself, and the connectivity-probe site on a port of its own).
# Expects ROOT (the repository) and ZARN_BUILD (the build root).

# Picks the two ports of a build; keeps the previous ones when they are free, so rebuilds stay small.
# ZARN_PORT_BASE moves them, so that two checkouts can run their tests side by side; the x86_64 build
# has ports of its own, so that the two builds' suites can run at the same time.
zarn_pick_ports() { # i686|x86_64
  local base=${ZARN_PORT_BASE:-28080}
  [ "$1" = x86_64 ] && base=$((base + 10))
  ZARN_PORT=$("$ROOT/tools/portal/portalctl" freeport "$base")
  ZARN_PROBE_PORT=$("$ROOT/tools/portal/portalctl" freeport $((base + 1)))
  [ "$ZARN_PROBE_PORT" = "$ZARN_PORT" ] && ZARN_PROBE_PORT=$("$ROOT/tools/portal/portalctl" freeport $((base + 2)))
  export ZARN_PORT ZARN_PROBE_PORT
}

# The two ports a build was configured with (the portal and the probe site are compiled in).
zarn_build_ports() { # i686|x86_64
  local cache="$ZARN_BUILD/$1/CMakeCache.txt"
  ZARN_PORT=$(sed -n 's/^ZARN_PORTAL_HOST:STRING=.*:\([0-9]*\)$/\1/p' "$cache")
  ZARN_PROBE_PORT=$(sed -n 's/^ZARN_PROBE_HOST:STRING=.*:\([0-9]*\)$/\1/p' "$cache")
  export ZARN_PORT ZARN_PROBE_PORT
}

# The two Windows builds: i686 is the release build, x86_64 the 64-bit one. Each lives in
# $ZARN_BUILD/<arch> and keeps its tests' scratch files in <build>/test-state.
ZARN_WIN_ARCHES=(i686 x86_64)

# The emulated 32-bit route (scripts/emu32/setup.sh makes it; setup-deps.sh calls that where needed).
zarn_emu32_dir() { echo "$ZARN_BUILD/emu32"; }

# How this machine runs the i686 build's programs: "native" (32-bit code runs and 32-bit Wine is
# installed), "emulated" (Wine's 32-bit processes under qemu-i386, from the route's own loader), or
# "none: <why>". ZARN_I686_ROUTE=emulated takes the emulated route even where 32-bit code runs.
zarn_i686_route() {
  local why
  if [ "${ZARN_I686_ROUTE:-auto}" != emulated ] && [ -x /usr/lib/wine/wine ] &&
    bash "$ROOT/scripts/probe-32bit.sh" >/dev/null; then
    echo native
  elif [ -f "$(zarn_emu32_dir)/.ready" ]; then
    echo emulated
  else
    why=$(cat "$ZARN_BUILD/emu32.failed" 2>/dev/null)
    echo "none: ${why:-the emulated 32-bit route is not set up (scripts/setup-deps.sh)}"
  fi
}

# Configures and builds Zarn.exe and the Windows tests for one architecture, with every host on the
# local portal. The tests run under the loader the scripts name, not one found at configure time.
# The Wine loaders are called directly: /usr/bin/wine picks the 32-bit one whenever wine32 is installed,
# and on the emulated route only the route's own 64-bit loader can start 32-bit programs.
zarn_wine_loader() { # i686|x86_64
  case "$1" in
    i686)
      if [ "$(zarn_i686_route)" = emulated ]; then
        echo "$(zarn_emu32_dir)/root/usr/lib/wine/wine64"
      else
        echo /usr/lib/wine/wine
      fi
      ;;
    x86_64) echo /usr/lib/wine/wine64 ;;
    *) return 1 ;;
  esac
}

zarn_build_win() { # i686|x86_64 [targets...]   (no targets: everything)
  local arch=$1 host="127.0.0.1:$ZARN_PORT" loader
  shift
  local targets=()
  [ $# -gt 0 ] && targets=(--target "$@")
  loader=$(zarn_wine_loader "$arch") || { echo "build: unknown architecture $arch" >&2; return 1; }
  cmake -S "$ROOT" -B "$ZARN_BUILD/$arch" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-mingw-$arch.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_CROSSCOMPILING_EMULATOR="$loader" \
    -DZARN_PORTAL_HOST="$host" -DZARN_STATS_HOST="$host" -DZARN_SIGNIN_HOST="$host" \
    -DZARN_QQ_OPEN_HOST="$host" -DZARN_FLASH_HOST="$host" -DZARN_PROBE_HOST="127.0.0.1:$ZARN_PROBE_PORT" \
    "-DZARN_ALLOWED_DOMAINS=localhost;zarn-dl.test;zarn-cdn.test" >"$ZARN_BUILD/$arch-configure.log" 2>&1 &&
    cmake --build "$ZARN_BUILD/$arch" "${targets[@]}"
}

# The build this machine can run: the i686 release build wherever it runs (natively or on the emulated
# route), x86_64 elsewhere. Says which on stderr.
zarn_runnable_arch() {
  local route
  route=$(zarn_i686_route)
  case "$route" in
    native) echo "using the i686 build (this machine runs 32-bit code)" >&2 ;;
    emulated) echo "using the i686 build, its 32-bit processes emulated (qemu-i386)" >&2 ;;
    *)
      echo "using the x86_64 build: the i686 build cannot run here (${route#none: })" >&2
      echo x86_64
      return
      ;;
  esac
  echo i686
}

# The build the benchmarks measure: the i686 build only where it runs natively, since emulated times
# are not the program's. Says which on stderr.
zarn_bench_arch() {
  local route
  route=$(zarn_i686_route)
  case "$route" in
    native)
      echo "measuring the i686 build" >&2
      echo i686
      ;;
    emulated)
      echo "measuring the x86_64 build: the i686 build would run emulated here, and emulated times are not the program's" >&2
      echo x86_64
      ;;
    *)
      echo "measuring the x86_64 build: the i686 build cannot run here (${route#none: })" >&2
      echo x86_64
      ;;
  esac
}

zarn_state_dir() { # i686|x86_64
  echo "$ZARN_BUILD/$1/test-state"
}

# A portal instance's PID file names its port: the two builds' suites each run their own pair.
zarn_portal_pidfile() { # portal|probe
  if [ "$1" = probe ]; then echo "$ZARN_BUILD/probe-$ZARN_PROBE_PORT.pid"; else echo "$ZARN_BUILD/portal-$ZARN_PORT.pid"; fi
}

zarn_portal_start() { # portal|probe <state folder>
  mkdir -p "$2"
  local port=$ZARN_PORT log="$2/portal-requests.jsonl" pidfile
  [ "$1" = probe ] && port=$ZARN_PROBE_PORT && log="$2/probe-requests.jsonl"
  pidfile=$(zarn_portal_pidfile "$1")
  "$ROOT/tools/portal/portalctl" stop --pidfile "$pidfile" >/dev/null 2>&1
  "$ROOT/tools/portal/portalctl" start --port "$port" --log "$log" --pidfile "$pidfile"
}

zarn_portal_stop() { # portal | probe
  "$ROOT/tools/portal/portalctl" stop --pidfile "$(zarn_portal_pidfile "$1")" >/dev/null 2>&1 || true
}

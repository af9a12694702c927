# Sourced by the scripts: the Windows build against the local portal, and starting/stopping the two
# portal instances (the portal itself, and the connectivity-probe site on a port of its own).
# Expects ROOT (the repository) and ZARN_BUILD (the build root).

# Picks the two ports; keeps the previous ones when they are free, so rebuilds stay small.
zarn_pick_ports() {
  ZARN_PORT=$("$ROOT/tools/portal/portalctl" freeport 28080)
  ZARN_PROBE_PORT=$("$ROOT/tools/portal/portalctl" freeport 28081)
  [ "$ZARN_PROBE_PORT" = "$ZARN_PORT" ] && ZARN_PROBE_PORT=$("$ROOT/tools/portal/portalctl" freeport 28082)
  export ZARN_PORT ZARN_PROBE_PORT
}

# Configures and builds Zarn.exe and the Windows tests with every host on the local portal.
zarn_build_win() {
  local host="127.0.0.1:$ZARN_PORT"
  cmake -S "$ROOT" -B "$ZARN_BUILD/win" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-mingw-i686.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DZARN_PORTAL_HOST="$host" -DZARN_STATS_HOST="$host" -DZARN_SIGNIN_HOST="$host" \
    -DZARN_QQ_OPEN_HOST="$host" -DZARN_FLASH_HOST="$host" -DZARN_PROBE_HOST="127.0.0.1:$ZARN_PROBE_PORT" \
    "-DZARN_ALLOWED_DOMAINS=localhost;zarn-dl.test;zarn-cdn.test" >"$ZARN_BUILD/win-configure.log" 2>&1 &&
    cmake --build "$ZARN_BUILD/win"
}

ZARN_STATE_DIR="$ZARN_BUILD/win/test-state"

zarn_portal_start() { # portal | probe
  mkdir -p "$ZARN_STATE_DIR"
  local port=$ZARN_PORT log="$ZARN_STATE_DIR/portal-requests.jsonl"
  [ "$1" = probe ] && port=$ZARN_PROBE_PORT && log="$ZARN_STATE_DIR/probe-requests.jsonl"
  "$ROOT/tools/portal/portalctl" stop --pidfile "$ZARN_BUILD/$1.pid" >/dev/null 2>&1
  "$ROOT/tools/portal/portalctl" start --port "$port" --log "$log" --pidfile "$ZARN_BUILD/$1.pid"
}

zarn_portal_stop() { # portal | probe
  "$ROOT/tools/portal/portalctl" stop --pidfile "$ZARN_BUILD/$1.pid" >/dev/null 2>&1 || true
}

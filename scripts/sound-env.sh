# Sourced by the scripts: a private PulseAudio server with a null sink, so that Wine's winmm has mixer 0
# and waveOut and DirectSound have a device. Started and stopped by its PID; PULSE_SERVER (exported)
# tells the Wine processes started afterwards where it listens. Expects ZARN_BUILD; ZARN_PULSE_DIR names
# the server's folder (default $ZARN_BUILD/pulse), so that two suites can each have their own.

zarn_pulse_start() {
  local dir=${ZARN_PULSE_DIR:-$ZARN_BUILD/pulse}
  if ! command -v pulseaudio >/dev/null; then
    echo "pulse: pulseaudio is not installed" >&2
    return 1
  fi
  zarn_pulse_stop
  rm -rf "$dir"
  mkdir -p "$dir/home" "$dir/run"
  chmod 700 "$dir/run"
  # The sink is loaded before the socket, so that the socket's existence means both are there.
  HOME="$dir/home" XDG_RUNTIME_DIR="$dir/run" pulseaudio --daemonize=no --exit-idle-time=-1 --system=false -n \
    --load="module-null-sink sink_name=nullsink" \
    --load="module-native-protocol-unix auth-anonymous=1 socket=$dir/run/native" >"$dir/log" 2>&1 &
  ZARN_PULSE_PID=$!
  for _ in $(seq 100); do
    if [ -S "$dir/run/native" ]; then
      export PULSE_SERVER="unix:$dir/run/native"
      return 0
    fi
    kill -0 "$ZARN_PULSE_PID" 2>/dev/null || break
    sleep 0.1
  done
  echo "pulse: the server did not start: $(grep -v '^W:' "$dir/log" | tail -1)" >&2
  zarn_pulse_stop
  return 1
}

zarn_pulse_stop() {
  if [ -n "${ZARN_PULSE_PID:-}" ]; then
    kill "$ZARN_PULSE_PID" 2>/dev/null || true
    wait "$ZARN_PULSE_PID" 2>/dev/null || true
  fi
  ZARN_PULSE_PID=
  unset PULSE_SERVER
}

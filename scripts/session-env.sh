# Sourced by the scripts: starts a private X server (Xvfb) and a PulseAudio server with a
# null sink for this shell, and stops both when the shell exits.
ov_session_dir=$(mktemp -d /tmp/ov-session.XXXXXX)

ov_stop_session() {
  [ -n "${ov_pulse_pid:-}" ] && kill "$ov_pulse_pid" 2>/dev/null || true
  [ -n "${ov_xvfb_pid:-}" ] && kill "$ov_xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$ov_session_dir"
}
trap ov_stop_session EXIT

ov_start_xvfb() {
  local size="${1:-1920x1080x24}"
  Xvfb -displayfd 3 -screen 0 "$size" -nolisten tcp +extension GLX 3>"$ov_session_dir/display" \
    >"$ov_session_dir/xvfb.log" 2>&1 &
  ov_xvfb_pid=$!
  for _ in $(seq 100); do
    [ -s "$ov_session_dir/display" ] && break
    sleep 0.1
  done
  export DISPLAY=":$(cat "$ov_session_dir/display")"
}

ov_start_pulse() {
  export PULSE_RUNTIME_PATH="$ov_session_dir/pulse"
  export PULSE_SERVER="unix:$ov_session_dir/pulse/native"
  mkdir -p "$PULSE_RUNTIME_PATH"
  pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit --use-pid-file=no \
    --load="module-native-protocol-unix auth-anonymous=1 socket=$ov_session_dir/pulse/native" \
    --load="module-null-sink sink_name=ov_null" --load="module-always-sink" \
    >"$ov_session_dir/pulse.log" 2>&1 &
  ov_pulse_pid=$!
  for _ in $(seq 50); do
    pactl info >/dev/null 2>&1 && break
    sleep 0.1
  done
  pactl set-default-sink ov_null >/dev/null 2>&1 || true
}

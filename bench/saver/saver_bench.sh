#!/usr/bin/env bash
# The saver against mpv on the same 1920 x 1080 H.264 clip and the same private Xvfb:
#   saver_cpu_vs_mpv    CPU seconds per second of playback (process + X server), saver / mpv
#   first_frame_vs_mpv  launch to the first frame on the screen, saver / mpv (--frames=1 --vo=gpu)
#   saver_bench.sh <build dir>
set -euo pipefail
build=$(cd "${1:?build dir}" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/scripts/session-env.sh"
ov_start_xvfb
ov_start_pulse
seconds=${OV_BENCH_SECONDS:-8}
# mpv's GPU output wants a runtime folder; software GL is allowed explicitly under Xvfb.
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$ov_session_dir/xdg}"
mkdir -p -m 700 "$XDG_RUNTIME_DIR"

work=$(mktemp -d /tmp/ov-bench.XXXXXX)
trap 'rm -rf "$work"; ov_stop_session' EXIT
clip="$build/bench-clips/h264_1080p.mp4"
if [ ! -s "$clip" ]; then
  mkdir -p "$(dirname "$clip")"
  ffmpeg -loglevel error -y -f lavfi -i "testsrc2=size=1920x1080:rate=30:duration=30" \
    -c:v libx264 -preset veryfast -pix_fmt yuv420p "$clip.tmp.mp4"
  mv "$clip.tmp.mp4" "$clip"
fi

mkdir -p "$work/ovfx"
cp "$build/OrvaneMovieScreenSaver" "$work/"
cp "$build/ovfx/Split8x8.so" "$work/ovfx/"
printf '#Movie File List\n%s\n' "$clip" >"$work/OrvaneMovieScreenSaver.mflst"
printf '[Ver1]\nContinue=0\nShuffle=0\nMute=1\nPixelPerSec=0\n' >"$work/OrvaneMovieScreenSaver.ini"

ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
hz=$(getconf CLK_TCK)

# CPU seconds per wall second of process + X server over the middle of a run.
cpu_rate() {
  "$@" >/dev/null 2>&1 &
  local pid=$!
  sleep 2
  local p0 x0 t0 p1 x1 t1
  p0=$(ticks "$pid"); x0=$(ticks "$ov_xvfb_pid"); t0=$(date +%s.%N)
  sleep "$seconds"
  p1=$(ticks "$pid"); x1=$(ticks "$ov_xvfb_pid"); t1=$(date +%s.%N)
  kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null || true
  awk -v a="$p0" -v b="$p1" -v c="$x0" -v d="$x1" -v hz="$hz" -v s="$t0" -v e="$t1" 'BEGIN { print (b - a + d - c) / hz / (e - s) }'
}

saver_cpu=$(cpu_rate "$work/OrvaneMovieScreenSaver" /s)
mpv_cpu=$(cpu_rate mpv --no-config --really-quiet --vo=x11 --hwdec=no --fs --ao=null "$clip")
printf 'saver_cpu_seconds_per_second: %.3f\n' "$saver_cpu"
printf 'mpv_cpu_seconds_per_second: %.3f\n' "$mpv_cpu"
printf 'saver_cpu_vs_mpv: %.2f\n' "$(awk -v a="$saver_cpu" -v b="$mpv_cpu" 'BEGIN { print a / b }')"

best() { sort -n | head -1; }
saver_first=$(for _ in 1 2 3; do "$build/first_change" 20 "$work/OrvaneMovieScreenSaver" /s; sleep 0.5; done | best)
mpv_first=$(for _ in 1 2 3; do "$build/first_change" 20 mpv --no-config --really-quiet --frames=1 --vo=gpu --gpu-context=x11egl --gpu-sw --ao=null "$clip"; sleep 0.5; done | best)
printf 'saver_first_frame_ms: %.0f\n' "$saver_first"
printf 'mpv_first_frame_ms: %.0f\n' "$mpv_first"
printf 'first_frame_vs_mpv: %.2f\n' "$(awk -v a="$saver_first" -v b="$mpv_first" 'BEGIN { print a / b }')"

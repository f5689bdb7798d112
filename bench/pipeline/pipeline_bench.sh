#!/usr/bin/env bash
# The movie pipeline against its peers on the same private Xvfb, in the same run:
#   pipeline_vs_decode   frames per second through the whole chain with the clock released,
#                        divided by `ffmpeg -i clip -f null -` decoding the same clip
#   frames_shown         frames presented in real-time playback / frames in the clip
#   playback_cpu_vs_mpv  CPU seconds per second of real-time playback (process + X server),
#                        divided by mpv --vo=x11 --hwdec=no full screen
#   rss_growth           peak resident memory over a 10-minute 640 x 360 clip / its value after
#                        the first minute (clock released)
#   pipeline_bench.sh <build dir>
set -euo pipefail
build=$(cd "${1:?build dir}" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/scripts/session-env.sh"
ov_start_xvfb
ov_start_pulse

clips="$build/clips"
"$root/tests/fixtures/make-clips" --bench "$clips" >/dev/null
clip="$clips/bench_1080p30.mp4"
long="$clips/bench_10min_360p.mp4"
bench="$build/pipeline_bench"
ovfx="$build/ovfx"
frames=$(ffprobe -v error -select_streams v:0 -count_packets -show_entries stream=nb_read_packets -of csv=p=0 "$clip")

now() { date +%s.%N; }
# Decode only: the best of three runs.
best_decode=""
for _ in 1 2 3; do
  s=$(now); ffmpeg -nostdin -loglevel error -i "$clip" -f null - ; e=$(now)
  t=$(awk -v s="$s" -v e="$e" 'BEGIN { print e - s }')
  if [ -z "$best_decode" ] || awk -v a="$t" -v b="$best_decode" 'BEGIN { exit !(a < b) }'; then best_decode=$t; fi
done
decode_fps=$(awk -v f="$frames" -v t="$best_decode" 'BEGIN { print f / t }')

through=$("$bench" throughput "$clip" "$ovfx")
echo "$through"
pipeline_fps=$(echo "$through" | awk -F': ' '/^pipeline_fps/ { print $2 }')
printf 'decode_only_fps: %.1f\n' "$decode_fps"
printf 'pipeline_vs_decode: %.2f\n' "$(awk -v a="$pipeline_fps" -v b="$decode_fps" 'BEGIN { print a / b }')"

ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
hz=$(getconf CLK_TCK)
# Runs the command to its end; prints its CPU seconds plus the X server's, per wall second,
# measured from its start to its last moment.
cpu_rate() {
  local out=$1; shift
  local x0 t0 x1 t1 p=0
  x0=$(ticks "$ov_xvfb_pid"); t0=$(now)
  "$@" >"$out" 2>/dev/null &
  local pid=$!
  while kill -0 "$pid" 2>/dev/null; do
    p=$(ticks "$pid" 2>/dev/null || echo "$p"); x1=$(ticks "$ov_xvfb_pid"); t1=$(now)
    sleep 0.1
  done
  wait "$pid" || true
  awk -v p="$p" -v a="$x0" -v b="$x1" -v hz="$hz" -v s="$t0" -v e="$t1" 'BEGIN { print (p + b - a) / hz / (e - s) }'
}
work=$(mktemp -d /tmp/ov-pipeline.XXXXXX)
trap 'rm -rf "$work"; ov_stop_session' EXIT
ours_cpu=$(cpu_rate "$work/realtime.txt" "$bench" realtime "$clip" "$ovfx")
cat "$work/realtime.txt"
presented=$(awk -F': ' '/^frames_presented/ { print $2 }' "$work/realtime.txt")
mpv_cpu=$(cpu_rate "$work/mpv.txt" mpv --no-config --really-quiet --vo=x11 --hwdec=no --fs --ao=null "$clip")
printf 'frames_in_clip: %s\n' "$frames"
printf 'frames_shown: %.3f\n' "$(awk -v a="$presented" -v b="$frames" 'BEGIN { print a / b }')"
printf 'playback_cpu_seconds_per_second: %.3f\n' "$ours_cpu"
printf 'mpv_cpu_seconds_per_second: %.3f\n' "$mpv_cpu"
printf 'playback_cpu_vs_mpv: %.2f\n' "$(awk -v a="$ours_cpu" -v b="$mpv_cpu" 'BEGIN { print a / b }')"

"$bench" memory "$long" "$ovfx"

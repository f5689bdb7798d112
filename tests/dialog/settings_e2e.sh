#!/usr/bin/env bash
# The real program with /c under the session's X server: the settings dialog, run from a
# temporary folder holding the program, ovfx/, an INI file and a movie list.
#   settings_e2e.sh ok|cancel|drop
# Needs DISPLAY, OV_EXE, OV_PLUGIN_DIR, OV_CLIP_DIR, OV_XDND, OV_SHOT_DIR.
set -euo pipefail
case_name=$1
dir=$(mktemp -d /tmp/ov-settings-e2e.XXXXXX)
pid=""
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
  rm -rf "$dir"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; [ -f "$dir/OrvaneMovieScreenSaver.ini" ] && cat "$dir/OrvaneMovieScreenSaver.ini"; exit 1; }

cp "$OV_EXE" "$dir/OrvaneMovieScreenSaver"
ln -s "$OV_PLUGIN_DIR" "$dir/ovfx"
clip1="$OV_CLIP_DIR/h264_sound.mp4"
clip2="$OV_CLIP_DIR/vp9_silent.webm"
printf '#Movie File List\n%s\n%s\n' "$clip1" "$clip2" > "$dir/OrvaneMovieScreenSaver.mflst"
cat > "$dir/OrvaneMovieScreenSaver.ini" <<EOF
[Ver1]
InitialDir=/nowhere/
Continue=0
Mute=1
Shuffle=0
PixelPerSec=321
EOF
cp "$dir/OrvaneMovieScreenSaver.mflst" "$dir/list.before"

LD_PRELOAD="${OV_KEEP_GL_DRIVER:-}" ASAN_OPTIONS="${ASAN_OPTIONS:-}:verify_asan_link_order=0" \
  "$dir/OrvaneMovieScreenSaver" /c > "$dir/out.log" 2>&1 &
pid=$!
win=$(timeout 20 xdotool search --sync --onlyvisible --name '^OrvaneMovieScreenSaver$' | head -1) || fail "no dialog window"
sleep 2  # the preview plays a while
eval "$(xdotool getwindowgeometry --shell "$win")"  # X Y WIDTH HEIGHT

key() {
  # Focus is the dialog's own: no window manager runs here.
  xdotool windowfocus --sync "$win" 2>/dev/null || true
  xdotool key --window "$win" "$1"
}
wait_exit() {
  for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$pid" 2>/dev/null && fail "the program did not end"
  wait "$pid" || { cat "$dir/out.log"; fail "exit code $?"; }
  pid=""
}
ini() { sed -n "s/^$1=//p" "$dir/OrvaneMovieScreenSaver.ini"; }

case "$case_name" in
  ok)
    mkdir -p "$OV_SHOT_DIR"
    import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$OV_SHOT_DIR/settings-dialog.png"
    # The preview (bottom right) shows frames: more than one colour there.
    colours=$(convert "$OV_SHOT_DIR/settings-dialog.png" -crop "30%x25%+$((WIDTH * 68 / 100))+$((HEIGHT * 62 / 100))" \
      +repage -format %k info:)
    [ "$colours" -gt 8 ] || fail "the preview shows no movie ($colours colours)"
    key Return
    wait_exit
    [ "$(ini PixelPerSec)" = 321 ] || fail "PixelPerSec"
    [ "$(ini Mute)" = 1 ] && [ "$(ini Continue)" = 0 ] && [ "$(ini Shuffle)" = 0 ] || fail "options"
    [ "$(ini InitialDir)" = /nowhere/ ] || fail "InitialDir"
    grep -q '^表示方法_' "$dir/OrvaneMovieScreenSaver.ini" || fail "method keys"
    grep -q '^CurrentFileName=' "$dir/OrvaneMovieScreenSaver.ini" || fail "CurrentFileName"
    cmp -s "$dir/OrvaneMovieScreenSaver.mflst" "$dir/list.before" || fail "movie list changed"
    ;;
  cancel)
    key Escape
    wait_exit
    # Only the preview's resume point is written.
    [ "$(ini CurrentFileName)" = "$clip1" ] || fail "CurrentFileName"
    pos=$(ini Pos)
    [ -n "$pos" ] && [ "$pos" -gt 0 ] || fail "Pos"
    for k in Continue Mute Shuffle PixelPerSec InitialDir; do
      grep -q "^$k=" "$dir/OrvaneMovieScreenSaver.ini" || fail "$k lost"
    done
    [ "$(ini PixelPerSec)" = 321 ] || fail "PixelPerSec rewritten"
    grep -q '^表示方法_' "$dir/OrvaneMovieScreenSaver.ini" && fail "method keys written on Cancel"
    cmp -s "$dir/OrvaneMovieScreenSaver.mflst" "$dir/list.before" || fail "movie list written on Cancel"
    ;;
  drop)
    mkdir -p "$dir/drops"
    touch "$dir/drops/first.mp4" "$dir/drops/second.avi"
    # The movie list box spans the top third of the dialog; the method list lies lower.
    listx=$((X + WIDTH / 2)); listy=$((Y + HEIGHT * 22 / 100))
    "$OV_XDND" "$win" "$listx" "$listy" "$dir/drops/first.mp4" "$dir/drops/second.avi" || fail "drop refused"
    rc=0
    "$OV_XDND" "$win" "$((X + WIDTH / 4))" "$((Y + HEIGHT * 75 / 100))" "$dir/drops/first.mp4" || rc=$?
    [ "$rc" = 2 ] || fail "a drop outside the movie list was not refused ($rc)"
    sleep 0.5
    key Return
    wait_exit
    expected=$(printf '#Movie File List\n%s\n%s\n%s\n%s\n' "$clip1" "$clip2" "$dir/drops/first.mp4" "$dir/drops/second.avi")
    [ "$(cat "$dir/OrvaneMovieScreenSaver.mflst")" = "$expected" ] || { cat "$dir/OrvaneMovieScreenSaver.mflst"; fail "movie list"; }
    [ "$(ini InitialDir)" = "$dir/drops/" ] || fail "InitialDir $(ini InitialDir)"
    ;;
  *)
    fail "unknown case $case_name"
    ;;
esac
echo "PASS: $case_name"

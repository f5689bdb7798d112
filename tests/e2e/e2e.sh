#!/usr/bin/env bash
# End-to-end cases of the screen saver. Each case copies the real program with its ovfx/
# into a temporary folder, writes the INI file and the movie list, runs the program under the
# session's X server (DISPLAY), sends real input with xdotool, reads the screen with
# ImageMagick and reads the INI file afterwards.
#   e2e.sh <case>   with OV_EXE, OV_PLUGIN_DIR, OV_CLIP_DIR, OV_HOST_WINDOW, OV_SHOT_DIR set
set -uo pipefail

case_name=${1:?case}
: "${DISPLAY:?the tests need an X server}"
work=$(mktemp -d /tmp/ov-e2e.XXXXXX)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
ok() { echo "ok: $*"; }

blue="$OV_CLIP_DIR/solid_color.mp4"    # every pixel RGB 48 96 192, 2 s
pattern="$OV_CLIP_DIR/h264_silent.mp4" # test pattern, 2 s
sound="$OV_CLIP_DIR/h264_sound.mp4"    # test pattern with sound, 3 s
broken="$OV_CLIP_DIR/text.mp4"         # not a movie

# A program folder: the program, ovfx/ with the named plug-ins, the movie list, the INI file.
#   make_folder <dir> "<plugins>" <ini text> <movie>...
make_folder() {
  local dir=$1 plugins=$2 ini=$3
  shift 3
  mkdir -p "$dir/ovfx"
  cp "$OV_EXE" "$dir/OrvaneMovieScreenSaver"
  for p in $plugins; do cp "$OV_PLUGIN_DIR/$p.so" "$dir/ovfx/"; done
  { echo "#Movie File List"; for m in "$@"; do echo "$m"; done; } >"$dir/OrvaneMovieScreenSaver.mflst"
  printf '%s\n' "$ini" >"$dir/OrvaneMovieScreenSaver.ini"
}

ini_get() { sed -n "s/^$2=//p" "$1/OrvaneMovieScreenSaver.ini" | tr -d '\r'; }

start() {
  local dir=$1
  shift
  LD_PRELOAD="${OV_KEEP_GL_DRIVER:-}" ASAN_OPTIONS="${ASAN_OPTIONS:-}:verify_asan_link_order=0" \
    "$dir/OrvaneMovieScreenSaver" "$@" >"$dir.stdout" 2>"$dir.stderr" &
  started=$!
  pids+=("$started")
}

# Waits (bounded) for the process to end; sets code to its exit code, or "running".
wait_exit() {
  local pid=$1
  for _ in $(seq 200); do
    if ! kill -0 "$pid" 2>/dev/null; then
      wait "$pid"
      code=$?
      return
    fi
    sleep 0.05
  done
  code=running
}

check_clean_exit() {
  local dir=$1 code=$2 what=$3
  [ "$code" = 0 ] && ok "$what: exit code 0" || fail "$what: exit code $code"
  if grep -qE "Sanitizer|runtime error" "$dir.stderr"; then
    fail "$what: sanitizer report"
    head -40 "$dir.stderr"
  fi
}

# The screen, shrunk to 64 x 36, as lines "r g b".
screen_pixels() {
  import -window root -resize '64x36!' -depth 8 txt:- 2>/dev/null |
    sed -n 's/^[0-9]*,[0-9]*: (\([0-9.]*\),\([0-9.]*\),\([0-9.]*\).*/\1 \2 \3/p' | cut -d. -f1 |
    awk '{print int($1), int($2), int($3)}'
}
# Percent of the shrunk screen near the blue clip's colour, and percent not black.
screen_profile() {
  screen_pixels | awk '{ n++; if ($1+$2+$3 > 60) lit++;
      if ($1 > 20 && $1 < 80 && $2 > 66 && $2 < 126 && $3 > 160) b++ }
    END { printf "%d %d\n", 100*b/n, 100*lit/n }'
}
# Waits (bounded) until the screen shows: blue | pattern | lit | black.
wait_screen() {
  local want=$1 rounds=${2:-150} profile b lit
  for _ in $(seq "$rounds"); do
    read -r b lit <<<"$(screen_profile)"
    case $want in
      blue) [ "$b" -ge 5 ] && return 0 ;;
      pattern) [ "$lit" -ge 5 ] && [ "$b" -lt 1 ] && return 0 ;;
      lit) [ "$lit" -ge 5 ] && return 0 ;;
      black) [ "$lit" -lt 1 ] && return 0 ;;
    esac
    sleep 0.1
  done
  return 1
}

# White pixels of a screen area, in percent.
white_in() {
  import -window root -crop "$1" +repage -depth 8 txt:- 2>/dev/null |
    sed -n 's/^[0-9]*,[0-9]*: (\([0-9.]*\),\([0-9.]*\),\([0-9.]*\).*/\1 \2 \3/p' | cut -d. -f1 |
    awk '{ n++; if ($1 > 200 && $2 > 200 && $3 > 200) w++ } END { printf "%d\n", n ? 1000*w/n : 0 }'
}

ini_base='[Ver1]
Continue=0
Shuffle=0
Mute=1
PixelPerSec=0'

case_saver_input() {
  # Each way of the user closes the saver; the resume point is stored.
  for closer in move key button altf4; do
    local dir="$work/$closer"
    make_folder "$dir" "Split3x3 Split8x8" "$ini_base" "$sound"
    start "$dir" /s
    local pid=$started
    wait_screen lit || fail "$closer: no movie on the screen"
    local geometry
    geometry=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | head -1 | xargs -r xwininfo -id | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w"x"h}')
    [ "$geometry" = "1920x1080" ] || [ "$closer" != move ] || fail "saver window is $geometry, not the screen"
    case $closer in
      move)
        # The pointer rests where it was: the report at the window's appearance is the first.
        sleep 0.5
        kill -0 "$pid" 2>/dev/null && ok "the first pointer report does not close" || fail "closed without a move"
        xdotool mousemove_relative 1 0 ;;
      key) xdotool key a ;;
      button) xdotool click 1 ;;
      altf4) xdotool key alt+F4 ;;
    esac
    local code
    wait_exit "$pid"
    check_clean_exit "$dir" "$code" "$closer"
    [ "$(ini_get "$dir" CurrentFileName)" = "$sound" ] && ok "$closer: CurrentFileName" || fail "$closer: CurrentFileName=$(ini_get "$dir" CurrentFileName)"
    local pos
    pos=$(ini_get "$dir" Pos)
    [ -n "$pos" ] && [ "$pos" -gt 0 ] && [ "$pos" -le 30000000 ] && ok "$closer: Pos $pos" || fail "$closer: Pos '$pos'"
  done
}

case_saver_sequence() {
  # Blue clip, a broken entry, the pattern clip: the end of the first opens the pattern, the
  # broken one is skipped; the 8 x 8 method's screenshot is kept for a person to look at.
  local dir="$work/seq"
  make_folder "$dir" "Split8x8" "$ini_base" "$blue" "$broken" "$pattern"
  start "$dir" /s
  local pid=$started
  wait_screen blue && ok "the blue clip's pixels fill the grid" || fail "the blue clip is not shown"
  if wait_screen pattern 300; then
    ok "after its end the next playable clip plays"
    mkdir -p "$OV_SHOT_DIR"
    import -window root "$OV_SHOT_DIR/saver_8x8.png" && ok "screenshot $OV_SHOT_DIR/saver_8x8.png"
  else
    fail "no next clip"
  fi
  xdotool key space
  local code
  wait_exit "$pid"
  check_clean_exit "$dir" "$code" "sequence"
  [ "$(ini_get "$dir" CurrentFileName)" = "$pattern" ] && ok "the pattern clip is the resume point" || fail "CurrentFileName=$(ini_get "$dir" CurrentFileName)"

  # The next display method with the next clip: with both methods and two clips, the
  # screen's profile of the same blue clip changes between the first and second showing.
  dir="$work/methods"
  make_folder "$dir" "Split3x3 Split8x8" "$ini_base" "$blue" "$blue"
  start "$dir" /s
  pid=$started
  wait_screen blue || fail "no first blue clip"
  local first second
  first=$(screen_profile | cut -d' ' -f1)
  for _ in $(seq 60); do
    sleep 0.1
    second=$(screen_profile | cut -d' ' -f1)
    [ "$second" != "$first" ] && [ "$second" -ge 5 ] && break
  done
  [ "$second" != "$first" ] && ok "second clip uses another method ($first% / $second%)" || fail "same method twice ($first%)"
  xdotool key space
  wait_exit "$pid"
  check_clean_exit "$dir" "$code" "methods"
}

case_resume() {
  local dir="$work/resume"
  make_folder "$dir" "Split3x3" "[Ver1]
Continue=1
Shuffle=0
PixelPerSec=0
CurrentFileName=$sound
Pos=20000000" "$blue" "$sound"
  start "$dir" /s
  local pid=$started
  wait_screen pattern || fail "the stored movie is not the one shown"
  xdotool key space
  local code
  wait_exit "$pid"
  check_clean_exit "$dir" "$code" "resume"
  local pos
  pos=$(ini_get "$dir" Pos)
  [ "$(ini_get "$dir" CurrentFileName)" = "$sound" ] && ok "resumed the stored movie" || fail "CurrentFileName=$(ini_get "$dir" CurrentFileName)"
  [ -n "$pos" ] && [ "$pos" -ge 20000000 ] && ok "resumed at the stored position (Pos $pos)" || fail "Pos '$pos' is before the stored 2 s"
}

case_status_texts() {
  # Empty list, no plug-ins, nothing playable: each shows its own text, white on black.
  local name plugins movies shots=()
  for name in empty noplugins unplayable; do
    local dir="$work/$name"
    case $name in
      empty) make_folder "$dir" "Split3x3" "$ini_base" ;;
      noplugins) make_folder "$dir" "" "$ini_base" "$blue" ;;
      unplayable) make_folder "$dir" "Split3x3" "$ini_base
CurrentFileName=$blue
Pos=123" "$broken" "$OV_CLIP_DIR/missing.mp4" ;;
    esac
    start "$dir" /s
    local pid=$started
    local white=0
    for _ in $(seq 100); do
      white=$(white_in 1920x60+0+0)
      [ "$white" -gt 0 ] && break
      sleep 0.1
    done
    [ "$white" -gt 0 ] && ok "$name: white text at the top" || fail "$name: no text"
    [ "$(white_in 1920x900+0+180)" = 0 ] && ok "$name: black below" || fail "$name: not black below the text"
    import -window root -crop 1920x60+0+0 +repage "$work/$name.png"
    shots+=("$work/$name.png")
    xdotool key space
    local code
    wait_exit "$pid"
    check_clean_exit "$dir" "$code" "$name"
    if [ "$name" = unplayable ]; then
      [ "$(ini_get "$dir" CurrentFileName)" = "" ] && ok "unplayable: CurrentFileName stored empty" || fail "CurrentFileName=$(ini_get "$dir" CurrentFileName)"
      [ "$(ini_get "$dir" Pos)" = 0 ] && ok "unplayable: Pos 0" || fail "Pos=$(ini_get "$dir" Pos)"
    fi
  done
  [ "$(compare -metric AE "${shots[0]}" "${shots[1]}" null: 2>&1)" != 0 ] && [ "$(compare -metric AE "${shots[1]}" "${shots[2]}" null: 2>&1)" != 0 ] &&
    [ "$(compare -metric AE "${shots[0]}" "${shots[2]}" null: 2>&1)" != 0 ] && ok "three different texts" || fail "status texts not distinct"
}

case_preview() {
  local dir="$work/preview"
  make_folder "$dir" "Split3x3" "$ini_base
CurrentFileName=$blue
Pos=777" "$blue"
  local before
  before=$(md5sum <"$dir/OrvaneMovieScreenSaver.ini")
  coproc HOST { "$OV_HOST_WINDOW" 320 240; }
  local host_id
  read -r host_id <&"${HOST[0]}"
  start "$dir" /p "$host_id"
  local pid=$started white=0
  for _ in $(seq 100); do
    white=$(white_in 320x240+100+100)
    [ "$white" -gt 0 ] && break
    sleep 0.1
  done
  [ "$white" -gt 0 ] && ok "preview text inside the host window" || fail "no preview text"
  # Black fill over the host's grey: the preview covers the whole host window.
  local corner
  corner=$(import -window root -crop 1x1+415+335 -depth 8 txt:- 2>/dev/null | tail -1)
  [[ $corner == *"(0,0,0)"* ]] && ok "black fills the host" || fail "host corner $corner"
  kill -0 "$pid" 2>/dev/null && ok "the preview runs while its host is there" || fail "preview ended early"
  # The host going ends the preview.
  kill "$HOST_PID" 2>/dev/null
  local code
  wait_exit "$pid"
  [ "$code" = running ] && { fail "preview outlived its host"; kill "$pid"; } || check_clean_exit "$dir" "$code" "preview"
  [ "$(md5sum <"$dir/OrvaneMovieScreenSaver.ini")" = "$before" ] && ok "INI untouched" || fail "INI written"

  # A preview whose host is missing, not a number or not a window ends at once.
  for args in "/p" "/p abc" "/p 4660"; do
    start "$dir" $args
    wait_exit "$started"
    check_clean_exit "$dir" "$code" "$args"
  done
}

case_no_mode() {
  local dir="$work/x"
  make_folder "$dir" "Split3x3 Split8x8" "$ini_base" "$blue"
  local before
  before=$(md5sum <"$dir/OrvaneMovieScreenSaver.ini")
  start "$dir" /x
  local code
  wait_exit "$started"
  check_clean_exit "$dir" "$code" "/x"
  [ "$(md5sum <"$dir/OrvaneMovieScreenSaver.ini")" = "$before" ] && ok "/x writes nothing" || fail "/x wrote the INI"
  [ "$(ls "$dir" | wc -l)" = 4 ] && ok "/x leaves no new file" || fail "/x made files: $(ls "$dir")"

  # Without an X server the program says so and ends with code 1, writing nothing.
  DISPLAY= start "$dir" /s
  wait_exit "$started"
  [ "$code" = 1 ] && ok "no display: exit code 1" || fail "no display: exit code $code"
  grep -q "cannot open the X display" "$dir.stderr" && ok "no display: message" || fail "no display: no message"
  [ "$(md5sum <"$dir/OrvaneMovieScreenSaver.ini")" = "$before" ] && ok "no display: INI untouched" \
    || fail "no display: INI written"
}

"case_$case_name"
[ "$failures" = 0 ] && echo "e2e $case_name: all checks passed" || echo "e2e $case_name: $failures check(s) failed"
exit $((failures > 0))

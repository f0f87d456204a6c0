#!/usr/bin/env bash
# End-to-end test of the display layer on a real X server. Starts its own Xvfb
# (no window manager), runs display_demo, reads the screen back and checks the
# frame's pixels at their scaled, centred positions, then ends the program with
# Escape and, in a second run, with a window close; both must exit with 0.
# Without any display the program must exit with 1 and a one-line reason.
#
#   e2e_display.sh <directory holding display_demo and x11_probe>
set -uo pipefail

bin=$1
demo=$bin/display_demo
probe=$bin/x11_probe
work=$(mktemp -d)
xvfb_pid=""
demo_pid=""

cleanup() {
  [ -n "$demo_pid" ] && kill "$demo_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  for f in "$work"/demo.out "$work"/demo.err; do
    [ -s "$f" ] && { echo "--- $f" >&2; cat "$f" >&2; }
  done
  exit 1
}

# Waits up to $2 seconds for process $1 to end; its exit status goes to $status.
wait_for_exit() {
  local pid=$1 deadline=$((SECONDS + $2))
  while kill -0 "$pid" 2>/dev/null; do
    [ $SECONDS -ge $deadline ] && return 1
    sleep 0.1
  done
  wait "$pid"
  status=$?
  return 0
}

# 1024×768 holds the 320×240 frame three times over: 960×720 at (32, 24).
scale=3 left=32 top=24
at() { echo "$((left + scale * $1 + $3)),$((top + scale * $2 + $4))"; }
points=(
  "$(at 0 0 0 0)" FF0000          # top-left pixel of the red quadrant
  "$(at 1 1 0 0)" FFFF00          # the marker pixel covers exactly 3×3 screen pixels
  "$(at 1 1 2 2)" FFFF00
  "$(at 1 1 -1 0)" FF0000
  "$(at 2 2 0 0)" FF0000
  "$(at 159 0 2 0)" FF0000        # last red column ...
  "$(at 160 0 0 0)" 00FF00        # ... next to the first green one
  "$(at 0 119 0 2)" FF0000
  "$(at 0 120 0 0)" 0000FF
  "$(at 319 239 2 2)" FFFFFF      # bottom-right screen pixel of the frame
  "$(at 240 180 1 1)" FFFFFF
  "$((left - 1)),400" 000000      # black borders around the frame
  "$((left + 960)),400" 000000
  "500,$((top - 1))" 000000
  "500,$((top + 720))" 000000
)
coords=() expected=""
for ((i = 0; i < ${#points[@]}; i += 2)); do
  coords+=("${points[i]}")
  expected+="${points[i + 1]}"$'\n'
done

# True when the probe's colours ($1, one RRGGBB per line) match $expected
# within 3 per channel: SDL widens 5- and 6-bit channels of 16-bit screens to
# 0xFE rather than 0xFF.
frame_matches() {
  local -a got want
  mapfile -t got <<<"$1"
  mapfile -t want <<<"${expected%$'\n'}"
  [ ${#got[@]} -eq ${#want[@]} ] || return 1
  local i c g w
  for ((i = 0; i < ${#want[@]}; i++)); do
    [ ${#got[i]} -eq 6 ] || return 1
    for c in 0 2 4; do
      g=$((16#${got[i]:c:2})) w=$((16#${want[i]:c:2}))
      [ $((g - w)) -le 3 ] && [ $((w - g)) -le 3 ] || return 1
    done
  done
}

# Starts display_demo with the given arguments and waits until its frame is on
# the screen: the window must show frames without any window manager around.
start_demo() {
  "$demo" "$@" >"$work/demo.out" 2>"$work/demo.err" &
  demo_pid=$!
  timeout 60 xdotool search --sync --name '^VELDRAFLIMMER$' >/dev/null ||
    fail "no VELDRAFLIMMER window ($*)"
  local geometry
  geometry=$(xdotool search --name '^VELDRAFLIMMER$' getwindowgeometry | grep Geometry)
  [ "$geometry" = "  Geometry: 1024x768" ] || fail "window is not full-screen: $geometry"
  local deadline=$((SECONDS + 60)) seen=""
  while [ $SECONDS -lt $deadline ]; do
    seen=$("$probe" pixels "${coords[@]}") && frame_matches "$seen" && return 0
    sleep 0.2
  done
  printf 'expected:\n%sseen:\n%s\n' "$expected" "$seen" >&2
  fail "the frame is not on the screen ($*)"
}

expect_clean_end() {
  wait_for_exit "$demo_pid" 60 || fail "display_demo did not end ($1)"
  demo_pid=""
  [ "$status" -eq 0 ] || fail "exit status $status after $1"
  grep -qx "after-close step ran" "$work/demo.out" || fail "shutdown step missing after $1"
  if xdotool search --name '^VELDRAFLIMMER$' >/dev/null 2>&1; then
    fail "window still exists after $1"
  fi
}

# --- No display at all: exit status 1 and one line saying why.
env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER "$demo" >"$work/demo.out" 2>"$work/demo.err"
status=$?
[ "$status" -eq 1 ] || fail "exit status $status without a display"
[ "$(wc -l <"$work/demo.err")" -eq 1 ] || fail "expected one line on stderr without a display"
grep -q "^veldraflimmer: cannot open the display: " "$work/demo.err" ||
  fail "unexpected message without a display"
echo "ok: no display -> 1: $(cat "$work/demo.err")"

# --- Our own X server on a free display number of its choosing. -noreset: by
# default the server resets when its last client leaves, as each program run
# here does, and refuses connections while it resets.
Xvfb -displayfd 3 -noreset -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" \
  2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 600); do
  [ -s "$work/display" ] && break
  kill -0 "$xvfb_pid" 2>/dev/null || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
  sleep 0.1
done
[ -s "$work/display" ] || fail "Xvfb did not report its display"
export DISPLAY=":$(head -n1 "$work/display")"
unset WAYLAND_DISPLAY SDL_VIDEODRIVER

start_demo
xdotool key Escape
expect_clean_end "Escape"
echo "ok: 32-bit frame on screen, Escape -> 0"

start_demo --bits 16
"$probe" close VELDRAFLIMMER || fail "could not ask the window to close"
expect_clean_end "window close"
echo "ok: 16-bit frame on screen, window close -> 0"

start_demo --bits 24
xdotool key a space Return   # other keys change nothing
sleep 0.3
kill -0 "$demo_pid" 2>/dev/null || fail "another key ended the program"
seen=$("$probe" pixels "${coords[@]}")
frame_matches "$seen" || fail "the frame changed after other keys"
xdotool key Escape
expect_clean_end "Escape"
echo "ok: 24-bit frame on screen, other keys ignored, Escape -> 0"

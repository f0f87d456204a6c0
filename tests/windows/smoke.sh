#!/usr/bin/env bash
# Smoke test of the Windows programs' real platform paths under Wine:
#   tests/windows/smoke.sh SHOW_DIR [PROBE_DIR]
# SHOW_DIR holds veldraflimmer.exe and its pictures: the Windows build's bin
# directory, or the unpacked Windows zip. PROBE_DIR holds the test programs
# (wave_probe.exe, display_demo.exe, display_probe.exe; default SHOW_DIR).
# Runs with its own Xvfb and its own PulseAudio server (a null sink reached
# through PULSE_SERVER) in the Wine prefix of the environment (WINEPREFIX; its
# server is restarted between the checks as the desktop setting changes).
# Checks, in order:
#   1. in a Wine virtual desktop the WINMM device's play position moves
#      forward (wave_probe.exe);
#   2. the show starts, switches the screen to 320x240, a screenshot shows its
#      first scene (a textured picture filling the screen), Escape ends it with
#      status 0, and the sound it played is not silent;
#   3. the same with closing the window (Alt+F4) instead of Escape;
#   4. the display layer's known frame (display_demo.exe) shows in its colours
#      on screens of at most 32, 24 and 16 bits, after asking DirectDraw for
#      the screen depths in order (Wine offers 32-bit and 5-6-5 modes and
#      refuses 24-bit ones), and Escape ends it through the shutdown sequence;
#   5. the real display opened and closed twice in one process
#      (display_probe.exe): 320x240 with the screen saver off while open, the
#      desktop's own size with the screen saver on again after ptc_close;
#   6. the show runs to its own end (about 47 s, clocked by the device's play
#      position) and ends with status 0;
#   7. without a virtual desktop Wine refuses the full-screen mode switch on a
#      plain X server: the show says why and ends with status 1.
# The Wine server is stopped at the end.
# Prints one line per check and "N passed, N failed" at the end; the exit
# status is the number of failed checks.
set -uo pipefail
bin="$(cd "${1:?usage: $0 SHOW_DIR [PROBE_DIR]}" && pwd)"
probes="$(cd "${2:-$bin}" && pwd)"
: "${WINEPREFIX:?WINEPREFIX must name the Wine prefix to use}"
export WINEDEBUG="${WINEDEBUG:--all}"

work="$(mktemp -d /tmp/vf-windows-smoke-XXXXXX)"
passed=0
failed=0
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

check() {  # check NAME CONDITION-STATUS [DETAIL]
  if [ "$2" -eq 0 ]; then
    echo "PASS: $1"
    passed=$((passed + 1))
  else
    echo "FAIL: $1${3:+ ($3)}"
    failed=$((failed + 1))
  fi
}

# A private X server: Xvfb picks a free display number and reports it once it
# accepts clients, so runs side by side never share a display. -noreset: it
# would otherwise reset, refusing connections, each time its last client
# leaves (every program run here, and the Wine server's restarts).
Xvfb -displayfd 3 -noreset -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" \
  >"$work/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 600); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "Xvfb did not start: $(cat "$work/xvfb.log")"; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"

# A sound server whose only sink discards the sound; its monitor records it.
mkdir -p "$work/pulse"
HOME="$work/pulse" XDG_RUNTIME_DIR="$work/pulse" pulseaudio -n --daemonize=no \
  --exit-idle-time=-1 --use-pid-file=no --disable-shm \
  --load="module-null-sink sink_name=vfnull" \
  --load="module-native-protocol-unix socket=$work/pulse.sock auth-anonymous=1" \
  >"$work/pulse.log" 2>&1 &
pids+=($!)
export PULSE_SERVER="unix:$work/pulse.sock"
for _ in $(seq 100); do pactl info >/dev/null 2>&1 && break; sleep 0.05; done

# peak FILE: "loud" when the raw recording so far peaks above 0.03 of full scale.
peak() {
  local p
  p="$(sox -t raw -r 44100 -e signed-integer -b 16 -c 2 "$1" -n stat 2>&1 |
    sed -n 's/^Maximum amplitude: *//p')"
  awk -v p="${p:-0}" 'BEGIN { if (p > 0.03) print "loud"; else print "quiet" }'
}

# run_show NAME KEYS: starts the show while recording what the sound server
# plays, waits for its window and its first scene, presses KEYS and checks the
# exit status and that the song was heard.
show_window() { xdotool search --name '^VELDRAFLIMMER$' 2>/dev/null | head -1; }

run_show() {
  local name="$1" keys="$2"
  parec -d vfnull.monitor --raw --format=s16le --rate=44100 --channels=2 >"$work/$name.raw" &
  local recorder=$!
  pids+=("$recorder")
  (cd "$bin" && exec wine veldraflimmer.exe) >"$work/$name.log" 2>&1 &
  local show=$!
  pids+=("$show")
  local window=""
  for _ in $(seq 300); do
    window="$(show_window)"
    [ -n "$window" ] && break
    sleep 0.1
  done
  check "$name: the show's window appears" "$([ -n "$window" ]; echo $?)"
  if [ -n "$window" ]; then
    # The first scene lasts over five seconds; a loaded machine may take a
    # moment to show its first frame.
    local mean=0 spread=0 size=""
    for _ in $(seq 10); do
      sleep 0.5
      import -window root "$work/shot.png" 2>/dev/null || continue
      read -r mean spread < <(convert "$work/shot.png" -crop 320x240+0+0 -colorspace gray \
        -format '%[fx:int(mean*1000)] %[fx:int(standard_deviation*1000)]\n' info:)
      [ "${mean:-0}" -gt 150 ] && [ "${spread:-0}" -gt 40 ] && break
    done
    # The virtual desktop follows the screen mode the show sets.
    size="$(xdotool search --name 'Wine desktop$' getwindowgeometry 2>/dev/null |
      sed -n 's/.*Geometry: //p' | head -1)"
    check "$name: the screen is switched to 320x240" "$([ "$size" = 320x240 ]; echo $?)" "$size"
    check "$name: the first scene is on screen" \
      "$([ "${mean:-0}" -gt 150 ] && [ "${spread:-0}" -gt 40 ]; echo $?)" \
      "brightness ${mean}/1000, spread ${spread}/1000"
    cp "$work/shot.png" "$probes/windows-smoke-$name.png" 2>/dev/null
    # The sound starts a moment after the picture (the device's own latency):
    # the key waits until the recording holds it.
    for _ in $(seq 120); do
      [ "$(peak "$work/$name.raw")" = loud ] && break
      sleep 0.5
    done
    xdotool search --name '^VELDRAFLIMMER$' windowfocus --sync key "$keys" 2>/dev/null
  fi
  local status=timeout
  for _ in $(seq 150); do
    if ! kill -0 "$show" 2>/dev/null; then
      wait "$show"
      status=$?
      break
    fi
    sleep 0.1
  done
  [ "$status" = timeout ] && kill "$show" 2>/dev/null
  check "$name: $keys ends the show with status 0" "$([ "$status" = 0 ]; echo $?)" \
    "status $status"
  [ "$status" = 0 ] || sed 's/^/  show: /' "$work/$name.log"
  kill "$recorder" 2>/dev/null
  wait "$recorder" 2>/dev/null
  check "$name: the song is heard" "$([ "$(peak "$work/$name.raw")" = loud ]; echo $?)"
}

# pixel X Y: the colour at (X, Y) of the last screenshot as RRGGBB.
pixel() {
  convert "$work/shot.png" -crop "1x1+$1+$2" -depth 8 txt:- 2>/dev/null |
    sed -n 's/.*#\([0-9A-Fa-f]\{6\}\).*/\1/p' | tail -1
}

# Wine offers 32-bit and 16-bit (5-6-5) screens and refuses 24-bit ones.
declare -A expected_modes=([32]="32" [24]="24 16" [16]="16")

# run_display_demo BITS: the display layer's known frame (red, green, blue and
# white quadrants) on screens of at most BITS per pixel, then Escape.
run_display_demo() {
  local bits="$1" name="display $1-bit"
  # Wine's DirectDraw trace shows the screen depths asked for, in order.
  (cd "$probes" && WINEDEBUG=-all,trace+ddraw exec wine display_demo.exe --bits "$bits") \
    >"$work/demo.log" 2>&1 &
  local demo=$!
  pids+=("$demo")
  local window="" colours=""
  for _ in $(seq 300); do
    window="$(show_window)"
    [ -n "$window" ] && break
    sleep 0.1
  done
  for _ in $(seq 10); do
    sleep 0.3
    import -window root "$work/shot.png" 2>/dev/null || continue
    colours="$(pixel 80 60) $(pixel 240 60) $(pixel 80 180) $(pixel 240 180)"
    # Channels reduced to 5 or 6 bits come back slightly darker.
    [[ "$colours" =~ ^[F-Ff][0-9A-Fa-f]0000\ 00[F-Ff][0-9A-Fa-f]00\ 0000[F-Ff][0-9A-Fa-f]\ ([F-Ff][0-9A-Fa-f]){3}$ ]] && break
  done
  check "$name: the frame is shown in its colours" \
    "$([[ "$colours" =~ ^[F-Ff][0-9A-Fa-f]0000\ 00[F-Ff][0-9A-Fa-f]00\ 0000[F-Ff][0-9A-Fa-f]\ ([F-Ff][0-9A-Fa-f]){3}$ ]]; echo $?)" \
    "quadrants ${colours:-none}"
  echo "  $name: quadrants $colours"
  [ -n "$window" ] && xdotool search --name '^VELDRAFLIMMER$' windowfocus --sync key Escape 2>/dev/null
  local status=timeout
  for _ in $(seq 150); do
    if ! kill -0 "$demo" 2>/dev/null; then
      wait "$demo"
      status=$?
      break
    fi
    sleep 0.1
  done
  [ "$status" = timeout ] && kill "$demo" 2>/dev/null
  local modes
  modes="$(sed -n 's/.*ddraw1_SetDisplayMode.* bpp \([0-9]*\)\..*/\1/p' "$work/demo.log" | xargs)"
  check "$name: screen depths tried in order: ${expected_modes[$bits]}" \
    "$([ "$modes" = "${expected_modes[$bits]}" ]; echo $?)" "tried: $modes"
  check "$name: Escape closes the display, runs the after-close step and ends with 0" \
    "$([ "$status" = 0 ] && grep -q 'after-close step ran' "$work/demo.log"; echo $?)" \
    "status $status"
}

# Wine reads the desktop setting when its desktop process starts, and that
# process lives as long as the server: the server is restarted after a change.
desktop() {  # desktop on|off: the Wine virtual desktop of 640x480
  if [ "$1" = on ]; then
    wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 640x480 /f >/dev/null 2>&1
  else
    wine reg delete 'HKCU\Software\Wine\Explorer' /v Desktop /f >/dev/null 2>&1
  fi
  wineserver -k 2>/dev/null
  wineserver -w
}

# 1. The wave-output device.
desktop on
timeout 60 wine "$probes/wave_probe.exe" >"$work/probe.log" 2>&1
status=$?
sed 's/\r$//; s/^/  /' "$work/probe.log"
check "the WINMM play position moves forward" "$([ $status = 0 ]; echo $?)" "status $status"

# 2 and 3. The show.
run_show escape Escape
run_show close alt+F4

# 4. The display layer's frame on each depth Wine offers (32 and 16 bits; a
#    24-bit request is refused, and the layer falls back to 16).
for bits in 32 24 16; do run_display_demo "$bits"; done

# 5. Opening and closing the real display twice in one process.
(cd "$probes" && timeout 60 wine display_probe.exe) >"$work/display_probe.log" 2>&1
status=$?
sed 's/\r$//; s/^/  /' "$work/display_probe.log"
check "the display restores the desktop's mode and screen saver at close" \
  "$([ $status = 0 ]; echo $?)" "status $status"

# 6. The whole show, to its own end. Its clock is the device's play position,
#    so the end comes only while that keeps moving forward.
started=$SECONDS
(cd "$bin" && timeout 300 wine veldraflimmer.exe) >"$work/whole.log" 2>&1
status=$?
elapsed=$((SECONDS - started))
check "the show ends by itself with status 0" "$([ $status = 0 ]; echo $?)" "status $status"
# Not sooner than its song allows; a busy machine may take longer.
check "after its 47 s song" "$([ $elapsed -ge 40 ]; echo $?)" "$elapsed s"
check "played through the wave output" \
  "$(! grep -q 'no audio device' "$work/whole.log"; echo $?)"

# 7. No mode switch on a plain X server.
desktop off
(cd "$bin" && timeout 60 wine veldraflimmer.exe) >"$work/nodesktop.log" 2>&1
status=$?
check "without a full-screen mode the show ends with status 1" "$([ $status = 1 ]; echo $?)" \
  "status $status"
check "and says why" "$(grep -q 'cannot open the display' "$work/nodesktop.log"; echo $?)"
wineserver -k 2>/dev/null
wineserver -w

echo "smoke: $passed passed, $failed failed"
exit "$failed"

#!/usr/bin/env bash
# The Debian package where it will be used: installed with apt into a fresh
# Debian 12 root (scripts/debian-root), as on a new machine.
#   tests/package/deb_test.sh PACKAGE.deb
# Checks, in order: apt installs it with what it needs; the menu entry's
# command is on the PATH and its icon is there at each size; the installed
# show, started from another folder under Xvfb with SDL's disk audio, shows
# its first scene and plays its song; xmplay --version prints the package's
# version; man -w finds the show's page; lintian reports no errors.
# Needs root. Runs in mount and process namespaces of its own: the root's
# mounts and every process started in it end with the test, and the root is
# removed. Prints one line per check and "N passed, N failed"; the exit
# status is the number of failed checks (125 when no root could be made).
set -uo pipefail
deb="$(readlink -f "${1:?usage: $0 PACKAGE.deb}")"
repo="$(cd "$(dirname "$0")/../.." && pwd)"

if [ -z "${VF_DEB_TEST_WORK:-}" ]; then
  work="$(mktemp -d /var/tmp/vf-deb-test.XXXXXX)"
  # As in scripts/debian-root: in a chroot, / is no mount point to make private.
  propagation=private
  mountpoint -q / || propagation=unchanged
  VF_DEB_TEST_WORK="$work" unshare --mount --pid --fork --kill-child --propagation "$propagation" \
    -- "$0" "$deb" &
  child=$!
  trap 'kill "$child" 2>/dev/null' INT TERM HUP
  wait "$child"
  status=$?
  wait "$child" 2>/dev/null
  rm -rf --one-file-system "$work"
  exit "$status"
fi

work="$VF_DEB_TEST_WORK"
root="$work/root"
passed=0
failed=0
check() {  # check NAME CONDITION-STATUS [DETAIL]
  if [ "$2" -eq 0 ]; then
    echo "PASS: $1"
    passed=$((passed + 1))
  else
    echo "FAIL: $1${3:+ ($3)}"
    failed=$((failed + 1))
  fi
}
# in_root COMMAND...: as a user's shell would run it there, in /tmp.
in_root() {
  chroot "$root" /usr/bin/env -i PATH=/usr/local/bin:/usr/bin:/bin:/usr/sbin:/sbin \
    HOME=/root LANG=C.UTF-8 sh -c 'cd /tmp && exec "$@"' sh "$@"
}

if ! "$repo/scripts/debian-root" "$root" 2>"$work/root.log"; then
  cat "$work/root.log"
  echo "deb: could not make a fresh Debian 12 root"
  exit 125
fi
mount -t proc proc "$root/proc"
mount --rbind /dev "$root/dev"
version="$(dpkg-deb -f "$deb" Version)"
cp "$deb" "$root/tmp/"

# 1. apt, as a user would install a downloaded package; Xvfb and man-db are
#    the test's own tools.
in_root sh -c 'apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
  --no-install-recommends ./*.deb xvfb man-db' >"$work/apt.log" 2>&1
status=$?
check "apt installs the package and what it needs" $status
[ $status -eq 0 ] || tail -n 20 "$work/apt.log"

# 2. The menu entry.
entry="$root/usr/share/applications/veldraflimmer.desktop"
command="$(sed -n 's/^Exec=//p' "$entry" 2>/dev/null)"
check "the menu entry's command is on the PATH" \
  "$(in_root sh -c "command -v '$command'" >/dev/null; echo $?)" "Exec=$command"
for size in 48 128 256; do
  icon="$root/usr/share/icons/hicolor/${size}x$size/apps/veldraflimmer.png"
  got="$(identify -format '%wx%h' "$icon" 2>/dev/null)"
  check "the menu icon at ${size}x$size" "$([ "$got" = "${size}x$size" ]; echo $?)" "${got:-missing}"
done

# 3. The show from another folder, on a private X server whose screen is also
#    a file (-fbdir), read from here. Its first scene is the eye of
#    kollademos.raw over grey noise, the frame doubled to fill 640x480: a
#    black pupil at (160, 88) of the frame, the orange iris 22 pixels right of
#    it, the white of the eye 50 pixels left of it. Without its pictures the
#    show would draw only the noise.
(exec chroot "$root" sh -c 'exec Xvfb -displayfd 3 -fbdir /tmp -noreset -screen 0 640x480x24 \
  -nolisten tcp 3>/tmp/display' >"$work/xvfb.log" 2>&1) &
for _ in $(seq 600); do [ -s "$root/tmp/display" ] && break; sleep 0.1; done
display=":$(head -n1 "$root/tmp/display" 2>/dev/null)"
(exec chroot "$root" /usr/bin/env -i PATH=/usr/bin:/bin HOME=/root DISPLAY="$display" \
  SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/tmp/audio.raw sh -c 'cd /tmp && exec veldraflimmer') \
  >"$work/show.log" 2>&1 &
show=$!
# colour X Y: "R G B" of the frame's pixel (X, Y) on the screen.
colour() {
  convert "xwd:$root/tmp/Xvfb_screen0" -crop "1x1+$((2 * $1))+$((2 * $2))" -depth 8 \
    -format '%[fx:int(255*r)] %[fx:int(255*g)] %[fx:int(255*b)]' info: 2>/dev/null
}
eye() {
  local pupil iris white
  read -r -a pupil <<<"$(colour 160 88)"
  read -r -a iris <<<"$(colour 182 88)"
  read -r -a white <<<"$(colour 110 88)"
  seen="pupil ${pupil[*]}, iris ${iris[*]}, white ${white[*]}"
  [ ${#pupil[@]} -eq 3 ] && [ ${#iris[@]} -eq 3 ] && [ ${#white[@]} -eq 3 ] &&
    [ "${pupil[0]}" -lt 60 ] && [ "${pupil[1]}" -lt 60 ] && [ "${pupil[2]}" -lt 60 ] &&
    [ "${iris[0]}" -gt 150 ] && [ "${iris[1]}" -gt 50 ] && [ "${iris[1]}" -lt 140 ] &&
    [ "${iris[2]}" -lt 60 ] &&
    [ "${white[0]}" -gt 200 ] && [ "${white[1]}" -gt 200 ] && [ "${white[2]}" -gt 200 ]
}
seen="" shown=1
for _ in $(seq 240); do
  sleep 0.5
  if eye; then
    shown=0
    break
  fi
done
check "the installed show shows its first scene, its pictures found" $shown "$seen"
# Its song: at least 0.4 s written by the disk audio driver, and not silent.
sound="$root/tmp/audio.raw"
for _ in $(seq 120); do
  [ "$(stat -c %s "$sound" 2>/dev/null || echo 0)" -gt 70560 ] && break
  sleep 0.5
done
peak="$(sox -t raw -r 44100 -e signed-integer -b 16 -c 2 "$sound" -n stat 2>&1 |
  sed -n 's/^Maximum amplitude: *//p')"
check "and plays its song" "$(awk -v p="${peak:-0}" 'BEGIN { exit !(p > 0.03) }'; echo $?)" \
  "peak ${peak:-none}"
kill "$show" 2>/dev/null
[ $failed -eq 0 ] || sed 's/^/  show: /' "$work/show.log"

# 4. The tools and the manual.
out="$(in_root xmplay --version 2>&1)"
check "xmplay --version prints $version" "$([[ "$out" == *"$version"* ]]; echo $?)" "$out"
out="$(in_root man -w veldraflimmer 2>&1)"
check "man -w veldraflimmer finds the page" "$([[ "$out" == */veldraflimmer.1.gz ]]; echo $?)" "$out"

# 5. lintian, on this machine.
lintian --fail-on error "$deb" >"$work/lintian.log" 2>&1
status=$?
check "lintian reports no errors" $status
[ $status -eq 0 ] && grep -v '^running with root' "$work/lintian.log" | sed 's/^/  /'
[ $status -eq 0 ] || cat "$work/lintian.log"

echo "deb: $passed passed, $failed failed"
exit "$failed"

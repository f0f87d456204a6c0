#!/usr/bin/env bash
# Whole-file rendering side by side: xmplay and Debian's xmp (libxmp, linear
# interpolation) each render SECONDS of every song to a 44,100 Hz 16-bit
# stereo WAV file, songs looping, three times in turn; prints the best CPU
# time (user + system) of each, seconds of audio per CPU second, and the
# ratio. Audio seconds are counted from the files written.
#
# usage: wav_peers.sh XMPLAY SECONDS SONG.xm...
set -euo pipefail
if [ $# -lt 3 ]; then
  echo "usage: $0 XMPLAY SECONDS SONG.xm..." >&2
  exit 2
fi
xmplay=$1
seconds=$2
shift 2
command -v xmp >/dev/null || { echo "$0: xmp is not installed" >&2; exit 1; }
dir=$(mktemp -d "${TMPDIR:-/dev/shm}/wav_peers.XXXXXX" 2>/dev/null || mktemp -d)
trap 'rm -rf "$dir"' EXIT
TIMEFORMAT='%3U %3S'

cpu() {  # the CPU seconds of one run of the command
  { time "$@" >/dev/null 2>&1; } 2>&1 | awk '{ print $1 + $2 }'
}

for song in "$@"; do
  ours=999
  peer=999
  for _ in 1 2 3; do
    t=$(cpu "$xmplay" "$song" --seconds "$seconds" --wav "$dir/ours.wav")
    ours=$(awk -v a="$ours" -v b="$t" 'BEGIN { print (b < a) ? b : a }')
    t=$(cpu xmp -q -l -t "$seconds" -i linear -o "$dir/peer.wav" "$song")
    peer=$(awk -v a="$peer" -v b="$t" 'BEGIN { print (b < a) ? b : a }')
  done
  awk -v song="$(basename "$song")" -v a="$ours" -v b="$peer" \
    -v ab="$(stat -c %s "$dir/ours.wav")" -v bb="$(stat -c %s "$dir/peer.wav")" 'BEGIN {
      xa = (ab - 44) / 176400 / a; xb = (bb - 44) / 176400 / b
      printf "%-24s xmplay %6.3f s CPU %6.0fx   xmp %6.3f s CPU %6.0fx   ratio %.2f\n",
             song, a, xa, b, xb, xa / xb }'
done

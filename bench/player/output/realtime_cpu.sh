#!/usr/bin/env bash
# Measures what real-time playback costs: runs xmplay on a song for a number of
# seconds through an SDL audio driver and prints each thread's CPU time (from
# /proc/<pid>/task/<tid>/schedstat) as a share of one core. The mixing thread
# is the xmplay thread that is neither the main thread nor SDL's.
#
# usage: realtime_cpu.sh XMPLAY SONG.xm [SECONDS] [SDL_AUDIODRIVER]
set -euo pipefail
xmplay=$1
song=$2
seconds=${3:-20}
driver=${4:-dummy}
raw=$(mktemp)
trap 'rm -f "$raw"' EXIT

SDL_AUDIODRIVER=$driver SDL_DISKAUDIOFILE=$raw "$xmplay" "$song" --seconds $((seconds + 2)) \
  2>/dev/null &
pid=$!
sleep 1  # the first ring is mixed by the main thread: leave it out
declare -A before
for task in /proc/$pid/task/*; do before[$task]=$(cut -d' ' -f1 "$task/schedstat"); done
sleep "$seconds"
echo "xmplay on $song, SDL_AUDIODRIVER=$driver, ${seconds} s of playback:"
for task in /proc/$pid/task/*; do
  now=$(cut -d' ' -f1 "$task/schedstat")
  used=$((now - ${before[$task]:-0}))
  role=$(cat "$task/comm")
  [ "$(basename "$task")" = "$pid" ] && role="$role (main)"
  awk -v r="$role" -v ns="$used" -v s="$seconds" \
    'BEGIN { printf "  %-22s %8.1f ms  %6.3f%% of a core\n", r, ns / 1e6, ns / 1e7 / s }'
done
wait "$pid"

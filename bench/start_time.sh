#!/bin/bash
# Time from process start to the work window's first paint, over several runs, with
# the sample catalogue. Usage: bench/start_time.sh [program] [runs]
set -euo pipefail
program=${1:-build-bench/bin/tessel32}
runs=${2:-10}
[ -x "$program" ] || { echo "no program at $program (build it first)" >&2; exit 1; }
home=$(mktemp -d)
trap 'rm -rf "$home"; [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null || true' EXIT
if [ -z "${DISPLAY:-}" ]; then
  if command -v Xvfb >/dev/null; then
    Xvfb :78 -screen 0 1280x1024x24 >/dev/null 2>&1 & xvfb=$!
    export DISPLAY=:78
    sleep 1
  else
    export QT_QPA_PLATFORM=offscreen
  fi
fi
times=()
for ((i = 0; i < runs; ++i)); do
  start=$(date +%s%N)
  line=$(XDG_CONFIG_HOME="$home" XDG_RUNTIME_DIR="$home" TESSEL_FIRST_PAINT_PROBE=1 "$program" 2>/dev/null | grep first-paint)
  painted=${line#first-paint }
  times+=($(( (painted - start) / 1000000 )))
done
sorted=($(printf '%s\n' "${times[@]}" | sort -n))
echo "start to first paint over $runs runs (ms): ${times[*]}"
echo "median ${sorted[$((runs / 2))]} ms, min ${sorted[0]} ms, max ${sorted[$((runs - 1))]} ms"

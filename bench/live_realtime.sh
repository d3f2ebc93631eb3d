#!/usr/bin/env bash
# Live output in real time: tavrilo-render --live to a UDP receiver on
# 127.0.0.1 (ffmpeg copying the stream to nowhere and counting its frames).
#   bench/live_realtime.sh [TAVRILO_RENDER] [SD_SECONDS] [HD_SECONDS] [HD_LEVELS]
# 1. 720x486 at 29.97 with fields, anti-aliasing 75, looping the demo show
#    for SD_SECONDS (default 600) while a watched data file is rewritten
#    every 5 seconds: the target is 0 late frames.
# 2. 1920x1080 at 29.97 with fields (1080i, 16:9) for HD_SECONDS (default 30) at
#    each of HD_LEVELS (default "0 25 50 75 100"): the highest level with no
#    late frame, and the headroom there (the frame's 33.4 ms against the mean
#    drawing time, and the frames a second drawing alone would reach).
# The load average is printed before and after each run: other work on the
# machine makes frames late that a quiet machine sends in time.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
render="${1:-$here/../build/bin/tavrilo-render}"
sd_seconds="${2:-600}"
hd_seconds="${3:-30}"
hd_levels="${4:-0 25 50 75 100}"
work="$(mktemp -d)"
receiver=""
writer=""
cleanup() {
    [[ -n "$writer" ]] && kill "$writer" 2>/dev/null || true
    [[ -n "$receiver" ]] && kill "$receiver" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

load() { cut -d' ' -f1-3 /proc/loadavg; }

# A table of the demo show's shape (8 months of 4 sets, its scale 0 to 50)
# with values that move.
write_table() {
    local round=$1
    {
        printf 'Live %d\tNorth\tSouth\tEast\tWest\n' "$round"
        for month in Jan Feb Mar Apr May Jun Jul Aug; do
            printf '%s\t%d\t%d\t%d\t%d\n' "$month" $((5 + RANDOM % 40)) $((5 + RANDOM % 40)) \
                $((5 + RANDOM % 40)) $((5 + RANDOM % 40))
        done
    } >"$work/data.new"
    mv "$work/data.new" "$work/data.txt"
}

# Runs the live output for SECONDS with the options after it; prints the
# program's closing line and the frames the receiver counted.
run_live() {
    local seconds=$1
    shift
    local port=$((20000 + RANDOM % 20000))
    rm -f "$work/progress.txt"
    ffmpeg -hide_banner -nostdin -loglevel error \
        -i "udp://127.0.0.1:$port?fifo_size=1000000&overrun_nonfatal=1&timeout=5000000" \
        -c copy -f null - -progress "$work/progress.txt" 2>/dev/null &
    receiver=$!
    echo "  load before: $(load)"
    timeout -s INT "$seconds" "$render" --live "udp://127.0.0.1:$port" "$@" 2>"$work/live.txt" || true
    echo "  load after:  $(load)"
    wait "$receiver" || true
    receiver=""
    grep "live ended" "$work/live.txt" | sed 's/^tavrilo-render: /  /'
    echo "  receiver got $(grep -o 'frame=[0-9]*' "$work/progress.txt" | tail -1 | cut -d= -f2) frames"
}

if ((sd_seconds > 0)); then  # 0 leaves the standard-definition run out
    echo "1. 720x486 29.97 fields, anti-aliasing 75, $sd_seconds s, data rewritten every 5 s"
    write_table 0
    (round=1; while sleep 5; do write_table $round; round=$((round + 1)); done) &
    writer=$!
    run_live "$sd_seconds" --size 720x486 --fields --aa 75 --loop --watch "$work/data.txt"
    kill "$writer" 2>/dev/null || true
    writer=""
fi

echo "2. 1920x1080 29.97 fields (1080i), $hd_seconds s a level"
for level in $hd_levels; do
    echo " anti-aliasing $level"
    run_live "$hd_seconds" --size 1920x1080 --aspect 16:9 --fields --aa "$level" --loop
done

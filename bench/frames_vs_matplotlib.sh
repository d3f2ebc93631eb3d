#!/usr/bin/env bash
# Whole-process timings of tavrilo-render's picture and movie output against
# the matplotlib loop that draws the same animated 3D bar chart, and against
# the ffmpeg command encoding the same frames; prints the ratios and targets.
#   bench/frames_vs_matplotlib.sh [TAVRILO_RENDER] [REPEATS]
#   BEFORE=/path/to/older/tavrilo-render also times an older binary beside it.
# Each figure is the fastest of REPEATS runs (default 3): on a loaded machine
# the fastest run is the one least disturbed by others.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
# The runs happen in a scratch folder: a relative path is taken from here.
render="$(realpath -- "${1:-$here/../build/bin/tavrilo-render}")"
[[ -n "${BEFORE:-}" ]] && BEFORE="$(realpath -- "$BEFORE")"
repeats="${2:-3}"
frames=100
end="3:10"  # 100 frames at 30 a second

# Debian's matplotlib is for Debian's python, whatever else is first on PATH.
python=/usr/bin/python3
if ! "$python" -c "import matplotlib" 2>/dev/null; then
    echo "installing python3-matplotlib (apt-get)" >&2
    apt-get install -y --no-install-recommends python3-matplotlib >/dev/null 2>&1 ||
        { apt-get update >/dev/null && apt-get install -y --no-install-recommends python3-matplotlib >/dev/null; }
fi
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# Fastest wall time of REPEATS runs of the command, in seconds.
fastest() {
    local best="" start stop took
    for ((i = 0; i < repeats; ++i)); do
        rm -rf "$work/out" && mkdir "$work/out"
        start=$(date +%s.%N)
        (cd "$work/out" && "$@" >/dev/null)
        stop=$(date +%s.%N)
        took=$(echo "$stop - $start" | bc -l)
        if [[ -z "$best" ]] || (($(echo "$took < $best" | bc -l))); then best=$took; fi
    done
    printf '%.3f' "$best"
}

ratio() { printf '%.2f' "$(echo "$1 / $2" | bc -l)"; }

bench_binary() {
    local bin="$1" label="$2"
    local aa0 aa75 aa75cpu png hd prores proresp
    aa0=$(fastest "$bin" -o f####.bmp --start 0 --end $end --aa 0)
    aa75=$(fastest "$bin" -o f####.bmp --start 0 --end $end --aa 75)
    aa75cpu=$(fastest env TAVRILO_AA_SUM=cpu "$bin" -o f####.bmp --start 0 --end $end --aa 75)
    png=$(fastest "$bin" -o f####.png --start 0 --end $end --aa 0)
    hd=$(fastest "$bin" -o f####.bmp --start 0 --end $end --aa 0 --size 1920x1080)
    prores=$(fastest "$bin" -o m.mov --codec apch --quality 100 --start 0 --end $end --aa 0)
    proresp=$(fastest "$bin" -o m.mov --codec apch --quality 100 --start 0 --end $end --aa 0 --no-fields)
    echo "$label: 720x486 aa0 bmp ${aa0}s, aa75 bmp ${aa75}s, aa0 png ${png}s, 1920x1080 aa0 bmp ${hd}s, prores ${prores}s (progressive ${proresp}s)"
    echo "  matplotlib 720x486 / aa75 bmp:   $(ratio "$mpl" "$aa75")x  (target >= 3)"
    echo "    (passes summed on the CPU instead: aa75 bmp ${aa75cpu}s, $(ratio "$mpl" "$aa75cpu")x)"
    echo "  aa0 png / aa0 bmp:               $(ratio "$png" "$aa0")x  (target <= 1.3)"
    echo "  matplotlib 1920x1080 / HD bmp:   $(ratio "$mplhd" "$hd")x  (target >= 3)"
    echo "  matplotlib 720x486 / aa0 bmp:    $(ratio "$mpl" "$aa0")x  (keep >= 4)"
    echo "  prores / ffmpeg command:         $(ratio "$prores" "$ffmpeg")x interlaced, $(ratio "$proresp" "$ffmpegp")x progressive  (keep <= 1.25)"
}

echo "load: $(uptime)"
mpl=$(fastest "$python" "$here/matplotlib_bars.py" $frames 720 486)
mplhd=$(fastest "$python" "$here/matplotlib_bars.py" $frames 1920 1080)
echo "matplotlib, $frames draws: 720x486 ${mpl}s, 1920x1080 ${mplhd}s"

# The ffmpeg command's own ProRes encoding of the same frames, from raw BGR.
mkdir -p "$work/raw"
(cd "$work/raw" && "$render" -o f####.bmp --start 0 --end $end --aa 0 >/dev/null &&
    ffmpeg -v error -y -i f%04d.bmp -f rawvideo -pix_fmt bgr24 frames.bgr)
# tavrilo-render's NTSC movies are interlaced, lower field first, unless
# told --no-fields: each is compared with the same kind of ffmpeg encoding.
prores=(-c:v prores_ks -profile:v 3 -pix_fmt yuv422p10le)
ffmpeg=$(fastest ffmpeg -v error -y -f rawvideo -pix_fmt bgr24 -s 720x486 -r 30000/1001 -i "$work/raw/frames.bgr" \
    "${prores[@]}" -flags +ildct+ilme -field_order bb m.mov)
ffmpegp=$(fastest ffmpeg -v error -y -f rawvideo -pix_fmt bgr24 -s 720x486 -r 30000/1001 -i "$work/raw/frames.bgr" \
    "${prores[@]}" m.mov)
echo "ffmpeg command, ProRes 422 HQ of $frames frames: interlaced ${ffmpeg}s, progressive ${ffmpegp}s"

if [[ -n "${BEFORE:-}" ]]; then bench_binary "$BEFORE" "before ($BEFORE)"; fi
bench_binary "$render" "tavrilo-render ($render)"
echo "load: $(uptime)"

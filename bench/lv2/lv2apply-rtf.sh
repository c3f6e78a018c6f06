#!/usr/bin/env bash
# Real-time factor of the LV2 plug-in as lv2apply runs it: one minute of the
# demo voice at 44.1 kHz, mono 32-bit float, every setting moved from its
# default; the intonara tool on the same file and settings for comparison.
# lv2apply runs the plug-in one frame at a time, reading and writing the
# files frame by frame, so its figure is what a file-based host gets, not
# the engine's own speed.
#
#   bench/lv2/lv2apply-rtf.sh [BUILD_DIR] [RUNS]     (defaults: build, 3)
set -euo pipefail

build=${1:-build}
runs=${2:-3}
uri="urn:uuid:d048519c-f761-4b10-bb94-5f1381045587"
seconds=60
rate=44100

for f in "$build/lv2/intonara.lv2/manifest.ttl" "$build/bin/intonara" "$build/bin/intonara-demo-input"; do
  [ -e "$f" ] || { echo "lv2apply-rtf: $f is missing; build first (make build)" >&2; exit 1; }
done
# LV2_PATH takes absolute directories only.
bundle_dir=$(cd "$build/lv2" && pwd)
command -v lv2apply >/dev/null || { echo "lv2apply-rtf: lv2apply (lilv-utils) is not installed" >&2; exit 1; }
command -v python3 >/dev/null || { echo "lv2apply-rtf: python3 is needed to make the test file" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The demo phrase repeated to a minute, written as float WAV.
"$build/bin/intonara-demo-input" -r "$rate" "$work/phrase.wav"
python3 - "$work/phrase.wav" "$work/in.wav" "$seconds" <<'PY'
import struct, sys, wave
src, dst, seconds = sys.argv[1], sys.argv[2], int(sys.argv[3])
with wave.open(src, "rb") as w:
    rate, n = w.getframerate(), w.getnframes()
    pcm = struct.unpack("<%dh" % n, w.readframes(n))
want = seconds * rate
samples = [pcm[i % n] / 32768.0 for i in range(want)]
body = struct.pack("<%df" % want, *samples)
fmt = struct.pack("<HHIIHH", 3, 1, rate, rate * 4, 4, 32)
riff = b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt + b"data" + struct.pack("<I", len(body)) + body
with open(dst, "wb") as f:
    f.write(b"RIFF" + struct.pack("<I", len(riff)) + riff)
PY

now() { date +%s.%N; }
best() { sort -g | head -1; }

plugin_times=()
tool_times=()
for ((i = 0; i < runs; i++)); do
  t0=$(now)
  LV2_PATH="$bundle_dir" lv2apply -i "$work/in.wav" -o "$work/plugin.wav" \
    -c scale 0 -c key 9 -c detune -20 -c retune 35 -c vibrato_type 1 -c vibrato_depth 40 \
    -c vibrato_rate 6.3 -c vibrato_delay 150 -c threshold 40 "$uri"
  t1=$(now)
  "$build/bin/intonara" correct "$work/in.wav" -o "$work/tool.wav" --quiet \
    --scale 0 --key A --detune -20 --retune 35 --vibrato sine --depth 40 --rate 6.3 --delay 150 --threshold 40
  t2=$(now)
  plugin_times+=("$(awk -v a="$t0" -v b="$t1" 'BEGIN { print b - a }')")
  tool_times+=("$(awk -v a="$t1" -v b="$t2" 'BEGIN { print b - a }')")
done

plugin_best=$(printf '%s\n' "${plugin_times[@]}" | best)
tool_best=$(printf '%s\n' "${tool_times[@]}" | best)
# The two files' sample data, whatever else their headers carry.
same=$(python3 - "$work/plugin.wav" "$work/tool.wav" <<'PY'
import struct, sys
def samples(path):
    b = open(path, "rb").read()
    i = b.index(b"data")
    n = struct.unpack("<I", b[i + 4:i + 8])[0]
    return b[i + 8:i + 8 + n]
print("identical" if samples(sys.argv[1]) == samples(sys.argv[2]) else "DIFFERENT")
PY
)
report() {
  awk -v what="$1" -v s="$seconds" -v t="$2" -v n="$runs" \
    'BEGIN { printf "%-26s %d s of audio in %.2f s: %.1fx real time (best of %d)\n", what, s, t, s / t, n }'
}
report "lv2apply + intonara.lv2:" "$plugin_best"
report "intonara correct:" "$tool_best"
echo "samples of the two outputs: $same"

#!/usr/bin/env bash
# The main job: install, build the plug-in and the renderer, then render audio through the
# plug-in. `bash scripts/demo.sh [INPUT] [OUTPUT]`: without INPUT the built-in demo chord is
# rendered; OUTPUT defaults to out/demo.wav, and a spectrogram is drawn next to it (.png).
set -euo pipefail
cd "$(dirname "$0")/.."

input="${1:-}"
output="${2:-out/demo.wav}"
if [ -n "$input" ] && [ ! -f "$input" ]; then
    echo "demo.sh: input '$input' does not exist" >&2
    exit 1
fi

bash scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release --target CorvanePhaser corvane-render

mkdir -p "$(dirname "$output")"
rm -f "$output"
# A deep, resonant sweep so the phasing is plain to hear and to see.
build/release/tools/render/corvane-render \
    --param PModD=norm:0.9 --param PFB=norm:0.6 --param PSM=norm:0.5 --param LFreq=norm:0.2 \
    --param PLFreq=norm:0.35 --param PRFreq=norm:0.35 \
    ${input:+"$input"} "$output"

spectrogram="${output%.*}.png"
sox "$output" -n spectrogram -x 800 -y 400 -t "Corvane Phaser: $(basename "$output")" \
    -o "$spectrogram" 2>/dev/null
echo "Rendered $output and its spectrogram $spectrogram"

#!/usr/bin/env bash
# lv2apply (lilv-utils: a host that offers no features) renders the LV2 edition to the same
# samples as corvane-render renders the VST edition at the same settings.
#   bash lv2apply-render.sh LV2_DIR CORVANE_RENDER VST_MODULE
set -euo pipefail
lv2dir=$1
render=$2
module=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

sox -n -r 44100 -c 2 -e floating-point -b 32 "$work/in.wav" synth 3 sine 110 sine 330 vol 0.6
# The same settings twice: normalised for the VST edition, in the ports' units for LV2
# (0.5 -> 5 Hz, 0.25 -> 625 Hz, 0.75 -> 5625 Hz, feedback 0.95f * 0.5, depth 0.75^2 octaves,
# 0.5 -> 10 stages).
"$render" --plugin "$module" --param LFreq=norm:0.5 --param PLFreq=norm:0.25 --param PRFreq=norm:0.75 \
    --param PFB=norm:0.5 --param PModD=norm:0.75 --param PSM=norm:0.5 --param PMix=norm:0.75 --param LQM=0 \
    "$work/in.wav" "$work/vst.wav"
LV2_PATH="$lv2dir" lv2apply -i "$work/in.wav" -o "$work/lv2.wav" -c lfo_frequency 5 \
    -c left_frequency 625 -c right_frequency 5625 -c feedback 0.474999994 -c depth 0.5625 \
    -c stages 10 -c mix 0.75 -c lfo_quad_mode 0 urn:corvane:phaser

sox "$work/vst.wav" -t f32 "$work/vst.raw"
sox "$work/lv2.wav" -t f32 "$work/lv2.raw"
sox "$work/in.wav" -t f32 "$work/in.raw"
if cmp -s "$work/in.raw" "$work/vst.raw"; then
    echo "lv2apply-render: the settings leave the input unchanged; nothing is compared" >&2
    exit 1
fi
if ! cmp "$work/vst.raw" "$work/lv2.raw"; then
    sox -m -v 1 "$work/vst.wav" -v -1 "$work/lv2.wav" -n stat 2>&1 | grep -i 'maximum amplitude' >&2
    exit 1
fi
echo "lv2apply and corvane-render: $(stat -c %s "$work/lv2.raw") bytes of samples, the same bits"

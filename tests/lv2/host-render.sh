#!/usr/bin/env bash
# An LV2 host beside lilv renders the LV2 edition to the same samples as corvane-render renders
# the VST edition at the same settings.
#   bash host-render.sh HOST LV2_DIR CORVANE_RENDER VST_MODULE
# HOST: lv2apply (no features at all), lv2file (connects the control ports after activating),
# gstreamer (its LV2 bridge makes an element of the stereo groups), gstreamer-defaults (the
# element at the bundle's defaults).
set -euo pipefail
host=$1
lv2dir=$(realpath "$2") # lilv and the GStreamer bridge need an absolute path
render=$3
module=$4
uri=urn:corvane:phaser
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

sox -n -r 44100 -c 2 -e floating-point -b 32 "$work/in.wav" synth 3 sine 110 sine 330 vol 0.6

# The same settings twice: normalised for the VST edition, in the ports' units for LV2
# (0.5 -> 5 Hz, 0.25 -> 625 Hz, 0.75 -> 5625 Hz, feedback 0.95f * 0.5, depth 0.75^2 octaves,
# 0.5 -> 10 stages).
vst_settings=(--param LFreq=norm:0.5 --param PLFreq=norm:0.25 --param PRFreq=norm:0.75
    --param PFB=norm:0.5 --param PModD=norm:0.75 --param PSM=norm:0.5 --param PMix=norm:0.75
    --param LQM=0)
ports=(lfo_frequency=5 left_frequency=625 right_frequency=5625 feedback=0.474999994 depth=0.5625
    stages=10 mix=0.75 lfo_quad_mode=0)

# GStreamer's element: properties are the port symbols with '-' for '_'; it starts toggles at
# false whatever the bundle's default, so a pipeline sets them itself.
gst_render() {
    local properties=(enabled=true "$@")
    GST_REGISTRY="$work/registry.bin" LV2_PATH="$lv2dir" gst-launch-1.0 -q \
        filesrc location="$work/in.wav" ! wavparse ! audioconvert \
        ! urn-corvane-phaser "${properties[@]//_/-}" \
        ! wavenc ! filesink location="$work/lv2.wav"
}

case "$host" in
lv2apply)
    "$render" --plugin "$module" "${vst_settings[@]}" "$work/in.wav" "$work/vst.wav"
    controls=()
    for p in "${ports[@]}"; do controls+=(-c "${p%%=*}" "${p#*=}"); done
    LV2_PATH="$lv2dir" lv2apply -i "$work/in.wav" -o "$work/lv2.wav" "${controls[@]}" "$uri"
    ;;
lv2file)
    "$render" --plugin "$module" "${vst_settings[@]}" "$work/in.wav" "$work/vst.wav"
    parameters=()
    for p in "${ports[@]}"; do parameters+=(-p "${p%%=*}:${p#*=}"); done
    LV2_PATH="$lv2dir" lv2file -i "$work/in.wav" -o "$work/lv2.wav" "${parameters[@]}" "$uri" \
        >/dev/null
    ;;
gstreamer)
    "$render" --plugin "$module" "${vst_settings[@]}" "$work/in.wav" "$work/vst.wav"
    gst_render "${ports[@]}"
    ;;
gstreamer-defaults)
    listing=$(GST_REGISTRY="$work/registry.bin" LV2_PATH="$lv2dir" gst-inspect-1.0 \
        urn-corvane-phaser)
    controls=$(grep -c 'controllable' <<<"$listing" || true)
    presets=$(sed -n '/^Presets:/,$p' <<<"$listing" | grep -c '^  "' || true)
    echo "gst-inspect-1.0 lists the element: $controls controls, $presets presets"
    if [ "$controls" -ne 13 ] || [ "$presets" -ne 32 ]; then
        echo "host-render: expected 13 controls and the 32 factory presets" >&2
        exit 1
    fi
    "$render" --plugin "$module" "$work/in.wav" "$work/vst.wav"
    gst_render lfo_quad_mode=true
    ;;
*)
    echo "host-render: unknown host '$host'" >&2
    exit 2
    ;;
esac

sox "$work/vst.wav" -t f32 "$work/vst.raw"
sox "$work/lv2.wav" -t f32 "$work/lv2.raw"
sox "$work/in.wav" -t f32 "$work/in.raw"
if cmp -s "$work/in.raw" "$work/vst.raw"; then
    echo "host-render: the settings leave the input unchanged; nothing is compared" >&2
    exit 1
fi
if ! cmp "$work/vst.raw" "$work/lv2.raw"; then
    sox -m -v 1 "$work/vst.wav" -v -1 "$work/lv2.wav" -n stat 2>&1 | grep -i 'maximum amplitude' >&2
    exit 1
fi
echo "$host and corvane-render: $(stat -c %s "$work/lv2.raw") bytes of samples, the same bits"

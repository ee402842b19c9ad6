#!/usr/bin/env bash
# The bundle as the LV2 tools see it: `bash check-bundle.sh BUNDLE_DIR`.
# 1. sord_validate over the LV2 schemas (lv2-dev) with and without the bundle's Turtle: our
#    files add no error.
# 2. The DSP binary depends on no display library (hosts may load it where no display exists).
# 3. The 32 factory programs are presets lilv finds.
set -euo pipefail
bundle=$1
schemas=(/usr/lib/lv2/*.lv2/*.ttl)
count() { sord_validate -l "$@" 2>&1 | grep -c '^error' || true; }
before=$(count "${schemas[@]}")
after=$(count "${schemas[@]}" "$bundle"/*.ttl)
echo "sord_validate: $before errors in the schemas alone, $after with the bundle"
if [ "$after" -ne "$before" ]; then
    sord_validate -l "${schemas[@]}" "$bundle"/*.ttl 2>&1 | grep '^error' | grep -v -F -f <(
        sord_validate -l "${schemas[@]}" 2>&1 | grep '^error') >&2 || true
    echo "check-bundle: the bundle's Turtle adds $((after - before)) errors" >&2
    exit 1
fi

needed=$(readelf -d "$bundle/CorvanePhaser.so" | grep NEEDED)
echo "$needed"
if grep -qE 'lib(X11|xcb|cairo)' <<<"$needed"; then
    echo "check-bundle: the DSP binary links a display library" >&2
    exit 1
fi

# 3. The factory bank is in the bundle, as lilv lists it.
presets=$(LV2_PATH=$(cd "$(dirname "$bundle")" && pwd) lv2info urn:corvane:phaser |
    awk '/^\tPresets:/ { on = 1; next } on && /^\t         / { n++; next } { on = 0 } END { print n + 0 }')
echo "presets: $presets"
if [ "$presets" -ne 32 ]; then
    echo "check-bundle: $presets factory presets in the bundle, not 32" >&2
    exit 1
fi

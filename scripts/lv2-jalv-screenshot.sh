#!/usr/bin/env bash
# The LV2 editor in a real host: jalv.gtk3 with a dummy JACK server inside a virtual X server.
# Loads the bundle from the build tree, clicks "Sync Enabled" in the embedded panel and writes
# docs/panel-lv2-jalv.png. Needs jalv, jackd2, xvfb, xdotool and imagemagick (Debian).
#   bash scripts/lv2-jalv-screenshot.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."

# Inside the virtual X server: jackd, jalv, the click and the capture into $2.
if [ "${1:-}" = "--inside" ]; then
    build=$2
    shot=$3
    jackd -d dummy -r 48000 -p 256 >/dev/null 2>&1 &
    jack=$!
    sleep 2
    LV2_PATH="$build/lv2" jalv.gtk3 urn:corvane:phaser >/dev/null 2>&1 &
    jalv=$!
    sleep 5
    xdotool search --sync --name "Corvane Phaser" windowmove 0 0 >/dev/null
    sleep 1
    xdotool mousemove 157 79 click 1 # "Sync Enabled", 25 pixels below jalv's menu bar
    sleep 1
    import -window root "$shot"
    kill "$jalv"
    sleep 1
    kill "$jack"
    wait || true
    exit 0
fi

build=$(realpath "${1:-build/release}")
shot=$(mktemp --suffix=.png)
trap 'rm -f "$shot"' EXIT
xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" --inside "$build" "$shot"
convert "$shot" -crop 391x373+0+0 +repage docs/panel-lv2-jalv.png
echo "docs/panel-lv2-jalv.png"

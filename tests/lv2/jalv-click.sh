#!/usr/bin/env bash
# The LV2 editor in a real host: jalv.gtk3 on a dummy JACK server inside a virtual X server
# loads the bundle and embeds the panel; a click on "Sync Enabled" must redraw its box, and jalv
# must run on. With SHOT, the panel after the click is saved there (the README's picture).
#   bash jalv-click.sh LV2_DIR [SHOT.png]
set -euo pipefail

# The box and its label: 40 x 16 pixels around the click.
box=40x16+137+71

# Inside the virtual X server: jackd, jalv, the screen before and after the click.
if [ "${1:-}" = "--inside" ]; then
    lv2=$2 work=$3
    # A server of its own, so another JACK server on the machine (a parallel test, a user's) is
    # left alone; a fixed name, as JACK keeps a dead server's slot (of eight) until a server of
    # the same name starts again.
    export JACK_DEFAULT_SERVER=corvane-jalv-test
    jackd --no-realtime -d dummy -r 48000 -p 256 >"$work/jackd.log" 2>&1 &
    jack=$!
    sleep 1
    LV2_PATH=$lv2 jalv.gtk3 urn:corvane:phaser >"$work/jalv.log" 2>&1 &
    jalv=$!
    trap 'kill $jalv $jack 2>/dev/null || true; wait || true' EXIT
    window=$(timeout 30 xdotool search --sync --name "Corvane Phaser" | head -1)
    xdotool windowmove "$window" 0 0
    # Until the panel is drawn and still: the box's spot shows more than a plain background and
    # two captures in a row agree (a loaded machine may take seconds).
    for _ in $(seq 40); do
        sleep 0.5
        import -window root "$work/now.png"
        if [ "$(convert "$work/now.png[$box]" -format %k info:)" -gt 2 ] && [ -f "$work/before.png" ] &&
            [ "$(compare -metric AE "$work/before.png" "$work/now.png" null: 2>&1 || true)" = 0 ]; then
            break
        fi
        mv "$work/now.png" "$work/before.png"
    done
    xdotool mousemove 157 79 click 1 # "Sync Enabled", below jalv's menu bar
    for _ in $(seq 20); do
        sleep 0.5
        import -window root "$work/after.png"
        [ "$(compare -metric AE "$work/before.png[$box]" "$work/after.png[$box]" null: 2>&1 ||
            true)" = 0 ] || break
    done
    kill -0 "$jalv" || { echo "jalv-click: jalv ended after the click" >&2; exit 1; }
    exit 0
fi

lv2=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if ! xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" --inside "$lv2" "$work"; then
    cat "$work/jalv.log" >&2
    exit 1
fi
changed=$(compare -metric AE "$work/before.png[$box]" "$work/after.png[$box]" null: 2>&1 || true)
echo "jalv-click: $changed pixels of the box changed"
if ! [ "$changed" -gt 0 ] 2>/dev/null; then
    echo "jalv-click: the panel did not redraw the box after the click" >&2
    exit 1
fi
if [ -n "${2:-}" ]; then
    convert "$work/after.png" -crop 391x373+0+0 +repage "$2"
fi

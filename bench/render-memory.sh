#!/usr/bin/env bash
# Peak memory of corvane-render against the length of the audio: renders the built-in demo
# (generated input, stereo output) for 10 minutes and for an hour, and prints the peak resident
# size of each (/usr/bin/time -v). The render streams, so the hour must not need more than the
# ten minutes: the script fails when it takes more than 8 MB beyond them.
#   bash bench/render-memory.sh [BUILD_DIR]      (default build/release)
set -euo pipefail
build=${1:-build/release}
render="$build/tools/render/corvane-render"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

peak_kb() {
    /usr/bin/time -v "$render" --plugin "$build/CorvanePhaser.so" --seconds "$1" \
        "$work/out.wav" 2>&1 >/dev/null | awk '/Maximum resident set size/ { print $NF }'
    rm -f "$work/out.wav"
}

short=$(peak_kb 600)
long=$(peak_kb 3600)
echo "corvane-render peak resident size: 10 minutes ${short} kB, 1 hour ${long} kB"
if [ "$long" -gt $((short + 8192)) ]; then
    echo "render-memory: the hour takes $((long - short)) kB more than ten minutes" >&2
    exit 1
fi

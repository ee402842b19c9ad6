#!/usr/bin/env bash
# Qtractor's plug-in scanner (run by Qtractor on every CLAP file it finds) lists the binary: the
# plug-in's name, 2 audio inputs and 2 outputs, one MIDI input and 13 parameters.
#   bash tests/clap/qtractor-scan.sh BINARY [SCANNER]
set -euo pipefail
binary=$(realpath "$1")
scanner=${2:-/usr/lib/x86_64-linux-gnu/qtractor/qtractor_plugin_scan}
line=$(echo "CLAP:$binary" | timeout 60 "$scanner")
echo "$line"
if [[ "$line" != "CLAP|Corvane Phaser|2:2|1:0|13:0|"*"|$binary|0|"* ]]; then
    echo "qtractor-scan: Qtractor does not list the plug-in as expected" >&2
    exit 1
fi

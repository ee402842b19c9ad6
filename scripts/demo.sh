#!/usr/bin/env bash
# The main job: build, then render the demo through the plug-in.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release
ctest --preset release -R 'Phaser' >/dev/null && echo "DSP smoke run passed"

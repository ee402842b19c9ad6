#!/usr/bin/env bash
# The LV2 editor in a real host, for the README's picture: jalv.gtk3 with a dummy JACK server
# inside a virtual X server loads the bundle from the build tree, takes a click on "Sync
# Enabled" (the test Lv2Tools.JalvShowsTheEditorAndTakesAClick) and the panel goes to
# docs/panel-lv2-jalv.png.   bash scripts/lv2-jalv-screenshot.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
bash tests/lv2/jalv-click.sh "${1:-build/release}/lv2" docs/panel-lv2-jalv.png
echo "docs/panel-lv2-jalv.png"

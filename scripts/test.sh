#!/usr/bin/env bash
# Builds everything and runs every test: `bash scripts/test.sh [preset]`.
# Presets: release (default), asan (address + undefined behaviour), tsan (threads).
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-release}"

bash scripts/setup.sh
# ON whatever an install build left in the cache.
cmake --preset "$preset" -DBUILD_TESTING=ON >/dev/null
cmake --build --preset "$preset"
ctest --preset "$preset"

#!/usr/bin/env bash
# Release packages into out/packages/: `bash scripts/package.sh`
#   corvane-phaser_<version>_amd64.deb and corvane-phaser-<version>-Linux.tar.gz (cpack over the
#     release build: the three editions, corvane-render, the factory presets)
#   corvane-phaser-<version>-windows.zip: x64/ and x86/CorvanePhaser.dll and CorvanePhaser.clap
#     (presets windows and windows32), the factory bank and a README.txt for Windows users
set -euo pipefail
cd "$(dirname "$0")/.."
# The changelog's date: the last commit's, so the same sources give the same packages.
export SOURCE_DATE_EPOCH="${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || date +%s)}"
out=$PWD/out/packages
rm -rf "$out"
mkdir -p "$out"

bash scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release
(cd build/release && cpack -B "$out/cpack" >/dev/null)
mv "$out"/cpack/*.deb "$out"/cpack/*.tar.gz "$out"/
rm -rf "$out/cpack"

missing=()
for p in g++-mingw-w64-x86-64 g++-mingw-w64-i686; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -ne 0 ]; then
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO="sudo"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends \
        -o DPkg::Lock::Timeout=600 "${missing[@]}" >&2
fi
version=$(sed -nE 's/^project\(CorvanePhaser VERSION ([0-9.]+).*/\1/p' CMakeLists.txt)
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
top="corvane-phaser-$version-windows"
declare -A folder=([windows]=x64 [windows32]=x86)
for preset in windows windows32; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" --target CorvanePhaser CorvanePhaserClap
    mkdir -p "$stage/$top/${folder[$preset]}"
    cp "build/$preset/CorvanePhaser.dll" "build/$preset/clap/CorvanePhaser.clap" \
        "$stage/$top/${folder[$preset]}/"
done
if [ -f build/release/presets/factory/CorvanePhaser-Factory.fxb ]; then
    mkdir -p "$stage/$top/presets"
    cp build/release/presets/factory/*.fx[bp] "$stage/$top/presets/"
fi
sed 's/$/\r/' cmake/package/README-windows.txt >"$stage/$top/README.txt"
(cd "$stage" && cmake -E tar cf "$out/$top.zip" --format=zip "$top")
ls -l "$out"

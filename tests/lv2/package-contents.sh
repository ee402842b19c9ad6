#!/usr/bin/env bash
# The release packages of this build: cpack makes the Debian package and the .tar.gz; the
# Debian package holds the three editions and corvane-render where Linux hosts look (and the factory
# bank and its 32 programs when the build made them), nothing outside /usr; unpacked into a scratch root, lilv
# finds the bundle there. The .tar.gz carries its README.txt at the top. With LINTIAN given,
# lintian finds no error in the Debian package (its warnings are printed).
#   bash package-contents.sh BUILD_DIR [LINTIAN]
set -euo pipefail
build=$1
lintian=${2:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

(cd "$build" && cpack -B "$work" >/dev/null)
deb=$(ls "$work"/*.deb)
archive=$(ls "$work"/*.tar.gz)
dpkg --contents "$deb" | awk '{print $6}' | sed 's|^\./|/|' | grep -v '/$' | sort >"$work/files"

expected=(
    /usr/bin/corvane-render
    /usr/lib/vst/CorvanePhaser.so
    /usr/lib/lv2/CorvanePhaser.lv2/manifest.ttl
    /usr/lib/lv2/CorvanePhaser.lv2/CorvanePhaser.ttl
    /usr/lib/lv2/CorvanePhaser.lv2/CorvanePhaser.so
    /usr/lib/lv2/CorvanePhaser.lv2/CorvanePhaserUI.ttl
    /usr/lib/lv2/CorvanePhaser.lv2/CorvanePhaserUI.so
    /usr/lib/clap/CorvanePhaser.clap
)
factory=false
if [ -f "$build/presets/factory/CorvanePhaser-Factory.fxb" ]; then
    factory=true
    expected+=(/usr/share/corvane-phaser/presets/CorvanePhaser-Factory.fxb
        /usr/lib/lv2/CorvanePhaser.lv2/presets.ttl)
fi
status=0
for file in "${expected[@]}"; do
    grep -qxF "$file" "$work/files" || { echo "package-contents: $file is missing" >&2; status=1; }
done
programs=$(dpkg --contents "$deb" | grep -c '/usr/share/corvane-phaser/presets/.*\.fxp$' || true)
if $factory && [ "$programs" -ne 32 ]; then
    echo "package-contents: $programs factory programs (.fxp), not 32" >&2
    status=1
fi
if grep -v '^/usr/' "$work/files"; then
    echo "package-contents: files outside /usr" >&2
    status=1
fi

top=$(basename "$archive" .tar.gz)
tar -tzf "$archive" >"$work/archive"
grep -qx "$top/README.txt" "$work/archive" ||
    { echo "package-contents: $top/README.txt is missing from the archive" >&2; status=1; }
if [ -n "$lintian" ]; then
    # Exit status non-zero on any error; warnings and notes are shown, not failed on.
    "$lintian" --fail-on error --tag-display-limit 0 "$deb" || status=1
fi

dpkg-deb -x "$deb" "$work/root"
info=$(LV2_PATH="$work/root/usr/lib/lv2" lv2info urn:corvane:phaser)
grep -q "Binary: *file://$work/root/usr/lib/lv2/CorvanePhaser.lv2/CorvanePhaser.so" <<<"$info" ||
    { echo "package-contents: lilv does not find the unpacked bundle" >&2; status=1; }
echo "$(wc -l <"$work/files") files in $(basename "$deb")"
exit $status

#!/usr/bin/env bash
# The layers, checked three ways: `bash scripts/check-layers.sh [BUILD_DIR]`.
# 1. Folders: prints which folders of src/ each folder includes and fails when one includes a
#    folder that is not below it (the layers run one way, so there is no include loop).
# 2. Targets: configures build/check-layers (no build) and reads what each library and binary
#    links (cmake --graphviz) and which target's files each source includes (compile commands):
#    a target reaches only the groups below it, and nothing under the LV2 DSP binary or the
#    engine reaches X11 or cairo.
# 3. Binaries, when BUILD_DIR (default build/release) holds them: the engine and core libraries
#    leave no X11 or cairo symbol undefined, the LV2 DSP binary needs no display library and the
#    LV2 UI binary holds none of the engine's processing.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
built=${1:-$root/build/release}
cd "$root/src"

layers=(base platform midi services dsp modulators parameters model host gui phaser lv2 clap)
status=0
for ((i = 0; i < ${#layers[@]}; i++)); do
    folder=${layers[i]}
    [ -d "$folder" ] || continue
    below=" ${layers[*]:0:i} "
    used=$(grep -rhoE '^#include "[a-z0-9]+/' "$folder" | sed -E 's/#include "([a-z0-9]+)\//\1/' |
        sort -u | grep -vx "$folder" | tr '\n' ' ' || true)
    echo "$folder: ${used:-(nothing)}"
    for dependency in $used; do
        if [[ "$below" != *" $dependency "* ]]; then
            echo "check-layers: $folder includes $dependency, which is not below it" >&2
            status=1
        fi
    done
done
for folder in */; do
    folder=${folder%/}
    if [[ " ${layers[*]} " != *" $folder "* ]]; then
        echo "check-layers: src/$folder is not in the layer order" >&2
        status=1
    fi
done

# 2. What each target may not reach; "display" is X11 or cairo.
forbidden=(
    "corvane_core: corvane_parameters corvane_engine corvane_ui corvane_vst corvane_lv2 display"
    "corvane_parameters: corvane_engine corvane_ui corvane_vst corvane_lv2 display"
    "corvane_engine: corvane_ui corvane_vst corvane_lv2 display"
    "corvane_ui: corvane_engine corvane_vst corvane_lv2"
    "corvane_vst: corvane_lv2"
    "corvane_lv2_ports: corvane_engine corvane_ui corvane_vst corvane_lv2 display"
    "corvane_lv2: corvane_ui corvane_vst display"
    "CorvanePhaserLv2: corvane_ui corvane_vst display"
    "CorvanePhaserLv2UI: corvane_engine corvane_lv2 corvane_vst"
    "CorvanePhaserClap: corvane_lv2 corvane_vst"
)
work=$root/build/check-layers
echo "== targets (configured in ${work#"$root"/})"
cmake -S "$root" -B "$work" -DCMAKE_BUILD_TYPE=Release -DCORVANE_BUILD_TESTS=OFF \
    -DCORVANE_BUILD_BENCH=OFF --graphviz="$work/graph/targets.dot" >"$work.log" 2>&1 || {
    cat "$work.log" >&2
    exit 1
}
# Source file and target of every compile command under src/.
command='s|.*-o CMakeFiles/([^ ]+)\.dir/[^ ]+ -c ([^ "]+)".*|\1 \2|p'
sed -nE "$command" "$work/compile_commands.json" |
    grep " $root/src/" | sed "s| $root/src/| |" >"$work/sources.txt"
while read -r target file; do
    grep -hoE '^#include "[a-z0-9]+/[^"]+"' "$file" | sed -E "s/^#include \"(.*)\"/$target \1/"
done <"$work/sources.txt" >"$work/includes.txt"

awk -v rules="$(printf '%s\n' "${forbidden[@]}")" '
FILENAME ~ /\.dot$/ && /\[ label = / {
    match($0, /"node[0-9]+"/); node = substr($0, RSTART + 1, RLENGTH - 2)
    match($0, /label = "[^"]+"/); name[node] = substr($0, RSTART + 9, RLENGTH - 10)
}
FILENAME ~ /\.dot$/ && / -> / {
    split($0, ends, "\""); links[ends[2]] = links[ends[2]] " " ends[4]
}
FILENAME ~ /sources\.txt$/ {
    owner[$2] = $1; sub(/\/[^\/]*$/, "", $2)
    if (!($2 in folder)) folder[$2] = $1; else if (folder[$2] != $1) folder[$2] = "(mixed)"
}
FILENAME ~ /includes\.txt$/ { include[++includes] = $0 }
function reach(node, seen,    parts, i) {
    if ((node, seen) in visited) return
    visited[node, seen] = 1; reached[seen] = reached[seen] " " name[node] " "
    split(links[node], parts, " ")
    for (i in parts) reach(parts[i], seen)
}
END {
    for (node in name) id[name[node]] = node
    count = split(rules, lines, "\n"); failed = 0
    for (r = 1; r <= count; r++) {
        split(lines[r], words, ": "); target = words[1]
        if (!(target in id)) continue
        reach(id[target], target)
        direct = ""; split(links[id[target]], parts, " ")
        for (i in parts) direct = direct " " name[parts[i]]
        printf "%s links:%s\n", target, direct
        split(words[2], bad, " ")
        for (b in bad) {
            n = split(reached[target], all, " ")
            for (k = 1; k <= n; k++) {
                display = all[k] ~ /[Cc][Aa][Ii][Rr][Oo]|X11|XLIB/
                if (bad[b] == "display" ? display : all[k] == bad[b]) {
                    printf "check-layers: %s reaches %s\n", target, all[k] > "/dev/stderr"
                    failed = 1
                }
            }
        }
    }
    # A source includes only files of its own target or of targets it links.
    for (i = 1; i <= includes; i++) {
        split(include[i], part, " "); target = part[1]; header = part[2]
        stem = header; sub(/\.[a-z]+$/, ".cpp", stem); dir = header; sub(/\/[^\/]*$/, "", dir)
        from = stem in owner ? owner[stem] : (dir in folder ? folder[dir] : "")
        if (from == "" || from == "(mixed)" || from == target || !(target in id)) continue
        reach(id[target], target)
        if (index(reached[target], " " from " ") == 0 && !((target, from) in told)) {
            told[target, from] = 1; failed = 1
            printf "check-layers: %s includes %s (%s), which it does not link\n",
                target, header, from > "/dev/stderr"
        }
    }
    exit failed
}' "$work/graph/targets.dot" "$work/sources.txt" "$work/includes.txt" || status=1

# 3. The built binaries.
engine=$built/src/libcorvane_engine.a
if [ -f "$engine" ]; then
    echo "== binaries (${built#"$root"/})"
    for library in "$built"/src/libcorvane_{core,parameters}.a "$engine"; do
        display=$(nm -u "$library" 2>/dev/null | awk '$2 ~ /^(cairo_|X[A-Z])/ {print $2}' | sort -u)
        echo "${library##*/}: ${display:-no X11 or cairo symbol undefined}"
        [ -z "$display" ] || status=1
    done
    bundle=$built/lv2/CorvanePhaser.lv2
    if [ -f "$bundle/CorvanePhaser.so" ]; then
        needed=$(readelf -d "$bundle/CorvanePhaser.so" | sed -nE 's/.*NEEDED.*\[(.*)\]/\1/p' |
            tr '\n' ' ')
        echo "LV2 DSP binary needs: $needed"
        if grep -qE 'lib(X11|xcb|cairo)' <<<"$needed"; then
            echo "check-layers: the LV2 DSP binary needs a display library" >&2
            status=1
        fi
    fi
    if [ -f "$bundle/CorvanePhaserUI.so" ]; then
        # The editor mirrors the ports through parameters made from the table: of the DSP
        # classes it may hold only their parameter policies (a transform's Convert, a display's
        # Format and its texts), never a setter, a smoother, a glide or any processing. The panel's
        # own names contain "Phaser" too.
        symbols=$(nm -C --defined-only "$bundle/CorvanePhaserUI.so")
        named=$(grep -c -E 'Phaser|GlideSet|QuadratureLfo' <<<"$symbols" || true)
        engine=$(grep -E 'Kestrune::(Effects|Modulators)::|Smoother|Glide|Oscillator|PhaserEngine|CorvanePhaser(Model|Parameters)' \
            <<<"$symbols" | grep -v -E '(Transform::Convert|Display::Format)\(|\(anonymous namespace\)::k[A-Za-z]+Texts$|NearestNormalised<' || true)
        echo "LV2 UI binary: $named symbols naming Phaser, GlideSet or QuadratureLfo," \
            "$(grep -c . <<<"$engine" || true) of the engine's code"
        if [ -n "$engine" ]; then
            echo "check-layers: the LV2 UI binary holds the engine's code:" >&2
            head -5 <<<"$engine" >&2
            status=1
        fi
    fi
fi
exit $status

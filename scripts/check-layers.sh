#!/usr/bin/env bash
# Prints which folders of src/ each folder includes and fails when one includes a folder that is
# not below it: the layers run one way, so there is no include loop. `bash scripts/check-layers.sh`
set -euo pipefail
cd "$(dirname "$0")/../src"

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
exit $status

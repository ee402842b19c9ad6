#!/usr/bin/env bash
# Builds the fuzz preset (clang, libFuzzer, address and undefined-behaviour sanitizers with
# float-to-integer overflow) and runs each fuzz target for SECONDS (default 60), one after the
# other, over a temporary copy of its seed corpus in fuzz/corpus/<target>/, so nothing new is
# written into the repository. Fails when any target finds a crash, leak, timeout or broken
# check; the input that did it is kept in build/fuzz/artifacts/. Usage: bash scripts/fuzz.sh
# [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
targets=(fuzz_chunks fuzz_dispatcher fuzz_events fuzz_preset_file fuzz_lv2_atoms fuzz_clap_events)

bash scripts/setup.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

artifacts="$PWD/build/fuzz/artifacts"
mkdir -p "$artifacts"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

failed=()
for target in "${targets[@]}"; do
    corpus="$work/corpus/$target"
    mkdir -p "$corpus"
    cp fuzz/corpus/"$target"/* "$corpus"/
    log="$work/$target.log"
    echo "== $target: ${seconds} s" >&2
    if ! build/fuzz/fuzz/"$target" -max_total_time="$seconds" -max_len=4096 -timeout=30 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$artifacts/$target-" "$corpus" >"$log" 2>&1; then
        tail -n 60 "$log" >&2
        failed+=("$target")
        continue
    fi
    # libFuzzer's last status line (executions, coverage as cov and ft) and its closing lines.
    grep -aE '^#[0-9]+ .*cov: ' "$log" | tail -n 1 >&2 || true
    grep -aE '^Done [0-9]+ runs|stat::peak_rss_mb' "$log" >&2 || true
done

if [ ${#failed[@]} -ne 0 ]; then
    echo "fuzz.sh: failures in ${failed[*]}; inputs in $artifacts" >&2
    exit 1
fi
echo "fuzz.sh: ${#targets[@]} targets ran ${seconds} s each without a failure" >&2

#!/usr/bin/env bash
# Prints the automation and session benchmarks (bench/AutomationBench.cpp) as one table: the
# medians of REPS repetitions (default 5) of each figure. Build the release preset first:
#   cmake --preset release && cmake --build --preset release --target corvane_bench
#   bash scripts/bench-table.sh            # REPS=9 bash scripts/bench-table.sh for steadier medians
set -euo pipefail
cd "$(dirname "$0")/.."
bench=build/release/bench/corvane_bench
if [ ! -x "$bench" ]; then
    echo "bench-table: $bench not built (cmake --build --preset release --target corvane_bench)" >&2
    exit 1
fi
json=$(mktemp)
trap 'rm -f "$json"' EXIT
"$bench" --benchmark_filter='^Plugin(Automation|Session)/' \
    --benchmark_repetitions="${REPS:-5}" --benchmark_report_aggregates_only=true \
    --benchmark_format=json >"$json"

python3 - "$json" <<'EOF'
import json, re, sys

runs = [r for r in json.load(open(sys.argv[1]))["benchmarks"]
        if r.get("aggregate_name") == "median"]

def arg(run, name):
    return int(re.search(name + r":(\d+)", run["name"]).group(1))

print("| case | stages | block | automated ns/frame | settled ns/frame | bound ns/frame "
      "| settled/bound | automated/settled |")
print("|---|---:|---:|---:|---:|---:|---:|---:|")
for r in runs:
    if r["name"].startswith("PluginAutomation/"):
        case = "four jumping 0.2/0.8" if arg(r, "jumps") else "one instance"
        print(f"| {case} | {arg(r, 'stages')} | {arg(r, 'block')} | {r['ns/frame']:.2f} "
              f"| {r['settled ns']:.2f} | {r['bound ns']:.2f} | {r['settled/bound']:.3f} "
              f"| {r['auto/settled']:.3f} |")
print()
print("| session (32 instances, block 128, wheel every 64 frames) | stages "
      "| automated ns/frame/instance | settled ns/frame/instance | automated/settled "
      "| automated core % at 48 kHz | settled core % at 48 kHz |")
print("|---|---:|---:|---:|---:|---:|---:|")
for r in runs:
    if r["name"].startswith("PluginSession/"):
        print(f"| session | {arg(r, 'stages')} | {r['ns/frame']:.2f} | {r['settled ns']:.2f} "
              f"| {r['auto/settled']:.3f} | {r['core %']:.1f} | {r['settled core %']:.1f} |")
EOF

#!/usr/bin/env bash
# Builds CorvanePhaser.dll and CorvanePhaser.clap with mingw-w64 for 64-bit Windows (preset
# windows) and for 32-bit Windows (preset windows32) and tests both under Wine: for each, the unit
# tests, the Win32 test host (tests/windows/WinHost.cpp), the CLAP test host (WinClapHost.cpp:
# the .clap renders the DLL's bits), and a byte-for-byte comparison of the host's render with the
# Linux build's render of the same scenario. `bash scripts/windows-test.sh` from a fresh Debian 12
# machine; exits non-zero when anything fails for either. One Wine prefix serves both; it lives in
# build/windows/wineprefix only while the script runs.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$root/build/windows
presets=(windows windows32)
declare -A objdump=([windows]=x86_64-w64-mingw32-objdump [windows32]=i686-w64-mingw32-objdump)
declare -A format=([windows]="(PE32+)" [windows32]="(PE32)")
xvfb=(xvfb-run -a -s "-screen 0 1024x768x24")

step() { echo "== $* (at $((SECONDS - ${start:-0})) s)"; }

export WINEPREFIX=$build/wineprefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

# Waits (at most 100 s) for the test host's "editor panel at X,Y" line, then saves the screen
# area of the 391 x 348 panel to $3 while the host holds the editor open.
panel_shot() {
    local log=$1 pid=$2 out=$3 position="" x y
    for _ in $(seq 400); do
        position=$(tr -d '\r' <"$log" |
            sed -n 's/^editor panel at \([0-9]*\),\([0-9]*\)$/\1 \2/p')
        [ -n "$position" ] && break
        kill -0 "$pid" 2>/dev/null || return 1
        sleep 0.25
    done
    [ -n "$position" ] || return 1
    read -r x y <<<"$position"
    sleep 1
    mkdir -p "$(dirname "$out")"
    timeout 30 import -window root -crop "391x348+$x+$y" +repage "$out" &&
        echo "screenshot: $out (panel at $x,$y)"
}

# Inside the Xvfb session: prefix, unit tests, test host. Every Wine call is bounded.
if [ "${1:-}" = "--in-xvfb" ]; then
    start=$((-${2:-0})) # seconds the outer run had taken when it started this one
    step "Wine prefix"
    timeout 120 wineboot --init
    timeout 60 wineserver -w
    # Debian's Wine does not find its own fonts otherwise ("MS Sans Serif" falls back).
    cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
    timeout 60 wine regedit /S "$(winepath -w "$root/tests/windows/wine-settings.reg")"
    timeout 60 wineserver -w
    status=0
    for preset in "${presets[@]}"; do
        dir=$root/build/$preset
        # One suite per layer group that runs without a window system (tests/CMakeLists.txt).
        for suite in "$dir"/tests/corvane_*_tests.exe; do
            step "Unit tests ($preset: ${suite##*/})"
            timeout 300 wine "$suite" --gtest_brief=1 || status=1
        done
        rm -f "$dir/winhost.log"
        if [ "$preset" = windows ]; then
            step "Test host ($preset: WinHost.exe), holding the editor open 5 s for a screenshot"
            rm -f "$root/docs/panel-windows.png"
            (cd "$dir" && timeout 120 wine WinHost.exe CorvanePhaser.dll scenario-windows.f32 5000) \
                >"$dir/winhost.log" 2>&1 &
            host=$!
            panel_shot "$dir/winhost.log" "$host" "$root/docs/panel-windows.png" ||
                echo "windows-test: warning: no screenshot of the editor panel" >&2
            wait "$host" || status=1
        else
            step "Test host ($preset: WinHost.exe)"
            (cd "$dir" && timeout 120 wine WinHost.exe CorvanePhaser.dll scenario-windows.f32) \
                >"$dir/winhost.log" 2>&1 || status=1
        fi
        tr -d '\r' <"$dir/winhost.log"
        step "CLAP host ($preset: WinClapHost.exe)"
        (cd "$dir" && timeout 120 wine WinClapHost.exe CorvanePhaser.dll clap/CorvanePhaser.clap) \
            2>&1 | tr -d '\r' || status=1
        timeout 60 wineserver -w
    done
    exit $status
fi

start=$SECONDS
# wine32 (Debian's i386 package) runs the 32-bit programs beside wine64's 64-bit ones.
packages=(g++-mingw-w64-x86-64 g++-mingw-w64-i686 wine wine64 wine32:i386 fonts-wine xvfb xauth
          imagemagick googletest)
# The Linux build's packages (the Linux render is the reference).
bash scripts/setup.sh
source scripts/packages.sh
install_packages "${packages[@]}"

# The preset's architecture; exports exactly VSTPluginMain and main, undecorated (no
# _VSTPluginMain@4 on 32-bit); imports system DLLs only.
check_module() {
    local preset=$1 dll=$root/build/$1/CorvanePhaser.dll exports imports import
    "${objdump[$preset]}" -p "$dll" >"$dll.objdump"
    [ "$(awk '$1 == "Magic" {print $3}' "$dll.objdump")" = "${format[$preset]}" ] || {
        echo "windows-test: $preset CorvanePhaser.dll is not ${format[$preset]}" >&2
        return 1
    }
    exports=$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' "$dll.objdump" |
        awk '/\]/ && NR > 1 {print $NF}' | sort | tr '\n' ' ')
    imports=$(awk '/DLL Name:/ {print $3}' "$dll.objdump" | sort -u | tr '\n' ' ')
    echo "$preset exports: $exports"
    echo "$preset imports: $imports"
    [ "$exports" = "VSTPluginMain main " ] || [ "$exports" = "main VSTPluginMain " ] || {
        echo "windows-test: $preset CorvanePhaser.dll must export VSTPluginMain and main only" >&2
        return 1
    }
    for import in $imports; do
        case "${import^^}" in
        KERNEL32.DLL | MSVCRT.DLL | USER32.DLL | COMCTL32.DLL | GDI32.DLL) ;;
        *)
            echo "windows-test: $preset CorvanePhaser.dll imports $import, not a system DLL" >&2
            return 1
            ;;
        esac
    done
}

for preset in "${presets[@]}"; do
    step "Build ($preset)"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
    step "Exports and imports of $preset CorvanePhaser.dll"
    check_module "$preset"
    step "Exports of $preset CorvanePhaser.clap"
    clap_exports=$("${objdump[$preset]}" -p "$root/build/$preset/clap/CorvanePhaser.clap" |
        sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | awk '/\]/ && NR > 1 {print $NF}')
    [ "$clap_exports" = clap_entry ] || {
        echo "windows-test: $preset CorvanePhaser.clap must export clap_entry only" >&2
        exit 1
    }
done

step "Build (release: the Linux reference)"
cmake --preset release >/dev/null
cmake --build --preset release --target CorvanePhaser corvane_vst_tests

cleanup() {
    timeout 30 wineserver -k 2>/dev/null || true
    rm -rf "$WINEPREFIX"
}
trap cleanup EXIT
rm -rf "$WINEPREFIX" "$build/scenario-linux.f32"
for preset in "${presets[@]}"; do
    rm -f "$root/build/$preset/scenario-windows.f32"
done
status=0
timeout 600 "${xvfb[@]}" bash "$0" --in-xvfb "$((SECONDS - start))" 2>&1 | tee "$build/wine.log" || status=1

step "Linux render and byte-for-byte comparison with each Windows render"
CORVANE_SCENARIO_OUTPUT=$build/scenario-linux.f32 \
    timeout 120 build/release/tests/corvane_vst_tests --gtest_filter='RenderScenario.*' \
    --gtest_brief=1 || status=1
for preset in "${presets[@]}"; do
    render=$root/build/$preset/scenario-windows.f32
    if [ ! -f "$render" ]; then
        echo "windows-test: the $preset render is missing" >&2
        status=1
    elif cmp "$build/scenario-linux.f32" "$render"; then
        echo "$preset render identical to Linux: $(stat -c %s "$render") bytes"
    else
        # The test names the number of differing samples and the largest difference.
        CORVANE_SCENARIO_REFERENCE=$render timeout 120 build/release/tests/corvane_vst_tests \
            --gtest_filter='RenderScenario.*' --gtest_brief=1 || true
        status=1
    fi
done

for preset in "${presets[@]}"; do
    summary=$(tr -d '\r' <"$root/build/$preset/winhost.log" 2>/dev/null |
        grep -E '^[0-9]+ passed, [0-9]+ failed' | tail -n 1 || true)
    echo "== Windows test host ($preset): ${summary:-no summary line}"
    [ -n "$summary" ] || status=1
done
echo "== windows-test: $([ $status -eq 0 ] && echo passed || echo FAILED) in $((SECONDS - start)) s"
exit $status

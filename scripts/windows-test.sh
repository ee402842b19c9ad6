#!/usr/bin/env bash
# Builds CorvanePhaser.dll with mingw-w64 (preset windows) and tests it under Wine: the unit
# tests, the Win32 test host (tests/windows/WinHost.cpp), and a byte-for-byte comparison of the
# host's render with the Linux build's render of the same scenario. `bash scripts/windows-test.sh`
# from a fresh Debian 12 machine; exits non-zero when anything fails. The Wine prefix lives in
# build/windows/wineprefix only while the script runs.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$root/build/windows
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
    step "Unit tests (corvane_tests.exe)"
    timeout 300 wine "$build/tests/corvane_tests.exe" --gtest_brief=1 || status=1
    step "Test host (WinHost.exe), holding the editor open 5 s for a screenshot"
    rm -f "$build/winhost.log" "$root/docs/panel-windows.png"
    (cd "$build" && timeout 120 wine WinHost.exe CorvanePhaser.dll scenario-windows.f32 5000) \
        >"$build/winhost.log" 2>&1 &
    host=$!
    panel_shot "$build/winhost.log" "$host" "$root/docs/panel-windows.png" ||
        echo "windows-test: warning: no screenshot of the editor panel" >&2
    wait "$host" || status=1
    tr -d '\r' <"$build/winhost.log"
    timeout 60 wineserver -w
    exit $status
fi

start=$SECONDS
packages=(g++-mingw-w64-x86-64 wine wine64 fonts-wine xvfb xauth imagemagick googletest)
missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
    SUDO="sudo"
fi
# The Linux build's packages (the Linux render is the reference).
bash scripts/setup.sh
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}" >&2
    export DEBIAN_FRONTEND=noninteractive
    $SUDO apt-get update -qq
    $SUDO apt-get install -y -qq --no-install-recommends -o DPkg::Lock::Timeout=600 \
        "${missing[@]}" >&2
fi

step "Build (windows)"
cmake --preset windows >/dev/null
cmake --build --preset windows
step "Exports and imports of CorvanePhaser.dll"
x86_64-w64-mingw32-objdump -p "$build/CorvanePhaser.dll" >"$build/CorvanePhaser.objdump"
exports=$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' "$build/CorvanePhaser.objdump" |
    awk '/\]/ && NR > 1 {print $NF}' | sort | tr '\n' ' ')
imports=$(awk '/DLL Name:/ {print $3}' "$build/CorvanePhaser.objdump" | sort -u | tr '\n' ' ')
echo "exports: $exports"
echo "imports: $imports"
[ "$exports" = "VSTPluginMain main " ] || [ "$exports" = "main VSTPluginMain " ] || {
    echo "windows-test: CorvanePhaser.dll must export VSTPluginMain and main only" >&2
    exit 1
}
for dll in $imports; do
    case "${dll^^}" in
    KERNEL32.DLL | MSVCRT.DLL | USER32.DLL | COMCTL32.DLL | GDI32.DLL) ;;
    *)
        echo "windows-test: CorvanePhaser.dll imports $dll, not a system DLL" >&2
        exit 1
        ;;
    esac
done

step "Build (release: the Linux reference)"
cmake --preset release >/dev/null
cmake --build --preset release --target CorvanePhaser corvane_tests

cleanup() {
    timeout 30 wineserver -k 2>/dev/null || true
    rm -rf "$WINEPREFIX"
}
trap cleanup EXIT
rm -rf "$WINEPREFIX" "$build/scenario-windows.f32" "$build/scenario-linux.f32"
status=0
timeout 600 "${xvfb[@]}" bash "$0" --in-xvfb "$((SECONDS - start))" 2>&1 | tee "$build/wine.log" || status=1
summary=$(grep -E '^[0-9]+ passed, [0-9]+ failed' "$build/wine.log" | tail -n 1 || true)

step "Linux render and byte-for-byte comparison"
if [ -f "$build/scenario-windows.f32" ]; then
    CORVANE_SCENARIO_OUTPUT=$build/scenario-linux.f32 \
        CORVANE_SCENARIO_REFERENCE=$build/scenario-windows.f32 \
        timeout 120 build/release/tests/corvane_tests --gtest_filter='RenderScenario.*' \
        --gtest_brief=1 || status=1
    if cmp "$build/scenario-linux.f32" "$build/scenario-windows.f32"; then
        echo "renders identical: $(stat -c %s "$build/scenario-linux.f32") bytes"
    else
        status=1
    fi
else
    echo "windows-test: the Windows render is missing" >&2
    status=1
fi

echo "== Windows test host: ${summary:-no summary line}"
echo "== windows-test: $([ $status -eq 0 ] && echo passed || echo FAILED) in $((SECONDS - start)) s"
exit $status

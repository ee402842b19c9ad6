#!/usr/bin/env bash
# The CLAP edition in a real Qtractor (Debian's 0.9.31), headless: Qt's offscreen platform, a
# dummy JACK server of the check's own, an empty ALSA sequencer (qtractor-seq-stub.c through
# LD_PRELOAD; Qtractor's engine needs one and these machines have none). The session, written
# here, holds the plug-in on a stereo audio track with non-default settings (as its state) and a
# test-noise clip 1 s in; the Master outputs are recorded with jack_rec while the transport
# rolls and compared with corvane-render's render of the same noise and settings through the
# VST edition: equal to the bit. The sweep source is None, so the LFO's start phase plays no
# part. Qtractor loads the state after activating the plug-in; the plug-in takes what was set
# before its first process as its starting state, so the continuous settings among them are
# exact from the first sample rather than a glide (without that the recording stayed 1.9e-4
# from the render for the whole clip). Then Qtractor saves (SIGUSR1)
# and quits (SIGTERM); the saved session must keep the state and the values, and reopened it
# must sound the same.
# One line per check; exits non-zero on a failure, 0 with "skipped" when Qtractor, jackd or
# jack_rec are not installed (Debian: qtractor, jackd2). KEEP=1 keeps the scratch folder.
#   bash scripts/qtractor-clap-check.sh [BUILD_DIR]   BUILD_DIR: build/release by default
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-build/release}
for tool in qtractor jackd jack_rec jack_transport jack_lsp python3 cc; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool not installed"; exit 0; }
done
clap=$build/clap/CorvanePhaser.clap
vst=$build/CorvanePhaser.so
render=$build/tools/render/corvane-render
for file in "$clap" "$vst" "$render"; do
    [ -f "$file" ] || { echo "error: no $file (build CorvanePhaserClap, CorvanePhaser, corvane-render)" >&2; exit 2; }
done

work=$(mktemp -d /tmp/qtractor-clap-check.XXXXXX)
pids=()
jackd_pid=
cleanup() {
    for pid in "${pids[@]}"; do kill -KILL "$pid" 2>/dev/null || true; done
    # jackd on SIGTERM frees its slot among JACK's 8 server names; a killed one holds it.
    if [ -n "$jackd_pid" ]; then
        kill -TERM "$jackd_pid" 2>/dev/null || true
        for _ in $(seq 50); do kill -0 "$jackd_pid" 2>/dev/null || break; sleep 0.1; done
        kill -KILL "$jackd_pid" 2>/dev/null || true
    fi
    [ -n "${KEEP:-}" ] || rm -rf "$work"
}
trap cleanup EXIT
helper() { python3 "$here/qtractor-clap-check.py" "$@"; }

# Copies (the build may replace the binaries meanwhile), the sequencer stub, a private home for
# Qtractor's configuration (its messages logged to a file), the noise and the reference render.
cp "$clap" "$work/CorvanePhaser.clap"
cc -O2 -Wall -Wextra -Werror -shared -fPIC -o "$work/seq-stub.so" "$here/qtractor-seq-stub.c"
mkdir -p "$work/home/.config/rncbc.org"
cat >"$work/home/.config/rncbc.org/Qtractor.conf" <<CONF
[Options]
Display\\StdoutCapture=false
Logging\\MessagesLog=true
Logging\\MessagesLogPath=$work/messages.log
CONF
rate=48000
sox -R -n -r $rate -c 2 -b 32 -e floating-point "$work/noise.wav" synth 2 whitenoise synth 2 pinknoise gain -10
settings=(--param LMS=ModWh --param LSOn=On --param LSRes=1/8 --param LQM=Off --param PSM=8 --param PMS=None
    --param PFB=-9 --param PLFreq=700 --param PRFreq=3100 --param PMix=40)
# The values Qtractor must save: parameter id = value in the plug-in's units.
expected=(1=1 2=1 3=3 4=0 10=2 12=0) # 10: the stage mode's entry 2, 8 stages
"$render" --plugin "$vst" "${settings[@]}" --save-preset "$work/settings.fxp" "$work/noise.wav" "$work/reference.wav" >/dev/null
state=$(helper state "$work/settings.fxp")

cat >"$work/check.qtr" <<XML
<!DOCTYPE qtractorSession>
<session name="check" version="Qtractor 0.9.31">
 <properties><directory>$work</directory><sample-rate>$rate</sample-rate></properties>
 <devices>
  <audio-engine>
   <audio-bus name="Master" mode="duplex"><channels>2</channels><auto-connect>0</auto-connect></audio-bus>
  </audio-engine>
 </devices>
 <tracks>
  <track name="Phased" type="audio">
   <properties><input-bus>Master</input-bus><output-bus>Master</output-bus></properties>
   <state><mute>0</mute><solo>0</solo><record>0</record><monitor>0</monitor><gain>1</gain><panning>0</panning></state>
   <clips>
    <clip name="noise">
     <properties><name>noise</name><start>$rate</start><offset>0</offset><length>$((2 * rate))</length><gain>1</gain></properties>
     <audio-clip><filename>noise.wav</filename></audio-clip>
    </clip>
   </clips>
   <plugins>
    <plugin type="CLAP">
     <filename>$work/CorvanePhaser.clap</filename>
     <index>0</index>
     <activated>1</activated>
     <configs><config key="state">$state</config></configs>
    </plugin>
   </plugins>
  </track>
 </tracks>
</session>
XML

# One server name for the check, so a run that was killed leaves no stale slot (JACK reclaims a
# dead server's slot for its own name only); runs of the check take turns.
exec 9>/tmp/corvane-qtractor-check.lock
flock -w 300 9 || { echo "FAIL another qtractor-clap-check held the lock for 5 min"; exit 1; }
export JACK_DEFAULT_SERVER=corvane-qtractor-check HOME=$work/home XDG_CONFIG_HOME=$work/home/.config
export QT_QPA_PLATFORM=offscreen
jackd --no-realtime -n "$JACK_DEFAULT_SERVER" -d dummy -r $rate -p 1024 >"$work/jackd.log" 2>&1 &
jackd_pid=$!

# Waits up to $2 seconds for the condition $1 (a command line).
wait_for() {
    local tries=$(($2 * 10))
    until eval "$1" >/dev/null 2>&1; do
        tries=$((tries - 1))
        [ $tries -gt 0 ] || return 1
        sleep 0.1
    done
}
wait_for "jack_lsp" 10 || { echo "FAIL jackd did not start"; cat "$work/jackd.log"; exit 1; }

failed=0
# Starts Qtractor on the session (its pid in $started) and waits for its engine.
start_qtractor() {
    LD_PRELOAD=$work/seq-stub.so qtractor "$work/check.qtr" >"$work/qtractor-$1.log" 2>&1 &
    started=$!
    pids+=("$started")
    if ! wait_for "jack_lsp | grep -q '^Qtractor:Master/out_2$'" 30; then
        echo "FAIL Qtractor's engine did not start (see $work/qtractor-$1.log)"
        failed=1
        return 1
    fi
}

# Opens the session, rolls the transport from 0 while jack_rec takes 5 s of the Master outputs,
# compares, then saves and quits.
play_and_record() {
    local stage=$1
    echo "-- $stage"
    start_qtractor "$stage" || return
    local qtractor=$started
    # Qtractor locates slowly after the session opens; a start right away stays "Starting".
    echo locate 0 | jack_transport >/dev/null
    sleep 1.5
    jack_rec -f "$work/$stage.wav" -d 5 -b 32 Qtractor:Master/out_1 Qtractor:Master/out_2 \
        >"$work/jack_rec-$stage.log" 2>&1 &
    local recorder=$!
    sleep 0.3
    echo play | jack_transport >/dev/null
    wait "$recorder" || true
    echo stop | jack_transport >/dev/null
    helper compare "$work/$stage.wav" "$work/reference.wav" || failed=1
    # Saved first: Qtractor asks before quitting a session changed since its last save.
    kill -USR1 "$qtractor"
    wait_for "grep -q 'Save session' '$work/messages.log'" 10 || true
    sed -i '/Save session/d' "$work/messages.log"
    kill -TERM "$qtractor"
    if ! wait_for "! kill -0 $qtractor" 10; then
        echo "FAIL Qtractor did not quit on SIGTERM"
        failed=1
        kill -KILL "$qtractor" 2>/dev/null || true
    fi
    wait "$qtractor" 2>/dev/null || true
}

# Opens the session and quits without saving: Qtractor quits at once only when the session is
# unmodified (else its "save changes?" dialog holds it, unanswered offscreen).
reopen_unmodified() {
    echo "-- reopen unmodified"
    start_qtractor unmodified || return
    local qtractor=$started
    sleep 3 # the plug-in's state loaded, the timers run: what would mark the session does
    kill -TERM "$qtractor"
    if wait_for "! kill -0 $qtractor" 10; then
        echo "ok   the reopened session quits without asking to save: unmodified"
    else
        echo "FAIL the reopened session asks to save on quit: Qtractor marks it modified"
        failed=1
        kill -KILL "$qtractor" 2>/dev/null || true
    fi
    wait "$qtractor" 2>/dev/null || true
}

start=$SECONDS
play_and_record open
helper saved "$work/check.qtr" "$work/settings.fxp" "${expected[@]}" || failed=1
cp "$work/check.qtr" "$work/saved.qtr"
play_and_record reopen
helper saved "$work/check.qtr" "$work/settings.fxp" "${expected[@]}" || failed=1
reopen_unmodified
echo "($((SECONDS - start)) s in Qtractor)"
if [ "$failed" != 0 ]; then
    echo "qtractor-clap-check: FAILED (KEEP=1 keeps the session, the logs and the recordings)"
    exit 1
fi
echo "all checks passed"

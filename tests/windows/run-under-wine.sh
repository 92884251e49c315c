#!/usr/bin/env bash
# Runs the tests of a Windows cross build under Wine, with simulated cameras on COM ports.
#   tests/windows/run-under-wine.sh BUILD_WIN TAVIN_CAMSIM [CTEST_ARGUMENTS...]
# BUILD_WIN is the cross build (cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake), TAVIN_CAMSIM
# the simulated camera program of a Linux build. A throwaway Wine prefix lives in BUILD_WIN.
# Two cameras serve pseudo-terminals: a well-behaved one on COM1 and a silent one on COM2.
set -euo pipefail

build=$(realpath "$1")
camsim=$(realpath "$2")
shift 2
if [ ! -x "$camsim" ]; then
    echo "no simulated camera program at $camsim: build the Linux tree first"
    exit 1
fi
wine=$(command -v wine64 || true)
[ -n "$wine" ] || wine=/usr/lib/wine/wine64
wineserver=$(command -v wineserver || true)
[ -n "$wineserver" ] || wineserver=/usr/lib/wine/wineserver

export WINEPREFIX="$build/wine-prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono or Gecko installer prompts
lines="$build/wine-lines"
mkdir -p "$lines"

pids=()
cleanup() {
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    "$wineserver" -k >/dev/null 2>&1 || true
}
trap cleanup EXIT

# Wine's device manager rewrites dosdevices/comN at every start from the serial devices it
# finds, unless the registry names the port's device. Name stable links that point at the
# cameras' pseudo-terminals, which change from run to run.
ports_set="$WINEPREFIX/ports-set-to-$(echo "$lines" | md5sum | cut -c1-12)"
if [ ! -f "$ports_set" ]; then
    echo "Creating the Wine prefix $WINEPREFIX"
    "$wine" wineboot -i >"$build/wine-boot.log" 2>&1
    for port in 1 2; do
        "$wine" reg add 'HKLM\Software\Wine\Ports' /v "COM$port" /d "$lines/com$port" /f \
            >>"$build/wine-boot.log" 2>&1
    done
    "$wineserver" -w
    touch "$ports_set"
fi

# One server for the whole run, so that each test program starts in a fraction of a second.
# Wine's own background programs start with the first program and inherit its output: start
# them here, writing to a log, or CTest would wait for them to close a test's output pipe.
# A server left over from an earlier run of this prefix is ended first: starting one while it
# shuts down can fail the first program.
"$wineserver" -k >/dev/null 2>&1 || true
"$wineserver" -w
"$wineserver" -p >"$build/wineserver.log" 2>&1
"$wine" cmd /c exit >"$build/wine-start.log" 2>&1 </dev/null

# Each camera prints its terminal's path as its first line once it serves; read that line
# instead of waiting a fixed time.
start_camera() {
    local port=$1
    shift
    local out="$lines/camsim-com$port.out"
    rm -f "$out"
    mkfifo "$out"
    "$camsim" --link "$lines/com$port" "$@" >"$out" 2>&1 &
    pids+=($!)
    local device
    exec {fd}<"$out"
    if ! read -r -t 10 -u "$fd" device || [[ "$device" != /dev/* ]]; then
        echo "the simulated camera for COM$port did not start: ${device:-no output}"
        exit 1
    fi
    # Keep draining its output so it never blocks on a full pipe.
    cat <&"$fd" >"$lines/camsim-com$port.log" &
    pids+=($!)
    exec {fd}<&-
    echo "COM$port: $device $*"
}
start_camera 1
start_camera 2 --fault silent

TAVIN_WINE_CAMERA_PORT=1 TAVIN_WINE_SILENT_PORT=2 \
    ctest --test-dir "$build" --output-on-failure --timeout 120 "$@"

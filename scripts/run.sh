#!/usr/bin/env bash
# Sets up, builds, and runs the program against the simulated camera: tavin-camsim serves a
# camera on a pseudo-terminal and COM 1 is mapped to it through TAVIN_COM1. Its decoded
# protocol monitor goes to build/camsim.log. Arguments are passed to the program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh

log=build/camsim.log
: >"$log"
./build/bin/tavin-camsim --log >"$log" 2>&1 &
camsim=$!
trap 'kill "$camsim" 2>/dev/null; wait "$camsim" 2>/dev/null || true' EXIT

# The simulator prints its device path first; it takes a few milliseconds to start.
device=""
for _ in $(seq 100); do
    device=$(head -n 1 "$log")
    [[ $device == /dev/* ]] && break
    kill -0 "$camsim" 2>/dev/null || { cat "$log" >&2; exit 1; }
    sleep 0.05
done
[[ $device == /dev/* ]] || { echo "tavin-camsim did not start" >&2; exit 1; }
export TAVIN_COM1=$device
echo "Simulated camera on $device (COM 1); protocol monitor in $log"

if [[ -n ${DISPLAY:-} || -n ${WAYLAND_DISPLAY:-} ]]; then
    ./build/bin/morva-7e "$@"
    exit
fi

# No window to show it in (no display): read the camera from the command line instead, so the
# link can still be seen working.
echo "No display: reading the simulated camera with tavinctl instead of opening the window."
./build/bin/tavinctl --port 1 read
echo
echo "What the camera saw ($log):"
tail -n +2 "$log" | tail -n 20

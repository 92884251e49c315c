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

if [[ -x build/bin/morva-7e && ( -n ${DISPLAY:-} || -n ${WAYLAND_DISPLAY:-} ) ]]; then
    ./build/bin/morva-7e "$@"
    exit
fi

# No program window to show (not built yet, or no display): read a few items over the serial
# line by hand, so the link can still be seen working.
echo "No display or no build/bin/morva-7e: reading three items by hand instead."
exec 3<>"$device"

frame() {  # STX, text, ETX and the checksum: 0xFF minus the byte sum
    local text=$1 sum=5 i c
    for ((i = 0; i < ${#text}; i++)); do
        printf -v c '%d' "'${text:i:1}"
        sum=$((sum + c))
    done
    printf '\x02%s\x03%02X' "$text" $((255 - (sum & 255)))
}

take() {  # exactly $1 bytes from the camera, or fewer after two seconds
    timeout 2 dd bs=1 count="$1" status=none <&3 || true
}

read_item() {  # command, item number, label
    local reply
    printf '\x05' >&3
    [[ $(take 1 | od -An -tx1) == " 06" ]] || { echo "  no ACK for the ENQ" >&2; return 1; }
    frame "01FF$1$2000000" >&3
    reply=$(take 11 | tr -d '\000-\037')  # the ACK, then STX value ETX checksum
    printf '\x06' >&3
    printf '  %-26s cmd %s item %s: reply "%s"\n' "$3" "$1" "$2" "$reply"
}

read_item 03 06 "FD"
read_item 03 2E "AGC Gain MIN Level"
read_item 04 3C "C-Y Matrix (Gb-y, r-g(+))"
exec 3>&-
echo
echo "What the camera saw ($log):"
tail -n +2 "$log"

#!/usr/bin/env bash
# tavinctl.exe of the Windows build under Wine, beside the Linux build's tavinctl, against
# simulated cameras on Wine's COM1 and COM2 (tests/tools/WineTavinctlTest.cpp), and a read
# through ser2net over rfc2217:// on the loopback address.
#   tests/windows/test-tavinctl.sh BUILD_WIN BUILD [GTEST_ARGUMENTS...]
# BUILD_WIN is the Windows build (tavinctl.exe, the simulated board DLL), BUILD the Linux build
# (tavinctl_wine_tests, tavin-camsim). A Wine prefix of its own lives in BUILD_WIN; its COM1 and
# COM2 name links that each test points at its cameras' pseudo-terminals. The Wine server and
# ser2net are stopped by their pids on the way out, also when a test fails.
set -euo pipefail

build_win=$(realpath "$1")
build=$(realpath "$2")
shift 2
tests="$build/bin/tavinctl_wine_tests"
for needed in "$build_win/bin/tavinctl.exe" "$build_win/bin/libclsersim.dll" "$tests" \
    "$build/bin/tavin-camsim"; do
    [ -f "$needed" ] || { echo "missing: $needed"; exit 1; }
done
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)

export WINEPREFIX="$build_win/wine-tavinctl"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono or Gecko installer prompts
work="$build_win/wine-tavinctl-work"
mkdir -p "$work"

server_pid="" ser2net_pid="" camera_pid=""
cleanup() {
    for pid in $camera_pid $ser2net_pid; do
        kill "$pid" 2>/dev/null || true
    done
    if [ -n "$server_pid" ]; then
        timeout 20 "$wineserver" -k >/dev/null 2>&1 || true
        for _ in $(seq 50); do kill -0 "$server_pid" 2>/dev/null || break; sleep 0.1; done
        kill "$server_pid" 2>/dev/null || true
    fi
    wait 2>/dev/null || true
}
trap cleanup EXIT

# The prefix once, with COM1 and COM2 naming stable links (Wine rewrites dosdevices/comN at every
# start from these values).
ports_set="$WINEPREFIX/ports-set-to-$(echo "$work" | md5sum | cut -c1-12)"
if [ ! -f "$ports_set" ]; then
    rm -rf "$WINEPREFIX"
    echo "Creating the Wine prefix $WINEPREFIX"
    "$wine" wineboot -i >"$work/boot.log" 2>&1
    for port in 1 2; do
        "$wine" reg add 'HKLM\Software\Wine\Ports' /v "COM$port" /d "$work/com$port" /f \
            >>"$work/boot.log" 2>&1
    done
    timeout 120 "$wineserver" -w
    touch "$ports_set"
fi
# One server for the whole run, stopped by its pid, so that each program starts in a fraction of
# a second; Wine's own background programs start here, writing to a log, not to a test's pipes.
"$wineserver" -k >/dev/null 2>&1 || true
timeout 60 "$wineserver" -w
"$wineserver" -f -p >"$work/wineserver.log" 2>&1 &
server_pid=$!
"$wine" cmd /c exit >"$work/wine-start.log" 2>&1 </dev/null

echo "== tavinctl.exe under Wine: COM ports, links, the board DLL"
TAVIN_WINE="$wine" TAVIN_WINE_TAVINCTL="$build_win/bin/tavinctl.exe" \
    TAVIN_WINE_BOARD_DLL="$build_win/bin/libclsersim.dll" \
    TAVIN_WINE_COM1_LINK="$work/com1" TAVIN_WINE_COM2_LINK="$work/com2" \
    timeout 300 "$tests" "$@"

echo "== tavinctl.exe under Wine: a read through ser2net over rfc2217://"
# A camera on a pseudo-terminal (it prints the terminal's path once it serves) and ser2net on a
# free loopback port in front of it, configured as tests/network's Ser2netServer does; its line
# starts at 9600 8N1, so the read works only if the client sets the camera's line itself.
rm -f "$work/camsim.out"
mkfifo "$work/camsim.out"
"$build/bin/tavin-camsim" >"$work/camsim.out" 2>&1 &
camera_pid=$!
exec {camera_fd}<"$work/camsim.out"
read -r -t 10 -u "$camera_fd" device || { echo "the simulated camera did not start"; exit 1; }
cat <&"$camera_fd" >"$work/camsim.log" &
exec {camera_fd}<&-
listening() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }
port=$((20000 + RANDOM % 30000))
while listening "$port"; do port=$((20000 + RANDOM % 30000)); done
cat >"$work/ser2net.yaml" <<EOF
%YAML 1.1
---
connection: &camera
  accepter: telnet(rfc2217),tcp,127.0.0.1,$port
  connector: serialdev,$device,9600n81,local
  options:
    mdns: false
EOF
ser2net -n -d -c "$work/ser2net.yaml" >"$work/ser2net.log" 2>&1 &
ser2net_pid=$!
# ser2net tells nobody when it listens; try until it does.
for _ in $(seq 100); do
    listening "$port" && break
    sleep 0.05
done
# On a terminal (script(1) gives it one), as a person runs it: its progress shows, item by item.
out="$work/rfc2217.tvn"
rm -f "$out"
if ! timeout 60 script -qec "$(printf '%q ' "$wine" "$build_win/bin/tavinctl.exe" --device \
    "rfc2217://127.0.0.1:$port" read -o "Z:${out//\//\\}")" /dev/null >"$work/rfc2217.out"; then
    cat "$work/rfc2217.out"
    echo "FAILED: a read through ser2net over rfc2217://"
    exit 1
fi
"$build/bin/tavinctl" --device "$device" read -o "$work/direct.tvn" >/dev/null
cmp "$out" "$work/direct.tvn"
echo "ok: a read through ser2net over rfc2217:// gives the file of a direct read"
# Wine's console draws each character between escape sequences; without them the line is plain.
if ! sed 's/\x1b\[[?0-9;]*[a-zA-Z]//g' "$work/rfc2217.out" | tr '\r' '\n' |
    grep -aq '^Reading 45/45 '; then
    echo "FAILED: no progress on the terminal"
    exit 1
fi
echo "ok: the read shows its progress on a terminal"

# Once ser2net is gone, nothing listens on its port: the open fails at once, plainly.
kill "$ser2net_pid"
wait "$ser2net_pid" 2>/dev/null || true
ser2net_pid=""
status=0
timeout 30 "$wine" "$build_win/bin/tavinctl.exe" --device "rfc2217://127.0.0.1:$port" get 0 \
    >"$work/refused.out" 2>"$work/refused.err" || status=$?
if [ "$status" != 1 ] || ! grep -q "could not open COM 1 (rfc2217://127.0.0.1:$port)" \
    "$work/refused.err"; then
    cat "$work/refused.out" "$work/refused.err"
    echo "FAILED: a refused connection (exit status $status)"
    exit 1
fi
echo "ok: a refused connection fails with exit status 1: $(head -1 "$work/refused.err")"

#!/usr/bin/env bash
# Pictures of both programs' start dialog and main window, taken under a virtual X display
# against the simulated camera by tavin-screenshots (src/tools/screenshots). Needs xvfb
# (scripts/setup.sh installs it) and a configured build in build/ (or BUILD_DIR), where it
# brings the programs it uses up to date. Output: docs/screenshots/*.png
# Where scripts/test-windows.sh has made the Windows setup program (build-win/package), also
# the Windows programs' pictures, taken under Wine as that script's installer test takes them.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${BUILD_DIR:-build}"
out=docs/screenshots
mkdir -p "$out"

if [ -z "${TAVIN_UNDER_XVFB:-}" ]; then
    cmake --build "$build" --target tavin-screenshots tavin-camsim clsersim >/dev/null
    env TAVIN_UNDER_XVFB=1 xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
    if compgen -G "build-win/package/tavin-*-win64-setup.exe" >/dev/null; then
        cmake --build "$build" --target wine_desktop_tests >/dev/null
        bash tests/windows/test-installed.sh build-win "$build" "$out"
    else
        echo "No Windows setup program in build-win/package: the Windows pictures are left as" \
             "they are (scripts/test-windows.sh makes it)"
    fi
    exit 0
fi

scratch=$(mktemp -d)
sim=""
trap '[ -n "$sim" ] && kill "$sim" 2>/dev/null; rm -rf "$scratch"' EXIT
# A profile of its own, so the pictures do not depend on (or change) the user's settings.
export XDG_CONFIG_HOME="$scratch" QT_QPA_PLATFORM=xcb

"$build/bin/tavin-camsim" >"$scratch/sim.out" &
sim=$!
for _ in $(seq 100); do [ -s "$scratch/sim.out" ] && break; sleep 0.05; done
TAVIN_COM1="$(head -1 "$scratch/sim.out")"
export TAVIN_COM1

"$build/bin/tavin-screenshots" morva-7e "$out"
LD_LIBRARY_PATH="$build/sim-board" "$build/bin/tavin-screenshots" tavin "$out"

#!/usr/bin/env bash
# Builds the Debian package, installs it as a user would, uses the installed tavinctl and purges
# it again. This changes the system: it installs and then purges the package `tavin`
# system-wide (apt-get, with sudo when not root). A machine that has a tavin package installed
# already keeps it: the package is only built there.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh

echo "== Debian package"
rm -rf build/package
if ! cmake --build build --target package >build/package.log 2>&1; then
    cat build/package.log
    exit 1
fi
deb=$(ls build/package/tavin_*.deb)
echo "built $deb"
if dpkg-query -W -f='${Status}' tavin 2>/dev/null | grep -q 'install ok installed'; then
    echo "a tavin package is installed already: install check skipped"
    exit 0
fi

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
log=build/package-install.log
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "./$deb" \
    >"$log" 2>&1 || { cat "$log"; exit 1; }
ok=1
/usr/bin/tavinctl --version || ok=0
/usr/bin/tavinctl dump /usr/share/tavin/samples/factory.tvn >/dev/null || ok=0
# The installed restore unit as systemd reads it: no complaint, and confined enough.
if command -v systemd-analyze >/dev/null; then
    bash tests/tools/check_unit.sh /usr/lib/systemd/system/tavin-restore@.service /usr/bin \
        "$(mktemp -d)" || ok=0
fi
if [ -f /usr/share/mime/globs2 ] &&
    ! grep -q 'application/x-tavin-settings:\*\.tvn' /usr/share/mime/globs2; then
    echo "the .tvn file type was not registered"
    ok=0
fi
# Purged also when a check above failed, so that a failed run leaves no package behind.
DEBIAN_FRONTEND=noninteractive $sudo apt-get purge -y -qq tavin >>"$log" 2>&1 ||
    { cat "$log"; exit 1; }
if [ -e /usr/bin/tavinctl ] || [ -e /usr/lib/tavin ]; then
    echo "removing the package left files behind"
    ok=0
fi
[ "$ok" -eq 1 ] || exit 1
echo "installed, used and removed cleanly"

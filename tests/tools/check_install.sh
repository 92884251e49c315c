#!/usr/bin/env bash
# Installs the build into a scratch root and checks what a user gets: every file in its place,
# the board-library link resolving to the simulated camera, and the installed tavinctl working
# from there.  Usage: check_install.sh BUILD_DIR SCRATCH_DIR WITH_GUI(ON|OFF)
set -euo pipefail
build=$1 root=$2 gui=$3
rm -rf "$root"
trap 'rm -rf "$root"' EXIT
DESTDIR="$root" cmake --install "$build" --prefix /usr >/dev/null

expected=(
    usr/bin/tavinctl
    usr/bin/tavin-camsim
    usr/lib/tavin/libclsersim.so
    usr/share/man/man1/tavinctl.1
    usr/share/man/man1/tavin-camsim.1
    usr/share/tavin/samples/factory.tvn
    usr/lib/systemd/system/tavin-restore@.service
    etc/tavin
)
if [[ $gui == ON ]]; then
    expected+=(
        usr/bin/morva-7e
        usr/bin/tavin
        usr/share/applications/morva-7e.desktop
        usr/share/applications/tavin.desktop
        usr/share/mime/packages/tavin-settings.xml
        usr/share/icons/hicolor/scalable/apps/morva-7e.svg
        usr/share/icons/hicolor/scalable/apps/tavin.svg
        usr/share/icons/hicolor/scalable/mimetypes/application-x-tavin-settings.svg
        usr/share/man/man1/morva-7e.1
        usr/share/man/man1/tavin.1
    )
fi
status=0
for path in "${expected[@]}"; do
    [[ -e $root/$path ]] || { echo "missing: /$path"; status=1; }
done

# The link must point inside the package, not at the build tree.
link=$root/usr/lib/tavin/sim-board/libclsermtx.so
if [[ $(readlink "$link") != ../libclsersim.so || ! -e $link ]]; then
    echo "sim-board/libclsermtx.so does not reach ../libclsersim.so"
    status=1
fi

unit=$root/usr/lib/systemd/system/tavin-restore@.service
if ! grep -qx 'ExecStart=/usr/bin/tavinctl --links /etc/tavin/%i.links write --verify /etc/tavin/%i.tvn' \
        "$unit"; then
    echo "tavin-restore@.service does not run the installed tavinctl"
    status=1
fi

ctl=$root/usr/bin/tavinctl
if ! "$ctl" --version | grep -q '^tavinctl [0-9]'; then
    echo "installed tavinctl --version failed"
    status=1
fi
if ! "$ctl" dump "$root/usr/share/tavin/samples/factory.tvn" | grep -q '^   9  GAIN (FINE) *25 '; then
    echo "installed tavinctl cannot dump the sample file"
    status=1
fi
# Reading through the installed board library: the whole path a user without a camera takes.
if ! "$ctl" --library "$link" get 9 | grep -q 'GAIN (FINE)'; then
    echo "installed tavinctl cannot read through the installed simulated board"
    status=1
fi
exit $status

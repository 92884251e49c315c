#!/usr/bin/env bash
# The boot-time restore unit as systemd itself reads it, with tavinctl from the build standing in
# for the installed one. Any complaint fails; without systemd-analyze the check is skipped (77).
# Usage: check_unit.sh UNIT_SOURCE BIN_DIR SCRATCH_DIR
set -euo pipefail
source=$1 bindir=$2 dir=$3
if ! command -v systemd-analyze >/dev/null; then
    echo "systemd-analyze not found: the unit file is not checked"
    exit 77
fi
rm -rf "$dir"
mkdir -p "$dir"
trap 'rm -rf "$dir"' EXIT
sed "s|@TAVIN_BINDIR@|$bindir|g" "$source" >"$dir/tavin-restore@line3.service"
# The man page is not installed here; everything else is checked.
report=$(systemd-analyze verify --man=no "$dir/tavin-restore@line3.service" 2>&1) || {
    echo "$report"
    exit 1
}
if [[ -n $report ]]; then
    echo "$report"
    exit 1
fi

#!/usr/bin/env bash
# The boot-time restore unit as systemd itself reads it, with tavinctl from the build standing in
# for the installed one: no complaint from "systemd-analyze verify", and an overall exposure of at
# most 4.5 from "systemd-analyze security". Without systemd-analyze the check is skipped (77).
# Usage: check_unit.sh UNIT_SOURCE BIN_DIR SCRATCH_DIR
set -euo pipefail
source=$1 bindir=$2 dir=$3
highest_exposure=4.5
if ! command -v systemd-analyze >/dev/null; then
    echo "systemd-analyze not found: the unit file is not checked"
    exit 77
fi
rm -rf "$dir"
mkdir -p "$dir"
trap 'rm -rf "$dir"' EXIT
unit=$dir/tavin-restore@line3.service
sed "s|@TAVIN_BINDIR@|$bindir|g" "$source" >"$unit"
# The man page is not installed here; everything else is checked.
report=$(systemd-analyze verify --man=no "$unit" 2>&1) || {
    echo "$report"
    exit 1
}
if [[ -n $report ]]; then
    echo "$report"
    exit 1
fi
security=$(systemd-analyze security --offline=true --no-pager "$unit" 2>&1) || true
exposure=$(sed -n 's/^→ Overall exposure level for [^:]*: \([0-9.]*\).*/\1/p' <<<"$security")
if [[ -z $exposure ]]; then
    echo "$security"
    echo "systemd-analyze security gave no overall exposure"
    exit 1
fi
echo "overall exposure $exposure (at most $highest_exposure)"
if ! awk -v e="$exposure" -v m="$highest_exposure" 'BEGIN { exit !(e <= m) }'; then
    grep '✗' <<<"$security"
    exit 1
fi

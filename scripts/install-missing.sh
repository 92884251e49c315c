#!/usr/bin/env bash
# Installs those of the named Debian packages that are not installed yet (apt-get, with sudo when
# not root), so that it is quick on a machine that has them all. APT_TIMEOUT bounds the install.
set -euo pipefail

missing=()
for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
((${#missing[@]})) || exit 0
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive ${APT_TIMEOUT:+timeout "$APT_TIMEOUT"} $sudo apt-get install -y -qq \
    --no-install-recommends "${missing[@]}"

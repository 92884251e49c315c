#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the simulated camera need.
# Runs apt-get only for what is missing, so it is quick on a machine that has everything.
set -euo pipefail

packages=(cmake g++ make pkg-config qt6-base-dev libgtest-dev libgmock-dev
          clang-14 libclang-rt-14-dev clang-format-14 xvfb xauth desktop-file-utils
          fonts-liberation ser2net libserialport-dev)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

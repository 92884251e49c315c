#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the simulated camera need.
set -euo pipefail

packages=(cmake g++ make pkg-config qt6-base-dev libgtest-dev libgmock-dev
          clang-14 libclang-rt-14-dev clang-format-14 xvfb xauth xdotool x11-utils libxcb1-dev
          desktop-file-utils fonts-liberation ser2net libserialport-dev
          # systemd-analyze checks the boot-time restore unit; in a container the package only
          # installs files (it does not become the init system)
          systemd)

bash "$(dirname "$0")/install-missing.sh" "${packages[@]}"

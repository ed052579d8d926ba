#!/usr/bin/env bash
# Installs, with apt-get, whatever the build, the monitor and the tests need
# and this machine lacks. Extra package names may be given as arguments.
set -euo pipefail

packages=(cmake ninja-build g++ qt6-base-dev qt6-charts-dev libgtest-dev libgmock-dev
          fonts-liberation fontconfig python3 "$@")
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null

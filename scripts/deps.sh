#!/usr/bin/env bash
# Installs the Debian packages the build, the game and the tests need, when
# any is missing. With --fuzz also clang and its fuzzing runtime (libFuzzer
# and the sanitizers), for the fuzz targets of tests/fuzz.
set -euo pipefail
PACKAGES=(cmake g++ make pkg-config libsdl2-dev libsdl2-mixer-dev libgl-dev
  libglu1-mesa-dev libegl-dev libfreetype-dev fonts-liberation2 libpng-dev
  libgl1-mesa-dri libegl-mesa0 libgtest-dev)
for arg in "$@"; do
  case "$arg" in
    --fuzz) PACKAGES+=(clang libclang-rt-14-dev) ;;
    *) echo "usage: $0 [--fuzz]" >&2; exit 2 ;;
  esac
done
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"

#!/usr/bin/env bash
# Installs every Debian package VELD72 needs to build, test and run.
# Idempotent: when everything is present it only checks and returns.
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config ccache python3
  juce-modules-source
  libasound2-dev libfreetype-dev libfontconfig1-dev libx11-dev libxcomposite-dev
  libxcursor-dev libxext-dev libxinerama-dev libxrandr-dev libxrender-dev
  libgl-dev libpng-dev libjpeg-dev zlib1g-dev
  libgtest-dev libgmock-dev libbenchmark-dev liblo-dev libpugixml-dev libxdamage-dev
  clang libclang-rt-14-dev
  xvfb xauth x11-utils xdotool imagemagick fonts-dejavu-core
  iproute2 procps
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null; then SUDO="sudo"; else
    echo "setup: these packages are missing and installing them needs root: ${missing[*]}" >&2
    exit 1
  fi
fi

echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"

#!/usr/bin/env bash
# Installs every Debian package the project needs to build, test and validate.
# Idempotent: when everything is present it only checks and returns.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config ccache git
  juce-modules-source
  libgtest-dev libgmock-dev libbenchmark-dev
  libsleef-dev libhwy-dev
  libflac-dev libvorbis-dev libogg-dev
  libasound2-dev libjack-jackd2-dev libcurl4-openssl-dev
  libfreetype-dev libfontconfig1-dev libx11-dev libxrandr-dev libxinerama-dev libxcursor-dev libxext-dev
  libgl-dev
  lilv-utils sordi liblilv-dev libsndfile1-dev lv2-dev
  xvfb xauth sox sndfile-programs qemu-user
  libxtst-dev locales
  clang libclang-rt-dev
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# A locale that writes a decimal comma, so the tests can show that numbers on
# the editor keep their point whatever locale the host runs under.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO localedef -i de_DE -f UTF-8 de_DE.UTF-8
fi

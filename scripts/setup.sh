#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian machine.
# Quick when everything is already present.
set -euo pipefail

packages=(
  cmake make git
  mingw-w64 wine wine64 wine32:i386 xvfb xauth
  libz-mingw-w64-dev libboost-dev libstb-dev googletest
  gcab osslsigncode openssl imagemagick fonts-dejavu-core fonts-wine xdotool python3 x11-utils
)

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "setup: installing ${missing[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo_cmd[@]}" dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null

#!/usr/bin/env bash
# Installs what building and testing need on Debian 12; skips what is already there.
set -euo pipefail

need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'ok installed'; }

# wine32 installs on every machine, though only kernels that run 32-bit programs can
# start it; scripts/wine_env.sh chooses the loader.
packages=(cmake make g++ g++-mingw-w64-i686 binutils-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
          googletest libgtest-dev wine wine64 wine32:i386 xvfb xauth xdotool x11-utils x11-xserver-utils imagemagick fonts-wqy-microhei fonts-wine
          libtinyxml-dev dpkg-dev locales clang python3 zip unzip openssl ca-certificates)
for p in "${packages[@]}"; do have "$p" || need+=("$p"); done

if [ ${#need[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${need[@]}"
fi

# Wine takes the ANSI code page (936 for the online menu texts) from the Unix locale.
if ! locale -a 2>/dev/null | grep -qi "^zh_CN.utf8$"; then
  localedef -i zh_CN -f UTF-8 zh_CN.UTF-8
fi

#!/usr/bin/env bash
# Fills .deps/tinyxml with TinyXML 2.6.2 from Debian's source package, patches
# applied, for the Windows build. Enables the deb-src entries of the configured
# archive when they are missing.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dest="$root/.deps/tinyxml"
[ -f "$dest/tinyxml.cpp" ] && exit 0

enable_sources() {
  local changed=0
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    if grep -q '^Types: deb$' "$f"; then sed -i 's/^Types: deb$/Types: deb deb-src/' "$f"; changed=1; fi
  done
  if [ -f /etc/apt/sources.list ] && grep -q '^deb ' /etc/apt/sources.list && ! grep -q '^deb-src ' /etc/apt/sources.list; then
    sed -n 's/^deb /deb-src /p' /etc/apt/sources.list >> /etc/apt/sources.list; changed=1
  fi
  [ "$changed" = 0 ] || apt-get update -qq
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
if ! apt-get source -qq tinyxml >/dev/null 2>&1; then
  enable_sources
  apt-get source -qq tinyxml >/dev/null
fi
# Debian builds its shared library with std::string and iostreams and patches the
# header to force that. The program is built without them (TinyXML's own string
# class): that keeps the static executable small. Every other patch, the security
# fixes among them, stays applied.
(cd tinyxml-*/ && patch -R -s -p1 < debian/patches/enforce-use-stl.patch)
mkdir -p "$dest"
cp tinyxml-*/{tinystr.cpp,tinystr.h,tinyxml.cpp,tinyxml.h,tinyxmlerror.cpp,tinyxmlparser.cpp} "$dest/"
cp -r tinyxml-*/debian/patches "$dest/debian-patches"

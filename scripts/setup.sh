#!/usr/bin/env bash
# Installs everything the build, the tests and the console need on Debian 12.
# Idempotent: skips what is already present.
set -euo pipefail

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
DEPS_DIR="${QEL_DEPS_DIR:-/opt/qel-deps}"

packages=(
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-tools
  cmake ninja-build ccache
  wine wine64 fonts-wine xvfb xauth x11-utils locales
  googletest nlohmann-json3-dev libz-mingw-w64-dev liblzo2-dev
  python3 python3-aiohttp openssl tango-icon-theme
  slapd ldap-utils dpkg-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  $SUDO apt-get update -qq
  # slapd asks no questions in non-interactive mode; the tests run their own instance.
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Locales the tests pin.
for loc in en_GB.UTF-8 de_DE.UTF-8 en_US.UTF-8; do
  if ! locale -a 2>/dev/null | grep -qi "^${loc%%.*}\.utf-\?8$"; then
    $SUDO sed -i "s/^# *\(${loc} UTF-8\)/\1/" /etc/locale.gen
    need_locale_gen=1
  fi
done
if [ "${need_locale_gen:-0}" = 1 ]; then $SUDO locale-gen >/dev/null; fi

# LZO: no Windows build is packaged, so cross-build the library from Debian's own source package.
if [ ! -f "$DEPS_DIR/lzo/lib/liblzo2.a" ]; then
  echo "setup: cross-building LZO"
  if ! apt-get source --dry-run lzo2 >/dev/null 2>&1; then
    # Derive a source entry from the machine's own binary entries.
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
      sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
        $SUDO tee /etc/apt/sources.list.d/qel-deb-src.sources >/dev/null
    elif [ -f /etc/apt/sources.list ]; then
      grep -E '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' |
        $SUDO tee /etc/apt/sources.list.d/qel-deb-src.list >/dev/null
    fi
    $SUDO apt-get update -qq
  fi
  work=$(mktemp -d)
  (cd "$work" && apt-get source -qq lzo2 >/dev/null 2>&1)
  src=$(find "$work" -maxdepth 1 -type d -name 'lzo2-*' | head -n 1)
  [ -n "$src" ] || { echo "setup: lzo2 source package not available" >&2; exit 1; }
  $SUDO mkdir -p "$DEPS_DIR/lzo/lib" "$DEPS_DIR/lzo/include"
  x86_64-w64-mingw32-gcc-posix -O2 -c "$src/minilzo/minilzo.c" -I"$src/minilzo" -I"$src/include/lzo" -o "$work/minilzo.o"
  x86_64-w64-mingw32-ar rcs "$work/liblzo2.a" "$work/minilzo.o"
  $SUDO cp "$work/liblzo2.a" "$DEPS_DIR/lzo/lib/"
  $SUDO cp "$src/minilzo/minilzo.h" "$src/include/lzo/lzoconf.h" "$src/include/lzo/lzodefs.h" "$DEPS_DIR/lzo/include/"
  rm -rf "$work"
fi

# pugixml: a reference parser for the XML benchmark only (bench/), never linked into the console.
# Cross-built from Debian's source package like LZO, with the compiler and the -O2 -DNDEBUG of the
# project's own code; a second build makes UTF-16 trees (wide-character mode, its namespace
# renamed so that both link into one program).
if [ ! -f "$DEPS_DIR/pugixml/lib/libpugixml-wide.a" ]; then
  echo "setup: cross-building pugixml (benchmark reference)"
  work=$(mktemp -d)
  (cd "$work" && apt-get source -qq pugixml >/dev/null 2>&1) || true
  src=$(find "$work" -maxdepth 1 -type d -name 'pugixml-*' | head -n 1)
  if [ -n "$src" ] && [ -f "$src/src/pugixml.cpp" ]; then
    $SUDO mkdir -p "$DEPS_DIR/pugixml/lib" "$DEPS_DIR/pugixml/include"
    x86_64-w64-mingw32-g++-posix -O2 -DNDEBUG -std=c++17 -c "$src/src/pugixml.cpp" -o "$work/pugixml.o"
    x86_64-w64-mingw32-g++-posix -O2 -DNDEBUG -DPUGIXML_WCHAR_MODE -Dpugi=pugiw -std=c++17 -c "$src/src/pugixml.cpp" \
      -o "$work/pugixml-wide.o"
    x86_64-w64-mingw32-ar rcs "$work/libpugixml.a" "$work/pugixml.o"
    x86_64-w64-mingw32-ar rcs "$work/libpugixml-wide.a" "$work/pugixml-wide.o"
    $SUDO cp "$work/libpugixml.a" "$work/libpugixml-wide.a" "$DEPS_DIR/pugixml/lib/"
    $SUDO cp "$src/src/pugixml.hpp" "$src/src/pugiconfig.hpp" "$DEPS_DIR/pugixml/include/"
  else
    echo "setup: pugixml source package not available; the XML benchmark runs without its reference" >&2
  fi
  rm -rf "$work"
fi

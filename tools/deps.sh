#!/usr/bin/env bash
# Installs the Debian 12 packages the builds and tests need, when some are
# missing: the native toolchain and test libraries, clang with libFuzzer for
# the fuzz targets, mingw-w64 for both Windows targets, and Wine (32- and
# 64-bit) to run the Windows smoke test and the
# layout check (Wine's null display driver, so no X server), with the fonts
# that stand in for the faces Windows has built in: Wine's own (Tahoma; only
# recommended by Wine), Noto Sans CJK for the CJK UI faces and Loma for the
# Thai glyphs of Windows' Tahoma.
# A machine that has everything returns at once without touching apt.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang-14 libclang-rt-14-dev
  libgtest-dev googletest libgmock-dev libbenchmark-dev libxml2-dev nlohmann-json3-dev
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  wine wine32:i386 wine64 fonts-wine fonts-noto-cjk fonts-tlwg-loma
)

missing=()
for p in "${packages[@]}"; do
  [[ $(dpkg-query -W -f='${db:Status-Abbrev}' "$p" 2>/dev/null) == ii* ]] || missing+=("$p")
done
add_i386=false
dpkg --print-foreign-architectures | grep -qx i386 || add_i386=true

if ((${#missing[@]} == 0)) && ! $add_i386; then
  echo "deps: all ${#packages[@]} packages present"
  exit 0
fi

if ((EUID != 0)); then
  echo "deps: missing packages: ${missing[*]}" >&2
  $add_i386 && echo "deps: the i386 architecture is not enabled (dpkg --add-architecture i386)" >&2
  echo "deps: run tools/deps.sh as root to install them" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
if $add_i386; then
  echo "deps: enabling the i386 architecture"
  dpkg --add-architecture i386
fi
echo "deps: installing ${missing[*]}"
apt-get update -q
apt-get install -y -q --no-install-recommends "${missing[@]}"

#!/usr/bin/env bash
# Builds the product: both Windows DLLs and the Linux build with its host
# program, shows what the plug-in answers through the host, and says where
# the DLLs are.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

bash tools/deps.sh
for p in windows-x86 windows-x64 linux; do
  echo "=== $p build"
  cmake --preset "$p" >/dev/null
  cmake --build --preset "$p" -j2
done

echo "=== orvoui-host info"
build/linux/host/orvoui-host info

echo
echo "=== orvoui-host sheet --printer KestrelBT (the document sheet, every page shown)"
build/linux/host/orvoui-host sheet --printer KestrelBT

echo
echo "Windows DLLs:"
echo "  32-bit: $root/build/windows-x86/src/orvoui.dll"
echo "  64-bit: $root/build/windows-x64/src/orvoui.dll"

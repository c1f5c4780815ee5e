#!/usr/bin/env bash
# Runs the Windows smoke test (tests/windows) of each given Windows build
# folder under Wine, against that folder's orvoui.dll; with --layout, the
# layout check of the pages and dialogs instead (orvoui-layout.exe), once at
# each of 96, 120 and 144 DPI; with --keyboard, the keyboard check
# (orvoui-keyboard.exe).
# Usage: tools/wine-smoke.sh [--layout|--keyboard] [BUILD_DIR...]   (default: build/windows-x86 build/windows-x64)
# The Wine prefix is build/wineprefix unless WINEPREFIX is set; it is created
# on first use and set to Wine's null display driver (tools/wine-prefix.sh):
# windows exist and work without an X server, and nothing is drawn or left
# running.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

export WINEPREFIX=${WINEPREFIX:-$root/build/wineprefix}
source tools/wine-prefix.sh
$runs32 || echo "wine-smoke: this machine's kernel does not run 32-bit programs; Wine runs 64-bit programs only"

program=orvoui-smoke
dpis=(96)
if [[ ${1:-} == --layout ]]; then
  program=orvoui-layout
  dpis=(96 120 144)
  shift
elif [[ ${1:-} == --keyboard ]]; then
  program=orvoui-keyboard
  shift
fi
dirs=("$@")
((${#dirs[@]})) || dirs=(build/windows-x86 build/windows-x64)

wine_prefix null

failed=0
for dir in "${dirs[@]}"; do
  if ! $runs32 && [[ $dir == *windows-x86 ]]; then
    # The layout and keyboard checks test the resources and procedures both
    # DLLs share; the smoke test
    # the calling convention of each.
    if [[ $program != orvoui-smoke ]]; then
      echo "wine-smoke: $dir cannot run here; the check runs on ${dir%x86}x64, which carries the same resources"
      dir=${dir%x86}x64
    else
      echo "wine-smoke: $dir: SKIPPED: this machine cannot run 32-bit programs; the 32-bit DLL was cross-built and checked"
      continue
    fi
  fi
  exe=$dir/tests/windows/$program.exe
  dll=$dir/src/orvoui.dll
  if [[ ! -f $exe || ! -f $dll ]]; then
    echo "wine-smoke: $dir: $exe or $dll missing; build that preset first" >&2
    failed=1
    continue
  fi
  dll=$(realpath "$dll")
  winpath="Z:${dll//\//\\}"  # Wine maps the Unix root to drive Z:
  for dpi in "${dpis[@]}"; do
    wine_dpi "$dpi"
    echo "wine-smoke: $exe $winpath ($dpi DPI)"
    rc=0
    out=$(timeout 300 $wine "$exe" "$winpath" </dev/null 2>&1 | tr -d '\r') || rc=$?
    printf '%s\n' "$out"
    # The verdict is the program's own last line: Wine may add lines of its
    # own after it (a client that loses its server while exiting).
    last=$(grep -Ev '^(wine client error:|wine: |[0-9a-f]{4}:(err|fixme|warn|trace):)' <<<"$out" | tail -n1)
    if ((rc != 0)) || ! grep -Eq '^[0-9]+ passed, 0 failed$' <<<"$last"; then
      echo "wine-smoke: $dir at $dpi DPI: FAILED (exit $rc)" >&2
      failed=1
    fi
  done
done
timeout 60 wineserver -w || true  # let the server go before the caller moves on
exit $failed

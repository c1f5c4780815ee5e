#!/usr/bin/env bash
# Runs the Windows smoke test (tests/windows) of each given Windows build
# folder under Wine, against that folder's orvoui.dll.
# Usage: tools/wine-smoke.sh [BUILD_DIR...]   (default: build/windows-x86 build/windows-x64)
# The Wine prefix is build/wineprefix unless WINEPREFIX is set; it is created
# on first use.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

export WINEPREFIX=${WINEPREFIX:-$root/build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono or Gecko installer prompts
# A console program needs no display; set WINE_XVFB=1 should a Wine insist.
run_wine=(timeout 300)
[[ ${WINE_XVFB:-0} == 1 ]] && run_wine+=(xvfb-run -a)

dirs=("$@")
((${#dirs[@]})) || dirs=(build/windows-x86 build/windows-x64)

if [[ ! -f $WINEPREFIX/system.reg ]]; then
  echo "wine-smoke: creating the Wine prefix $WINEPREFIX (first time only)"
  mkdir -p "$(dirname "$WINEPREFIX")"
  "${run_wine[@]}" wineboot -i </dev/null >/dev/null 2>&1 || { echo "wine-smoke: wineboot failed" >&2; exit 1; }
fi

failed=0
for dir in "${dirs[@]}"; do
  exe=$dir/tests/windows/orvoui-smoke.exe
  dll=$dir/src/orvoui.dll
  if [[ ! -f $exe || ! -f $dll ]]; then
    echo "wine-smoke: $dir: $exe or $dll missing; build that preset first" >&2
    failed=1
    continue
  fi
  dll=$(realpath "$dll")
  winpath="Z:${dll//\//\\}"  # Wine maps the Unix root to drive Z:
  echo "wine-smoke: $exe $winpath"
  rc=0
  out=$("${run_wine[@]}" wine "$exe" "$winpath" </dev/null 2>&1 | tr -d '\r') || rc=$?
  printf '%s\n' "$out"
  if ((rc != 0)) || ! tail -n1 <<<"$out" | grep -Eq '^[0-9]+ passed, 0 failed$'; then
    echo "wine-smoke: $dir: FAILED (exit $rc)" >&2
    failed=1
  fi
done
timeout 60 wineserver -w || true  # let the server go before the caller moves on
exit $failed

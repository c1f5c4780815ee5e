#!/usr/bin/env bash
# Runs the Windows smoke test (tests/windows) of each given Windows build
# folder under Wine, against that folder's orvoui.dll.
# Usage: tools/wine-smoke.sh [BUILD_DIR...]   (default: build/windows-x86 build/windows-x64)
# The Wine prefix is build/wineprefix unless WINEPREFIX is set; it is created
# on first use. The test creates windows (every dialog template), so the
# prefix is set to Wine's null display driver (HKCU\Software\Wine\Drivers,
# Graphics=null): windows exist and work without an X server, and nothing
# is drawn or left running. A prefix named by WINEPREFIX is set the same way.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

export WINEPREFIX=${WINEPREFIX:-$root/build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono or Gecko installer prompts
run_wine=(timeout 300)

dirs=("$@")
((${#dirs[@]})) || dirs=(build/windows-x86 build/windows-x64)

if [[ ! -f $WINEPREFIX/system.reg ]]; then
  echo "wine-smoke: creating the Wine prefix $WINEPREFIX (first time only)"
  mkdir -p "$(dirname "$WINEPREFIX")"
  "${run_wine[@]}" wineboot -i </dev/null >/dev/null 2>&1 || { echo "wine-smoke: wineboot failed" >&2; exit 1; }
fi

# Whether user.reg has Graphics="null" in its [Software\\Wine\\Drivers] section.
null_driver_set() {
  awk '/^\[/ { in_drivers = index($0, "[Software\\\\Wine\\\\Drivers]") == 1 }
       in_drivers && $0 == "\"Graphics\"=\"null\"" { found = 1 }
       END { exit !found }' "$WINEPREFIX/user.reg" 2>/dev/null
}
if ! null_driver_set; then
  echo "wine-smoke: setting Wine's null display driver in $WINEPREFIX"
  timeout 60 wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /t REG_SZ /d null /f </dev/null >/dev/null 2>&1 ||
    { echo "wine-smoke: wine reg add failed" >&2; exit 1; }
  # The desktop process reads the driver when it starts: let this session
  # end (which also writes user.reg) so the tests start one with it.
  timeout 60 wineserver -w || true
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

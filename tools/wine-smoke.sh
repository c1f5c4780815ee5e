#!/usr/bin/env bash
# Runs the Windows smoke test (tests/windows) of each given Windows build
# folder under Wine, against that folder's orvoui.dll; with --layout, the
# layout check of the dialogs instead (orvoui-layout.exe).
# Usage: tools/wine-smoke.sh [--layout] [BUILD_DIR...]   (default: build/windows-x86 build/windows-x64)
# The Wine prefix is build/wineprefix unless WINEPREFIX is set; it is created
# on first use. The test creates windows (every dialog template), so the
# prefix is set to Wine's null display driver (HKCU\Software\Wine\Drivers,
# Graphics=null): windows exist and work without an X server, and nothing
# is drawn or left running. A prefix named by WINEPREFIX is set the same way.
# The null driver still measures text with real fonts, so the prefix gets the
# faces Windows has built in, as far as Debian packages them: Wine's Tahoma
# (fonts-wine; the shell font "MS Shell Dlg 2" is Tahoma) copied into the
# prefix, where Debian's Wine does not look by itself, and Noto Sans CJK
# (fonts-noto-cjk) under the names of the CJK UI faces. Tahoma reaches those
# faces through Wine's font linking for the ideographs and Hangul it lacks.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

export WINEPREFIX=${WINEPREFIX:-$root/build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono or Gecko installer prompts
run_wine=(timeout 300)

# A kernel built without 32-bit support (no IA32 emulation, as on some
# virtual machines) cannot start Wine's 32-bit loader ("Exec format error").
# There only the 64-bit loader runs: the prefix is made and set with it, the
# 32-bit DLL's smoke run is skipped with a message saying so (the DLL is
# still cross-built and checked by check-dll.sh), and the layout check,
# which tests the resources both DLLs share, runs on the 64-bit DLL.
wine=wine
runs32=true
if ! /usr/lib/wine/wine --version >/dev/null 2>&1 && [[ -x /usr/lib/wine/wine64 ]]; then
  runs32=false
  wine=/usr/lib/wine/wine64
  echo "wine-smoke: this machine's kernel does not run 32-bit programs; Wine runs 64-bit programs only"
fi

program=orvoui-smoke
if [[ ${1:-} == --layout ]]; then
  program=orvoui-layout
  shift
fi
dirs=("$@")
((${#dirs[@]})) || dirs=(build/windows-x86 build/windows-x64)

if [[ ! -f $WINEPREFIX/system.reg ]]; then
  echo "wine-smoke: creating the Wine prefix $WINEPREFIX (first time only)"
  mkdir -p "$(dirname "$WINEPREFIX")"
  "${run_wine[@]}" $wine wineboot -i </dev/null >/dev/null 2>&1 || { echo "wine-smoke: wineboot failed" >&2; exit 1; }
fi

# Whether user.reg has Graphics="null" in its [Software\\Wine\\Drivers] section.
null_driver_set() {
  awk '/^\[/ { in_drivers = index($0, "[Software\\\\Wine\\\\Drivers]") == 1 }
       in_drivers && $0 == "\"Graphics\"=\"null\"" { found = 1 }
       END { exit !found }' "$WINEPREFIX/user.reg" 2>/dev/null
}
if ! null_driver_set; then
  echo "wine-smoke: setting Wine's null display driver in $WINEPREFIX"
  timeout 60 $wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /t REG_SZ /d null /f </dev/null >/dev/null 2>&1 ||
    { echo "wine-smoke: wine reg add failed" >&2; exit 1; }
  # The desktop process reads the driver when it starts: let this session
  # end (which also writes user.reg) so the tests start one with it.
  timeout 60 wineserver -w || true
fi

# Whether the prefix has the faces set up below.
fonts_set() {
  grep -q '^"Microsoft YaHei UI"="Noto Sans CJK SC"' "$WINEPREFIX/user.reg" 2>/dev/null &&
    grep -q '^"Tahoma"=.*LOMA.TTF,Loma' "$WINEPREFIX/system.reg" 2>/dev/null
}
fonts=$WINEPREFIX/drive_c/windows/Fonts
for face in tahoma.ttf tahomabd.ttf; do
  [[ -f $fonts/$face ]] || cp /usr/share/wine/fonts/$face "$fonts/" ||
    { echo "wine-smoke: cannot copy $face (fonts-wine) into the prefix" >&2; exit 1; }
done
if ! fonts_set; then
  echo "wine-smoke: setting up the CJK and Thai faces in $WINEPREFIX"
  reg=$(mktemp --suffix=.reg)
  cat >"$reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"Microsoft YaHei UI"="Noto Sans CJK SC"
"SimSun"="Noto Sans CJK SC"
"Microsoft JhengHei UI"="Noto Sans CJK TC"
"PMingLiU"="Noto Sans CJK TC"
"Meiryo UI"="Noto Sans CJK JP"
"MS UI Gothic"="Noto Sans CJK JP"
"Malgun Gothic"="Noto Sans CJK KR"
"Gulim"="Noto Sans CJK KR"
REG
  rc=0
  timeout 60 $wine reg import "$($wine winepath -w "$reg" 2>/dev/null | tr -d '\r')" </dev/null >/dev/null 2>&1 || rc=$?
  rm -f "$reg"
  # Windows' Tahoma has Thai glyphs, Wine's has not: Tahoma links to Loma
  # (fonts-tlwg-loma) after the CJK faces Windows links it to.
  links='MSGOTHIC.TTC,MS UI Gothic\0MINGLIU.TTC,PMingLiU\0SIMSUN.TTC,SimSun\0GULIM.TTC,Gulim\0'
  links+='MSYH.TTC,Microsoft YaHei UI\0MSJH.TTC,Microsoft JhengHei UI\0MALGUN.TTF,Malgun Gothic\0LOMA.TTF,Loma'
  ((rc == 0)) && timeout 60 $wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
    /v Tahoma /t REG_MULTI_SZ /d "$links" /f </dev/null >/dev/null 2>&1 || rc=$?
  ((rc == 0)) || { echo "wine-smoke: setting up the faces failed" >&2; exit 1; }
  timeout 60 wineserver -w || true  # writes the registry files; later processes read the faces
fi

failed=0
for dir in "${dirs[@]}"; do
  if ! $runs32 && [[ $dir == *windows-x86 ]]; then
    if [[ $program == orvoui-layout ]]; then
      echo "wine-smoke: $dir cannot run here; the layout check runs on ${dir%x86}x64, which carries the same resources"
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
  echo "wine-smoke: $exe $winpath"
  rc=0
  out=$("${run_wine[@]}" $wine "$exe" "$winpath" </dev/null 2>&1 | tr -d '\r') || rc=$?
  printf '%s\n' "$out"
  # The verdict is the program's own last line: Wine may add lines of its own
  # after it (a client that loses its server while exiting).
  last=$(grep -Ev '^(wine client error:|wine: |[0-9a-f]{4}:(err|fixme|warn|trace):)' <<<"$out" | tail -n1)
  if ((rc != 0)) || ! grep -Eq '^[0-9]+ passed, 0 failed$' <<<"$last"; then
    echo "wine-smoke: $dir: FAILED (exit $rc)" >&2
    failed=1
  fi
done
timeout 60 wineserver -w || true  # let the server go before the caller moves on
exit $failed

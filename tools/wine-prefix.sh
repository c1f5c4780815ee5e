# Sourced by tools/wine-smoke.sh and tools/pictures.sh: the Wine loader this
# machine can run and a prefix set up for the plug-in's windows.
#
# A kernel built without 32-bit support (no IA32 emulation, as on some
# virtual machines) cannot start Wine's 32-bit loader ("Exec format error").
# There only the 64-bit loader runs: $wine is it and $runs32 is false.
#
# wine_prefix GRAPHICS sets up $WINEPREFIX (created on first use) with that
# display driver (HKCU\Software\Wine\Drivers): "null" makes windows that
# exist and work without an X server, nothing drawn; "x11" draws them on
# $DISPLAY, frames and captions too (not left to a window manager, which a
# bare X server such as Xvfb has not). Either way text is measured with real fonts, so the prefix gets
# the faces Windows has built in, as far as Debian packages them: Wine's
# Tahoma (fonts-wine; the shell font "MS Shell Dlg 2" is Tahoma) and Marlett
# (the caption buttons' glyphs) copied into the prefix, where Debian's Wine does not look by itself, and Noto Sans CJK
# (fonts-noto-cjk) under the names of the CJK UI faces. Tahoma reaches those
# faces through Wine's font linking for the ideographs and Hangul it lacks.
#
# wine_dpi N sets the DPI the next processes start with, where Wine reads it
# as Windows does (HKCU\Control Panel\Desktop, LogPixels); a program sees it
# once it declares itself DPI-aware.

export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono or Gecko installer prompts

wine=wine
runs32=true
if ! /usr/lib/wine/wine --version >/dev/null 2>&1 && [[ -x /usr/lib/wine/wine64 ]]; then
  runs32=false
  wine=/usr/lib/wine/wine64
fi

wine_prefix() {
  local graphics=$1
  if [[ ! -f $WINEPREFIX/system.reg ]]; then
    echo "wine: creating the Wine prefix $WINEPREFIX (first time only)"
    mkdir -p "$(dirname "$WINEPREFIX")"
    timeout 300 $wine wineboot -i </dev/null >/dev/null 2>&1 || { echo "wine: wineboot failed" >&2; return 1; }
  fi
  # Whether user.reg has this driver in its [Software\\Wine\\Drivers] section.
  if ! awk -v want="\"Graphics\"=\"$graphics\"" '/^\[/ { in_drivers = index($0, "[Software\\\\Wine\\\\Drivers]") == 1 }
       in_drivers && $0 == want { found = 1 }
       END { exit !found }' "$WINEPREFIX/user.reg" 2>/dev/null; then
    echo "wine: setting Wine's $graphics display driver in $WINEPREFIX"
    timeout 60 $wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /t REG_SZ /d "$graphics" /f </dev/null >/dev/null 2>&1 ||
      { echo "wine: wine reg add failed" >&2; return 1; }
    if [[ $graphics == x11 ]]; then
      local value
      for value in Managed Decorated; do
        timeout 60 $wine reg add 'HKCU\Software\Wine\X11 Driver' /v $value /t REG_SZ /d N /f </dev/null >/dev/null 2>&1 ||
          { echo "wine: wine reg add failed" >&2; return 1; }
      done
    fi
    # The desktop process reads the driver when it starts: let this session
    # end (which also writes user.reg) so the next programs start one with it.
    timeout 60 wineserver -w || true
  fi

  local fonts=$WINEPREFIX/drive_c/windows/Fonts face
  for face in tahoma.ttf tahomabd.ttf marlett.ttf; do
    [[ -f $fonts/$face ]] || cp /usr/share/wine/fonts/$face "$fonts/" ||
      { echo "wine: cannot copy $face (fonts-wine) into the prefix" >&2; return 1; }
  done
  if grep -q '^"Microsoft YaHei UI"="Noto Sans CJK SC"' "$WINEPREFIX/user.reg" 2>/dev/null &&
    grep -q '^"Tahoma"=.*LOMA.TTF,Loma' "$WINEPREFIX/system.reg" 2>/dev/null; then
    return 0
  fi
  echo "wine: setting up the CJK and Thai faces in $WINEPREFIX"
  local reg rc=0 links
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
  timeout 60 $wine reg import "$($wine winepath -w "$reg" 2>/dev/null | tr -d '\r')" </dev/null >/dev/null 2>&1 || rc=$?
  rm -f "$reg"
  # Windows' Tahoma has Thai glyphs, Wine's has not: Tahoma links to Loma
  # (fonts-tlwg-loma) after the CJK faces Windows links it to.
  links='MSGOTHIC.TTC,MS UI Gothic\0MINGLIU.TTC,PMingLiU\0SIMSUN.TTC,SimSun\0GULIM.TTC,Gulim\0'
  links+='MSYH.TTC,Microsoft YaHei UI\0MSJH.TTC,Microsoft JhengHei UI\0MALGUN.TTF,Malgun Gothic\0LOMA.TTF,Loma'
  ((rc == 0)) && timeout 60 $wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
    /v Tahoma /t REG_MULTI_SZ /d "$links" /f </dev/null >/dev/null 2>&1 || rc=$?
  ((rc == 0)) || { echo "wine: setting up the faces failed" >&2; return 1; }
  timeout 60 wineserver -w || true  # writes the registry files; later processes read the faces
}

wine_dpi() {
  timeout 60 $wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f </dev/null >/dev/null 2>&1 ||
    { echo "wine: cannot set $1 DPI" >&2; return 1; }
}

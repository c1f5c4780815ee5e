#!/usr/bin/env bash
# Pictures of every page and dialog of the plug-in as a user sees them: the
# harness (winhost/) plays the core driver around the 64-bit DLL under Wine
# on a private X server (Xvfb) and writes each window it shows, frame and
# all; then one PNG per window, model and language, a montage per window
# across the languages, and an index.html that shows them.
# Usage: tools/pictures.sh [--lang TAG...] [--dpi 96|120|144] [OUT]
#   default: all 17 languages at 96 DPI into build/pictures
# Installs what it needs (tools/deps.sh, and Xvfb and ImageMagick) when run
# as root, builds the windows-x64 preset's harness and DLL, and uses its own
# Wine prefix, build/wineprefix-x11 (Wine's X11 display driver; the checks'
# prefix keeps the null driver).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

langs=()
dpi=96
out=build/pictures
while (($#)); do
  case $1 in
  --lang)
    shift
    while (($#)) && [[ $1 != --* && $1 == *-* ]]; do
      langs+=("$1")
      shift
    done
    ;;
  --dpi)
    dpi=${2:?--dpi needs 96, 120 or 144}
    shift 2
    ;;
  -h | --help)
    sed -n '2,12p' "$0"
    exit 0
    ;;
  *)
    out=$1
    shift
    ;;
  esac
done
[[ $dpi =~ ^(96|120|144)$ ]] || { echo "pictures: --dpi takes 96, 120 or 144" >&2; exit 2; }

bash tools/deps.sh
missing=()
for tool in Xvfb:xvfb montage:imagemagick xauth:xauth; do
  command -v "${tool%%:*}" >/dev/null || missing+=("${tool#*:}")
done
if ((${#missing[@]})); then
  ((EUID == 0)) || { echo "pictures: missing ${missing[*]}; run as root to install them" >&2; exit 1; }
  echo "pictures: installing ${missing[*]}"
  apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null ||
    { apt-get update -q && apt-get install -y -q --no-install-recommends "${missing[@]}"; }
fi

cmake --preset windows-x64 >/dev/null
cmake --build --preset windows-x64 -j2 --target orvoui orvoui-winhost

# A display number no other server uses.
display=77
while [[ -e /tmp/.X$display-lock || -e /tmp/.X11-unix/X$display ]]; do
  display=$((display + 1))
done
Xvfb ":$display" -screen 0 1600x1200x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export WINEPREFIX=$root/build/wineprefix-x11
source tools/wine-prefix.sh
trap 'timeout 30 wineserver -k 2>/dev/null || true; kill $xvfb 2>/dev/null || true' EXIT
export DISPLAY=:$display
for _ in $(seq 50); do
  [[ -e /tmp/.X11-unix/X$display ]] && break
  sleep 0.1
done

start=$SECONDS
wine_prefix x11
wine_dpi "$dpi"
mkdir -p "$out"
out=$(realpath "$out")
rm -rf "$out/bmp" "$out/png" "$out/montage" "$out/index.html" "$out/harness.log"
mkdir -p "$out/bmp" "$out/png" "$out/montage"
dll=$(realpath build/windows-x64/src/orvoui.dll)
((${#langs[@]})) || langs=(zh-CN en-US zh-TW ja-JP ko-KR de-DE fr-FR es-ES it-IT pt-BR ru-RU pl-PL nl-NL tr-TR cs-CZ th-TH vi-VN)

# The shell font's face: Tahoma, or for Thai Loma. Wine draws Thai through
# its Uniscribe, which takes the glyphs from the dialog's own face and does
# not follow the font link to Loma (it measures through the link, as the
# layout check does): with Tahoma every Thai letter is drawn as a box. With
# Loma the Thai pictures show the texts, in Loma's sizes (taller dialogs).
shell_face() {
  local name
  for name in "MS Shell Dlg" "MS Shell Dlg 2"; do
    timeout 60 $wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
      /v "$name" /t REG_SZ /d "$1" /f </dev/null >/dev/null 2>&1
  done
  timeout 60 wineserver -w || true
}
harness() {
  timeout 900 $wine build/windows-x64/winhost/orvoui-winhost.exe --dll "Z:${dll//\//\\}" \
    --shots "Z:${out//\//\\}\\bmp" "$@" </dev/null >>"$out/harness.log" 2>&1
}
rc=0
others=()
thai=false
for l in "${langs[@]}"; do
  if [[ $l == th-TH ]]; then thai=true; else others+=("$l"); fi
done
shell_face Tahoma
((${#others[@]} == 0)) || harness "${others[@]}" || rc=$?
if $thai; then
  shell_face Loma
  harness th-TH || rc=$?
  shell_face Tahoma
fi
tr -d '\r' <"$out/harness.log" | grep -v '^shown ' || true
shopt -s nullglob
bmps=("$out"/bmp/*.bmp)
((${#bmps[@]})) || { echo "pictures: the harness wrote no picture" >&2; exit 1; }
mogrify -path "$out/png" -format png "${bmps[@]}"
rm -rf "$out/bmp"

# The windows in the order the harness shows them.
windows=(KestrelBT-110 KestrelBT-109 KestrelBT-111 KestrelBT-112 Heron-110 Heron-111 Heron-112
  FalconBT-113 FalconBT-217 FalconBT-238 FalconBT-111 FalconBT-112 device-108)
declare -A title=([108]="About" [109]="paper stock" [110]="Page Setup" [111]="Graphics" [112]="Other"
  [113]="Page Setup (extended model)" [217]="distributed printing" [238]="ribbon width")
{
  echo "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>orvoui pages at $dpi DPI</title>"
  echo "<style>body{font-family:sans-serif} img{border:1px solid #ccc} td{vertical-align:top;padding:4px}</style></head><body>"
  echo "<h1>Every page and dialog at $dpi DPI</h1>"
  echo "<p>Drawn by Wine $($wine --version 2>/dev/null) on Xvfb with the plug-in's own procedures; see README.md for what Wine cannot show (no paper in the paper lists; captions of Chinese, Japanese and Korean dialogs in boxes; Thai in Loma).</p><ul>"
  for w in "${windows[@]}"; do echo "<li><a href=\"#$w\">$w: ${title[${w#*-}]}</a></li>"; done
  echo "</ul>"
} >"$out/index.html"
for w in "${windows[@]}"; do
  files=()
  for l in "${langs[@]}"; do
    [[ -f $out/png/$w-$l.png ]] && files+=("$out/png/$w-$l.png")
  done
  {
    echo "<h2 id=\"$w\">$w: ${title[${w#*-}]}</h2>"
    if ((${#files[@]} == 0)); then
      echo "<p><b>not shown</b>: see the harness's message</p>"
      continue
    fi
    echo "<p><a href=\"montage/$w.png\">all languages in one picture</a></p><table><tr>"
    n=0
    for f in "${files[@]}"; do
      name=$(basename "$f")
      lang=${name#"$w"-}
      echo "<td>${lang%.png}<br><a href=\"png/$name\"><img src=\"png/$name\" width=\"320\"></a></td>"
      n=$((n + 1))
      ((n % 4)) || echo "</tr><tr>"
    done
    echo "</tr></table>"
  } >>"$out/index.html"
  labels=()
  for f in "${files[@]}"; do
    name=$(basename "$f" .png)
    labels+=(-label "${name#"$w"-}" "$f")
  done
  # Settings come before the pictures they label; every tile as large as the largest.
  montage -font /usr/share/wine/fonts/tahoma.ttf -pointsize 14 "${labels[@]}" \
    -tile "$((${#files[@]} < 6 ? ${#files[@]} : 6))x" -geometry '1x1+6+6<' "$out/montage/$w.png"
done
echo "</body></html>" >>"$out/index.html"
count=$(find "$out/png" -name '*.png' | wc -l)
echo "pictures: $count pictures of ${#windows[@]} windows in ${#langs[@]} language(s) at $dpi DPI in $((SECONDS - start)) s:"
echo "pictures: $out/index.html"
exit $rc

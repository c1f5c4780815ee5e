#!/usr/bin/env bash
# Checks a built orvoui.dll the way a driver package needs it: exactly the two
# COM entry points exported, only system DLLs imported (no mingw runtime), and
# its resources (string tables, version information) present.
# Usage: tools/check-dll.sh path/to/orvoui.dll
set -euo pipefail

dll=${1:?usage: $0 path/to/orvoui.dll}
[[ -f $dll ]] || { echo "check-dll: $dll: no such file" >&2; exit 1; }

failures=0
pass() { echo "  ok   $*"; }
fail() { echo "  FAIL $*"; failures=$((failures + 1)); }

# Pick the binutils of the DLL's architecture.
format=$(x86_64-w64-mingw32-objdump -f "$dll" | sed -n 's/.*file format //p')
case $format in
  pei-i386) prefix=i686-w64-mingw32 ;;
  pei-x86-64) prefix=x86_64-w64-mingw32 ;;
  *) echo "check-dll: $dll: not a PE image (format '$format')" >&2; exit 1 ;;
esac
echo "check-dll: $dll ($format)"
headers=$("$prefix-objdump" -p "$dll")

# Exports: the name table, undecorated.
exports=$(awk '/^\[Ordinal\/Name Pointer\] Table/ {on = 1; next}
               on && NF == 0 {on = 0}
               on {print $NF}' <<<"$headers" | sort | tr '\n' ' ')
if [[ $exports == "DllCanUnloadNow DllGetClassObject " ]]; then
  pass "exports exactly: $exports"
else
  fail "exports $(wc -w <<<"$exports") name(s): $(cut -c1-200 <<<"$exports")...; expected exactly DllCanUnloadNow DllGetClassObject"
fi

# Imports: system DLLs only.
allowed='^(kernel32|user32|gdi32|advapi32|ole32|oleaut32|winspool\.drv|comctl32|comdlg32|shell32|shlwapi|msvcrt|ucrtbase|version|ntdll)(\.dll)?$|^api-ms-win-crt-.*\.dll$'
imports=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers" | tr 'A-Z' 'a-z' | sort -u)
bad=$(grep -Ev "$allowed" <<<"$imports" || true)
if [[ -z $imports ]]; then
  fail "no import table found"
elif [[ -n $bad ]]; then
  fail "imports non-system DLLs: $(echo $bad)"
else
  pass "imports only system DLLs: $(echo $imports)"
fi

# Resources.
if "$prefix-objdump" -h "$dll" | grep -q '[[:space:]]\.rsrc[[:space:]]'; then
  pass ".rsrc section present"
else
  fail "no .rsrc section"
fi
rc=$("$prefix-windres" -i "$dll" -O rc 2>/dev/null || true)
grep -q '^STRINGTABLE' <<<"$rc" && pass "string tables present" || fail "no string table"
grep -q 'VERSIONINFO' <<<"$rc" && pass "version information present" || fail "no VERSIONINFO"
grep -qF '"About"' <<<"$rc" && pass 'string "About" present' || fail 'string "About" not found'

if ((failures)); then
  echo "check-dll: $dll: $failures check(s) failed" >&2
  exit 1
fi
echo "check-dll: $dll: all checks passed"

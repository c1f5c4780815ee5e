#!/usr/bin/env bash
# Instruction counts (callgrind) of the three print ticket conversions
# against the least the same work costs with libxml2 alone, and of the
# host's document sheet over servers of 500 and 5,000 forms. Instructions,
# unlike time, do not move with the load of a shared machine. Builds the
# linux-release preset first; about two minutes.
#
#   conversion      DOM load of the document, the conversion, the release
#   required work   libxml2 parsing the same document and writing the debug
#                   files the description requires (temporary file, rename)
#   parse+dump      the floor measured before: one parse and one
#                   serialisation to memory
#   DOM calls       calls the conversion makes into the DOM and namespace
#                   manager (IUnknown's included)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
cmake --preset linux-release >/dev/null
cmake --build --preset linux-release -j2 >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
valgrind --tool=callgrind --collect-atstart=no --callgrind-out-file="$work/cg.out" \
  build/linux-release/bench/orvoui_cost "$work" >"$work/calls.txt" 2>"$work/valgrind.txt"
# Each dump names its part in its trigger line and gives its total.
for f in "$work"/cg.out.*; do
  name=$(sed -n 's/^desc: Trigger: Client Request: //p' "$f")
  total=$(sed -n 's/^summary: //p' "$f")
  [ -n "$name" ] && echo "$name $total"
done >"$work/parts.txt"
awk -v calls="$work/calls.txt" '
  BEGIN {
    while ((getline line < calls) > 0) { split(line, f, " "); domcalls[f[2]] = f[3] }
    names[0] = "DEVMODE to PrintTicket"; names[1] = "PrintTicket to DEVMODE"; names[2] = "PrintCapabilities"
  }
  { count[$1 " " $2] = $NF }
  END {
    printf "%-24s %8s %14s %14s %7s %14s %7s %9s\n", "conversion", "foreign", "instructions", "required work",
           "ratio", "parse+dump", "ratio", "DOM calls"
    for (c = 0; c <= 2; ++c) {
      split("0 100 1000", sizes, " ")
      for (s = 1; s <= 3; ++s) {
        part = c "/" sizes[s]
        conv = count["conversion " part]; floor = count["floor " part]; old = count["old-floor " part]
        printf "%-24s %8s %14d %14d %6.2fx %14d %6.2fx %9d\n", names[c], sizes[s], conv / 3, floor / 3,
               conv / floor, old / 3, conv / old, domcalls[part]
      }
    }
    small = count["sheet 500"]; large = count["sheet 5000"]
    printf "\ndocument sheet (orvoui-host --state FILE sheet): 500 forms %d, 5000 forms %d instructions: %.2fx\n",
           small / 3, large / 3, large / small
  }' "$work/parts.txt"

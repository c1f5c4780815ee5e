#!/usr/bin/env bash
# The project's test command: installs what is missing, builds and tests the
# Linux build (plain, under AddressSanitizer/UBSan and under
# ThreadSanitizer), runs the fuzz targets for a bounded time (tools/fuzz.sh),
# cross-builds both Windows DLLs, checks them, and runs the Windows smoke
# test and the layout and keyboard checks of the pages and dialogs under
# Wine.
# Test suites run two at a time: each test process has its own drive folder.
# Stops at the first failing stage and says which one it was.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

summary=()
stage() {
  local name=$1 start=$SECONDS rc=0
  shift
  echo
  echo "=== $name"
  "$@" || rc=$?
  if ((rc != 0)); then
    echo >&2
    echo "test.sh: stage '$name' FAILED (exit $rc)" >&2
    printf '  %s\n' "${summary[@]}" >&2
    exit 1
  fi
  summary+=("$(printf '%-28s ok  %4ds' "$name" $((SECONDS - start)))")
}

preset() { cmake --preset "$1" && cmake --build --preset "$1" -j2; }

stage "dependencies" bash tools/deps.sh
stage "linux build" preset linux
stage "linux tests" ctest --preset linux -j2
stage "linux-asan build" preset linux-asan
stage "linux-asan tests" ctest --preset linux-asan -j2
# The whole suite under ThreadSanitizer takes about a minute on top of its
# build: the threaded parts (the kernel's threads and cross-thread messages,
# the bidi port, the ribbon query's worker, the concurrent conversions) with
# everything they call.
stage "linux-tsan build" preset linux-tsan
stage "linux-tsan tests" ctest --preset linux-tsan -j2
stage "fuzz" bash tools/fuzz.sh
stage "windows-x86 build" preset windows-x86
stage "windows-x64 build" preset windows-x64
stage "windows-x86 dll check" bash tools/check-dll.sh build/windows-x86/src/orvoui.dll
stage "windows-x64 dll check" bash tools/check-dll.sh build/windows-x64/src/orvoui.dll
stage "wine smoke x86" bash tools/wine-smoke.sh build/windows-x86
stage "wine smoke x64" bash tools/wine-smoke.sh build/windows-x64
# Every page and dialog as the harness (winhost/) brings them up with the
# plug-in's own procedures, every language, at 96, 120 and 144 DPI. Both
# DLLs carry the same compiled resources and procedures: it runs once, on
# the 32-bit DLL where the machine runs 32-bit programs.
stage "wine layout x86" bash tools/wine-smoke.sh --layout build/windows-x86
stage "wine keyboard" bash tools/wine-smoke.sh --keyboard build/windows-x86

echo
echo "test.sh: all stages passed"
printf '  %s\n' "${summary[@]}"

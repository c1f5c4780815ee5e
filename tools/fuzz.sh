#!/usr/bin/env bash
# Builds the linux-fuzz preset (clang, libFuzzer, ASan and UBSan), replays
# every target's corpus in fuzz/corpus/<target>/ (the seeds and every input
# that ever failed), then fuzzes each target for a bounded time from that
# corpus with its dictionary fuzz/<target>.dict. New inputs go to a
# scratch folder, not into the repository.
#
#   tools/fuzz.sh                 # CI: replay, then FUZZ_SECONDS (default 15) per target
#   FUZZ_SECONDS=600 tools/fuzz.sh ticket_to_devmode   # one target, longer
#
# An input that breaks a target is kept as <scratch>/<target>/crash-*; the
# script prints it and fails. Add it to fuzz/corpus/<target>/ under a name
# that says what it found once the fault is fixed.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

seconds=${FUZZ_SECONDS:-15}
targets=("$@")
if ((${#targets[@]} == 0)); then
  targets=(ticket_to_devmode devmode_to_ticket ticket_file devmode_ops stored_values stock_numbers state_json reg_import)
fi

cmake --preset linux-fuzz >/dev/null
cmake --build --preset linux-fuzz -j2

bin=build/linux-fuzz/fuzz
scratch=$(mktemp -d "${TMPDIR:-/tmp}/orvoui-fuzz.XXXXXX")
export TMPDIR=$scratch
trap 'rm -rf "$scratch"' EXIT

status=0
for t in "${targets[@]}"; do
  corpus=fuzz/corpus/$t
  echo "fuzz: $t: replaying $(find "$corpus" -type f | wc -l) inputs"
  if ! find "$corpus" -type f -print0 | xargs -0 "$bin/fuzz_$t" -runs=1 >"$scratch/$t.replay.log" 2>&1; then
    tail -n 30 "$scratch/$t.replay.log" >&2
    echo "fuzz: $t: an input of $corpus fails" >&2
    status=1
    continue
  fi
done
((status == 0)) || exit 1

for t in "${targets[@]}"; do
  mkdir -p "$scratch/$t/corpus" "$scratch/$t/found"
  log=$scratch/$t.log
  if ! "$bin/fuzz_$t" -max_total_time="$seconds" -print_final_stats=1 -dict="fuzz/$t.dict" \
      -artifact_prefix="$scratch/$t/found/" "$scratch/$t/corpus" "fuzz/corpus/$t" >"$log" 2>&1; then
    tail -n 40 "$log" >&2
    keep=${FUZZ_KEEP:-$root/build/linux-fuzz/found}
    mkdir -p "$keep/$t"
    cp "$scratch/$t/found/"* "$keep/$t/" 2>/dev/null || true
    echo "fuzz: $t: failed; the input is in $keep/$t/" >&2
    status=1
    continue
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  echo "fuzz: $t: $runs runs in ${seconds}s ($((runs / seconds))/s), corpus $(find "$scratch/$t/corpus" -type f | wc -l) new"
done
exit $status

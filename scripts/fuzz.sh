#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Fuzzes every parser with libFuzzer: builds the "fuzz" preset (clang), seeds each target from
# fuzz/targets.txt, runs the targets one after the other under nice for SECONDS each (default
# 60), and reports executions per second, coverage and findings per target. Exits non-zero when
# any target found something: a crash, a sanitizer report, a hang (over 1 s for one input), a
# leak or a memory blow-up (one allocation over 512 MiB). Findings land in
# build/fuzz/findings/TARGET; keep each in fuzz/regressions/TARGET once it is fixed.
#
# The machine is shared and the fuzzers run under nice, so a wall clock of 1 s is no measure
# of one input: inputs slower than 1 s are set aside while fuzzing (libFuzzer stops only past
# 10 s, and such an input is timed again too) and timed again afterwards, three times; an input
# is a hang when even its fastest run takes over a second.
#   scripts/fuzz.sh [SECONDS] [TARGET ...]
set -uo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
scripts/setup.sh programs fuzzing || exit 1
scripts/build.sh fuzz >/dev/null || { echo "fuzz: the build failed" >&2; exit 1; }

bin=build/fuzz/fuzz
work=build/fuzz/runs
export ASAN_OPTIONS="quarantine_size_mb=32:malloc_context_size=20:detect_leaks=1"
export LSAN_OPTIONS="suppressions=$PWD/cmake/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export QT_QPA_PLATFORM=offscreen

wanted=("$@")
status=0
report=()
while read -r target max_len folders; do
  case "$target" in fuzz_*) ;; *) continue ;; esac
  if [ ${#wanted[@]} -gt 0 ] && ! printf '%s\n' "${wanted[@]}" | grep -qx "$target"; then
    continue
  fi
  corpus=$work/$target/corpus
  seeds=$work/$target/seeds
  findings=build/fuzz/findings/$target
  rm -rf "$seeds"
  mkdir -p "$corpus" "$seeds" "$findings"
  # Seeds: the named folders, fuzz/seeds/TARGET and the kept regression inputs.
  n=0
  for folder in $folders fuzz/seeds/$target fuzz/regressions/$target; do
    [ -d "$folder" ] || continue
    while IFS= read -r -d '' f; do
      cp "$f" "$seeds/seed-$n"
      n=$((n + 1))
    done < <(find "$folder" -type f ! -name '.*' -size -"$((max_len + 1))"c -print0)
  done
  log=$work/$target/log.txt
  echo "== $target: ${seconds}s, $n seeds" >&2
  nice -n 19 "$bin/$target" -max_total_time="$seconds" -timeout=10 -report_slow_units=1 -rss_limit_mb=2048 \
    -malloc_limit_mb=512 -max_len="$max_len" -print_final_stats=1 -artifact_prefix="$findings/" \
    "$corpus" "$seeds" >"$log" 2>&1
  rc=$?
  # Slow inputs (and those past 10 s: the machine may have been busy) timed again: a hang only
  # when the fastest of three runs takes over a second.
  for unit in "$findings"/slow-unit-* "$findings"/timeout-*; do
    [ -f "$unit" ] || continue
    fastest=$("$bin/$target" -timeout=30 "$unit" "$unit" "$unit" 2>&1 | sed -n 's/^Executed .* in \([0-9]*\) ms$/\1/p' | sort -n | head -1)
    if [ -n "$fastest" ] && [ "$fastest" -le 1000 ]; then
      mkdir -p "$findings/unconfirmed"
      mv "$unit" "$findings/unconfirmed/$(basename "$unit")-${fastest}ms"
    else
      mv "$unit" "$findings/hang-$(basename "$unit" | sed 's/^slow-unit-//; s/^timeout-//')-${fastest:-?}ms"
    fi
  done
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  rss=$(sed -n 's/^stat::peak_rss_mb: *//p' "$log" | tail -1)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  ft=$(grep -o 'ft: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  found=$(find "$findings" -maxdepth 1 -type f | wc -l)
  [ "$rc" -ne 0 ] || [ "$found" -gt 0 ] && status=1
  report+=("$(printf '%-20s %9s %7s/s %6s %7s %6s MiB %s' "$target" "${execs:-?}" "${rate:-?}" "${cov:-?}" "${ft:-?}" "${rss:-?}" \
    "$([ "$found" -gt 0 ] && echo "FOUND $found in $findings" || { [ "$rc" -ne 0 ] && echo "exit $rc, see $log" || echo "nothing found"; })")")
done < fuzz/targets.txt

printf '\n%-20s %9s %9s %6s %7s %10s %s\n' target execs rate cov features "peak RSS" findings
printf '%s\n' "${report[@]}"
exit $status

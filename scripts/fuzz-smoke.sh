#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for a few seconds, starting from its seed corpus.
# Usage: scripts/fuzz-smoke.sh BUILD_DIR SECONDS
set -euo pipefail
build="$(cd "$1" && pwd)"; seconds="$2"
root="$(cd "$(dirname "$0")/.." && pwd)"
status=0
for target in "$build"/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  name="$(basename "$target")"
  work="$build/fuzz/corpus-$name"
  mkdir -p "$work"
  seeds=()
  [ -d "$root/fuzz/corpus/$name" ] && seeds+=("$root/fuzz/corpus/$name")
  echo "fuzz: $name for ${seconds}s"
  if ! (cd "$build/fuzz" && ASAN_OPTIONS=detect_leaks=1 "$target" -max_total_time="$seconds" \
          -print_final_stats=1 -rss_limit_mb=2048 "$work" "${seeds[@]}" > "$name.log" 2>&1); then
    echo "fuzz: $name FAILED"; tail -n 60 "$build/fuzz/$name.log"; status=1
  else
    grep -E 'stat::number_of_executed_units' "$build/fuzz/$name.log" || true
  fi
done
exit $status

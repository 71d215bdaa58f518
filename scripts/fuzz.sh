#!/usr/bin/env bash
# Builds every libFuzzer target in fuzz/ with clang++ (into build-fuzz/) and runs
# each for a bounded time from its seed corpus. Fails on any crash, leak,
# timeout or sanitizer report; the failing input is kept in build-fuzz/artifacts/.
#   FUZZ_SECONDS  seconds per target (default 30)
#   FUZZ_TARGETS  space-separated target names to run (default: all)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-30}
build=${FUZZ_BUILD_DIR:-build-fuzz}
jobs=$(nproc 2>/dev/null || echo 2)

cmake -S . -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVANTOR_FUZZ=ON -DVANTOR_TESTS=OFF >/dev/null
cmake --build "$build" -j "$jobs" --target fuzz_all

reference=tests/data/reference
rm -rf "$build/seeds"
# The content tool's output (data/, written by scripts/setup.sh) joins the seeds.
content=()
[ -d data/tracks ] && content=(--data data)
"$build/fuzz/fuzz_seeds" "$build/seeds" "${content[@]}" $reference
mkdir -p "$build/artifacts"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
targets=${FUZZ_TARGETS:-$(cd fuzz && ls *.cpp | sed 's/\.cpp$//')}
failed=0
for name in $targets; do
  bin="$build/fuzz/fuzz_$name"
  corpus="$build/corpus/$name"
  mkdir -p "$corpus" "$build/seeds/$name"
  echo "== fuzz_$name for ${seconds}s"
  # New inputs go to the first folder; the seeds stay as generated.
  if ! "$bin" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$build/artifacts/$name-" "$corpus" "$build/seeds/$name" 2>"$build/fuzz-$name.log"; then
    tail -n 60 "$build/fuzz-$name.log"
    echo "fuzz_$name FAILED (log: $build/fuzz-$name.log)"
    failed=1
  else
    grep -E "stat::number_of_executed_units|stat::peak_rss_mb" "$build/fuzz-$name.log" | sed "s/^/fuzz_$name /"
  fi
done
exit $failed

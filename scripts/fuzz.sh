#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, AddressSanitizer + UndefinedBehaviorSanitizer,
# in build/fuzz) and runs each for SECONDS (default 30) from its seed corpus in
# tests/fuzz/corpus/<target>/. Fails on any crash, leak, time-out, memory blow-up
# or sanitizer report; the input that caused it is kept in build/fuzz/findings/.
#
#   bash scripts/fuzz.sh [SECONDS] [TARGET...]
source "$(dirname "$0")/common.sh"

SECONDS_PER_TARGET="${1:-30}"
shift || true
TARGETS=("$@")
if [ ${#TARGETS[@]} -eq 0 ]; then
  TARGETS=(fuzz_preset_file fuzz_host_state fuzz_preset_folder fuzz_value_text fuzz_version_reply fuzz_render_options)
fi

echo "== fuzz targets, clang libFuzzer + AddressSanitizer + UndefinedBehaviorSanitizer"
configure build/fuzz -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g -DNDEBUG" \
  -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -g -DNDEBUG" \
  -DVANTREL_FUZZ=ON -DVANTREL_BUILD_TESTS=OFF -DVANTREL_BUILD_BENCHMARKS=OFF
cmake --build build/fuzz --target "${TARGETS[@]}" -j"$JOBS"

# Leaks count as findings; a stack overflow is reported, not a silent death.
export ASAN_OPTIONS="detect_leaks=1:detect_stack_use_after_return=1:abort_on_error=1:symbolize=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

status=0
summary=""
for target in "${TARGETS[@]}"; do
  work="build/fuzz/corpus/$target"         # what this run adds; the repository's seeds stay as they are
  findings="build/fuzz/findings/$target/"
  log="build/fuzz/$target.log"
  mkdir -p "$work" "$findings"
  echo "-- $target, ${SECONDS_PER_TARGET} s"
  if "build/fuzz/tests/fuzz/$target" -max_total_time="$SECONDS_PER_TARGET" -timeout=10 -rss_limit_mb=2048 \
       -max_len=65536 -print_final_stats=1 -artifact_prefix="$findings" \
       "$work" "tests/fuzz/corpus/$target" >"$log" 2>&1; then
    result="no findings"
  else
    result="FINDING (see $log and $findings)"
    status=1
    tail -n 40 "$log"
  fi
  runs="$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo '?')"
  summary+="$(printf '%-22s %12s executions   %s' "$target" "$runs" "$result")"$'\n'
done

echo "== fuzzing summary"
printf '%s' "$summary"
exit $status

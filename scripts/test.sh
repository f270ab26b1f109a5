#!/usr/bin/env bash
# Builds and runs every test: the DSP layers under AddressSanitizer and
# UndefinedBehaviorSanitizer, the threading tests under ThreadSanitizer,
# the whole suite on the release build, then each fuzz target for 30 s.
source "$(dirname "$0")/common.sh"

echo "== DSP tests, AddressSanitizer + UndefinedBehaviorSanitizer"
configure build/asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTREL_SANITIZE=address \
  -DVANTREL_BUILD_JUCE=OFF -DVANTREL_BUILD_BENCHMARKS=OFF
cmake --build build/asan
ctest --test-dir build/asan -L dsp --output-on-failure -j"$JOBS"

echo "== threading tests, ThreadSanitizer"
configure build/tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTREL_SANITIZE=thread -DVANTREL_BUILD_BENCHMARKS=OFF
cmake --build build/tsan --target vantrel_thread_tests
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
  ctest --test-dir build/tsan -R 'Threads\.' --output-on-failure -j"$JOBS"

echo "== full suite, release build"
configure build/release -DCMAKE_BUILD_TYPE=Release
cmake --build build/release
# A test that fails is run once more: a fault fails both runs, while a rare
# one-off (a test that loads the plug-ins through third-party host code, on a
# busy machine) does not fail the whole run.
ctest --test-dir build/release --output-on-failure -j"$JOBS" --repeat until-pass:2

echo "== fuzz targets, 30 s each"
bash scripts/fuzz.sh 30

#!/usr/bin/env bash
# Builds and runs every test: the DSP layers under AddressSanitizer and
# UndefinedBehaviorSanitizer, the threading tests under ThreadSanitizer,
# the whole suite on the release build, the JUCE-free DSP tests again on an
# emulated CPU without AVX, then each fuzz target for 30 s.
source "$(dirname "$0")/common.sh"

step "Configure (build/asan)" configure build/asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTREL_SANITIZE=address \
  -DVANTREL_BUILD_JUCE=OFF -DVANTREL_BUILD_BENCHMARKS=OFF
step "Build the DSP tests (AddressSanitizer + UndefinedBehaviorSanitizer)" cmake --build build/asan -j"$JOBS"
step "DSP tests, AddressSanitizer + UndefinedBehaviorSanitizer" \
  ctest --test-dir build/asan -L dsp --output-on-failure -j"$JOBS"

step "Configure (build/tsan)" configure build/tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTREL_SANITIZE=thread \
  -DVANTREL_BUILD_BENCHMARKS=OFF
step "Build the threading tests (ThreadSanitizer)" cmake --build build/tsan --target vantrel_thread_tests -j"$JOBS"
step "Threading tests, ThreadSanitizer" env TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
  ctest --test-dir build/tsan -R 'Threads\.' --output-on-failure -j"$JOBS"

step "Configure (build/release)" configure build/release -DCMAKE_BUILD_TYPE=Release
step "Build everything (release)" cmake --build build/release -j"$JOBS"
# A test that fails is run once more: a fault fails both runs, while a rare
# one-off (a test that loads the plug-ins through third-party host code, on a
# busy machine) does not fail the whole run.
step "Full suite, release build" ctest --test-dir build/release --output-on-failure -j"$JOBS" --repeat until-pass:2

# The JUCE-free DSP tests once more on an emulated CPU without AVX (QEMU user
# mode as a Nehalem, whose best Highway target is SSSE3: Highway's SSE4
# target also needs AES and CLMUL), where the vector layer runs its SSE forms
# on whole blocks, in $JOBS shards at once. Three long renders that check pitch
# and tone rather than a code path (about a third of the emulated time) are
# left to the native run above.
qemu_dsp_tests() {
  local skip="-PitchShifter.OddRatesAndBlockSizesStillShift:PitchShifter.ShiftsASineByTheInterval"
  skip+=":KernelPitch.OctaveUpTurns440IntoDominant880BeforeAndAfterTheReverb"
  local pids=() status=0 bin i
  for bin in build/release/tests/framework/framework_tests build/release/tests/dsp/dsp_tests; do
    for ((i = 0; i < JOBS; ++i)); do
      GTEST_TOTAL_SHARDS=$JOBS GTEST_SHARD_INDEX=$i qemu-x86_64 -cpu Nehalem "$bin" --gtest_brief=1 --gtest_filter="$skip" &
      pids+=($!)
    done
  done
  for i in "${pids[@]}"; do wait "$i" || status=1; done
  return "$status"
}
step "DSP tests on an emulated CPU without AVX (QEMU, Nehalem)" qemu_dsp_tests

step "Fuzz targets, 30 s each (scripts/fuzz.sh)" bash scripts/fuzz.sh 30

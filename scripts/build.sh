#!/usr/bin/env bash
# Builds everything in release, runs the test suite and the benchmarks.
source "$(dirname "$0")/common.sh"

configure build/release -DCMAKE_BUILD_TYPE=Release
cmake --build build/release
ctest --test-dir build/release --output-on-failure -j"$JOBS"
build/release/bench/vantrel_benchmarks --benchmark_min_time=0.2

#pragma once

// Loops of element-wise arithmetic built twice, for AVX2 and for baseline
// x86-64, the version chosen once when the library loads (GCC's function
// multiversioning): the compiler vectorises each for its lanes. AVX2 without
// FMA, and no reassociation: every multiply and add stays its own rounded
// step in either version, so both give the same samples.
//
// Not in sanitizer builds: the version is chosen by a resolver that runs
// while the program is being loaded, before a sanitizer's runtime is set up
// (ThreadSanitizer crashes there); those builds check behaviour, not speed.
#if defined(__GNUC__) && ! defined(__clang__) && defined(__x86_64__) && ! defined(__SANITIZE_THREAD__) \
    && ! defined(__SANITIZE_ADDRESS__)
#define KARVON_VECTOR_CLONES __attribute__ ((target_clones ("avx2", "default")))
#else
#define KARVON_VECTOR_CLONES
#endif

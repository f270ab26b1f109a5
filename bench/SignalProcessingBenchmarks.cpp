// The vector layer against plain scalar loops (libm for the transcendental
// functions) on 256-float vectors, the engine's usual sub-block length.
#include "Math/Accelerate/BiquadHistory.h"
#include "Math/Accelerate/SignalProcessing.h"
#include "ProcessBlock/Filters/FourthOrderBlocks.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace
{
constexpr unsigned long n = 256;

struct Data
{
    std::vector<float> a, b, c, out;
    Data() : a (n), b (n), c (n), out (n)
    {
        std::mt19937 rng (7);
        std::uniform_real_distribution<float> d (0.1f, 4.0f);
        for (unsigned long i = 0; i < n; ++i)
        {
            a[i] = d (rng);
            b[i] = d (rng);
            c[i] = d (rng) - 2.0f;
        }
    }
};

// Keeps the compiler from vectorising the scalar reference loops, which is
// what "scalar" is meant to measure.
#define SCALAR __attribute__ ((noinline, optimize ("no-tree-vectorize")))

template <typename F>
void run (benchmark::State& state, F&& f)
{
    Data d;
    for (auto _ : state)
    {
        f (d);
        benchmark::DoNotOptimize (d.out.data());
        benchmark::ClobberMemory();
    }
}

#define UNARY_PAIR(name, vectorCall, scalarExpr)                                                  \
    void BM_##name##_vector (benchmark::State& s) { run (s, [] (Data& d) { vectorCall; }); }      \
    SCALAR void scalar_##name (Data& d)                                                          \
    {                                                                                            \
        for (unsigned long i = 0; i < n; ++i)                                                    \
            d.out[i] = scalarExpr;                                                               \
    }                                                                                            \
    void BM_##name##_scalar (benchmark::State& s) { run (s, scalar_##name); }                    \
    BENCHMARK (BM_##name##_vector);                                                              \
    BENCHMARK (BM_##name##_scalar);

UNARY_PAIR (add, SignalProcessing::add (d.a.data(), d.b.data(), d.out.data(), n), d.a[i] + d.b[i])
UNARY_PAIR (mul_s_add, SignalProcessing::mul_s_add (d.a.data(), 0.5f, d.b.data(), d.out.data(), n), d.a[i] * 0.5f + d.b[i])
UNARY_PAIR (div, SignalProcessing::div (d.a.data(), d.b.data(), d.out.data(), n), d.a[i] / d.b[i])
UNARY_PAIR (squareRoot, SignalProcessing::squareRoot (d.a.data(), d.out.data(), n), std::sqrt (d.a[i]))
UNARY_PAIR (clip, SignalProcessing::clip (d.c.data(), -1.0f, 1.0f, d.out.data(), n), std::clamp (d.c[i], -1.0f, 1.0f))
UNARY_PAIR (ramp, SignalProcessing::ramp (1.0f, 0.01f, d.out.data(), n), 1.0f + float (i) * 0.01f)
UNARY_PAIR (truncToInt, SignalProcessing::truncToInt (d.c.data(), d.out.data(), n), std::trunc (d.c[i]))
UNARY_PAIR (mod, SignalProcessing::mod (d.a.data(), d.b.data(), d.out.data(), n), std::fmod (d.a[i], d.b[i]))
UNARY_PAIR (exp, SignalProcessing::exp (d.c.data(), d.out.data(), n), std::exp (d.c[i]))
UNARY_PAIR (log, SignalProcessing::log (d.a.data(), d.out.data(), n), std::log (d.a[i]))
UNARY_PAIR (sin, SignalProcessing::sin (d.c.data(), d.out.data(), n), std::sin (d.c[i]))
UNARY_PAIR (cos, SignalProcessing::cos (d.c.data(), d.out.data(), n), std::cos (d.c[i]))
UNARY_PAIR (tanh, SignalProcessing::tanh (d.c.data(), d.out.data(), n), std::tanh (d.c[i]))
UNARY_PAIR (pow, SignalProcessing::pow (d.out.data(), d.c.data(), d.a.data(), n), std::pow (d.a[i], d.c[i]))

void BM_peak_vector (benchmark::State& s)
{
    run (s, [] (Data& d) { SignalProcessing::peak (d.c.data(), d.out.data(), n); });
}
SCALAR void scalar_peak (Data& d)
{
    float m = 0.0f;
    for (unsigned long i = 0; i < n; ++i)
        m = std::fmax (m, std::fabs (d.c[i]));
    d.out[0] = m;
}
void BM_peak_scalar (benchmark::State& s) { run (s, scalar_peak); }
BENCHMARK (BM_peak_vector);
BENCHMARK (BM_peak_scalar);

void BM_rms_vector (benchmark::State& s)
{
    run (s, [] (Data& d) { SignalProcessing::rms (d.c.data(), d.out.data(), n); });
}
SCALAR void scalar_rms (Data& d)
{
    float sum = 0.0f;
    for (unsigned long i = 0; i < n; ++i)
        sum += d.c[i] * d.c[i];
    d.out[0] = std::sqrt (sum / float (n));
}
void BM_rms_scalar (benchmark::State& s) { run (s, scalar_rms); }
BENCHMARK (BM_rms_vector);
BENCHMARK (BM_rms_scalar);

void BM_biquad_vector (benchmark::State& s)
{
    auto state = SignalProcessing::biquad_createState();
    const float coefficients[5] { 0.2f, 0.4f, 0.2f, -0.5f, 0.3f };
    run (s, [&] (Data& d) {
        SignalProcessing::biquad (d.c.data(), coefficients, d.out.data(), n, state.get());
        state->clearBadStateValue();
    });
}
BENCHMARK (BM_biquad_vector);

// The one-pass forms, each on 256 samples per section: two channels side
// by side, four sections side by side. Per section-sample they cost less
// than one section alone because the independent recursions overlap.
const float kLowPass[5] { 0.2f, 0.4f, 0.2f, -0.5f, 0.3f };
const float kHighPass[5] { 0.9f, -1.8f, 0.9f, -1.79f, 0.81f };

// Two sections in series as one recursion four samples at a time, one
// channel and two.
void BM_fourth_order (benchmark::State& s)
{
    FourthOrderBlocks f;
    f.setSections ({ kHighPass[0], kHighPass[1], kHighPass[2], kHighPass[3], kHighPass[4] },
                   { kLowPass[0], kLowPass[1], kLowPass[2], kLowPass[3], kLowPass[4] });
    run (s, [&] (Data& d) { f.process (d.c.data(), d.out.data(), n); });
}
BENCHMARK (BM_fourth_order);

void BM_biquad_two (benchmark::State& s)
{
    BiquadHistory h[2];
    run (s, [&] (Data& d) {
        const float* in[2] = { d.c.data(), d.a.data() };
        float* out[2] = { d.out.data(), d.b.data() };
        const float* c[2] = { kLowPass, kLowPass };
        BiquadHistory* states[2] = { &h[0], &h[1] };
        SignalProcessing::biquadTwo (in, c, out, n, states);
    });
}
BENCHMARK (BM_biquad_two);

void BM_fourth_order_pair (benchmark::State& s)
{
    FourthOrderBlocks f[2];
    for (auto& one : f)
        one.setSections ({ kHighPass[0], kHighPass[1], kHighPass[2], kHighPass[3], kHighPass[4] },
                         { kLowPass[0], kLowPass[1], kLowPass[2], kLowPass[3], kLowPass[4] });
    std::vector<float> y (n);
    run (s, [&] (Data& d) {
        // In place: the inputs copied first, as the pitch shifter's are its own.
        std::copy (d.c.begin(), d.c.end(), d.out.begin());
        std::copy (d.a.begin(), d.a.end(), y.begin());
        FourthOrderBlocks::processPair (f[0], f[1], d.out.data(), y.data(), n);
    });
}
BENCHMARK (BM_fourth_order_pair);

void BM_biquad_four (benchmark::State& s)
{
    BiquadHistory h[4];
    std::vector<float> x (4 * n, 0.25f), y (4 * n);
    run (s, [&] (Data&) {
        const float* in[4] = { x.data(), x.data() + n, x.data() + 2 * n, x.data() + 3 * n };
        float* out[4] = { y.data(), y.data() + n, y.data() + 2 * n, y.data() + 3 * n };
        const float* c[4] = { kLowPass, kHighPass, kLowPass, kHighPass };
        BiquadHistory* states[4] = { &h[0], &h[1], &h[2], &h[3] };
        SignalProcessing::biquadFour (in, c, out, n, states);
    });
}
BENCHMARK (BM_biquad_four);
} // namespace

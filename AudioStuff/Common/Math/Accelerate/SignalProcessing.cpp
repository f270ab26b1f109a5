#include "Math/Accelerate/SignalProcessing.h"

#include "Math/Accelerate/BiquadHistory.h"
#include "Math/Accelerate/VectorKernels.h"

#include <algorithm>
#include <cmath>

// The element-wise operations the engine runs every block in any number are
// the Highway forms of VectorArithmetic.cpp; the rest are plain loops that GCC
// vectorises for the x86-64 baseline (a faster form of them would not show
// in the plug-in's cost). The transcendental functions, the biquad lanes and
// the reductions are the Highway kernels of VectorKernels.cpp. This file is
// compiled with -fno-math-errno (not -ffast-math) so that sqrt vectorises.

void SignalProcessing::init() noexcept
{
    VectorKernels::choose();
}

namespace
{
// The vector layer's four folded values taken together in pairs: one fixed
// order, the same result from every target.
float largestOf (const float (&l)[4]) noexcept
{
    return std::max (std::max (l[0], l[1]), std::max (l[2], l[3]));
}

float smallestOf (const float (&l)[4]) noexcept
{
    return std::min (std::min (l[0], l[1]), std::min (l[2], l[3]));
}
} // namespace

void SignalProcessing::add (const float* a, const float* b, float* out, unsigned long n) noexcept
{
    VectorKernels::add (a, b, out, n);
}

void SignalProcessing::add_s (const float* a, float s, float* out, unsigned long n) noexcept
{
    for (unsigned long i = 0; i < n; ++i)
        out[i] = a[i] + s;
}

void SignalProcessing::add_s_D (const double* a, double s, double* out, unsigned long n) noexcept
{
    for (unsigned long i = 0; i < n; ++i)
        out[i] = a[i] + s;
}

void SignalProcessing::sub (const float* a, const float* b, float* out, unsigned long n) noexcept
{
    VectorKernels::sub (a, b, out, n);
}

void SignalProcessing::add_sub (const float* a, const float* b, float* sum, float* difference, unsigned long n) noexcept
{
    VectorKernels::add_sub (a, b, sum, difference, n);
}

void SignalProcessing::mul (const float* a, const float* b, float* out, unsigned long n) noexcept
{
    VectorKernels::mul (a, b, out, n);
}

void SignalProcessing::mul_s (const float* a, float s, float* out, unsigned long n) noexcept
{
    VectorKernels::mul_s (a, s, out, n);
}

void SignalProcessing::add_mul_s (const float* a, const float* b, float s, float* out, unsigned long n) noexcept
{
    VectorKernels::add_mul_s (a, b, s, out, n);
}

void SignalProcessing::add_mul (const float* a, const float* b, const float* c, float* out, unsigned long n) noexcept
{
    for (unsigned long i = 0; i < n; ++i)
        out[i] = (a[i] + b[i]) * c[i];
}

void SignalProcessing::mul_add (const float* a, const float* b, const float* c, float* out, unsigned long n) noexcept
{
    VectorKernels::mul_add (a, b, c, out, n);
}

void SignalProcessing::lerp (const float* a, const float* b, const float* t, float* out, unsigned long n) noexcept
{
    VectorKernels::lerp (a, b, t, out, n);
}

void SignalProcessing::lerp_mul (const float* a, const float* b, const float* t, const float* g, float* out,
                                 unsigned long n) noexcept
{
    VectorKernels::lerp_mul (a, b, t, g, out, n);
}

void SignalProcessing::mul_add_s (const float* a, const float* b, float s, float* out, unsigned long n) noexcept
{
    for (unsigned long i = 0; i < n; ++i)
        out[i] = a[i] * b[i] + s;
}

void SignalProcessing::mul_s_add (const float* a, float s, const float* b, float* out, unsigned long n) noexcept
{
    for (unsigned long i = 0; i < n; ++i)
        out[i] = a[i] * s + b[i];
}

void SignalProcessing::mul_s_add_s (const float* a, float s1, float s2, float* out, unsigned long n) noexcept
{
    for (unsigned long i = 0; i < n; ++i)
        out[i] = a[i] * s1 + s2;
}

void SignalProcessing::mul_mul_add (const float* a, const float* b, const float* c, const float* d, float* out, unsigned long n) noexcept
{
    for (unsigned long i = 0; i < n; ++i)
        out[i] = a[i] * b[i] + c[i] * d[i];
}

void SignalProcessing::div (const float* a, const float* b, float* out, unsigned long n) noexcept
{
    for (unsigned long i = 0; i < n; ++i)
        out[i] = a[i] / b[i];
}

void SignalProcessing::s_div (float s, const float* a, float* out, unsigned long n) noexcept
{
    for (unsigned long i = 0; i < n; ++i)
        out[i] = s / a[i];
}

void SignalProcessing::div_s (const float* a, float s, float* out, unsigned long n) noexcept
{
    for (unsigned long i = 0; i < n; ++i)
        out[i] = a[i] / s;
}

void SignalProcessing::truncToInt (const float* a, float* out, unsigned long n) noexcept
{
    VectorKernels::trunc (a, out, n);
}

void SignalProcessing::squareRoot (const float* a, float* out, unsigned long n) noexcept
{
    for (unsigned long i = 0; i < n; ++i)
        out[i] = std::sqrt (a[i]);
}

void SignalProcessing::powTwo (float* a, unsigned long n) noexcept
{
    for (unsigned long i = 0; i < n; ++i)
        a[i] = a[i] * a[i];
}

void SignalProcessing::pow (float* out, const float* e, const float* x, unsigned long n) noexcept
{
    VectorKernels::pow (x, e, out, n);
}

void SignalProcessing::clip (const float* a, float lo, float hi, float* out, unsigned long n) noexcept
{
    VectorKernels::clip (a, lo, hi, out, n);
}

void SignalProcessing::ramp (float start, float step, float* out, unsigned long n) noexcept
{
    ramp (start, step, 0, out, n);
}

void SignalProcessing::ramp (float start, float step, int first, float* out, unsigned long n) noexcept
{
    // Each value from its own index, so that long ramps do not accumulate error.
    VectorKernels::ramp (start, step, first, out, n);
}

void SignalProcessing::rampD (double start, double step, double* out, unsigned long n) noexcept
{
    for (unsigned long i = 0; i < n; ++i)
        out[i] = start + static_cast<double> (static_cast<long> (i)) * step;
}

void SignalProcessing::frac (float* a, unsigned long n) noexcept
{
    // Truncate in pieces through a small stack buffer: one pass per piece
    // keeps the data in cache and needs no scratch memory of the caller.
    constexpr unsigned long piece = 256;
    alignas (32) float whole[piece];
    for (unsigned long start = 0; start < n; start += piece)
    {
        const unsigned long count = std::min (piece, n - start);
        VectorKernels::trunc (a + start, whole, count);
        for (unsigned long i = 0; i < count; ++i)
            a[start + i] = a[start + i] - whole[i];
    }
}

void SignalProcessing::abs (const float* a, float* out, unsigned long n) noexcept
{
    for (unsigned long i = 0; i < n; ++i)
        out[i] = std::fabs (a[i]);
}

void SignalProcessing::fill (float* out, float v, unsigned long n) noexcept
{
    std::fill (out, out + n, v);
}

void SignalProcessing::finite (const float* a, float* out, unsigned long n) noexcept
{
    VectorKernels::finite (a, out, n);
}

void SignalProcessing::clear (float* out, unsigned long n) noexcept
{
    std::fill (out, out + n, 0.0f);
}

void SignalProcessing::clear (double* out, unsigned long n) noexcept
{
    std::fill (out, out + n, 0.0);
}

void SignalProcessing::tableRead (const float* positions, const float* table, unsigned long tableLength, float* out, unsigned long n) noexcept
{
    if (tableLength == 0)
    {
        clear (out, n);
        return;
    }
    const float last = static_cast<float> (tableLength - 1);
    for (unsigned long i = 0; i < n; ++i)
    {
        const float p = positions[i];
        if (! (p > 0.0f)) // also NaN: a defined answer instead of a wild index
            out[i] = table[0];
        else if (p >= last)
            out[i] = table[tableLength - 1];
        else
        {
            const auto q = static_cast<unsigned long> (p);
            const float r = p - static_cast<float> (q);
            out[i] = table[q] + r * (table[q + 1] - table[q]);
        }
    }
}

void SignalProcessing::cos (const float* a, float* out, unsigned long n) noexcept { VectorKernels::cos (a, out, n); }
void SignalProcessing::sin (const float* a, float* out, unsigned long n) noexcept { VectorKernels::sin (a, out, n); }
void SignalProcessing::tanh (const float* a, float* out, unsigned long n) noexcept { VectorKernels::tanh (a, out, n); }
void SignalProcessing::exp (const float* a, float* out, unsigned long n) noexcept { VectorKernels::exp (a, out, n); }
void SignalProcessing::log (const float* a, float* out, unsigned long n) noexcept { VectorKernels::log (a, out, n); }
void SignalProcessing::log_ten (const float* a, float* out, unsigned long n) noexcept { VectorKernels::log10 (a, out, n); }

void SignalProcessing::peak (const float* a, float* result, unsigned long n) noexcept
{
    // Like fmax, a NaN element is passed over.
    float folded[4];
    unsigned long i = VectorKernels::reduce (VectorKernels::Reduction::largestMagnitude, a, n, folded);
    float m = largestOf (folded);
    for (; i < n; ++i)
    {
        const float v = std::fabs (a[i]);
        m = v > m ? v : m;
    }
    *result = m;
}

void SignalProcessing::max (const float* a, float* result, unsigned long n) noexcept
{
    float folded[4];
    unsigned long i = VectorKernels::reduce (VectorKernels::Reduction::largest, a, n, folded);
    float m = largestOf (folded);
    for (; i < n; ++i)
        m = a[i] > m ? a[i] : m;
    *result = m;
}

void SignalProcessing::min (const float* a, float* result, unsigned long n) noexcept
{
    float folded[4];
    unsigned long i = VectorKernels::reduce (VectorKernels::Reduction::smallest, a, n, folded);
    float m = smallestOf (folded);
    for (; i < n; ++i)
        m = a[i] < m ? a[i] : m;
    *result = m;
}

void SignalProcessing::min_compare (const float* a, const float* b, float* out, unsigned long n) noexcept
{
    // fmin semantics: a NaN on one side gives the other side.
    for (unsigned long i = 0; i < n; ++i)
    {
        const float m = b[i] < a[i] ? b[i] : a[i];
        out[i] = a[i] != a[i] ? b[i] : m;
    }
}

void SignalProcessing::max_compare (const float* a, const float* b, float* out, unsigned long n) noexcept
{
    for (unsigned long i = 0; i < n; ++i)
    {
        const float m = b[i] > a[i] ? b[i] : a[i];
        out[i] = a[i] != a[i] ? b[i] : m;
    }
}

void SignalProcessing::rms (const float* a, float* result, unsigned long n) noexcept
{
    if (n == 0)
    {
        *result = 0.0f;
        return;
    }
    float folded[4];
    unsigned long i = VectorKernels::reduce (VectorKernels::Reduction::sumOfSquares, a, n, folded);
    float sum = (folded[0] + folded[1]) + (folded[2] + folded[3]);
    for (; i < n; ++i)
        sum += a[i] * a[i];
    *result = std::sqrt (sum / static_cast<float> (n));
}

void SignalProcessing::limit (const float* a, float t, float v, float* out, unsigned long n) noexcept
{
    for (unsigned long i = 0; i < n; ++i)
        out[i] = a[i] >= t ? v : -v;
}

void SignalProcessing::threshold (const float* a, float t, float* out, unsigned long n) noexcept
{
    for (unsigned long i = 0; i < n; ++i)
        out[i] = a[i] >= t ? a[i] : 0.0f;
}

void SignalProcessing::mod (const float* a, const float* b, float* out, unsigned long n) noexcept
{
    VectorKernels::fmod (a, b, out, n);
}

void SignalProcessing::interleaveStereo (const float* left, const float* right, float* out, unsigned long n) noexcept
{
    for (unsigned long i = 0; i < n; ++i)
    {
        out[2 * i] = left[i];
        out[2 * i + 1] = right[i];
    }
}

void SignalProcessing::doubleToFloat (const double* a, float* out, unsigned long n) noexcept
{
    for (unsigned long i = 0; i < n; ++i)
        out[i] = static_cast<float> (a[i]);
}

void SignalProcessing::reverse (float* a, unsigned long n) noexcept
{
    std::reverse (a, a + n);
}

namespace
{
// One step of a section. The feed-forward terms and the older output are
// summed first, so that only one multiply and one subtraction sit on the
// sample-to-sample dependency through y1; the vector version below keeps the
// same order in every lane, so both give the same samples.
struct Section
{
    float b0, b1, b2, a1, a2;
    float x1, x2, y1, y2;

    Section (const float* c, const BiquadHistory& h) noexcept
        : b0 (c[0]), b1 (c[1]), b2 (c[2]), a1 (c[3]), a2 (c[4]), x1 (h.x1), x2 (h.x2), y1 (h.y1), y2 (h.y2)
    {
    }

    inline float step (float x) noexcept
    {
        const float partial = b0 * x + b1 * x1 + b2 * x2 - a2 * y2;
        const float y = partial - a1 * y1;
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        return y;
    }

    void store (BiquadHistory& h) const noexcept
    {
        h.x1 = x1;
        h.x2 = x2;
        h.y1 = y1;
        h.y2 = y2;
    }
};

} // namespace

void SignalProcessing::biquad (const float* in, const float* coefficients, float* out, unsigned long n, BiquadHistory* state) noexcept
{
    if (state == nullptr)
    {
        // No memory to run a recursion with: leave the signal as it was.
        if (out != in)
            std::copy (in, in + n, out);
        return;
    }
    Section s (coefficients, *state);
    for (unsigned long k = 0; k < n; ++k)
        out[k] = s.step (in[k]);
    s.store (*state);
}

namespace
{
bool allStates (BiquadHistory* const* state, int count) noexcept
{
    return std::all_of (state, state + count, [] (const BiquadHistory* h) { return h != nullptr; });
}

// count channels through a section each, in vector lanes where every state
// is there, else (no memory to run a recursion with for some) one channel at
// a time through the plain form.
void sections (const float* const* in, const float* const* coefficients, float* const* out, unsigned long n,
               BiquadHistory* const* state, int count) noexcept
{
    if (allStates (state, count))
    {
        VectorKernels::biquads ({ in, out, coefficients, state, count }, n);
        return;
    }
    for (int j = 0; j < count; ++j)
        SignalProcessing::biquad (in[j], coefficients[j], out[j], n, state[j]);
}
} // namespace

void SignalProcessing::biquadTwo (const float* const* in, const float* const* coefficients, float* const* out,
                                  unsigned long n, BiquadHistory* const* state) noexcept
{
    sections (in, coefficients, out, n, state, 2);
}

void SignalProcessing::biquadFour (const float* const* in, const float* const* coefficients, float* const* out,
                                   unsigned long n, BiquadHistory* const* state) noexcept
{
    sections (in, coefficients, out, n, state, 4);
}

void SignalProcessing::biquadEight (const float* const* in, const float* const* coefficients, float* const* out,
                                    unsigned long n, BiquadHistory* const* state) noexcept
{
    sections (in, coefficients, out, n, state, 8);
}

std::unique_ptr<BiquadHistory> SignalProcessing::biquad_createState()
{
    return std::make_unique<BiquadHistory>();
}

void SignalProcessing::biquad_destroyState (std::unique_ptr<BiquadHistory>& state) noexcept
{
    state.reset();
}

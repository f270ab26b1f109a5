#pragma once

#include <memory>

class BiquadHistory;

// The engine's vector layer: static operations on float arrays, each named by
// its formula. n is the element count; every array has stride 1; an output may
// be the same array as an input (in-place use). Operand order matters: `sub`
// is a - b, `div` is a / b, `s_div` is s / a, `pow` is x raised to e, `mod`
// keeps the sign of a.
class SignalProcessing
{
public:
    // Chooses the vector forms for this CPU now rather than at the first call
    // (which then need not do it on the audio thread); calling it is harmless.
    static void init() noexcept;

    static void add (const float* a, const float* b, float* out, unsigned long n) noexcept;
    static void add_s (const float* a, float s, float* out, unsigned long n) noexcept;
    static void add_s_D (const double* a, double s, double* out, unsigned long n) noexcept;
    static void sub (const float* a, const float* b, float* out, unsigned long n) noexcept;
    // sum = a + b and difference = a - b in one pass (either may be a or b)
    static void add_sub (const float* a, const float* b, float* sum, float* difference, unsigned long n) noexcept;
    static void mul (const float* a, const float* b, float* out, unsigned long n) noexcept;
    static void mul_s (const float* a, float s, float* out, unsigned long n) noexcept;
    // (a + b) * c
    static void add_mul (const float* a, const float* b, const float* c, float* out, unsigned long n) noexcept;
    // (a + b) * s
    static void add_mul_s (const float* a, const float* b, float s, float* out, unsigned long n) noexcept;
    // a * b + c
    static void mul_add (const float* a, const float* b, const float* c, float* out, unsigned long n) noexcept;
    // (b - a) * t + a: from a toward b by t
    static void lerp (const float* a, const float* b, const float* t, float* out, unsigned long n) noexcept;
    // ((b - a) * t + a) * g
    static void lerp_mul (const float* a, const float* b, const float* t, const float* g, float* out, unsigned long n) noexcept;
    // a * b + s
    static void mul_add_s (const float* a, const float* b, float s, float* out, unsigned long n) noexcept;
    // a * s + b
    static void mul_s_add (const float* a, float s, const float* b, float* out, unsigned long n) noexcept;
    // a * s1 + s2
    static void mul_s_add_s (const float* a, float s1, float s2, float* out, unsigned long n) noexcept;
    // a * b + c * d
    static void mul_mul_add (const float* a, const float* b, const float* c, const float* d, float* out, unsigned long n) noexcept;
    // a / b
    static void div (const float* a, const float* b, float* out, unsigned long n) noexcept;
    // s / a
    static void s_div (float s, const float* a, float* out, unsigned long n) noexcept;
    // a / s
    static void div_s (const float* a, float s, float* out, unsigned long n) noexcept;
    // a truncated toward zero (kept as float)
    static void truncToInt (const float* a, float* out, unsigned long n) noexcept;
    static void squareRoot (const float* a, float* out, unsigned long n) noexcept;
    // a = a * a, in place
    static void powTwo (float* a, unsigned long n) noexcept;
    // out = x raised to e (note the order: exponents before bases)
    static void pow (float* out, const float* e, const float* x, unsigned long n) noexcept;
    // out = a limited to [lo, hi]
    static void clip (const float* a, float lo, float hi, float* out, unsigned long n) noexcept;
    // out[k] = start + k * step
    static void ramp (float start, float step, float* out, unsigned long n) noexcept;
    // start + (first + i) * step, the index counted as an int.
    static void ramp (float start, float step, int first, float* out, unsigned long n) noexcept;
    static void rampD (double start, double step, double* out, unsigned long n) noexcept;
    // a = a - (a truncated toward zero), in place
    static void frac (float* a, unsigned long n) noexcept;
    static void abs (const float* a, float* out, unsigned long n) noexcept;
    // out = a where a is finite, else 0 (NaN and infinities become silence);
    // in place allowed
    static void finite (const float* a, float* out, unsigned long n) noexcept;
    static void fill (float* out, float v, unsigned long n) noexcept;
    static void clear (float* out, unsigned long n) noexcept;
    static void clear (double* out, unsigned long n) noexcept;
    // Linear interpolation in `table` at each position; positions below 0 read
    // the first entry, positions at or past tableLength - 1 read the last one.
    static void tableRead (const float* positions, const float* table, unsigned long tableLength, float* out, unsigned long n) noexcept;
    static void cos (const float* a, float* out, unsigned long n) noexcept;
    static void sin (const float* a, float* out, unsigned long n) noexcept;
    static void tanh (const float* a, float* out, unsigned long n) noexcept;
    static void exp (const float* a, float* out, unsigned long n) noexcept;
    static void log (const float* a, float* out, unsigned long n) noexcept;
    static void log_ten (const float* a, float* out, unsigned long n) noexcept;
    // *result = largest |a| (0 for n = 0)
    static void peak (const float* a, float* result, unsigned long n) noexcept;
    // *result = largest a (-inf for n = 0)
    static void max (const float* a, float* result, unsigned long n) noexcept;
    // *result = smallest a (+inf for n = 0)
    static void min (const float* a, float* result, unsigned long n) noexcept;
    static void min_compare (const float* a, const float* b, float* out, unsigned long n) noexcept;
    static void max_compare (const float* a, const float* b, float* out, unsigned long n) noexcept;
    // *result = sqrt(mean(a * a)) (0 for n = 0)
    static void rms (const float* a, float* result, unsigned long n) noexcept;
    // out = v where a >= t, else -v
    static void limit (const float* a, float t, float v, float* out, unsigned long n) noexcept;
    // out = a where a >= t, else 0
    static void threshold (const float* a, float t, float* out, unsigned long n) noexcept;
    // out = remainder of a / b with the sign of a (as fmod)
    static void mod (const float* a, const float* b, float* out, unsigned long n) noexcept;
    // out[2k] = left[k], out[2k + 1] = right[k]
    static void interleaveStereo (const float* left, const float* right, float* out, unsigned long n) noexcept;
    static void doubleToFloat (const double* a, float* out, unsigned long n) noexcept;
    static void reverse (float* a, unsigned long n) noexcept;

    // One second-order section, y[k] = b0 x[k] + b1 x[k-1] + b2 x[k-2]
    // - a1 y[k-1] - a2 y[k-2], with coefficients {b0, b1, b2, a1, a2}. The two
    // last inputs and outputs carry over in `state` from call to call.
    // Summed as (b0 x[k] + b1 x[k-1] + b2 x[k-2] - a2 y[k-2]) - a1 y[k-1]:
    // only the last multiply and subtraction wait for the previous output.
    static void biquad (const float* in, const float* coefficients, float* out, unsigned long n, BiquadHistory* state) noexcept;
    // Two independent sections side by side (in[j] through coefficients[j]
    // into out[j] with state[j]; out[j] may be in[j] but no other input):
    // the same samples as two biquad calls, the two recursions overlapping.
    static void biquadTwo (const float* const* in, const float* const* coefficients, float* const* out, unsigned long n,
                           BiquadHistory* const* state) noexcept;
    // Four independent sections side by side (in[j] through coefficients[j]
    // into out[j] with state[j]; out[j] may be in[j] but no other input):
    // the same samples as four biquad calls, computed in the lanes of one
    // vector.
    static void biquadFour (const float* const* in, const float* const* coefficients, float* const* out, unsigned long n,
                            BiquadHistory* const* state) noexcept;
    // Eight independent sections side by side: the same samples as two
    // biquadFour calls (sections 0..3 and 4..7), in the eight lanes of one
    // vector where the CPU has AVX2, else as groups whose recursions overlap.
    static void biquadEight (const float* const* in, const float* const* coefficients, float* const* out, unsigned long n,
                             BiquadHistory* const* state) noexcept;
    static std::unique_ptr<BiquadHistory> biquad_createState();
    static void biquad_destroyState (std::unique_ptr<BiquadHistory>& state) noexcept;
};

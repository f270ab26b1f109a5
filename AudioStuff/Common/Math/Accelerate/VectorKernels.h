#pragma once

#include <cstdint>
#include <vector>

class BiquadHistory;

// Internal to the vector layer and the blocks that fold its loops into their
// own (the oscillator, the pitch shifter, the delay reads, the reverbs, the
// dry/wet mixer, the ducker): the operations whose fast forms are written
// once, on Highway, and compiled for every x86 target from SSE2 to AVX2 (on
// Arm, NEON). Each call runs the form for the best target this CPU has,
// chosen in one place (VectorDispatch.h) when first called. AVX-512 is left
// out: on some server processors 512-bit arithmetic slows the clock of the
// whole core, the host's and every other plug-in's work with it.
//
// Every target takes the same separate multiplies and adds in the same order
// as the plain forms (the file is built with -ffp-contract=off), so all give
// the same samples; only SLEEF's functions differ by target, within their
// stated error.
namespace VectorKernels
{
// Element-wise SLEEF functions (cos, sin and tanh within 3.5 ulp, the others
// within 1 ulp), trunc, pow (x raised to e) and fmod (exactly libm's).
void cos (const float* a, float* out, unsigned long n) noexcept;
void sin (const float* a, float* out, unsigned long n) noexcept;
void tanh (const float* a, float* out, unsigned long n) noexcept;
void exp (const float* a, float* out, unsigned long n) noexcept;
void log (const float* a, float* out, unsigned long n) noexcept;
void log10 (const float* a, float* out, unsigned long n) noexcept;
void trunc (const float* a, float* out, unsigned long n) noexcept;
void pow (const float* x, const float* e, float* out, unsigned long n) noexcept;
void fmod (const float* a, const float* b, float* out, unsigned long n) noexcept;

// Element-wise arithmetic (VectorArithmetic.cpp), as SignalProcessing's
// operations of the same names describe it. Every element takes the same
// rounded steps on every target; an output may be an input.
void add (const float* a, const float* b, float* out, unsigned long n) noexcept;
void sub (const float* a, const float* b, float* out, unsigned long n) noexcept;
void add_sub (const float* a, const float* b, float* sum, float* difference, unsigned long n) noexcept;
void mul (const float* a, const float* b, float* out, unsigned long n) noexcept;
void mul_s (const float* a, float s, float* out, unsigned long n) noexcept;
void mul_add (const float* a, const float* b, const float* c, float* out, unsigned long n) noexcept;
void lerp (const float* a, const float* b, const float* t, float* out, unsigned long n) noexcept;
void lerp_mul (const float* a, const float* b, const float* t, const float* g, float* out, unsigned long n) noexcept;
void clip (const float* a, float lo, float hi, float* out, unsigned long n) noexcept;
void add_mul_s (const float* a, const float* b, float s, float* out, unsigned long n) noexcept;
void ramp (float start, float step, int first, float* out, unsigned long n) noexcept;

// The ducker's window: ring[i] = (int32) min (key[i] key[i] units, largest),
// returning the sum of the new values less the old ones (exact).
std::int64_t exchangeSquares (const float* key, std::int32_t* ring, float units, float largest, unsigned long n) noexcept;
void finite (const float* a, float* out, unsigned long n) noexcept;

// The reverb network's mixing step in one pass, per sample in this order:
// a = line0 + early0, b = line1 + early1, c = line2, d = line3;
// s0 = a + b, s1 = a - b, s2 = c + d, s3 = c - d;
// out0 = (a gain + c gain) scale, out1 = (b gain + d gain) scale;
// mix = { s0 + s2, s1 + s3, s0 - s2, s1 - s3 }. No output is an input.
struct NetworkMix
{
    const float* line[4];
    const float* early[2];
    float gain, scale;
    float* out[2];
    float* mix[4];
};
void networkMix (const NetworkMix& m, unsigned long n) noexcept;

// Two sets of four modulated delay times in one pass, per sample in this
// order: scale = (room + offset) / divisor, then for set s and line i
// time[s][i] = |modulation[i] depth[s] + scale nominal[s][i]|. No output is
// an input.
struct ModulatedTimes
{
    const float* room;
    const float* modulation[4];
    float offset, divisor;
    float depth[2];
    float nominal[2][4];
    float* scale;
    float* time[2][4];
};
void modulatedTimes (const ModulatedTimes& t, unsigned long n) noexcept;

// `count` (2, 4 or 8) independent channels, each through its own
// second-order section: in[j] through coefficients[j] into out[j], with
// state[j], all non-null; out[j] may be in[j] but no other input. The
// channels run in the lanes of one vector (two, four or eight groups of
// them where the vectors are narrower), each lane taking
// SignalProcessing::biquad's steps.
struct SectionBank
{
    const float* const* in;
    float* const* out;
    const float* const* coefficients;
    BiquadHistory* const* state;
    int count;
};
void biquads (const SectionBank& bank, unsigned long n) noexcept;

// A fourth-order recursion in state-space form, four samples at a time: its
// four states z and a block's inputs x0..x3 give the block's outputs and the
// states after it, each a sum of products with fixed matrices (64 floats,
// four columns of four each):
//   out[k]   = ((m[k] x0 + m[4 + k] x1) + (m[8 + k] x2 + m[12 + k] x3))
//            + ((m[16 + k] z0 + m[20 + k] z1) + (m[24 + k] z2 + m[28 + k] z3))
//   state[i] = the same with m[32 + ..] and m[48 + ..] in place of m[..] and m[16 + ..].
// Its outputs wait on the previous block's states only, not on each
// previous sample as a section's do, so the four samples cost about what one
// does. stateBlocks runs whole blocks of `count` (1 or 2) channels, each with
// matrices[j] and state[j] (four values); out[j] may be in[j].
struct StateBlocks
{
    const float* const* in;
    float* const* out;
    const float* const* matrices;
    float* const* state;
    int count;
};
void stateBlocks (const StateBlocks& b, unsigned long blocks) noexcept;
// One block in the plain form: y[0..3] from x[0..3] (y neither x nor the
// state), the state updated in place.
void stateBlock (const float* matrices, float* state, const float* x, float* y) noexcept;

// The phase loops of the pitch shifter's windows and of the oscillator, on
// whole vectors: each computes exactly what the blocks' own per-sample loops
// compute (see there), for samples 0 .. (n rounded down to a multiple of the
// vector's lanes) - 1, and returns how many samples it did (0 where the
// sample index would not convert to float exactly). `last` receives the
// unfolded phase of the last sample done. The window phases count samples
// from `first` (the block's place in the shifter's chunk).
unsigned long windowPhases (float phase, float inc, const float* window, float shortest, float halfTurn, float* pA, float* pB,
                            float* dA, float* dB, unsigned long n, unsigned long first, float& last) noexcept;
unsigned long oscillatorPhases (float phase, float step, const float* phaseOffset, bool sineArgument, float twoPi,
                                float minusHalfPi, float* out, unsigned long n, float& last) noexcept;

// The dry/wet mixer's crossfade without the power curve, on whole vectors:
// exactly what its own per-sample loop computes (see there), out[i] from
// dry[i], wet[i] x wetScale and mixPercent[i], for the same samples as the
// phase loops; returns how many it did. out may be dry or wet.
unsigned long crossfade (const float* dry, const float* wet, float* out, unsigned long n, const float* mixPercent,
                         bool twoSegment, float wetScale) noexcept;

// Reductions over whole groups of eight elements (n rounded down to a
// multiple of 8; returns how many that is) in eight running values, value k
// over elements k, k + 8, k + 16, ... in order, whatever the vector width
// (the largest magnitude, which no order changes, may take them otherwise):
// the largest magnitude (from 0), the largest (from -inf), the smallest (from
// +inf), each step x > r ? x : r (x < r for the smallest) so that a NaN
// element is passed over; or the sum of squares (from 0, r + x x). folded[k]
// receives values k and k + 4 taken together the same way: the larger,
// r[k] > r[k + 4] ? r[k] : r[k + 4] (the smaller likewise), or the sum.
enum class Reduction
{
    largestMagnitude,
    largest,
    smallest,
    sumOfSquares
};
unsigned long reduce (Reduction kind, const float* a, unsigned long n, float (&folded)[4]) noexcept;

// Delay reads of one storage (`data`, as DelayWrite keeps it: size + 4
// floats, the first four guarding the wrap), per sample: the delay (time x
// toSeconds x sampleRate) limited to [shortest, longest] (NaN to shortest),
// the newest tap at base + i - the delay's whole samples, wrapped once, and
// the linear interpolation of DelayRead's per-sample loop, operation by
// operation (the four-point Lagrange read, which no reader of the effect
// uses, has only its plain form). delayLinear reads whole vectors and
// returns how many samples it read; the two others read all n
// (a multiple of 8) of `count` storages written alike (neighbours with equal
// time pointers share their positions), or of 1 or 2 storages at two taps
// weighted and summed (out = weightA tapA + weightB tapB; times in seconds,
// toSeconds 1).
// Storages and blocks this long or longer (174 s at 48 kHz; never in
// practice) are read by the callers' own per-sample loops: the delay's whole
// samples must fit a float's mantissa.
constexpr long kLongestVectorRead = 1L << 23;
struct DelayReach
{
    float toSeconds, sampleRate, shortest, longest;
    long base, size;
};
unsigned long delayLinear (const float* time, float* out, const float* data, const DelayReach& reach, unsigned long n) noexcept;
void delayLinearMany (const float* const* time, float* const* out, const float* const* data, int count,
                      const DelayReach& reach, unsigned long n) noexcept;
void delayWindowedTaps (const float* timeA, const float* timeB, const float* weightA, const float* weightB,
                        const float* const* data, float* const* out, int channels, const DelayReach& reach,
                        unsigned long n) noexcept;

// Picks the target for this CPU now (else the first call does).
void choose() noexcept;

// The Highway targets this build holds that this CPU runs, best first, and
// running every vector operation on one of them (0: the best again). For
// tests that compare each target's forms with the plain ones.
std::vector<std::int64_t> targetsThisCpuRuns();
void useOnlyTarget (std::int64_t target) noexcept;
const char* targetName (std::int64_t target) noexcept;
} // namespace VectorKernels

#include "Dynamics/Ducker.h"

#include "BlockSize.h"

#include "Math/Accelerate/VectorClones.h"

#include <algorithm>
#include <cmath>
#include <immintrin.h>

namespace
{
// Squares of the key in whole units of 2^-22. Keys beyond 16 (24 dB above
// full scale) count as 16: a window of them sums to at most 2^38 units.
constexpr float kUnitsPerSquare = 4194304.0f;
constexpr float kLargestUnits = 1073741824.0f;
constexpr double kUnits = kUnitsPerSquare;
constexpr double kWindowUnits = kUnits * Ducker::kWindow;
// Frames whose loudness is weighed together, when the key may be louder than
// the ramp answered.
constexpr unsigned long kPiece = 32;

// A ramp's gain `frame` frames after its start, within 0..1 (as
// std::clamp would give it; in this form the loops below compile to a
// minimum and a maximum).
inline float rampGain (float start, float step, int frame) noexcept
{
    return std::min (std::max (start + static_cast<float> (frame) * step, 0.0f), 1.0f);
}

struct Exchanged
{
    std::int64_t entering = 0, leaving = 0;
};

// One frame of exchangeSquares: the key's square in units (capped before the
// conversion, which then never overflows) takes the ring's place.
inline std::int32_t squareUnits (float key) noexcept
{
    return static_cast<std::int32_t> (std::min (key * key * kUnitsPerSquare, kLargestUnits));
}

// The sum of eight 32-bit lanes that cannot overflow.
__attribute__ ((target ("avx2"))) inline std::int32_t laneSum (__m256i v) noexcept
{
    __m128i x = _mm_add_epi32 (_mm256_castsi256_si128 (v), _mm256_extracti128_si256 (v, 1));
    x = _mm_add_epi32 (x, _mm_shuffle_epi32 (x, _MM_SHUFFLE (1, 0, 3, 2)));
    x = _mm_add_epi32 (x, _mm_shuffle_epi32 (x, _MM_SHUFFLE (2, 3, 0, 1)));
    return _mm_cvtsi128_si32 (x);
}

// exchangeSquares on eight lanes, for CPUs with AVX2 (no FMA: the same
// values). Each lane takes the scalar steps; min and max are taken with the
// operands in the order of std::min and std::max. The sums of squares (each
// below 2^31, at most 32 per lane) are kept as 16-bit halves in 32-bit lanes,
// exact. Returns how many frames it took (a multiple of 8).
__attribute__ ((target ("avx2"))) unsigned long exchangeSquaresAvx2 (const float* __restrict key, std::int32_t* __restrict ring,
                                                                    std::int32_t* __restrict leaving, float start, float step,
                                                                    int age, float* __restrict gains, unsigned long n,
                                                                    std::int64_t& entering, std::int64_t& left) noexcept
{
    const __m256 units = _mm256_set1_ps (kUnitsPerSquare);
    const __m256 largest = _mm256_set1_ps (kLargestUnits);
    const __m256 first = _mm256_set1_ps (start);
    const __m256 perFrame = _mm256_set1_ps (step);
    const __m256 zero = _mm256_setzero_ps();
    const __m256 one = _mm256_set1_ps (1.0f);
    const __m256i lowHalf = _mm256_set1_epi32 (0xffff);
    __m256i frame = _mm256_add_epi32 (_mm256_set1_epi32 (age), _mm256_setr_epi32 (0, 1, 2, 3, 4, 5, 6, 7));
    const __m256i eight = _mm256_set1_epi32 (8);
    __m256i inLow = _mm256_setzero_si256(), inHigh = inLow, outLow = inLow, outHigh = inLow;
    unsigned long i = 0;
    for (; i + 8 <= n; i += 8)
    {
        const __m256 k = _mm256_loadu_ps (key + i);
        const __m256i square = _mm256_cvttps_epi32 (_mm256_min_ps (largest, _mm256_mul_ps (_mm256_mul_ps (k, k), units)));
        const __m256i old = _mm256_loadu_si256 (reinterpret_cast<const __m256i*> (ring + i));
        _mm256_storeu_si256 (reinterpret_cast<__m256i*> (leaving + i), old);
        _mm256_storeu_si256 (reinterpret_cast<__m256i*> (ring + i), square);
        inLow = _mm256_add_epi32 (inLow, _mm256_and_si256 (square, lowHalf));
        inHigh = _mm256_add_epi32 (inHigh, _mm256_srli_epi32 (square, 16));
        outLow = _mm256_add_epi32 (outLow, _mm256_and_si256 (old, lowHalf));
        outHigh = _mm256_add_epi32 (outHigh, _mm256_srli_epi32 (old, 16));
        const __m256 g = _mm256_add_ps (first, _mm256_mul_ps (_mm256_cvtepi32_ps (frame), perFrame));
        _mm256_storeu_ps (gains + i, _mm256_min_ps (one, _mm256_max_ps (zero, g)));
        frame = _mm256_add_epi32 (frame, eight);
    }
    // Each lane sum is below 2^21 and the eight together below 2^24: summed
    // across in 32 bits, then joined in 64.
    entering += laneSum (inLow) + static_cast<std::int64_t> (laneSum (inHigh)) * 65536;
    left += laneSum (outLow) + static_cast<std::int64_t> (laneSum (outHigh)) * 65536;
    return i;
}

// Chosen once when the library loads.
const bool useAvx2 = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports ("avx2") != 0;
}();

// The squares of the key (finite) in units take the place of the ring's;
// the ones they replace go to `leaving`. Returns the sums of both. The ramp
// (start, step, age) writes its gains for the same frames as it goes: a
// segment whose key proves quiet needs nothing more. n is at most a ring's
// length.
Exchanged exchangeSquares (const float* __restrict key, std::int32_t* __restrict ring, std::int32_t* __restrict leaving,
                           float start, float step, int age, float* __restrict gains, unsigned long n) noexcept
{
    std::int64_t entering = 0, left = 0;
    unsigned long i = 0;
    if (useAvx2)
        i = exchangeSquaresAvx2 (key, ring, leaving, start, step, age, gains, n, entering, left);
    for (; i < n; ++i)
    {
        const std::int32_t square = squareUnits (key[i]);
        left += ring[i];
        leaving[i] = ring[i];
        ring[i] = square;
        entering += square;
        gains[i] = rampGain (start, step, age + static_cast<int> (i));
    }
    return { entering, left };
}

KARVON_VECTOR_CLONES
std::int64_t sum (const std::int32_t* x, unsigned long n) noexcept
{
    std::int64_t total = 0;
    for (unsigned long i = 0; i < n; ++i)
        total += x[i];
    return total;
}

// The ramp's gains from `age` frames after its start on, within 0..1.
KARVON_VECTOR_CLONES
void ramp (float start, float step, int age, float* out, unsigned long n) noexcept
{
    for (unsigned long i = 0; i < n; ++i)
        out[i] = rampGain (start, step, age + static_cast<int> (i));
}

// ramp, for a ramp that stands still (most of the time: at rest on its
// target, or run on past a bound) as one value, the same one ramp would give
// every frame.
void gainsOfRamp (float start, float step, int age, float* out, unsigned long n) noexcept
{
    const float first = start + static_cast<float> (age) * step;
    if (step == 0.0f || (step > 0.0f && first >= 1.0f) || (step < 0.0f && first < 0.0f))
        std::fill (out, out + n, std::min (std::max (first, 0.0f), 1.0f));
    else
        ramp (start, step, age, out, n);
}
} // namespace

Ducker::Ducker()
    : peakMeter (std::make_unique<PeakMeter> (64, 1024)),
      gainBuffer (kMaxFramesPerBlock, 0.0f)
{
}

void Ducker::init (int numChannels, double newSampleRate)
{
    ProcessBlock::init (numChannels, newSampleRate);
    peakMeter->init (numChannels, newSampleRate);
    const auto n = static_cast<std::size_t> (std::max (numChannels, 0));
    channelGains.assign (n, 0.0f);
    channelStates.assign (n, Channel {});
    for (auto& ch : channelStates)
        ch.squares.assign (kWindow, 0);
    leaving.assign (kWindow, 0);
    std::fill (gainBuffer.begin(), gainBuffer.end(), 0.0f);
    held = Settings {};
}

void Ducker::clear() noexcept
{
    std::fill (gainBuffer.begin(), gainBuffer.end(), 0.0f);
    std::fill (channelGains.begin(), channelGains.end(), 0.0f);
    for (auto& ch : channelStates)
    {
        std::fill (ch.squares.begin(), ch.squares.end(), 0);
        ch.next = 0;
        ch.energy = 0;
        ch.louder = 0.0;
        ch.start = ch.step = 0.0f;
        ch.age = 0;
    }
}

float Ducker::Channel::gain() const noexcept
{
    return rampGain (start, step, age);
}

float Ducker::targetGain (double level, const Settings& s) noexcept
{
    const double t = s.threshold;
    return static_cast<float> (std::min (1.0, std::max ((level - t) / s.ratio + t, 0.001) / std::max (level, 0.001)));
}

double Ducker::coefficient (float timeMs) const noexcept
{
    return timeMs == 0.0f ? 1.0 : 1.0 / (std::max (static_cast<double> (timeMs), 0.01) * sampleRate * 0.001);
}

double Ducker::loudness (const Channel& ch) const noexcept
{
    if (mode == LevelByRms)
        return static_cast<double> (ch.energy);
    if (mode == LevelByPeak)
        return static_cast<double> (*std::max_element (ch.squares.begin(), ch.squares.end()));
    return 0.0;
}

double Ducker::level (double loudness) const noexcept
{
    return std::sqrt (loudness / (mode == LevelByRms ? kWindowUnits : kUnits));
}

void Ducker::decide (const Settings& settings) noexcept
{
    held = settings;
    // Up to the threshold the target is 1: only a key louder than both the
    // level decided from and the threshold can ask for less.
    const double t = settings.threshold;
    const double threshold = t * t * (mode == LevelByRms ? kWindowUnits : kUnits);
    for (std::size_t c = 0; c < channelStates.size(); ++c)
    {
        Channel& ch = channelStates[c];
        const double now = loudness (ch);
        const float current = ch.gain();
        const float distance = targetGain (level (now), settings) - current;
        ch.start = current;
        ch.step = static_cast<float> (distance * coefficient (distance < 0.0f ? settings.attackMs : settings.releaseMs));
        ch.age = 0;
        ch.louder = std::max (now, threshold);
        channelGains[c] = current;
    }
}

void Ducker::attack (Channel& ch, double l) noexcept
{
    // The ramp in force goes on unless this one falls faster.
    const float current = ch.gain();
    const auto step = static_cast<float> ((targetGain (l, held) - current) * coefficient (held.attackMs));
    if (step >= ch.step)
        return;
    ch.start = current;
    ch.step = step;
    ch.age = 0;
}

void Ducker::follow (std::size_t channel, const float* key, float* gains, unsigned long n) noexcept
{
    static_assert ((kWindow & (kWindow - 1)) == 0);
    Channel& ch = channelStates[channel];
    for (unsigned long done = 0; done < n;)
    {
        // Segments end where the ring does.
        const unsigned long m = std::min (n - done, kWindow - ch.next);
        std::int32_t* entering = ch.squares.data() + ch.next;
        const Exchanged sums = exchangeSquares (key + done, entering, leaving.data(), ch.start, ch.step, ch.age, gains + done, m);
        // Within the segment the window's energy rises at most by what enters
        // it: a key that even so stays below `louder` lets the ramp run on.
        // Otherwise a piece at a time, frame by frame where it may be louder.
        const bool quiet = mode != LevelByPeak && (mode != LevelByRms || static_cast<double> (ch.energy + sums.entering) <= ch.louder);
        for (unsigned long s = 0; s < m;)
        {
            const unsigned long p = quiet ? m : std::min (kPiece, m - s);
            const std::int32_t* in = entering + s;
            const std::int32_t* out = leaving.data() + s;
            const std::int64_t added = quiet ? sums.entering : sum (in, p);
            if (quiet || (mode == LevelByRms && static_cast<double> (ch.energy + added) <= ch.louder))
            {
                ch.energy += added - (quiet ? sums.leaving : sum (out, p));
                if (! quiet)
                    gainsOfRamp (ch.start, ch.step, ch.age, gains + done + s, p);
                ch.age += static_cast<int> (p);
            }
            else
            {
                for (unsigned long i = 0; i < p; ++i)
                {
                    ch.energy += in[i] - out[i];
                    // The window's peak can rise only by the frame that enters it.
                    const double now = static_cast<double> (mode == LevelByRms ? ch.energy : in[i]);
                    if (now > ch.louder)
                    {
                        ch.louder = now;
                        attack (ch, level (now));
                    }
                    gains[done + s + i] = ch.gain();
                    ++ch.age;
                }
            }
            s += p;
        }
        ch.next = (ch.next + m) & (kWindow - 1);
        done += m;
    }
}

// The pitch shifter against the shifter written out sample by sample: window
// phases, tap delays, half-cosine windows, interpolated taps, the band limit
// of a shift up before the store (its sections as the shifter designs them),
// band limits and soft clipping, each in double precision or in the same float steps. The
// block-wise engine (several samples per step, filters in one pass) must
// follow it to within float rounding (about 1e-4, mostly the float recursion of
// the 40 Hz high-pass), whatever the block lengths: its decisions are taken
// per 256-sample chunk of its input, not per call.
#include "Math/NoteScale.h"
#include "Pitch/PitchShifter.h"
#include "Pitch/UpwardBandLimit.h"
#include "ProcessBlock/Filters/BiquadCoefficients.h"

#include "SignalAnalysis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <iterator>
#include <utility>
#include <cmath>
#include <random>
#include <vector>

namespace
{
constexpr double kRate = 48000.0;

struct Section
{
    double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;

    Section() = default;
    explicit Section (const std::array<float, 5>& c) : b0 (c[0]), b1 (c[1]), b2 (c[2]), a1 (c[3]), a2 (c[4]) {}
    Section (BiquadFilterType type, float frequency)
    {
        BiquadCoefficients c;
        c.sampleRate = float (kRate);
        c.calculateParams (frequency, -8.0f, 0.0f, type);
        b0 = c.b0, b1 = c.b1, b2 = c.b2, a1 = c.a1, a2 = c.a2;
    }

    double step (double x)
    {
        const double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1, x1 = x, y2 = y1, y1 = y;
        return y;
    }
};

class ReferenceShifter
{
public:
    ReferenceShifter (int semitones, float fine) { setInterval (semitones, fine); }

    void setInterval (int semitones, float fine) { ratio = NoteScale::freq (float (semitones) + 60.0f + fine) / 261.62558f; }

    // One sample at a time. The interval and window length are taken at
    // the start of every 256-sample chunk of the input, and the phases of a
    // chunk count from its first sample.
    void process (float* x, unsigned long n, float windowMs)
    {
        auto frac = [] (float v) { return v - std::trunc (v); };
        for (unsigned long i = 0; i < n; ++i)
        {
            if (position == 0)
            {
                inc = float (((1.0f - ratio) / (windowMs * 0.001f)) / kRate);
                beginBand();
            }
            history.push_back (band (x[i]));
            const float unfolded = frac (phase + float (int (position)) * inc);
            const float a = frac (unfolded + 1.0f);
            const float b = frac (a + 1.5f);
            const double tapA = tap (a * windowMs * 0.001f + 0.001f);
            const double tapB = tap (b * windowMs * 0.001f + 0.001f);
            const double mixed = std::cos ((double (a) - 0.5) * M_PI) * tapA + std::cos ((double (b) - 0.5) * M_PI) * tapB;
            x[i] = float (std::tanh (lowPass.step (highPass.step (mixed))));
            if (++position == 256)
            {
                phase = frac (unfolded + inc);
                position = 0;
            }
        }
    }

private:
    // Shifting up, the input is low-passed before it is stored; the band
    // starts from the last two stored samples, and fades out over the chunk
    // after the last one shifted up.
    void beginBand()
    {
        const bool up = ratio > 1.0f;
        fading = ! up && bandOn && ! fading;
        if (up)
        {
            std::array<float, 5> first, second;
            UpwardBandLimit::design (ratio, first, second);
            const double newer = history.empty() ? 0.0 : history.back();
            const double older = history.size() < 2 ? 0.0 : history[history.size() - 2];
            for (auto [section, c] : { std::pair { &bandA, first }, std::pair { &bandB, second } })
            {
                Section designed (c);
                if (bandOn)
                    designed.x1 = section->x1, designed.x2 = section->x2, designed.y1 = section->y1, designed.y2 = section->y2;
                else
                    designed.x1 = designed.y1 = newer, designed.x2 = designed.y2 = older;
                *section = designed;
            }
        }
        bandOn = up || fading;
    }
    float band (float v)
    {
        if (! bandOn)
            return v;
        const double y = bandB.step (bandA.step (v));
        return float (fading ? y + (v - y) * double (position + 1) / 256.0 : y);
    }

    // The stored input `seconds` behind the newest sample, linearly
    // interpolated.
    double tap (float seconds) const
    {
        const float d = seconds * float (kRate);
        const long whole = long (d);
        const double f = double (d) - double (whole);
        const long newer = long (history.size()) - 1 - whole;
        auto at = [this] (long k) { return k >= 0 ? double (history[std::size_t (k)]) : 0.0; };
        return at (newer) + f * (at (newer - 1) - at (newer));
    }

    int position = 0;
    float inc = 0.0f;
    float ratio;
    float phase = 0.0f;
    std::vector<float> history;
    Section bandA, bandB;
    bool bandOn = false, fading = false;
    Section highPass { HighPass, 40.0f };
    Section lowPass { LowPass, 5000.0f };
};
} // namespace

TEST (PitchShifterFormula, FollowsTheShifterWrittenOutSampleBySample)
{
    struct Case
    {
        int semitones;
        float fine;
        float windowMs;
        int chunks;
        std::vector<unsigned long> blocks;
    };
    const Case cases[] = {
        { 7, 0.0f, 195.2f, 1, { 256 } },
        { -12, 0.3f, 500.0f, 1, { 64, 256, 13, 1000 } },
        { 24, 0.0f, 40.0f, 3, { 256, 255, 7 } },
        { -24, -0.5f, 1000.0f, 1, { 1, 2, 3, 4, 5, 8, 9, 17 } },
    };

    std::mt19937 rng (17);
    std::normal_distribution<float> gauss (0.0f, 0.2f);
    for (const auto& c : cases)
    {
        PitchShifter shifter;
        shifter.init (1, kRate);
        shifter.semitones = c.semitones;
        shifter.fine = c.fine;
        shifter.chunkCount = c.chunks;
        std::vector<float> window (4096, c.windowMs);
        shifter.windowMs = window.data();
        ReferenceShifter reference (c.semitones, c.fine);

        // Noise with a tone in it, long enough for the taps to sweep several windows.
        std::vector<float> input (96000);
        for (std::size_t k = 0; k < input.size(); ++k)
            input[k] = gauss (rng) + 0.4f * float (std::sin (double (k) * 0.05));
        std::vector<float> engine (input), expected (input);

        double worst = 0.0;
        std::size_t at = 0;
        for (std::size_t b = 0; at < input.size(); ++b)
        {
            const unsigned long n = std::min<unsigned long> (c.blocks[b % c.blocks.size()], input.size() - at);
            shifter.process (engine.data() + at, n);
            // However the engine is called (and cuts its calls into chunkCount
            // pieces), it follows the one-sample reference.
            reference.process (expected.data() + at, n, c.windowMs);
            at += n;
        }
        for (std::size_t k = 0; k < input.size(); ++k)
            worst = std::max (worst, double (std::abs (engine[k] - expected[k])));
        EXPECT_LT (worst, 3e-4) << c.semitones << " semitones, window " << c.windowMs << " ms";
        EXPECT_GT (testsupport::rms (engine.data(), engine.size()), 0.05); // it did render something
    }
}

TEST (PitchShifterFormula, IntervalChangesApplyFromTheNextBlock)
{
    // The interval changes between blocks, sometimes only in its fine part,
    // sometimes back to an earlier value: every block follows the interval
    // read at its start.
    const std::pair<int, float> intervals[] = { { 7, 0.0f }, { 7, 0.25f }, { -12, 0.25f }, { 7, 0.0f }, { 0, 0.0f }, { 24, -0.5f } };
    PitchShifter shifter;
    shifter.init (1, kRate);
    std::vector<float> window (4096, 120.0f);
    shifter.windowMs = window.data();
    ReferenceShifter reference (0, 0.0f);

    std::mt19937 rng (23);
    std::normal_distribution<float> gauss (0.0f, 0.2f);
    std::vector<float> input (48000);
    for (auto& v : input)
        v = gauss (rng);
    std::vector<float> engine (input), expected (input);
    double worst = 0.0;
    for (std::size_t at = 0, b = 0; at < input.size(); ++b)
    {
        const auto& [semitones, fine] = intervals[(b / 3) % std::size (intervals)];
        shifter.semitones = semitones;
        shifter.fine = fine;
        reference.setInterval (semitones, fine);
        const unsigned long n = std::min<unsigned long> (b % 2 ? 64 : 200, input.size() - at);
        shifter.process (engine.data() + at, n);
        reference.process (expected.data() + at, n, 120.0f);
        at += n;
    }
    for (std::size_t k = 0; k < input.size(); ++k)
        worst = std::max (worst, double (std::abs (engine[k] - expected[k])));
    EXPECT_LT (worst, 3e-4);
}

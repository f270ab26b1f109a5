#include "Pitch/UpwardBandLimit.h"

#include "BlockSize.h"
#include "Math/Accelerate/BiquadHistory.h"
#include "Math/Accelerate/VectorKernels.h"
#include "Pitch/PitchShifter.h"

#include <algorithm>
#include <cmath>

namespace
{
// The low-pass prototype with its passband edge at 1 (0.7 dB ripple, 62 dB
// stopband): per section the zero, the pole's magnitude and twice its
// damping (-2 Re p). The gentler section first.
struct PrototypeSection
{
    double zero, pole, damping;
};
constexpr PrototypeSection kPrototype[2] = { { 6.879060368, 0.582681913, 0.779204022 },
                                             { 2.923117618, 1.012613876, 0.293478507 } };
// Each section passes DC at unity, so the ripple runs from 0 to +0.7 dB:
// centred on 0 dB instead.
constexpr double kRippleCentre = 0.9605058184; // 10^(-0.7 / 40)
constexpr double kPassbandEdge = 0.8;            // of Nyquist, divided by the ratio
constexpr double kPi = 3.14159265358979323846;

void section (const PrototypeSection& p, double warpedEdge, double gain, std::array<float, 5>& out) noexcept
{
    // Bilinear transform of (s^2 + zero^2) / (s^2 + damping s + pole^2),
    // scaled to unity at DC, with s in units of the warped passband edge.
    const double c1 = p.damping * warpedEdge;
    const double c0 = p.pole * p.pole * warpedEdge * warpedEdge;
    const double z = p.zero * p.zero * warpedEdge * warpedEdge;
    const double norm = 1.0 / (1.0 + c1 + c0);
    const double g = gain * c0 / z;
    out = { static_cast<float> (g * (1.0 + z) * norm), static_cast<float> (2.0 * g * (z - 1.0) * norm),
            static_cast<float> (g * (1.0 + z) * norm), static_cast<float> (2.0 * (c0 - 1.0) * norm),
            static_cast<float> ((1.0 - c1 + c0) * norm) };
}

// One step of the two sections in series, each in transposed direct form:
// z0, z1 the first's states, z2, z3 the second's.
struct Step
{
    std::array<double, 4> z;
    double y;
};
Step stepOnce (const std::array<float, 5>& a, const std::array<float, 5>& b, const std::array<double, 4>& z, double x) noexcept
{
    const double u = a[0] * x + z[0];
    const double y = b[0] * u + z[2];
    return { { a[1] * x - a[3] * u + z[1], a[2] * x - a[4] * u, b[1] * u - b[3] * y + z[3], b[2] * u - b[4] * y }, y };
}

// A section's transposed-direct-form states after inputs x1, x2 and outputs
// y1, y2 (newest first).
void statesOf (const std::array<float, 5>& c, double x1, double x2, double y1, double y2, float& s1, float& s2) noexcept
{
    s1 = static_cast<float> (c[1] * x1 + c[2] * x2 - c[3] * y1 - c[4] * y2);
    s2 = static_cast<float> (c[2] * x1 - c[4] * y1);
}
} // namespace

UpwardBandLimit::UpwardBandLimit()
    : filtered (kMaxFramesPerBlock, 0.0f)
{
}

void UpwardBandLimit::design (float ratio, std::array<float, 5>& first, std::array<float, 5>& second) noexcept
{
    const double warpedEdge = std::tan (kPi * 0.5 * kPassbandEdge / static_cast<double> (ratio));
    section (kPrototype[0], warpedEdge, kRippleCentre, first);
    section (kPrototype[1], warpedEdge, 1.0, second);
}

void UpwardBandLimit::blockMatrices (const std::array<float, 5>& first, const std::array<float, 5>& second,
                                     std::array<float, 64>& m) noexcept
{
    // Each column is what one block makes of a unit input at one of its
    // four samples, or of a unit state, all else zero: the four outputs and
    // the states after it.
    for (std::size_t c = 0; c < 8; ++c)
    {
        const bool input = c < 4;
        const std::size_t j = input ? c : c - 4;
        std::array<double, 4> z {};
        if (! input)
            z[j] = 1.0;
        for (std::size_t k = 0; k < 4; ++k)
        {
            const Step s = stepOnce (first, second, z, input && k == j ? 1.0 : 0.0);
            m[(input ? 0 : 16) + 4 * j + k] = static_cast<float> (s.y);
            z = s.z;
        }
        for (std::size_t i = 0; i < 4; ++i)
            m[(input ? 32 : 48) + 4 * j + i] = static_cast<float> (z[i]);
    }
}

void UpwardBandLimit::startFrom (double x1, double x2, double u1, double u2, double y1, double y2) noexcept
{
    Recursion& r = recursion;
    statesOf (firstSection, x1, x2, u1, u2, r.state[0], r.state[1]);
    statesOf (secondSection, u1, u2, y1, y2, r.state[2], r.state[3]);
    r.heldCount = 0;
    r.in[0] = static_cast<float> (x1), r.in[1] = static_cast<float> (x2);
    r.out[0] = static_cast<float> (y1), r.out[1] = static_cast<float> (y2);
}

void UpwardBandLimit::beginChunk (float ratio, float newest, float older) noexcept
{
    if (! (ratio > 1.0f))
    {
        // The chunk after the last one shifted up fades the band out.
        fading = on && ! fading;
        on = fading;
        if (! on)
            recursion = {};
        return;
    }
    if (! on)
    {
        design (ratio, firstSection, secondSection);
        blockMatrices (firstSection, secondSection, matrices);
        designedRatio = ratio;
        // Both sections pass DC at unity: as if they had been running on
        // the last stored samples.
        recursion = {};
        startFrom (newest, older, newest, older, newest, older);
    }
    else if (ratio != designedRatio)
    {
        // The first section's last outputs, from its states and inputs, so
        // that the new sections take over its histories.
        const Recursion& r = recursion;
        const std::array<float, 5>& f = firstSection;
        const double x1 = r.in[0], x2 = r.in[1];
        const double u1 = (f[2] * x1 - r.state[1]) / f[4];
        const double u2 = (f[1] * x1 + f[2] * x2 - f[3] * u1 - r.state[0]) / f[4];
        design (ratio, firstSection, secondSection);
        blockMatrices (firstSection, secondSection, matrices);
        designedRatio = ratio;
        startFrom (x1, x2, u1, u2, r.out[0], r.out[1]);
    }
    on = true;
    fading = false;
}

void UpwardBandLimit::stop() noexcept
{
    on = fading = false;
    recursion = {};
}

void UpwardBandLimit::run (UpwardBandLimit* const* bands, const float* const* in, float* const* out, int count,
                           unsigned long n) noexcept
{
    float last[2][2] {};
    for (int j = 0; j < count; ++j)
    {
        // The last two inputs, before out (which may be in) overwrites them.
        const float* x = in[j];
        last[j][0] = n > 0 ? x[n - 1] : bands[j]->recursion.in[0];
        last[j][1] = n > 1 ? x[n - 2] : (n > 0 ? bands[j]->recursion.in[0] : bands[j]->recursion.in[1]);
    }

    // A block begun in an earlier call: its first inputs again with those
    // of this call, the outputs not yet given, and the states once it ends.
    const unsigned long held = bands[0]->recursion.heldCount;
    unsigned long done = 0;
    const auto partBlock = [&] (unsigned long from, unsigned long take, unsigned long at) noexcept {
        for (int j = 0; j < count; ++j)
        {
            Recursion& r = bands[j]->recursion;
            std::array<float, 4> x = r.held;
            std::fill (x.begin() + static_cast<long> (at + take), x.end(), 0.0f);
            std::copy (in[j] + from, in[j] + from + take, x.begin() + static_cast<long> (at));
            std::array<float, 4> state = r.state;
            float y[4];
            VectorKernels::stateBlock (bands[j]->matrices.data(), state.data(), x.data(), y);
            std::copy (y + at, y + at + take, out[j] + from);
            if (at + take == 4)
            {
                r.state = state;
                r.heldCount = 0;
            }
            else
            {
                r.held = x;
                r.heldCount = at + take;
            }
        }
    };
    if (held > 0)
    {
        done = std::min (4 - held, n);
        partBlock (0, done, held);
    }
    const unsigned long blocks = (n - done) / 4;
    if (blocks > 0)
    {
        const float* ins[2] = { in[0] + done, count > 1 ? in[1] + done : nullptr };
        float* outs[2] = { out[0] + done, count > 1 ? out[1] + done : nullptr };
        const float* m[2] = { bands[0]->matrices.data(), count > 1 ? bands[1]->matrices.data() : nullptr };
        float* states[2] = { bands[0]->recursion.state.data(), count > 1 ? bands[1]->recursion.state.data() : nullptr };
        VectorKernels::stateBlocks ({ ins, outs, m, states, count }, blocks);
        done += 4 * blocks;
    }
    if (done < n)
        partBlock (done, n - done, 0);

    for (int j = 0; j < count; ++j)
    {
        Recursion& r = bands[j]->recursion;
        if (n > 1)
            r.out[1] = out[j][n - 2];
        else if (n == 1)
            r.out[1] = r.out[0];
        if (n > 0)
            r.out[0] = out[j][n - 1];
        r.in[0] = last[j][0];
        r.in[1] = last[j][1];
        bands[j]->finishCall (n);
    }
}

void UpwardBandLimit::finishCall (unsigned long n) noexcept
{
    // As a section's histories: blown-up and non-finite values go at once,
    // and at each whole settle period (on the stream's grid) values too
    // small to be heard go too, so that they do not linger as subnormals.
    Recursion& r = recursion;
    r.framesRun = (r.framesRun + n) % BiquadHistory::kSettlePeriod;
    const bool settle = r.framesRun == 0;
    const auto keep = [settle] (float& v) noexcept { v = settle ? BiquadHistory::sound (v) : BiquadHistory::bounded (v); };
    for (float& v : r.state)
        keep (v);
    for (float& v : r.held)
        keep (v);
    for (float* v : { &r.in[0], &r.in[1], &r.out[0], &r.out[1] })
        keep (*v);
}

void UpwardBandLimit::process (float* x, unsigned long n, unsigned long position) noexcept
{
    if (! on)
        return;
    n = std::min (n, kMaxFramesPerBlock);
    // The shifters' inputs in the effect are finite; a sample that is not
    // would silence the rest of its block (stored as silence), and the
    // states, checked after every call, start again from silence.
    float* y = fading ? filtered.data() : x;
    UpwardBandLimit* self = this;
    const float* in = x;
    run (&self, &in, &y, 1, n);
    if (! fading)
        return;
    const float step = 1.0f / static_cast<float> (PitchShifter::kChunkLength);
    for (unsigned long i = 0; i < n; ++i)
        x[i] = y[i] + (x[i] - y[i]) * (static_cast<float> (position + i + 1) * step);
}

void UpwardBandLimit::processPair (UpwardBandLimit& left, UpwardBandLimit& right, float* xl, float* xr, unsigned long n) noexcept
{
    n = std::min (n, kMaxFramesPerBlock);
    if (left.recursion.heldCount != right.recursion.heldCount)
    {
        left.process (xl, n, 0);
        right.process (xr, n, 0);
        return;
    }
    UpwardBandLimit* bands[2] = { &left, &right };
    const float* in[2] = { xl, xr };
    float* out[2] = { xl, xr };
    run (bands, in, out, 2, n);
}

#include "Pitch/UpwardBandLimit.h"

#include "BlockSize.h"
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

void UpwardBandLimit::beginChunk (float ratio, float newest, float older) noexcept
{
    if (! (ratio > 1.0f))
    {
        // The chunk after the last one shifted up fades the band out.
        fading = on && ! fading;
        on = fading;
        if (! on)
            blocks.clear();
        return;
    }
    if (on && ratio == designedRatio)
    {
        fading = false;
        return;
    }
    std::array<float, 5> first, second;
    design (ratio, first, second);
    designedRatio = ratio;
    if (on)
    {
        // The new sections take over the old ones' histories.
        blocks.changeSections (first, second);
    }
    else
    {
        // Both sections pass DC at unity: as if they had been running on
        // the last stored samples.
        blocks.clear();
        blocks.setSections (first, second);
        blocks.startFrom (newest, older, newest, older, newest, older);
    }
    on = true;
    fading = false;
}

void UpwardBandLimit::stop() noexcept
{
    on = fading = false;
    blocks.clear();
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
    blocks.process (x, y, n);
    if (! fading)
        return;
    const float step = 1.0f / static_cast<float> (PitchShifter::kChunkLength);
    for (unsigned long i = 0; i < n; ++i)
        x[i] = y[i] + (x[i] - y[i]) * (static_cast<float> (position + i + 1) * step);
}

void UpwardBandLimit::processPair (UpwardBandLimit& left, UpwardBandLimit& right, float* xl, float* xr, unsigned long n) noexcept
{
    FourthOrderBlocks::processPair (left.blocks, right.blocks, xl, xr, std::min (n, kMaxFramesPerBlock));
}

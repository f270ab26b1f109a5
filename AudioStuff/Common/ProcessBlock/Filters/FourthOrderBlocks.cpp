#include "ProcessBlock/Filters/FourthOrderBlocks.h"

#include "Math/Accelerate/BiquadHistory.h"
#include "Math/Accelerate/VectorKernels.h"

#include <algorithm>

namespace
{
// One step of the two sections in series: z0, z1 the first's states, z2, z3
// the second's.
struct Step
{
    std::array<double, 4> z;
    double y;
};
Step stepOnce (const FourthOrderBlocks::Section& a, const FourthOrderBlocks::Section& b, const std::array<double, 4>& z,
               double x) noexcept
{
    const double u = a[0] * x + z[0];
    const double y = b[0] * u + z[2];
    return { { a[1] * x - a[3] * u + z[1], a[2] * x - a[4] * u, b[1] * u - b[3] * y + z[3], b[2] * u - b[4] * y }, y };
}

// A section's states after inputs x1, x2 and outputs y1, y2 (newest first).
void statesOf (const FourthOrderBlocks::Section& c, double x1, double x2, double y1, double y2, float& s1, float& s2) noexcept
{
    s1 = static_cast<float> (c[1] * x1 + c[2] * x2 - c[3] * y1 - c[4] * y2);
    s2 = static_cast<float> (c[2] * x1 - c[4] * y1);
}
} // namespace

void FourthOrderBlocks::setSections (const Section& a, const Section& b) noexcept
{
    first = a;
    second = b;
    buildMatrices();
}

void FourthOrderBlocks::changeSections (const Section& a, const Section& b) noexcept
{
    // The first section's last outputs, from its states and inputs.
    const double x1 = in[0], x2 = in[1];
    const double u1 = (first[2] * x1 - state[1]) / first[4];
    const double u2 = (first[1] * x1 + first[2] * x2 - first[3] * u1 - state[0]) / first[4];
    const double y1 = out[0], y2 = out[1];
    setSections (a, b);
    startFrom (x1, x2, u1, u2, y1, y2);
}

void FourthOrderBlocks::buildMatrices() noexcept
{
    // Each column is what one block makes of a unit input at one of its
    // four samples, or of a unit state, all else zero: the four outputs and
    // the states after it, worked out in double.
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
            matrices[(input ? 0 : 16) + 4 * j + k] = static_cast<float> (s.y);
            z = s.z;
        }
        for (std::size_t i = 0; i < 4; ++i)
            matrices[(input ? 32 : 48) + 4 * j + i] = static_cast<float> (z[i]);
    }
}

void FourthOrderBlocks::startFrom (double x1, double x2, double u1, double u2, double y1, double y2) noexcept
{
    statesOf (first, x1, x2, u1, u2, state[0], state[1]);
    statesOf (second, u1, u2, y1, y2, state[2], state[3]);
    heldCount = 0;
    in[0] = static_cast<float> (x1), in[1] = static_cast<float> (x2);
    out[0] = static_cast<float> (y1), out[1] = static_cast<float> (y2);
}

void FourthOrderBlocks::clear() noexcept
{
    state = {};
    held = {};
    heldCount = 0;
    in[0] = in[1] = out[0] = out[1] = 0.0f;
    framesRun = 0;
}

void FourthOrderBlocks::run (FourthOrderBlocks* const* f, const float* const* in, float* const* out, int count,
                             unsigned long n) noexcept
{
    float last[2][2] {};
    for (int j = 0; j < count; ++j)
    {
        // The last two inputs, before out (which may be in) overwrites them.
        const float* x = in[j];
        last[j][0] = n > 0 ? x[n - 1] : f[j]->in[0];
        last[j][1] = n > 1 ? x[n - 2] : (n > 0 ? f[j]->in[0] : f[j]->in[1]);
    }

    // A block begun in an earlier call: its first inputs again with those
    // of this call, the outputs not yet given, and the states once it ends.
    const unsigned long held = f[0]->heldCount;
    unsigned long done = 0;
    const auto partBlock = [&] (unsigned long from, unsigned long take, unsigned long at) noexcept {
        for (int j = 0; j < count; ++j)
        {
            FourthOrderBlocks& r = *f[j];
            std::array<float, 4> x = r.held;
            std::fill (x.begin() + static_cast<long> (at + take), x.end(), 0.0f);
            std::copy (in[j] + from, in[j] + from + take, x.begin() + static_cast<long> (at));
            std::array<float, 4> state = r.state;
            float y[4];
            VectorKernels::stateBlock (r.matrices.data(), state.data(), x.data(), y);
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
        const float* m[2] = { f[0]->matrices.data(), count > 1 ? f[1]->matrices.data() : nullptr };
        float* states[2] = { f[0]->state.data(), count > 1 ? f[1]->state.data() : nullptr };
        VectorKernels::stateBlocks ({ ins, outs, m, states, count }, blocks);
        done += 4 * blocks;
    }
    if (done < n)
        partBlock (done, n - done, 0);

    for (int j = 0; j < count; ++j)
    {
        FourthOrderBlocks& r = *f[j];
        if (n > 1)
            r.out[1] = out[j][n - 2];
        else if (n == 1)
            r.out[1] = r.out[0];
        if (n > 0)
            r.out[0] = out[j][n - 1];
        r.in[0] = last[j][0];
        r.in[1] = last[j][1];
        r.finishCall (n);
    }
}

void FourthOrderBlocks::finishCall (unsigned long n) noexcept
{
    // As a section's histories: blown-up and non-finite values go at once,
    // and at each whole settle period (on the stream's grid) values too
    // small to be heard go too, so that they do not linger as subnormals.
    framesRun = (framesRun + n) % BiquadHistory::kSettlePeriod;
    const auto keep = [] (auto rule, std::array<float, 4>& values, float* pair) noexcept {
        for (float& v : values)
            v = rule (v);
        pair[0] = rule (pair[0]);
        pair[1] = rule (pair[1]);
    };
    if (framesRun == 0)
    {
        keep (BiquadHistory::sound, state, in);
        keep (BiquadHistory::sound, held, out);
    }
    else
    {
        keep (BiquadHistory::bounded, state, in);
        keep (BiquadHistory::bounded, held, out);
    }
}

void FourthOrderBlocks::process (const float* x, float* y, unsigned long n) noexcept
{
    FourthOrderBlocks* self = this;
    run (&self, &x, &y, 1, n);
}

void FourthOrderBlocks::processPair (FourthOrderBlocks& left, FourthOrderBlocks& right, float* xl, float* xr,
                                     unsigned long n) noexcept
{
    if (left.heldCount != right.heldCount || &left == &right)
    {
        left.process (xl, xl, n);
        right.process (xr, xr, n);
        return;
    }
    FourthOrderBlocks* both[2] = { &left, &right };
    const float* in[2] = { xl, xr };
    float* out[2] = { xl, xr };
    run (both, in, out, 2, n);
}

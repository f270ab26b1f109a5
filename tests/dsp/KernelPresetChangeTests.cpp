// A preset change while notes play: every differing value changes at once,
// delay lengths included. It must not be heard as a chirp (the lines read
// fast through the old content) nor as a hole; a slow sweep of a length
// still glides.
#include "KernelTestRig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

using P = VantrelParameterList;

namespace
{
using Settings = std::vector<std::pair<unsigned long, float>>;

constexpr double kRate = 48000.0;
constexpr std::size_t kWindow = 1024; // about 20 ms
constexpr std::size_t kChangeAt = 48000;

// Plucked strings, a note every 200 ms, each a decaying comb of softened
// noise (a pick, not a click: little of its own above 6 kHz).
KernelRig::Signal plucks (double seconds)
{
    const auto n = static_cast<std::size_t> (seconds * kRate);
    std::vector<float> x (n, 0.0f);
    std::mt19937 rng (5);
    std::uniform_real_distribution<float> noise (-1.0f, 1.0f);
    const int periods[] = { 218, 145, 183, 109, 163, 122 };
    for (std::size_t start = 0, note = 0; start < n; start += 9600, ++note)
    {
        const auto period = static_cast<std::size_t> (periods[note % 6]);
        std::vector<float> string (period);
        float soft = 0.0f;
        for (auto& s : string)
            s = soft += 0.05f * (noise (rng) - soft);
        for (std::size_t i = 0; start + i < n && i < 9600; ++i)
        {
            const std::size_t k = i % period;
            x[start + i] = string[k];
            string[k] = 0.498f * (string[k] + string[(k + 1) % period]);
        }
    }
    return KernelRig::stereo (x);
}

KernelRig::Signal render (const Settings& from, const Settings* to, const KernelRig::Signal& in)
{
    KernelRig rig (2, kRate);
    for (const auto& [index, value] : from)
        rig.kernel->setParameter (index, value);
    rig.settle();
    if (to == nullptr)
        return rig.renderBlocks (in, { 512 });
    KernelRig::Signal head;
    for (std::size_t c = 0; c < 2; ++c)
        head[c].assign (in[c].begin(), in[c].begin() + kChangeAt);
    KernelRig::Signal out = rig.renderBlocks (head, { 512 });
    KernelRig::Signal tail;
    for (std::size_t c = 0; c < 2; ++c)
        tail[c].assign (in[c].begin() + kChangeAt, in[c].end());
    for (const auto& [index, value] : *to)
        rig.kernel->setParameter (index, value);
    const KernelRig::Signal rest = rig.renderBlocks (tail, { 512 });
    for (std::size_t c = 0; c < 2; ++c)
        out[c].insert (out[c].end(), rest[c].begin(), rest[c].end());
    return out;
}

double windowDb (const KernelRig::Signal& s, std::size_t at, bool high)
{
    const float* x = s[0].data() + at;
    return high ? testsupport::bandAboveDecibels (x, kWindow, kRate, 6000.0) : testsupport::toDecibels (testsupport::rms (x, kWindow));
}

struct Outcome
{
    double rise = -200.0; // above 6 kHz, over the louder steady setting
    double hole = -200.0; // full band, under the quieter steady setting
};

// Windows from the change to 300 ms after it (an eighth overlap).
Outcome change (const Settings& a, const Settings& b, const KernelRig::Signal& in = plucks (1.4))
{
    const auto steadyA = render (a, nullptr, in);
    const auto steadyB = render (b, nullptr, in);
    const auto changed = render (a, &b, in);
    Outcome o;
    for (std::size_t at = kChangeAt; at + kWindow <= kChangeAt + 14400; at += kWindow / 8)
    {
        o.rise = std::max (o.rise, windowDb (changed, at, true) - std::max (windowDb (steadyA, at, true), windowDb (steadyB, at, true)));
        o.hole = std::max (o.hole, std::min (windowDb (steadyA, at, false), windowDb (steadyB, at, false)) - windowDb (changed, at, false));
    }
    return o;
}

// The factory presets' values, in the order of the parameter list.
struct Preset
{
    const char* name;
    std::array<float, P::DuckingPeakMeter> values;
};
const Preset kSmooth { "SMOOTH VANTREL",
                       { 50, 0, -3, 400, 0, 0, 49.935f, -12, 0, 195.2f, 1, 40.115f, 12, 0, 500, 10, 15, 6000, 50, 2.5f, 30, -10, 20, 100 } };
const Preset kOthers[] = {
    { "TIGHT BOOTH", { 25, 0, 0, 400, 0, 0, 0, 0, 0, 500, 0, 0, 0, 0, 500, 0, 0.4f, 8000, 5, 2.5f, 5, 0, 20, 100 } },
    { "HUGE VANTREL", { 60, 0, -3, 400, 0, 0, 50, -12, 0, 200, 1, 45, 12, 0, 500, 60, 20, 7000, 100, 2.5f, 40, -18, 25, 500 } },
    { "ABYSS", { 55, 0, 0, 60, 1, 1, 40, -12, 0, 500, 2, 20, -24, 0, 700, 40, 25, 2500, 100, 0.8f, 50, -12, 30, 600 } },
    { "FROZEN PAD", { 70, 0, 0, 400, 0, 2, 30, 0, 8, 800, 2, 30, 0, -8, 750, 10, 30, 7000, 90, 1, 60, 0, 20, 100 } },
};

Settings settings (const Preset& p)
{
    Settings s;
    for (unsigned long i = 0; i < p.values.size(); ++i)
        s.push_back ({ i, p.values[i] });
    return s;
}

class PresetChange : public ::testing::TestWithParam<int>
{
};
} // namespace

// Both ways between SMOOTH VANTREL and each other preset: the change's top
// octaves stay within 10 dB of the louder preset, and it never drops more
// than 6 dB under the quieter one.
TEST_P (PresetChange, IsHeardWithoutChirpOrHole)
{
    const Preset& other = kOthers[GetParam()];
    for (const bool back : { false, true })
    {
        const Outcome o = back ? change (settings (other), settings (kSmooth)) : change (settings (kSmooth), settings (other));
        const std::string what = back ? std::string (other.name) + " to SMOOTH VANTREL" : std::string ("SMOOTH VANTREL to ") + other.name;
        RecordProperty (what, std::to_string (o.rise) + " dB above 6 kHz, " + std::to_string (o.hole) + " dB hole");
        EXPECT_LT (o.rise, 10.0) << what;
        EXPECT_LT (o.hole, 6.0) << what;
    }
}

INSTANTIATE_TEST_SUITE_P (FactoryPairs, PresetChange, ::testing::Range (0, 4));

// Single jumps of one length each, from the smooth preset. On a steady
// tone, a line whose length switched without its fade would click: the
// pre-delay's and a voice's window are checked there too (a jump arrives
// half way through a grid chunk and waits for its end).
TEST (PresetChange, ALengthThatJumpsAloneIsNotHeardAsAChirp)
{
    struct Jump
    {
        unsigned long index;
        float from, to;
    };
    const auto tone = KernelRig::sine (1000.0, 1.4, 0.25f);
    for (const Jump j : { Jump { P::RoomSize, 0, 100 }, Jump { P::RoomSize, 100, 0 }, Jump { P::PreDelay, 0, 200 },
                          Jump { P::PreDelay, 200, 0 }, Jump { P::DelayTimeA, 40, 1000 }, Jump { P::DelayTimeA, 1000, 40 } })
    {
        Settings a = settings (kSmooth), b = a;
        a.push_back ({ j.index, j.from });
        b.push_back ({ j.index, j.to });
        const Outcome o = change (a, b);
        const std::string what = std::to_string (j.index) + ": " + std::to_string (j.from) + " to " + std::to_string (j.to);
        RecordProperty (what, std::to_string (o.rise) + " dB above 6 kHz, " + std::to_string (o.hole) + " dB hole");
        EXPECT_LT (o.rise, 10.0) << what;
        EXPECT_LT (o.hole, 6.0) << what;
        if (j.index != P::RoomSize)
        {
            EXPECT_LT (change (a, b, tone).rise, 10.0) << what << ", on a tone";
        }
    }
}

// A sweep of a length, as automation sends it (a new value every host
// block), sounds exactly as the plain glide of its ramps.
TEST (PresetChange, ASweptLengthStillGlides)
{
    struct Sweep
    {
        unsigned long index;
        float from, to, seconds;
    };
    const auto in = plucks (1.2);
    for (const Sweep s : { Sweep { P::PreDelay, 0, 200, 0.8f }, Sweep { P::RoomSize, 0, 100, 1.0f },
                           Sweep { P::DelayTimeA, 40, 1000, 1.0f } })
    {
        std::array<KernelRig::Signal, 2> out;
        for (const bool glideOnly : { false, true })
        {
            KernelRig rig (2, kRate);
            for (const auto& [index, value] : settings (kSmooth))
                rig.kernel->setParameter (index, value);
            rig.kernel->setParameter (s.index, s.from);
            rig.settle();
            if (glideOnly)
                rig.kernel->parameters->at (s.index).ramper->limitGlide (std::numeric_limits<float>::infinity());
            const auto steps = static_cast<std::size_t> (s.seconds * kRate / 512.0);
            KernelRig::Signal& o = out[glideOnly ? 1 : 0];
            for (std::size_t at = 0, k = 0; at < in[0].size(); at += 512, ++k)
            {
                const float r = std::min (1.0f, float (k) / float (steps));
                rig.kernel->setParameter (s.index, s.from + (s.to - s.from) * r);
                KernelRig::Signal block;
                for (std::size_t c = 0; c < 2; ++c)
                    block[c].assign (in[c].begin() + long (at), in[c].begin() + long (std::min (at + 512, in[c].size())));
                const auto rendered = rig.renderBlocks (block, { 512 });
                for (std::size_t c = 0; c < 2; ++c)
                    o[c].insert (o[c].end(), rendered[c].begin(), rendered[c].end());
            }
        }
        for (std::size_t c = 0; c < 2; ++c)
            EXPECT_TRUE (out[0][c] == out[1][c]) << "parameter " << s.index << ": "
                                                 << testsupport::differenceDecibels (out[0][c].data(), out[1][c].data(), in[c].size()) << " dB";
    }
}

// Two reverbs run together (the second following the first's room) must give
// exactly what each gives alone, however the calls are cut.
#include "Reverb/SimpleReverb.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace
{
constexpr unsigned long kMost = 4096;

struct Sources
{
    std::vector<float> length, colour;
};

struct Room
{
    std::vector<float> size = std::vector<float> (kMost, 0.0f);
    std::array<std::vector<float>, 4> modulation;
    std::array<float*, 4> pointers {};
};

// The kernel's order: the first reverb's lines from the room and the
// modulation, the second's copied from it, then the decay time and colour.
void prepare (SimpleReverb& a, SimpleReverb& b, Room& room, const Sources& sa, const Sources& sb, unsigned long n)
{
    a.core.setRoomSize (room.size.data(), room.pointers.data(), n);
    b.core.copyRoomSize (a.core, n);
    a.lengthSource = sa.length.data();
    a.colourSource = sa.colour.data();
    b.lengthSource = sb.length.data();
    b.colourSource = sb.colour.data();
}

bool sameBits (const std::vector<float>& x, const std::vector<float>& y)
{
    for (std::size_t i = 0; i < x.size(); ++i)
        if (std::bit_cast<std::uint32_t> (x[i]) != std::bit_cast<std::uint32_t> (y[i]))
            return false;
    return x.size() == y.size();
}
} // namespace

// The second reverb starts from silence while the first has run for a while
// (as when both voices enter feedback mode), with and without taking the
// first's write positions, in stereo and mono, at two rates; calls of every
// length, including ones no vector pass takes whole.
TEST (ReverbPair, TwoReverbsTogetherGiveTheSamplesOfEachAlone)
{
    const std::vector<unsigned long> lengths { 64, 32, 37, 256, 8, 1, 200, 64, 128, 7, 256 };
    for (const auto& [rate, channels] : { std::pair { 44100.0, 2 }, std::pair { 96000.0, 1 } })
        for (const bool align : { true, false })
        {
            std::mt19937 rng (static_cast<unsigned> (rate) + (align ? 1u : 0u));
            std::uniform_real_distribution<float> unit (-1.0f, 1.0f);
            SimpleReverb aloneA, aloneB, pairA, pairB;
            for (SimpleReverb* r : { &aloneA, &aloneB, &pairA, &pairB })
                r->init (channels, rate);

            Room room;
            const Sources sa { std::vector<float> (kMost, 3.0f), std::vector<float> (kMost, 9000.0f) };
            const Sources sb { std::vector<float> (kMost, 0.7f), std::vector<float> (kMost, 2500.0f) };
            unsigned long t = 0;
            const auto nextRoom = [&] (unsigned long n) {
                for (unsigned long i = 0; i < n; ++i, ++t)
                {
                    room.size[i] = 40.0f + 30.0f * std::sin (static_cast<float> (t) * 1e-4f);
                    for (std::size_t k = 0; k < 4; ++k)
                        room.modulation[k][i] = std::sin (static_cast<float> (t) * 3e-4f + static_cast<float> (k));
                }
            };
            for (std::size_t k = 0; k < 4; ++k)
            {
                room.modulation[k].assign (kMost, 0.0f);
                room.pointers[k] = room.modulation[k].data();
            }

            // The first reverb alone for a while: its write positions move on.
            for (int block = 0; block < 30; ++block)
            {
                const unsigned long n = 97;
                nextRoom (n);
                std::array<std::vector<float>, 2> x;
                for (auto& c : x)
                {
                    c.resize (n);
                    for (auto& v : c)
                        v = unit (rng);
                }
                auto y = x;
                float* bx[] = { x[0].data(), x[1].data() };
                float* by[] = { y[0].data(), y[1].data() };
                prepare (aloneA, aloneB, room, sa, sb, n);
                aloneA.process (bx, n);
                prepare (pairA, pairB, room, sa, sb, n);
                pairA.process (by, n);
            }

            aloneB.clear();
            pairB.clear();
            if (align)
                pairB.core.alignWritePositions (pairA.core);

            for (int call = 0; call < 160; ++call)
            {
                const unsigned long n = lengths[static_cast<std::size_t> (call) % lengths.size()];
                nextRoom (n);
                std::array<std::vector<float>, 4> alone;
                for (auto& c : alone)
                {
                    c.resize (n);
                    for (auto& v : c)
                        v = call < 120 ? unit (rng) : 0.0f; // then the tails
                }
                auto together = alone;
                float* a1[] = { alone[0].data(), alone[1].data() };
                float* b1[] = { alone[2].data(), alone[3].data() };
                float* a2[] = { together[0].data(), together[1].data() };
                float* b2[] = { together[2].data(), together[3].data() };

                prepare (aloneA, aloneB, room, sa, sb, n);
                aloneA.process (a1, n);
                aloneB.process (b1, n);
                prepare (pairA, pairB, room, sa, sb, n);
                SimpleReverb::processPair (pairA, a2, pairB, b2, n);

                for (std::size_t c = 0; c < 4; ++c)
                    ASSERT_TRUE (sameBits (alone[c], together[c]))
                        << rate << " Hz, " << (align ? "aligned" : "not aligned") << ", call " << call << " of " << n
                        << " samples, " << (c < 2 ? "first" : "second") << " reverb, channel " << c % 2;
            }
        }
}

// Calls that have nothing to render (no buffers, no samples) do no harm; a
// reverb that was never set up answers with silence, as it does alone.
TEST (ReverbPair, CallsWithNothingToRenderDoNoHarm)
{
    SimpleReverb a, b, c, d;
    a.init (2, 48000.0);
    c.init (2, 48000.0);
    d.init (2, 48000.0);
    std::vector<float> l (64, 0.5f), r (64, 0.5f), l2 (64, 0.5f), r2 (64, 0.5f);
    float* ba[] = { l.data(), r.data() };
    float* bb[] = { l2.data(), r2.data() };
    SimpleReverb::processPair (a, ba, b, bb, 64);
    EXPECT_EQ (std::vector<float> (64, 0.0f), l2);
    EXPECT_EQ (std::vector<float> (64, 0.0f), r2);
    SimpleReverb::processPair (c, nullptr, d, bb, 64);
    SimpleReverb::processPair (c, ba, d, bb, 0);
}

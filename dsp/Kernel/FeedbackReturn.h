#pragma once

#include <vector>

// The way back from a voice's pitch-shifting feedback delay into the reverb
// input: the delay's output, one channel, kept in order and returned a fixed
// kLatency samples later. A fixed latency keeps the return continuous and the
// effect's sound the same whatever block lengths the host chooses (and
// between real-time playback and an offline bounce); a return that depended
// on the host's block length would jump wherever consecutive blocks differ.
class FeedbackReturn
{
public:
    // One sub-block of the kernel: the shortest latency at which everything
    // a sub-block reads has been written by the ones before it.
    static constexpr unsigned long kLatency = 256;

    FeedbackReturn();

    // Silence, as after construction.
    void clear() noexcept;
    // The n samples (n <= kLatency) that were written kLatency samples before
    // the next write.
    void read (float* out, unsigned long n) const noexcept;
    // Appends n samples (n <= kLatency); null appends silence.
    void write (const float* in, unsigned long n) noexcept;

private:
    static constexpr unsigned long kSize = 2 * kLatency; // a power of two
    std::vector<float> ring;
    unsigned long writeIndex = 0;
};

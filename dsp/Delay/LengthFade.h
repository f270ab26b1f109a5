#pragma once

#include <array>
#include <cmath>

// One delay length's jumps. Its parameter glides as long as the glide reads
// the line at a speed close to real time; a larger step (the parameter's
// ramper jumps instead of gliding, see ParameterRamper::limitGlide) would
// either click or, glided, chirp. Here a step waits for the next grid point
// (the line keeps its old length until then) and is then heard as a fade
// between two reads of the line, at the old length and at the new one, over
// a fixed number of samples. A step during a fade waits for its end.
//
// Audio thread only; sub-blocks of at most kLongest frames, each within one
// grid chunk.
class LengthFade
{
public:
    static constexpr unsigned long kLongest = 256;

    // A new stream: the next length is taken as it is. `largestStep`: the
    // parameter's glide limit per sample; `fadeLength` a whole number of grid
    // chunks.
    void setup (float largestStep, unsigned long fadeLength) noexcept;

    // The lengths the line reads for the next n samples (the requested ones,
    // or the old length held while a step waits). atGridPoint: the sub-block
    // starts a grid chunk.
    float* take (float* requested, unsigned long n, bool atGridPoint) noexcept
    {
        // Nearly always: no fade, and the length glides or stands.
        if (! running && ! waiting && valid && n > 0 && n <= kLongest && std::fabs (requested[0] - last) <= limit)
        {
            last = requested[n - 1];
            return requested;
        }
        return takeAny (requested, n, atGridPoint);
    }

    // While fading, for the sub-block taken last: the old length, n times,
    // and the two reads' equal-power weights (the reads are of different
    // parts of the signal, and add in power).
    bool fading() const noexcept { return running; }
    const float* oldLengths() const noexcept { return from.data(); }
    const float* oldWeights() const noexcept { return oldWeight.data(); }
    const float* newWeights() const noexcept { return newWeight.data(); }
    // newer = newer (new weight) + older (old weight), per sample.
    void mix (const float* older, float* newer, unsigned long n) const noexcept
    {
        mixReads (older, newer, oldWeight.data(), newWeight.data(), n);
    }
    static void mixReads (const float* older, float* newer, const float* oldWeight, const float* newWeight,
                          unsigned long n) noexcept;

    // For lengths read by a shifter's windows instead of a line: the old
    // length up to half way and the new one from there (in `lengths`), under
    // a gain that falls to 0 at the switch and rises again.
    void duckAndSwitch (float* lengths, float* gain, unsigned long n) const noexcept;

private:
    float* takeAny (float* requested, unsigned long n, bool atGridPoint) noexcept;

    float limit = 0.0f;
    unsigned long length = kLongest;
    bool valid = false, waiting = false, running = false;
    float last = 0.0f;
    unsigned long position = 0;
    // The fade position of sample 0 of the sub-block taken last.
    unsigned long taken = 0;
    std::array<float, kLongest> held {}, from {}, oldWeight {}, newWeight {};
};

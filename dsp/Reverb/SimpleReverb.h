#pragma once

#include "ProcessBlock/ProcessBlock.h"
#include "Reverb/VantrelReverb.h"

#include <array>
#include <vector>

// The stereo reverb block the kernel calls: the early stage and the late
// network of VantrelReverb with a decay time, a damping colour, a 0.5-scaled
// Hadamard feedback matrix and a feedback gain ramped across each chunk of
// kChunkLength samples (the kernel's grid).
class SimpleReverb : public ProcessBlock
{
public:
    SimpleReverb();

    static constexpr unsigned long kChunkLength = 256;

    void init (int numChannels, double newSampleRate) override;
    // Silences every line and restarts the loop gain from 0: the reverb
    // starts again as after init.
    void clear() noexcept override;

    // In place on the first min(channels, 2) buffers. With one channel the
    // right input is silence. n at most kMaxFramesPerBlock. Call the core's
    // setRoomSize and set the two sources before each call. gridPosition:
    // the frame of the grid chunk buffers[.][0] falls on, as the caller
    // counts it; without it, the reverb counts its own calls.
    void process (float** buffers, unsigned long n, unsigned long gridPosition) noexcept;
    void process (float** buffers, unsigned long n) noexcept;

    // process on two reverbs at once, b's lines following a's room (equal
    // line times: copyRoomSize) and written alike (both initialised together,
    // and written or rested through the same calls since): the same samples
    // as a.process and b.process, with the work the two can share done once.
    static void processPair (SimpleReverb& a, float** buffersA, SimpleReverb& b, float** buffersB, unsigned long n,
                             unsigned long gridPosition) noexcept;
    static void processPair (SimpleReverb& a, float** buffersA, SimpleReverb& b, float** buffersB, unsigned long n) noexcept;

    // In place of process while the reverb is not heard: every line stores
    // silence, which costs nothing once it is silent through, and it starts
    // again from silence, not from what it held. A silent line's write
    // position stands still: align it with the reverb it runs beside before
    // it runs again (Reverb::alignWritePositions).
    void rest (unsigned long n) noexcept;
    bool isResting() const noexcept { return resting; }

    VantrelReverb core;

    // Per-sample reverb time T60 in s and damping cutoff in Hz for the block;
    // set by the owner. Until then the parameters' defaults apply.
    const float* lengthSource = nullptr;
    const float* colourSource = nullptr;

    std::vector<float> dampingAmount; // 70 %
    std::vector<float> left, right;

private:
    // The finite copies of the inputs and the block's loop gain; false when
    // there is nothing more to do (an empty call, or not initialised: then
    // the outputs are cleared).
    bool takeInputs (float** buffers, unsigned long n, unsigned long position) noexcept;
    const float* colour() const noexcept;
    std::array<float*, 4> lineOutputs() noexcept;
    // The network's mix into the buffers, and the new line inputs stored.
    void mixAndStore (float** buffers, unsigned long n) noexcept;
    void updateFeedbackGain (unsigned long n, unsigned long position) noexcept;
    float targetFeedbackGain() noexcept;
    // The network's matrix and output taps over the four line outputs, into
    // outL/outR (times `scale`) and the core's mix buffers (which must not
    // alias the inputs).
    void mixNetwork (float* const* lineOut, const float* earlyL, const float* earlyR, float gain, float scale, float* outL,
                     float* outR, unsigned long n) noexcept;

    std::vector<float> defaultLength, defaultColour;
    bool initialised = false;
    bool resting = false;
    bool silentThrough = false; // every line, while resting
    // The loop gain last computed and the time and line length it was for.
    float lastGain = 0.0f, lastReverbTime = 0.0f, lastLineSeconds = 0.0f;
    bool gainValid = false;
    // The loop gain's start and step through the current chunk, and the
    // position the calls without a caller's count.
    float chunkStart = 0.0f, chunkStep = 0.0f;
    unsigned long ownPosition = 0;
};

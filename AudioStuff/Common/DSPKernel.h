#pragma once

#include "Parameters/ParameterList.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <map>
#include <memory>

// The real-time engine interface: owns a parameter list, turns parameter
// changes into clamped ramps (or immediate updates for switches) and keeps the
// values of output-only parameters.
//
// Calling order: construct; setParameter at any time, from any thread; init
// and setup before the first process and whenever the rate or channel count
// changes (not while process runs); then process for every block, on the audio
// thread, with at most kMaxFramesPerBlock frames (the processor splits longer
// host blocks).
class DSPKernel
{
public:
    // Two floats per output-only parameter; the first is the current value.
    using OutputSlot = std::array<std::atomic<float>, 2>;

    explicit DSPKernel (std::unique_ptr<ParameterList> parameterList = nullptr);
    virtual ~DSPKernel() = default;
    DSPKernel (const DSPKernel&) = delete;
    DSPKernel& operator= (const DSPKernel&) = delete;

    virtual void setup() {}
    // Derived kernels call it first: a block of at least one frame starts the
    // stream (see startRamp).
    virtual void process (unsigned long frames, unsigned long bufferOffset, long) noexcept;
    virtual void handleMIDIEvent (unsigned char* message, long long time) noexcept {}
    // How long, in seconds, the output can go on after the input falls silent
    // with the settings last requested. Any thread.
    virtual double tailSeconds() const noexcept { return 0.0; }
    // Applies a parameter flagged not ramped. Receives the raw, unclamped value.
    virtual void updateParameter (unsigned long index, float value) = 0;
    // Clamps the value to the parameter's range and ramps over at least the
    // kernel's ramp length (switches go to updateParameter instead). Any thread.
    // Until the first block after init nothing has sounded: a value set then
    // (a restored state, a host's or renderer's settings) is where the stream
    // starts, not a ramp from the value before it.
    virtual void startRamp (unsigned long index, float value, unsigned long duration);

    void init (int numChannels, double newSampleRate);
    // startRamp over the kernel's ramp length. Any thread.
    void setParameter (unsigned long index, float value);
    // The last target requested, after clamping (not the value the ramp has
    // reached). Any thread.
    float getParameter (unsigned long index) const;

    // The slot of an output-only parameter, or null (exists after the first
    // init). Any thread: the slots are published once complete and never
    // change afterwards, so a reader never meets the map while it is filled.
    OutputSlot* outputValue (int index) noexcept;

    std::unique_ptr<ParameterList> parameters;
    double bpm = 0.0;
    double timeSignatureNumerator = 0.0;
    long timeSignatureDenominator = 0;
    double ppqPosition = 0.0;
    bool isPlaying = false;
    double timeInSamples = 0.0;
    double loopStart = 0.0;
    double loopEnd = 0.0;
    float oneOverNyquist = 0.0f;
    float nyquist = 0.0f;
    int channels = 2;
    // Written by init on a re-prepare while setParameter may read it on
    // another thread.
    std::atomic<std::uint64_t> rampLength { 0 };
    bool initialised = false;
    double sampleRate = 0.0;
    std::map<int, std::unique_ptr<OutputSlot>> outputValues;

private:
    std::atomic<bool> outputsPublished { false };
    std::atomic<bool> streamStarted { false };

protected:
    // Called by init (off the audio thread) after the parameters are seeded:
    // lets derived kernels size their buffers for the parameter list.
    virtual void prepareBuffers() {}
};

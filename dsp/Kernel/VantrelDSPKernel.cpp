#include "Kernel/VantrelDSPKernel.h"

#include "Kernel/TailLength.h"

#include "BlockSize.h"
#include "Math/Accelerate/SignalProcessing.h"
#include "VantrelParameterList.h"

#include <algorithm>
#include <cassert>
#include <cmath>

namespace
{
using P = VantrelParameterList;

// Maximum delay of the pre-delay line in ms: twice the parameter's range, so
// that a ramp through the top of the range never reaches the line's end.
constexpr float kPreDelayMaxMs = 400.0f;

// The rates the blocks are built for. Below the lowest one the shortest delay
// line cannot hold two sub-blocks; above the highest one the pitch voices'
// five-second storage alone would take hundreds of megabytes.
constexpr double kLowestSampleRate = 8000.0;
constexpr double kHighestSampleRate = 768000.0;

// The kernel owns the grid position and hands it to the blocks that decide
// per chunk; their chunks are its chunks.
static_assert (PitchShifter::kChunkLength == VantrelDSPKernel::kGridLength);
static_assert (SimpleReverb::kChunkLength == VantrelDSPKernel::kGridLength);

std::vector<float> scratch (float value = 0.0f)
{
    return std::vector<float> (kMaxFramesPerBlock, value);
}

// Switch values arrive unclamped; a value outside the parameter's range (or
// infinite) must not reach an integer conversion or an interval the voice was
// not designed for.
float limitToRange (const Parameter& p, float value) noexcept
{
    return std::clamp (value, std::min (p.min, p.max), std::max (p.min, p.max));
}
} // namespace

VantrelDSPKernel::VantrelDSPKernel()
    : FilterDSPKernel (std::make_unique<VantrelParameterList>()),
      inputGain (std::make_unique<Gain>()),
      inputFilter (std::make_unique<BiquadFilter>()),
      preDelay (std::make_unique<DelayLine> (kPreDelayMaxMs)),
      shifterA (std::make_unique<Shifter>()),
      shifterB (std::make_unique<Shifter>()),
      reverbA (std::make_unique<SimpleReverb>()),
      reverbB (std::make_unique<SimpleReverb>()),
      lfo (std::make_unique<Lfo>()),
      ducker (std::make_unique<Ducker>()),
      dryWet (std::make_unique<KarvonDSP::DryWet>()),
      filterFrequency (scratch()),
      duckerRatio (scratch (10.0f)),
      reverbColour (scratch()),
      feedbackScratch (scratch())
{
    inputFilter->setType (LowShelf);
    ducker->mode = Ducker::LevelByRms;

    for (auto& w : workBuffers)
        w = scratch();
    for (auto& d : dryInput)
        d = scratch();
    for (auto& m : modulation)
        m = scratch();
    for (auto& m : chunkModulation)
        m.assign (kGridLength, 0.0f);
    modulationGain = scratch();
    inputFilterSettings.frequencyBuffer = filterFrequency.data();
    fadeRamp = scratch();
    for (auto& voice : placeWeights)
        for (auto& w : voice)
            w = scratch();
    bothWeight = scratch();
    returnBWeight = scratch();
    for (auto& g : returnGains)
        g = scratch();
    for (std::size_t c = 0; c < kMaxChannels; ++c)
    {
        fadeWet[c] = scratch();
        fadeInputB[c] = scratch();
        fadeVoices[0][c] = scratch();
        fadeVoices[1][c] = scratch();
    }
    // Four outputs of one oscillator, a quarter cycle apart.
    for (std::size_t i = 0; i < lfoPhaseOffsets.size(); ++i)
        lfoPhaseOffsets[i] = scratch (0.25f * static_cast<float> (i));

    SignalProcessing::init();

    for (std::size_t c = 0; c < kMaxChannels; ++c)
    {
        reverbInputStorage[c] = scratch();
        reverbInputStorageB[c] = scratch();
        reverbInputs[c] = reverbInputStorage[c].data();
        reverbInputsB[c] = reverbInputStorageB[c].data();
    }

    // The feedback returns take the delays' output from the voice buffers.
    shifterA->keepsFeedback = shifterB->keepsFeedback = false;
    for (std::size_t c = 0; c < kMaxChannels; ++c)
        for (Shifter* voice : { shifterA.get(), shifterB.get() })
        {
            voice->pitchShifters[c].readFrom (&preShiftInputs[c]);
            voice->postShifters[c].readFrom (&postShiftInputs[c]);
        }

    // Every parameter gets its slot now, so rendering never grows the list.
    parameterBuffers->checkSize (P::NumParameters - 1);
}

VantrelDSPKernel::~VantrelDSPKernel() = default;

void VantrelDSPKernel::prepareBuffers()
{
    FilterDSPKernel::prepareBuffers();
    // The buses are mono or stereo and every per-channel array holds two.
    assert (channels >= 0 && channels <= kMaxChannels);
    channels = std::clamp (channels, 0, kMaxChannels);
}

void VantrelDSPKernel::setup()
{
    channels = std::clamp (channels, 0, kMaxChannels);
    const int c = channels;
    const double rate = sampleRate;

    inputGain->init (c, rate);
    inputFilter->init (c, rate);
    preDelay->init (c, rate);
    ducker->init (c, rate);
    dryWet->init (c, rate);
    shifterA->init (c, rate);
    reverbA->init (c, rate);
    shifterB->init (c, rate);
    reverbB->init (c, rate);
    lfo->init (kModulationOutputs, rate);
    for (auto* inputs : { &preShiftInputs, &postShiftInputs })
        for (auto& input : *inputs)
            input.init (PitchShifter::storageMs (shifterA->pitchShifters[0].maxWindowMs, rate), rate);

    // The modulation must repeat identically: no random steps.
    lfo->randomSteps = false;
    inputFilter->clear();
    // One coefficient computation per call, from the block's first sample.
    inputFilter->subBlockSize = kMaxFramesPerBlock;
    dryWet->usePower = false;
    preDelay->setInterpolation (DelayRead::Linear);

    // A return from before the new rate or layout must not leak into it.
    for (auto& voice : feedbackReturns)
        for (auto& channel : voice)
            channel.clear();

    // A new stream: the grid starts here and every block is fresh (the
    // ducker's init forgot its key).
    gridPosition = 0;
    modesTaken = false;
    crossfade = {};
    // About 5 ms, in whole chunks.
    crossfadeLength = wholeChunks (rate, 0.005);

    // A delay length whose ramp would read its line faster or slower than
    // real time by more than the jump speed jumps instead, and fades
    // (LengthFade).
    const auto lengthFade = [this, rate] (unsigned long index, float msPerUnit, LengthFade& fade, double speed) {
        const float limit = static_cast<float> (speed * 1000.0 / rate) / msPerUnit;
        parameters->at (index).ramper->limitGlide (limit);
        fade.setup (limit, wholeChunks (rate, 0.02));
    };
    lengthFade (P::PreDelay, 1.0f, preDelayFade, kJumpSpeed);
    // The room size scales every reverb line; the longest moves the most.
    lengthFade (P::RoomSize, VantrelReverb::delayInitTimes[3] / VantrelReverb::roomDivisor, roomFade, kJumpSpeed);
    lengthFade (P::DelayTimeA, 1.0f, windowFades[0], kWindowJumpSpeed);
    lengthFade (P::DelayTimeB, 1.0f, windowFades[1], kWindowJumpSpeed);

    // Nothing renders during setup: the filter type can be applied here.
    applyFilterType();

    parameterBuffersCollected = false;
    preparedChannels = c;
    prepared = rate >= kLowestSampleRate && rate <= kHighestSampleRate;
}

void VantrelDSPKernel::updateParameter (unsigned long index, float value)
{
    if (std::isnan (value) || parameters == nullptr)
        return;
    const Parameter& p = parameters->at (index);

    switch (index)
    {
        case P::InputFilterType:
            // 0 (after rounding half away from zero) is the low shelf, anything else high-pass.
            requestedFilterType.store (std::round (value) == 0.0f ? LowShelf : HighPass, std::memory_order_relaxed);
            break;
        case P::PitchShifterModeA:
            shifterA->mode.store (static_cast<int> (std::trunc (limitToRange (p, value))), std::memory_order_relaxed);
            break;
        case P::PitchShifterModeB:
            shifterB->mode.store (static_cast<int> (std::trunc (limitToRange (p, value))), std::memory_order_relaxed);
            break;
        case P::PitchA:
            shifterA->setPitch (static_cast<int> (std::round (limitToRange (p, value))));
            break;
        case P::PitchB:
            shifterB->setPitch (static_cast<int> (std::round (limitToRange (p, value))));
            break;
        // Fine tuning is set in cents, the voices work in semitones.
        case P::FineA:
            shifterA->setFine (limitToRange (p, value) / 100.0f);
            break;
        case P::FineB:
            shifterB->setFine (limitToRange (p, value) / 100.0f);
            break;
        default:
            break;
    }
}

double VantrelDSPKernel::tailSeconds() const noexcept
{
    if (parameters == nullptr)
        return 0.0;
    TailLength::Settings settings;
    settings.reverbLengthSeconds = getParameter (P::ReverbLength);
    settings.preDelayMs = getParameter (P::PreDelay);
    const std::array<const Shifter*, 2> shifters { shifterA.get(), shifterB.get() };
    const std::array<unsigned long, 2> amounts { P::PitchShifterAmountA, P::PitchShifterAmountB };
    const std::array<unsigned long, 2> windows { P::DelayTimeA, P::DelayTimeB };
    for (std::size_t v = 0; v < 2; ++v)
    {
        TailLength::Voice& voice = settings.voices[v];
        voice.mode = shifters[v]->mode.load (std::memory_order_relaxed);
        voice.interval = static_cast<float> (shifters[v]->pitch.load (std::memory_order_relaxed))
                         + shifters[v]->fine.load (std::memory_order_relaxed);
        voice.amountPercent = getParameter (amounts[v]);
        voice.windowMs = getParameter (windows[v]);
    }
    return TailLength::seconds (settings);
}

void VantrelDSPKernel::applyFilterType() noexcept
{
    inputFilter->setType (static_cast<BiquadFilterType> (requestedFilterType.load (std::memory_order_relaxed)));
}

// The kernel's signal flow, block by block on the audio thread.

#include "Kernel/InputSanitiser.h"

#include "Math/Accelerate/ScopedFlushDenormals.h"
#include "Kernel/VantrelDSPKernel.h"

#include "BlockSize.h"
#include "Math/Accelerate/SignalProcessing.h"
#include "Math/Memory.h"
#include "Pitch/ShifterMode.h"
#include "VantrelParameterList.h"

#include <algorithm>
#include <cmath>

namespace
{
using P = VantrelParameterList;
using SP = SignalProcessing;

// The widest interval a voice shifts by, in semitones.
constexpr float kWidestInterval = 24.0f;

// 10^(dB / 20) written as exp(dB * ln(10) / 20).
constexpr double kDecibelsToExponent = 0.11512925464970002;

// Fraction of the amount parameter that a voice in feedback mode returns to
// the reverb: nothing for an unshifted voice, rising steeply with the
// interval. The interval rarely changes: the last one's value is kept.
float feedbackReturnScale (const Shifter& voice, VantrelDSPKernel::ScalarCache& cache) noexcept
{
    const float interval = static_cast<float> (voice.pitch.load (std::memory_order_relaxed))
                           + voice.fine.load (std::memory_order_relaxed);
    if (! cache.holds (interval))
        cache.store (interval, std::pow (std::fabs (interval) / kWidestInterval, 0.05f) / 100.0f);
    return cache.value;
}

// out_i = shape_i g for the four oscillator outputs.
void scaleOutputs (const float* s0, const float* s1, const float* s2, const float* s3, const float* g, float* o0, float* o1,
                   float* o2, float* o3, unsigned long n) noexcept
{
    SP::mul (s0, g, o0, n);
    SP::mul (s1, g, o1, n);
    SP::mul (s2, g, o2, n);
    SP::mul (s3, g, o3, n);
}

// The two voices' average where neither may have shifted: a signal's average
// with itself is the signal (doubling and halving are exact in binary), so it
// is passed on, or left where it lies.
void average (const float* a, const float* b, float* out, unsigned long n) noexcept
{
    if (a != b)
        SP::add_mul_s (a, b, 0.5f, out, n);
    else if (a != out)
        Memory::copy (a, out, n);
}

// The weight of the new routing at sample `reached` (1 .. length) of a
// crossfade.
float fadeShape (unsigned long reached, unsigned long length) noexcept
{
    if (reached >= length)
        return 1.0f;
    return 0.5f - 0.5f * std::cos (3.14159265f * static_cast<float> (reached) / static_cast<float> (length));
}

// out = from a to b by the weight w of b, per sample; a part wholly in or
// out is exact. out may be b.
void fadeInto (const float* a, const float* b, const float* w, float* out, unsigned long n) noexcept
{
    for (unsigned long i = 0; i < n; ++i)
        out[i] = w[i] == 1.0f ? b[i] : w[i] == 0.0f ? a[i] : a[i] + w[i] * (b[i] - a[i]);
}

// in += returned gain, by the weight w (null: 1).
void addReturn (float* in, const float* returned, const float* gain, const float* w, unsigned long n) noexcept
{
    if (w == nullptr)
    {
        SP::mul_add (returned, gain, in, in, n);
        return;
    }
    for (unsigned long i = 0; i < n; ++i)
        in[i] = in[i] + returned[i] * gain[i] * w[i];
}

// gain = gain^2, then out = wet gain.
void squareAndApply (float* gain, const float* wet, float* out, unsigned long n) noexcept
{
    SP::mul (gain, gain, gain, n);
    SP::mul (wet, gain, out, n);
}

// Both voices in feedback mode: each voice takes its own reverb's output
// (a into voiceA, b into voiceB), and a becomes the wet signal, (a + b)
// 0.75, in one pass.
void takeBothReverbs (float* __restrict a, const float* __restrict b, float* __restrict voiceA,
                      float* __restrict voiceB, unsigned long n) noexcept
{
    for (unsigned long i = 0; i < n; ++i)
    {
        voiceA[i] = a[i];
        voiceB[i] = b[i];
        a[i] = (a[i] + b[i]) * 0.75f;
    }
}

// A voice shifting its channels' signals in place: shifter, make-up gain,
// then the voice's own dry/wet crossfade with its amount. The channels are
// independent; their shifters run together.
void shiftAndMix (Shifter& voice, const std::array<const float*, 2>& dry, int channels, unsigned long n,
                  unsigned long gridPosition, bool after) noexcept
{
    voice.shiftChannels (channels, n, after, gridPosition);
    for (int c = 0; c < channels; ++c)
    {
        float* x = voice.voice[c];
        voice.dryWet.processScaledWet (dry[static_cast<std::size_t> (c)], x, voice.gain, x, n, voice.amount);
    }
}

} // namespace

float* VantrelDSPKernel::parameterBuffer (unsigned long index) noexcept
{
    // The block's buffers, looked up once when the ramps were rendered.
    return index < blockParameters.size() ? blockParameters[index] : (*parameterBuffers)[index];
}

void VantrelDSPKernel::collectParameterBuffers() noexcept
{
    static_assert (std::tuple_size_v<decltype (blockParameters)> == P::NumParameters);
    // The list was sized at construction; read its slots directly.
    const auto& slots = parameterBuffers->slots;
    for (std::size_t i = 0; i < blockParameters.size(); ++i)
        blockParameters[i] = i < slots.size() && slots[i] != nullptr ? slots[i]->buffer : nullptr;
    parameterBuffersCollected = true;
}

void VantrelDSPKernel::process (unsigned long frames, unsigned long bufferOffset, long count) noexcept
{
    FilterDSPKernel::process (frames, bufferOffset, count);
    const ScopedFlushDenormals noDenormals;

    const int numChannels = prepared ? preparedChannels : std::clamp (channels, 0, kMaxChannels);
    const BufferList* inputBus = inputBuffers.empty() ? nullptr : inputBuffers.front();
    const BufferList* outputBus = outputBuffers.empty() ? nullptr : outputBuffers.front();
    std::array<const float*, kMaxChannels> in {};
    std::array<float*, kMaxChannels> out {};
    for (int c = 0; c < numChannels; ++c)
    {
        const auto ch = static_cast<std::size_t> (c);
        in[ch] = inputBus != nullptr ? (*inputBus)[ch] : nullptr;
        out[ch] = outputBus != nullptr ? (*outputBus)[ch] : nullptr;
    }

    if (! prepared)
    {
        // Not set up for a usable rate: a defined answer is silence.
        for (float* o : out)
            if (o != nullptr)
                std::fill (o, o + frames, 0.0f);
        storeMeter();
        return;
    }

    // Longer host blocks are rendered in consecutive pieces that fit the
    // scratch buffers; frames = 0 still runs one (empty) piece.
    unsigned long done = 0;
    do
    {
        const unsigned long n = std::min (frames - done, kMaxFramesPerBlock);
        std::array<const float*, kMaxChannels> pieceIn {};
        std::array<float*, kMaxChannels> pieceOut {};
        for (std::size_t c = 0; c < kMaxChannels; ++c)
        {
            pieceIn[c] = in[c] != nullptr ? in[c] + done : nullptr;
            pieceOut[c] = out[c] != nullptr ? out[c] + done : nullptr;
        }
        renderPiece (n, pieceIn, pieceOut);
        done += n;
    } while (done < frames);

    storeMeter();
}

void VantrelDSPKernel::renderPiece (unsigned long frames, const std::array<const float*, kMaxChannels>& in,
                                    const std::array<float*, kMaxChannels>& out) noexcept
{
    if (preparedChannels == 0)
    {
        // No bus to render: keep the ramps and the grid moving so that time
        // passes alike.
        parameters->checkOutBuffers (frames, parameterBuffers.get());
        gridPosition = (gridPosition + frames) % kGridLength;
        return;
    }

    prepareBlock (frames, in);
    pieceOutputs = out;

    // Sub-blocks end on the grid: a chunk cut by the host's block runs on in
    // the next block with the decisions taken at its start.
    for (unsigned long s = 0; s < frames;)
    {
        const unsigned long n = std::min (kGridLength - gridPosition, frames - s);
        if (gridPosition == 0)
            beginChunk (s);
        processSubBlock (s, n);
        gridPosition = (gridPosition + n) % kGridLength;
        s += n;
    }
}

void VantrelDSPKernel::prepareBlock (unsigned long frames, const std::array<const float*, kMaxChannels>& in) noexcept
{
    // The slots change only when a ramp renders or a constant is refilled:
    // look them up again only then.
    if (parameters->checkOutBuffers (frames, parameterBuffers.get()) || ! parameterBuffersCollected)
        collectParameterBuffers();

    float* gain = parameterBuffer (P::InputGain);
    std::array<float*, kMaxChannels> work {};
    for (int c = 0; c < preparedChannels; ++c)
    {
        const auto ch = static_cast<std::size_t> (c);
        InputSanitiser::copy (in[ch], dryInput[ch].data(), frames);
        work[ch] = workBuffers[ch].data();
        Memory::copy (dryInput[ch].data(), work[ch], frames);
    }
    inputGain->processChannels (work.data(), static_cast<unsigned long> (preparedChannels), frames, gain);
}

void VantrelDSPKernel::takeModes() noexcept
{
    // Switches may change from any thread: they are read once per chunk, and
    // not while a crossfade runs (it ends within a few ms).
    if (crossfade.running())
        return;
    const int modeA = shifterA->mode.load (std::memory_order_relaxed);
    const int modeB = shifterB->mode.load (std::memory_order_relaxed);
    if (modesTaken && (modeA != held.modeA || modeB != held.modeB))
        crossfade = { held.modeA, held.modeB, modeA, modeB, 0, crossfadeLength };
    modesTaken = true;
    held.modeA = modeA;
    held.modeB = modeB;
}

void VantrelDSPKernel::beginChunk (unsigned long start) noexcept
{
    // The filter type, like every switch, changes on the grid (clearing the
    // filter), whatever the host block it was asked for in.
    applyFilterType();

    takeModes();

    // The voices before and after the reverb hand their amount to their
    // crossfade; a repeating voice uses it, scaled, as its return's level.
    held.returnScale = { feedbackReturnScale (*shifterA, returnScaleA), feedbackReturnScale (*shifterB, returnScaleB) };

    // The input filter's cutoff ramps on the note scale: back to Hz, kept
    // below Nyquist with some margin. The filter takes its coefficients from
    // the first value it is given, which is the chunk's.
    float* cutoff = filterFrequency.data();
    cutoff[0] = parameterBuffer (P::InputFilterFrequency)[start];
    SP::mul_s (cutoff, 0.057762265f, cutoff, 1);
    SP::exp (cutoff, cutoff, 1);
    SP::mul_s (cutoff, 8.1757994f, cutoff, 1);
    SP::clip (cutoff, 20.0f, static_cast<float> (sampleRate / 2.1), cutoff, 1);
    held.resonance = parameterBuffer (P::InputFilterResonance)[start];

    // The reverbs' damping filters, likewise.
    SP::clip (parameterBuffer (P::ReverbColor) + start, 800.0f, static_cast<float> (sampleRate / 2.01), &held.colour, 1);

    // The oscillator at the chunk's rate, four outputs a quarter cycle apart,
    // for the whole chunk at once (their phases then never depend on where
    // the host cuts); the amount applies per sample as the frames come.
    float* rate = parameterBuffer (P::ModulationRate) + start;
    std::array<float*, kModulationOutputs> outputs {};
    std::array<const float*, kModulationOutputs> offsets {};
    for (std::size_t i = 0; i < kModulationOutputs; ++i)
    {
        outputs[i] = chunkModulation[i].data();
        offsets[i] = lfoPhaseOffsets[i].data();
    }
    lfo->processOutputs (outputs.data(), kModulationOutputs, kGridLength, Lfo::LfoParameters { rate, nullptr, nullptr, nullptr },
                         offsets.data());

    // The ducker's settings for its decisions within the chunk.
    const float thresholdDb = parameterBuffer (P::DuckingThreshold)[start];
    if (! duckerThreshold.holds (thresholdDb))
        duckerThreshold.store (thresholdDb, std::exp (static_cast<double> (thresholdDb) * kDecibelsToExponent));
    ducker->set (Ducker::Settings { duckerThreshold.precise, duckerRatio[0], parameterBuffer (P::DuckingAttack)[start],
                                    parameterBuffer (P::DuckingRelease)[start] });
}

void VantrelDSPKernel::filterInput (unsigned long start, unsigned long n) noexcept
{
    // The channels' filters are independent: in stereo they run in one pass.
    const BiquadFilterParameters& settings = inputFilterSettings;
    if (preparedChannels == 2)
        inputFilter->processStereo (workBuffers[0].data() + start, workBuffers[1].data() + start, n, settings);
    else if (preparedChannels == 1)
        inputFilter->process (workBuffers[0].data() + start, n, 0, settings);
}

void VantrelDSPKernel::modulate (unsigned long start, unsigned long n) noexcept
{
    // The oscillator amount's gain once for the four outputs, which then
    // take it in one pass.
    static_assert (kModulationOutputs == 4);
    float* g = modulationGain.data();
    lfo->amountGains (parameterBuffer (P::ModulationAmount) + start, g, n);
    const std::size_t at = gridPosition;
    scaleOutputs (chunkModulation[0].data() + at, chunkModulation[1].data() + at, chunkModulation[2].data() + at,
                  chunkModulation[3].data() + at, g, modulation[0].data() + start, modulation[1].data() + start,
                  modulation[2].data() + start, modulation[3].data() + start, n);
    SP::fill (reverbColour.data() + start, held.colour, n);
}

void VantrelDSPKernel::processSubBlock (unsigned long start, unsigned long n) noexcept
{
    filterInput (start, n);
    modulate (start, n);
    takeLengths (start, n);
    const Routing routing = planRouting (n);

    shiftBefore (routing, start, n);
    returnRepeats (routing, n);
    delayReverbInputs (n);
    runReverbs (start, n, routing.secondReverb);
    shiftAfter (routing, start, n);
    duckWet (start, n);
    mix (start, n);

    if (crossfade.running())
        crossfade.position += n;
}

VantrelDSPKernel::Routing VantrelDSPKernel::planRouting (unsigned long n) noexcept
{
    Routing routing;
    const bool fading = crossfade.running();
    routing.to = { held.modeA, held.modeB };
    routing.from = fading ? std::array<int, 2> { crossfade.fromA, crossfade.fromB } : routing.to;
    const auto bothRepeat = [] (const std::array<int, 2>& modes) noexcept {
        return modes[0] == ShifterMode::Feedback && modes[1] == ShifterMode::Feedback;
    };
    routing.secondReverb = bothRepeat (routing.from) || bothRepeat (routing.to);
    routing.returnBIntoFirst = routing.uses (1, ShifterMode::Feedback) && (fading || ! routing.secondReverb);
    if (! fading)
        return routing;

    // The new routing's weight rises through the fade along half a cosine,
    // without a corner at either end; a part's weight is the old routing's
    // share where the old one uses it plus the new one's.
    float* r = fadeRamp.data();
    for (unsigned long i = 0; i < n; ++i)
        r[i] = fadeShape (crossfade.position + i + 1, crossfade.length);
    const auto weigh = [n, r] (std::vector<float>& weight, bool was, bool is) noexcept {
        float* w = weight.data();
        for (unsigned long i = 0; i < n; ++i)
            w[i] = (was ? 1.0f - r[i] : 0.0f) + (is ? r[i] : 0.0f);
        return w;
    };
    routing.both = weigh (bothWeight, bothRepeat (routing.from), bothRepeat (routing.to));
    for (std::size_t v = 0; v < 2; ++v)
        for (int place = 0; place < ShifterMode::Count; ++place)
            if (routing.uses (v, place))
                routing.weight[v][static_cast<std::size_t> (place)] =
                    weigh (placeWeights[v][static_cast<std::size_t> (place)], routing.from[v] == place, routing.to[v] == place);
    if (routing.returnBIntoFirst)
    {
        // Voice B's repeats move between the two reverbs with the second one.
        const float* w = routing.weight[1][ShifterMode::Feedback];
        for (unsigned long i = 0; i < n; ++i)
            returnBWeight[i] = w[i] - routing.both[i];
        routing.returnB = returnBWeight.data();
    }
    return routing;
}

void VantrelDSPKernel::shiftBefore (const Routing& routing, unsigned long start, unsigned long n) noexcept
{
    Shifter* voices[2] = { shifterA.get(), shifterB.get() };
    const unsigned long amounts[2] = { P::PitchShifterAmountA, P::PitchShifterAmountB };
    const bool shifts[2] = { routing.uses (0, ShifterMode::Before), routing.uses (1, ShifterMode::Before) };

    // Every voice's input is the same: stored once per channel for the
    // shifters, read where it lies for the rest.
    std::array<const float*, kMaxChannels> work {};
    for (int c = 0; c < preparedChannels; ++c)
    {
        const auto ch = static_cast<std::size_t> (c);
        work[ch] = workBuffers[ch].data() + start;
        preShiftInputs[ch].writeFinite (work[ch], n);
    }
    for (std::size_t v = 0; v < 2; ++v)
    {
        Shifter& voice = *voices[v];
        const float* amount = parameterBuffer (amounts[v]) + start;
        Memory::copy (amount, voice.amount, n);
        if (routing.uses (v, ShifterMode::Feedback))
            SP::mul_s (amount, held.returnScale[v], returnGains[v].data(), n);
        if (shifts[v])
            for (int c = 0; c < preparedChannels; ++c)
                Memory::copy (work[static_cast<std::size_t> (c)], voice.voice[c], n);
        else
            voice.restShifters (false, work.data(), preparedChannels, n);
    }
    for (std::size_t v = 0; v < 2; ++v)
        if (shifts[v])
            shiftAndMix (*voices[v], work, preparedChannels, n, gridPosition, false);

    // A voice that does not shift here passes the input on.
    std::array<std::array<const float*, kMaxChannels>, 2> heard { work, work };
    for (std::size_t v = 0; v < 2; ++v)
    {
        if (! shifts[v])
            continue;
        const float* w = routing.weight[v][ShifterMode::Before];
        for (int c = 0; c < preparedChannels; ++c)
        {
            const auto ch = static_cast<std::size_t> (c);
            float* y = voices[v]->voice[c];
            if (w != nullptr)
                fadeInto (work[ch], y, w, y, n);
            heard[v][ch] = y;
        }
    }
    for (int c = 0; c < preparedChannels; ++c)
    {
        const auto ch = static_cast<std::size_t> (c);
        average (heard[0][ch], heard[1][ch], reverbInputs[ch], n);
    }
}

void VantrelDSPKernel::returnRepeats (const Routing& routing, unsigned long n) noexcept
{
    // The returns are read one grid chunk after the feedback delays made
    // them: voice A's always into the first reverb, voice B's into the
    // second one where both repeat, else into the first.
    float* returned = feedbackScratch.data();
    for (int c = 0; c < preparedChannels; ++c)
    {
        const auto ch = static_cast<std::size_t> (c);
        float* in = reverbInputs[ch];
        float* inB = reverbInputsB[ch];
        if (routing.uses (1, ShifterMode::Feedback))
        {
            feedbackReturns[1][ch].read (returned, n);
            if (routing.secondReverb)
                SP::mul_add (returned, returnGains[1].data(), in, inB, n);
            if (routing.returnBIntoFirst)
                addReturn (in, returned, returnGains[1].data(), routing.returnB, n);
        }
        else if (routing.secondReverb)
        {
            Memory::copy (in, inB, n);
        }
        // A reverb that starts or stops hears its input fade in or out:
        // what it plays then fades too, wherever it comes out later.
        if (routing.secondReverb && routing.both != nullptr)
            SP::mul (inB, routing.both, inB, n);
        if (routing.uses (0, ShifterMode::Feedback))
        {
            feedbackReturns[0][ch].read (returned, n);
            addReturn (in, returned, returnGains[0].data(), routing.weight[0][ShifterMode::Feedback], n);
        }
    }
}

void VantrelDSPKernel::shiftAfter (const Routing& routing, unsigned long start, unsigned long n) noexcept
{
    Shifter* voices[2] = { shifterA.get(), shifterB.get() };

    // The wet signal is the first reverb's output, or (a + b) 0.75 of both;
    // each repeating voice takes its own reverb's.
    std::array<const float*, kMaxChannels> wet {};
    std::array<std::array<const float*, kMaxChannels>, 2> received {};
    for (int c = 0; c < preparedChannels; ++c)
    {
        const auto ch = static_cast<std::size_t> (c);
        float* ra = reverbInputs[ch];
        postShiftInputs[ch].writeFinite (ra, n);
        wet[ch] = ra;
        received[0][ch] = ra;
        received[1][ch] = ra;
        if (! routing.secondReverb)
            continue;
        const float* rb = reverbInputsB[ch];
        if (routing.both == nullptr)
        {
            takeBothReverbs (ra, rb, voices[0]->voice[ch], voices[1]->voice[ch], n);
            received[0][ch] = voices[0]->voice[ch];
            received[1][ch] = voices[1]->voice[ch];
            continue;
        }
        // The second reverb fading in or out: the wet signal and voice B's
        // input move between the first reverb alone and both.
        float* mixed = fadeWet[ch].data();
        float* inB = fadeInputB[ch].data();
        for (unsigned long i = 0; i < n; ++i)
            mixed[i] = (ra[i] + rb[i]) * 0.75f;
        fadeInto (ra, mixed, routing.both, mixed, n);
        fadeInto (ra, rb, routing.both, inB, n);
        wet[ch] = mixed;
        received[1][ch] = inB;
    }

    // The parts a voice does not use store what they would receive; the
    // shifters after the reverb shift (and store) the first reverb's output.
    const bool shifts[2] = { routing.uses (0, ShifterMode::After), routing.uses (1, ShifterMode::After) };
    const bool repeats[2] = { routing.uses (0, ShifterMode::Feedback), routing.uses (1, ShifterMode::Feedback) };
    for (std::size_t v = 0; v < 2; ++v)
    {
        if (! repeats[v])
            voices[v]->restDelayShifters (received[v].data(), n);
        if (! shifts[v])
        {
            voices[v]->restShifters (true, received[0].data(), preparedChannels, n);
            continue;
        }
        for (int c = 0; c < preparedChannels; ++c)
        {
            const auto ch = static_cast<std::size_t> (c);
            if (received[0][ch] != voices[v]->voice[c])
                Memory::copy (received[0][ch], voices[v]->voice[c], n);
        }
    }

    for (std::size_t v = 0; v < 2; ++v)
        if (shifts[v])
            shiftAndMix (*voices[v], wet, preparedChannels, n, gridPosition, true);
    std::array<std::array<const float*, kMaxChannels>, 2> heard { wet, wet };
    for (std::size_t v = 0; v < 2; ++v)
    {
        if (! shifts[v])
            continue;
        const float* w = routing.weight[v][ShifterMode::After];
        for (int c = 0; c < preparedChannels; ++c)
        {
            const auto ch = static_cast<std::size_t> (c);
            float* y = voices[v]->voice[c];
            if (w != nullptr)
            {
                fadeInto (wet[ch], y, w, fadeVoices[v][ch].data(), n);
                y = fadeVoices[v][ch].data();
            }
            heard[v][ch] = y;
        }
    }

    // The repeating voices' delays take their reverb's output; what they
    // give only returns to the reverb, in the next grid chunk.
    for (std::size_t v = 0; v < 2; ++v)
    {
        if (! repeats[v])
            continue;
        const float* w = routing.weight[v][ShifterMode::Feedback];
        for (int c = 0; c < preparedChannels; ++c)
        {
            const auto ch = static_cast<std::size_t> (c);
            if (w != nullptr)
                SP::mul (received[v][ch], w, voices[v]->voice[c], n);
            else if (received[v][ch] != voices[v]->voice[c])
                Memory::copy (received[v][ch], voices[v]->voice[c], n);
        }
    }
    for (std::size_t v = 0; v < 2; ++v)
        if (repeats[v])
            voices[v]->processDelayShifters (start, n, gridPosition);
    for (std::size_t v = 0; v < 2; ++v)
        for (int c = 0; c < preparedChannels; ++c)
            feedbackReturns[v][static_cast<std::size_t> (c)].write (repeats[v] ? voices[v]->voice[c] : nullptr, n);

    for (int c = 0; c < preparedChannels; ++c)
    {
        const auto ch = static_cast<std::size_t> (c);
        average (heard[0][ch], heard[1][ch], reverbInputs[ch], n);
    }
}

void VantrelDSPKernel::duckWet (unsigned long start, unsigned long n) noexcept
{
    for (int c = 0; c < preparedChannels; ++c)
    {
        const auto ch = static_cast<std::size_t> (c);
        duck (ch, start, n, reverbInputs[ch]);
    }
}

void VantrelDSPKernel::mix (unsigned long start, unsigned long n) noexcept
{
    // The dry signal is the host's input as the wet path saw it, so that no
    // setting lets a non-finite sample through (a dry gain of 0 does not
    // silence NaN); a fully dry setting returns any ordinary input bit for bit.
    const float* amount = parameterBuffer (P::DryWet) + start;
    for (int c = 0; c < preparedChannels; ++c)
    {
        const auto ch = static_cast<std::size_t> (c);
        if (pieceOutputs[ch] != nullptr)
            dryWet->process (dryInput[ch].data() + start, workBuffers[ch].data() + start, pieceOutputs[ch] + start, n, amount);
    }
}

void VantrelDSPKernel::takeLengths (unsigned long start, unsigned long n) noexcept
{
    static_assert (LengthFade::kLongest >= kGridLength);
    // Each delay length as its lines read it: gliding, or held while a jump
    // waits for the grid and then faded (LengthFade).
    const bool atGridPoint = gridPosition == 0;
    preDelayMs = preDelayFade.take (parameterBuffer (P::PreDelay) + start, n, atGridPoint);
    roomSize = roomFade.take (parameterBuffer (P::RoomSize) + start, n, atGridPoint);
    Shifter* voices[2] = { shifterA.get(), shifterB.get() };
    const unsigned long windows[2] = { P::DelayTimeA, P::DelayTimeB };
    for (std::size_t v = 0; v < 2; ++v)
    {
        LengthFade& fade = windowFades[v];
        float* window = fade.take (parameterBuffer (windows[v]) + start, n, atGridPoint);
        if (! fade.fading())
        {
            voices[v]->setWindowMs (window);
            continue;
        }
        // A shifter reads its storage through two windowed taps already: a
        // jump of its window ducks them and switches the length at silence.
        float* switched = windowScratch[v].data();
        Memory::copy (window, switched, n);
        fade.duckAndSwitch (switched, windowGains[v].data(), n);
        voices[v]->setWindowMs (switched, windowGains[v].data());
    }
}

void VantrelDSPKernel::delayReverbInputs (unsigned long n) noexcept
{
    if (preDelayFade.fading())
    {
        // A jump: the line read at the old length and at the new one.
        for (int c = 0; c < preparedChannels; ++c)
        {
            const auto ch = static_cast<std::size_t> (c);
            float* older = feedbackScratch.data();
            DelayWrite& w = preDelay->writer (ch);
            w.write (reverbInputs[ch], n);
            preDelay->reader (ch).processMillisecondsAfterWrite (preDelayFade.oldLengths(), older, w, n);
            preDelay->reader (ch).processMillisecondsAfterWrite (preDelayMs, reverbInputs[ch], w, n);
            preDelayFade.mix (older, reverbInputs[ch], n);
        }
        return;
    }
    // The channels meet only in the reverb: both through the pre-delay at once.
    if (preparedChannels == 2)
        preDelay->delayPairInPlace (reverbInputs[0], reverbInputs[1], n, preDelayMs);
    else if (preparedChannels == 1)
        preDelay->process (reverbInputs[0], n, 0, preDelayMs, nullptr, true, false);
}

void VantrelDSPKernel::runReverbs (unsigned long start, unsigned long n, bool both) noexcept
{
    prepareReverb (*reverbA, start, n, nullptr);
    if (! both)
    {
        reverbA->process (reverbInputs.data(), n, gridPosition);
        reverbB->rest (n);
        return;
    }
    // The second reverb's lines follow the same room size and modulation:
    // the two run together, its lines where the first one's are.
    prepareReverb (*reverbB, start, n, reverbA.get());
    if (reverbB->isResting())
        reverbB->core.alignWritePositions (reverbA->core);
    SimpleReverb::processPair (*reverbA, reverbInputs.data(), *reverbB, reverbInputsB.data(), n, gridPosition);
}

void VantrelDSPKernel::prepareReverb (SimpleReverb& reverb, unsigned long start, unsigned long n,
                                      const SimpleReverb* sameRoom) noexcept
{
    if (sameRoom != nullptr)
    {
        reverb.core.copyRoomSize (sameRoom->core, n);
    }
    else
    {
        std::array<float*, kModulationOutputs> mod {};
        for (std::size_t i = 0; i < kModulationOutputs; ++i)
            mod[i] = modulation[i].data() + start;
        reverb.core.setRoomSize (roomSize, mod.data(), n);
        const bool fading = roomFade.fading();
        reverb.core.fadeRoomFrom (roomFade.oldLengths(), mod.data(), fading ? roomFade.oldWeights() : nullptr,
                                  fading ? roomFade.newWeights() : nullptr, n);
    }
    reverb.lengthSource = parameterBuffer (P::ReverbLength) + start;
    reverb.colourSource = reverbColour.data() + start;
}

void VantrelDSPKernel::duck (unsigned long channel, unsigned long start, unsigned long n, const float* wet) noexcept
{
    Ducker& d = *ducker;

    // The key is the dry input (its finite copy), before gain and filter.
    float* gain = d.gainBuffer.data();
    d.follow (channel, dryInput[channel].data() + start, gain, n);

    // The applied factor is the square of the gain: a softer start of the duck.
    squareAndApply (gain, wet, workBuffers[channel].data() + start, n);
    d.peakMeter->process (gain, n, channel, ProcessBlockParameters {});
}

void VantrelDSPKernel::storeMeter() noexcept
{
    if (OutputSlot* slot = outputValue (kMeterParameter))
        (*slot)[0].store (ducker->peakMeter->values[0], std::memory_order_relaxed);
}

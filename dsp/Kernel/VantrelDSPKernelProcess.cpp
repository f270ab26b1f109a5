// The kernel's signal flow, block by block on the audio thread.

#include "Kernel/InputSanitiser.h"

#include "Math/Accelerate/VectorClones.h"
#include "Kernel/ScopedFlushDenormals.h"
#include "Kernel/VantrelDSPKernel.h"

#include "BlockSize.h"
#include "Math/Accelerate/SignalProcessing.h"
#include "Math/Memory.h"
#include "VantrelParameterList.h"

#include <algorithm>
#include <cmath>

namespace
{
using P = VantrelParameterList;
using SP = SignalProcessing;

constexpr int kModeBefore = 0;
constexpr int kModeFeedback = 1;
constexpr int kModeAfter = 2;

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

// out_i = shape_i g for the four oscillator outputs, in one pass.
KARVON_VECTOR_CLONES
void scaleOutputs (const float* __restrict s0, const float* __restrict s1, const float* __restrict s2,
                   const float* __restrict s3, const float* __restrict g, float* __restrict o0, float* __restrict o1,
                   float* __restrict o2, float* __restrict o3, unsigned long n) noexcept
{
    for (unsigned long k = 0; k < n; ++k)
    {
        o0[k] = s0[k] * g[k];
        o1[k] = s1[k] * g[k];
        o2[k] = s2[k] * g[k];
        o3[k] = s3[k] * g[k];
    }
}

// out = (a + b) 0.5, the two voices' average, in one pass. a and b may be
// the same buffer, and either may be out.
KARVON_VECTOR_CLONES
void halfSum (const float* a, const float* b, float* out, unsigned long n) noexcept
{
    for (unsigned long i = 0; i < n; ++i)
        out[i] = (a[i] + b[i]) * 0.5f;
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

// gain = gain^2, then out = wet gain, in one pass.
KARVON_VECTOR_CLONES
void squareAndApply (float* __restrict gain, const float* __restrict wet, float* __restrict out, unsigned long n) noexcept
{
    for (unsigned long i = 0; i < n; ++i)
    {
        gain[i] = gain[i] * gain[i];
        out[i] = wet[i] * gain[i];
    }
}

// Both voices in feedback mode: each voice takes its own reverb's output
// (a into voiceA, b into voiceB), and a becomes the wet signal, (a + b)
// 0.75, in one pass.
KARVON_VECTOR_CLONES
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
void mixShifted (Shifter& voice, const std::array<const float*, 2>& dry, int channels, unsigned long n) noexcept
{
    for (int c = 0; c < channels; ++c)
    {
        float* x = voice.voice[c];
        voice.dryWet.processScaledWet (dry[static_cast<std::size_t> (c)], x, voice.gain, x, n, voice.amount);
    }
}

void shiftAndMix (Shifter& voice, const std::array<const float*, 2>& dry, int channels, unsigned long n,
                  unsigned long gridPosition, bool after = false) noexcept
{
    voice.shiftChannels (channels, n, after, gridPosition);
    mixShifted (voice, dry, channels, n);
}

// shiftAndMix of each voice that shifts at this place (before or after the
// reverb); when both do, their shifters in one pass (the voices share nothing
// until they are mixed).
void shiftAndMixVoices (Shifter& a, bool aShifts, Shifter& b, bool bShifts, const std::array<const float*, 2>& dry,
                        int channels, unsigned long n, unsigned long gridPosition, bool after) noexcept
{
    if (aShifts && bShifts)
    {
        Shifter::shiftChannelsTogether (a, b, channels, n, after, gridPosition);
        mixShifted (a, dry, channels, n);
        mixShifted (b, dry, channels, n);
        return;
    }
    if (aShifts)
        shiftAndMix (a, dry, channels, n, gridPosition, after);
    if (bShifts)
        shiftAndMix (b, dry, channels, n, gridPosition, after);
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

    // The global mix: the dry signal is the host's input as the wet path saw
    // it, so that no setting lets a non-finite sample through (a dry gain of
    // 0 does not silence NaN); a fully dry setting returns any ordinary input
    // bit for bit.
    const float* mix = parameterBuffer (P::DryWet);
    for (int c = 0; c < preparedChannels; ++c)
    {
        const auto ch = static_cast<std::size_t> (c);
        if (out[ch] != nullptr)
            dryWet->process (dryInput[ch].data(), workBuffers[ch].data(), out[ch], frames, mix);
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
    held.bothFeedback = modeA == kModeFeedback && modeB == kModeFeedback;
}

void VantrelDSPKernel::beginChunk (unsigned long start) noexcept
{
    // The filter type, like every switch, changes on the grid (clearing the
    // filter), whatever the host block it was asked for in.
    applyFilterType();

    takeModes();
    const int modeA = held.modeA;
    const int modeB = held.modeB;

    // Modes 0 and 2 hand the percentage to the voice's crossfade; mode 1 uses
    // it as the level of the feedback return.
    held.returnScaleA = modeA == kModeFeedback ? feedbackReturnScale (*shifterA, returnScaleA) : 1.0f;
    held.returnScaleB = modeB == kModeFeedback ? feedbackReturnScale (*shifterB, returnScaleB) : 1.0f;
    if (crossfade.running())
    {
        feedbackScaleA = feedbackReturnScale (*shifterA, returnScaleA);
        feedbackScaleB = feedbackReturnScale (*shifterB, returnScaleB);
    }

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

    // The ducker's ramps from the level of the last 256 frames of its key; an
    // attack within the chunk starts where it falls (Ducker::follow).
    const float thresholdDb = parameterBuffer (P::DuckingThreshold)[start];
    if (! duckerThreshold.holds (thresholdDb))
        duckerThreshold.store (thresholdDb, std::exp (static_cast<double> (thresholdDb) * kDecibelsToExponent));
    ducker->decide (Ducker::Settings { duckerThreshold.precise, duckerRatio[0], parameterBuffer (P::DuckingAttack)[start],
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
    const int modeA = held.modeA;
    const int modeB = held.modeB;
    const bool bothFeedback = held.bothFeedback;

    filterInput (start, n);
    modulate (start, n);

    shifterA->setWindowMs (parameterBuffer (P::DelayTimeA) + start);
    shifterB->setWindowMs (parameterBuffer (P::DelayTimeB) + start);
    if (crossfade.running())
    {
        processCrossfade (start, n);
        crossfade.position += n;
        return;
    }
    SP::mul_s (parameterBuffer (P::PitchShifterAmountA) + start, held.returnScaleA, shifterA->amount, n);
    SP::mul_s (parameterBuffer (P::PitchShifterAmountB) + start, held.returnScaleB, shifterB->amount, n);

    preReverbStage (start, n, modeA, modeB, bothFeedback);
    runReverbs (start, n, bothFeedback);
    postReverbStage (start, n, modeA, modeB, bothFeedback);
}

void VantrelDSPKernel::processCrossfade (unsigned long start, unsigned long n) noexcept
{
    const Crossfade& f = crossfade;
    Shifter* voices[2] = { shifterA.get(), shifterB.get() };
    const int from[2] = { f.fromA, f.fromB };
    const int to[2] = { f.toA, f.toB };
    const float scales[2] = { feedbackScaleA, feedbackScaleB };
    const unsigned long amounts[2] = { P::PitchShifterAmountA, P::PitchShifterAmountB };
    const bool bothFrom = f.fromA == kModeFeedback && f.fromB == kModeFeedback;
    const bool bothTo = f.toA == kModeFeedback && f.toB == kModeFeedback;
    const bool secondReverb = bothFrom || bothTo;

    // The new routing's weight rises through the fade along half a cosine,
    // without a corner at either end; a part's weight is the old routing's
    // share where the old one uses it plus the new one's.
    float* r = fadeRamp.data();
    for (unsigned long i = 0; i < n; ++i)
        r[i] = fadeShape (f.position + i + 1, f.length);
    const auto weigh = [n, r] (float* w, bool was, bool is) noexcept {
        for (unsigned long i = 0; i < n; ++i)
            w[i] = (was ? 1.0f - r[i] : 0.0f) + (is ? r[i] : 0.0f);
    };
    float* both = fadeWeights[3].data();
    weigh (both, bothFrom, bothTo);
    const auto uses = [&] (std::size_t v, int mode) noexcept { return from[v] == mode || to[v] == mode; };

    std::array<const float*, kMaxChannels> work {};
    for (int c = 0; c < preparedChannels; ++c)
    {
        const auto ch = static_cast<std::size_t> (c);
        work[ch] = workBuffers[ch].data() + start;
    }

    // Before the reverb: a voice that shifts there in either routing is
    // heard by its weight, the input passing by for the rest.
    std::array<std::array<const float*, kMaxChannels>, 2> pre {};
    for (std::size_t v = 0; v < 2; ++v)
    {
        Shifter& voice = *voices[v];
        Memory::copy (parameterBuffer (amounts[v]) + start, voice.amount, n);
        pre[v] = work;
        if (! uses (v, kModeBefore))
        {
            voice.restShifters (false, work.data(), preparedChannels, n);
            continue;
        }
        for (int c = 0; c < preparedChannels; ++c)
            Memory::copy (work[static_cast<std::size_t> (c)], voice.voice[c], n);
        shiftAndMix (voice, work, preparedChannels, n, gridPosition);
        float* w = fadeWeights[0].data();
        weigh (w, from[v] == kModeBefore, to[v] == kModeBefore);
        for (int c = 0; c < preparedChannels; ++c)
        {
            const auto ch = static_cast<std::size_t> (c);
            float* y = voice.voice[c];
            fadeInto (work[ch], y, w, y, n);
            pre[v][ch] = y;
        }
    }

    // The feedback returns: voice A's always into the first reverb, voice
    // B's into the second one where both repeat, else into the first.
    const float* preDelayMs = parameterBuffer (P::PreDelay) + start;
    for (int c = 0; c < preparedChannels; ++c)
    {
        const auto ch = static_cast<std::size_t> (c);
        float* in = reverbInputs[ch];
        halfSum (pre[0][ch], pre[1][ch], in, n);
        float* returned = feedbackScratch.data();
        float* gain = fadeWeights[2].data();
        if (uses (1, kModeFeedback))
        {
            feedbackReturns[1][ch].read (returned, n);
            SP::mul_s (parameterBuffer (amounts[1]) + start, scales[1], gain, n);
            if (secondReverb)
                SP::mul_add (returned, gain, in, reverbInputsB[ch], n);
            float* w = fadeWeights[1].data();
            weigh (w, from[1] == kModeFeedback, to[1] == kModeFeedback);
            for (unsigned long i = 0; i < n; ++i)
                in[i] = in[i] + returned[i] * gain[i] * (w[i] - both[i]);
        }
        else if (secondReverb)
        {
            Memory::copy (in, reverbInputsB[ch], n);
        }
        // A reverb or delay that starts or stops hears its input fade in or
        // out: what it plays then fades too, wherever it comes out later.
        if (secondReverb)
            SP::mul (reverbInputsB[ch], both, reverbInputsB[ch], n);
        if (uses (0, kModeFeedback))
        {
            feedbackReturns[0][ch].read (returned, n);
            SP::mul_s (parameterBuffer (amounts[0]) + start, scales[0], gain, n);
            float* w = fadeWeights[1].data();
            weigh (w, from[0] == kModeFeedback, to[0] == kModeFeedback);
            for (unsigned long i = 0; i < n; ++i)
                in[i] = in[i] + returned[i] * gain[i] * w[i];
        }
        preDelay->process (in, n, ch, preDelayMs, nullptr, true, false);
    }

    runReverbs (start, n, secondReverb);

    // After the reverb: the wet signal and each voice's input move from the
    // first reverb alone to both (or back) by the weight of both repeating.
    std::array<const float*, kMaxChannels> wet {};
    std::array<std::array<const float*, kMaxChannels>, 2> received {};
    for (int c = 0; c < preparedChannels; ++c)
    {
        const auto ch = static_cast<std::size_t> (c);
        const float* ra = reverbInputs[ch];
        wet[ch] = ra;
        received[0][ch] = ra;
        received[1][ch] = ra;
        if (! secondReverb)
            continue;
        const float* rb = reverbInputsB[ch];
        float* mixed = fadeWet[ch].data();
        float* inB = fadeInputB[ch].data();
        for (unsigned long i = 0; i < n; ++i)
            mixed[i] = (ra[i] + rb[i]) * 0.75f;
        fadeInto (ra, mixed, both, mixed, n);
        fadeInto (ra, rb, both, inB, n);
        wet[ch] = mixed;
        received[1][ch] = inB;
    }

    std::array<std::array<const float*, kMaxChannels>, 2> post {};
    for (std::size_t v = 0; v < 2; ++v)
    {
        Shifter& voice = *voices[v];
        post[v] = wet;
        if (uses (v, kModeAfter))
        {
            // The shifters store what they shift: the first reverb's output.
            for (int c = 0; c < preparedChannels; ++c)
                Memory::copy (received[0][static_cast<std::size_t> (c)], voice.voice[c], n);
            shiftAndMix (voice, wet, preparedChannels, n, gridPosition, true);
            float* w = fadeWeights[0].data();
            weigh (w, from[v] == kModeAfter, to[v] == kModeAfter);
            for (int c = 0; c < preparedChannels; ++c)
            {
                const auto ch = static_cast<std::size_t> (c);
                float* out = fadeVoices[v][ch].data();
                fadeInto (wet[ch], voice.voice[c], w, out, n);
                post[v][ch] = out;
            }
        }
        else
        {
            voice.restShifters (true, received[0].data(), preparedChannels, n);
        }

        if (uses (v, kModeFeedback))
        {
            float* w = fadeWeights[0].data();
            weigh (w, from[v] == kModeFeedback, to[v] == kModeFeedback);
            for (int c = 0; c < preparedChannels; ++c)
                SP::mul (received[v][static_cast<std::size_t> (c)], w, voice.voice[c], n);
            voice.processDelayShifters (start, n, gridPosition);
            for (int c = 0; c < preparedChannels; ++c)
                feedbackReturns[v][static_cast<std::size_t> (c)].write (voice.voice[c], n);
        }
        else
        {
            voice.restDelayShifters (received[v].data(), n);
            for (int c = 0; c < preparedChannels; ++c)
                feedbackReturns[v][static_cast<std::size_t> (c)].write (nullptr, n);
        }
    }

    for (int c = 0; c < preparedChannels; ++c)
    {
        const auto ch = static_cast<std::size_t> (c);
        float* out = reverbInputs[ch];
        halfSum (post[0][ch], post[1][ch], out, n);
        duck (ch, start, n, out);
    }
}

void VantrelDSPKernel::preReverbStage (unsigned long start, unsigned long n, int modeA, int modeB, bool bothFeedback) noexcept
{
    Shifter& a = *shifterA;
    Shifter& b = *shifterB;
    const float* preDelayMs = parameterBuffer (P::PreDelay) + start;

    // Voices shifting before the reverb: every channel's copy of the input,
    // then each voice on all channels (the channels do not meet until the
    // reverb, so this is the order of one channel after the other). A voice
    // that does not shift here passes the input on as it is: it is read
    // where it lies instead of copied.
    std::array<const float*, kMaxChannels> work {};
    for (int c = 0; c < preparedChannels; ++c)
    {
        const auto ch = static_cast<std::size_t> (c);
        work[ch] = workBuffers[ch].data() + start;
        if (modeA == kModeBefore)
            Memory::copy (work[ch], a.voice[ch], n);
        if (modeB == kModeBefore)
            Memory::copy (work[ch], b.voice[ch], n);
    }
    if (modeA != kModeBefore)
        a.restShifters (false, work.data(), preparedChannels, n);
    if (modeB != kModeBefore)
        b.restShifters (false, work.data(), preparedChannels, n);
    shiftAndMixVoices (a, modeA == kModeBefore, b, modeB == kModeBefore, work, preparedChannels, n, gridPosition, false);

    for (int c = 0; c < preparedChannels; ++c)
    {
        const auto ch = static_cast<std::size_t> (c);
        float* reverbIn = reverbInputs[ch];

        halfSum (modeA == kModeBefore ? a.voice[ch] : work[ch], modeB == kModeBefore ? b.voice[ch] : work[ch], reverbIn, n);

        // Feedback returns, one sub-block after the feedback delays produced them.
        float* returned = feedbackScratch.data();
        if (bothFeedback)
        {
            feedbackReturns[1][ch].read (returned, n);
            SP::mul_add (returned, b.amount, reverbIn, reverbInputsB[ch], n);
            feedbackReturns[0][ch].read (returned, n);
            SP::mul_add (returned, a.amount, reverbIn, reverbIn, n);
        }
        else
        {
            if (modeA == kModeFeedback)
            {
                feedbackReturns[0][ch].read (returned, n);
                SP::mul_add (returned, a.amount, reverbIn, reverbIn, n);
            }
            if (modeB == kModeFeedback)
            {
                feedbackReturns[1][ch].read (returned, n);
                SP::mul_add (returned, b.amount, reverbIn, reverbIn, n);
            }
        }
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
        reverb.core.setRoomSize (parameterBuffer (P::RoomSize) + start, mod.data(), n);
    }
    reverb.lengthSource = parameterBuffer (P::ReverbLength) + start;
    reverb.colourSource = reverbColour.data() + start;
}

void VantrelDSPKernel::postReverbStage (unsigned long start, unsigned long n, int modeA, int modeB, bool bothFeedback) noexcept
{
    Shifter& a = *shifterA;
    Shifter& b = *shifterB;

    // Each voice's buffer receives the reverb output only when the voice
    // works on it (shifts it, or feeds it to its feedback delay); a voice
    // that passes the reverb output on is read from the reverb's buffer.
    const bool aWorks = modeA != kModeBefore;
    const bool bWorks = modeB != kModeBefore;
    std::array<const float*, kMaxChannels> reverbOuts {};
    for (int c = 0; c < preparedChannels; ++c)
        reverbOuts[static_cast<std::size_t> (c)] = reverbInputs[static_cast<std::size_t> (c)];

    // The parts a voice does not use store what they would receive: the
    // first reverb's output, before both reverbs are mixed into it.
    for (std::size_t v = 0; v < 2; ++v)
    {
        Shifter& voice = v == 0 ? a : b;
        const int mode = v == 0 ? modeA : modeB;
        if (mode != kModeFeedback)
            voice.restDelayShifters (reverbOuts.data(), n);
        if (mode != kModeAfter)
            voice.restShifters (true, reverbOuts.data(), preparedChannels, n);
    }

    for (int c = 0; c < preparedChannels; ++c)
    {
        const auto ch = static_cast<std::size_t> (c);
        float* reverbOut = reverbInputs[ch];

        if (bothFeedback)
        {
            // Each feedback delay takes its own reverb; the wet signal is both.
            takeBothReverbs (reverbOut, reverbInputsB[ch], a.voice[ch], b.voice[ch], n);
            continue;
        }
        if (aWorks)
            Memory::copy (reverbOut, a.voice[ch], n);
        if (bWorks)
            Memory::copy (reverbOut, b.voice[ch], n);
    }

    // Each voice on every channel; two voices at the same place side by side
    // (the channels do not meet until the ducker, the voices not until the
    // mix below).
    shiftAndMixVoices (a, modeA == kModeAfter, b, modeB == kModeAfter, reverbOuts, preparedChannels, n, gridPosition, true);
    if (bothFeedback)
    {
        Shifter::processDelayShiftersTogether (a, b, start, n, gridPosition);
    }
    else
    {
        if (modeA == kModeFeedback)
            a.processDelayShifters (start, n, gridPosition);
        if (modeB == kModeFeedback)
            b.processDelayShifters (start, n, gridPosition);
    }

    // A voice out of feedback mode returns silence.
    for (std::size_t v = 0; v < 2; ++v)
    {
        const Shifter& voice = v == 0 ? a : b;
        const bool returns = (v == 0 ? modeA : modeB) == kModeFeedback;
        for (int c = 0; c < preparedChannels; ++c)
        {
            const auto ch = static_cast<std::size_t> (c);
            feedbackReturns[v][ch].write (returns ? voice.voice[ch] : nullptr, n);
        }
    }

    // The delay's output only returns to the reverb: a voice in feedback
    // mode passes the reverb output on, as does one that shifted before it.
    for (int c = 0; c < preparedChannels; ++c)
    {
        const auto ch = static_cast<std::size_t> (c);
        float* reverbOut = reverbInputs[ch];
        halfSum (modeA == kModeAfter ? a.voice[ch] : reverbOut, modeB == kModeAfter ? b.voice[ch] : reverbOut, reverbOut, n);

        duck (ch, start, n, reverbOut);
    }
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

#pragma once

#include "Delay/DelayLine.h"
#include "Dynamics/DryWet.h"
#include "Dynamics/Ducker.h"
#include "FilterDSPKernel.h"
#include "Kernel/FeedbackReturn.h"
#include "Delay/LengthFade.h"
#include "Modulation/Lfo.h"
#include "Pitch/Shifter.h"
#include "Pitch/ShifterMode.h"
#include "ProcessBlock/Filters/BiquadFilter.h"
#include "ProcessBlock/Mix/Gain.h"
#include "Reverb/SimpleReverb.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <memory>
#include <vector>

// The effect's real-time engine: input gain and filter, two pitch voices placed
// before, around or after a modulated reverb, ducking of the wet signal keyed
// by the dry input, and the final dry/wet mix.
//
// Driving it: construct; setParameter from any thread; init (channels, rate)
// then setup() before the first process and again on every change of rate or
// layout; setBuffers then process (frames, 0, 0) for every block on the audio
// thread. process never allocates, locks or waits.
class VantrelDSPKernel : public FilterDSPKernel
{
public:
    // The buses are mono or stereo; every per-channel array has room for two.
    static constexpr int kMaxChannels = 2;
    static constexpr int kModulationOutputs = 4;
    // The output-only parameter that carries the ducker's meter reading.
    static constexpr int kMeterParameter = 24;
    static constexpr std::size_t kParameterCount = 25;

    VantrelDSPKernel();
    ~VantrelDSPKernel() override;

    // Re-initialises every processing block for the kernel's channel count and
    // sample rate. Not while process runs.
    void setup() override;
    // Renders one host block from the first input bus into the first output
    // bus (which may share memory with it). Blocks longer than the scratch
    // buffers are rendered in consecutive pieces.
    void process (unsigned long frames, unsigned long bufferOffset, long count) noexcept override;
    // The switches: filter type, voice modes, pitches and fine tunings. Any
    // thread; a change is heard from the next sub-block on.
    void updateParameter (unsigned long index, float value) override;
    // The reverb's length, the pre-delay and the voices' settings, as last
    // requested (see TailLength). Any thread.
    double tailSeconds() const noexcept override;

    // A value computed from one float setting, kept until the setting
    // changes (bit for bit: a NaN setting is never held).
    struct ScalarCache
    {
        float setting = 0.0f;
        bool valid = false;
        float value = 0.0f;
        double precise = 0.0;

        bool holds (float s) const noexcept { return valid && s == setting && std::signbit (s) == std::signbit (setting); }
        void store (float s, float v) noexcept { setting = s, value = v, valid = true; }
        void store (float s, double v) noexcept { setting = s, precise = v, valid = true; }
    };

    // Processing blocks, owned.
    std::unique_ptr<Gain> inputGain;
    std::unique_ptr<BiquadFilter> inputFilter;
    std::unique_ptr<DelayLine> preDelay;
    std::unique_ptr<Shifter> shifterA;
    std::unique_ptr<Shifter> shifterB;
    std::unique_ptr<SimpleReverb> reverbA; // always runs
    std::unique_ptr<SimpleReverb> reverbB; // runs only while both voices are in feedback mode
    std::unique_ptr<Lfo> lfo;
    std::unique_ptr<Ducker> ducker;
    std::unique_ptr<KarvonDSP::DryWet> dryWet;

    // The stream grid: the kernel decides everything it decides once per
    // piece (switch values, the voices' and reverbs' settings, filter
    // coefficients, the oscillator's rate, the ducker's gain ramp) at every
    // multiple of this many frames since setup, from the parameter values
    // there, and holds it to the next one, however the host cuts its blocks.
    static constexpr unsigned long kGridLength = FeedbackReturn::kLatency;

    // The fastest a delay length glides, in ms of length per ms of time: a
    // glide reads its line this much faster or slower than real time (0.5:
    // a fifth up, an octave down). A quicker change jumps and fades instead
    // (a preset, a program change, a click on a far knob position), over
    // 20 ms in whole chunks. A window's glide moves its taps by less
    // than the change and its fade ducks the voice: it takes only jumps far
    // beyond a hand's turn of the knob.
    static constexpr double kJumpSpeed = 0.5;
    static constexpr double kWindowJumpSpeed = 2.0;
    // At least `seconds` at the rate, in whole grid chunks.
    static unsigned long wholeChunks (double rate, double seconds) noexcept
    {
        return kGridLength * std::max (1ul, static_cast<unsigned long> (std::ceil (rate * seconds / static_cast<double> (kGridLength))));
    }

    // Scratch, kMaxFramesPerBlock floats each.
    std::array<std::vector<float>, kMaxChannels> workBuffers; // gained and filtered input, later the ducked wet signal
    std::array<float*, kMaxChannels> reverbInputs {};         // input and output of reverbA, per sub-block
    std::array<float*, kMaxChannels> reverbInputsB {};        // input and output of reverbB, per sub-block
    std::vector<float> filterFrequency;                       // the input filter's cutoff in Hz
    std::vector<float> duckerRatio;                           // 10 everywhere
    std::array<std::vector<float>, kModulationOutputs> modulation;
    std::array<std::vector<float>, kModulationOutputs> lfoPhaseOffsets;
    // Each repeating voice's return level: its amount times its return scale.
    std::array<std::vector<float>, 2> returnGains;

protected:
    // Runs inside init, where the channel count is set: keeps it to what the
    // per-channel arrays hold.
    void prepareBuffers() override;

private:
    void applyFilterType() noexcept;
    void renderPiece (unsigned long frames, const std::array<const float*, kMaxChannels>& in,
                      const std::array<float*, kMaxChannels>& out) noexcept;
    void prepareBlock (unsigned long frames, const std::array<const float*, kMaxChannels>& in) noexcept;
    // At a grid point: the decisions held through the chunk that starts at
    // frame `start` of the block.
    void beginChunk (unsigned long start) noexcept;
    // The voices' modes for the chunk; a change starts a crossfade.
    void takeModes() noexcept;
    // Where the voices sit for one sub-block, and how loud each part is: a
    // part is heard whole between mode switches and along a ramp while a
    // switch fades from the old routing to the new one.
    struct Routing
    {
        // Each voice's modes in the old and the new routing (the same
        // between switches).
        std::array<int, 2> from {}, to {};
        // Both voices repeat in one of the routings: the second reverb runs.
        bool secondReverb = false;
        // Voice B's repeats go into the first reverb (not only the second).
        bool returnBIntoFirst = false;
        // The weight of each voice at each place (null: 1 throughout), of
        // the second reverb, and of voice B's return into the first reverb.
        std::array<std::array<const float*, ShifterMode::Count>, 2> weight {};
        const float* both = nullptr;
        const float* returnB = nullptr;

        bool uses (std::size_t voice, int place) const noexcept { return from[voice] == place || to[voice] == place; }
    };

    // The sub-block's signal flow, in its order.
    void processSubBlock (unsigned long start, unsigned long n) noexcept;
    Routing planRouting (unsigned long n) noexcept;
    // The delay lengths of the sub-block (pre-delay, room size, the voices'
    // windows), with their jumps' fades.
    void takeLengths (unsigned long start, unsigned long n) noexcept;
    void filterInput (unsigned long start, unsigned long n) noexcept;
    void modulate (unsigned long start, unsigned long n) noexcept;
    // The voices that shift the input, then the reverb's input: their average.
    void shiftBefore (const Routing& routing, unsigned long start, unsigned long n) noexcept;
    // The repeating voices' returns into the reverbs' inputs.
    void returnRepeats (const Routing& routing, unsigned long n) noexcept;
    // The pre-delay, in place on every channel's reverb input.
    void delayReverbInputs (unsigned long n) noexcept;
    // The voices that shift the reverb's output, the repeating voices'
    // delays, then the wet signal: the voices' average.
    void shiftAfter (const Routing& routing, unsigned long start, unsigned long n) noexcept;
    void duckWet (unsigned long start, unsigned long n) noexcept;
    void mix (unsigned long start, unsigned long n) noexcept;
    // Sets the reverb's line times, decay time and colour for the sub-block.
    // With `sameRoom`, the line times are that reverb's (set with the same
    // room size and modulation for this sub-block).
    void prepareReverb (SimpleReverb& reverb, unsigned long start, unsigned long n, const SimpleReverb* sameRoom) noexcept;
    // The first reverb on reverbInputs, and the second one beside it on
    // reverbInputsB (`both`) or at rest.
    void runReverbs (unsigned long start, unsigned long n, bool both) noexcept;
    void duck (unsigned long channel, unsigned long start, unsigned long n, const float* wet) noexcept;
    void storeMeter() noexcept;
    float* parameterBuffer (unsigned long index) noexcept;
    void collectParameterBuffers() noexcept;

    std::array<std::vector<float>, kMaxChannels> reverbInputStorage;
    std::array<std::vector<float>, kMaxChannels> reverbInputStorageB;
    // The host input with non-finite samples replaced by silence: what the wet
    // path, the ducker's key and the dry side of the mix read.
    std::array<std::vector<float>, kMaxChannels> dryInput;
    // ReverbColor limited below the Nyquist frequency. Kept apart from the
    // parameter's own buffer, which a constant parameter does not refill.
    std::vector<float> reverbColour;
    // Each voice's feedback return per channel (voice A first), and the
    // sub-block it is read into.
    std::array<std::array<FeedbackReturn, kMaxChannels>, 2> feedbackReturns;
    // The voices' shifters before the reverb hear the same input in every
    // routing, and so do those after it (the first reverb's output): each
    // input is stored once per channel, and the shifters read it while
    // their own storage would hold the same.
    std::array<DelayWrite, kMaxChannels> preShiftInputs, postShiftInputs;
    std::vector<float> feedbackScratch;

    // The input filter's type as last requested from any thread; the audio
    // thread applies it, because a type change also clears the filter.
    std::atomic<int> requestedFilterType { LowShelf };
    // setup() has run with a sample rate the blocks can work at, for this
    // many channels.
    bool prepared = false;
    int preparedChannels = 0;
    // The feedback voices' return scales and the ducker's threshold.
    ScalarCache returnScaleA, returnScaleB, duckerThreshold;

    // Frames of the current grid chunk already rendered.
    unsigned long gridPosition = 0;
    // What the current chunk holds.
    struct ChunkSettings
    {
        int modeA = 0, modeB = 0;
        // The share of the amount a repeating voice returns to the reverb.
        std::array<float, 2> returnScale {};
        float resonance = 0.0f;  // the input filter's, dB
        float colour = 0.0f;     // the reverbs' damping cutoff, Hz
    } held;
    // The input filter reads the chunk's cutoff and resonance from there
    // (set up once: built anew for every call, its copy into the filter
    // would wait on the stores that just built it).
    BiquadFilterParameters inputFilterSettings { 0.0f, nullptr, 0.0f, &held.resonance, 0.0f, nullptr };
    // A change of the voices' modes fades from the old routing to the new
    // over whole chunks (a few ms); the modes are read again once it ends.
    struct Crossfade
    {
        int fromA = 0, fromB = 0, toA = 0, toB = 0;
        unsigned long position = 0, length = 0; // samples
        bool running() const noexcept { return position < length; }
    } crossfade;
    unsigned long crossfadeLength = kGridLength;
    bool modesTaken = false; // since setup
    // A delay length that jumps fades between two reads of its line over
    // about the parameter ramp's time, in whole chunks.
    LengthFade preDelayFade, roomFade;
    std::array<LengthFade, 2> windowFades;
    float* preDelayMs = nullptr; // the sub-block's lengths
    float* roomSize = nullptr;
    std::array<std::array<float, LengthFade::kLongest>, 2> windowScratch {}, windowGains {};
    // The fade's weights: its ramp, each voice's at each place, the second
    // reverb's and voice B's return into the first reverb.
    std::vector<float> fadeRamp;
    std::array<std::array<std::vector<float>, ShifterMode::Count>, 2> placeWeights;
    std::vector<float> bothWeight, returnBWeight;
    // What the fade mixes: the wet signal, voice B's input, each voice's output.
    std::array<std::vector<float>, kMaxChannels> fadeWet, fadeInputB;
    std::array<std::array<std::vector<float>, kMaxChannels>, 2> fadeVoices;
    // The host's output channels of the piece being rendered.
    std::array<float*, kMaxChannels> pieceOutputs {};
    // The oscillator's outputs over the whole chunk at full amount; each
    // sub-block scales its part by the amount.
    std::array<std::vector<float>, kModulationOutputs> chunkModulation;
    // The oscillator amount's gain for the sub-block.
    std::vector<float> modulationGain;
    // Each parameter's per-sample buffer for the block being rendered.
    std::array<float*, kParameterCount> blockParameters {};
    // blockParameters matches the slots (cleared by setup, which may come
    // with a new parameter list state).
    bool parameterBuffersCollected = false;
};

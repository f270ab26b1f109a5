#!/usr/bin/env bash
# Mutation check of the JUCE-free DSP tests (not run by CI; minutes, not seconds).
#
# Applies each single change of the list below to the DSP sources, one at a
# time, rebuilds the DSP-only tree and runs the JUCE-free suites (dsp_tests,
# framework_tests). A change that no test notices "survives": some gain, mix
# factor, routing, mapping or time constant is not pinned by any test.
#
#   bash scripts/mutate-dsp.sh [BUILD_DIR] [FILTER]
#
# BUILD_DIR defaults to build/mutate; FILTER (a regular expression) runs only
# the mutants whose line matches it. GTEST_FILTER (GoogleTest's own variable)
# narrows the tests, e.g. GTEST_FILTER='-Reference*' to see what the suites
# catch without the reference model. The sources are restored after each
# mutant and on exit. Output: one line per mutant, then the survivors.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"
BUILD="${1:-build/mutate}"
FILTER="${2:-.}"
JOBS=4

export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/ccache}"
export CCACHE_SLOPPINESS=time_macros
export CCACHE_BASEDIR="$ROOT"
export CCACHE_MAXSIZE="${CCACHE_MAXSIZE:-20G}"

# file | text to find (its first occurrence is changed) | replacement. Lines
# starting with # are skipped: mutants shown by hand to change nothing.
MUTANTS=$(cat <<'EOF'
dsp/Kernel/VantrelDSPKernelProcess.cpp | SP::add_mul_s (a, b, 0.5f, out, n); | SP::add_mul_s (a, b, 0.55f, out, n);
dsp/Kernel/VantrelDSPKernelProcess.cpp | constexpr float kWidestInterval = 24.0f; | constexpr float kWidestInterval = 20.0f;
dsp/Kernel/VantrelDSPKernelProcess.cpp | kWidestInterval, 0.05f) / 100.0f | kWidestInterval, 0.1f) / 100.0f
dsp/Kernel/VantrelDSPKernelProcess.cpp | kWidestInterval, 0.05f) / 100.0f | kWidestInterval, 0.05f) / 110.0f
dsp/Kernel/VantrelDSPKernelProcess.cpp | kDecibelsToExponent = 0.11512925464970002 | kDecibelsToExponent = 0.125
dsp/Kernel/VantrelDSPKernelProcess.cpp | SP::mul_s (cutoff, 0.057762265f, cutoff, 1); | SP::mul_s (cutoff, 0.0578f, cutoff, 1);
dsp/Kernel/VantrelDSPKernelProcess.cpp | SP::mul_s (cutoff, 8.1757994f, cutoff, 1); | SP::mul_s (cutoff, 8.3f, cutoff, 1);
dsp/Kernel/VantrelDSPKernelProcess.cpp | SP::clip (cutoff, 20.0f, static_cast<float> (sampleRate / 2.1) | SP::clip (cutoff, 20.0f, static_cast<float> (sampleRate / 2.5)
dsp/Kernel/VantrelDSPKernelProcess.cpp | SP::clip (cutoff, 20.0f, | SP::clip (cutoff, 200.0f,
dsp/Kernel/VantrelDSPKernelProcess.cpp | static_cast<float> (sampleRate / 2.01) | static_cast<float> (sampleRate / 2.5)
dsp/Modulation/Lfo.cpp | const float a = amount[i] * 0.01f; | const float a = amount[i] * 0.011f;
dsp/Modulation/Lfo.cpp | g[i] = a * a; | g[i] = a;
# Equivalent: the target is 1 whenever the level is below the threshold, and
# the threshold is at least -40 dB (0.01), so this floor never decides.
# dsp/Dynamics/Ducker.cpp | std::max ((level - t) / s.ratio + t, 0.001) | std::max ((level - t) / s.ratio + t, 0.01)
dsp/Dynamics/Ducker.cpp | t, 0.001) / std::max (level, 0.001) | t, 0.001) / std::max (level, 0.1)
AudioStuff/Common/Math/Accelerate/VectorArithmetic.cpp | sum = hn::Add (sum, hn::PromoteTo (wide, hn::UpperHalf (half, difference))); | (void) half;
dsp/Dynamics/Ducker.cpp | ch.lo = std::min (current, target); | ch.lo = 0.0f;
dsp/Dynamics/Ducker.h | static constexpr double kWindowMs = 20.0; | static constexpr double kWindowMs = 5.0;
dsp/Dynamics/Ducker.cpp | windowFrames = framesOf (kWindowMs, newSampleRate); | windowFrames = 960;
dsp/Dynamics/Ducker.cpp | ch.untilDecision = decisionFrames; | ch.untilDecision = 256;
dsp/Pitch/PitchShifter.cpp | FourthOrderBlocks::processPair (left.outputBand, right.outputBand, xl, xr, n); | FourthOrderBlocks::processPair (left.outputBand, left.outputBand, xl, xr, n);
AudioStuff/Common/Math/Accelerate/VectorKernels.cpp | y[j] = section (g, j) < Count ? b.in[section (g, j)][k] : 0.0f; | y[j] = section (g, j) < Count ? b.in[section (g, 0)][k] : 0.0f;
AudioStuff/Common/Math/Accelerate/VectorKernels.cpp | s[g].store (d, b.state, section (g, 0), Count); | s[0].store (d, b.state, section (0, 0), Count);
dsp/Pitch/Shifter.cpp |     leaveDelayPair (start, n); | (void) start;
dsp/Delay/DelayLine.cpp | const DelayWrite* storages[2] = { &writes[0], &writes[1] }; | const DelayWrite* storages[2] = { &writes[0], &writes[0] };
dsp/Kernel/VantrelDSPKernelProcess.cpp | wet, preparedChannels, n, gridPosition, true); | wet, preparedChannels, n, gridPosition, false);
dsp/Kernel/VantrelDSPKernelProcess.cpp | shiftAndMix (*voices[v], wet, preparedChannels, n, gridPosition, true); | shiftAndMix (*voices[v], wet, preparedChannels, n, gridPosition, false);
dsp/Kernel/VantrelDSPKernelProcess.cpp | voices[v]->processDelayShifters (start, n, gridPosition); | voices[0]->processDelayShifters (start, n, gridPosition);
dsp/Kernel/VantrelDSPKernelProcess.cpp | held.resonance = parameterBuffer (P::InputFilterResonance)[start]; | held.resonance = parameterBuffer (P::InputGain)[start];
dsp/Dynamics/Ducker.cpp | std::max ((level - t) / s.ratio + t, 0.001) | std::max ((level - t) * s.ratio + t, 0.001)
dsp/Dynamics/Ducker.cpp | distance < 0.0f ? attackCoefficient : releaseCoefficient | distance < 0.0f ? releaseCoefficient : attackCoefficient
dsp/Dynamics/Ducker.cpp | sampleRate * 0.001) | sampleRate * 0.002)
dsp/Kernel/VantrelDSPKernelProcess.cpp | SP::mul (gain, gain, gain, n); | (void) gain;
dsp/Kernel/VantrelDSPKernelProcess.cpp | SP::mul_add (returned, returnGains[1].data(), in, inB, n); | SP::mul_add (returned, returnGains[0].data(), in, inB, n);
dsp/Kernel/VantrelDSPKernelProcess.cpp | a[i] = (a[i] + b[i]) * 0.75f; | a[i] = (a[i] + b[i]) * 0.7f;
dsp/Kernel/VantrelDSPKernelProcess.cpp | voiceB[i] = b[i]; | voiceB[i] = a[i];
dsp/Kernel/VantrelDSPKernelProcess.cpp | preDelayMs = preDelayFade.take (parameterBuffer (P::PreDelay) + start | preDelayMs = preDelayFade.take (parameterBuffer (P::RoomSize) + start
dsp/Kernel/VantrelDSPKernelProcess.cpp | *reverbB, reverbInputsB.data(), n, gridPosition); | *reverbB, reverbInputs.data(), n, gridPosition);
dsp/Kernel/VantrelDSPKernelProcess.cpp | reverbB->rest (n); | (void) 0;
dsp/Kernel/VantrelDSPKernelProcess.cpp | r[i] = fadeShape (crossfade.position + i + 1, crossfade.length); | r[i] = fadeShape (crossfade.position + i, crossfade.length);
dsp/Kernel/VantrelDSPKernelProcess.cpp | crossfade = { held.modeA, held.modeB, modeA, modeB, 0, crossfadeLength }; | crossfade = { held.modeA, held.modeB, modeA, modeB, 0, 0 };
dsp/Kernel/VantrelDSPKernelProcess.cpp | SP::mul (inB, routing.both, inB, n); | (void) inB;
dsp/Kernel/VantrelDSPKernelProcess.cpp | returnBWeight[i] = w[i] - routing.both[i]; | returnBWeight[i] = w[i];
dsp/Kernel/VantrelDSPKernelProcess.cpp | voices[v]->restDelayShifters (received[v].data(), n); | (void) v;
dsp/Kernel/VantrelDSPKernelProcess.cpp | voices[v]->restShifters (true, received[0].data(), preparedChannels, n); | (void) v;
dsp/Pitch/PitchShifter.h | store (x, callFrames); | (void) x;
dsp/Pitch/UpwardBandLimit.cpp | if (! (ratio > 1.0f)) | if (! (ratio > 3.0f))
dsp/Pitch/UpwardBandLimit.cpp | constexpr double kPassbandEdge = 0.8; | constexpr double kPassbandEdge = 1.0;
dsp/Pitch/UpwardBandLimit.cpp | { 2.923117618, 1.012613876, 0.293478507 } | { 2.923117618, 1.012613876, 0.35 }
dsp/Pitch/UpwardBandLimit.cpp | startFrom (newest, older, newest, older, newest, older); | startFrom (0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f);
AudioStuff/Common/ProcessBlock/Filters/FourthOrderBlocks.cpp | r.heldCount = at + take; | r.heldCount = 0;
AudioStuff/Common/ProcessBlock/Filters/FourthOrderBlocks.cpp | matrices[(input ? 32 : 48) + 4 * j + i] = static_cast<float> (z[i]); | matrices[(input ? 32 : 48) + 4 * j + i] = static_cast<float> (z[3 - i]);
AudioStuff/Common/ProcessBlock/Filters/FourthOrderBlocks.cpp | const double u1 = (first[2] * x1 - state[1]) / first[4]; | const double u1 = x1;
AudioStuff/Common/ProcessBlock/Filters/FourthOrderBlocks.cpp | r.in[0] = last[j][0]; | r.in[0] = last[j][1];
AudioStuff/Common/Math/Accelerate/VectorKernels.cpp | V8 z = hn::Combine (d8, hn::LoadU (d4, b.state[1]), hn::LoadU (d4, b.state[0])); | V8 z = hn::Combine (d8, hn::LoadU (d4, b.state[0]), hn::LoadU (d4, b.state[1]));
dsp/Kernel/VantrelDSPKernelProcess.cpp | Memory::copy (received[0][ch], voices[v]->voice[c], n); | (void) ch;
dsp/Delay/DelayWrite.cpp | || silentRun >= size) | || silentRun >= size / 2)
dsp/Delay/DelayWrite.cpp | if (at < kGuard || | if (at < 1 ||
dsp/Pitch/PitchShifter.cpp | const bool sameSettings = leftRatio == rightRatio && | const bool sameSettings =
# Below the tests' resolution: a resting reverb's damping filters hold two
# samples each, and what they would add comes back under the first samples
# of a crossfade, at its weight near 0.
# dsp/Reverb/SimpleReverb.cpp | r.line->clearFilter(); | (void) r;
# Equivalent in sound: lines whose write positions differ are read one by
# one instead of together (the alignment keeps the one-call read).
# dsp/Kernel/VantrelDSPKernelProcess.cpp | reverbB->core.alignWritePositions (reverbA->core); | (void) 0;
dsp/Reverb/Reverb.cpp | out[2 * i + 1] = outB[i]; | out[2 * i + 1] = outB[(i + 1) % kLineCount];
dsp/Reverb/Reverb.cpp | const float* gains[2] = { a.feedbackGain.data(), b.feedbackGain.data() }; | const float* gains[2] = { a.feedbackGain.data(), a.feedbackGain.data() };
dsp/Reverb/Reverb.cpp | = b.convertControls (colourB, dampingB, n); | = b.convertControls (colourA, dampingB, n);
dsp/Reverb/EarlyReflections.cpp | rung (tapB, outLeftB, diffB, n); | rung (tapA, outLeftB, diffB, n);
dsp/Reverb/EarlyReflections.cpp | firstRung (tapB, leftB, outLeftB, diffB, n); | firstRung (tapB, leftA, outLeftB, diffB, n);
dsp/Reverb/SimpleReverb.cpp | b.mixAndStore (buffersB, n); | b.mixAndStore (buffersA, n);
AudioStuff/Common/Math/Accelerate/VectorKernels.cpp | while (end < count && time[end] == time[first]) | while (end < count)
AudioStuff/Common/Math/Accelerate/VectorKernels.cpp | partial = hn::Sub (partial, hn::Mul (a2, y2)); | partial = hn::Sub (partial, hn::Mul (a2, y1));
AudioStuff/Common/Math/Accelerate/VectorKernels.cpp | r[j + 4] = hn::ConcatUpperUpper (d, s[j + 4], s[j]); | r[j + 4] = hn::ConcatLowerLower (d, s[j + 4], s[j]);
dsp/Kernel/VantrelDSPKernelProcess.cpp | reverb.lengthSource = parameterBuffer (P::ReverbLength) + start; | reverb.lengthSource = parameterBuffer (P::DelayTimeA) + start;
dsp/Kernel/VantrelDSPKernelProcess.cpp | const unsigned long amounts[2] = { P::PitchShifterAmountA, P::PitchShifterAmountB }; | const unsigned long amounts[2] = { P::PitchShifterAmountA, P::PitchShifterAmountA };
dsp/Kernel/VantrelDSPKernelProcess.cpp | const unsigned long windows[2] = { P::DelayTimeA, P::DelayTimeB }; | const unsigned long windows[2] = { P::DelayTimeA, P::DelayTimeA };
dsp/Kernel/VantrelDSPKernel.cpp | dryWet->usePower = false; | dryWet->usePower = true;
dsp/Pitch/Shifter.cpp | dryWet.twoSegment = false; | dryWet.twoSegment = true;
AudioStuff/Common/Math/Accelerate/VectorKernels.cpp | return hn::Add (hn::Mul (f, hn::Sub (y1, y0)), y0); | return hn::Add (hn::Mul (f, hn::Sub (y0, y1)), y1);
dsp/Kernel/VantrelDSPKernel.cpp | duckerRatio (scratch (10.0f)) | duckerRatio (scratch (8.0f))
dsp/Kernel/VantrelDSPKernel.cpp | scratch (0.25f * static_cast<float> (i)) | scratch (0.2f * static_cast<float> (i))
dsp/Kernel/VantrelDSPKernel.cpp | == 0.0f ? LowShelf : HighPass | == 0.0f ? HighPass : LowShelf
dsp/Kernel/VantrelDSPKernel.h | static constexpr double kJumpSpeed = 0.5; | static constexpr double kJumpSpeed = 0.2;
dsp/Kernel/VantrelDSPKernel.h | static constexpr double kJumpSpeed = 0.5; | static constexpr double kJumpSpeed = 50.0;
dsp/Delay/LengthFade.cpp | newer[i] = newer[i] * newWeight[i] + older[i] * oldWeight[i]; | newer[i] = newer[i] * newWeight[i];
dsp/Delay/LengthFade.cpp | gain[i] = std::fabs (std::cos (r * kHalfTurn)); | gain[i] = std::fabs (std::cos (r * kQuarterTurn));
dsp/Delay/LengthFade.cpp | std::fill (from.begin(), from.end(), last); | (void) 0;
dsp/Delay/LengthFade.cpp | last = lengths[n - 1]; | last = requested[n - 1];
dsp/Delay/LengthFade.cpp | std::fill (held.begin(), held.begin() + static_cast<long> (n), last); | std::fill (held.begin(), held.begin() + static_cast<long> (n), requested[0]);
dsp/Delay/LengthFade.cpp | oldWeight[i] = std::cos (r * kQuarterTurn); | oldWeight[i] = 1.0f - r;
dsp/Delay/LengthFade.cpp | if (2 * reached < length) | if (reached < length)
dsp/Delay/LengthFade.cpp |             gain[i] = 1.0f; |             gain[i] = 0.0f;
dsp/Kernel/VantrelDSPKernelProcess.cpp | preDelayFade.mix (older, reverbInputs[ch], n); | (void) older;
# Equivalent: the ramper glides only steps of at most the limit per sample
# and jumps the rest by far more, so any factor up to hundreds sorts alike.
# dsp/Delay/LengthFade.cpp | if (! (std::fabs (requested[0] - last) <= limit)) | if (! (std::fabs (requested[0] - last) <= limit * 20.0f))
# Not caught, and nothing heard wrong: a fade that has reached its end
# weighs the new read alone, whether it is ended at once or at the next grid
# point; one started where the jump arrives instead of at the grid point is a
# fade all the same (the grid keeps it with the other switches).
# dsp/Delay/LengthFade.cpp | if (atGridPoint && running && position >= length) | if (running && position >= length)
# dsp/Kernel/VantrelDSPKernelProcess.cpp | const bool atGridPoint = gridPosition == 0; | const bool atGridPoint = true;
# Nearly equivalent: the 20 ms level moves the target up by little within a
# decision, so a release ramp let past it overshoots by little.
# dsp/Dynamics/Ducker.cpp | ch.hi = std::max (current, target); | ch.hi = 1.0f;
dsp/Dynamics/Ducker.cpp | ch.next = ch.next + m == windowFrames ? 0 : ch.next + m; | ch.next = ch.next + m == windowFrames ? 1 : ch.next + m;
dsp/Dynamics/Ducker.h | static constexpr double kDecisionMs = 1.0; | static constexpr double kDecisionMs = 4.0;
dsp/Dynamics/Ducker.cpp | channelGains.assign (n, 0.0f); | channelGains.assign (n, 1.0f);
dsp/Dynamics/Ducker.cpp | ch.start = ch.step = ch.lo = ch.hi = 0.0f; | ch.start = ch.step = ch.lo = ch.hi = 1.0f;
dsp/Dynamics/Ducker.cpp | constexpr float kLargestUnits = 1073741824.0f; | constexpr float kLargestUnits = 4194304.0f;
dsp/Pitch/UpwardBandLimit.cpp | fading = on && ! fading; | fading = false;
dsp/Pitch/UpwardBandLimit.cpp | if (on && ratio == designedRatio) | if (on)
dsp/Pitch/UpwardBandLimit.cpp | constexpr double kRippleCentre = 0.9605058184; | constexpr double kRippleCentre = 0.9;
dsp/Kernel/VantrelDSPKernel.cpp | shifterA->setFine (limitToRange (p, value) / 100.0f); | shifterA->setFine (limitToRange (p, value) / 50.0f);
dsp/Kernel/VantrelDSPKernel.cpp | shifterA->mode.store (static_cast<int> (std::trunc ( | shifterA->mode.store (static_cast<int> (std::round (
dsp/Kernel/VantrelDSPKernel.cpp | shifterB->setPitch (static_cast<int> (std::round ( | shifterB->setPitch (static_cast<int> (std::trunc (
dsp/Kernel/FeedbackReturn.h | kLatency = 256; | kLatency = 200;
dsp/Pitch/Shifter.h | float gain = 1.995f; | float gain = 2.1f;
dsp/Pitch/Shifter.cpp | constexpr float kLargestFeedback = 0.8f; | constexpr float kLargestFeedback = 0.7f;
dsp/Pitch/Shifter.cpp | constexpr float kWidestInterval = 24.0f; | constexpr float kWidestInterval = 20.0f;
dsp/Pitch/Shifter.cpp | kLargestFeedback * std::sqrt (interval / kWidestInterval) | kLargestFeedback * (interval / kWidestInterval)
dsp/Pitch/Shifter.cpp | out[i] = x[i] + y[i] * g; | out[i] = x[i] - y[i] * g;
dsp/Pitch/PitchShifter.cpp | SP::tanh (x, x, n); | (void) x;
dsp/Delay/DelayRead.cpp | constexpr unsigned long kReadOffset = 64; | constexpr unsigned long kReadOffset = 60;
dsp/Pitch/PitchShiftedDelay.cpp | constexpr float kRepeatMs = 100.0f; | constexpr float kRepeatMs = 110.0f;
dsp/Pitch/PitchShifter.cpp | constexpr float kMiddleC = 261.62558f; | constexpr float kMiddleC = 262.5f;
dsp/Pitch/PitchShifter.cpp | constexpr float kFilterResonance = -8.0f; | constexpr float kFilterResonance = -6.0f;
dsp/Pitch/PitchShifter.cpp | std::copy (shared.buffer.begin(), shared.buffer.end(), storage.buffer.begin()); | (void) shared;
dsp/Pitch/PitchShifter.cpp | const unsigned long ahead = &in == &storage ? 0 : sharedAhead() % size; | const unsigned long ahead = 0;
dsp/Pitch/PitchShifter.cpp | bandTouched = bandTouched || inputBand.running(); | bandTouched = false;
dsp/Pitch/PitchShifter.cpp | if (plainRun == size && | if (plainRun >= size / 2 &&
dsp/Pitch/PitchShifter.cpp | constexpr float kHighPassHz = 40.0f; | constexpr float kHighPassHz = 60.0f;
dsp/Pitch/PitchShifter.cpp | constexpr float kLowPassHz = 5000.0f; | constexpr float kLowPassHz = 4000.0f;
dsp/Pitch/PitchShifter.cpp | constexpr float kShortestTapSeconds = 0.001f; | constexpr float kShortestTapSeconds = 0.002f;
AudioStuff/Common/Math/Accelerate/VectorKernels.cpp | const V oneAndHalf = hn::Set (d, 0.5f + 1.0f); | const V oneAndHalf = hn::Set (d, 0.4f + 1.0f);
AudioStuff/Common/Math/Accelerate/VectorKernels.cpp | hn::Mul (hn::Mul (a, w), milli) | hn::Mul (hn::Mul (a, w), hn::Set (d, 0.0011f))
dsp/Modulation/Lfo.cpp | constexpr float kHalfPi = 1.57079632679489661923f; | constexpr float kHalfPi = 1.0f;
dsp/Modulation/Lfo.cpp | constexpr float kHighestRate = 40.0f; | constexpr float kHighestRate = 10.0f;
dsp/Modulation/Lfo.cpp | const bool shifted = output != 0 ? offset >= 0.0f : offset < 0.0f; | const bool shifted = output > 1 ? offset >= 0.0f : offset < 0.0f;
dsp/Reverb/SimpleReverb.cpp | constexpr float kDampingPercent = 70.0f; | constexpr float kDampingPercent = 60.0f;
dsp/Reverb/SimpleReverb.cpp | constexpr float kOutputScale = 0.7f; | constexpr float kOutputScale = 0.75f;
dsp/Reverb/SimpleReverb.cpp | constexpr float kMatrixNorm = 0.5f; | constexpr float kMatrixNorm = 0.45f;
dsp/Reverb/SimpleReverb.cpp | constexpr float kDecay60dB = 0.001f; | constexpr float kDecay60dB = 0.002f;
AudioStuff/Common/Math/Accelerate/VectorArithmetic.cpp | hn::LoadU (d, m.line[0] + i), hn::LoadU (d, m.early[0] + i) | hn::LoadU (d, m.line[0] + i), hn::LoadU (d, m.early[1] + i)
AudioStuff/Common/Math/Accelerate/VectorArithmetic.cpp | hn::LoadU (d, m.line[1] + i), hn::LoadU (d, m.early[1] + i) | hn::LoadU (d, m.line[1] + i), hn::LoadU (d, m.early[0] + i)
AudioStuff/Common/Math/Accelerate/VectorArithmetic.cpp | const auto s3 = hn::Sub (c, e); | const auto s3 = hn::Sub (e, c);
AudioStuff/Common/Math/Accelerate/VectorArithmetic.cpp | hn::Add (hn::Mul (a, gain), hn::Mul (c, gain)) | hn::Add (hn::Mul (a, gain), hn::Mul (e, gain))
AudioStuff/Common/Math/Accelerate/VectorArithmetic.cpp | hn::StoreU (hn::Add (s1, s3), d, m.mix[1] + i); | hn::StoreU (hn::Sub (s1, s3), d, m.mix[1] + i);
AudioStuff/Common/Math/Accelerate/VectorArithmetic.cpp | hn::StoreU (hn::Sub (s0, s2), d, m.mix[2] + i); | hn::StoreU (hn::Add (s0, s2), d, m.mix[2] + i);
dsp/Reverb/SimpleReverb.cpp | core.lines[3].timeMs * 0.001f | core.lines[2].timeMs * 0.001f
dsp/Reverb/Reverb.h | float outputGain = 0.259f; | float outputGain = 0.28f;
dsp/Reverb/Reverb.cpp | amount[i] = damping[i] / 100.0f; | amount[i] = damping[i] / 90.0f;
dsp/Reverb/VantrelReverb.h | { 58.6435f, 69.4325f, 74.5234f, 86.1244f } | { 58.6435f, 69.4325f, 74.5234f, 80.0f }
dsp/Reverb/VantrelReverb.h | { 19.392f, 16.364f, 7.645f, 4.2546f } | { 19.392f, 16.364f, 7.645f, 5.0f }
dsp/Reverb/VantrelReverb.cpp | constexpr float kRoomOffset = 20.0f; | constexpr float kRoomOffset = 22.0f;
dsp/Reverb/VantrelReverb.h | static constexpr float roomDivisor = 32.046154f; | static constexpr float roomDivisor = 30.0f;
dsp/Reverb/VantrelReverb.cpp | constexpr float kLateModulationMs = 1.25f; | constexpr float kLateModulationMs = 1.0f;
dsp/Reverb/VantrelReverb.cpp | constexpr float kEarlyModulationMs = 1.2f; | constexpr float kEarlyModulationMs = 1.0f;
AudioStuff/Common/Math/Accelerate/VectorArithmetic.cpp | hn::StoreU (hn::Sub (x, y), d, difference + i); | hn::StoreU (hn::Add (x, y), d, difference + i);
dsp/Reverb/EarlyReflections.cpp | for (std::size_t i = 0; i < 3; ++i) | for (std::size_t i = 0; i < 2; ++i)
dsp/Delay/DelayLineDamped.cpp | constexpr float kResonanceDb = -3.0f; | constexpr float kResonanceDb = -1.0f;
AudioStuff/Common/Math/Accelerate/VectorKernels.cpp | const V percent = hn::Set (d, 0.01f); | const V percent = hn::Set (d, 0.011f);
AudioStuff/Common/Math/Accelerate/VectorKernels.cpp | g = hn::Add (hn::Mul (m, minusOne), one); | g = hn::Add (hn::Mul (m, minusOne), two);
dsp/Dynamics/DryWet.cpp | limit (m * -2.0f + 2.0f, 0.0f, 1.0f) : m * -1.0f + 1.0f; | limit (m * -2.0f + 2.1f, 0.0f, 1.0f) : m * -1.0f + 1.0f;
AudioStuff/Common/Math/Accelerate/VectorKernels.cpp | w = limit (hn::Mul (m, two), zero, one); | w = limit (hn::Mul (m, one), zero, one);
dsp/Kernel/VantrelDSPKernelProcess.cpp | average (heard[0][ch], heard[1][ch], reverbInputs[ch], n); | average (heard[0][ch], heard[0][ch], reverbInputs[ch], n);
dsp/Kernel/VantrelDSPKernelProcess.cpp | addReturn (in, returned, returnGains[0].data(), routing.weight[0][ShifterMode::Feedback], n); | addReturn (in, returned, returnGains[1].data(), routing.weight[0][ShifterMode::Feedback], n);
dsp/Pitch/ShifterMode.h | constexpr int After = 2; | constexpr int After = 3;
# Equivalent: setup() sets the filter's type from the requested one before
# anything is rendered.
# dsp/Kernel/VantrelDSPKernel.cpp | inputFilter->setType (LowShelf); | inputFilter->setType (HighPass);
dsp/Modulation/Lfo.cpp | return 1000.0f / rate; | return 1100.0f / rate;
# Not reached: the one-sample loop takes only what the four- and eight-lane
# loops leave, and the kernel's calls are 256 samples long.
# dsp/Modulation/Lfo.cpp | p = fractionalPart ((p + phaseOffset[i]) + 1.0f); | p = fractionalPart ((p - phaseOffset[i]) + 1.0f);
AudioStuff/Common/Math/Accelerate/VectorKernels.cpp | p = fractionalPart (hn::Add (hn::Add (p, hn::LoadU (d, phaseOffset + i)), one)); | p = fractionalPart (hn::Add (hn::Sub (p, hn::LoadU (d, phaseOffset + i)), one));
dsp/Modulation/Lfo.cpp | 1.0f / (period * 0.001f) : 0.0f; | 1.0f / (period * 0.0011f) : 0.0f;
dsp/Pitch/PitchShifter.cpp | static_cast<float> (semitones) + 60.0f + fine; | static_cast<float> (semitones) + 61.0f + fine;
dsp/Pitch/PitchShifter.cpp | ((1.0f - ratio) / windowSeconds) | ((ratio - 1.0f) / windowSeconds)
dsp/Pitch/PitchShifter.cpp | const float halfTurn = 2.0f * kPi * 0.5f; | const float halfTurn = 2.0f * kPi * 0.45f;
AudioStuff/Common/Math/Accelerate/VectorArithmetic.cpp | hn::StoreU (hn::Add (x, y), d, sum + i); | hn::StoreU (hn::Sub (x, y), d, sum + i);
AudioStuff/Common/Math/Accelerate/VectorArithmetic.cpp | hn::Mul (hn::Add (hn::Mul (hn::Sub (y, x), w), x), v) | hn::Mul (hn::Add (hn::Mul (hn::Sub (x, y), w), x), v)
dsp/Dynamics/PeakMeter.cpp | reading = 20.0f * std::log10 (std::min (largest, FLT_MAX)) + 100.0f; | reading = 20.0f * std::log10 (std::min (largest, FLT_MAX)) + 90.0f;
dsp/VantrelParameterList.cpp | define (PreDelay, "PreDelay", t.preDelay, 10.0f); | define (PreDelay, "PreDelay", t.preDelay, 20.0f);
AudioStuff/Common/Math/Accelerate/VectorArithmetic.cpp | hn::Add (hn::LoadU (d, t.room + i), | hn::Add (hn::LoadU (d, t.room),
dsp/VantrelParameterList.cpp | reverbColor { 800.0f, 18000.0f, ParameterUnitHertz, FlagLinearRamp, | reverbColor { 800.0f, 18000.0f, ParameterUnitHertz, 0,
AudioStuff/Common/ProcessBlock/Mix/Gain.cpp | const unsigned long computed = holds ? 1 : n; | const unsigned long computed = 1;
AudioStuff/Common/ProcessBlock/Mix/Gain.cpp | constexpr float decibelsToExponent = 0.115129255f; | constexpr float decibelsToExponent = 0.12f;
AudioStuff/Common/Parameters/ParameterList.cpp | if (allResting && seen == requestsSeen && frames == restingFrames) | if (allResting && seen == requestsSeen)
AudioStuff/Common/Parameters/ParameterRamper.cpp | countRequest(); | (void) 0;
AudioStuff/Common/Parameters/ParameterList.cpp | all = all && r.ramper->restsFor (frames); | (void) all;
AudioStuff/Common/DSPKernel.cpp | constexpr double rampSeconds = static_cast<double> (0.02f); | constexpr double rampSeconds = static_cast<double> (0.03f);
AudioStuff/Common/Math/NoteScale.cpp | constexpr float notesPerNeper = 17.31234f; | constexpr float notesPerNeper = 17.0f;
AudioStuff/Common/ProcessBlock/Filters/BiquadCoefficients.cpp | b1 = -2.0f * norm; | b1 = -1.9f * norm;
AudioStuff/Common/ProcessBlock/Filters/BiquadCoefficients.cpp | b0 = (1.0f + W + V * KK) * norm; | b0 = (1.0f + S + V * KK) * norm;
AudioStuff/Common/Math/NoteScale.cpp | constexpr float nepersPerNote = 0.057762265f; | constexpr float nepersPerNote = 0.0578f;
AudioStuff/Common/Math/NoteScale.cpp | constexpr float noteZeroHertz = 8.175799f; | constexpr float noteZeroHertz = 8.3f;
dsp/Reverb/Reverb.cpp | storages[2 * i + 1] = &b.lines[i].line->writer (0); | storages[2 * i + 1] = &a.lines[i].line->writer (0);
dsp/Reverb/Reverb.cpp | times[i] = lines[i].timeMsBuffer.data(); | times[i] = lines[0].timeMsBuffer.data();
dsp/Reverb/Reverb.cpp | earlyReflections.clear(); | (void) 0;
dsp/Reverb/Reverb.cpp | fade.mixInto (out[i], n); | (void) n;
dsp/Reverb/EarlyReflections.cpp | lines[i].line->delayInto (i == 0 ? right : diff, | lines[i].line->delayInto (i == 0 ? left : diff,
dsp/Reverb/EarlyReflections.cpp | firstRung (tapA, leftA, outLeftA, diffA, n); | firstRung (tapA, rightA, outLeftA, diffA, n);
dsp/Reverb/EarlyReflections.cpp | fadeRead (3, outRight); | (void) 0;
dsp/Reverb/VantrelReverb.cpp | lines[i].timeMs = scale[0] * delayInitTimes[i]; | lines[i].timeMs = scale[0] * delayInitTimes[0];
dsp/Reverb/VantrelReverb.cpp | lines[i].timeMs = other.lines[i].timeMs; | (void) other;
dsp/Reverb/SimpleReverb.cpp | SP::finite (buffers[0], l, n); | Memory::copy (buffers[0], l, n);
dsp/Reverb/SimpleReverb.cpp | silentThrough = silentThrough && w.silentRun >= w.size; | (void) w;
dsp/Reverb/SimpleReverb.cpp | static_cast<float> (static_cast<int> (chunkPosition + i)) * chunkStep | static_cast<float> (static_cast<int> (i)) * chunkStep
dsp/Reverb/SimpleReverb.cpp | SP::clear (r, n); | (void) r;
dsp/Delay/DelayRead.cpp | r.base = static_cast<long> (w.writeIndex) - static_cast<long> (n); | r.base = static_cast<long> (w.writeIndex) - static_cast<long> (n) + 1;
dsp/Delay/DelayRead.cpp | out[i] = f * (y1 - y0) + y0; | out[i] = f * (y0 - y1) + y0;
dsp/Delay/DelayWrite.cpp | for (int k = 0; k < kGuard; ++k) | for (int k = 0; k < 2; ++k)
dsp/Delay/DelayWrite.cpp | writeIndex = static_cast<int> (n - toEnd); | writeIndex = static_cast<int> (n - toEnd + 1);
dsp/Delay/DelayLine.cpp | writes[1].write (right + offset, n); | writes[1].write (left + offset, n);
dsp/Delay/DelayLine.cpp | reads[c].sampleRate = static_cast<float> (newSampleRate); | reads[c].sampleRate = 48000.0f;
dsp/Delay/DelayLineDamped.cpp | float* cutoff = shared != nullptr ? const_cast<float*> (shared->cutoff) : line.cutoff.data(); | float* cutoff = shared != nullptr ? line.cutoff.data() : line.cutoff.data();
dsp/Kernel/FeedbackReturn.cpp | const unsigned long start = (writeIndex + kSize - kLatency) & (kSize - 1); | const unsigned long start = (writeIndex + kSize - kLatency + 1) & (kSize - 1);
dsp/Kernel/FeedbackReturn.cpp | std::fill_n (ring.data() + writeIndex, first, 0.0f); | (void) first;
dsp/Kernel/InputSanitiser.cpp | SignalProcessing::clip (output, -kLargestSample, kLargestSample, output, n); | (void) 0;
dsp/Kernel/InputSanitiser.cpp | SignalProcessing::finite (input, output, n); | for (unsigned long i = 0; i < n; ++i) output[i] = input[i];
dsp/Kernel/TailLength.cpp | constexpr double kFallPerLength = 90.0 / 60.0; | constexpr double kFallPerLength = 75.0 / 60.0;
dsp/Kernel/TailLength.cpp | seconds += limited (voice.windowMs, 0.0, 1000.0, 1000.0) / 1000.0; | seconds += 0.0;
dsp/Dynamics/DryWet.cpp | out[i] = dry[i] * d + (wet[i] * wetScale) * w; | out[i] = dry[i] * d + wet[i] * w;
dsp/Dynamics/PeakMeter.cpp | SignalProcessing::peak (window, &largest, position); | SignalProcessing::peak (window + position - piece, &largest, piece);
dsp/Modulation/Lfo.cpp | phases[output] = fractionalPart (step + last); | phases[output] = fractionalPart (last);
dsp/Modulation/Lfo.cpp | const float step = perSample (frequency, sampleRate); | const float step = perSample (frequency, 48000.0);
# Not reached: every sub-block writes the return and ends on the 256-sample grid, so no write crosses the end of the 512-sample ring.
# dsp/Kernel/FeedbackReturn.cpp | std::copy_n (in + first, n - first, ring.data()); | std::fill_n (ring.data(), n - first, 0.0f);
AudioStuff/Common/ProcessBlock/Filters/BiquadCoefficients.cpp | b2 = -b0; | b2 = b0;
AudioStuff/Common/ProcessBlock/Filters/BiquadCoefficients.cpp | b0 = (1.0f + KK) * norm; | b0 = (1.0f + KQ + KK) * norm;
AudioStuff/Common/ProcessBlock/Filters/BiquadCoefficients.cpp | b2 = (1.0f - V * KQ + KK) * norm; | b2 = (1.0f - KQ + KK) * norm;
AudioStuff/Common/ProcessBlock/Filters/BiquadCoefficients.cpp | a2 = (1.0f - V * KQ + KK) * norm; | a2 = (1.0f - KQ + KK) * norm;
AudioStuff/Common/ProcessBlock/Filters/BiquadCoefficients.cpp | a1 = 2.0f * (V * KK - 1.0f) * norm; | a1 = 2.0f * (KK - 1.0f) * norm;
AudioStuff/Common/ProcessBlock/Filters/BiquadCoefficients.cpp | b1 = 2.0f * (KK - V) * norm; | b1 = 2.0f * (KK - 1.0f) * norm;
AudioStuff/Common/ProcessBlock/Filters/BiquadCoefficients.cpp | norm = 1.0f / (V + W + KK); | norm = 1.0f / (1.0f + W + KK);
AudioStuff/Common/ProcessBlock/Filters/BiquadCoefficients.cpp | resonance) * 0.05)) | resonance) * 0.1))
AudioStuff/Common/ProcessBlock/Filters/BiquadCoefficients.cpp | const float level = type == Peak ? gain : resonance; | const float level = gain;
AudioStuff/Common/ProcessBlock/Filters/BiquadCoefficients.cpp | 0.49f * sampleRate); | 0.45f * sampleRate);
AudioStuff/Common/ProcessBlock/Filters/BiquadFilter.cpp | filterType = type; | filterType = type; return;
AudioStuff/Common/ProcessBlock/Filters/BiquadFilter.cpp | state->clear(); | (void) state;
AudioStuff/Common/ProcessBlock/Filters/BiquadFilter.cpp | coefficientsValid = false; | (void) 0;
AudioStuff/Common/ProcessBlock/Filters/BiquadFilter.cpp | BiquadHistory* histories[2] = { history (0), history (1) }; | BiquadHistory* histories[2] = { history (0), history (0) };
AudioStuff/Common/ProcessBlock/Filters/BiquadFilter.cpp | histories[j] = f.history (channel); | histories[j] = f.history (0);
AudioStuff/Common/ProcessBlock/Filters/BiquadFilter.cpp | p.gainBuffer != nullptr ? p.gainBuffer[k] : p.gain; | p.gainBuffer != nullptr ? p.gainBuffer[0] : p.gain;
AudioStuff/Common/ProcessBlock/Mix/Gain.cpp | SignalProcessing::mul (x, work, x, n); | SignalProcessing::mul_s (x, work[0], x, n);
AudioStuff/Common/ProcessBlock/Mix/Gain.cpp | std::exp (static_cast<double> (parameters.gain) | std::exp (-static_cast<double> (parameters.gain)
# Not reached: Gain::process asserts frames <= kMaxFramesPerBlock, so its piece loop runs once with start 0.
# AudioStuff/Common/ProcessBlock/Mix/Gain.cpp | SignalProcessing::mul (buffer + start, work, buffer + start, n); | SignalProcessing::mul (buffer, work, buffer + start, n);
AudioStuff/Common/Math/NoteScale.cpp | constexpr float hertzToRatio = 0.1223122f; | constexpr float hertzToRatio = 0.125f;
AudioStuff/Common/Math/NoteScale.cpp | (note > highestNote ? hugeFrequency : f) | (note > highestNote ? f : f)
AudioStuff/Common/Math/NoteScale.cpp | return lowestNote; | return 0.0f;
AudioStuff/Common/Math/Accelerate/SignalProcessing.cpp | const float v = std::fabs (a[i]); | const float v = a[i];
AudioStuff/Common/Math/Accelerate/SignalProcessing.cpp | std::fill (out, out + n, v); | std::fill (out, out + n, 0.0f);
AudioStuff/Common/Math/Accelerate/SignalProcessing.cpp | out[i] = a[i] * s1 + s2; | out[i] = a[i] * s1 - s2;
AudioStuff/Common/Math/Accelerate/SignalProcessing.cpp | out[i] = table[q] + r * (table[q + 1] - table[q]); | out[i] = table[q] + (1.0f - r) * (table[q + 1] - table[q]);
AudioStuff/Common/Math/Accelerate/SignalProcessing.cpp | out[i] = a[i] != a[i] ? b[i] : m; | out[i] = m;
AudioStuff/Common/Math/Accelerate/SignalProcessing.cpp | sum += a[i] * a[i]; | sum += a[i];
AudioStuff/Common/Math/Accelerate/SignalProcessing.cpp | out[i] = a[i] >= t ? v : -v; | out[i] = a[i] >= t ? v : 0.0f;
AudioStuff/Common/Math/Accelerate/BiquadHistory.h | framesRun = (framesRun + frames) % kSettlePeriod; | framesRun = frames % kSettlePeriod;
AudioStuff/Common/Math/Accelerate/BiquadHistory.h | y2 = bounded (y2); | (void) 0;
AudioStuff/Common/Math/Accelerate/BiquadHistory.h | y2 = sound (y2); | (void) 0;
AudioStuff/Common/Math/Accelerate/BiquadHistory.h | std::fabs (v) < kBelowLargest ? v : 0.0f; | std::fabs (v) < 1.0e10f ? v : 0.0f;
# Equivalent: before the stream starts the seeding ramps have length 0 and land on the default anyway; only a process() ahead of the first init would tell.
# AudioStuff/Common/DSPKernel.cpp | p->ramper->snapToTarget(); | (void) 0;
AudioStuff/Common/DSPKernel.cpp | NoteScale::note (p.max)), d, false); | p.max), d, false);
# Equivalent: every parameter of the effect's list has scale 1.
# AudioStuff/Common/DSPKernel.cpp | ? p.ramper->getPendingValue() / p.scale | ? p.ramper->getPendingValue()
AudioStuff/Common/DSPKernel.cpp | std::max<std::uint64_t> (duration, rampLength.load (std::memory_order_relaxed)) | static_cast<std::uint64_t> (duration)
AudioStuff/Common/FilterDSPKernel.cpp | parameterBuffers->checkSize (parameters->size() - 1); | (void) 0;
EOF
)

configure() {
  cmake -S "$ROOT" -B "$BUILD" -G Ninja -DVANTREL_WERROR=ON -DCMAKE_BUILD_TYPE=Release -DVANTREL_BUILD_JUCE=OFF >/dev/null
}
build() {
  cmake --build "$BUILD" -j "$JOBS" --target dsp_tests framework_tests >"$BUILD/mutant-build.log" 2>&1
}
# 0 when every suite passes.
run_tests() {
  timeout 300 "$BUILD/tests/dsp/dsp_tests" --gtest_brief=1 >"$BUILD/mutant-test.log" 2>&1 \
    && timeout 300 "$BUILD/tests/framework/framework_tests" --gtest_brief=1 >>"$BUILD/mutant-test.log" 2>&1
}

BACKUP="$(mktemp -d)"
CURRENT=""
restore() {
  if [ -n "$CURRENT" ]; then
    cp "$BACKUP/original" "$ROOT/$CURRENT"
    CURRENT=""
  fi
}
trap 'restore; rm -rf "$BACKUP"' EXIT

configure
build || { echo "the unchanged tree does not build" >&2; exit 1; }
run_tests || { echo "the unchanged tree fails its tests" >&2; exit 1; }

total=0; killed=0; survivors=(); skipped=0
while IFS= read -r line; do
  [ -z "$line" ] && continue
  [[ "$line" == \#* ]] && continue
  echo "$line" | grep -Eq -- "$FILTER" || continue
  file="$(echo "$line" | awk -F ' \\| ' '{print $1}')"
  from="$(echo "$line" | awk -F ' \\| ' '{print $2}')"
  to="$(echo "$line" | awk -F ' \\| ' '{print $3}')"
  if ! grep -qF -- "$from" "$ROOT/$file"; then
    echo "SKIP     $file: '$from' not found"
    skipped=$((skipped + 1))
    continue
  fi
  cp "$ROOT/$file" "$BACKUP/original"
  CURRENT="$file"
  FROM="$from" TO="$to" python3 - "$ROOT/$file" <<'PY'
import os, sys
path = sys.argv[1]
text = open(path).read()
open(path, "w").write(text.replace(os.environ["FROM"], os.environ["TO"], 1))
PY
  total=$((total + 1))
  if ! build; then
    result="killed (does not build)"
    killed=$((killed + 1))
  elif run_tests; then
    result="SURVIVED"
    survivors+=("$file: $from -> $to")
  else
    result="killed"
    killed=$((killed + 1))
  fi
  restore
  printf '%-8s %s: %s -> %s\n' "$result" "$file" "$from" "$to"
done <<<"$MUTANTS"

# Leave the tree built from the unchanged sources.
build || true
echo
echo "mutants: $total, killed: $killed, survived: ${#survivors[@]}, not applicable: $skipped"
for s in "${survivors[@]}"; do
  echo "  survivor: $s"
done

#include "Math/NoteScale.h"

#include "Math/Accelerate/SignalProcessing.h"

#include <algorithm>
#include <cmath>

namespace
{
// 12 / ln 2 and 440 / 2^(69/12): note numbers as in MIDI.
constexpr float notesPerNeper = 17.31234f;
constexpr float hertzToRatio = 0.1223122f;
constexpr float lowestNote = -1500.0f;
constexpr float highestNote = 1499.0f;
constexpr float noteZeroHertz = 8.175799f;
constexpr float nepersPerNote = 0.057762265f;
constexpr float hugeFrequency = 3.282408e38f;
} // namespace

float NoteScale::note (float frequency) noexcept
{
    if (frequency > 0.0f)
        return notesPerNeper * std::log (hertzToRatio * frequency);
    return lowestNote;
}

float NoteScale::freq (float note) noexcept
{
    if (note <= lowestNote)
        return 0.0f;
    if (note > highestNote)
        return hugeFrequency;
    return noteZeroHertz * std::exp (nepersPerNote * note);
}

void NoteScale::freq (const float* notes, float* out, unsigned long n) noexcept
{
    // Vectorised in pieces: exponent, exp, scale, then the two range rules.
    constexpr unsigned long piece = 256;
    float exponent[piece];
    for (unsigned long start = 0; start < n; start += piece)
    {
        const unsigned long count = std::min (piece, n - start);
        SignalProcessing::mul_s (notes + start, nepersPerNote, exponent, count);
        SignalProcessing::exp (exponent, exponent, count);
        for (unsigned long i = 0; i < count; ++i)
        {
            const float note = notes[start + i];
            const float f = noteZeroHertz * exponent[i];
            out[start + i] = note <= lowestNote ? 0.0f : (note > highestNote ? hugeFrequency : f);
        }
    }
}

#pragma once

// The musical note scale on which frequency parameters ramp: note numbers as
// in MIDI (note(440) is about 69), single precision throughout.
namespace NoteScale
{
// Frequencies of 0 Hz or below give -1500.
float note (float frequency) noexcept;
// 0 at or below note -1500, 3.282408e38 above note 1499.
float freq (float note) noexcept;
// freq() of n values (in place allowed).
void freq (const float* notes, float* out, unsigned long n) noexcept;
} // namespace NoteScale

#pragma once

// One second-order section, one sample at a time, designed from a frequency,
// a resonance in dB and a gain in dB (the table of the effect's filters).
class ReferenceBiquad
{
public:
    enum Type
    {
        LowPass = 0,
        HighPass = 1,
        BandPass = 2,
        Notch = 3,
        Peak = 4,
        LowShelf = 5,
        HighShelf = 6,
        AllPass = 7
    };

    void design (Type type, float frequency, float resonanceDb, float gainDb, float sampleRate);
    float tick (float x);
    void clear();
    // The history of a section that has been passing DC at unity on these
    // two inputs (x1 the newer).
    void prime (float newer, float older);

    float b0 = 1.0f, b1 = 0.0f, b2 = 0.0f, a1 = 0.0f, a2 = 0.0f;

private:
    float x1 = 0.0f, x2 = 0.0f, y1 = 0.0f, y2 = 0.0f;
};

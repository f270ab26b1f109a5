#pragma once

enum BiquadFilterType : int
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

#pragma once
// libmad's 28-bit fixed-point samples to 16-bit PCM with noise-shaped dither.
#include <cstdint>

struct MeloxDither {
    int32_t error[3];
    uint32_t random;
};

// Converts one sample of one channel, updating that channel's dither state.
int16_t MeloxDitherSample(int32_t sample, MeloxDither& state);

#pragma once
// libmad's 28-bit fixed-point samples to 16-bit PCM with noise-shaped dither.
// Inline: it runs once per output sample.
#include <cstdint>

struct MeloxDither {
    int32_t error[3];
    uint32_t random;
};

// Converts one sample of one channel, updating that channel's dither state.
inline int16_t MeloxDitherSample(int32_t sample, MeloxDither& d)
{
    const int32_t kMax = (1 << 28) - 1;
    const int32_t kMin = -(1 << 28);
    const int kDropBits = 28 + 1 - 16;
    const int32_t kDropMask = (1 << kDropBits) - 1;

    // Shape the quantisation noise with the last errors (second-order feedback).
    int64_t s = int64_t(sample) + d.error[0] - d.error[1] + d.error[2];
    d.error[2] = d.error[1];
    d.error[1] = d.error[0] / 2;

    // Triangular dither from two successive values of a linear congruential generator.
    const uint32_t next = d.random * 1664525u + 1013904223u;
    int64_t out = s + (1 << (kDropBits - 1)) + int64_t(next & kDropMask) - int64_t(d.random & kDropMask);
    d.random = next;

    if (out > kMax) {
        out = kMax;
        if (s > kMax)
            s = kMax;
    } else if (out < kMin) {
        out = kMin;
        if (s < kMin)
            s = kMin;
    }
    out &= ~int64_t(kDropMask);
    d.error[0] = int32_t(s - out);
    return int16_t(out >> kDropBits);
}

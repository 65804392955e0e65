#pragma once
// Comparing decoded 16-bit PCM against a reference.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace audiotest {

std::vector<int16_t> Samples(const std::vector<uint8_t>& bytes);
// Signal-to-noise ratio in dB of `test` against `ref` over n values from the given starts.
double SnrDb(const int16_t* ref, const int16_t* test, size_t n);
// The delay, in sample frames within [0, maxLag], at which test[lag..] best matches ref.
size_t BestLag(const std::vector<int16_t>& ref, const std::vector<int16_t>& test, int channels,
               size_t maxLag);

}  // namespace audiotest

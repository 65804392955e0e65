#include "pcm_compare.h"

#include <cmath>

namespace audiotest {

std::vector<int16_t> Samples(const std::vector<uint8_t>& bytes)
{
    std::vector<int16_t> s(bytes.size() / 2);
    for (size_t i = 0; i < s.size(); ++i)
        s[i] = int16_t(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    return s;
}

double SnrDb(const int16_t* ref, const int16_t* test, size_t n)
{
    double signal = 0, noise = 0;
    for (size_t i = 0; i < n; ++i) {
        const double d = double(test[i]) - double(ref[i]);
        signal += double(ref[i]) * ref[i];
        noise += d * d;
    }
    if (noise == 0)
        return 200.0;
    return 10.0 * std::log10(signal / noise);
}

size_t BestLag(const std::vector<int16_t>& ref, const std::vector<int16_t>& test, int channels,
               size_t maxLag)
{
    size_t best = 0;
    double bestNoise = -1;
    const size_t window = 4096 * size_t(channels);
    const size_t from = 2048 * size_t(channels);  // past any start-up transient
    for (size_t lag = 0; lag <= maxLag; ++lag) {
        const size_t off = lag * size_t(channels);
        if (off + from + window > test.size() || from + window > ref.size())
            break;
        double noise = 0;
        for (size_t i = 0; i < window; ++i) {
            const double d = double(test[off + from + i]) - ref[from + i];
            noise += d * d;
        }
        if (bestNoise < 0 || noise < bestNoise) {
            bestNoise = noise;
            best = lag;
        }
    }
    return best;
}

}  // namespace audiotest

#pragma once
// The rounds of a seeded fuzz test: ZEN_FUZZ_SEED picks the seed, ZEN_FUZZ_ROUNDS
// the number of rounds, ZEN_FUZZ_SECONDS (when set) a time to run instead.
#include "audio/CCeMDecoder.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>

namespace audiotest {

class FuzzRun {
public:
    FuzzRun(uint32_t defaultSeed, long defaultRounds);
    // True while another round is due.
    bool More();
    // The generator of the current round: seeded from the run's seed and the round.
    std::mt19937& Rng() { return rng_; }
    long Rounds() const { return done_; }
    uint32_t Seed() const { return seed_; }
    // Prints how many inputs were `accepted` (opened), then "fuzz AREA: rounds N seed S".
    void Report(const char* area, long accepted) const;

private:
    uint32_t seed_;
    long rounds_;
    double seconds_;
    long done_ = 0;
    unsigned long start_;
    std::mt19937 rng_;
};

// Writes the input to `path` and opens it with the decoder, which then must say
// the file is open. A refused file must leave nothing open. Counts the opened.
inline bool OpenInput(CCeMDecoder& dec, const std::wstring& path, const Bytes& input, long& opened)
{
    EXPECT_TRUE(WriteAll(path, input));
    CCeAudioFileInfo info;
    if (!dec.OpenFile(path.c_str())) {
        EXPECT_EQ(0, dec.GetFileInfo(&info)) << "a refused file stays closed";
        return false;
    }
    ++opened;
    EXPECT_EQ(1, dec.GetFileInfo(&info));
    return true;
}

// Runs the rounds: each makes an input with make(rng) and checks it with
// check(input, rng). At the first failure the input is kept in the file `keep`
// and the run stops.
template <class Make, class Check>
void RunRounds(FuzzRun& run, const wchar_t* keep, Make make, Check check)
{
    while (run.More()) {
        std::mt19937& rng = run.Rng();
        SCOPED_TRACE(testing::Message() << "seed " << run.Seed() << " round " << run.Rounds() - 1);
        const Bytes input = make(rng);
        check(input, rng);
        if (::testing::Test::HasFailure()) {
            WriteAll(keep, input);
            return;
        }
    }
}

}  // namespace audiotest

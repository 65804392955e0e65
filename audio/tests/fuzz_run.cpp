#include "fuzz_run.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace audiotest {

namespace {
const char* Env(const char* name)
{
    const char* v = std::getenv(name);
    return v && *v ? v : nullptr;
}
}  // namespace

FuzzRun::FuzzRun(uint32_t defaultSeed, long defaultRounds)
    : seed_(defaultSeed), rounds_(defaultRounds), seconds_(0), start_(GetTickCount())
{
    if (const char* s = Env("ZEN_FUZZ_SEED"))
        seed_ = uint32_t(std::strtoul(s, nullptr, 0));
    if (const char* r = Env("ZEN_FUZZ_ROUNDS"))
        rounds_ = std::strtol(r, nullptr, 0);
    if (const char* t = Env("ZEN_FUZZ_SECONDS"))
        seconds_ = std::strtod(t, nullptr);
}

bool FuzzRun::More()
{
    if (seconds_ > 0) {
        if ((GetTickCount() - start_) / 1000.0 >= seconds_)
            return false;
    } else if (done_ >= rounds_) {
        return false;
    }
    // Each round reproducible on its own from the seed and its number.
    std::seed_seq seq{seed_, uint32_t(done_)};
    rng_.seed(seq);
    ++done_;
    return true;
}

void FuzzRun::Report(const char* area, long accepted) const
{
    std::printf("accepted %ld of %ld inputs\n", accepted, done_);
    std::printf("fuzz %s: rounds %ld seed %lu\n", area, done_, (unsigned long)seed_);
    std::fflush(stdout);
}

}  // namespace audiotest

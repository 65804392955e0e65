// Linked into every test program. Under a pipe the C runtime buffers stdout
// whole, so a test process that crashes or is killed would leave no trace of
// how far it got; unbuffered, every line reaches the log as it is written.
#include <cstdio>

namespace {

struct UnbufferedOutput {
    UnbufferedOutput()
    {
        std::setvbuf(stdout, nullptr, _IONBF, 0);
        std::setvbuf(stderr, nullptr, _IONBF, 0);
    }
};

const UnbufferedOutput s_unbuffered;

}  // namespace

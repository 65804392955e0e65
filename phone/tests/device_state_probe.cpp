// Reports what another process sees of the LEDs and the display: the exit
// code is (LED 0 << 8) | (LED 1 << 4) | display power state.
#include <nled.h>
#include <pwingdi.h>

int main()
{
    const int led0 = CeNledGetState(0), led1 = CeNledGetState(1);
    return (led0 << 8) | (led1 << 4) | static_cast<int>(CeDisplayGetPowerState());
}

#include "phone/ModuleBattery.h"

namespace {
// Below this no module runs; such a value is a parse result, not a voltage.
constexpr float kLowestReading = 2.0f;
constexpr float kExhausted = 3.2f;
}  // namespace

int BatteryLevel(float volts)
{
    if (volts <= 3.3f)
        return 0;
    if (volts <= 3.4f)
        return 1;
    if (volts <= 3.5f)
        return 2;
    if (volts <= 3.7f)
        return 3;
    // Between 3.8 and 3.9 V the battery is not yet shown full.
    if (volts < 3.9f)
        return 4;
    return 5;
}

bool IsBatteryReading(int ok, float volts)
{
    return ok == 1 && volts >= kLowestReading;
}

bool IsBatteryExhausted(int ok, float volts)
{
    return IsBatteryReading(ok, volts) && volts <= kExhausted;
}

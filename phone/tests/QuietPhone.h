#pragma once
// The main window without its notices and without setting the handheld's
// clock, for tests and benchmarks that drive it in their own process.
#include "phone/CCeMWndPhone.h"

class QuietPhone : public CCeMWndPhone {
public:
    using CCeMWndPhone::CCeMWndPhone;

protected:
    // The handheld's clock stays as it is.
    bool SetHandheldTime(const SYSTEMTIME&) override { return true; }
    void ShowLowBatteryNotice() override {}
    void ShowLockedNotice() override {}
};

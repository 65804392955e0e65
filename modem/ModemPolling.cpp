// The link's side of the phone core's one-second timer: the command pump,
// and the signal and battery queries while no call is in progress.
#include "modem/CCeMModem.h"
#include "modem/ModemMessages.h"

namespace {
const int kPingEvery = 30;
const int kBatteryEvery = 60;
const int kLastTick = 65534;
}  // namespace

int CCeMModem::TimerTick()
{
    if (LinkState != LINK_READY && LinkState != LINK_LOCKED)
        return 0;
    if (Pump())
        return 1;
    if (CallState != CALL_IDLE && CallState != CALL_NO_CARRIER)
        return 0;
    m_pollTick = m_pollTick >= kLastTick ? 1 : m_pollTick + 1;
    if (m_pollTick % kPingEvery == 0)
        CmdPing();
    if (m_pollTick % kBatteryEvery == 0)
        CmdBattery();
    return 0;
}

#include "modem/CCeMModemListener.h"

#include "modem/AtCommandTable.h"

namespace {
using Handler = void (CCeMModemListener::*)(int);

// Row order of the command table.
const Handler kHandlers[AT_COMMAND_COUNT] = {
    &CCeMModemListener::OnBattery,
    &CCeMModemListener::OnSysTime,
    &CCeMModemListener::OnPing,
    &CCeMModemListener::OnVolume,
    &CCeMModemListener::OnSetVolume,
    &CCeMModemListener::OnCallerId,
    &CCeMModemListener::OnSmsVolume,
    &CCeMModemListener::OnSetSmsVolume,
    &CCeMModemListener::OnAnswer,
    &CCeMModemListener::OnRelease,
    &CCeMModemListener::OnDial,
    &CCeMModemListener::OnDialInfo,
    &CCeMModemListener::OnBell,
    &CCeMModemListener::OnSetBell,
    &CCeMModemListener::OnRingVolume,
    &CCeMModemListener::OnSetRingVolume,
    &CCeMModemListener::OnCommandEcho,
    &CCeMModemListener::OnSetCommandEcho,
    &CCeMModemListener::OnSmsSend,
    &CCeMModemListener::OnReMo,
    &CCeMModemListener::OnMoCount,
    &CCeMModemListener::OnReadMo,
    &CCeMModemListener::OnDeleteMo,
    &CCeMModemListener::OnDeleteAllMo,
    &CCeMModemListener::OnMtCount,
    &CCeMModemListener::OnReadMt,
    &CCeMModemListener::OnReadNewMt,
    &CCeMModemListener::OnDeleteMt,
    &CCeMModemListener::OnDeleteAllMt,
    &CCeMModemListener::OnMtAck,
    &CCeMModemListener::OnRegistration,
    &CCeMModemListener::OnReset,
    &CCeMModemListener::OnSetEcho,
    &CCeMModemListener::OnFlash,
    &CCeMModemListener::OnDtmf,
    &CCeMModemListener::OnVersion,
    &CCeMModemListener::OnBellType,
    &CCeMModemListener::OnSetBellType,
    &CCeMModemListener::OnStatusInfo,
    &CCeMModemListener::OnModeReset,
    &CCeMModemListener::OnNam,
    &CCeMModemListener::OnSetNam,
    &CCeMModemListener::OnModeNaming,
    &CCeMModemListener::OnSetPhoneNumber,
    &CCeMModemListener::OnReject,
    &CCeMModemListener::OnAtan,
    &CCeMModemListener::OnSetAtan,
    &CCeMModemListener::OnSmsSent,
    &CCeMModemListener::OnSetWarnSound,
};
}  // namespace

int CCeMModemListener::Dispatch(int id, int ok)
{
    // The id must be the row's own, argument flag included.
    const AtCommandRow* row = FindAtCommandRow(id);
    if (!row || row->id != id)
        return 0;
    (this->*kHandlers[row - AtCommandTable])(ok);
    return 1;
}

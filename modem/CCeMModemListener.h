#pragma once
// How a window acts on command results: one handler per command row, in row
// order. The main window implements the handlers it needs.
#include <windows.h>

class CCeMModemListener {
public:
    virtual ~CCeMModemListener() = default;

    // Calls the handler of the row whose id is `id`; 1 when there is one, else 0.
    virtual int Dispatch(int id, int ok);

    virtual void OnBattery(int /*ok*/) {}
    virtual void OnSysTime(int /*ok*/) {}
    virtual void OnPing(int /*ok*/) {}
    virtual void OnVolume(int /*ok*/) {}
    virtual void OnSetVolume(int /*ok*/) {}
    virtual void OnCallerId(int /*ok*/) {}
    virtual void OnSmsVolume(int /*ok*/) {}
    virtual void OnSetSmsVolume(int /*ok*/) {}
    virtual void OnAnswer(int /*ok*/) {}
    virtual void OnRelease(int /*ok*/) {}
    virtual void OnDial(int /*ok*/) {}
    virtual void OnDialInfo(int /*ok*/) {}
    virtual void OnBell(int /*ok*/) {}
    virtual void OnSetBell(int /*ok*/) {}
    virtual void OnRingVolume(int /*ok*/) {}
    virtual void OnSetRingVolume(int /*ok*/) {}
    virtual void OnCommandEcho(int /*ok*/) {}
    virtual void OnSetCommandEcho(int /*ok*/) {}
    virtual void OnSmsSend(int /*ok*/) {}
    virtual void OnReMo(int /*ok*/) {}
    virtual void OnMoCount(int /*ok*/) {}
    virtual void OnReadMo(int /*ok*/) {}
    virtual void OnDeleteMo(int /*ok*/) {}
    virtual void OnDeleteAllMo(int /*ok*/) {}
    virtual void OnMtCount(int /*ok*/) {}
    virtual void OnReadMt(int /*ok*/) {}
    virtual void OnReadNewMt(int /*ok*/) {}
    virtual void OnDeleteMt(int /*ok*/) {}
    virtual void OnDeleteAllMt(int /*ok*/) {}
    virtual void OnMtAck(int /*ok*/) {}
    virtual void OnRegistration(int /*ok*/) {}
    virtual void OnReset(int /*ok*/) {}
    virtual void OnSetEcho(int /*ok*/) {}
    virtual void OnFlash(int /*ok*/) {}
    virtual void OnDtmf(int /*ok*/) {}
    virtual void OnVersion(int /*ok*/) {}
    virtual void OnBellType(int /*ok*/) {}
    virtual void OnSetBellType(int /*ok*/) {}
    virtual void OnStatusInfo(int /*ok*/) {}
    virtual void OnModeReset(int /*ok*/) {}
    virtual void OnNam(int /*ok*/) {}
    virtual void OnSetNam(int /*ok*/) {}
    virtual void OnModeNaming(int /*ok*/) {}
    virtual void OnSetPhoneNumber(int /*ok*/) {}
    virtual void OnReject(int /*ok*/) {}
    virtual void OnAtan(int /*ok*/) {}
    virtual void OnSetAtan(int /*ok*/) {}
    virtual void OnSmsSent(int /*ok*/) {}
    virtual void OnSetWarnSound(int /*ok*/) {}
};

#pragma once
// One AT command at a time: the command in flight awaits its response block,
// later ones wait in the command queue, an overdue one is sent again, and a
// dial or a text-message send holds the line until its own result arrives.
#include <windows.h>

#include "modem/AtCommandTable.h"

struct AtQueueSlot {
    LONG id;
    SHORT kind;
    char arg[514];
};

struct InFlightCommand {
    int id;  // -1 for none
    int kind;
    char arg[AT_MAX_ARG];
    DWORD startTick;
};

class CCeMAtSender {
public:
    static constexpr int QUEUE_SLOTS = 20;  // holds at most 19 commands
    static constexpr int SMS_SEND_ID = 0x1012;  // AT$SMSMO with its send line

    CCeMAtSender();
    virtual ~CCeMAtSender();

    // 1 when the command was sent or queued; 0 when refused or its write failed.
    int Issue(int id, const void* arg, int kind);
    // Called once a second: sends an overdue command again, or the next
    // queued one. 1 when it sent something.
    int Pump();
    // Called by the parser when a response block was matched and parsed.
    void Result(int id, int ok);

    // Open and close put the transactions back to their start.
    void ResetTransactions();
    BOOL CreateTransactionLock();
    void DestroyTransactionLock();
    int QueuedCount() const;

    // One wrapper per command row.
    int CmdBattery();
    int CmdSysTime();
    int CmdPing();
    int CmdVolume();
    int CmdSetVolume(int value);
    int CmdCallerId();
    int CmdSmsVolume();
    int CmdSetSmsVolume(int value);
    int CmdAnswer();
    int CmdRelease();
    int CmdDial(const wchar_t* number);
    int CmdDialInfo();
    int CmdBell();
    int CmdSetBell(int value);
    int CmdRingVolume();
    int CmdSetRingVolume(int value);
    int CmdCommandEcho();
    int CmdSetCommandEcho(int value);
    int CmdSmsSend(const char* line);
    int CmdReMo(int value);
    int CmdMoCount();
    int CmdReadMo(int value);
    int CmdDeleteMo(int value);
    int CmdDeleteAllMo();
    int CmdMtCount();
    int CmdReadMt(int value);
    int CmdReadNewMt(int value);
    int CmdDeleteMt(int value);
    int CmdDeleteAllMt();
    int CmdMtAck(int value);
    int CmdRegistration();
    int CmdReset();
    int CmdSetEcho(int value);
    int CmdFlash();
    int CmdDtmf(char key);
    int CmdVersion();
    int CmdBellType();
    int CmdSetBellType(int value);
    int CmdStatusInfo();
    int CmdModeReset();
    int CmdNam();
    int CmdSetNam(int value);
    int CmdModeNaming();
    int CmdSetPhoneNumber(const char* text);
    int CmdReject();
    int CmdAtan();
    int CmdSetAtan(int value);
    int CmdSmsSent(int value);
    int CmdSetWarnSound(int value);

    // A text message to `destination` with teleservice 4098 from slot 0:
    // 8-bit texts, or wide texts converted to code page 949. The call-back
    // field is left out when `callback` is null. 1 when sent or queued; 0
    // when refused (a number over 63 bytes or holding a control character,
    // a double quote or a comma; a body over 329 bytes, holding a backspace
    // or one that escaping makes outgrow its buffer or the line; no memory;
    // the link refused it).
    int SendTextMessage(const char* destination, const char* callback, const char* body);
    int SendTextMessageW(const wchar_t* destination, const wchar_t* callback,
                         const wchar_t* body);

    // Ready: no sent command awaits its response.
    volatile LONG Ready;
    int CurrentSendId;
    int LastWriteResult;
    volatile LONG Exclusive;
    InFlightCommand InFlight;

protected:
    virtual int WriteCommand(const void* bytes, DWORD count) = 0;
    // The port is open and the link state below closed.
    virtual BOOL CanIssue() = 0;
    // Before a command is sent again: purge both buffers, lower DTR.
    virtual void PrepareResend() = 0;
    virtual void NotifyResultWindow(UINT msg, WPARAM wParam, LPARAM lParam) = 0;
    // Link-level consequences of a result, before the lock is taken.
    virtual void OnResultArrived(int id, int ok);
    // The parser's current block and the rows' match results.
    virtual void ForgetParsedBlock() = 0;

    // Writes the command; must run under the lock. The caller announces
    // WM_MODEM_SENT once it released the lock (see Announce).
    int Send(int id, const void* arg, int kind);
    void Announce(int id, int result);

private:
    int IssueValue(int id, int value);
    bool TakeLock(DWORD timeoutMs);
    void ReleaseLock();
    bool QueueFull() const;
    bool QueueEmpty() const;
    void RecordInFlight(int id, const void* arg, int kind);
    // Takes the next queued command into flight and sends it; returns the write result.
    int SendNextQueued(int* sentId);

    AtQueueSlot m_queue[QUEUE_SLOTS];
    int m_read;
    int m_write;
    HANDLE m_lock;  // TransactionLock
};

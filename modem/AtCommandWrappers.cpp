#include "modem/CCeMAtSender.h"

#include "modem/CodePage.h"

// One wrapper per command row: the fixed id and how its argument is passed.

int CCeMAtSender::IssueValue(int id, int value)
{
    return Issue(id, &value, AT_ARG_BYTE);
}

int CCeMAtSender::CmdBattery() { return Issue(0, nullptr, AT_ARG_NONE); }
int CCeMAtSender::CmdSysTime() { return Issue(1, nullptr, AT_ARG_NONE); }
int CCeMAtSender::CmdPing() { return Issue(2, nullptr, AT_ARG_NONE); }
int CCeMAtSender::CmdVolume() { return Issue(3, nullptr, AT_ARG_NONE); }
int CCeMAtSender::CmdSetVolume(int value) { return IssueValue(0x1004, value); }
int CCeMAtSender::CmdCallerId() { return Issue(5, nullptr, AT_ARG_NONE); }
int CCeMAtSender::CmdSmsVolume() { return Issue(6, nullptr, AT_ARG_NONE); }
int CCeMAtSender::CmdSetSmsVolume(int value) { return IssueValue(0x1007, value); }
int CCeMAtSender::CmdAnswer() { return Issue(8, nullptr, AT_ARG_NONE); }
int CCeMAtSender::CmdRelease() { return Issue(9, nullptr, AT_ARG_NONE); }

int CCeMAtSender::CmdDial(const wchar_t* number)
{
    char text[AT_MAX_ARG];
    if (!number || !g_pfnWideToMultiByte(number, text, sizeof text))
        return 0;
    return Issue(0x100A, text, AT_ARG_SZ);
}

int CCeMAtSender::CmdDialInfo() { return Issue(11, nullptr, AT_ARG_NONE); }
int CCeMAtSender::CmdBell() { return Issue(12, nullptr, AT_ARG_NONE); }
int CCeMAtSender::CmdSetBell(int value) { return IssueValue(0x100D, value); }
int CCeMAtSender::CmdRingVolume() { return Issue(14, nullptr, AT_ARG_NONE); }
int CCeMAtSender::CmdSetRingVolume(int value) { return IssueValue(0x100F, value); }
int CCeMAtSender::CmdCommandEcho() { return Issue(16, nullptr, AT_ARG_NONE); }
int CCeMAtSender::CmdSetCommandEcho(int value) { return IssueValue(0x1011, value); }
int CCeMAtSender::CmdSmsSend(const char* line) { return Issue(0x1012, line, AT_ARG_TEXT); }
int CCeMAtSender::CmdReMo(int value) { return IssueValue(0x1013, value); }
int CCeMAtSender::CmdMoCount() { return Issue(20, nullptr, AT_ARG_NONE); }
int CCeMAtSender::CmdReadMo(int value) { return IssueValue(0x1015, value); }
int CCeMAtSender::CmdDeleteMo(int value) { return IssueValue(0x1016, value); }
int CCeMAtSender::CmdDeleteAllMo() { return Issue(23, nullptr, AT_ARG_NONE); }
int CCeMAtSender::CmdMtCount() { return Issue(24, nullptr, AT_ARG_NONE); }
int CCeMAtSender::CmdReadMt(int value) { return IssueValue(0x1019, value); }
int CCeMAtSender::CmdReadNewMt(int value) { return IssueValue(0x101A, value); }
int CCeMAtSender::CmdDeleteMt(int value) { return IssueValue(0x101B, value); }
int CCeMAtSender::CmdDeleteAllMt() { return Issue(28, nullptr, AT_ARG_NONE); }
int CCeMAtSender::CmdMtAck(int value) { return IssueValue(0x101D, value); }
int CCeMAtSender::CmdRegistration() { return Issue(30, nullptr, AT_ARG_NONE); }
int CCeMAtSender::CmdReset() { return Issue(31, nullptr, AT_ARG_NONE); }
int CCeMAtSender::CmdSetEcho(int value) { return IssueValue(0x1020, value); }
int CCeMAtSender::CmdFlash() { return Issue(33, nullptr, AT_ARG_NONE); }
int CCeMAtSender::CmdDtmf(char key) { return Issue(0x1022, &key, AT_ARG_BYTE); }
int CCeMAtSender::CmdVersion() { return Issue(35, nullptr, AT_ARG_NONE); }
int CCeMAtSender::CmdBellType() { return Issue(36, nullptr, AT_ARG_NONE); }
int CCeMAtSender::CmdSetBellType(int value) { return IssueValue(0x1025, value); }
int CCeMAtSender::CmdStatusInfo() { return Issue(38, nullptr, AT_ARG_NONE); }
int CCeMAtSender::CmdModeReset() { return Issue(39, nullptr, AT_ARG_NONE); }
int CCeMAtSender::CmdNam() { return Issue(40, nullptr, AT_ARG_NONE); }
int CCeMAtSender::CmdSetNam(int value) { return IssueValue(0x1029, value); }
int CCeMAtSender::CmdModeNaming() { return Issue(42, nullptr, AT_ARG_NONE); }
int CCeMAtSender::CmdSetPhoneNumber(const char* text) { return Issue(0x102B, text, AT_ARG_SZ); }
int CCeMAtSender::CmdReject() { return Issue(44, nullptr, AT_ARG_NONE); }
int CCeMAtSender::CmdAtan() { return Issue(45, nullptr, AT_ARG_NONE); }
int CCeMAtSender::CmdSetAtan(int value) { return IssueValue(0x102E, value); }
int CCeMAtSender::CmdSmsSent(int value) { return IssueValue(0x102F, value); }
int CCeMAtSender::CmdSetWarnSound(int value) { return IssueValue(0x1030, value); }

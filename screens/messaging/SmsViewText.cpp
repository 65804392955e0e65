#include "screens/messaging/SmsViewText.h"

#include <cwchar>

#include "stores/StoreText.h"

namespace SmsViewText {

namespace {

std::wstring Format(const wchar_t* format, int a, int b)
{
    wchar_t buf[64];
    swprintf(buf, 64, format, a, b);
    return buf;
}

// The time stamp's digit at `i`, or '0' where the stamp is short or bad.
wchar_t Digit(const SmsItem& item, int i)
{
    for (int k = 0; k <= i; ++k)
        if (item.szTime[k] < '0' || item.szTime[k] > '9')
            return L'0';
    return static_cast<wchar_t>(item.szTime[i]);
}

bool IsBreak(wchar_t c) { return c == L'\r' || c == L'\n'; }

}  // namespace

std::wstring ListTitle(int tab, const CCeSmsDB& s)
{
    switch (tab) {
    case kSmsReceived:
        return Format(L"미확인: %d, 총: %d", s.m_nUnreadPaging + s.m_nUnreadText, s.m_nPaging + s.m_nText);
    case kSmsSentOnes:
        return Format(L"총 발신 : %d 개", s.m_nSent, 0);
    case kSmsVoiceMail:
        return Format(L"총 음성 : %d 개", s.m_nVoice, 0);
    default:
        return Format(L"미확인: %d, 총: %d", s.m_nUnreadPaging + s.m_nUnreadText + s.m_nUnreadVoice,
                      s.m_nPaging + s.m_nText + s.m_nVoice + s.m_nSent);
    }
}

std::wstring Body(const SmsItem& item)
{
    wchar_t wide[331];
    ByteToWideText(item.szText, wide, 331);
    std::wstring text(wide);
    for (wchar_t& c : text)
        if (c < L' ' && !IsBreak(c) && c != L'\t')
            c = L' ';
    return text;
}

std::wstring RowSnippet(const std::wstring& body)
{
    std::wstring out;
    if (body.size() <= 7) {
        out = body;
    } else {
        int bytes = 0;
        for (size_t i = 0; i < body.size() && bytes < 14; ++i) {
            out += body[i];
            bytes += static_cast<unsigned>(body[i]) >= 256 ? 2 : 1;
        }
    }
    for (wchar_t& c : out)
        if (IsBreak(c) || c == L'\t')
            c = L' ';
    return out;
}

std::wstring ReaderBody(const std::wstring& body)
{
    std::wstring out;
    out.reserve(body.size() + 8);
    for (size_t i = 0; i < body.size(); ++i) {
        const wchar_t c = body[i];
        if (c == L'\r') {
            out += L"\r\n";
            if (i + 1 < body.size() && body[i + 1] == L'\n')
                ++i;
        } else if (c == L'\n') {
            out += L"\r\n";
        } else {
            out += c;
        }
    }
    return out;
}

std::wstring DateLine(const SmsItem& item)
{
    wchar_t buf[64];
    swprintf(buf, 64, L"날짜 : %lc%lc%lc%lc년 %lc%lc월 %lc%lc일", Digit(item, 0), Digit(item, 1), Digit(item, 2),
             Digit(item, 3), Digit(item, 4), Digit(item, 5), Digit(item, 6), Digit(item, 7));
    return buf;
}

std::wstring TimeLine(const SmsItem& item)
{
    int h = (Digit(item, 8) - L'0') * 10 + (Digit(item, 9) - L'0');
    const wchar_t* half = h < 12 ? L"오전" : L"오후";
    if (h > 12)
        h -= 12;
    wchar_t buf[64];
    swprintf(buf, 64, L"시간 : %ls %2d:%lc%lc", half, h, Digit(item, 10), Digit(item, 11));
    return buf;
}

std::wstring StateLine(const SmsItem& item)
{
    switch (item.nState) {
    case kSmsUnread: return L"종류 : 수신 (미확인)";
    case kSmsRead: return L"종류 : 수신 (확인)";
    case kSmsSending: return L"종류 : 발신 (미전송)";
    case kSmsSent: return L"종류 : 발신 (성공)";
    case kSmsSendFailed: return L"종류 : 발신 (실패)";
    default: return L"종류 : ";
    }
}

std::wstring Number(const SmsItem& item)
{
    wchar_t wide[65];
    ByteToWideText(item.szNumber, wide, 65);
    return wide;
}

std::wstring PartyLine(const SmsItem& item)
{
    const bool received = (item.nState & kSmsReceivedBit) != 0;
    std::wstring line = received ? L"송신자 : " : L"수신자 : ";
    line += Number(item);
    if (item.szName[0])
        line += L" (" + std::wstring(item.szName) + L")";
    return line;
}

}  // namespace SmsViewText

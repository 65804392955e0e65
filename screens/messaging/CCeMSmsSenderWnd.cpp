#include "screens/messaging/CCeMSmsSenderWnd.h"

#include <commctrl.h>
#include <sipapi.h>

#include <algorithm>
#include <cwchar>

#include "modem/CCeMAtSender.h"
#include "modem/CodePage.h"
#include "modem/ModemMessages.h"
#include "screens/messaging/CCeMMultiPicker.h"
#include "screens/messaging/CCeMPhraseBox.h"
#include "stores/CCeDataManager.h"
#include "stores/NumberRoutines.h"
#include "toolkit/CCeMDialog.h"
#include "toolkit/CCeMMsgBox.h"
#include "toolkit/ToolkitMessages.h"

namespace {

const wchar_t kNotice[] = L"알림";
const wchar_t kError[] = L"오류";
const wchar_t* const kTabNames[] = {L"보내는 사람", L"받는 사람", L"메시지"};
constexpr int kTabLeft = 3, kTabRight = 93;
constexpr int kTabBottoms[] = {26, 50, 75};
constexpr int kRight = 96;  // left edge of the controls beside the tabs
constexpr int kLowerTop = 80;
const COLORREF kTabColor = RGB(2, 85, 220);

std::wstring WindowText(HWND hwnd, int chars)
{
    std::wstring text(static_cast<size_t>(chars) + 1, L'\0');
    const int n = GetWindowTextW(hwnd, &text[0], chars + 1);
    text.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return text;
}

bool IsNumber(const std::wstring& text)
{
    return !text.empty() && IsDialString(text.c_str()) == 0;
}

std::wstring Format(const wchar_t* format, int a, int b = 0, int c = 0)
{
    wchar_t buf[128];
    swprintf(buf, 128, format, a, b, c);
    return buf;
}

}  // namespace

CCeMSmsSenderWnd::CCeMSmsSenderWnd(CCeSmsDB* store, CCeMAtSender* link, CCeContactsDB* contacts,
                                   CCeCategoriesDB* categories)
    : m_pStore(store), m_pLink(link), m_pContacts(contacts), m_pCategories(categories), m_hMain(nullptr),
      m_hMessages(nullptr), m_nPhase(kEditing), m_nView(kViewCallback), m_nSuccess(0),
      m_nFailure(0), m_bResend(0), m_szCallback{}, m_nBytes(0), m_dwLastSend(0),
      m_bWaiting(false), m_bAnswered(false), m_nFrame(0), m_ackTimeoutMs(kDefaultAckTimeoutMs), m_hFont(nullptr),
      m_hTextFont(nullptr)
{
}

CCeMSmsSenderWnd::~CCeMSmsSenderWnd()
{
    if (m_hWnd)
        Destroy();
}

CCeSmsDB& CCeMSmsSenderWnd::Store() const
{
    return m_pStore ? *m_pStore : g_pDataManager->m_SmsDB;
}

CCeMAtSender* CCeMSmsSenderWnd::Link() const
{
    if (m_pLink)
        return m_pLink;
    return g_pDataManager ? &g_pDataManager->m_Modem : nullptr;
}

CCeContactsDB* CCeMSmsSenderWnd::Contacts() const
{
    if (m_pContacts)
        return m_pContacts;
    return g_pDataManager ? &g_pDataManager->m_ContactsDB : nullptr;
}

HWND CCeMSmsSenderWnd::MainWindow() const
{
    if (m_hMain)
        return m_hMain;
    HWND root = GetAncestor(m_hWnd, GA_ROOT);
    return root != m_hWnd ? root : nullptr;
}

HWND CCeMSmsSenderWnd::MessageWindow() const
{
    return m_hMessages ? m_hMessages : GetParent(m_hWnd);
}

void CCeMSmsSenderWnd::SetNotifyWindows(HWND main, HWND messages)
{
    m_hMain = main;
    m_hMessages = messages;
}

void CCeMSmsSenderWnd::SetOwnNumber(LPCWSTR number)
{
    m_ownNumber = number ? std::wstring(number).substr(0, kOwnNumberChars) : std::wstring();
}

int CCeMSmsSenderWnd::Create(const CCeMPlacement& pl, HWND parent, DWORD style, UINT id)
{
    RegisterWindowClass(L"SMS Sender", 0, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)),
                        nullptr, nullptr, nullptr);
    return CCeMWnd::Create(L"", style | WS_CHILD | WS_CLIPCHILDREN, pl, parent, id);
}

// --- text rules ---------------------------------------------------------------

int CCeMSmsSenderWnd::TextBytes(const std::wstring& text)
{
    int bytes = 0;
    for (wchar_t c : text)
        bytes += static_cast<unsigned>(c) >= 256 ? 2 : 1;
    return bytes;
}

std::vector<std::wstring> CCeMSmsSenderWnd::CutIntoParts(const std::wstring& text)
{
    std::vector<std::wstring> parts;
    int bytes = 0;
    for (wchar_t c : text) {
        const int size = static_cast<unsigned>(c) >= 256 ? 2 : 1;
        if (parts.empty() || (bytes + size > kPartBytes && parts.size() < kMaxParts)) {
            parts.emplace_back();
            bytes = 0;
        }
        parts.back() += c;
        bytes += size;
    }
    return parts;
}

std::wstring CCeMSmsSenderWnd::TitleText(int bytes, bool* excess)
{
    if (excess)
        *excess = bytes > kMaxBytes;
    if (bytes > kMaxBytes)
        return Format(L"새메시지 - 문자 초과 (%d 초과)", bytes - kMaxBytes);
    const int parts = (bytes + kPartBytes - 1) / kPartBytes;
    if (bytes <= 0)
        return Format(L"새메시지 - 남은 글자 : %d (%d/3)", kPartBytes, 0);
    return Format(L"새메시지 - 남은 글자 : %d (%d/3)", parts * kPartBytes - bytes, parts);
}

// --- creation and layout ------------------------------------------------------

int CCeMSmsSenderWnd::OnCreate(HWND hwnd, LPCREATESTRUCTW cs)
{
    m_hWnd = hwnd;
    const int w = cs->cx, h = cs->cy;
    m_hFont = CreateFontW(12, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, VARIABLE_PITCH, L"Tahoma");
    m_hTextFont = CreateFontW(15, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, L"Courier New");

    const DWORD edit = WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP;
    m_callbackEdit.Create(L"", edit, {kRight + 4, 26, w - kRight - 11, 20}, hwnd, kCallback);
    m_recipientEdit.Create(L"", edit, {kRight, 2, w - kRight - 3, 21}, hwnd, kRecipient);
    m_addButton.Create(L"추가", BS_PUSHBUTTON, {kRight, 26, 44, 23}, hwnd, kAdd);
    m_removeButton.Create(L"삭제", BS_PUSHBUTTON, {kRight + 46, 26, 44, 23}, hwnd, kRemove);
    m_pickButton.Create(L"찾기", BS_PUSHBUTTON, {kRight + 92, 26, w - kRight - 95, 23}, hwnd, kPick);
    m_list.Create(WS_BORDER | WS_VSCROLL | LBS_NOTIFY, {kTabLeft, kLowerTop, w - 6, h - kLowerTop - 3},
                  hwnd, kList);
    m_phraseButton.Create(L"문장저장함", BS_PUSHBUTTON, {kRight, 2, w - kRight - 3, 23}, hwnd, kPhrase);
    m_textEdit.Create(L"", WS_BORDER | ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL | ES_WANTRETURN,
                      {kTabLeft, kLowerTop, w - 6, h - kLowerTop - 3}, hwnd, kText);
    m_sendButton.Create(L"전송", BS_PUSHBUTTON, {kRight, 52, 56, 23}, hwnd, kSend);
    m_resendCheck.Create(L"실패시 재전송", BS_AUTOCHECKBOX, {kRight + 60, 52, w - kRight - 63, 23}, hwnd,
                         kResend);
    m_progress.Create(0, {10, h - 34, w - 20, 16}, hwnd, kProgress);

    for (CCeMWnd* c : std::initializer_list<CCeMWnd*>{&m_callbackEdit, &m_recipientEdit, &m_addButton,
                                                      &m_removeButton, &m_pickButton, &m_list,
                                                      &m_phraseButton, &m_sendButton, &m_resendCheck})
        SendMessageW(c->GetHwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(m_hFont), FALSE);
    SendMessageW(m_textEdit.GetHwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(m_hTextFont), FALSE);
    SendMessageW(m_callbackEdit.GetHwnd(), EM_LIMITTEXT, kEntryChars, 0);
    SendMessageW(m_recipientEdit.GetHwnd(), EM_LIMITTEXT, kEntryChars, 0);
    SendMessageW(m_textEdit.GetHwnd(), EM_LIMITTEXT, kMaxBytes, 0);
    SelectView(kViewCallback);
    return 0;
}

int CCeMSmsSenderWnd::OnDestroy(HWND hwnd)
{
    StopTimers();
    // Going away mid-run (the program ends): no verdict can reach what is
    // still queued, so it is stored as failed rather than left "sending".
    FailQueued();
    m_bWaiting = false;
    if (m_hFont)
        DeleteObject(m_hFont);
    if (m_hTextFont)
        DeleteObject(m_hTextFont);
    m_hFont = m_hTextFont = nullptr;
    return CCeMWnd::OnDestroy(hwnd);
}

void CCeMSmsSenderWnd::ShowEditingControls(bool show)
{
    const bool views[][3] = {
        {true, false, false},  // callback
        {false, true, false},  // recipient edit, buttons and list
        {false, false, true},  // phrase button and text
    };
    auto place = [&](CCeMWnd& c, bool visible) {
        ShowWindow(c.GetHwnd(), show && visible ? SW_SHOW : SW_HIDE);
    };
    const bool* v = views[m_nView];
    place(m_callbackEdit, v[0]);
    place(m_recipientEdit, v[1]);
    place(m_addButton, v[1]);
    place(m_removeButton, v[1]);
    place(m_pickButton, v[1]);
    place(m_list, v[1]);
    place(m_phraseButton, v[2]);
    place(m_textEdit, v[2]);
    place(m_sendButton, true);
    place(m_resendCheck, true);
}

void CCeMSmsSenderWnd::SelectView(int view)
{
    m_nView = std::clamp(view, 0, 2);
    if (!m_hWnd)
        return;
    ShowEditingControls(m_nPhase == kEditing);
    ShowWindow(m_progress.GetHwnd(), m_nPhase == kSending ? SW_SHOW : SW_HIDE);
    // A hidden composer takes no focus: an edit with the focus brings up
    // the input panel over whatever the user is looking at.
    if (m_nPhase == kEditing && IsWindowVisible(m_hWnd)) {
        CCeMWnd* focus[] = {&m_callbackEdit, &m_recipientEdit, &m_textEdit};
        SetFocus(focus[m_nView]->GetHwnd());
    }
    InvalidateRect(m_hWnd, nullptr, TRUE);
}

// --- editing ------------------------------------------------------------------

void CCeMSmsSenderWnd::TextChanged()
{
    const std::wstring text = WindowText(m_textEdit.GetHwnd(), GetWindowTextLengthW(m_textEdit.GetHwnd()));
    const int chars = static_cast<int>(text.size());
    m_nBytes = TextBytes(text);
    // The room left in characters equals the bytes left; a forwarded text
    // beyond the limit only keeps more from being typed.
    SendMessageW(m_textEdit.GetHwnd(), EM_LIMITTEXT, std::max(chars - m_nBytes + kMaxBytes, 1), 0);
    if (HWND messages = MessageWindow())
        SendMessageW(messages, WM_COMMAND, MAKEWPARAM(kTextChanged, 0), reinterpret_cast<LPARAM>(m_hWnd));
}

int CCeMSmsSenderWnd::RecipientCount() const
{
    const LRESULT n = m_hWnd ? SendMessageW(m_list.GetHwnd(), LB_GETCOUNT, 0, 0) : 0;
    return n > 0 ? static_cast<int>(n) : 0;
}

std::wstring CCeMSmsSenderWnd::Recipient(int index) const
{
    const LRESULT len = SendMessageW(m_list.GetHwnd(), LB_GETTEXTLEN, index, 0);
    if (len <= 0)
        return std::wstring();
    std::wstring text(static_cast<size_t>(len) + 1, L'\0');
    SendMessageW(m_list.GetHwnd(), LB_GETTEXT, index, reinterpret_cast<LPARAM>(&text[0]));
    text.resize(static_cast<size_t>(len));
    return text;
}

void CCeMSmsSenderWnd::AddRecipient()
{
    if (RecipientCount() >= kMaxRecipients) {
        CCeMMsgBox::Show(m_hWnd, L"동시 전송은 최대 30명까지만 가능합니다.", kNotice,
                         CCeMDialog::kLayoutOneButton, 0);
        return;
    }
    const std::wstring number = WindowText(m_recipientEdit.GetHwnd(), kRecipientRead);
    if (number.empty())
        return;
    if (!IsNumber(number)) {
        CCeMMsgBox::Show(m_hWnd, L"입력한 휴대폰 번호가\r\n올바르지 않습니다.", kNotice,
                         CCeMDialog::kLayoutOneButton, 0);
        SetFocus(m_recipientEdit.GetHwnd());
        return;
    }
    SendMessageW(m_list.GetHwnd(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(number.c_str()));
    SetWindowTextW(m_recipientEdit.GetHwnd(), L"");
}

void CCeMSmsSenderWnd::RemoveRecipient()
{
    const LRESULT sel = SendMessageW(m_list.GetHwnd(), LB_GETCURSEL, 0, 0);
    if (sel == LB_ERR)
        return;
    SendMessageW(m_list.GetHwnd(), LB_DELETESTRING, sel, 0);
    const int count = RecipientCount();
    if (count > 0)
        SendMessageW(m_list.GetHwnd(), LB_SETCURSEL, sel < count ? sel : 0, 0);
}

void CCeMSmsSenderWnd::PickRecipients()
{
    SipShowIM(SIPF_OFF);
    CCeMMultiPicker picker(m_pContacts, m_pCategories);
    for (int i = 0; i < RecipientCount(); ++i)
        picker.AddPreselected(Recipient(i).c_str());
    if (picker.Run(m_hWnd) != 1)
        return;
    SendMessageW(m_list.GetHwnd(), LB_RESETCONTENT, 0, 0);
    for (int i = 0; i < picker.Count() && RecipientCount() < kMaxRecipients; ++i) {
        const LPCWSTR number = picker.Number(i);
        if (number && IsNumber(number))
            SendMessageW(m_list.GetHwnd(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(number));
    }
}

void CCeMSmsSenderWnd::InsertPhrase()
{
    CCeMPhraseBox box;
    if (box.Run(m_hWnd) != 1)
        return;
    const std::wstring text = WindowText(m_textEdit.GetHwnd(), GetWindowTextLengthW(m_textEdit.GetHwnd()));
    if (TextBytes(text) + TextBytes(box.Chosen()) > kMaxBytes) {
        CCeMMsgBox::Show(m_hWnd, L"입력 가능한\r\n\r\n문자가 초과되었습니다.", kError,
                         CCeMDialog::kLayoutOneButton, 0);
        return;
    }
    SetWindowTextW(m_textEdit.GetHwnd(), (text + box.Chosen()).c_str());
    TextChanged();
}

void CCeMSmsSenderWnd::ShowFor(LPCWSTR number, LPCWSTR text)
{
    if (!m_hWnd)
        return;
    SendMessageW(m_list.GetHwnd(), LB_RESETCONTENT, 0, 0);
    if (number && *number)
        SendMessageW(m_list.GetHwnd(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(number));
    SetWindowTextW(m_textEdit.GetHwnd(), text ? text : L"");
    TextChanged();
    SelectView(kViewText);
    // Typing goes on behind the given text, not in front of it.
    const int end = GetWindowTextLengthW(m_textEdit.GetHwnd());
    SendMessageW(m_textEdit.GetHwnd(), EM_SETSEL, end, end);
}

void CCeMSmsSenderWnd::OnShow(BOOL show)
{
    if (!show)
        return;
    if (m_nPhase == kFinished) {
        m_nPhase = kEditing;
        m_nSuccess = m_nFailure = 0;
        m_nView = kViewCallback;
    }
    if (m_nPhase != kEditing)
        return;
    // Without a number from the module, what the user typed stays.
    if (!m_ownNumber.empty())
        SetWindowTextW(m_callbackEdit.GetHwnd(), m_ownNumber.c_str());
    SelectView(m_nView);
}

// --- sending ------------------------------------------------------------------

void CCeMSmsSenderWnd::Send()
{
    if (m_nPhase != kEditing)
        return;
    if (RecipientCount() == 0) {
        CCeMMsgBox::Show(m_hWnd, L"메시지를 받는 사람을\r\n입력해 주십시오.", kError,
                         CCeMDialog::kLayoutOneButton, 0);
        SelectView(kViewRecipients);
        return;
    }
    const std::wstring text = WindowText(m_textEdit.GetHwnd(), GetWindowTextLengthW(m_textEdit.GetHwnd()));
    const std::vector<std::wstring> parts = CutIntoParts(text);
    if (parts.empty()) {
        CCeMMsgBox::Show(m_hWnd, L"전송할 메시지를\r\n입력해 주십시오.", kError,
                         CCeMDialog::kLayoutOneButton, 0);
        SelectView(kViewText);
        return;
    }
    const std::wstring callback = WindowText(m_callbackEdit.GetHwnd(), kCallbackRead - 1);
    if (!g_pfnWideToMultiByte(callback.c_str(), m_szCallback, sizeof m_szCallback))
        m_szCallback[0] = 0;

    CCeSmsDB& store = Store();
    CCeContactsDB* contacts = Contacts();
    int unstored = 0;
    m_Queue.RemoveAll();
    for (int r = 0; r < RecipientCount(); ++r) {
        const std::wstring number = Recipient(r);
        WCHAR name[65] = {};
        if (contacts)
            contacts->NameByNumber(number.c_str(), name, nullptr, 65);
        for (const std::wstring& part : parts) {
            SmsItem* item = store.AddSent(number.c_str(), part.c_str(), kSmsSending, name);
            // A message that cannot be stored is not sent: it would leave
            // no trace of itself; it counts as failed instead.
            if (item)
                m_Queue.AddTail(item);
            else
                ++unstored;
        }
    }
    store.Recount();

    SipShowIM(SIPF_OFF);
    m_nPhase = kSending;
    m_nSuccess = 0;
    m_nFailure = unstored;
    m_bResend = SendMessageW(m_resendCheck.GetHwnd(), BM_GETCHECK, 0, 0) == BST_CHECKED;
    ShowEditingControls(false);
    const HWND bar = m_progress.GetHwnd();
    SendMessageW(bar, PBM_SETRANGE32, 0, m_Queue.GetCount() + unstored);
    SendMessageW(bar, PBM_SETSTEP, 1, 0);
    SendMessageW(bar, PBM_SETPOS, unstored, 0);
    ShowWindow(bar, SW_SHOW);
    SetFocus(m_hWnd);
    if (HWND main = MainWindow())
        SendMessageW(main, WM_CHILDNOTIFY, kNotifySending, reinterpret_cast<LPARAM>(m_hWnd));
    m_nFrame = 0;
    SetTimer(m_hWnd, kAnimationTimer, 200, nullptr);
    SetTimer(m_hWnd, kAckTimer, 1000, nullptr);
    InvalidateRect(m_hWnd, nullptr, TRUE);
    if (!SendNext())
        Finish();
}

void CCeMSmsSenderWnd::StepFailure(SmsItem* item)
{
    SendMessageW(m_progress.GetHwnd(), PBM_STEPIT, 0, 0);
    Store().SetSendResult(item, 0);
    Store().Recount();
    ++m_nFailure;
}

bool CCeMSmsSenderWnd::SendNext()
{
    m_bWaiting = false;
    CCeMAtSender* link = Link();
    while (m_Queue.GetCount() > 0) {
        SmsItem* head = static_cast<SmsItem*>(m_Queue.GetAt(0));
        // Set before issuing: the module's answer may be handled while the
        // line is still being issued.
        m_dwLastSend = GetTickCount();
        m_bWaiting = true;
        m_bAnswered = false;
        if (link && link->SendTextMessage(head->szNumber, m_szCallback, head->szText)) {
            InvalidateRect(m_hWnd, nullptr, TRUE);
            return true;
        }
        m_bWaiting = false;
        StepFailure(head);
        m_Queue.RemoveAt(0);
    }
    InvalidateRect(m_hWnd, nullptr, TRUE);
    return false;
}

void CCeMSmsSenderWnd::OnSendAnswered(int ok)
{
    if (!m_bWaiting || m_bAnswered || m_Queue.GetCount() == 0)
        return;
    if (ok)
        m_bAnswered = true;
    else
        Settle(0);
}

void CCeMSmsSenderWnd::OnSendResult(int success)
{
    if (!m_bAnswered)
        return;
    Settle(success == 1 ? 1 : 0);
}

void CCeMSmsSenderWnd::Settle(int success)
{
    if (m_Queue.GetCount() == 0)
        return;
    SmsItem* head = static_cast<SmsItem*>(m_Queue.GetAt(0));
    if (success || !m_bResend) {
        m_Queue.RemoveAt(0);
        Store().SetSendResult(head, success);
        Store().Recount();
        SendMessageW(m_progress.GetHwnd(), PBM_STEPIT, 0, 0);
        ++(success ? m_nSuccess : m_nFailure);
    }
    // The run ends when nothing is left to wait for: a last message being
    // sent again is still waited for, so the summary tells its outcome.
    if (!SendNext())
        Finish();
}

bool CCeMSmsSenderWnd::SendTimedOut() const
{
    return m_nPhase == kSending && m_bWaiting && GetTickCount() - m_dwLastSend >= m_ackTimeoutMs;
}

void CCeMSmsSenderWnd::OnSendTimeout()
{
    if (SendTimedOut())
        Settle(0);
}

void CCeMSmsSenderWnd::FailQueued()
{
    while (m_Queue.GetCount() > 0) {
        StepFailure(static_cast<SmsItem*>(m_Queue.GetAt(0)));
        m_Queue.RemoveAt(0);
    }
}

void CCeMSmsSenderWnd::AbortAll()
{
    FailQueued();
    m_bWaiting = false;
    m_bAnswered = false;
    Store().Recount();
    if (m_nPhase == kSending)
        Finish();
}

void CCeMSmsSenderWnd::StopTimers()
{
    if (!m_hWnd)
        return;
    KillTimer(m_hWnd, kAnimationTimer);
    KillTimer(m_hWnd, kAckTimer);
}

void CCeMSmsSenderWnd::Finish()
{
    StopTimers();
    m_bWaiting = false;
    m_bAnswered = false;
    m_nPhase = kFinished;
    SetWindowTextW(m_textEdit.GetHwnd(), L"");
    SetWindowTextW(m_recipientEdit.GetHwnd(), L"");
    SendMessageW(m_list.GetHwnd(), LB_RESETCONTENT, 0, 0);
    TextChanged();
    ShowWindow(m_progress.GetHwnd(), SW_HIDE);
    if (HWND main = MainWindow())
        SendMessageW(main, WM_CHILDNOTIFY, kNotifyFinished, reinterpret_cast<LPARAM>(m_hWnd));
    InvalidateRect(m_hWnd, nullptr, TRUE);
}

// --- messages -----------------------------------------------------------------

int CCeMSmsSenderWnd::OnCommand(int code, int id, HWND control)
{
    switch (id) {
    case kAdd:
        AddRecipient();
        return 0;
    case kRemove:
        RemoveRecipient();
        return 0;
    case kPick:
        PickRecipients();
        return 0;
    case kPhrase:
        InsertPhrase();
        return 0;
    case kSend:
        Send();
        return 0;
    case kText:
        if (code == EN_CHANGE)
            TextChanged();
        return 0;
    default:
        return CCeMWnd::OnCommand(code, id, control);
    }
}

LRESULT CCeMSmsSenderWnd::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_MODEM_SMSSENT:
        OnSendResult(wp == 1 ? 1 : 0);
        return 0;
    case WM_MODEM_RESULT:
        if (wp == CCeMAtSender::SMS_SEND_ID)
            OnSendAnswered(lp ? 1 : 0);
        return 0;
    case WM_CHILDNOTIFY:
        // Enter released in the recipient edit adds what was typed.
        if (wp == 0 && reinterpret_cast<HWND>(lp) == m_recipientEdit.GetHwnd() && m_nPhase == kEditing)
            AddRecipient();
        return 0;
    case WM_TIMER:
        if (wp == kAnimationTimer) {
            m_nFrame = (m_nFrame + 1) % kFrames;
            InvalidateRect(hwnd, nullptr, FALSE);
        } else if (wp == kAckTimer) {
            OnSendTimeout();
        }
        return 0;
    case WM_SHOWWINDOW:
        OnShow(static_cast<BOOL>(wp));
        break;
    default:
        break;
    }
    return CCeMWnd::WindowProc(hwnd, msg, wp, lp);
}

int CCeMSmsSenderWnd::OnLButtonDown(WPARAM, int x, int y)
{
    if (m_nPhase != kEditing || x < kTabLeft || x > kTabRight)
        return 0;
    for (int v = 0; v < 3; ++v) {
        if (y <= kTabBottoms[v]) {
            SelectView(v);
            break;
        }
    }
    return 0;
}

std::wstring CCeMSmsSenderWnd::StatusText() const
{
    if (m_nPhase == kSending) {
        std::wstring who;
        if (m_Queue.GetCount() > 0) {
            const SmsItem* head = static_cast<const SmsItem*>(m_Queue.GetAt(0));
            wchar_t number[65] = {};
            if (head->szName[0]) {
                who = L"\"" + std::wstring(head->szName) + L"\"\r\n님에게 전송중입니다.";
            } else {
                g_pfnMultiByteToWide(head->szNumber, number, 65);
                who = L"\"" + std::wstring(number) + L"\"\r\n번호로 전송중입니다.";
            }
        }
        return who + L"\n" + Format(L"남은 메시지 : %2d개", m_Queue.GetCount()) + L"\n" +
               Format(L"성공 : %2d개,  실패 : %2d개", m_nSuccess, m_nFailure);
    }
    if (m_nPhase == kFinished)
        return L"<< 문자 메시지를 모두 전송 했습니다. >>\n" +
               Format(L"총 : %2d개,  성공 : %2d개,  실패 : %2d개", m_nSuccess + m_nFailure, m_nSuccess,
                      m_nFailure);
    return std::wstring();
}

void CCeMSmsSenderWnd::OnPaint(HWND hwnd)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT client;
    GetClientRect(hwnd, &client);
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    HGDIOBJ oldFont = SelectObject(dc, m_hFont);
    SetBkMode(dc, TRANSPARENT);

    if (m_nPhase == kEditing) {
        int top = 0;
        for (int v = 0; v < 3; ++v) {
            RECT tab = {kTabLeft, top, kTabRight, kTabBottoms[v]};
            HBRUSH fill = CreateSolidBrush(v == m_nView ? kTabColor : RGB(214, 222, 236));
            FillRect(dc, &tab, fill);
            DeleteObject(fill);
            FrameRect(dc, &tab, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
            SetTextColor(dc, v == m_nView ? RGB(255, 255, 255) : RGB(0, 0, 0));
            DrawTextW(dc, kTabNames[v], -1, &tab, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
            top = kTabBottoms[v] + 1;
        }
        SetTextColor(dc, RGB(0, 0, 0));
        if (m_nView == kViewCallback) {
            HPEN pen = CreatePen(PS_SOLID, 1, kTabColor);
            HGDIOBJ oldPen = SelectObject(dc, pen);
            HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
            RoundRect(dc, kRight, 0, client.right - 3, 50, 10, 10);
            SelectObject(dc, oldBrush);
            SelectObject(dc, oldPen);
            DeleteObject(pen);
            RECT label = {kRight + 4, 4, client.right - 5, 22};
            DrawTextW(dc, L"보내는 사람 전화 번호", -1, &label, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
        }
    } else {
        SetTextColor(dc, RGB(0, 0, 0));
        const std::wstring status = StatusText();
        std::vector<std::wstring> lines;
        for (size_t start = 0;;) {
            const size_t end = status.find(L'\n', start);
            lines.push_back(status.substr(start, end - start));
            if (end == std::wstring::npos)
                break;
            start = end + 1;
        }
        int y = 20;
        for (const std::wstring& line : lines) {
            RECT r = {0, y, client.right, y + 40};
            const int used = DrawTextW(dc, line.c_str(), -1, &r, DT_CENTER | DT_NOPREFIX | DT_WORDBREAK);
            y += std::max(used, 16) + 6;
        }
        if (m_nPhase == kSending) {
            // An envelope travelling along a line, one step per frame.
            const int left = 30, right = client.right - 30, base = y + 40;
            HPEN pen = CreatePen(PS_SOLID, 1, kTabColor);
            HGDIOBJ oldPen = SelectObject(dc, pen);
            MoveToEx(dc, left, base + 12, nullptr);
            LineTo(dc, right, base + 12);
            const int x = left + (right - left - 30) * m_nFrame / (kFrames - 1);
            Rectangle(dc, x, base - 8, x + 30, base + 10);
            MoveToEx(dc, x, base - 8, nullptr);
            LineTo(dc, x + 15, base + 2);
            LineTo(dc, x + 30, base - 8);
            SelectObject(dc, oldPen);
            DeleteObject(pen);
        }
    }
    SelectObject(dc, oldFont);
    EndPaint(hwnd, &ps);
}

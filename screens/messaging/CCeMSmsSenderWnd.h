#pragma once
// The composer: a callback number, up to 30 recipients and a text, sent as
// up to three parts per recipient one after the other through the module,
// each stored first as a message being sent. A child window of any parent;
// the owner passes on the module's send verdicts (WM_MODEM_SMSSENT).
#include <string>
#include <vector>

#include "stores/CCePtrList.h"
#include "stores/CCeSmsDB.h"
#include "toolkit/CCeMControls.h"
#include "toolkit/CCeMEdit.h"
#include "toolkit/CCeMWnd.h"

class CCeMAtSender;
class CCeCategoriesDB;
class CCeContactsDB;

class CCeMSmsSenderWnd : public CCeMWnd {
public:
    enum Control {
        kPick = 100,
        kSend = 101,
        kText = 102,
        kAdd = 103,
        kRemove = 104,
        kList = 105,
        kPhrase = 106,
        kCallback = 107,
        kRecipient = 108,
        kResend = 109,
        kProgress = 110,
    };
    enum Phase { kEditing = 0, kSending = 1, kFinished = 2 };
    enum View { kViewCallback = 0, kViewRecipients = 1, kViewText = 2 };

    static constexpr int kMaxRecipients = 30;
    static constexpr int kPartBytes = 80;
    static constexpr int kMaxParts = 3;
    static constexpr int kMaxBytes = kPartBytes * kMaxParts;
    static constexpr int kEntryChars = 30;    // typed into the number edits
    static constexpr int kRecipientRead = 128;
    static constexpr int kCallbackRead = 64;
    static constexpr int kOwnNumberChars = 32;
    static constexpr int kFrames = 15;
    static constexpr UINT kAnimationTimer = 1000;
    static constexpr UINT kAckTimer = 1001;
    // Longest wait for the module's verdict on one message before it counts
    // as failed (or is sent again when resending is on).
    static constexpr DWORD kDefaultAckTimeoutMs = 60000;
    // Sent to the message window whenever the text changes.
    static constexpr int kTextChanged = 110;
    // Child notification codes to the main window.
    static constexpr int kNotifySending = 6;
    static constexpr int kNotifyFinished = 7;

    // Null store, link, contacts or categories: the program's own
    // (g_pDataManager).
    explicit CCeMSmsSenderWnd(CCeSmsDB* store = nullptr, CCeMAtSender* link = nullptr,
                              CCeContactsDB* contacts = nullptr, CCeCategoriesDB* categories = nullptr);
    ~CCeMSmsSenderWnd() override;

    using CCeMWnd::Create;
    int Create(const CCeMPlacement& pl, HWND parent, DWORD style, UINT id);
    // Where the start and end of a run are told (default: the top-level
    // window) and where the text changes are told (default: the parent).
    void SetNotifyWindows(HWND main, HWND messages);
    // The phone's own number, offered as callback number when shown.
    void SetOwnNumber(LPCWSTR number);
    void SetAckTimeout(DWORD ms) { m_ackTimeoutMs = ms; }

    // Reply and forward: one recipient (or none), the text in view 2.
    void ShowFor(LPCWSTR number, LPCWSTR text);
    void OnShow(BOOL show);
    // The module's answer to the send line of the message at the head (the
    // link's result for AT$SMSMO): an error fails that message at once, as
    // a refusal would; an OK lets the verdicts that follow count for it.
    void OnSendAnswered(int ok);
    // The module's verdict on the message at the head of the queue. One
    // that comes before its send line was answered is a late verdict on an
    // earlier message (its time-out already settled it) and is ignored.
    void OnSendResult(int success);
    // Every queued message fails; the run finishes.
    void AbortAll();
    // True while a run waits longer than the time-out for a verdict; the
    // phone core may ask this on its tick and call OnSendTimeout.
    bool SendTimedOut() const;
    // A verdict that did not come counts as a failure.
    void OnSendTimeout();

    int OnCreate(HWND hwnd, LPCREATESTRUCTW cs) override;
    int OnDestroy(HWND hwnd) override;
    int OnCommand(int code, int id, HWND control) override;
    void OnPaint(HWND hwnd) override;
    int OnLButtonDown(WPARAM keys, int x, int y) override;
    LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) override;

    // The byte rule: 2 for a character of code 256 or more, else 1.
    static int TextBytes(const std::wstring& text);
    // The text cut into at most three parts at whole characters.
    static std::vector<std::wstring> CutIntoParts(const std::wstring& text);
    // The message window's title for a text of `bytes`; `excess` tells
    // whether it is to be drawn in red.
    static std::wstring TitleText(int bytes, bool* excess);

    int Phase() const { return m_nPhase; }
    int CurrentView() const { return m_nView; }
    int Bytes() const { return m_nBytes; }
    int Successes() const { return m_nSuccess; }
    int Failures() const { return m_nFailure; }
    int Queued() const { return m_Queue.GetCount(); }
    int Frame() const { return m_nFrame; }
    int RecipientCount() const;
    std::wstring Recipient(int index) const;
    HWND Control(int id) const { return GetDlgItem(m_hWnd, id); }
    // The text the composer draws in phases 1 and 2 (lines joined by \n).
    std::wstring StatusText() const;

private:
    CCeSmsDB& Store() const;
    CCeMAtSender* Link() const;
    CCeContactsDB* Contacts() const;
    HWND MainWindow() const;
    HWND MessageWindow() const;
    void SelectView(int view);
    void ShowEditingControls(bool show);
    void TextChanged();
    void AddRecipient();
    void RemoveRecipient();
    void PickRecipients();
    void InsertPhrase();
    void Send();
    // Issues the head of the queue; items that cannot be issued fail at
    // once. False when nothing was issued.
    bool SendNext();
    // The head's outcome: counted, stored and the next one sent.
    void Settle(int success);
    void StepFailure(SmsItem* item);
    // Every queued message stored as failed and counted.
    void FailQueued();
    void Finish();
    void StopTimers();

    CCeSmsDB* m_pStore;
    CCeMAtSender* m_pLink;
    CCeContactsDB* m_pContacts;
    CCeCategoriesDB* m_pCategories;
    HWND m_hMain;
    HWND m_hMessages;
    std::wstring m_ownNumber;

    int m_nPhase;
    int m_nView;
    CCePtrList m_Queue;
    int m_nSuccess;
    int m_nFailure;
    int m_bResend;
    char m_szCallback[kCallbackRead];
    int m_nBytes;
    DWORD m_dwLastSend;
    bool m_bWaiting;
    bool m_bAnswered;  // the head's send line was taken by the module
    int m_nFrame;
    DWORD m_ackTimeoutMs;

    HFONT m_hFont;
    HFONT m_hTextFont;
    CCeMEdit m_callbackEdit;
    CCeMEdit m_recipientEdit;
    CCeMListBox m_list;
    CCeMButton m_addButton;
    CCeMButton m_removeButton;
    CCeMButton m_pickButton;
    CCeMButton m_sendButton;
    CCeMButton m_phraseButton;
    CCeMEdit m_textEdit;
    CCeMButton m_resendCheck;
    CCeMProgress m_progress;
};

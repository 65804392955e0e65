#pragma once
// The number-assignment service screen: programs a new own number, selects
// the active number assignment (each inside the modal countdown), and shows
// the module's engineering values.
#include <string>
#include <vector>

#include "modem/ModemRecords.h"
#include "screens/service/CCeMTabScreen.h"

class CCeMWndNam : public CCeMTabScreen {
public:
    static constexpr UINT kChangeNumber = 101;
    static constexpr UINT kFirstNam = 102;  // radios 102-106
    static constexpr UINT kSelectNam = 107;
    static constexpr UINT kNumberEdit = 110;
    static constexpr UINT kPollTimer = 1;
    static constexpr UINT kAnswerTimer = 2;
    static constexpr DWORD kDefaultAnswerWaitMs = 10000;
    static constexpr int kAssignments = 5;

    explicit CCeMWndNam(CCeDataManager& data);
    ~CCeMWndNam() override;

    int OnCommand(int notifyCode, int id, HWND control) override;
    int OnDestroy(HWND hwnd) override;
    LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) override;

    // The result of the assignment query arrived (the phone core passes it on).
    void ShowAssignment();
    // The engineering values arrived.
    void OnStatusInfo();

    // Button 101 and 107; 1 when the countdown ran, 0 when refused.
    int ChangeNumber();
    int SelectAssignment();
    // Milliseconds per countdown step (a second unless a test hurries it).
    void SetCountdownTickMs(UINT ms) { m_uTickMs = ms; }
    // How long, after programming, the module may take to answer again.
    void SetAnswerWait(DWORD ms) { m_dwAnswerWait = ms; }
    // What the screen says about the module after programming ("" when all is well).
    const wchar_t* StatusText() const { return m_pszStatus; }

    // The ten lines of the engineering display.
    static std::vector<std::wstring> EngineeringLines(const ModemStatus& s);
    // A new number must be 10 or 11 digits.
    static bool IsProgrammableNumber(const wchar_t* text);
    void PageText(wchar_t* out, int outChars) const override;

protected:
    void CreateControls(HWND hwnd) override;
    void OnTabChanged(int tab) override;
    void PaintPage(HDC dc) override;
    virtual void ShowNotice(LPCWSTR text, LPCWSTR caption);
    // Runs the countdown; virtual so a test can watch it.
    virtual void RunCountdown(int mode, const char* number, int index);

private:
    UINT m_uTickMs;
    DWORD m_dwAnswerWait;
    const wchar_t* m_pszStatus;
};

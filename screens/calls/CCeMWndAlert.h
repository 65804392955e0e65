#pragma once
// The ring tone and alert sound screen: page 0 chooses how a call rings
// (the module, a sound file of the bell folder, or silence) with a preview;
// page 1 switches the effect sounds and the minute tone. Every change is
// saved at once.
#include "CCeMCallScreen.h"
#include "toolkit/CCeMControls.h"

class CCeMAtSender;
class CCeMpegThread;

class CCeMWndAlert : public CCeMCallScreen {
public:
    enum ControlId {
        kModuleBellId = 101, kHandheldBellId = 102, kBellListId = 103, kSilentId = 104,
        kKeypadId = 111, kConnectId = 112, kDisconnectId = 113, kMessageId = 114, kMinuteId = 115, kMinuteChoiceId = 116,
    };
    static constexpr int kAlertIndicator = 3;  // child notification: the alert indicator changed

    // `module` may be null (no module commands are sent then).
    CCeMWndAlert(CCeDataManager& data, CCeMAtSender* module, int page);
    ~CCeMWndAlert() override;

    int OnCreate(HWND hwnd, LPCREATESTRUCTW cs) override;
    int OnDestroy(HWND hwnd) override;
    int OnCommand(int notifyCode, int id, HWND control) override;
    int OnLButtonDown(WPARAM keys, int x, int y) override;

    void SetPage(int page);
    int Page() const { return m_nPage; }
    // Fills the ring tone list from the bell folder; true when it holds a file.
    bool FillBellList();

protected:
    void PaintBody(HDC dc) override;

private:
    void ShowPage();
    void StopPreview();
    void Preview();
    void SelectedFile(wchar_t (&out)[260]) const;
    void NotifyAlert();
    void SetRadio(int id);
    void OnRingSource(int id);
    void OnToggle(int id);
    HWND Item(int id) const { return GetDlgItem(m_hWnd, id); }
    CCeMpegThread* Player() const;

    CCeMAtSender* m_pModule;
    int m_nPage;
    CCeMButton m_Radio[3];
    CCeMListBox m_Bells;
    CCeMButton m_Check[5];
    CCeMComboBox m_Minutes;
};

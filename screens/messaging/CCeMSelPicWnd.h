#pragma once
// The picture picker of the phonebook: the bitmap files of a folder in a
// list; the chosen name goes to the owner as command 110 (lParam the name).
#include <windows.h>

#include <string>
#include <vector>

#include "toolkit/CCeMControls.h"
#include "toolkit/CCeMWnd.h"

class CCeMSelPicWnd : public CCeMWnd {
public:
    enum Control { kList = 100, kOk = IDOK, kCancel = IDCANCEL };
    static constexpr int kChosenCommand = 110;

    explicit CCeMSelPicWnd(LPCWSTR folder);
    ~CCeMSelPicWnd() override;

    // Shows the picker over `owner`, which it disables, until the user
    // confirms or cancels; 1 when a name was chosen and sent to `target`.
    int Run(HWND owner, HWND target);
    const std::wstring& Chosen() const { return m_chosen; }
    HWND ListBox() const { return m_list.GetHwnd(); }
    // The "*.bmp" names of a folder in name order.
    static std::vector<std::wstring> Pictures(LPCWSTR folder);

    int OnCreate(HWND hwnd, LPCREATESTRUCTW cs) override;
    int OnDestroy(HWND hwnd) override;
    int OnCommand(int code, int id, HWND control) override;
    void OnPaint(HWND hwnd) override;
    LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void Confirm();
    void End(int result);

    std::wstring m_folder;
    std::wstring m_chosen;
    CCeMListBox m_list;
    CCeMButton m_ok;
    CCeMButton m_cancel;
    HFONT m_hFont = nullptr;
    int m_nResult = 0;
    bool m_bDone = false;
};

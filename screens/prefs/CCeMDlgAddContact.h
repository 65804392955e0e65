#pragma once
// Stores a phone number as a new contact: family and/or given name, the kind
// of number, an optional group. A number already known never opens it.
#include "toolkit/CCeMDialog.h"
#include "toolkit/CCeMImageButton.h"

class CCeMDlgAddContact : public CCeMDialog {
public:
    static constexpr UINT kTemplateId = 196;
    static constexpr int kNumberChars = 64;

    CCeMDlgAddContact();
    ~CCeMDlgAddContact() override;

    // 0 without opening when a contact has the number already; else 1 after
    // a save, 2 on Cancel (-1 when the dialog could not be shown).
    INT_PTR Show(LPCWSTR number, HWND parent);

    void OnInitControls(HWND hwnd) override;
    int OnCommand(int code, int id, HWND control) override;
    void OnPaint(HWND hwnd) override;
    LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) override;

private:
    // Moves the dialog up into the space the input panel leaves (its
    // buttons would be under the panel).
    void KeepAboveInputPanel();
    // 1 when the contact was stored; otherwise the user was told why.
    int Save();

    wchar_t m_szNumber[kNumberChars];
    CCeMImageButton m_okButton;
    CCeMImageButton m_cancelButton;
};

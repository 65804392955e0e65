#pragma once
// The program's message box: a caption, a centred text and image buttons for
// OK and Cancel; it closes itself after 5 seconds unless told otherwise.
#include "toolkit/CCeMDialog.h"
#include "toolkit/CCeMImageButton.h"

class CCeMMsgBox : public CCeMDialog {
public:
    static constexpr UINT kTemplateId = 192;
    static constexpr UINT kOkBitmapId = 162;
    static constexpr UINT kCancelBitmapId = 169;
    static constexpr int kDefaultSeconds = 5;
    static constexpr int kTextLength = 128;

    CCeMMsgBox();
    ~CCeMMsgBox() override;

    // Returns 1 for OK, 2 for Cancel or when the countdown ran out (-1 when the
    // box could not be shown).
    static INT_PTR Show(HWND parent, LPCWSTR text, LPCWSTR caption, int layout, int seconds);

    void SetText(LPCWSTR text);
    const wchar_t* Text() const { return m_szText; }

    int OnInitDialog(HWND hwnd) override;
    void OnInitControls(HWND hwnd) override;
    void OnPaint(HWND hwnd) override;
    int OnCommand(int code, int id, HWND control) override;

private:
    HFONT DialogFont() const;

    wchar_t m_szText[kTextLength];
    CCeMImageButton m_okButton;
    CCeMImageButton m_cancelButton;
};

#pragma once
// The phrase box: shows the saved phrases one at a time with their
// position, and gives back the one chosen.
#include <memory>
#include <string>

#include "screens/messaging/CCeMMultiButton.h"
#include "stores/CCeSmsMsgDB.h"
#include "toolkit/CCeMDialog.h"

class CCeMPhraseBox : public CCeMDialog {
public:
    enum Cell { kDelete = 0, kChoose = 1, kCancel = 2, kPrevious = 3, kNext = 4 };
    static constexpr UINT kCellsId = 1032;

    CCeMPhraseBox();
    ~CCeMPhraseBox() override;

    // 1 with the chosen text, 2 when cancelled (-1: no template).
    INT_PTR Run(HWND owner);
    const std::wstring& Chosen() const { return m_chosen; }

    int OnInitDialog(HWND hwnd) override;
    int OnCommand(int code, int id, HWND control) override;
    void OnPaint(HWND hwnd) override;

    int Position() const { return m_nPosition; }
    // "%d/%d" as drawn, "0/0" without phrases.
    std::wstring PositionText() const;
    CCeMMultiButton& Cells() { return m_cells; }

private:
    void Refresh();
    RECT PositionRect() const;

    std::unique_ptr<CCeSmsMsgDB> m_pPhrases;  // loaded while the box is open
    CCeMMultiButton m_cells;
    int m_nPosition;
    std::wstring m_chosen;
};

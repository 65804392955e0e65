#pragma once
// One window that behaves as many buttons: its area is divided into cells,
// each painted from three pictures of the whole control (normal, pressed,
// disabled). A cell reports an ordinary press when the pen is lifted over it
// and a second kind when the shell recognises tap-and-hold on it.
#include "stores/CCePtrList.h"
#include "toolkit/CCeMBitmap.h"
#include "toolkit/CCeMWnd.h"

// One button of the control.
struct MultiButtonCell {
    int left;
    int top;
    int right;
    int bottom;
    int width;
    int height;
    int id;
    int enabled;  // 1 = enabled
    int latched;  // 1 = drawn pressed until cleared
};

// How a caller describes a cell; right and bottom are computed.
struct MultiButtonCellDef {
    int left;
    int top;
    int width;
    int height;
    int id;
    int enabled;
    int latched;
};

class CCeMMultiButton : public CCeMWnd {
public:
    // Press kinds in the high word of the notification's lParam.
    static constexpr int PRESS_TAP = 1;
    static constexpr int PRESS_HOLD = 2;
    enum { IMAGE_NORMAL = 0, IMAGE_PRESSED = 1, IMAGE_DISABLED = 2, IMAGE_COUNT = 3 };

    CCeMMultiButton();
    ~CCeMMultiButton() override;

    using CCeMWnd::Create;
    // Registers "MultiButton" and creates the control as a child.
    virtual int Create(DWORD style, const CCeMPlacement& pl, HWND parent, UINT id);
    int Create(LPCWSTR title, DWORD style, const CCeMPlacement& pl, HWND parent, UINT id) override;

    LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) override;
    int OnDestroy(HWND hwnd) override;
    void OnPaint(HWND hwnd) override;
    int OnLButtonDown(WPARAM keys, int x, int y) override;
    int OnLButtonUp(WPARAM keys, int x, int y) override;
    int OnMouseMove(WPARAM keys, int x, int y) override;

    // Rows x columns equal cells over the client area, ids 0.. row by row;
    // 0 (cells kept) when either count is not positive.
    int SetGrid(int columns, int rows);
    // Replaces the cells by `count` records; 0 for a null table with a count.
    int SetCells(const MultiButtonCellDef* records, int count);

    // Each releases the images held and loads the three given (a zero id or
    // a null path leaves that image out). 1 when every image asked for was
    // loaded; one that fails is left out.
    int LoadImages(UINT normalId, UINT pressedId, UINT disabledId);
    int LoadImageFiles(LPCWSTR normalPath, LPCWSTR pressedPath, LPCWSTR disabledPath);

    // 1 when a cell had the identifier.
    int SetEnabled(int id, int enabled, int redraw);
    // Returns the number of cells.
    int SetAllEnabled(int enabled, int redraw);
    void ClearLatched(int redraw);
    void SetLatchMode(int mode, int redraw);
    void SetTapAndHold(int on) { m_bTapAndHold = on ? 1 : 0; }

    // Where the images' origin lies in the control: a picture that also
    // covers an area above the control is given a negative y.
    void SetImageOrigin(int x, int y);
    // The picture of the idle control (others draw their part of it), or null.
    CCeMBitmap* Image(int which) const;

    int CellCount() const { return m_cells.GetCount(); }
    const MultiButtonCell* CellAt(int index) const;
    // The first cell, in list order, that contains the point, or null.
    const MultiButtonCell* HitTest(int x, int y) const;
    const MultiButtonCell* TrackedCell() const { return m_pTracked; }
    bool IsTracking() const { return m_bTracking != 0; }
    int LatchMode() const { return m_nLatchMode; }

private:
    MultiButtonCell* CellAtPoint(int x, int y) const;
    MultiButtonCell* AppendCell(int left, int top, int width, int height, int id, int enabled,
                                int latched);
    void RemoveCells();
    void DropImages();
    // Loads each image whose source is given; 1 when all of those loaded.
    template <typename Source, typename Load>
    int LoadThree(const Source (&sources)[IMAGE_COUNT], Load load);
    void RedrawCell(const MultiButtonCell* cell);
    void DrawCell(HDC dc, HDC mem, const MultiButtonCell* cell, int which);
    // Sends WM_COMMAND to the parent; false when that destroyed this window.
    bool Notify(int kind, int cellId);
    void StopTracking();

    CCePtrList m_cells;  // owns its MultiButtonCell records
    MultiButtonCell* m_pTracked;
    int m_bTracking;
    int m_bTapAndHold;
    int m_nLatchMode;
    CCeMBitmap* m_pImages[IMAGE_COUNT];
    int m_bOwnsImages;
    POINT m_ptOrigin;
};

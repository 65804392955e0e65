#pragma once
// The skin screen: the skin folders of the installation folder, a preview of
// the selected one's dial-pad picture; a choice is stored and announced to
// the main window, which reloads the skin at once.
#include <string>
#include <vector>

#include "toolkit/CCeMBitmap.h"
#include "toolkit/CCeMControls.h"
#include "toolkit/CCeMImageButton.h"
#include "toolkit/CCeMWnd.h"

class CCeMWndSkin : public CCeMWnd {
public:
    enum Control { kClose = 100, kFolders = 101 };
    static constexpr int kSkinChosen = 8;  // child notification code
    static constexpr RECT kPreviewRect = {20, 45, 130, 173};

    CCeMWndSkin();
    ~CCeMWndSkin() override;

    using CCeMWnd::Create;
    // Registers "CCeMWndSkin" and creates the window as a child.
    virtual int Create(DWORD style, const CCeMPlacement& pl, HWND parent, UINT id);

    int OnCreate(HWND hwnd, LPCREATESTRUCTW cs) override;
    void OnPaint(HWND hwnd) override;
    int OnCommand(int code, int id, HWND control) override;
    int OnDestroy(HWND hwnd) override;

    // The skins offered: the folders of "Skin" whose "DialPad.bmp" loads as
    // a bitmap, in the order the file system gives them.
    static std::vector<std::wstring> FindSkins(LPCWSTR installDir);

    HWND FolderList() const { return m_folders.GetHwnd(); }
    bool HasPreview() const { return m_preview.Handle() != nullptr; }

private:
    void LoadPreview(LPCWSTR skin);
    void FillList();
    void ChooseSelected();

    CCeMImageButton m_closeButton;
    CCeMListBox m_folders;
    CCeMBitmap m_preview;
    HBITMAP m_hBackground;
    HBRUSH m_hPattern;
    HBRUSH m_hFrameBrush;
    HBITMAP m_hPreviewLabel;
    HBITMAP m_hListLabel;
    HFONT m_hFont;
};

#pragma once
// The picture picker: the bitmap files of the pictures folder in a list
// with a small preview; on confirmation it tells its owner (the contact
// list) with command 110 and closes.
#include <string>
#include <vector>

#include "toolkit/CCeMControls.h"

class CCeMSelPicWnd : public CCeMWnd {
public:
    static constexpr int kChosen = 110;  // to the owner: a picture was chosen
    enum Control { kFiles = 10, kOk = 11, kCancel = 12 };
    static constexpr int kPreviewSide = 48;

    CCeMSelPicWnd();
    ~CCeMSelPicWnd() override;

    // Over the whole client area of `owner`, listing "<folder>\*.bmp".
    int Open(HWND owner, const std::wstring& folder);
    void Close();
    bool IsOpen() const { return m_hWnd != nullptr; }
    // The name (no folder) of the picture confirmed last; empty before.
    const std::wstring& Chosen() const { return m_chosen; }
    const std::vector<std::wstring>& Files() const { return m_files; }
    HWND FileList() const { return m_list.GetHwnd(); }
    HWND Button(int id) const;
    HBITMAP Preview() const { return m_hPreview; }

    // The installation folder's "Pic", or "\Pic" when it is not known.
    static std::wstring DefaultFolder();

    int OnCreate(HWND hwnd, LPCREATESTRUCTW cs) override;
    int OnDestroy(HWND hwnd) override;
    int OnCommand(int code, int id, HWND control) override;
    void OnPaint(HWND hwnd) override;

private:
    void ReadFolder();
    void ShowPreview(int index);
    void Confirm();

    std::wstring m_folder;
    std::vector<std::wstring> m_files;
    std::wstring m_chosen;
    CCeMListBox m_list;
    CCeMButton m_ok;
    CCeMButton m_cancel;
    HBITMAP m_hPreview = nullptr;
    HWND m_hOwner = nullptr;
};

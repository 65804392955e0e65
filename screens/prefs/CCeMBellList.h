#pragma once
// What the person and group ring-tone lists share: rows of a store's
// entries under column headers, and an editor with a ring-tone choice that
// plays the chosen tone at once.
#include <string>
#include <vector>

#include "CCeMEditorList.h"
#include "toolkit/CCeMControls.h"

class CCeMBellList : public CCeMEditorList {
public:
    enum Control { kBellChoice = 110 };

    CCeMBellList(UINT pictureId, POINT pictureFromCorner, CCeMPlacement bellPlace, POINT ok, POINT cancel);

    int OnCreate(HWND hwnd, LPCREATESTRUCTW cs) override;
    int OnDestroy(HWND hwnd) override;
    int OnCommand(int code, int id, HWND control) override;
    void DrawFrame(HDC dc) override;

    // The ring tones of the installation folder's "Bell" folder: ".mp3"
    // files, then ".wav" files, folders left out; false when there is none.
    bool FillBellChoices();
    HWND BellChoice() const { return m_bellChoice.GetHwnd(); }
    // Plays the chosen ring tone at once, after stopping what this list
    // played; never while a call is under way.
    void Preview();
    // Stops the tone this list played, if it still plays.
    void StopPreview();

    // The ring-tone files of a folder, as FillBellChoices offers them.
    static std::vector<std::wstring> FindBells(LPCWSTR installDir);

protected:
    // The store behind the list.
    virtual int EntryCount() const = 0;
    virtual void LoadStore() = 0;
    // Makes the entry at `index` current (-1: none); whether there is one.
    virtual bool SelectEntry(int index) = 0;
    // The texts of an entry, one per column.
    virtual std::vector<const wchar_t*> EntryTexts(int index) const = 0;
    // Fills the editor for a new entry and shows its own fields.
    virtual void ShowFields(bool show) = 0;
    // Stores what the editor holds; false (after saying why) keeps it open.
    virtual bool SaveEditor() = 0;

    int RowCount() const override { return EntryCount(); }
    bool SyncCurrent() override { return SelectEntry(m_nSelected); }
    void AfterDelete() override;
    void ShowEditor(bool show) override;
    void EditorClosed() override { StopPreview(); }
    void DrawRows(HDC dc, int right) override;

    std::wstring ChosenBell() const;

    std::vector<prefs::HeaderColumn> m_columns;  // also where the rows' texts go

private:
    CCeMPlacement m_bellPlace;  // the ring-tone choice
    CCeMComboBox m_bellChoice;
    int m_bPreviewing;
};

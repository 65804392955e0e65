// Hangul must show as real glyphs everywhere the phone draws text: the system
// controls, dialogs built from templates, and "Tahoma" at the phone's heights.
#include <gtest/gtest.h>

#include "Screenshot.h"
#include "WinTest.h"
#include "glyph_check.h"
#include "korean_dialog.h"

namespace {

const std::wstring kHangul = L"한글전화";

INT_PTR CALLBACK NoDlgProc(HWND, UINT msg, WPARAM, LPARAM)
{
    return msg == WM_INITDIALOG;
}

TEST(CodePage, AnsiCodePageIsKorean)
{
    EXPECT_EQ(949u, GetACP());
    // "한글가" in code page 949, both ways.
    const char cp949[] = "\xC7\xD1\xB1\xDB\xB0\xA1";
    wchar_t wide[8] = {};
    ASSERT_EQ(3, MultiByteToWideChar(CP_ACP, 0, cp949, 6, wide, 8));
    EXPECT_EQ(std::wstring(L"한글가"), std::wstring(wide, 3));
    char back[8] = {};
    ASSERT_EQ(6, WideCharToMultiByte(949, 0, wide, 3, back, sizeof back, nullptr, nullptr));
    EXPECT_EQ(std::string(cp949, 6), std::string(back, 6));
}

TEST(Fonts, TahomaAtThePhonesHeightsHasHangul)
{
    HDC dc = GetDC(nullptr);
    for (int height : {13, 15, 18}) {
        HFONT font = CreateFontW(height, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, VARIABLE_PITCH,
                                 L"Tahoma");
        ASSERT_NE(nullptr, font);
        HGDIOBJ old = SelectObject(dc, font);
        std::wstring why;
        EXPECT_TRUE(HasRealGlyphs(dc, kHangul, &why)) << "height " << height << ": "
                                                      << std::string(why.begin(), why.end());
        TEXTMETRICW tm;
        ASSERT_TRUE(GetTextMetricsW(dc, &tm));
        EXPECT_NEAR(height, tm.tmHeight, 1);  // the font mapper may round a pixel
        SelectObject(dc, old);
        DeleteObject(font);
    }
    ReleaseDC(nullptr, dc);
}

TEST(Fonts, GlyphCheckRejectsMissingCharacters)
{
    // Private-use characters have no glyph: the check must be able to fail.
    HDC dc = GetDC(nullptr);
    HFONT font = CreateFontW(18, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, VARIABLE_PITCH, L"Tahoma");
    HGDIOBJ old = SelectObject(dc, font);
    EXPECT_FALSE(HasRealGlyphs(dc, L"\xE001\xE002"));
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(nullptr, dc);
}

TEST(SystemControls, ShowHangulInEveryControlClass)
{
    HINSTANCE inst = GetModuleHandleW(nullptr);
    struct ControlCase {
        const wchar_t* cls;
        DWORD style;
    } cases[] = {
        {L"EDIT", WS_BORDER | ES_AUTOHSCROLL},
        {L"BUTTON", BS_PUSHBUTTON},
        {L"COMBOBOX", CBS_DROPDOWNLIST},
        {L"LISTBOX", WS_BORDER},
        {L"STATIC", SS_LEFT},
    };
    HWND parent = CreateWindowExW(0, L"STATIC", L"부모", WS_POPUP | WS_VISIBLE, 0, 0, 240, 320,
                                  nullptr, nullptr, inst, nullptr);
    ASSERT_NE(nullptr, parent);
    HFONT gui = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    int y = 0;
    for (const auto& s : cases) {
        HWND w = CreateWindowExW(0, s.cls, L"한글전화", WS_CHILD | WS_VISIBLE | s.style, 4, y, 200,
                                 s.style == CBS_DROPDOWNLIST ? 100 : 24, parent, nullptr, inst,
                                 nullptr);
        ASSERT_NE(nullptr, w) << "class " << std::string(s.cls, s.cls + wcslen(s.cls));
        if (!wcscmp(s.cls, L"COMBOBOX")) {
            SendMessageW(w, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"한글전화"));
            SendMessageW(w, CB_SETCURSEL, 0, 0);
        } else if (!wcscmp(s.cls, L"LISTBOX")) {
            SendMessageW(w, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"한글전화"));
        }
        std::wstring why;
        // With the control's own font (none set: the system font) ...
        EXPECT_TRUE(WindowFontHasGlyphs(w, kHangul, &why)) << std::string(why.begin(), why.end());
        // ... and with the GUI font that dialogs use.
        SendMessageW(w, WM_SETFONT, reinterpret_cast<WPARAM>(gui), TRUE);
        EXPECT_TRUE(WindowFontHasGlyphs(w, kHangul, &why)) << std::string(why.begin(), why.end());
        y += 30;
    }
    zentest::PumpMessages(100);
    const auto shot = zentest::CaptureScreen();
    ASSERT_FALSE(shot.empty());
    zentest::SaveScreenshot(shot, L"korean_controls");
    // Text was drawn: the area holds more than the background and one ink colour.
    EXPECT_GT(zentest::DistinctColors(shot, RECT{0, 0, 240, 150}), 2);
    DestroyWindow(parent);
}

TEST(Dialogs, TemplateWithUtf8KoreanTextRendersHangul)
{
    HWND dlg = CreateDialogW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_KOREAN), nullptr,
                             NoDlgProc);
    ASSERT_NE(nullptr, dlg);
    SetWindowPos(dlg, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE);
    SendDlgItemMessageW(dlg, IDC_K_COMBO, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"벨소리"));
    SendDlgItemMessageW(dlg, IDC_K_COMBO, CB_SETCURSEL, 0, 0);
    SendDlgItemMessageW(dlg, IDC_K_LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"홍길동"));
    SetDlgItemTextW(dlg, IDC_K_EDIT, L"문자 메시지");

    wchar_t text[64];
    GetWindowTextW(dlg, text, 64);
    EXPECT_EQ(std::wstring(L"주소록 추가"), text);  // windres kept the UTF-8 source text
    GetDlgItemTextW(dlg, IDC_K_STATIC, text, 64);
    EXPECT_EQ(std::wstring(L"전화가 왔습니다."), text);
    GetDlgItemTextW(dlg, IDC_K_BUTTON, text, 64);
    EXPECT_EQ(std::wstring(L"확인"), text);

    for (int id : {IDC_K_STATIC, IDC_K_EDIT, IDC_K_BUTTON, IDC_K_COMBO, IDC_K_LIST}) {
        std::wstring why;
        EXPECT_TRUE(WindowFontHasGlyphs(GetDlgItem(dlg, id), L"전화확인벨", &why))
            << "control " << id << ": " << std::string(why.begin(), why.end());
    }
    zentest::PumpMessages(100);
    const auto shot = zentest::CaptureWindow(dlg);
    ASSERT_FALSE(shot.empty());
    zentest::SaveScreenshot(shot, L"korean_dialog");
    zentest::SaveScreenshot(zentest::CaptureScreen(), L"korean_dialog_screen");
    DestroyWindow(dlg);
}

}  // namespace

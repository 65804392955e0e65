#include "CCeMWndVolume.h"

#include <windows.h>

#include <commctrl.h>

#include "ScreenFrame.h"
#include "phone/SystemVolume.h"
#include "resources/prefs_res.h"
#include "stores/CCeDataManager.h"
#include "toolkit/ToolkitMessages.h"

namespace {

constexpr COLORREF kFrameColor = RGB(0, 139, 164);
constexpr int kSliderTop[3] = {50, 102, 154};
constexpr int kScaleTop[3] = {32, 84, 136};
constexpr int kLabelTop[3] = {39, 89, 139};
constexpr int kPanelTop[3] = {29, 81, 133};

bool ModuleRings() { return g_pDataManager->m_Settings.nBellSource == 1; }

}  // namespace

CCeMWndVolume::CCeMWndVolume(SystemVolume& handheld)
    : m_handheld(handheld), m_hTitle(nullptr), m_hScale(nullptr), m_hLabels{}, m_hPattern(nullptr),
      m_hFrameBrush(nullptr)
{
}

CCeMWndVolume::~CCeMWndVolume()
{
    if (m_hWnd)
        Destroy();
}

int CCeMWndVolume::Create(DWORD style, const CCeMPlacement& pl, HWND parent, UINT id)
{
    RegisterWindowClass(L"CCeMWndVolume", CS_HREDRAW | CS_VREDRAW, nullptr, nullptr, nullptr, nullptr);
    return CCeMWnd::Create(L"", style | WS_CHILD | WS_CLIPCHILDREN, pl, parent, id);
}

HWND CCeMWndVolume::Slider(int id) const
{
    return id >= kCallSlider && id <= kHandheldSlider ? m_sliders[id - kCallSlider].GetHwnd() : nullptr;
}

int CCeMWndVolume::SliderPos(int id) const
{
    HWND slider = Slider(id);
    return slider ? static_cast<int>(SendMessageW(slider, TBM_GETPOS, 0, 0)) : -1;
}

LRESULT CCeMWndVolume::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    // The sliders sit on the white panels.
    if (msg == WM_CTLCOLORSTATIC)
        return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
    return CCeMWnd::WindowProc(hwnd, msg, wp, lp);
}

int CCeMWndVolume::OnCreate(HWND hwnd, LPCREATESTRUCTW cs)
{
    const int w = cs->cx;
    m_closeButton.Create(L"", WS_VISIBLE, {w - 24, 3, 20, 20}, hwnd, kClose);
    m_closeButton.SetBitmap(IDB_VOLUME_CLOSE, 2);
    m_applyButton.Create(L"", WS_VISIBLE, {w - 46, 3, 20, 20}, hwnd, kApply);
    m_applyButton.SetBitmap(IDB_VOLUME_APPLY, 2);
    const int maxima[3] = {kModuleSteps, kModuleSteps, kHandheldSteps};
    for (int i = 0; i < 3; ++i) {
        m_sliders[i].Create(WS_VISIBLE | TBS_AUTOTICKS, {103, kSliderTop[i], 120, 26}, hwnd, kCallSlider + i);
        SendMessageW(m_sliders[i].GetHwnd(), TBM_SETRANGE, FALSE, MAKELPARAM(0, maxima[i]));
    }
    if (HBITMAP pattern = prefs::LoadPicture(IDB_VOLUME_PATTERN)) {
        m_hPattern = CreatePatternBrush(pattern);
        DeleteObject(pattern);  // the brush keeps its own copy
    }
    m_hFrameBrush = CreateSolidBrush(kFrameColor);
    m_hTitle = prefs::LoadPicture(IDB_VOLUME_TITLE);
    m_hScale = prefs::LoadPicture(IDB_VOLUME_SCALE);
    m_hLabels[0] = prefs::LoadPicture(IDB_VOLUME_CALL);
    m_hLabels[1] = prefs::LoadPicture(IDB_VOLUME_RING);
    m_hLabels[2] = prefs::LoadPicture(IDB_VOLUME_PDA);
    Refresh();
    return 0;
}

void CCeMWndVolume::Refresh()
{
    const ModemStatus& status = g_pDataManager->m_Modem.Status;
    SendMessageW(Slider(kCallSlider), TBM_SETPOS, TRUE, status.speakerVolume);
    SendMessageW(Slider(kHandheldSlider), TBM_SETPOS, TRUE, m_handheld.ReadStep());
    // The module's ring volume means nothing while the module does not ring.
    const bool rings = ModuleRings();
    SendMessageW(Slider(kRingSlider), TBM_SETPOS, TRUE, rings ? status.ringVolume : 0);
    EnableWindow(Slider(kRingSlider), rings ? TRUE : FALSE);
}

void CCeMWndVolume::OnPaint(HWND hwnd)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT rc;
    GetClientRect(hwnd, &rc);
    FillRect(dc, &rc, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    if (m_hTitle) {
        prefs::DrawPicture(dc, m_hTitle, 0, 0);
    } else {
        RECT band = {0, 0, rc.right, prefs::kTitleBand};
        FillRect(dc, &band, m_hFrameBrush);
    }
    RECT body = {0, prefs::kTitleBand, rc.right, rc.bottom};
    if (m_hPattern)
        FillRect(dc, &body, m_hPattern);
    prefs::DrawSideFrame(dc, rc.right, rc.bottom, prefs::kTitleBand, m_hFrameBrush);
    prefs::DrawTitle(dc, L"볼륨 조절");
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(WHITE_BRUSH));
    for (int i = 0; i < 3; ++i) {
        RoundRect(dc, 10, kPanelTop[i], 229, kPanelTop[i] + 50, 10, 10);
        prefs::DrawPicture(dc, m_hScale, 111, kScaleTop[i]);
        prefs::DrawPicture(dc, m_hLabels[i], 20, kLabelTop[i]);
    }
    SelectObject(dc, oldBrush);
    EndPaint(hwnd, &ps);
}

void CCeMWndVolume::Apply()
{
    CCeMModem& link = g_pDataManager->m_Modem;
    SettingsBlock& settings = g_pDataManager->m_Settings;
    const int call = SliderPos(kCallSlider);
    if (call != link.Status.speakerVolume) {
        link.Status.speakerVolume = call;
        link.CmdSetVolume(call);
    }
    if (ModuleRings()) {
        const int ring = SliderPos(kRingSlider);
        if (ring != link.Status.ringVolume) {
            link.Status.ringVolume = ring;
            settings.nModuleBellVolume = ring;
            link.CmdSetRingVolume(ring);
            g_pDataManager->m_EnvDB.Save();
        }
    }
    m_handheld.SetStep(SliderPos(kHandheldSlider), 1);
    SendMessageW(GetParent(m_hWnd), WM_CHILDNOTIFY, 1, reinterpret_cast<LPARAM>(this));
}

int CCeMWndVolume::OnCommand(int code, int id, HWND control)
{
    switch (id) {
    case kClose:
        prefs::SendCloseRequest(m_hWnd);
        return 0;
    case kApply:
        Apply();
        return 0;
    default:
        return CCeMWnd::OnCommand(code, id, control);
    }
}

int CCeMWndVolume::OnDestroy(HWND hwnd)
{
    prefs::DeleteAll<HBITMAP>({&m_hTitle, &m_hScale, &m_hLabels[0], &m_hLabels[1], &m_hLabels[2]});
    prefs::DeleteAll<HBRUSH>({&m_hPattern, &m_hFrameBrush});
    return CCeMWnd::OnDestroy(hwnd);
}

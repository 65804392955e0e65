// The skin screen on real windows: which folders are offered, the preview of
// the chosen one, the choice stored and announced to the parent.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "CCeMWndSkin.h"
#include "PrefsFixture.h"

namespace {

const wchar_t kInstall[] = L"C:\\zenprefs";

void RemoveAll(const std::wstring& folder)
{
    WIN32_FIND_DATAW fd;
    HANDLE f = FindFirstFileW((folder + L"\\*").c_str(), &fd);
    if (f != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring path = folder + L"\\" + fd.cFileName;
            if (wcscmp(fd.cFileName, L".") == 0 || wcscmp(fd.cFileName, L"..") == 0)
                continue;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveAll(path);
            else
                DeleteFileW(path.c_str());
        } while (FindNextFileW(f, &fd));
        FindClose(f);
    }
    RemoveDirectoryW(folder.c_str());
}

std::wstring SkinDir(const std::wstring& skin) { return std::wstring(kInstall) + L"\\Skin\\" + skin; }

bool WriteFile(const std::wstring& path, const std::string& bytes)
{
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool ok = ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                    written == bytes.size();
    CloseHandle(h);
    return ok;
}

// A 24-bit bitmap file of one colour.
std::string SolidBitmap(int w, int h, BYTE r, BYTE g, BYTE b)
{
    const int stride = (w * 3 + 3) & ~3;
    std::string out(54 + static_cast<size_t>(stride) * h, '\0');
    auto put = [&](size_t at, uint32_t v, int n) {
        for (int i = 0; i < n; ++i)
            out[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    out[0] = 'B';
    out[1] = 'M';
    put(2, static_cast<uint32_t>(out.size()), 4);
    put(10, 54, 4);
    put(14, 40, 4);
    put(18, static_cast<uint32_t>(w), 4);
    put(22, static_cast<uint32_t>(h), 4);
    put(26, 1, 2);
    put(28, 24, 2);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const size_t at = 54 + static_cast<size_t>(y) * stride + x * 3;
            out[at] = static_cast<char>(b);
            out[at + 1] = static_cast<char>(g);
            out[at + 2] = static_cast<char>(r);
        }
    return out;
}

bool MakeSkin(const std::wstring& skin, const std::string& dialPad)
{
    CreateDirectoryW(SkinDir(skin).c_str(), nullptr);
    return dialPad.empty() || WriteFile(SkinDir(skin) + L"\\DialPad.bmp", dialPad);
}

class SkinTest : public prefstest::ScreenTest {
protected:
    void SetUp() override
    {
        RemoveAll(kInstall);
        CreateDirectoryW(kInstall, nullptr);
        CreateDirectoryW((std::wstring(kInstall) + L"\\Skin").c_str(), nullptr);
        ScreenTest::SetUp();
        data.SetInstallDir(kInstall);
    }
    void TearDown() override
    {
        screen.Destroy();
        ScreenTest::TearDown();
        RemoveAll(kInstall);
    }
    void Open()
    {
        ASSERT_EQ(1, screen.Create(WS_VISIBLE, prefstest::kViewPlace, host.GetHwnd(), 18));
        zentest::PumpMessages(150);
    }
    std::vector<std::wstring> Listed()
    {
        std::vector<std::wstring> names;
        HWND list = screen.FolderList();
        const int n = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
        for (int i = 0; i < n; ++i) {
            wchar_t buf[MAX_PATH] = {};
            SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(buf));
            names.emplace_back(buf);
        }
        return names;
    }
    // Taps the list's entry with that name (scrolled into sight first).
    void Choose(const std::wstring& name)
    {
        HWND list = screen.FolderList();
        const LRESULT i = SendMessageW(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(name.c_str()));
        ASSERT_NE(LB_ERR, i);
        SendMessageW(list, LB_SETTOPINDEX, i, 0);
        RECT rc;
        SendMessageW(list, LB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&rc));
        TapAt(list, (rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
        zentest::PumpMessages(100);
    }
    // The preview's pixels, as the screen shows them now.
    zentest::Image Preview()
    {
        zentest::PumpMessages(100);
        return zentest::CaptureWindow(screen.GetHwnd());
    }
    static bool IsSolid(const zentest::Image& img, uint32_t colour)
    {
        const RECT inner = {30, 55, 120, 163};
        return zentest::CountPixels(img, inner, colour, 8) == (inner.right - inner.left) * (inner.bottom - inner.top);
    }
    int SavedSkinIs(const wchar_t* name)
    {
        SettingsBlock kept = data.m_Settings;
        data.m_EnvDB.Load();
        const int same = wcscmp(data.m_Settings.szSkinName, name) == 0;
        data.m_Settings = kept;
        return same;
    }

    CCeMWndSkin screen;
};

TEST_F(SkinTest, OffersOnlyFoldersWithADialPadPicture)
{
    ASSERT_TRUE(MakeSkin(L"default", SolidBitmap(24, 32, 0, 0, 255)));
    ASSERT_TRUE(MakeSkin(L"Ocean Blue", SolidBitmap(24, 32, 0, 160, 0)));
    ASSERT_TRUE(MakeSkin(L"no-picture", ""));
    ASSERT_TRUE(MakeSkin(L"not-a-bitmap", "this is text, not a picture"));
    ASSERT_TRUE(MakeSkin(L"cut-short", SolidBitmap(24, 32, 9, 9, 9).substr(0, 200)));
    ASSERT_TRUE(WriteFile(std::wstring(kInstall) + L"\\Skin\\readme.bmp", SolidBitmap(4, 4, 1, 2, 3)));
    Open();
    std::vector<std::wstring> listed = Listed();
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ((std::vector<std::wstring>{L"Ocean Blue", L"default"}), listed);
    // The current skin ("default") is previewed from the start.
    EXPECT_TRUE(screen.HasPreview());
    EXPECT_TRUE(IsSolid(Preview(), zentest::Rgb(0, 0, 255)));
    Shot(L"skin");
}

TEST_F(SkinTest, ChoosingASkinPreviewsStoresAndAnnouncesIt)
{
    ASSERT_TRUE(MakeSkin(L"default", SolidBitmap(24, 32, 0, 0, 255)));
    ASSERT_TRUE(MakeSkin(L"Ocean Blue", SolidBitmap(24, 32, 0, 160, 0)));
    Open();
    Choose(L"Ocean Blue");
    EXPECT_STREQ(L"Ocean Blue", data.m_Settings.szSkinName);  // as the folder is spelt
    EXPECT_TRUE(SavedSkinIs(L"Ocean Blue"));
    EXPECT_EQ(std::vector<int>{CCeMWndSkin::kSkinChosen}, host.notices);
    EXPECT_TRUE(IsSolid(Preview(), zentest::Rgb(0, 160, 0)));
    Shot(L"skin-chosen");

    // The chosen one again: stored and announced again.
    Choose(L"default");
    Choose(L"default");
    EXPECT_STREQ(L"default", data.m_Settings.szSkinName);
    EXPECT_GE(host.notices.size(), 2u);
    EXPECT_TRUE(IsSolid(Preview(), zentest::Rgb(0, 0, 255)));

    // Close asks the parent.
    TapAt(screen.GetHwnd(), 226, 13);
    zentest::PumpMessages(100);
    EXPECT_EQ(1, host.CloseRequests(18));
}

TEST_F(SkinTest, WithoutASkinFolderTheListIsEmptyAndNothingBreaks)
{
    RemoveAll(std::wstring(kInstall) + L"\\Skin");
    Open();
    EXPECT_TRUE(Listed().empty());
    EXPECT_FALSE(screen.HasPreview());
    TapAt(screen.FolderList(), 40, 20);
    EXPECT_TRUE(host.notices.empty());
    EXPECT_TRUE(watcher.seen.empty());
}

TEST_F(SkinTest, TwoHundredSkinsAreAllOffered)
{
    const std::string picture = SolidBitmap(24, 32, 200, 40, 40);
    for (int i = 0; i < 200; ++i) {
        wchar_t name[32];
        swprintf(name, 32, L"skin%03d", i);
        ASSERT_TRUE(MakeSkin(name, picture));
    }
    const DWORD start = GetTickCount();
    Open();
    const DWORD took = GetTickCount() - start;
    EXPECT_EQ(200u, Listed().size());
    EXPECT_LT(took, 10000u);
    Choose(L"skin199");
    EXPECT_STREQ(L"skin199", data.m_Settings.szSkinName);
    EXPECT_TRUE(IsSolid(Preview(), zentest::Rgb(200, 40, 40)));
    Shot(L"skin-200");
}

}  // namespace

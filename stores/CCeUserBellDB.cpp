#include "stores/CCeUserBellDB.h"

#include "stores/NumberRoutines.h"
#include "stores/StoreCache.h"
#include "stores/StoreText.h"
#include "stores/SysStrings.h"

namespace {

const CEPROPID kShape[3] = {0x0001001F, 0x0002001F, 0x0003001F};

void FreeItem(UserBellItem* item) {
    SysStringRelease(item->pszName);
    SysStringRelease(item->pszNumber);
    SysStringRelease(item->pszFile);
    delete item;
}

}  // namespace

CCeUserBellDB::CCeUserBellDB() : m_Buffer{nullptr, 0, 0}, m_pCurrent(nullptr) {}

CCeUserBellDB::~CCeUserBellDB() {
    ReleaseCache();
    Close();
}

int CCeUserBellDB::OpenDefault(LPCWSTR name) { return OpenDefaultWith(name, kDatabaseName, 0); }

void CCeUserBellDB::ReleaseCache() {
    ReleaseItems<UserBellItem>(m_List, FreeItem);
    m_pCurrent = nullptr;
    m_bLoaded = FALSE;
}

UserBellItem* CCeUserBellDB::At(int index) const {
    if (index < 0 || index >= m_List.GetCount()) return nullptr;
    return static_cast<UserBellItem*>(m_List.GetAt(index));
}

int CCeUserBellDB::Load() {
    if (!IsOpen()) OpenDefault(nullptr);
    if (!IsOpen()) return 0;
    ReleaseCache();
    ReadShaped(*this, m_Buffer, kShape, 3, [&](const RecordBuffer& r) {
        const CEPROPVAL* p = r.pProps;
        m_List.AddTail(new UserBellItem{SysStringFrom(p[0].val.lpwstr), SysStringFrom(p[1].val.lpwstr),
                                        SysStringFrom(p[2].val.lpwstr), r.oid});
        return true;
    });
    Close();
    m_bLoaded = TRUE;
    return 1;
}

int CCeUserBellDB::Add(LPCWSTR name, LPCWSTR number, LPCWSTR file) {
    if (!HasDialChar(number)) return 0;
    if (!IsOpen()) OpenDefault(nullptr);
    if (!IsOpen()) return 0;
    CEPROPVAL v[3] = {};
    LPCWSTR texts[3] = {name, number, file};
    for (int i = 0; i < 3; ++i) {
        v[i].propid = kShape[i];
        v[i].val.lpwstr = const_cast<LPWSTR>(texts[i] ? texts[i] : L"");
    }
    RecordBuffer b{v, 3, 0};
    int result = WriteRecord(&b);
    Close();
    if (result) Load();
    return result;
}

int CCeUserBellDB::Lookup(LPCWSTR number, LPWSTR nameOut, LPWSTR fileOut, int nameChars, int fileChars) {
    CopyTextCut(nameOut, nameChars, nullptr);
    CopyTextCut(fileOut, fileChars, nullptr);
    // A caller without a number matches nothing, and an entry without one
    // (stored before such entries were refused) matches no caller.
    if (!HasDialChar(number)) return 0;
    if (!IsOpen()) OpenDefault(nullptr);
    if (!IsOpen()) return 0;
    WCHAR wanted[kNumberChars], stored[kNumberChars];
    NormaliseForMatch(number, wanted, kNumberChars);
    int found = 0;
    ReadShaped(*this, m_Buffer, kShape, 3, [&](const RecordBuffer& r) {
        if (!HasDialChar(r.pProps[1].val.lpwstr)) return true;
        NormaliseForMatch(r.pProps[1].val.lpwstr, stored, kNumberChars);
        if (wcscmp(wanted, stored) != 0) return true;
        CopyTextCut(nameOut, nameChars, r.pProps[0].val.lpwstr);
        CopyTextCut(fileOut, fileChars, r.pProps[2].val.lpwstr);
        found = 1;
        return false;
    });
    Close();
    return found;
}

int CCeUserBellDB::DeleteCurrent() { return DeleteCachedItem(*this, m_List, m_pCurrent, FreeItem); }

#include "stores/CCeCategoryBellDB.h"

#include <cwchar>

#include "stores/StoreCache.h"
#include "stores/StoreText.h"
#include "stores/SysStrings.h"

namespace {

const CEPROPID kShape[2] = {0x0001001F, 0x0002001F};

void FreeItem(CategoryBellItem* item) {
    SysStringRelease(item->pszCategory);
    SysStringRelease(item->pszFile);
    delete item;
}

bool SameText(LPCWSTR a, LPCWSTR b) { return wcscmp(a ? a : L"", b ? b : L"") == 0; }

}  // namespace

CCeCategoryBellDB::CCeCategoryBellDB() : m_Buffer{nullptr, 0, 0}, m_pCurrent(nullptr) {}

CCeCategoryBellDB::~CCeCategoryBellDB() {
    ReleaseCache();
    Close();
}

int CCeCategoryBellDB::OpenDefault(LPCWSTR name) { return OpenDefaultWith(name, kDatabaseName, 0); }

void CCeCategoryBellDB::ReleaseCache() {
    ReleaseItems<CategoryBellItem>(m_List, FreeItem);
    m_pCurrent = nullptr;
    m_bLoaded = FALSE;
}

CategoryBellItem* CCeCategoryBellDB::At(int index) const {
    if (index < 0 || index >= m_List.GetCount()) return nullptr;
    return static_cast<CategoryBellItem*>(m_List.GetAt(index));
}

int CCeCategoryBellDB::Load() {
    if (!IsOpen()) OpenDefault(nullptr);
    if (!IsOpen()) return 0;
    ReleaseCache();
    ReadShaped(*this, m_Buffer, kShape, 2, [&](const RecordBuffer& r) {
        m_List.AddTail(
            new CategoryBellItem{SysStringFrom(r.pProps[0].val.lpwstr), SysStringFrom(r.pProps[1].val.lpwstr), r.oid});
        return true;
    });
    Close();
    m_bLoaded = TRUE;
    return 1;
}

int CCeCategoryBellDB::Set(LPCWSTR category, LPCWSTR file) {
    if (!IsOpen()) OpenDefault(nullptr);
    if (!IsOpen()) return 0;
    CEOID target = 0;
    ReadShaped(*this, m_Buffer, kShape, 2, [&](const RecordBuffer& r) {
        if (SameText(r.pProps[0].val.lpwstr, category)) target = r.oid;
        return target == 0;
    });
    CEPROPVAL v[2] = {};
    v[0].propid = kShape[0];
    v[0].val.lpwstr = const_cast<LPWSTR>(category ? category : L"");
    v[1].propid = kShape[1];
    v[1].val.lpwstr = const_cast<LPWSTR>(file ? file : L"");
    RecordBuffer b{v, 2, target};
    int result = WriteRecord(&b);
    Close();
    if (result) Load();
    return result;
}

int CCeCategoryBellDB::Lookup(LPCWSTR category, LPWSTR fileOut, int fileChars) {
    CopyTextCut(fileOut, fileChars, nullptr);
    if (!IsOpen()) OpenDefault(nullptr);
    if (!IsOpen()) return 0;
    int found = 0;
    ReadShaped(*this, m_Buffer, kShape, 2, [&](const RecordBuffer& r) {
        if (!SameText(r.pProps[0].val.lpwstr, category)) return true;
        CopyTextCut(fileOut, fileChars, r.pProps[1].val.lpwstr);
        found = 1;
        return false;
    });
    Close();
    return found;
}

int CCeCategoryBellDB::DeleteCurrent() { return DeleteCachedItem(*this, m_List, m_pCurrent, FreeItem); }

#include "stores/CCeCategoriesDB.h"

#include <cwchar>

#include "stores/ContactProps.h"
#include "stores/StoreText.h"
#include "stores/SysStrings.h"

CCeCategoriesDB::CCeCategoriesDB() : m_Buffer{nullptr, 0, 0} {}

CCeCategoriesDB::~CCeCategoriesDB() { Close(); }

int CCeCategoriesDB::OpenDefault(LPCWSTR) { return 0; }

int CCeCategoriesDB::OpenDefault(HWND notifyWindow) { return Open(kCategoriesDbName, 0, notifyWindow); }

int CCeCategoriesDB::Close() {
    ReleaseCache();
    return CCeDatabase::Close();
}

void CCeCategoriesDB::ReleaseCache() {
    m_List.ResetCursor();
    while (auto* item = static_cast<CategoryItem*>(m_List.Next())) {
        SysStringRelease(item->pszName);
        delete item;
    }
    m_List.RemoveAll();
    m_bLoaded = FALSE;
}

int CCeCategoriesDB::Load() {
    ReleaseCache();
    if (!IsOpen()) return 0;
    SeekFirst();
    for (;;) {
        int read = ReadRecord(&m_Buffer);
        if (read) {
            // The database is another program's: take the two values by id
            // and pass over records that lack either.
            const CEPROPVAL* name = PropOf(m_Buffer, kPropCategoryName);
            const CEPROPVAL* bit = PropOf(m_Buffer, kPropCategoryBit);
            if (name && bit && bit->val.iVal >= 0)
                m_List.AddTail(new CategoryItem{SysStringFrom(name->val.lpwstr), bit->val.iVal});
        }
        if (m_Buffer.pProps) LocalFree(m_Buffer.pProps);
        m_Buffer.pProps = nullptr;
        if (!read) break;
    }
    m_bLoaded = TRUE;
    return m_List.GetCount();
}

const CategoryItem* CCeCategoriesDB::At(int position) const {
    if (position < 0 || position >= m_List.GetCount()) return nullptr;
    return static_cast<const CategoryItem*>(m_List.GetAt(position));
}

int CCeCategoriesDB::BitOf(int position) const {
    const CategoryItem* item = At(position);
    return item ? item->nBit : -1;
}

int CCeCategoriesDB::NameForMask(DWORD maskLength, const BYTE* mask, LPWSTR nameOut, int nameChars) {
    CopyTextCut(nameOut, nameChars, nullptr);
    int position = 0;
    m_List.ResetCursor();
    while (auto* item = static_cast<CategoryItem*>(m_List.Next())) {
        if (MaskHasBit(mask, maskLength, item->nBit)) {
            CopyTextCut(nameOut, nameChars, item->pszName);
            return position;
        }
        ++position;
    }
    return -1;
}

int CCeCategoriesDB::Find(LPCWSTR name) {
    if (!name) return -1;
    int position = 0;
    m_List.ResetCursor();
    while (auto* item = static_cast<CategoryItem*>(m_List.Next())) {
        if (item->pszName && wcscmp(item->pszName, name) == 0) return position;
        ++position;
    }
    return -1;
}

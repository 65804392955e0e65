#include "stores/CCeSmsMsgDB.h"

#include "stores/StoreCache.h"
#include "stores/SysStrings.h"

namespace {

void FreeItem(PhraseItem* item) {
    SysStringRelease(item->pszText);
    delete item;
}

}  // namespace

CCeSmsMsgDB::CCeSmsMsgDB() : m_Prop{}, m_Buffer{nullptr, 0, 0} {}

CCeSmsMsgDB::~CCeSmsMsgDB() {
    ReleaseCache();
    Close();
}

int CCeSmsMsgDB::Create(LPCWSTR name) {
    SORTORDERSPEC sort{kTextProperty, 0};
    return CreateWith(name, 15, &sort);
}

int CCeSmsMsgDB::OpenDefault(LPCWSTR name) { return OpenDefaultWith(name, kDatabaseName, kTextProperty); }

void CCeSmsMsgDB::ReleaseCache() {
    ReleaseItems<PhraseItem>(m_List, FreeItem);
    m_bLoaded = FALSE;
}

int CCeSmsMsgDB::Load() {
    if (!IsOpen()) OpenDefault(nullptr);
    if (!IsOpen()) return 0;
    ReleaseCache();
    ReadShaped(*this, m_Buffer, &kTextProperty, 1, [&](const RecordBuffer& r) {
        m_List.AddTail(new PhraseItem{r.oid, SysStringFrom(r.pProps[0].val.lpwstr)});
        return true;
    });
    Close();
    m_bLoaded = TRUE;
    return 1;
}

int CCeSmsMsgDB::Add(LPCWSTR text) {
    if (!IsOpen()) OpenDefault(nullptr);
    if (!IsOpen()) return 0;
    m_Prop = {};
    m_Prop.propid = kTextProperty;
    m_Prop.val.lpwstr = const_cast<LPWSTR>(text ? text : L"");
    RecordBuffer b{&m_Prop, 1, 0};
    int result = WriteRecord(&b);
    Close();
    return result;
}

int CCeSmsMsgDB::Delete(int index) {
    if (index < 0 || index >= m_List.GetCount()) return 0;
    // The phrase leaves the cache only when its record left the database.
    auto* item = static_cast<PhraseItem*>(m_List.GetAt(index));
    return DeleteCachedItem(*this, m_List, item, FreeItem);
}

LPCWSTR CCeSmsMsgDB::Text(int index) const {
    if (index < 0 || index >= m_List.GetCount()) return nullptr;
    return static_cast<const PhraseItem*>(m_List.GetAt(index))->pszText;
}

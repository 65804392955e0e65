#include "stores/CCeEasyCallDB.h"

#include <cwchar>
#include <vector>

#include "stores/NumberRoutines.h"
#include "stores/StoreCache.h"
#include "stores/StoreText.h"

CCeEasyCallDB::CCeEasyCallDB() : m_Props{}, m_Buffer{nullptr, 0, 0}, m_pCurrent(nullptr) {}

CCeEasyCallDB::~CCeEasyCallDB() {
    Close();
    FreeItems();
}

int CCeEasyCallDB::Create(LPCWSTR name) {
    SORTORDERSPEC sort{kSlotProperty, 0};
    return CreateWith(name, 15, &sort);
}

int CCeEasyCallDB::OpenDefault(LPCWSTR name) { return OpenDefaultWith(name, kDatabaseName, kSlotProperty); }

void CCeEasyCallDB::FreeItem(SpeedDialItem* item) {
    SysStringRelease(item->pszName);
    SysStringRelease(item->pszNumber);
    delete item;
}

void CCeEasyCallDB::FreeItems() {
    ReleaseItems<SpeedDialItem>(m_List, FreeItem);
    m_pCurrent = nullptr;
}

int CCeEasyCallDB::Load() {
    if (!IsOpen()) OpenDefault(nullptr);
    if (!IsOpen()) return 0;
    m_bLoaded = FALSE;
    FreeItems();
    SeekFirst();
    bool taken[kMaxSlot + 1] = {};
    std::vector<CEOID> dropped;
    while (ReadRecord(&m_Buffer)) {
        const CEPROPVAL* slot = PropOf(m_Buffer, kSlotProperty);
        LPCWSTR name = TextProp(m_Buffer, kNameProperty);
        LPCWSTR number = TextProp(m_Buffer, kNumberProperty);
        // Records in another layout are passed over and kept.
        if (m_Buffer.wCount == 3 && slot && name && number) {
            int s = slot->val.iVal;
            if (s < 0 || s > kMaxSlot || taken[s]) {
                dropped.push_back(m_Buffer.oid);
            } else {
                taken[s] = true;
                m_List.AddTail(new SpeedDialItem{s, SysStringFrom(name), SysStringFrom(number), m_Buffer.oid});
            }
        }
        FreeRead(m_Buffer);
    }
    FreeRead(m_Buffer);
    // Deleted after the walk so the read position is never disturbed.
    for (CEOID oid : dropped) DeleteRecord(oid);
    Close();
    m_bLoaded = TRUE;
    return 1;
}

int CCeEasyCallDB::WriteItem(SpeedDialItem* item) {
    m_Props[0] = {};
    m_Props[0].propid = kSlotProperty;
    m_Props[0].val.iVal = static_cast<short>(item->nSlot);
    m_Props[1] = {};
    m_Props[1].propid = kNameProperty;
    m_Props[1].val.lpwstr = item->pszName;
    m_Props[2] = {};
    m_Props[2].propid = kNumberProperty;
    m_Props[2].val.lpwstr = item->pszNumber;
    m_Buffer = {m_Props, 3, 0};
    int written = WriteRecord(&m_Buffer);
    m_Buffer.pProps = nullptr;
    if (written) item->oid = m_Buffer.oid;
    return written;
}

int CCeEasyCallDB::Set(LPCWSTR name, LPCWSTR number, int slot) {
    WCHAR first[2];
    if (slot < 0 || slot > kMaxSlot || KeepDialChars(number, first, 2) == 0 || wcslen(number) >= kNumberChars)
        return 0;
    // An unloaded cache would miss the slot's entry and leave two records
    // for it, of which the older one wins at the next load.
    if (!m_bLoaded && !Load()) return 0;
    int position = 0;
    SpeedDialItem* found = nullptr;
    m_List.ResetCursor();
    while (auto* item = static_cast<SpeedDialItem*>(m_List.Next())) {
        if (item->nSlot == slot) found = item;
        if (item->nSlot >= slot) break;
        ++position;
    }
    if (!IsOpen()) OpenDefault(nullptr);
    if (!IsOpen()) return 0;
    // The new record is written before the old one goes, so a failed write
    // leaves the slot as it was.
    SpeedDialItem* item = new SpeedDialItem{slot, SysStringFrom(name ? name : L""), SysStringFrom(number), 0};
    if (!WriteItem(item)) {
        FreeItem(item);
        Close();
        return 0;
    }
    if (found) {
        DeleteRecord(found->oid);
        SysStringRelease(found->pszName);
        SysStringRelease(found->pszNumber);
        found->pszName = item->pszName;
        found->pszNumber = item->pszNumber;
        found->oid = item->oid;
        delete item;
    } else {
        m_List.InsertAfter(position - 1, item);
    }
    Close();
    return 1;
}

int CCeEasyCallDB::Get(int slot, LPWSTR nameOut, int nameChars, LPWSTR numberOut, int numberChars) {
    CopyTextCut(nameOut, nameChars, nullptr);
    CopyTextCut(numberOut, numberChars, nullptr);
    if (!m_bLoaded && !Load()) return 0;
    m_List.ResetCursor();
    while (auto* item = static_cast<SpeedDialItem*>(m_List.Next())) {
        if (item->nSlot > slot) break;
        if (item->nSlot == slot) {
            CopyTextCut(nameOut, nameChars, item->pszName);
            CopyTextCut(numberOut, numberChars, item->pszNumber);
            return 1;
        }
    }
    return 0;
}

int CCeEasyCallDB::DeleteCurrent() { return DeleteCachedItem(*this, m_List, m_pCurrent, FreeItem); }

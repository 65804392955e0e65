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

namespace {

// The slot of a record in the store's layout; false for any other record.
bool SlotOf(const RecordBuffer& r, int& slot) {
    const CEPROPVAL* p = PropOf(r, CCeEasyCallDB::kSlotProperty);
    if (r.wCount != 3 || !p || !TextProp(r, CCeEasyCallDB::kNameProperty) ||
        !TextProp(r, CCeEasyCallDB::kNumberProperty))
        return false;
    slot = p->val.iVal;
    return true;
}

}  // namespace

int CCeEasyCallDB::Load() {
    if (!IsOpen()) OpenDefault(nullptr);
    if (!IsOpen()) return 0;
    m_bLoaded = FALSE;
    FreeItems();
    SeekFirst();
    bool taken[kMaxSlot + 1] = {};
    std::vector<CEOID> dropped;
    while (ReadRecord(&m_Buffer)) {
        // Records in another layout are passed over and kept.
        int s = 0;
        if (SlotOf(m_Buffer, s)) {
            if (s < 0 || s > kMaxSlot || taken[s]) {
                dropped.push_back(m_Buffer.oid);
            } else {
                taken[s] = true;
                m_List.AddTail(new SpeedDialItem{s, SysStringFrom(TextProp(m_Buffer, kNameProperty)),
                                                 SysStringFrom(TextProp(m_Buffer, kNumberProperty)), m_Buffer.oid});
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

std::vector<CEOID> CCeEasyCallDB::RecordsOfSlot(int slot) {
    std::vector<CEOID> holders;
    SeekFirst();
    while (ReadRecord(&m_Buffer)) {
        int s = 0;
        if (SlotOf(m_Buffer, s) && s == slot) holders.push_back(m_Buffer.oid);
        FreeRead(m_Buffer);
    }
    FreeRead(m_Buffer);
    return holders;
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
    m_Buffer = {m_Props, 3, item->oid};
    int written = WriteRecord(&m_Buffer);
    m_Buffer.pProps = nullptr;
    if (written) item->oid = m_Buffer.oid;
    return written;
}

int CCeEasyCallDB::Set(LPCWSTR name, LPCWSTR number, int slot) {
    if (slot < 0 || slot > kMaxSlot || !HasDialChar(number) || wcslen(number) >= kNumberChars) return 0;
    // An unloaded cache would miss the slot's entry.
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
    // The database, not the cache, says which records hold the slot: another
    // program may have changed it since the load. The first of them is the
    // one a load keeps, so it is rewritten in place: one write, after which
    // the slot holds the new entry, or the old one whole when it failed.
    const std::vector<CEOID> holders = RecordsOfSlot(slot);
    SpeedDialItem* item =
        new SpeedDialItem{slot, SysStringFrom(name ? name : L""), SysStringFrom(number), holders.empty() ? 0 : holders[0]};
    if (!WriteItem(item)) {
        FreeItem(item);
        Close();
        return 0;
    }
    // Later records of the slot would lose to this one at every load.
    for (size_t i = 1; i < holders.size(); ++i) DeleteRecord(holders[i]);
    if (found) {
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

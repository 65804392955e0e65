#pragma once
// Speed dial: "Zentrika EASYCALL DB", one name and number per slot 0 to
// 100, in slot order.
#include <cstdint>
#include <vector>

#include "stores/CCeDatabase.h"
#include "stores/CCePtrList.h"
#include "stores/SysStrings.h"

struct SpeedDialItem {
    int32_t nSlot;
    BSTR pszName;
    BSTR pszNumber;
    CEOID oid;
};

class CCeEasyCallDB : public CCeDatabase {
public:
    static constexpr const WCHAR* kDatabaseName = L"Zentrika EASYCALL DB";
    static constexpr CEPROPID kSlotProperty = 0x00010002;
    static constexpr CEPROPID kNameProperty = 0x0002001F;
    static constexpr CEPROPID kNumberProperty = 0x0003001F;
    static constexpr int kMaxSlot = 100;

    CCeEasyCallDB();
    ~CCeEasyCallDB() override;

    int Create(LPCWSTR name) override;
    int OpenDefault(LPCWSTR name) override;

    // Fills the cache; records of a slot out of range or already taken are
    // deleted on the way. 0 when the database cannot be opened.
    int Load();
    // Stores or replaces the entry of a slot. 0 when the slot is outside 0
    // to 100, the number does not fit 64 characters, or the database
    // cannot be opened.
    int Set(LPCWSTR name, LPCWSTR number, int slot);
    // 1 and both texts (cut to fit; either buffer may be null) when the
    // slot has an entry, else 0. Loads the cache when needed.
    int Get(int slot, LPWSTR nameOut, int nameChars, LPWSTR numberOut, int numberChars);
    int DeleteCurrent();

    SpeedDialItem* Current() const { return m_pCurrent; }
    void SetCurrent(SpeedDialItem* item) { m_pCurrent = item; }
    int ItemCount() const { return m_List.GetCount(); }
    SpeedDialItem* ItemAt(int position) const { return static_cast<SpeedDialItem*>(m_List.GetAt(position)); }

private:
    static void FreeItem(SpeedDialItem* item);
    void FreeItems();
    // Writes the item to its record (0: a new one); the id goes into the item.
    int WriteItem(SpeedDialItem* item);
    // Records in the store's layout that hold the slot, in the open order.
    std::vector<CEOID> RecordsOfSlot(int slot);

    CEPROPVAL m_Props[3];
    RecordBuffer m_Buffer;
    mutable CCePtrList m_List;
    SpeedDialItem* m_pCurrent;
};

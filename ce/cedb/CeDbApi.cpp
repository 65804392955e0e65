// The database calls. Every argument is checked before use: bad input gets
// the platform's error code, never a fault.
#include <windows.h>

#include <algorithm>
#include <cstring>

#include "ce/cedb/CeDbBatch.h"
#include "ce/cedb/CeDbEngine.h"
#include "windbase.h"

using namespace cedb;

namespace {

template <typename T>
T Fail(DWORD err, T result) {
    SetLastError(err);
    return result;
}

// Only the object store itself is a volume here; the invalid id means
// "search every volume", which is the same thing.
bool VolumeOk(const CEGUID* guid) {
    if (!guid || IsBadReadPtr(guid, sizeof *guid)) return false;
    return CHECK_SYSTEMGUID(guid) || (guid->Data1 & guid->Data2 & guid->Data3 & guid->Data4) == 0xFFFFFFFFu;
}

bool NameOk(const WCHAR* name, size_t room) {
    if (!name || IsBadStringPtrW(name, room)) return false;
    size_t n = wcsnlen(name, room);
    return n > 0 && n < room;
}

// Converts the caller's values into stored properties.
bool TakeProps(WORD count, const CEPROPVAL* vals, std::vector<Prop>& props, std::vector<CEPROPID>& removes) {
    if (count == 0 || !vals || IsBadReadPtr(vals, sizeof(CEPROPVAL) * count)) return false;
    size_t total = 0;
    for (WORD i = 0; i < count; ++i) {
        const CEPROPVAL& v = vals[i];
        WORD type = TypeFromPropID(v.propid);
        if (!KnownType(type)) return false;
        if (v.wFlags & CEDB_PROPDELETE) {
            removes.push_back(v.propid);
            continue;
        }
        Prop p;
        p.id = v.propid;
        if (size_t n = FixedSize(type)) {
            p.data.assign(reinterpret_cast<const BYTE*>(&v.val), reinterpret_cast<const BYTE*>(&v.val) + n);
        } else if (type == CEVT_LPWSTR) {
            const size_t maxChars = CEDB_MAXPROPDATASIZE / sizeof(WCHAR);
            if (!v.val.lpwstr || IsBadStringPtrW(v.val.lpwstr, maxChars)) return false;
            size_t len = wcsnlen(v.val.lpwstr, maxChars);
            if (len >= maxChars) return false;
            const BYTE* b = reinterpret_cast<const BYTE*>(v.val.lpwstr);
            p.data.assign(b, b + len * sizeof(WCHAR));
        } else {
            DWORD n = v.val.blob.dwCount;
            if (n > CEDB_MAXPROPDATASIZE || (n && (!v.val.blob.lpb || IsBadReadPtr(v.val.blob.lpb, n)))) return false;
            if (n) p.data.assign(v.val.blob.lpb, v.val.blob.lpb + n);
        }
        total += p.data.size() + 8;
        if (total > CEDB_MAXRECORDSIZE) return false;
        // A later value of the same property wins.
        for (Prop& old : props)
            if (old.id == p.id) old.data.clear(), old.id = 0;
        props.push_back(std::move(p));
    }
    props.erase(std::remove_if(props.begin(), props.end(), [](const Prop& p) { return p.id == 0; }), props.end());
    return true;
}

// The handle's order, with its position moved to where its record went.
const std::vector<CEOID>& Position(DbHandle& h) {
    const std::vector<CEOID>& order = h.db->Order(h.sort);
    if (h.posVersion != h.db->Version()) {
        if (h.posOid) {
            auto it = std::find(order.begin(), order.end(), h.posOid);
            if (it != order.end()) h.pos = static_cast<size_t>(it - order.begin());
        }
        if (h.pos > order.size()) h.pos = order.size();
        h.posOid = h.pos < order.size() ? order[h.pos] : 0;
        h.posVersion = h.db->Version();
    }
    return order;
}

void MoveTo(DbHandle& h, const std::vector<CEOID>& order, size_t pos) {
    h.pos = pos > order.size() ? order.size() : pos;
    h.posOid = h.pos < order.size() ? order[h.pos] : 0;
    h.posVersion = h.db->Version();
}

DbHandle* Lookup(HANDLE handle, DWORD& err, bool forWrite = false) {
    DbHandle* h = forWrite ? (Engine::Get().StillOpen(handle) ? Engine::Get().Find(handle) : nullptr)
                           : Engine::Get().Find(handle);
    if (!h) {
        err = ERROR_INVALID_HANDLE;
        return nullptr;
    }
    err = h->db->Sync();
    return err ? nullptr : h;
}

}  // namespace

extern "C" {

CEOID CeCreateDatabaseEx(PCEGUID pguid, CEDBASEINFO* pInfo) {
    if (!VolumeOk(pguid) || !pInfo || IsBadReadPtr(pInfo, sizeof *pInfo)) return Fail(ERROR_INVALID_PARAMETER, 0);
    if (!(pInfo->dwFlags & CEDB_VALIDNAME) || !NameOk(pInfo->szDbaseName, CEDB_MAXDBASENAMELEN))
        return Fail(ERROR_INVALID_PARAMETER, 0);
    if (pInfo->dwFlags & CEDB_VALIDSORTSPEC) {
        if (pInfo->wNumSortOrder > CEDB_MAXSORTORDER) return Fail(ERROR_INVALID_PARAMETER, 0);
        for (WORD i = 0; i < pInfo->wNumSortOrder; ++i) {
            WORD type = TypeFromPropID(pInfo->rgSortSpecs[i].propid);
            if (!KnownType(type) || type == CEVT_BLOB) return Fail(ERROR_INVALID_PARAMETER, 0);
        }
    }
    EngineLock lock;
    std::shared_ptr<Store> store = Store::Current();
    if (!store) return Fail(ERROR_PATH_NOT_FOUND, 0);
    CEOID oid = 0;
    if (DWORD err = Database::Create(*store, *pInfo, oid)) return Fail(err, 0);
    return oid;
}

HANDLE CeOpenDatabaseEx(PCEGUID pguid, PCEOID poid, LPWSTR lpszName, CEPROPID propid, DWORD dwFlags,
                        CENOTIFYREQUEST* pRequest) {
    if (!VolumeOk(pguid) || (poid && IsBadWritePtr(poid, sizeof *poid)) || (dwFlags & ~CEDB_AUTOINCREMENT))
        return Fail(ERROR_INVALID_PARAMETER, INVALID_HANDLE_VALUE);
    CEOID byOid = poid ? *poid : 0;
    if (!byOid && !NameOk(lpszName, CEDB_MAXDBASENAMELEN)) return Fail(ERROR_INVALID_PARAMETER, INVALID_HANDLE_VALUE);
    // The device's request is 20 bytes; accept that size and ours.
    if (pRequest && (IsBadReadPtr(pRequest, sizeof *pRequest) || pRequest->dwSize < 20 || !IsWindow(pRequest->hwnd)))
        return Fail(ERROR_INVALID_PARAMETER, INVALID_HANDLE_VALUE);

    EngineLock lock;
    Engine& engine = Engine::Get();
    engine.Reap();
    std::shared_ptr<Store> store = Store::Current();
    if (!store) return Fail(ERROR_PATH_NOT_FOUND, INVALID_HANDLE_VALUE);
    std::wstring name = byOid ? L"" : lpszName;
    if (byOid && !Database::FindNameByOid(*store, byOid, name)) return Fail(ERROR_FILE_NOT_FOUND, INVALID_HANDLE_VALUE);
    std::shared_ptr<Database> db;
    if (DWORD err = engine.OpenDb(store, name.c_str(), db)) return Fail(err, INVALID_HANDLE_VALUE);
    int sort = db->SortIndexOf(propid);
    if (sort == -2) return Fail(ERROR_INVALID_PARAMETER, INVALID_HANDLE_VALUE);

    auto h = std::make_unique<DbHandle>();
    h->db = db;
    h->sort = sort;
    h->flags = dwFlags;
    if (pRequest) {
        h->notify = true;
        h->request = *pRequest;
        engine.StartNotifications(*store);
    }
    HANDLE result = engine.AddHandle(std::move(h));
    if (result == INVALID_HANDLE_VALUE) return Fail(ERROR_NOT_ENOUGH_MEMORY, INVALID_HANDLE_VALUE);
    if (poid) *poid = db->Oid();
    return result;
}

BOOL CeDeleteDatabaseEx(PCEGUID pguid, CEOID oid) {
    if (!VolumeOk(pguid) || oid == 0) return Fail(ERROR_INVALID_PARAMETER, FALSE);
    EngineLock lock;
    Engine& engine = Engine::Get();
    engine.Reap();
    std::shared_ptr<Store> store = Store::Current();
    if (!store) return Fail(ERROR_PATH_NOT_FOUND, FALSE);
    std::shared_ptr<Database> db = engine.CachedByOid(*store, oid);
    std::wstring name;
    if (!db) {
        if (!Database::FindNameByOid(*store, oid, name)) return Fail(ERROR_INVALID_PARAMETER, FALSE);
        if (DWORD err = engine.OpenDb(store, name.c_str(), db)) return Fail(err, FALSE);
    }
    if (engine.IsOpen(db.get())) return Fail(ERROR_SHARING_VIOLATION, FALSE);
    DWORD err = db->Destroy();
    engine.ForgetDb(db);
    return err ? Fail(err, FALSE) : TRUE;
}

CEOID CeSeekDatabaseEx(HANDLE hDatabase, DWORD dwSeekType, DWORD_PTR dwValue, WORD wNumVals, LPDWORD lpdwIndex) {
    EngineLock lock;
    DWORD err = 0;
    DbHandle* h = Lookup(hDatabase, err);
    if (!h) return Fail(err, 0);
    if (lpdwIndex && IsBadWritePtr(lpdwIndex, sizeof *lpdwIndex)) return Fail(ERROR_INVALID_PARAMETER, 0);
    const std::vector<CEOID>& order = Position(*h);
    const size_t n = order.size();
    const auto& recs = h->db->Records();
    long long target = -1;
    err = ERROR_NO_MORE_ITEMS;

    const bool byValue = dwSeekType & (CEDB_SEEK_VALUESMALLER | CEDB_SEEK_VALUEFIRSTEQUAL | CEDB_SEEK_VALUEGREATER |
                                       CEDB_SEEK_VALUENEXTEQUAL | CEDB_SEEK_VALUEGREATEROREQUAL |
                                       CEDB_SEEK_VALUESMALLEROREQUAL);
    if (byValue) {
        const CEPROPVAL* v = reinterpret_cast<const CEPROPVAL*>(dwValue);
        std::vector<Prop> key;
        std::vector<CEPROPID> ignored;
        if (h->sort < 0 || wNumVals == 0 || !TakeProps(1, v, key, ignored) || key.empty() ||
            key[0].id != h->db->Header().sorts[h->sort].propid)
            return Fail(ERROR_INVALID_PARAMETER, 0);
        const SORTORDERSPEC& sortOrder = h->db->Header().sorts[h->sort];
        auto cmp = [&](size_t i) {  // record i against the value, in sort order
            const Prop* p = FindProp(recs.at(order[i]), sortOrder.propid);
            if (!p) return (sortOrder.dwFlags & CEDB_SORT_UNKNOWNFIRST) ? -1 : 1;
            return CompareValues(p, &key[0], sortOrder);
        };
        switch (dwSeekType) {
        case CEDB_SEEK_VALUEFIRSTEQUAL:
            for (size_t i = 0; i < n && target < 0; ++i)
                if (cmp(i) == 0) target = static_cast<long long>(i);
            break;
        case CEDB_SEEK_VALUENEXTEQUAL:
            if (h->pos + 1 < n && cmp(h->pos + 1) == 0) target = static_cast<long long>(h->pos + 1);
            break;
        case CEDB_SEEK_VALUEGREATER:
        case CEDB_SEEK_VALUEGREATEROREQUAL:
            for (size_t i = 0; i < n && target < 0; ++i) {
                int c = cmp(i);
                if (c > 0 || (c == 0 && dwSeekType == CEDB_SEEK_VALUEGREATEROREQUAL)) target = static_cast<long long>(i);
            }
            break;
        case CEDB_SEEK_VALUESMALLER:
        case CEDB_SEEK_VALUESMALLEROREQUAL:
            for (size_t i = n; i-- > 0 && target < 0;) {
                int c = cmp(i);
                if (c < 0 || (c == 0 && dwSeekType == CEDB_SEEK_VALUESMALLEROREQUAL)) target = static_cast<long long>(i);
            }
            break;
        default: return Fail(ERROR_INVALID_PARAMETER, 0);
        }
    } else {
        switch (dwSeekType) {
        case CEDB_SEEK_CEOID: {
            CEOID want = static_cast<CEOID>(dwValue);
            if (want == 0) return Fail(ERROR_INVALID_PARAMETER, 0);
            if (recs.count(want)) target = std::find(order.begin(), order.end(), want) - order.begin();
            else err = ERROR_NOT_FOUND;
            break;
        }
        case CEDB_SEEK_BEGINNING: target = static_cast<long long>(static_cast<DWORD>(dwValue)); break;
        case CEDB_SEEK_CURRENT:
            target = static_cast<long long>(h->pos) + static_cast<LONG>(static_cast<DWORD>(dwValue));
            break;
        case CEDB_SEEK_END: {
            long long back = static_cast<LONG>(static_cast<DWORD>(dwValue));
            target = static_cast<long long>(n) - 1 - (back < 0 ? -back : back);
            break;
        }
        default: return Fail(ERROR_INVALID_PARAMETER, 0);
        }
    }
    if (target < 0 || target >= static_cast<long long>(n)) {
        // A failed seek leaves the position at the end.
        MoveTo(*h, order, n);
        return Fail(err, 0);
    }
    MoveTo(*h, order, static_cast<size_t>(target));
    if (lpdwIndex) *lpdwIndex = static_cast<DWORD>(target);
    return h->posOid;
}

CEOID CeSeekDatabase(HANDLE hDatabase, DWORD dwSeekType, DWORD_PTR dwValue, LPDWORD lpdwIndex) {
    return CeSeekDatabaseEx(hDatabase, dwSeekType, dwValue, 1, lpdwIndex);
}

CEOID CeReadRecordPropsEx(HANDLE hDbase, DWORD dwFlags, LPWORD lpcPropID, CEPROPID* rgPropID, LPBYTE* lplpBuffer,
                          LPDWORD lpcbBuffer, HANDLE hHeap) {
    EngineLock lock;
    DWORD err = 0;
    DbHandle* h = Lookup(hDbase, err);
    if (!h) return Fail(err, 0);
    if ((dwFlags & ~CEDB_ALLOWREALLOC) || !lpcPropID || IsBadWritePtr(lpcPropID, sizeof(WORD)) || !lplpBuffer ||
        IsBadWritePtr(lplpBuffer, sizeof *lplpBuffer) || (lpcbBuffer && IsBadWritePtr(lpcbBuffer, sizeof(DWORD))))
        return Fail(ERROR_INVALID_PARAMETER, 0);
    if (rgPropID && (*lpcPropID == 0 || IsBadReadPtr(rgPropID, sizeof(CEPROPID) * *lpcPropID)))
        return Fail(ERROR_INVALID_PARAMETER, 0);
    DWORD have = lpcbBuffer ? *lpcbBuffer : 0;
    if (!lpcbBuffer && *lplpBuffer) return Fail(ERROR_INVALID_PARAMETER, 0);

    const std::vector<CEOID>& order = Position(*h);
    if (h->pos >= order.size()) return Fail(ERROR_NO_MORE_ITEMS, 0);
    CEOID oid = order[h->pos];
    const Record& rec = h->db->Records().at(oid);

    // Which properties, in which order.
    std::vector<std::pair<CEPROPID, const Prop*>> wanted;
    if (rgPropID) {
        for (WORD i = 0; i < *lpcPropID; ++i) wanted.emplace_back(rgPropID[i], FindProp(rec, rgPropID[i]));
    } else {
        for (const Prop& p : rec.props) wanted.emplace_back(p.id, &p);
    }
    auto align = [](size_t v) { return (v + 7) & ~size_t(7); };
    size_t need = align(sizeof(CEPROPVAL) * wanted.size());
    for (auto& w : wanted)
        if (w.second && !FixedSize(TypeFromPropID(w.first)))
            need += align(w.second->data.size() + (TypeFromPropID(w.first) == CEVT_LPWSTR ? sizeof(WCHAR) : 0));
    if (need == 0) need = 8;

    BYTE* buf = *lplpBuffer;
    if (have < need || !buf) {
        if (!(dwFlags & CEDB_ALLOWREALLOC)) {
            if (lpcbBuffer) *lpcbBuffer = static_cast<DWORD>(need);
            return Fail(ERROR_INSUFFICIENT_BUFFER, 0);
        }
        BYTE* grown = nullptr;
        if (hHeap)
            grown = static_cast<BYTE*>(buf ? HeapReAlloc(hHeap, 0, buf, need) : HeapAlloc(hHeap, 0, need));
        else
            grown = static_cast<BYTE*>(buf ? LocalReAlloc(buf, need, LMEM_MOVEABLE) : LocalAlloc(LMEM_FIXED, need));
        if (!grown) return Fail(ERROR_NOT_ENOUGH_MEMORY, 0);
        buf = grown;
        *lplpBuffer = buf;
        have = static_cast<DWORD>(need);
        if (lpcbBuffer) *lpcbBuffer = have;
    }

    auto* vals = reinterpret_cast<CEPROPVAL*>(buf);
    BYTE* data = buf + align(sizeof(CEPROPVAL) * wanted.size());
    for (size_t i = 0; i < wanted.size(); ++i) {
        CEPROPVAL& v = vals[i];
        memset(&v, 0, sizeof v);
        v.propid = wanted[i].first;
        const Prop* p = wanted[i].second;
        if (!p) {
            v.wFlags = CEDB_PROPNOTFOUND;
            continue;
        }
        WORD type = TypeFromPropID(p->id);
        if (FixedSize(type)) {
            memcpy(&v.val, p->data.data(), std::min(p->data.size(), FixedSize(type)));
        } else if (type == CEVT_LPWSTR) {
            memcpy(data, p->data.data(), p->data.size());
            memset(data + p->data.size(), 0, sizeof(WCHAR));
            v.val.lpwstr = reinterpret_cast<LPWSTR>(data);
            v.wLenData = static_cast<WORD>(p->data.size() + sizeof(WCHAR));
            data += align(p->data.size() + sizeof(WCHAR));
        } else {
            if (!p->data.empty()) memcpy(data, p->data.data(), p->data.size());
            v.val.blob.dwCount = static_cast<DWORD>(p->data.size());
            v.val.blob.lpb = data;
            v.wLenData = static_cast<WORD>(p->data.size());
            data += align(p->data.size());
        }
    }
    if (!rgPropID) *lpcPropID = static_cast<WORD>(wanted.size());
    if (h->flags & CEDB_AUTOINCREMENT) MoveTo(*h, order, h->pos + 1);
    return oid;
}

CEOID CeWriteRecordProps(HANDLE hDbase, CEOID oidRecord, WORD cPropID, CEPROPVAL* rgPropVal) {
    EngineLock lock;
    DWORD err = 0;
    DbHandle* h = Lookup(hDbase, err, true);
    if (!h) return Fail(err, 0);
    std::vector<Prop> props;
    std::vector<CEPROPID> removes;
    if (!TakeProps(cPropID, rgPropVal, props, removes)) return Fail(ERROR_INVALID_PARAMETER, 0);
    CEOID written = 0;
    if ((err = h->db->Put(oidRecord, props, removes, written))) return Fail(err, 0);
    return written;
}

BOOL CeWriteNewRecords(HANDLE hDbase, DWORD count, const WORD* rgcPropID, CEPROPVAL* const* rgrgPropVal, CEOID* rgOid) {
    EngineLock lock;
    DWORD err = 0;
    DbHandle* h = Lookup(hDbase, err, true);
    if (!h) return Fail(err, FALSE);
    if (count == 0 || count > CEDB_MAXNUMRECORDS || !rgcPropID || !rgrgPropVal ||
        IsBadReadPtr(rgcPropID, sizeof(WORD) * count) || IsBadReadPtr(rgrgPropVal, sizeof(CEPROPVAL*) * count) ||
        (rgOid && IsBadWritePtr(rgOid, sizeof(CEOID) * count)))
        return Fail(ERROR_INVALID_PARAMETER, FALSE);
    std::vector<std::vector<Prop>> records(count);
    for (DWORD i = 0; i < count; ++i) {
        std::vector<CEPROPID> removes;
        if (!TakeProps(rgcPropID[i], rgrgPropVal[i], records[i], removes)) return Fail(ERROR_INVALID_PARAMETER, FALSE);
    }
    std::vector<CEOID> written;
    if ((err = h->db->PutNew(records, written))) return Fail(err, FALSE);
    if (rgOid) std::copy(written.begin(), written.end(), rgOid);
    return TRUE;
}

BOOL CeDeleteRecord(HANDLE hDatabase, CEOID oidRecord) {
    EngineLock lock;
    DWORD err = 0;
    DbHandle* h = Lookup(hDatabase, err, true);
    if (!h) return Fail(err, FALSE);
    if (oidRecord == 0) return Fail(ERROR_INVALID_PARAMETER, FALSE);
    if ((err = h->db->Remove(oidRecord))) return Fail(err, FALSE);
    return TRUE;
}

BOOL CeFreeNotification(PCENOTIFYREQUEST pRequest, PCENOTIFICATION pNotify) {
    if (!pNotify || IsBadReadPtr(pNotify, sizeof *pNotify) || pNotify->dwSize != sizeof(CENOTIFICATION) ||
        (pRequest && IsBadReadPtr(pRequest, sizeof *pRequest)))
        return Fail(ERROR_INVALID_PARAMETER, FALSE);
    HANDLE heap = pRequest && pRequest->hHeap ? pRequest->hHeap : GetProcessHeap();
    return HeapFree(heap, 0, pNotify);
}

}  // extern "C"

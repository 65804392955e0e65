#include "stores/CCeDatabase.h"

#include <cwchar>

CCeDatabase::CCeDatabase()
    : m_hDatabase(INVALID_HANDLE_VALUE), m_oidDatabase(0), m_NotifyRequest{}, m_hNotifyWnd(nullptr), m_bLoaded(FALSE) {
    CREATE_SYSTEMGUID(&m_VolumeId);
}

CCeDatabase::~CCeDatabase() { CCeDatabase::Close(); }

int CCeDatabase::Create(LPCWSTR name) { return CreateWith(name, 11, nullptr); }

int CCeDatabase::CreateWith(LPCWSTR name, DWORD validMask, const SORTORDERSPEC* sort) {
    CREATE_SYSTEMGUID(&m_VolumeId);
    if (!name) return 0;
    CEDBASEINFO info{};
    info.dwFlags = validMask;
    wcsncpy(info.szDbaseName, name, CEDB_MAXDBASENAMELEN - 1);
    info.dwDbaseType = 0;
    if (sort) {
        info.wNumSortOrder = 1;
        info.rgSortSpecs[0] = *sort;
    }
    return CeCreateDatabaseEx(&m_VolumeId, &info) != 0 ? 1 : 0;
}

int CCeDatabase::Open(LPCWSTR name, CEPROPID sortPropertyId, HWND notifyWindow) {
    if (m_hDatabase != INVALID_HANDLE_VALUE) {
        m_hNotifyWnd = nullptr;
        return 0;
    }
    m_oidDatabase = 0;
    CREATE_SYSTEMGUID(&m_VolumeId);
    CENOTIFYREQUEST* request = nullptr;
    if (notifyWindow) {
        m_hNotifyWnd = notifyWindow;
        m_NotifyRequest = {};
        m_NotifyRequest.dwSize = sizeof(CENOTIFYREQUEST);
        m_NotifyRequest.hwnd = notifyWindow;
        m_NotifyRequest.dwFlags = CEDB_EXNOTIFICATION;
        m_NotifyRequest.hHeap = nullptr;
        m_NotifyRequest.dwParam = 0;
        request = &m_NotifyRequest;
    }
    m_hDatabase = CeOpenDatabaseEx(&m_VolumeId, &m_oidDatabase, const_cast<LPWSTR>(name), sortPropertyId,
                                   CEDB_AUTOINCREMENT, request);
    if (m_hDatabase != INVALID_HANDLE_VALUE) return 1;
    m_hNotifyWnd = nullptr;
    return 0;
}

int CCeDatabase::Close() {
    m_hNotifyWnd = nullptr;
    if (m_hDatabase == INVALID_HANDLE_VALUE) return 0;
    CloseHandle(m_hDatabase);
    m_hDatabase = INVALID_HANDLE_VALUE;
    return 1;
}

int CCeDatabase::OpenDefault(LPCWSTR name) { return OpenDefaultWith(name, nullptr, 0); }

int CCeDatabase::OpenDefaultWith(LPCWSTR name, LPCWSTR ownName, CEPROPID sortPropertyId) {
    LPCWSTR use = name ? name : ownName;
    if (!use) return 0;
    if (int r = Open(use, sortPropertyId, nullptr)) return r;
    // Open returns 0 for a handle that is already open too; that is no
    // reason to create anything.
    if (m_hDatabase != INVALID_HANDLE_VALUE) return 0;
    // A failed create may mean another program made the database a moment
    // ago: opening it is then what the caller wanted.
    Create(use);
    return Open(use, sortPropertyId, nullptr);
}

int CCeDatabase::ReadRecord(RecordBuffer* buffer) {
    if (m_hDatabase == INVALID_HANDLE_VALUE || !buffer) return 0;
    // Always a fresh array: the buffer may point at a store's own values.
    buffer->pProps = nullptr;
    LPBYTE data = nullptr;
    DWORD size = 0;
    WORD count = 0;
    CEOID oid = CeReadRecordPropsEx(m_hDatabase, CEDB_ALLOCATE, &count, nullptr, &data, &size, nullptr);
    buffer->pProps = reinterpret_cast<CEPROPVAL*>(data);
    buffer->wCount = oid ? count : 0;
    buffer->oid = oid;
    return oid != 0 ? 1 : 0;
}

int CCeDatabase::WriteRecord(RecordBuffer* buffer) {
    if (m_hDatabase == INVALID_HANDLE_VALUE || !buffer) return 0;
    CEOID oid = CeWriteRecordProps(m_hDatabase, buffer->oid, buffer->wCount, buffer->pProps);
    if (oid == 0) return 0;  // every failure of this engine is a real one
    buffer->oid = oid;
    return 1;
}

int CCeDatabase::DeleteRecord(CEOID recordId) {
    if (m_hDatabase == INVALID_HANDLE_VALUE) return 0;
    return CeDeleteRecord(m_hDatabase, recordId);
}

int CCeDatabase::DeleteDatabase() {
    if (m_oidDatabase == 0) return 0;
    // The engine refuses to delete a database with an open handle.
    Close();
    CREATE_SYSTEMGUID(&m_VolumeId);
    return CeDeleteDatabaseEx(&m_VolumeId, m_oidDatabase);
}

int CCeDatabase::SeekFirst() {
    if (m_hDatabase == INVALID_HANDLE_VALUE) return 0;
    DWORD index = 0;
    return CeSeekDatabase(m_hDatabase, CEDB_SEEK_BEGINNING, 0, &index) != 0 ? 1 : 0;
}

int CCeDatabase::SeekById(CEOID recordId) {
    if (m_hDatabase == INVALID_HANDLE_VALUE) return 0;
    DWORD index = 0;
    CeSeekDatabase(m_hDatabase, CEDB_SEEK_BEGINNING, 0, &index);
    return CeSeekDatabase(m_hDatabase, CEDB_SEEK_CEOID, recordId, &index) != 0 ? 1 : 0;
}

#pragma once
// Base of every store: the database handle and the record calls.
#include <windows.h>

#include "stores/RecordBuffer.h"
#include "windbase.h"

class CCeDatabase {
public:
    CCeDatabase();
    // Closes the handle. Stores free their caches in their own destructors.
    virtual ~CCeDatabase();
    CCeDatabase(const CCeDatabase&) = delete;
    CCeDatabase& operator=(const CCeDatabase&) = delete;

    // Creates the database; the base version has no sort order (mask 11).
    virtual int Create(LPCWSTR name);
    // The one open routine of every store: 1 when opened; 0 when already
    // open (the handle stays open) or when the open failed.
    virtual int Open(LPCWSTR name, CEPROPID sortPropertyId, HWND notifyWindow);
    // 1 when it closed a handle, 0 when none was open.
    virtual int Close();
    // Opens the store's database, creating it when missing. The base
    // version needs a name and uses no sort order.
    virtual int OpenDefault(LPCWSTR name);

    // Record calls; all return 0 while the handle is closed.
    // Reads the record at the current position into a property array that
    // the engine allocates; the caller frees buffer->pProps with LocalFree
    // whenever it is not null, also after a failed read.
    int ReadRecord(RecordBuffer* buffer);
    // 1 and the record's id in the buffer on success, else 0.
    int WriteRecord(RecordBuffer* buffer);
    int DeleteRecord(CEOID recordId);
    // Deletes the whole database by its id (known once it was opened).
    int DeleteDatabase();
    int SeekFirst();
    int SeekById(CEOID recordId);

    HANDLE Handle() const { return m_hDatabase; }
    bool IsOpen() const { return m_hDatabase != INVALID_HANDLE_VALUE; }
    CEOID DatabaseId() const { return m_oidDatabase; }
    HWND NotifyWindow() const { return m_hNotifyWnd; }
    const CENOTIFYREQUEST& NotifyRequest() const { return m_NotifyRequest; }
    BOOL IsLoaded() const { return m_bLoaded; }

protected:
    // Creates with the given valid-fields mask and at most one sort order.
    int CreateWith(LPCWSTR name, DWORD validMask, const SORTORDERSPEC* sort);
    // OpenDefault of the program's own stores.
    int OpenDefaultWith(LPCWSTR name, LPCWSTR ownName, CEPROPID sortPropertyId);

    CEGUID m_VolumeId;
    HANDLE m_hDatabase;
    CEOID m_oidDatabase;
    CENOTIFYREQUEST m_NotifyRequest;
    HWND m_hNotifyWnd;
    BOOL m_bLoaded;
};

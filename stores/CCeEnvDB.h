#pragma once
// The settings store: the whole SettingsBlock as the one record of
// "Zentrika Env DB", loaded at start and saved after every change.
#include "stores/CCeDatabase.h"
#include "stores/SettingsBlock.h"

class CCeEnvDB : public CCeDatabase {
public:
    static constexpr const WCHAR* kDatabaseName = L"Zentrika Env DB";
    static constexpr CEPROPID kBlockProperty = 0x00010041;

    // `block` and `installFolder` belong to the data manager and outlive this store.
    CCeEnvDB(SettingsBlock& block, const WCHAR* installFolder);

    int Create(LPCWSTR name) override;
    int OpenDefault(LPCWSTR name) override;

    // 1 when a stored block was loaded, 0 when the reset values were used
    // (and saved).
    int Load();
    // The WriteRecord result, or 0 when the database cannot be opened.
    int Save();
    // Reset values into the block (area code and saved ring source stay),
    // then Save; returns Save's result.
    int ResetDefaults();

    CEOID RecordId() const { return m_oidRecord; }

private:
    static bool IsBlock(const RecordBuffer& r);
    void TerminateStrings();

    CEPROPVAL m_Prop;
    RecordBuffer m_Buffer;
    CEOID m_oidRecord;
    SettingsBlock& m_Block;
    const WCHAR* m_pszInstallFolder;
};

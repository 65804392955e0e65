#include "stores/CCeEnvDB.h"

#include <cstring>
#include <cwchar>
#include <vector>

namespace {

template <size_t N>
void CopyText(WCHAR (&to)[N], const WCHAR* from) {
    wcsncpy(to, from ? from : L"", N - 1);
    to[N - 1] = 0;
}

template <size_t N>
void Terminate(WCHAR (&text)[N]) {
    text[N - 1] = 0;
}

}  // namespace

CCeEnvDB::CCeEnvDB(SettingsBlock& block, const WCHAR* installFolder)
    : m_Prop{}, m_Buffer{nullptr, 0, 0}, m_oidRecord(0), m_Block(block), m_pszInstallFolder(installFolder) {}

int CCeEnvDB::Create(LPCWSTR name) { return CreateWith(name, 15, nullptr); }

int CCeEnvDB::OpenDefault(LPCWSTR name) { return OpenDefaultWith(name, kDatabaseName, 0); }

bool CCeEnvDB::IsBlock(const RecordBuffer& r) {
    return r.wCount == 1 && r.pProps && r.pProps[0].propid == kBlockProperty &&
           r.pProps[0].val.blob.dwCount == kSettingsBlockBytes && r.pProps[0].val.blob.lpb;
}

int CCeEnvDB::Load() {
    if (!OpenDefault(nullptr)) {
        ResetDefaults();
        return 0;
    }
    // The first record that holds a whole block counts. Records that do
    // not (another count of properties, a block of another size) can never
    // become one: they are removed so the reset below is what the next
    // start finds.
    bool loaded = false;
    std::vector<CEOID> unusable;
    SeekFirst();
    while (!loaded) {
        int read = ReadRecord(&m_Buffer);
        if (read && IsBlock(m_Buffer)) {
            memcpy(&m_Block, m_Buffer.pProps[0].val.blob.lpb, kSettingsBlockBytes);
            m_oidRecord = m_Buffer.oid;
            loaded = true;
        } else if (read) {
            unusable.push_back(m_Buffer.oid);
        }
        if (m_Buffer.pProps) LocalFree(m_Buffer.pProps);
        m_Buffer.pProps = nullptr;
        if (!read) break;
    }
    for (CEOID oid : unusable) DeleteRecord(oid);
    Close();
    if (!loaded) {
        ResetDefaults();
        return 0;
    }
    TerminateStrings();
    return 1;
}

void CCeEnvDB::TerminateStrings() {
    // A stored block comes from outside: no text may run past its room.
    Terminate(m_Block.szAreaCode);
    Terminate(m_Block.szBaseFolder);
    Terminate(m_Block.szSkinName);
    Terminate(m_Block.szGreeting);
    Terminate(m_Block.szLockCode);
    Terminate(m_Block.szBellFile);
}

int CCeEnvDB::Save() {
    if (!OpenDefault(nullptr)) return 0;
    // A remembered record that is gone (deleted from outside) would make
    // every later save fail: write a new one instead.
    if (m_oidRecord && !SeekById(m_oidRecord)) m_oidRecord = 0;
    m_Prop = {};
    m_Prop.propid = kBlockProperty;
    m_Prop.val.blob.dwCount = kSettingsBlockBytes;
    m_Prop.val.blob.lpb = reinterpret_cast<LPBYTE>(&m_Block);
    m_Buffer.pProps = &m_Prop;
    m_Buffer.wCount = 1;
    m_Buffer.oid = m_oidRecord;
    int result = WriteRecord(&m_Buffer);
    if (result && m_Buffer.oid) m_oidRecord = m_Buffer.oid;
    m_Buffer.pProps = nullptr;
    Close();
    return result;
}

int CCeEnvDB::ResetDefaults() {
    SettingsBlock& b = m_Block;
    b.bAutoAreaCode = 0;
    CopyText(b.szBaseFolder, m_pszInstallFolder);
    CopyText(b.szSkinName, L"default");
    b.nBellSource = 1;
    b.nModuleBellVolume = 4;
    b.bMinuteTone = 1;
    b.nMinuteToneChoice = 0;
    b.bKeypadTone = 1;
    b.bConnectTone = 1;
    b.bDisconnectTone = 1;
    b.bBatteryTone = 1;
    b.bMessageTone = 1;
    for (int32_t& action : b.nHwButton) action = 0;
    b.bShowGreeting = 0;
    CopyText(b.szGreeting, L"");
    CopyText(b.szLockCode, L"7294");
    b.bPhoneLocked = 0;
    b.bBarOutgoing = 0;
    b.bBarIncoming = 0;
    b.bBarInternational = 0;
    b.bPrivacy = 0;
    b.wNamesOnly = 0;
    b.wReserved = 0;
    b.nLastInSeconds = 0;
    b.nTotalInSeconds = 0;
    b.nLastOutSeconds = 0;
    b.nTotalOutSeconds = 0;
    b.crLcdText = 0;
    b.nLcdTextStyle = 0;
    CopyText(b.szBellFile, L"default.wav");
    b.nNewMessages = 0;
    return Save();
}
